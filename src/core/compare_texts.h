// SPDX-License-Identifier: MIT
// Glenvary: a whole comparison of two texts as a person asks for it, the
// one call behind the window's Compare and its saved report, the command
// line's compare and batch, and the archive's check.
#pragma once

#include "comparison.h"

#include <cstdint>
#include <string>

namespace glenvary::core {

/// The settings of one comparison as a person gives them.
struct TCompareSettings {
    TUnitKind unit = ukWords;
    /// The minimum length as given, 0 or more; 0 is taken as 1, as the
    /// window's length field takes it.
    std::int32_t minLength = 1;
};

/// The minimum length a comparison runs with: 0 becomes 1; every other
/// value stays.
[[nodiscard]] std::int32_t EffectiveMinLength(std::int32_t minLength) noexcept;

/// Compares the two articles that `comparison` holds (texts normalised by
/// their holder, as the window's change handler does) with `settings`:
/// TComparison::Compare with the effective minimum length.
TCompareOutcome RunCompare(TComparison& comparison, const TCompareSettings& settings);

/// Both articles of a comparison of two texts, with their colours.
struct TComparedTexts {
    TCompareOutcome outcome;
    TArticle article1;
    TArticle article2;
};

/// The whole comparison of two texts as the window makes it: both are
/// normalised as the editor's change handler normalises them, stored and
/// split (side by side when they are large) and compared (RunCompare).
/// Passages are not kept (TComparison::KeepPassages).
/// Precondition: each text's size is at most kMaxTextLength.
/// Cost: linear in the texts, as TComparison::Compare.
[[nodiscard]] TComparedTexts CompareTexts(std::u16string text1, std::u16string text2,
                                          const TCompareSettings& settings);

/// `text` normalised as the change handler does and prepared for many
/// comparisons (TComparison::SetPreparedArticles).
[[nodiscard]] TPreparedArticle PrepareText(std::u16string text);

} // namespace glenvary::core
