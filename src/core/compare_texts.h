// SPDX-License-Identifier: MIT
// Glenvary: a whole comparison of two texts as a person asks for it, the
// one call behind the window's Compare and its saved report, the command
// line's compare and batch, and the archive's check.
#pragma once

#include "comparison.h"
#include "options.h"

#include <cstdint>
#include <optional>
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
    /// Words of article 2 that the options left out (a template's passages,
    /// quotations): white and not counted, although they may have matched.
    std::int32_t leftOutWords = 0;
};

/// The whole comparison of two texts as the window makes it: both are
/// normalised as the editor's change handler normalises them, stored and
/// split (side by side when they are large) and compared (RunCompare).
/// Passages are not kept (TComparison::KeepPassages).
/// Precondition: each text's size is at most kMaxTextLength.
/// Cost: linear in the texts, as TComparison::Compare.
[[nodiscard]] TComparedTexts CompareTexts(std::u16string text1, std::u16string text2,
                                          const TCompareSettings& settings);

/// CompareTexts with `options`; with every option off it is the call
/// above. The texts are read as the options say (ReadAsCompared) and
/// compared by the same rules, except that nothing shorter than the minimum
/// length is marked (TComparison::LookUpCutChunks off); the words then name
/// their places in the normalised texts, which the articles hold. The words of either article
/// that a comparison of an ignored text with it colours, and with
/// ignoreQuoted its quoted words, turn white; outcome counts the words of
/// article 2 still coloured against article 2's whole word count.
/// Cost: one comparison per article and ignored text more, and the
/// readings' maps (8 bytes a code unit).
[[nodiscard]] TComparedTexts CompareTexts(std::u16string text1, std::u16string text2,
                                          const TCompareSettings& settings, const TCompareOptions& options);

/// CompareTexts with options, for a caller that goes from a marked word to
/// its copy (the window): the comparison of the texts as read is kept, so
/// that the passage of each of the result's words can be looked up.
class TOptionsComparison {
public:
    /// Compares as CompareTexts(text1, text2, settings, options) does.
    TOptionsComparison(std::u16string text1, std::u16string text2, const TCompareSettings& settings,
                       const TCompareOptions& options);

    [[nodiscard]] const TComparedTexts& Compared() const noexcept { return compared_; }
    /// The passage of word `word` of `side` (an index into Compared()'s
    /// articles) and its copy, as TComparison::PassageOf gives them; nothing
    /// for a white word, a left-out one included.
    [[nodiscard]] std::optional<TComparison::TPassage> PassageOf(TArticleSide side, std::int32_t word) const;

private:
    // Declared first: the result is made through it.
    TComparison matcher_;
    TComparedTexts compared_;
};

/// `text` normalised as the change handler does and prepared for many
/// comparisons (TComparison::SetPreparedArticles).
[[nodiscard]] TPreparedArticle PrepareText(std::u16string text);

} // namespace glenvary::core
