// SPDX-License-Identifier: MIT
// The chunk walk and the chunk search: each of the four ways a pair of
// words fails (runs out, differs, clashes, strays) has a function of its
// own here, and FindChunkMatch puts them together in the rule's order. The
// literal model in tests/core/oracle.cpp states the same rule plainly.
#include "chunk_match.h"

#include <algorithm>
#include <limits>

namespace glenvary::core {
std::int32_t PaletteIndex(TColor colour) noexcept
{
    for (std::int32_t i = 1; i <= kMatchColorCount; ++i) {
        if (MatchColor(i) == colour) {
            return i;
        }
    }
    return 0;
}

void TComparison::TMatcher::Whiten(TArticle& article, bool article2)
{
    const std::int32_t words = article.lstWords.Count();
    // The matches' ranges lose their meaning with the colours.
    matches.clear();
    matchOfKnown = false;
    bool& painted = article2 ? paintedSince2 : paintedSince1;
    if (!painted && (article2 ? white2 : white1).Size() == words) {
        // Nothing was painted since the side was last whitened, and every
        // article that took its place came white: all is white already.
        return;
    }
    painted = false;
    for (TWord& word : article.lstWords) {
        word.iColor = clWhite;
    }
    if (article2) {
        white2.Reset(words, true);
        coloured2.Reset(words, false);
        for (TPlaceSet& set : palette2) {
            set.Reset(words, false);
        }
        painted2 = {};
        // The places known to cover a coloured word are white again.
        index.ForgetColours();
    } else {
        white1.Reset(words, true);
        painted1 = {};
    }
}

// Colours first..last of one article and returns the first word that took
// the colour from this match: the words before it have it already.
std::int32_t TComparison::TMatcher::Paint(TArticle& article, bool article2, std::int32_t first, std::int32_t last,
                                           TColor colour)
{
    TPaintedRun& run = article2 ? painted2 : painted1;
    (article2 ? paintedSince2 : paintedSince1) = true;
    std::int32_t from = first;
    if (colour == run.colour && first >= run.first && first <= run.last + 1) {
        // The words up to the run's end have this colour already.
        from = std::max(first, run.last + 1);
        run.last = std::max(run.last, last);
    } else {
        run = {first, last, colour};
    }
    if (from > last) {
        return from;
    }
    for (std::int32_t i = from; i <= last; ++i) {
        article.lstWords[i].iColor = colour;
    }
    if (!article2) {
        white1.Assign(from, last, false);
        return from;
    }
    // Mostly the words were white; only words of another colour must leave
    // that colour's set.
    const bool recoloured = coloured2.Next(from) <= last;
    white2.Assign(from, last, false);
    coloured2.Assign(from, last, true);
    const std::int32_t paletteIndex = PaletteIndex(colour);
    for (std::int32_t i = 1; i <= kMatchColorCount; ++i) {
        if (i == paletteIndex || recoloured) {
            palette2[static_cast<std::size_t>(i - 1)].Assign(from, last, i == paletteIndex);
        }
    }
    return from;
}

// Whether the chunk's whole run is known to stand nowhere in article 2:
// the lists of its length are held and have no run like it. Without the
// lists nothing is known.
bool TComparison::TMatcher::StandsNowhere(const TChunkSearch& search) const noexcept
{
    const TRunLists* runs = index.Held(search.lastOffset + 1);
    return runs != nullptr && index.KeyOf(*runs, search.first) < 0;
}

// Strays: with a new region sought and the chunk's first word coloured,
// every start fails at the chunk's first white word. Its offset, or
// lastOffset + 1 when no word strays.
std::int32_t TComparison::TMatcher::FirstStray(const TChunkSearch& search, const TListWords& words1) const noexcept
{
    if (!search.newRegion || words1[search.first].iColor == clWhite) {
        return search.lastOffset + 1;
    }
    const std::int32_t white = white1.Next(search.first + 1);
    return white <= search.last ? white - search.first : search.lastOffset + 1;
}

// Clashes: the first word of article 2 in from..to that a match may not run
// over (one of another region's colour, or any coloured word while a new
// region is sought), or -1.
std::int32_t TComparison::TMatcher::FirstClash(std::int32_t from, std::int32_t to,
                                               const TChunkSearch& search) const noexcept
{
    std::int32_t clash = coloured2.Next(from);
    if (clash > to || search.AllColouredClash()) {
        return clash <= to ? clash : -1;
    }
    // Words of the current region's colour may be run over.
    if (to - clash < tuning.shortSpan) {
        const TColor current = MatchColor(search.current);
        for (std::int32_t i = clash; i <= to; ++i) {
            const TColor colour = (*words2)[i].iColor;
            if (colour != clWhite && colour != current) {
                return i;
            }
        }
        return -1;
    }
    clash = white2.Size();
    for (std::int32_t i = 1; i <= kMatchColorCount; ++i) {
        if (i != search.current) {
            clash = std::min(clash, palette2[static_cast<std::size_t>(i - 1)].Next(from));
        }
    }
    return clash <= to ? clash : -1;
}

// The first word of article 2 from `from` on that does not clash, or
// article 2's word count.
std::int32_t TComparison::TMatcher::NextFree(std::int32_t from, const TChunkSearch& search) const noexcept
{
    const std::int32_t white = white2.Next(from);
    if (search.AllColouredClash()) {
        return white;
    }
    return std::min(white, palette2[static_cast<std::size_t>(search.current - 1)].Next(from));
}

// Differs: how many of the pairs (first1 + k, first2 + k), k below `count`,
// are the same word before the first that differs. Pairs known to hold
// from an earlier look-up along the same diagonal are not compared again,
// so chunks that slide along one match cost only their new words.
std::int32_t TComparison::TMatcher::SameWords(std::int32_t first1, std::int32_t first2, std::int32_t count) noexcept
{
    std::int32_t known = 0;
    if (diagonal.first1 - diagonal.first2 == first1 - first2 && first1 >= diagonal.first1) {
        known = std::max(0, diagonal.equal - (first1 - diagonal.first1));
    }
    std::int32_t k = std::min(known, count);
    while (k < count && index.Id1(first1 + k) == index.Id2(first2 + k)) {
        ++k;
    }
    if (k > known) {
        diagonal = {first1, first2, k};
    }
    return k;
}

// Whether all the pairs (first1 + k, first2 + k), k below `count`, are the
// same word: read from the common endings when endings held for the run's
// last word reach that far, else compared as SameWords does.
bool TComparison::TMatcher::RunStands(std::int32_t first1, std::int32_t first2, std::int32_t count) noexcept
{
    if (const TEndingRuns* ending = index.Ending(first1 + count - 1, count)) {
        return ending->Common(first2 + count - 1) >= count;
    }
    return SameWords(first1, first2, count) == count;
}

// Before the wrap-around: the first start from search.start on whose first
// lastOffset pairs hold decides. All pairs held is a match; the chunk's
// last word failing is the wrap-around. A one-word chunk is decided by its
// first start alone.
TProbe TComparison::TMatcher::FirstDecidingStart(const TChunkSearch& search, const TListWords& words1)
{
    if (search.start > index.Count2() - 1) {
        return {};
    }
    if (search.lastOffset == 0) {
        const std::int32_t start = search.start;
        const bool holds = index.Id1(search.first) == index.Id2(start) && FirstClash(start, start, search) < 0;
        return {holds ? TProbe::Match : TProbe::WrapAround, start};
    }
    const std::int32_t stray = FirstStray(search, words1);
    if (stray < search.lastOffset || search.RunsOut(search.start)) {
        // Every start fails before the chunk's last word: it strays, or runs
        // out of article 2.
        return {};
    }
    const std::int32_t start = FirstFreeRun(search, search.lastOffset, search.start);
    if (start < 0) {
        return {};
    }
    const std::int32_t lastPlace = start + search.lastOffset;
    const bool lastHolds = stray > search.lastOffset && RunStands(search.first, start, search.lastOffset + 1)
        && FirstClash(lastPlace, lastPlace, search) < 0;
    return {lastHolds ? TProbe::Match : TProbe::WrapAround, start};
}

// After the wrap-around: the first start from article 2's first word where
// the whole chunk holds.
TProbe TComparison::TMatcher::FirstWholeMatch(const TChunkSearch& search, const TListWords& words1)
{
    if (search.RunsOut(0) || FirstStray(search, words1) <= search.lastOffset) {
        return {};
    }
    const std::int32_t start = FirstFreeRun(search, search.lastOffset + 1, 0);
    return start < 0 ? TProbe{} : TProbe{TProbe::Match, start};
}

std::int32_t TComparison::UnitCount() const noexcept
{
    switch (iUnitKind) {
    case ukWords: return article1_.lstWords.Count();
    case ukSentences: return article1_.lstSentences.Count();
    case ukParagraphs: return article1_.lstParagraphs.Count();
    default: return 0;
    }
}

bool TComparison::NextChunk(std::int32_t& unitIndex, std::int32_t& first, std::int32_t& last) const
{
    first = -1;
    last = -1;
    const std::int32_t units = UnitCount();
    if (units == 0) {
        return false;
    }
    if (unitIndex == std::numeric_limits<std::int32_t>::max()) {
        return false;
    }
    ++unitIndex;
    // A walk position that was below -1 would look up a unit before the
    // first; a length below 1 covers no unit at all.
    if (unitIndex < 0 || unitIndex > units - 1 || iMinLength < 1) {
        return false;
    }
    // Formed in 64 bits: a length near INT32_MAX still cuts at article 1's end.
    const auto lastUnit = static_cast<std::int32_t>(
        std::min<std::int64_t>(std::int64_t{unitIndex} + iMinLength - 1, std::int64_t{units} - 1));
    switch (iUnitKind) {
    case ukWords:
        first = unitIndex;
        last = lastUnit;
        break;
    case ukSentences:
        first = article1_.lstSentences[unitIndex].iFirstWord;
        last = article1_.lstSentences[lastUnit].iLastWord;
        break;
    default:
        first = article1_.lstParagraphs[unitIndex].iFirstWord;
        last = article1_.lstParagraphs[lastUnit].iLastWord;
        break;
    }
    return true;
}

bool TComparison::FindChunkMatch(std::int32_t first, std::int32_t last, std::int32_t& resume,
                                 std::int32_t& matchFirst, std::int32_t& matchLast)
{
    const TListWords& words1 = article1_.lstWords;
    const TListWords& words2 = article2_.lstWords;
    const std::int32_t count2 = words2.Count();
    if (first < 0 || last < first || last >= words1.Count()) {
        return false;
    }
    TMatcher& matcher = Matcher();

    TChunkSearch search;
    search.first = first;
    search.last = last;
    search.lastOffset = last - first;
    search.lastStart = count2 - 1 - search.lastOffset;
    search.current = PaletteIndex(MatchColor(iColorIndex));
    std::int64_t j = resume;
    if (j == std::int64_t{count2} - 1) {
        // The previous match ended article 2: start over as a new region.
        j = -1;
        search.newRegion = true;
    }
    // A resume position before article 2 would lead the search outside it;
    // one past its end finds nothing.
    search.start = static_cast<std::int32_t>(std::clamp<std::int64_t>(j + 1, 0, count2));

    // A chunk whose words stand together nowhere in article 2 matches
    // nothing; searched from article 2's first word, it leaves the resume
    // position as it is, since its wrap-around would only set it there.
    if (resume == -1 && matcher.StandsNowhere(search)) {
        return false;
    }

    TProbe probe = matcher.FirstDecidingStart(search, words1);
    if (probe.kind == TProbe::WrapAround) {
        // The one wrap-around: from article 2's first word, as a new region.
        resume = -1;
        search.newRegion = true;
        search.start = 0;
        probe = matcher.FirstWholeMatch(search, words1);
    }
    if (probe.kind != TProbe::Match) {
        return false;
    }

    const std::int32_t found = probe.start;
    matchFirst = found;
    matchLast = found + search.lastOffset;
    resume = found;

    bool newRegion = search.newRegion;
    if ((first > 0 && words1[first - 1].iColor == clWhite) || (found > 0 && words2[found - 1].iColor == clWhite)) {
        newRegion = true;
    }
    if (newRegion) {
        iColorIndex = iColorIndex >= 0 && iColorIndex < kMatchColorCount ? iColorIndex + 1 : 1;
    }
    if (iColorIndex < 1 || iColorIndex > kMatchColorCount) {
        iColorIndex = 1;
    }
    const TColor colour = MatchColor(iColorIndex);
    const std::int32_t painted1 = matcher.Paint(article1_, false, first, last, colour);
    const std::int32_t painted2 = matcher.Paint(article2_, true, found, matchLast, colour);
    matcher.Record({{first, last, found, matchLast}, colour, painted1, painted2, first});
    return true;
}

} // namespace glenvary::core
