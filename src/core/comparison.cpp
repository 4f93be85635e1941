// SPDX-License-Identifier: MIT
#include "comparison.h"

#include "chunk_match.h"
#include "normalise.h"
#include "side_by_side.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <span>

namespace glenvary::core {
TColor MatchColor(std::int32_t colorIndex) noexcept
{
    switch (colorIndex) {
    case 1: return 0xFFFF00; // aqua
    case 2: return 0xC0DCC0; // money green
    case 3: return 0x00FFFF; // yellow
    case 4: return 0x0000FF; // red
    case 5: return 0x008080; // olive
    case 6: return 0xC0C0C0; // silver
    default: return clWhite;
    }
}

std::int32_t CountColouredWords(const TListWords& words) noexcept
{
    return static_cast<std::int32_t>(
        std::count_if(words.begin(), words.end(), [](const TWord& w) { return w.iColor != clWhite; }));
}

double DuplicatePercent(std::int32_t coloured, std::int32_t wordCount) noexcept
{
    if (wordCount <= 0) {
        return 0.0;
    }
    return static_cast<double>(coloured) * 100.0 / static_cast<double>(wordCount);
}

std::int64_t RoundHalfEven(double value) noexcept
{
    if (std::isnan(value)) {
        return 0;
    }
    constexpr double kLimit = 9.2e18;
    if (value >= kLimit) {
        return std::numeric_limits<std::int64_t>::max();
    }
    if (value <= -kLimit) {
        return std::numeric_limits<std::int64_t>::min();
    }
    const double floor = std::floor(value);
    const double fraction = value - floor;
    auto result = static_cast<std::int64_t>(floor);
    if (fraction > 0.5 || (fraction == 0.5 && (result % 2) != 0)) {
        ++result;
    }
    return result;
}

TPreparedArticle::TPreparedArticle(std::u16string text) : words_(std::make_unique<TWordTable>())
{
    article_.Assign(std::move(text));
    words_->Build(article_);
}

TPreparedArticle::~TPreparedArticle() = default;
TPreparedArticle::TPreparedArticle(TPreparedArticle&&) noexcept = default;
TPreparedArticle& TPreparedArticle::operator=(TPreparedArticle&&) noexcept = default;

TComparison::TComparison() : matcher_(std::make_unique<TMatcher>())
{
    matcher_->words2 = &article2_.lstWords;
    matcher_->Whiten(article1_, false);
    matcher_->Whiten(article2_, true);
}

TComparison::~TComparison() = default;

void TComparison::SetArticleText(TArticleSide side, std::u16string text)
{
    const bool second = side != TArticleSide::Article1;
    TArticle& article = second ? article2_ : article1_;
    article.Assign(std::move(text));
    matcher_->index.Forget(second);
    matcher_->diagonal = {};
    matcher_->Whiten(article, second);
}

void TComparison::SetArticleTexts(std::u16string text1, std::u16string text2)
{
    const bool parallel = text1.size() + text2.size() >= matcher_->tuning.parallelWords;
    SideBySide(
        parallel, [&] { article1_.Assign(std::move(text1)); }, [&] { article2_.Assign(std::move(text2)); });
    for (const bool second : {false, true}) {
        matcher_->index.Forget(second);
        matcher_->Whiten(second ? article2_ : article1_, second);
    }
    matcher_->diagonal = {};
}

void TComparison::SetPreparedArticles(const TPreparedArticle& article1, const TPreparedArticle& article2)
{
    // Assigned rather than built anew, so that a comparison that goes from
    // pair to pair keeps the memory of its lists.
    article1_ = article1.article_;
    article2_ = article2.article_;
    matcher_->index.Adopt(*article1.words_, *article2.words_);
    matcher_->diagonal = {};
    matcher_->Whiten(article1_, false);
    matcher_->Whiten(article2_, true);
}

TArticle TComparison::TakeArticle(TArticleSide side)
{
    const bool second = side != TArticleSide::Article1;
    TArticle& article = second ? article2_ : article1_;
    TArticle taken = std::move(article);
    article = TArticle{};
    matcher_->index.Forget(second);
    matcher_->diagonal = {};
    matcher_->Whiten(article, second);
    return taken;
}

void TComparison::ReparseArticle(TArticleSide side)
{
    // The lists hold the split of the stored text, which changes only
    // through SetArticleText: a new split would differ from them only in
    // its colours, all white.
    const bool second = side != TArticleSide::Article1;
    matcher_->Whiten(second ? article2_ : article1_, second);
}

void TComparison::SetTuning(const TTuning& tuning)
{
    matcher_->tuning = tuning;
    matcher_->index.SetTuning(tuning);
}

const TTuning& TComparison::Tuning() const noexcept
{
    return matcher_->tuning;
}

TComparison::TMatcher& TComparison::Matcher()
{
    matcher_->index.Update(article1_, article2_);
    return *matcher_;
}

void TComparison::BeginMatching()
{
    iColorIndex = 0;
    Matcher();
    matcher_->painted1 = {};
    matcher_->painted2 = {};
}

TCompareOutcome TComparison::Compare(std::int32_t minLength, std::int32_t unitKind)
{
    TCompareOutcome outcome;
    if (IsBlankArticle(article1_.sText) || IsBlankArticle(article2_.sText)) {
        return outcome;
    }
    iMinLength = minLength;
    iUnitKind = unitKind;
    ReparseArticle(TArticleSide::Article1);
    ReparseArticle(TArticleSide::Article2);
    BeginMatching();
    if (unitKind == ukWords && minLength >= 2 && minLength <= article1_.lstWords.Count()) {
        // Nearly every chunk of a word walk has minLength words, and looks
        // up runs of that length and one less: index both at once. Long
        // chunks need the lists of their whole length only after their
        // first minLength - 1 words stood somewhere, and those seldom do;
        // the walks build them if they come to need them.
        const std::array<std::int32_t, 2> lengths = {minLength - 1, minLength};
        const std::size_t wanted = minLength < matcher_->tuning.wholeChunkListsBelow ? 2 : 1;
        matcher_->index.Prebuild(std::span<const std::int32_t>(lengths).first(wanted));
    }

    std::int32_t unitIndex = -1;
    std::int32_t resume = -1;
    std::int32_t first = -1;
    std::int32_t last = -1;
    std::int32_t matchFirst = -1;
    std::int32_t matchLast = -1;
    // Looking ahead pays only when the index is larger than the caches.
    const bool lookAhead = unitKind == ukWords && article2_.lstWords.Count() >= matcher_->tuning.lookAheadFrom;
    // Formed in 64 bits, as the chunks' own ends are.
    const std::int64_t wholeChunks = lookUpCutChunks_ ? std::numeric_limits<std::int64_t>::max()
                                                      : std::int64_t{UnitCount()} - minLength + 1;
    while (NextChunk(unitIndex, first, last) && unitIndex < wholeChunks) {
        if (lookAhead) {
            matcher_->LookAhead(first, minLength);
        }
        FindChunkMatch(first, last, resume, matchFirst, matchLast);
    }

    // The run lists served this walk; the next whole comparison starts from
    // white words and builds what its lengths need. Their memory goes back
    // now, before the caller reports on the result.
    matcher_->index.DropRuns();

    outcome.compared = true;
    outcome.duplicatedWords = CountColouredWords(article2_.lstWords);
    outcome.duplicatePercent = DuplicatePercent(outcome.duplicatedWords, article2_.lstWords.Count());
    return outcome;
}

} // namespace glenvary::core
