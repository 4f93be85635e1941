// SPDX-License-Identifier: MIT
// Glenvary: the duplicate comparison of two articles.
#pragma once

#include "segmentation.h"
#include "words.h"

#include <cstdint>
#include <memory>

namespace glenvary::core {

/// Unit of the minimum length of a matching part (the item index of the
/// window's unit list).
enum TUnitKind : std::int32_t {
    ukWords = 0,
    ukSentences = 1,
    ukParagraphs = 2,
};

/// Number of colours in the match palette.
inline constexpr std::int32_t kMatchColorCount = 6;

/// The colour of colour index 1..6: aqua, money green, yellow, red, olive,
/// silver (as BBGGRR). Every other index gives white.
[[nodiscard]] TColor MatchColor(std::int32_t colorIndex) noexcept;

/// The number of words that are not white.
[[nodiscard]] std::int32_t CountColouredWords(const TListWords& words) noexcept;

/// coloured / wordCount x 100, computed as one correctly rounded division;
/// 0 when wordCount is 0 or below. No upper bound is imposed.
[[nodiscard]] double DuplicatePercent(std::int32_t coloured, std::int32_t wordCount) noexcept;

/// The whole number nearest to `value`, a half going to the even neighbour
/// (57.142857 -> 57, 12.5 -> 12, 37.5 -> 38). Independent of the FPU's
/// rounding mode. Values beyond the int64 range are clamped.
[[nodiscard]] std::int64_t RoundHalfEven(double value) noexcept;

class TWordIndex;

/// Result of one whole comparison.
struct TCompareOutcome {
    /// False when either article is blank: nothing was split or coloured.
    bool compared = false;
    /// Words of article 2 that lie in a matching part.
    std::int32_t duplicatedWords = 0;
    /// duplicatedWords / article 2's word count x 100; 0 without words.
    double duplicatePercent = 0.0;
};

/// The state of the duplicate comparison: both article sides and the
/// settings of the current walk. The window owns one of these; the command
/// line builds one per run.
///
/// A comparison walks article 1 chunk by chunk (NextChunk) and looks each
/// chunk up in article 2 (FindChunkMatch), which colours the words of both
/// runs in the word lists. Compare() does all of it the way the Compare
/// button does.
class TComparison {
public:
    TComparison();
    ~TComparison();
    TComparison(const TComparison&) = delete;
    TComparison& operator=(const TComparison&) = delete;

    TArticle article1;
    TArticle article2;

    /// Chunk length in units; below 1 the walk yields no chunk.
    std::int32_t iMinLength = 0;
    /// 0 words, 1 sentences, 2 paragraphs; any other value yields no chunk.
    std::int32_t iUnitKind = ukWords;
    /// Colour index of the current region: 0 before the first match of a
    /// comparison, 1..6 afterwards.
    std::int32_t iColorIndex = 0;

    /// Runs a whole comparison of the two stored texts: nothing happens when
    /// either is blank (only code units <= 32); otherwise both are split
    /// afresh (every word white), article 1 is walked in chunks of
    /// `minLength` units of `unitKind`, each chunk is matched in article 2,
    /// and the share of article 2's coloured words is returned.
    /// Cost: linear in the texts plus, per chunk, the candidate places in
    /// article 2 where the chunk's rarest leading word occurs.
    TCompareOutcome Compare(std::int32_t minLength, std::int32_t unitKind);

    /// Sets iColorIndex to 0 and indexes the words of both articles as the
    /// lists and texts stand now. Call it after the articles were last split
    /// and before the first FindChunkMatch of a walk.
    void BeginMatching();

    /// Yields the next chunk of article 1 as an inclusive word range.
    /// `unitIndex` is the walk position: -1 before the first call, then left
    /// alone between calls. Returns false when the walk is over (first and
    /// last are then -1). Chunks start one unit apart and span iMinLength
    /// units, cut at the end of article 1; a length below 1, an unknown unit
    /// kind or a walk position below -1 yields nothing. Never reads outside
    /// article 1's lists; no overflow for lengths up to INT32_MAX.
    bool NextChunk(std::int32_t& unitIndex, std::int32_t& first, std::int32_t& last) const;

    /// Looks the chunk first..last of article 1 up in article 2, searching
    /// from the word after `resume` and wrapping around to article 2's first
    /// word at most once, and on success colours both runs with the current
    /// region's colour (advancing the colour when a new region starts).
    /// `resume` is the index in article 2 where the previous match began
    /// (-1 at the start of a comparison) and is updated as the matching
    /// rules say. On success matchFirst/matchLast hold the matched range in
    /// article 2; otherwise they are untouched. A chunk outside article 1, or
    /// with first above last, matches nothing. Builds the word index itself
    /// when none is held (see BeginMatching and InvalidateIndex).
    /// Within one walk only FindChunkMatch may change word colours: it
    /// remembers what it painted, so that chunks overlapping the previous
    /// match cost only their new words. Colours changed in any other way
    /// call for BeginMatching or InvalidateIndex before the next call.
    bool FindChunkMatch(std::int32_t first, std::int32_t last, std::int32_t& resume, std::int32_t& matchFirst,
                        std::int32_t& matchLast);

    /// Drops the word index; the next FindChunkMatch rebuilds it. Call it
    /// when an article's lists or text change between two walks.
    void InvalidateIndex() noexcept;

private:
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

    void ResetWalkMemo() noexcept;
    static void Paint(TListWords& words, TPaintedRun& run, std::int32_t first, std::int32_t last, TColor colour);

    std::unique_ptr<TWordIndex> index_;
    // What the walk learnt so far; it lets a chunk that overlaps the
    // previous match skip the pairs already known to hold, so long chunks
    // cost only their new words. Valid while nothing but FindChunkMatch
    // changes the colours.
    TPaintedRun painted1_;
    TPaintedRun painted2_;
    TDiagonal diagonal_;
};

} // namespace glenvary::core
