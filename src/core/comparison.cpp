// SPDX-License-Identifier: MIT
#include "comparison.h"

#include "normalise.h"
#include "word_index.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <span>

namespace glenvary::core {
namespace {

// The outcome of scanning article 2 for a chunk's first deciding candidate.
struct TProbe {
    enum Kind { None, Match, WrapAround } kind = None;
    std::int32_t start = -1;
};

// How many of the chunk's words around its start are looked at when picking
// the rarest one to draw candidate places from; a bound keeps the pick cheap
// for very long chunks while still skipping common words such as "the".
constexpr std::int32_t kAnchorWindow = 16;

} // namespace

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

TComparison::TComparison() = default;
TComparison::~TComparison() = default;

void TComparison::InvalidateIndex() noexcept
{
    index_.reset();
    ResetWalkMemo();
}

void TComparison::ResetWalkMemo() noexcept
{
    painted1_ = {};
    painted2_ = {};
    diagonal_ = {};
}

void TComparison::BeginMatching()
{
    iColorIndex = 0;
    index_ = std::make_unique<TWordIndex>(article1, article2);
    ResetWalkMemo();
}

void TComparison::Paint(TListWords& words, TPaintedRun& run, std::int32_t first, std::int32_t last, TColor colour)
{
    std::int32_t from = first;
    if (colour == run.colour && first >= run.first && first <= run.last + 1) {
        // The words up to the run's end have this colour already.
        from = std::max(first, run.last + 1);
        run.last = std::max(run.last, last);
    } else {
        run = {first, last, colour};
    }
    for (std::int32_t i = from; i <= last; ++i) {
        words[i].iColor = colour;
    }
}

TCompareOutcome TComparison::Compare(std::int32_t minLength, std::int32_t unitKind)
{
    TCompareOutcome outcome;
    if (IsBlankArticle(article1.sText) || IsBlankArticle(article2.sText)) {
        return outcome;
    }
    iMinLength = minLength;
    iUnitKind = unitKind;
    article1.Reparse();
    article2.Reparse();
    BeginMatching();

    std::int32_t unitIndex = -1;
    std::int32_t resume = -1;
    std::int32_t first = -1;
    std::int32_t last = -1;
    std::int32_t matchFirst = -1;
    std::int32_t matchLast = -1;
    while (NextChunk(unitIndex, first, last)) {
        FindChunkMatch(first, last, resume, matchFirst, matchLast);
    }

    outcome.compared = true;
    outcome.duplicatedWords = CountColouredWords(article2.lstWords);
    outcome.duplicatePercent = DuplicatePercent(outcome.duplicatedWords, article2.lstWords.Count());
    return outcome;
}

bool TComparison::NextChunk(std::int32_t& unitIndex, std::int32_t& first, std::int32_t& last) const
{
    first = -1;
    last = -1;
    std::int32_t units = 0;
    switch (iUnitKind) {
    case ukWords: units = article1.lstWords.Count(); break;
    case ukSentences: units = article1.lstSentences.Count(); break;
    case ukParagraphs: units = article1.lstParagraphs.Count(); break;
    default: return false;
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
        first = article1.lstSentences[unitIndex].iFirstWord;
        last = article1.lstSentences[lastUnit].iLastWord;
        break;
    default:
        first = article1.lstParagraphs[unitIndex].iFirstWord;
        last = article1.lstParagraphs[lastUnit].iLastWord;
        break;
    }
    return true;
}

bool TComparison::FindChunkMatch(std::int32_t first, std::int32_t last, std::int32_t& resume,
                                 std::int32_t& matchFirst, std::int32_t& matchLast)
{
    TListWords& words1 = article1.lstWords;
    TListWords& words2 = article2.lstWords;
    const std::int32_t count1 = words1.Count();
    const std::int32_t count2 = words2.Count();
    if (first < 0 || last < first || last >= count1) {
        return false;
    }
    if (!index_) {
        index_ = std::make_unique<TWordIndex>(article1, article2);
        ResetWalkMemo();
    }
    const TWordIndex& index = *index_;
    const std::int32_t lastOffset = last - first;
    const TColor current = MatchColor(iColorIndex);

    bool newRegion = false;
    bool allowance = true;
    std::int64_t j = resume;
    if (j == std::int64_t{count2} - 1) {
        j = -1;
        newRegion = true;
    }
    // A resume position before article 2 would lead the search outside it.
    j = std::max<std::int64_t>(j, -1);

    // A word of article 2 that a match may not run over: one of another
    // region's colour, or any coloured word while a new region is sought.
    auto blocked = [&](std::int32_t word) {
        const TColor c = words2[word].iColor;
        return c != clWhite && (newRegion || c != current);
    };

    // The first candidate start from `start` on whose pairs hold up to
    // `threshold` pairs decides the search: all pairs held is a match, a
    // failure exactly at the chunk's last word is a wrap-around (only
    // sought while the allowance lasts, when threshold is lastOffset).
    auto scan = [&](std::int64_t start, std::int32_t threshold) -> TProbe {
        if (start > std::int64_t{count2} - 1) {
            return {};
        }
        if (threshold == 0) {
            // A one-word chunk with the allowance left: the first candidate
            // either matches or fails at the chunk's last word.
            const auto candidate = static_cast<std::int32_t>(start);
            const bool holds = index.Id1(first) != TWordIndex::kAbsent && index.Id1(first) == index.Id2(candidate)
                && !blocked(candidate);
            return {holds ? TProbe::Match : TProbe::WrapAround, candidate};
        }
        // Strays: with a new region sought and the chunk's first word
        // coloured, every pair fails from the chunk's first white word on,
        // whatever the candidate.
        std::int32_t strayAt = lastOffset + 1;
        if (newRegion && words1[first].iColor != clWhite) {
            std::int32_t from = 1;
            if (painted1_.colour != clWhite && first >= painted1_.first && first <= painted1_.last) {
                from = painted1_.last - first + 1;
            }
            for (std::int32_t k = from; k <= lastOffset; ++k) {
                if (words1[first + k].iColor == clWhite) {
                    strayAt = k;
                    break;
                }
            }
        }
        if (strayAt < threshold) {
            return {};
        }
        // Past this start the chunk runs out of article 2 before its last word.
        const std::int64_t lastStart = std::int64_t{count2} - 1 - lastOffset;
        if (start > lastStart) {
            return {};
        }
        // Candidates come from the places of the rarest word, or where two
        // words must agree the rarest side-by-side pair, among the chunk's
        // leading words that must agree.
        std::int32_t anchor = 0;
        std::span<const std::int32_t> places;
        std::size_t fewest = std::numeric_limits<std::size_t>::max();
        const std::int32_t window = std::min(threshold, kAnchorWindow);
        for (std::int32_t k = 0; k < window; ++k) {
            const auto candidates = threshold >= 2
                ? index.PairPlaces(index.Id1(first + std::min(k, threshold - 2)),
                                   index.Id1(first + std::min(k, threshold - 2) + 1))
                : index.Places(index.Id1(first + k));
            if (candidates.size() < fewest) {
                fewest = candidates.size();
                anchor = threshold >= 2 ? std::min(k, threshold - 2) : k;
                places = candidates;
                if (fewest == 0) {
                    return {};
                }
            }
        }
        const std::int32_t stop = std::min(strayAt, lastOffset + 1);
        auto it = std::lower_bound(places.begin(), places.end(), start + anchor);
        while (it != places.end()) {
            const std::int32_t candidate = *it - anchor;
            if (candidate > lastStart) {
                break;
            }
            // Pairs already known to hold: same words along the diagonal of
            // an earlier candidate, and article 2 words of the current
            // colour that a match may run over again.
            std::int32_t knownEqual = 0;
            if (diagonal_.first1 - diagonal_.first2 == first - candidate && first >= diagonal_.first1) {
                knownEqual = std::max(0, diagonal_.equal - (first - diagonal_.first1));
            }
            std::int32_t knownFree = 0;
            if (!newRegion && painted2_.colour == current && candidate >= painted2_.first
                && candidate <= painted2_.last) {
                knownFree = painted2_.last - candidate + 1;
            }
            std::int32_t k = std::min({knownEqual, knownFree, stop});
            while (k < stop && index.Id1(first + k) == index.Id2(candidate + k) && !blocked(candidate + k)) {
                ++k;
            }
            diagonal_ = {first, candidate, std::max(k, knownEqual)};
            if (k >= threshold) {
                return {k == lastOffset + 1 ? TProbe::Match : TProbe::WrapAround, candidate};
            }
            if (k < stop && index.Id1(first + k) == index.Id2(candidate + k)) {
                // Blocked at candidate + k: every start up to there would run
                // over the same word, and over the rest of its painted run.
                std::int64_t next = std::int64_t{candidate} + k + 1;
                const std::int32_t at = candidate + k;
                if (at >= painted2_.first && at <= painted2_.last) {
                    next = std::max<std::int64_t>(next, std::int64_t{painted2_.last} + 1);
                }
                it = std::lower_bound(it + 1, places.end(), next + anchor);
            } else {
                ++it;
            }
        }
        return {};
    };

    std::int64_t start = j + 1;
    TProbe probe;
    for (;;) {
        probe = scan(start, allowance ? lastOffset : lastOffset + 1);
        if (probe.kind != TProbe::WrapAround) {
            break;
        }
        resume = -1;
        newRegion = true;
        allowance = false;
        start = 0;
    }
    if (probe.kind == TProbe::None) {
        return false;
    }

    const std::int32_t found = probe.start;
    matchFirst = found;
    matchLast = found + lastOffset;
    resume = found;

    if ((first > 0 && words1[first - 1].iColor == clWhite) || (found > 0 && words2[found - 1].iColor == clWhite)) {
        newRegion = true;
    }
    if (newRegion) {
        ++iColorIndex;
    }
    if (iColorIndex < 1 || iColorIndex > kMatchColorCount) {
        iColorIndex = 1;
    }
    const TColor colour = MatchColor(iColorIndex);
    Paint(words1, painted1_, first, last, colour);
    Paint(words2, painted2_, found, matchLast, colour);
    return true;
}

} // namespace glenvary::core
