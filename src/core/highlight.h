// SPDX-License-Identifier: MIT
// Glenvary: which characters of an article take which highlight, decided
// once for everything that draws a compared article.
#pragma once

#include "words.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace glenvary::core {

/// A stretch of an article's text drawn in one look: white is plain (black
/// on white, regular weight); any other colour is bold black on that colour.
struct THighlightRun {
    /// UTF-16 offset of the first character, from 0.
    std::int32_t start = 0;
    /// Number of UTF-16 code units, at least 1.
    std::int32_t length = 0;
    TColor color = clWhite;

    friend bool operator==(const THighlightRun&, const THighlightRun&) = default;
};

/// The runs that draw `text` with the colours of `words` (1-based iStart /
/// iEnd, in text order, as segmentation makes them). A word takes its own
/// colour; the gap before a word takes the word's colour only when the word
/// before it has the same colour, so the gap before the first word is plain;
/// the text after the last word takes the last word's colour.
/// Positions are clamped to the text, so words past its end draw nothing,
/// and a word that begins before the end of what was drawn already (which
/// segmentation never produces) draws only the characters after it: each
/// character of `text` lies in exactly one run.
/// Result: runs in text order that cover all of `text` (none for an empty
/// text), neighbours always of different colours.
/// Cost: O(words.size()); the text itself is not read.
/// Precondition: text.size() <= INT32_MAX, as for every offset of the engine.
[[nodiscard]] std::vector<THighlightRun> HighlightRuns(std::u16string_view text, std::span<const TWord> words);

/// The coloured regions of an article: each a maximal run of consecutive
/// words that share one colour other than white, as word indices (both ends
/// inclusive), in text order. Cost: O(words.size()).
[[nodiscard]] std::vector<TWordRange> ColouredRegions(std::span<const TWord> words);

/// A coloured region with the places of its words in the article's text.
struct TRegion {
    std::int32_t firstWord = 0;
    std::int32_t lastWord = 0;
    /// UTF-16 offsets into the text, from 0, end exclusive: the first word's
    /// start to the last word's end.
    std::int32_t start = 0;
    std::int32_t end = 0;
    TColor color = clWhite;

    friend bool operator==(const TRegion&, const TRegion&) = default;
};

/// The coloured regions of ColouredRegions with their places.
/// Cost: O(words.size()).
[[nodiscard]] std::vector<TRegion> Regions(std::span<const TWord> words);

/// The index of the word that holds the character at `position` (a 0-based
/// UTF-16 offset, as an editor counts), or -1 when that character lies
/// between words or outside the text. `words` in text order, as
/// segmentation makes them. Cost: O(log words.size()).
[[nodiscard]] std::int32_t WordAt(std::span<const TWord> words, std::int32_t position) noexcept;

/// Going forward from region to region: the first coloured region whose
/// first word starts at the 0-based offset `from` or after it, or, when
/// none does, the first of the article (going round). Nothing when no word
/// is coloured. Cost: O(log words.size()) to find the place, then the
/// words passed over up to the region's end, O(words.size()) at worst.
[[nodiscard]] std::optional<TWordRange> NextRegion(std::span<const TWord> words, std::int32_t from);

/// Going backward: the last coloured region whose first word starts before
/// the 0-based offset `before`, or, when none does, the last of the article
/// (going round). Nothing when no word is coloured. Cost as NextRegion.
[[nodiscard]] std::optional<TWordRange> PreviousRegion(std::span<const TWord> words, std::int32_t before);

} // namespace glenvary::core
