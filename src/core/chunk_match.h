// SPDX-License-Identifier: MIT
// Glenvary: the chunk search and its state. How a chunk of article 1 is
// looked up in article 2 and coloured, test by test; the plain statement of
// the same rule, written out the long way, is the literal model in
// tests/core/oracle.h and oracle.cpp, against which the differential test
// holds this code. Where candidates come from is candidate_search.h's.
#pragma once

#include "comparison.h"
#include "passages.h"
#include "place_set.h"
#include "tuning.h"
#include "word_index.h"

#include <array>
#include <cstdint>
#include <vector>

namespace glenvary::core {

// What settles the search for a chunk before or after the wrap-around.
struct TProbe {
    enum Kind { None, Match, WrapAround } kind = None;
    std::int32_t start = -1;
};

// The search for one chunk of article 1 in article 2.
struct TChunkSearch {
    std::int32_t first = 0;
    std::int32_t last = 0;
    std::int32_t lastOffset = 0;
    // The first start looked at.
    std::int32_t start = 0;
    // Past this start the chunk runs out of article 2 before its last word.
    std::int32_t lastStart = 0;
    bool newRegion = false;
    // The palette place of the current region's colour; 0 before the first
    // match, when every coloured word clashes.
    std::int32_t current = 0;

    // Every coloured word of article 2 clashes, not only those of another
    // region's colour.
    [[nodiscard]] bool AllColouredClash() const noexcept { return newRegion || current == 0; }
    // Runs out: from `candidate` on, the chunk reaches article 2's last word
    // before its own last word, so every start from there fails.
    [[nodiscard]] bool RunsOut(std::int32_t candidate) const noexcept { return candidate > lastStart; }
};

// The place of a match colour in the palette, 1..6; 0 for white and any
// colour outside the palette.
[[nodiscard]] std::int32_t PaletteIndex(TColor colour) noexcept;

// Everything the comparison keeps beside the two articles: the word index,
// the colours of the words as sets of places, so that the next clashing or
// free word is found without walking the words between, and what the walk
// learnt so far. The colour sets always say what the word lists say.
struct TComparison::TMatcher {
    // The last range painted in one article, merged with the ranges of the
    // same colour painted before it that it touches; every word in it has
    // `colour`. Overlapping chunks of one region keep extending it.
    struct TPaintedRun {
        std::int32_t first = 0;
        std::int32_t last = -1;
        TColor colour = clWhite;
    };
    // Pairs (first1 + k, first2 + k) for k below `equal` are the same word.
    struct TDiagonal {
        std::int32_t first1 = 0;
        std::int32_t first2 = 0;
        std::int32_t equal = 0;
    };
    // A walk over the places of a run's rarest word: either it decided
    // (`start`, -1 for no start), or it grew long enough that the run's own
    // lists, or the common endings of runs that end where it ends, were
    // built to finish the look-up.
    struct TAnchoredWalk {
        bool decided = true;
        std::int32_t start = -1;
        TRunLists* lists = nullptr;
        const TEndingRuns* ending = nullptr;
    };


    TTuning tuning;
    TWordIndex index;
    bool keepMatches = true;
    std::vector<TMatchRecord> matches;
    // Which match gave each word its present colour (-1 for none), made
    // from the records when a passage is first asked for.
    mutable std::vector<std::int32_t> matchOf1;
    mutable std::vector<std::int32_t> matchOf2;
    mutable bool matchOfKnown = false;
    // Article 2's words, for their colours.
    const TListWords* words2 = nullptr;
    TPlaceSet white1;
    TPlaceSet white2;
    TPlaceSet coloured2;
    std::array<TPlaceSet, kMatchColorCount> palette2;
    TPaintedRun painted1;
    TPaintedRun painted2;
    // Whether a side may have been painted since it was last whitened.
    bool paintedSince1 = true;
    bool paintedSince2 = true;
    TDiagonal diagonal;

    void Whiten(TArticle& article, bool article2);
    std::int32_t Paint(TArticle& article, bool article2, std::int32_t first, std::int32_t last, TColor colour);
    void Record(const TMatchRecord& match);
    void KnowMatchOf(std::int32_t count1, std::int32_t count2) const;

    void LookAhead(std::int32_t first, std::int32_t length) const noexcept;

    TProbe FirstDecidingStart(const TChunkSearch& search, const TListWords& words1);
    TProbe FirstWholeMatch(const TChunkSearch& search, const TListWords& words1);

    bool StandsNowhere(const TChunkSearch& search) const noexcept;
    std::int32_t FirstStray(const TChunkSearch& search, const TListWords& words1) const noexcept;
    std::int32_t FirstClash(std::int32_t from, std::int32_t to, const TChunkSearch& search) const noexcept;
    std::int32_t NextFree(std::int32_t from, const TChunkSearch& search) const noexcept;
    std::int32_t SameWords(std::int32_t first1, std::int32_t first2, std::int32_t count) noexcept;
    bool RunStands(std::int32_t first1, std::int32_t first2, std::int32_t count) noexcept;

    std::int32_t FirstFreeRun(const TChunkSearch& search, std::int32_t count, std::int32_t from);
    std::int32_t WalkRunLists(TRunLists& runs, const TChunkSearch& search, std::int32_t from);
    std::int32_t WalkEnding(const TEndingRuns& ending, const TChunkSearch& search, std::int32_t count,
                            std::int32_t from);
    TAnchoredWalk WalkRarestWord(const TChunkSearch& search, std::int32_t count, std::int32_t from);
};

} // namespace glenvary::core
