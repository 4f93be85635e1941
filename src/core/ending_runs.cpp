// SPDX-License-Identifier: MIT
// The common endings of article 1's runs with article 2 (TEndingRuns in
// word_index.h).
#include "word_index.h"

#include <algorithm>
#include <bit>

namespace glenvary::core {

TEndingRuns::TEndingRuns(std::span<const std::int32_t> ids2, std::span<const std::int32_t> ids1, std::int32_t end,
                         std::int32_t longest)
    : end_(end), longest_(std::clamp(longest, 1, end + 1))
{
    // Read backwards from `end`, article 1's words are the pattern; article
    // 2's words read backwards from its last are the text. The longest
    // start of the pattern at each place of the text is the common ending
    // there. Words that article 2 lacks (kAbsent) equal each other in the
    // pattern but nothing in the text, so the lengths found in the text are
    // those of words that are the same. Only the pattern's first
    // `longest_` words are needed, so only they are read.
    const std::int32_t length = longest_;
    const auto words2 = static_cast<std::int32_t>(ids2.size());
    const auto pattern = [&](std::int32_t k) { return ids1[static_cast<std::size_t>(end - k)]; };
    const auto text = [&](std::int32_t i) { return ids2[static_cast<std::size_t>(words2 - 1 - i)]; };

    // The Z-function of the pattern: prefix[k] is the longest start of the
    // pattern that also starts at k.
    TPlaceArray prefix(static_cast<std::size_t>(length));
    prefix[0] = length;
    for (std::int32_t k = 1, left = 0, right = 0; k < length; ++k) {
        std::int32_t x = k < right ? std::min(right - k, prefix[static_cast<std::size_t>(k - left)]) : 0;
        while (k + x < length && pattern(k + x) == pattern(x)) {
            ++x;
        }
        if (k + x > right) {
            left = k;
            right = k + x;
        }
        prefix[static_cast<std::size_t>(k)] = x;
    }

    // The text from `left` to `right` (exclusive) is known to be the
    // pattern's start, so a place inside it starts as the pattern does
    // from the matching place, as far as that reaches.
    common_.resize(ids2.size());
    for (std::int32_t i = 0, left = 0, right = 0; i < words2; ++i) {
        std::int32_t x = i < right ? std::min(right - i, prefix[static_cast<std::size_t>(i - left)]) : 0;
        while (x < length && i + x < words2 && text(i + x) == pattern(x)) {
            ++x;
        }
        if (i + x > right) {
            left = i;
            right = i + x;
        }
        common_[static_cast<std::size_t>(words2 - 1 - i)] = x;
    }

    const std::int32_t blocks = (words2 + kBlock - 1) / kBlock;
    leaves_ = static_cast<std::int32_t>(std::bit_ceil(static_cast<std::uint32_t>(std::max(blocks, 1))));
    tree_.assign(2 * static_cast<std::size_t>(leaves_), 0);
    for (std::int32_t place = 0; place < words2; ++place) {
        std::int32_t& top = tree_[static_cast<std::size_t>(leaves_ + place / kBlock)];
        top = std::max(top, common_[static_cast<std::size_t>(place)]);
    }
    for (std::int32_t node = leaves_ - 1; node >= 1; --node) {
        tree_[static_cast<std::size_t>(node)] =
            std::max(tree_[2 * static_cast<std::size_t>(node)], tree_[2 * static_cast<std::size_t>(node) + 1]);
    }
}

std::int32_t TEndingRuns::NextEnd(std::int32_t from, std::int32_t to, std::int32_t count) const noexcept
{
    to = std::min(to, static_cast<std::int32_t>(common_.size()) - 1);
    from = std::max(from, 0);
    // Most runs of a long chunk stand nowhere: no ending is that long.
    if (from > to || tree_[1] < count) {
        return -1;
    }
    const auto firstIn = [&](std::int32_t begin, std::int32_t last) {
        for (std::int32_t place = begin; place <= last; ++place) {
            if (common_[static_cast<std::size_t>(place)] >= count) {
                return place;
            }
        }
        return -1;
    };
    const std::int32_t block = from / kBlock;
    if (const std::int32_t place = firstIn(from, std::min(to, block * kBlock + kBlock - 1)); place >= 0) {
        return place;
    }
    // Up while the node is a right child, then over to the subtree on the
    // right, until one holds a long enough ending; then down to its first
    // block that does.
    const auto at = [this](std::int32_t node) { return tree_[static_cast<std::size_t>(node)]; };
    std::int32_t node = leaves_ + block;
    for (;;) {
        while ((node & 1) != 0) {
            node >>= 1;
        }
        if (node == 0) {
            return -1;
        }
        ++node;
        if (at(node) >= count) {
            break;
        }
    }
    while (node < leaves_) {
        node *= 2;
        if (at(node) < count) {
            ++node;
        }
    }
    const std::int32_t begin = (node - leaves_) * kBlock;
    if (begin > to) {
        return -1;
    }
    return firstIn(begin, std::min(to, begin + kBlock - 1));
}

} // namespace glenvary::core
