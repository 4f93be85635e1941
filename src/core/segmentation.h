// SPDX-License-Identifier: MIT
// Glenvary: splitting an article into words, sentences and paragraphs.
#pragma once

#include "words.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace glenvary::core {

/// Largest text, in UTF-16 code units, whose positions fit the signed 32-bit
/// fields of TWord (the last word's iEnd is the length + 1).
inline constexpr std::size_t kMaxTextLength = 0x7FFFFFFE;

/// The eight word delimiters: LF, CR, space, '!', ',', '.', ';', '?'.
/// Every other code unit, non-ASCII ones included, is a word character.
[[nodiscard]] constexpr bool IsWordDelimiter(char16_t c) noexcept
{
    constexpr std::uint64_t mask = (1ULL << 0x0A) | (1ULL << 0x0D) | (1ULL << 0x20) | (1ULL << 0x21)
        | (1ULL << 0x2C) | (1ULL << 0x2E) | (1ULL << 0x3B) | (1ULL << 0x3F);
    return c < 64 && ((mask >> c) & 1U) != 0;
}

/// LF, CR, '!', '.', '?': the delimiters that end an open sentence.
[[nodiscard]] constexpr bool IsSentenceEnder(char16_t c) noexcept
{
    return c == 0x0A || c == 0x0D || c == 0x21 || c == 0x2E || c == 0x3F;
}

/// LF and CR: the delimiters that end an open paragraph.
[[nodiscard]] constexpr bool IsParagraphEnder(char16_t c) noexcept { return c == 0x0A || c == 0x0D; }

/// Empties the three lists and refills them with the units of `text`, in
/// text order: words with 1-based positions (iEnd exclusive) and colour
/// white, sentences and paragraphs as inclusive word-index ranges. Runs of
/// delimiters add nothing, so no unit is ever empty, and every paragraph
/// boundary is a sentence boundary. One pass, one record per unit.
/// Precondition: text.size() <= kMaxTextLength.
void ParseArticle(std::u16string_view text, TListWords& words, TListSentences& sentences,
                  TListParagraphs& paragraphs);

/// One article side: its normalised text and the units that describe it.
struct TArticle {
    std::u16string sText;
    TListWords lstWords;
    TListSentences lstSentences;
    TListParagraphs lstParagraphs;

    /// Stores `text` and segments it.
    void Assign(std::u16string text);
    /// Re-segments sText, which turns every word white again.
    void Reparse();
};

} // namespace glenvary::core
