// SPDX-License-Identifier: MIT
#include "highlight.h"

#include <algorithm>

namespace glenvary::core {
namespace {

// Word i begins a coloured region: it is coloured, and the word before it,
// if any, has another colour.
bool StartsRegion(std::span<const TWord> words, std::size_t i) noexcept
{
    return words[i].iColor != clWhite && (i == 0 || words[i - 1].iColor != words[i].iColor);
}

TWordRange RegionFrom(std::span<const TWord> words, std::size_t first) noexcept
{
    std::size_t last = first;
    while (last + 1 < words.size() && words[last + 1].iColor == words[first].iColor) {
        ++last;
    }
    return {static_cast<std::int32_t>(first), static_cast<std::int32_t>(last)};
}

// The index of the first word that starts at the 0-based offset `offset`
// or after it; words.size() when none does.
std::size_t FirstStartingAt(std::span<const TWord> words, std::int64_t offset) noexcept
{
    const auto found = std::partition_point(words.begin(), words.end(), [offset](const TWord& word) {
        return std::int64_t{word.iStart} - 1 < offset;
    });
    return static_cast<std::size_t>(found - words.begin());
}

} // namespace

std::vector<THighlightRun> HighlightRuns(std::u16string_view text, std::span<const TWord> words)
{
    std::vector<THighlightRun> runs;
    const auto size = static_cast<std::int64_t>(text.size());
    // Everything before `drawn` (0-based) has its run; 64 bits, because a
    // word's positions may lie anywhere in the 32-bit range.
    std::int64_t drawn = 0;
    const auto draw = [&](std::int64_t end, TColor color) {
        end = std::min(end, size);
        if (end <= drawn) {
            return;
        }
        if (!runs.empty() && runs.back().color == color) {
            runs.back().length += static_cast<std::int32_t>(end - drawn);
        } else {
            runs.push_back({static_cast<std::int32_t>(drawn), static_cast<std::int32_t>(end - drawn), color});
        }
        drawn = end;
    };
    // The text before the first word is drawn as if a white word preceded it.
    TColor previousColor = clWhite;
    for (const TWord& word : words) {
        // 1-based iStart is the 0-based end of the gap before the word, and
        // 1-based iEnd the 0-based end of the word itself.
        draw(std::int64_t{word.iStart} - 1, word.iColor == previousColor ? word.iColor : clWhite);
        draw(std::int64_t{word.iEnd} - 1, word.iColor);
        previousColor = word.iColor;
    }
    draw(size, previousColor);
    return runs;
}

std::vector<TWordRange> ColouredRegions(std::span<const TWord> words)
{
    std::vector<TWordRange> regions;
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (StartsRegion(words, i)) {
            regions.push_back(RegionFrom(words, i));
            i = static_cast<std::size_t>(regions.back().iLastWord);
        }
    }
    return regions;
}

std::vector<TRegion> Regions(std::span<const TWord> words)
{
    const std::vector<TWordRange> ranges = ColouredRegions(words);
    std::vector<TRegion> regions;
    regions.reserve(ranges.size());
    for (const TWordRange& range : ranges) {
        const TWord& first = words[static_cast<std::size_t>(range.iFirstWord)];
        const TWord& last = words[static_cast<std::size_t>(range.iLastWord)];
        regions.push_back({range.iFirstWord, range.iLastWord, first.iStart - 1, last.iEnd - 1, first.iColor});
    }
    return regions;
}

std::int32_t WordAt(std::span<const TWord> words, std::int32_t position) noexcept
{
    // The last word that starts at or before the position holds it, if any
    // word does.
    const std::size_t after = FirstStartingAt(words, std::int64_t{position} + 1);
    if (after == 0) {
        return -1;
    }
    const TWord& word = words[after - 1];
    return std::int64_t{position} < std::int64_t{word.iEnd} - 1 ? static_cast<std::int32_t>(after - 1) : -1;
}

std::optional<TWordRange> NextRegion(std::span<const TWord> words, std::int32_t from)
{
    const std::size_t start = FirstStartingAt(words, from);
    for (std::size_t i = start; i < words.size(); ++i) {
        if (StartsRegion(words, i)) {
            return RegionFrom(words, i);
        }
    }
    for (std::size_t i = 0; i < start; ++i) {
        if (StartsRegion(words, i)) {
            return RegionFrom(words, i);
        }
    }
    return std::nullopt;
}

std::optional<TWordRange> PreviousRegion(std::span<const TWord> words, std::int32_t before)
{
    const std::size_t end = FirstStartingAt(words, before);
    for (std::size_t i = end; i > 0; --i) {
        if (StartsRegion(words, i - 1)) {
            return RegionFrom(words, i - 1);
        }
    }
    for (std::size_t i = words.size(); i > end; --i) {
        if (StartsRegion(words, i - 1)) {
            return RegionFrom(words, i - 1);
        }
    }
    return std::nullopt;
}

} // namespace glenvary::core
