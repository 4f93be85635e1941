// SPDX-License-Identifier: MIT
// Glenvary: fuzz target for segmentation and the whole comparison.
//
// Input: byte 0 picks the unit (mod 4, so an unknown unit is tried too),
// byte 1 the minimum length (as a signed byte, so negative lengths are
// tried), the rest is UTF-16 text split into the two articles at the first
// U+0000. Every invariant that the window and the reports rely on is
// checked; a violation aborts.
#include "core/comparison.h"
#include "core/normalise.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

using namespace glenvary::core;

void Check(bool condition)
{
    if (!condition) {
        std::abort();
    }
}

// Sentences and paragraphs divide the word indices into consecutive runs.
template <typename List>
void CheckCovers(const List& units, std::int32_t wordCount)
{
    std::int32_t next = 0;
    for (const auto& unit : units) {
        Check(unit.iFirstWord == next && unit.iLastWord >= unit.iFirstWord);
        next = unit.iLastWord + 1;
    }
    Check(next == wordCount);
}

void CheckUnits(const TArticle& article)
{
    std::int32_t previousEnd = 0;
    for (const TWord& w : article.lstWords) {
        Check(w.iStart > previousEnd && w.iEnd > w.iStart);
        Check(w.iEnd <= static_cast<std::int32_t>(article.sText.size()) + 1);
        previousEnd = w.iEnd;
    }
    CheckCovers(article.lstSentences, article.lstWords.Count());
    CheckCovers(article.lstParagraphs, article.lstWords.Count());
    Check(article.lstParagraphs.Count() <= article.lstSentences.Count());
}

bool IsPaletteColour(TColor c)
{
    for (std::int32_t i = 1; i <= kMatchColorCount; ++i) {
        if (c == MatchColor(i)) {
            return true;
        }
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2) {
        return 0;
    }
    const std::int32_t unit = data[0] % 4;
    const std::int32_t length = static_cast<std::int8_t>(data[1]);
    std::u16string text((size - 2) / 2, u'\0');
    std::memcpy(text.data(), data + 2, text.size() * 2);
    const std::size_t split = text.find(u'\0');
    std::u16string first = text.substr(0, split);
    std::u16string second = split == std::u16string::npos ? first : text.substr(split + 1);
    NormaliseArticle(first);
    NormaliseArticle(second);

    TComparison comparison;
    comparison.SetArticleText(TArticleSide::Article1, first);
    comparison.SetArticleText(TArticleSide::Article2, second);
    const TCompareOutcome outcome = comparison.Compare(length, unit);
    CheckUnits(comparison.Article1());
    CheckUnits(comparison.Article2());
    Check(outcome.duplicatePercent >= 0.0 && outcome.duplicatePercent <= 100.0);
    std::int32_t coloured1 = 0;
    for (const TWord& w : comparison.Article1().lstWords) {
        Check(w.iColor == clWhite || IsPaletteColour(w.iColor));
        coloured1 += w.iColor != clWhite ? 1 : 0;
    }
    for (const TWord& w : comparison.Article2().lstWords) {
        Check(w.iColor == clWhite || IsPaletteColour(w.iColor));
    }
    if (!outcome.compared || length < 1 || unit > 2) {
        Check(coloured1 == 0 && outcome.duplicatedWords == 0);
    }
    // An article compared with itself word by word is duplicated throughout.
    if (split == std::u16string::npos && outcome.compared && unit == ukWords && length >= 1) {
        Check(outcome.duplicatedWords == comparison.Article2().lstWords.Count());
    }
    return 0;
}
