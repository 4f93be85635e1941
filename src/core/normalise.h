// SPDX-License-Identifier: MIT
// Glenvary: the typographic clean-up that every article text goes through.
#pragma once

#include <string>
#include <string_view>

namespace glenvary::core {

inline constexpr char16_t kNoBreakSpace = u'\u00A0';
inline constexpr char16_t kRightSingleQuote = u'\u2019';
inline constexpr char16_t kEnDash = u'\u2013';

/// Replaces, in place, every no-break space by a space, every right single
/// quotation mark by an apostrophe and every en dash by a hyphen-minus.
/// Nothing else changes and the length stays the same, so positions in the
/// result name the same places as in the input. Returns whether at least
/// one character was replaced.
bool NormaliseArticle(std::u16string& text) noexcept;

/// The normalised copy of `text`.
[[nodiscard]] std::u16string NormalisedArticle(std::u16string_view text);

/// `text` without its leading and trailing code units of value 32 or below
/// (spaces, tabs, line breaks and other control characters).
[[nodiscard]] std::u16string_view TrimControls(std::u16string_view text) noexcept;

/// True when `text` holds nothing but code units of value 32 or below.
[[nodiscard]] inline bool IsBlankArticle(std::u16string_view text) noexcept
{
    return TrimControls(text).empty();
}

} // namespace glenvary::core
