// SPDX-License-Identifier: MIT
#include "place_set.h"

#include <bit>

namespace glenvary::core {
namespace {

constexpr std::uint64_t kAllBits = ~std::uint64_t{0};

// Bits from..to (0..63, from <= to) of one word.
constexpr std::uint64_t BitRange(std::uint32_t from, std::uint32_t to) noexcept
{
    return (kAllBits << from) & (kAllBits >> (63 - to));
}

} // namespace

void TPlaceSet::Reset(std::int32_t size, bool full)
{
    size_ = size < 0 ? 0 : size;
    std::size_t bits = static_cast<std::size_t>(size_);
    std::size_t level = 0;
    for (;;) {
        const std::size_t words = bits == 0 ? 1 : (bits + 63) / 64;
        if (levels_.size() <= level) {
            levels_.emplace_back();
        }
        std::vector<std::uint64_t>& row = levels_[level];
        row.assign(words, full ? kAllBits : 0);
        if (full && bits % 64 != 0) {
            row.back() = kAllBits >> (64 - bits % 64);
        }
        if (full && bits == 0) {
            row.back() = 0;
        }
        ++level;
        if (words == 1) {
            break;
        }
        bits = words;
    }
    levels_.resize(level);
}

void TPlaceSet::Assign(std::int32_t first, std::int32_t last, bool member)
{
    auto from = static_cast<std::size_t>(first);
    auto to = static_cast<std::size_t>(last);
    // Whether some word of the level just written went from zero to not
    // zero or back: only then does the level above change.
    bool emptinessChanged = false;
    const auto write = [&emptinessChanged](std::uint64_t& word, std::uint64_t value) {
        emptinessChanged = emptinessChanged || ((word == 0) != (value == 0));
        word = value;
    };
    std::vector<std::uint64_t>& bottom = levels_[0];
    for (std::size_t w = from / 64; w <= to / 64; ++w) {
        const auto low = static_cast<std::uint32_t>(w == from / 64 ? from % 64 : 0);
        const auto high = static_cast<std::uint32_t>(w == to / 64 ? to % 64 : 63);
        const std::uint64_t mask = BitRange(low, high);
        write(bottom[w], member ? (bottom[w] | mask) : (bottom[w] & ~mask));
    }
    // Each level above says which words of the level below are not zero.
    for (std::size_t level = 1; level < levels_.size() && emptinessChanged; ++level) {
        emptinessChanged = false;
        from /= 64;
        to /= 64;
        const std::vector<std::uint64_t>& below = levels_[level - 1];
        std::vector<std::uint64_t>& row = levels_[level];
        for (std::size_t w = from; w <= to; ++w) {
            const std::uint64_t bit = std::uint64_t{1} << (w % 64);
            write(row[w / 64], below[w] != 0 ? (row[w / 64] | bit) : (row[w / 64] & ~bit));
        }
    }
}

std::int32_t TPlaceSet::NextFar(std::int32_t from) const noexcept
{
    if (from >= size_) {
        return size_;
    }
    // Climb: at each level look at the rest of the word that holds the
    // position; when it is empty, go on from the next word one level up.
    auto position = static_cast<std::size_t>(from);
    std::size_t level = 0;
    for (;; ++level) {
        if (level == levels_.size()) {
            return size_;
        }
        const std::vector<std::uint64_t>& row = levels_[level];
        const std::size_t w = position / 64;
        if (w >= row.size()) {
            return size_;
        }
        const std::uint64_t bits = row[w] & (kAllBits << (position % 64));
        if (bits != 0) {
            position = w * 64 + static_cast<std::size_t>(std::countr_zero(bits));
            break;
        }
        position = w + 1;
    }
    // Descend along the lowest member of each word.
    while (level > 0) {
        --level;
        position = position * 64 + static_cast<std::size_t>(std::countr_zero(levels_[level][position]));
    }
    return static_cast<std::int32_t>(position);
}

} // namespace glenvary::core
