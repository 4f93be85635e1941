// SPDX-License-Identifier: MIT
#include "compare_texts.h"

#include "normalise.h"
#include "side_by_side.h"

#include <utility>

namespace glenvary::core {

std::int32_t EffectiveMinLength(std::int32_t minLength) noexcept
{
    return minLength == 0 ? 1 : minLength;
}

TCompareOutcome RunCompare(TComparison& comparison, const TCompareSettings& settings)
{
    return comparison.Compare(EffectiveMinLength(settings.minLength), static_cast<std::int32_t>(settings.unit));
}

TComparedTexts CompareTexts(std::u16string text1, std::u16string text2, const TCompareSettings& settings)
{
    SideBySide(
        text1.size() + text2.size() >= kParallelWords, [&text1] { NormaliseArticle(text1); },
        [&text2] { NormaliseArticle(text2); });
    TComparedTexts compared;
    TComparison comparison;
    // A caller of this keeps the colours, never the passage behind a word.
    comparison.KeepPassages(false);
    comparison.SetArticleTexts(std::move(text1), std::move(text2));
    compared.outcome = RunCompare(comparison, settings);
    compared.article1 = comparison.TakeArticle(TArticleSide::Article1);
    compared.article2 = comparison.TakeArticle(TArticleSide::Article2);
    return compared;
}

TPreparedArticle PrepareText(std::u16string text)
{
    NormaliseArticle(text);
    return TPreparedArticle(std::move(text));
}

} // namespace glenvary::core
