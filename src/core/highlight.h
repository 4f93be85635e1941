// SPDX-License-Identifier: MIT
// Glenvary: which characters of an article take which highlight, decided
// once for everything that draws a compared article.
#pragma once

#include "words.h"

#include <cstdint>
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

} // namespace glenvary::core
