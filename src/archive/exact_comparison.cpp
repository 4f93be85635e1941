// SPDX-License-Identifier: MIT
#include "exact_comparison.h"

#include "core/normalise.h"

namespace glenvary::archive {

TExactComparison CompareExactly(std::u16string documentText, std::u16string articleText, core::TUnitKind unit,
                                std::int32_t minLength)
{
    core::NormaliseArticle(documentText);
    core::NormaliseArticle(articleText);
    TExactComparison result;
    core::TComparison comparison;
    comparison.KeepPassages(false);
    comparison.SetArticleTexts(std::move(documentText), std::move(articleText));
    result.outcome = comparison.Compare(minLength == 0 ? 1 : minLength, static_cast<std::int32_t>(unit));
    result.document = comparison.TakeArticle(core::TArticleSide::Article1);
    result.article = comparison.TakeArticle(core::TArticleSide::Article2);
    return result;
}

std::vector<TPassage> MarkedPassages(const core::TArticle& side)
{
    std::vector<TPassage> passages;
    const core::TListWords& words = side.lstWords;
    for (std::int32_t i = 0; i < words.Count(); ++i) {
        const core::TColor color = words[i].iColor;
        if (color == core::clWhite) {
            continue;
        }
        if (!passages.empty() && passages.back().lastWord == i - 1 && passages.back().color == color) {
            passages.back().lastWord = i;
            passages.back().end = words[i].iEnd - 1;
            continue;
        }
        passages.push_back(TPassage{i, i, words[i].iStart - 1, words[i].iEnd - 1, color});
    }
    return passages;
}

} // namespace glenvary::archive
