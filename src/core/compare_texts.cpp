// SPDX-License-Identifier: MIT
#include "compare_texts.h"

#include "normalise.h"
#include "side_by_side.h"

#include <utility>
#include <vector>

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

namespace {

// Compares two texts as the options read them. Nothing shorter than the
// minimum length is marked: the walk leaves out the last chunks, cut short
// at article 1's end, which would mark its last word wherever it stands.
TCompareOutcome CompareAsRead(TComparison& comparison, std::u16string text1, std::u16string text2,
                              const TCompareSettings& settings)
{
    comparison.LookUpCutChunks(false);
    comparison.SetArticleTexts(std::move(text1), std::move(text2));
    return RunCompare(comparison, settings);
}

// The words of `compared` (as the comparison reads it) that a comparison
// with `other` as article 1, read the same way, colours.
std::vector<bool> MatchedBy(const TMappedText& compared, const std::u16string& other,
                            const TCompareSettings& settings, const TCompareOptions& options)
{
    TComparison comparison;
    comparison.KeepPassages(false);
    CompareAsRead(comparison, ReadAsCompared(other, options).text, compared.text, settings);
    const TListWords& words = comparison.Article2().lstWords;
    std::vector<bool> matched(static_cast<std::size_t>(words.Count()), false);
    for (std::int32_t w = 0; w < words.Count(); ++w) {
        matched[static_cast<std::size_t>(w)] = words[w].iColor != clWhite;
    }
    return matched;
}

// Turns the left-out words of `article` white; returns how many of them
// there are.
std::int32_t LeaveOut(TArticle& article, const TMappedText& read, const TCompareSettings& settings,
                      const TCompareOptions& options)
{
    std::vector<bool> left(static_cast<std::size_t>(article.lstWords.Count()), false);
    for (const std::u16string& ignored : options.ignoreTexts) {
        // The ignored text takes article 1's place, so that its passages
        // are found in the article exactly as article 1's are.
        const std::vector<bool> matched = MatchedBy(read, NormalisedArticle(ignored), settings, options);
        for (std::size_t w = 0; w < left.size() && w < matched.size(); ++w) {
            left[w] = left[w] || matched[w];
        }
    }
    if (options.ignoreQuoted) {
        const std::vector<bool> quoted = QuotedWords(article.sText, article.lstWords);
        for (std::size_t w = 0; w < left.size(); ++w) {
            left[w] = left[w] || quoted[w];
        }
    }
    std::int32_t count = 0;
    for (std::int32_t w = 0; w < article.lstWords.Count(); ++w) {
        if (left[static_cast<std::size_t>(w)]) {
            article.lstWords[w].iColor = clWhite;
            ++count;
        }
    }
    return count;
}

// CompareTexts with options on, through `comparison`. A comparison that
// keeps its passages keeps its articles too (copied into the result), so
// that its PassageOf answers for the result's words: the same words in the
// same order, only placed in the original texts.
TComparedTexts CompareWithOptions(TComparison& comparison, std::u16string text1, std::u16string text2,
                                  const TCompareSettings& settings, const TCompareOptions& options, bool keep)
{
    SideBySide(
        text1.size() + text2.size() >= kParallelWords, [&text1] { NormaliseArticle(text1); },
        [&text2] { NormaliseArticle(text2); });
    const TMappedText read1 = ReadAsCompared(text1, options);
    const TMappedText read2 = ReadAsCompared(text2, options);
    TComparedTexts compared;
    comparison.KeepPassages(keep);
    compared.outcome = CompareAsRead(comparison, read1.text, read2.text, settings);
    for (const TArticleSide side : {TArticleSide::Article1, TArticleSide::Article2}) {
        TArticle& article = side == TArticleSide::Article1 ? compared.article1 : compared.article2;
        article = keep ? comparison.Article(side) : comparison.TakeArticle(side);
    }
    if (options.Transforms()) {
        MapWordsBack(read1, compared.article1.lstWords);
        MapWordsBack(read2, compared.article2.lstWords);
    }
    compared.article1.sText = std::move(text1);
    compared.article2.sText = std::move(text2);
    if (compared.outcome.compared) {
        LeaveOut(compared.article1, read1, settings, options);
        compared.leftOutWords = LeaveOut(compared.article2, read2, settings, options);
        compared.outcome.duplicatedWords = CountColouredWords(compared.article2.lstWords);
        compared.outcome.duplicatePercent =
            DuplicatePercent(compared.outcome.duplicatedWords, compared.article2.lstWords.Count());
    }
    return compared;
}

} // namespace

TComparedTexts CompareTexts(std::u16string text1, std::u16string text2, const TCompareSettings& settings,
                            const TCompareOptions& options)
{
    if (!options.Any()) {
        return CompareTexts(std::move(text1), std::move(text2), settings);
    }
    TComparison comparison;
    return CompareWithOptions(comparison, std::move(text1), std::move(text2), settings, options, false);
}

TOptionsComparison::TOptionsComparison(std::u16string text1, std::u16string text2, const TCompareSettings& settings,
                                       const TCompareOptions& options)
    : compared_(CompareWithOptions(matcher_, std::move(text1), std::move(text2), settings, options, true))
{
}

std::optional<TComparison::TPassage> TOptionsComparison::PassageOf(TArticleSide side, std::int32_t word) const
{
    const TListWords& words = (side == TArticleSide::Article1 ? compared_.article1 : compared_.article2).lstWords;
    if (word < 0 || word >= words.Count() || words[word].iColor == clWhite) {
        return std::nullopt;
    }
    return matcher_.PassageOf(side, word);
}

TPreparedArticle PrepareText(std::u16string text)
{
    NormaliseArticle(text);
    return TPreparedArticle(std::move(text));
}

} // namespace glenvary::core
