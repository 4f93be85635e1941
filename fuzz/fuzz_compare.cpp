// SPDX-License-Identifier: MIT
// Glenvary: fuzz target for segmentation and the whole comparison.
//
// Input: byte 0 picks the unit (mod 4, so an unknown unit is tried too),
// byte 1 the minimum length (as a signed byte, so negative lengths are
// tried), the rest is UTF-16 text split into the two articles at the first
// U+0000. Every invariant that the window and the reports rely on is
// checked, and on small articles every colour, every unit and the
// percentage are held against the literal model of the matching rules
// (tests/core/oracle.h); a violation or a disagreement aborts.
#include "core/comparison.h"
#include "core/normalise.h"
#include "core/oracle.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace glenvary::core;
namespace oracle = glenvary::test::oracle;

// The model is slow on purpose (a word-by-word search per chunk); articles
// up to this many code units keep an input within milliseconds.
constexpr std::size_t kMaxModelledLength = 512;

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

template <typename List>
void CheckSameUnits(const List& engine, const std::vector<oracle::Unit>& model)
{
    Check(engine.Count() == static_cast<std::int32_t>(model.size()));
    for (std::int32_t i = 0; i < engine.Count(); ++i) {
        const oracle::Unit& m = model[static_cast<std::size_t>(i)];
        Check(engine[i].iFirstWord == m.iFirstWord && engine[i].iLastWord == m.iLastWord);
    }
}

void CheckSameArticle(const TArticle& engine, const oracle::Article& model)
{
    Check(engine.lstWords.Count() == static_cast<std::int32_t>(model.words.size()));
    for (std::int32_t i = 0; i < engine.lstWords.Count(); ++i) {
        const oracle::Word& m = model.words[static_cast<std::size_t>(i)];
        const TWord& w = engine.lstWords[i];
        Check(w.iStart == m.iStart && w.iEnd == m.iEnd && w.iColor == m.iColor);
    }
    CheckSameUnits(engine.lstSentences, model.sentences);
    CheckSameUnits(engine.lstParagraphs, model.paragraphs);
}

void CheckAgainstModel(const std::u16string& first, const std::u16string& second, std::int32_t length,
                       std::int32_t unit, const TComparison& comparison, const TCompareOutcome& outcome)
{
    oracle::Comparison model;
    model.article1.text = first;
    model.article2.text = second;
    const oracle::Outcome want = model.Compare(length, unit);
    Check(outcome.compared == want.compared);
    if (!want.compared) {
        return;
    }
    CheckSameArticle(comparison.Article1(), model.article1);
    CheckSameArticle(comparison.Article2(), model.article2);
    Check(outcome.duplicatedWords == want.duplicatedWords);
    Check(outcome.duplicatePercent == want.duplicatePercent);
    Check(comparison.iColorIndex == model.iColorIndex);
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
    const bool modelled = first.size() <= kMaxModelledLength && second.size() <= kMaxModelledLength;
    const TCompareOutcome outcome = comparison.Compare(length, unit);
    if (modelled) {
        CheckAgainstModel(first, second, length, unit, comparison, outcome);
    }
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
