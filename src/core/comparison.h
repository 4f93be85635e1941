// SPDX-License-Identifier: MIT
// Glenvary: the duplicate comparison of two articles.
#pragma once

#include "segmentation.h"
#include "tuning.h"
#include "words.h"

#include <cstdint>
#include <memory>
#include <optional>

#include <string>

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

class TWordTable;

/// An article stored, split and its words interned once, so that it can
/// take part in many comparisons without being split or indexed again (a
/// batch run compares every article with every other). Its word lists stay
/// white: each comparison colours copies of its own. Nothing changes it
/// after construction, so any number of comparisons, on any threads, may
/// read one at the same time.
class TPreparedArticle {
public:
    /// Stores `text` as given (normalising is the caller's), splits it as
    /// TComparison::SetArticleText does and interns its words. Cost: one
    /// pass over the text and one over the words' characters.
    /// Precondition: text.size() <= kMaxTextLength.
    explicit TPreparedArticle(std::u16string text);
    ~TPreparedArticle();
    TPreparedArticle(TPreparedArticle&&) noexcept;
    TPreparedArticle& operator=(TPreparedArticle&&) noexcept;

    /// The text with its words (all white), sentences and paragraphs.
    [[nodiscard]] const TArticle& Article() const noexcept { return article_; }

private:
    friend class TComparison;

    TArticle article_;
    std::unique_ptr<TWordTable> words_;
};

/// One of the two articles of a comparison.
enum class TArticleSide : std::uint8_t {
    Article1,
    Article2,
};

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
///
/// The articles change only through SetArticleText and ReparseArticle, so
/// the comparison always knows when its word index must be built again;
/// callers never need to say so.
class TComparison {
public:
    TComparison();
    ~TComparison();
    TComparison(const TComparison&) = delete;
    TComparison& operator=(const TComparison&) = delete;

    /// The articles as last split: text, words with their colours,
    /// sentences and paragraphs. Both start empty.
    [[nodiscard]] const TArticle& Article1() const noexcept { return article1_; }
    [[nodiscard]] const TArticle& Article2() const noexcept { return article2_; }
    [[nodiscard]] const TArticle& Article(TArticleSide side) const noexcept
    {
        return side == TArticleSide::Article1 ? article1_ : article2_;
    }

    /// Stores `text` as the side's text (as given: normalising is the
    /// caller's) and splits it into words, sentences and paragraphs, every
    /// word white. The word index of that side is built again at the next
    /// look-up. Cost: one pass over the text.
    /// Precondition: text.size() <= kMaxTextLength.
    void SetArticleText(TArticleSide side, std::u16string text);

    /// Stores and splits both texts at once, as two SetArticleText calls
    /// would, splitting them on two threads when they are large.
    /// Precondition: each text's size is at most kMaxTextLength.
    void SetArticleTexts(std::u16string text1, std::u16string text2);

    /// Takes the two prepared articles as the two sides, as SetArticleText
    /// would take their texts, but without splitting them or interning their
    /// words again: each side gets its own copy of the text and the lists,
    /// every word white, and the interned words as they were prepared. The
    /// same prepared article may be both sides. Cost: copying both articles
    /// and their interned words; the next look-up then links article 1's
    /// words to article 2's, one look-up per distinct word.
    void SetPreparedArticles(const TPreparedArticle& article1, const TPreparedArticle& article2);

    /// Where the engine's speed-ups start (TTuning's defaults unless set):
    /// for the comparisons from now on. No result depends on it.
    void SetTuning(const TTuning& tuning);
    [[nodiscard]] const TTuning& Tuning() const noexcept;

    /// Splits the side's stored text afresh, which turns every word of that
    /// side white; the word index stays valid. Cost: one pass over the
    /// side's words.
    void ReparseArticle(TArticleSide side);

    /// Hands the side's article over, colours included, and leaves the side
    /// empty, so that a caller done comparing keeps the result without a
    /// copy of a book-length text. Cost: O(1) plus emptying the side.
    [[nodiscard]] TArticle TakeArticle(TArticleSide side);

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
    /// Cost: linear in the words of both articles, plus building the word
    /// index once after a text changed, plus for each chunk a few hash
    /// look-ups and the words that its match adds; on two threads where the
    /// work divides (interning the two articles, indexing two run lengths).
    TCompareOutcome Compare(std::int32_t minLength, std::int32_t unitKind);

    /// Sets iColorIndex to 0 and forgets what the previous walk learnt, so
    /// that a walk can begin on the articles as they stand.
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
    /// with first above last, matches nothing. Any chunk in any order may be
    /// looked up, from any resume position.
    /// Cost: a few hash look-ups and the chunk's words not yet known to
    /// match; the first look-ups after a text changed build the word index.
    bool FindChunkMatch(std::int32_t first, std::int32_t last, std::int32_t& resume, std::int32_t& matchFirst,
                        std::int32_t& matchLast);

    /// Whether walks keep what PassageOf needs, 32 bytes a match or less
    /// (they do unless told otherwise). A caller that never asks for
    /// passages, such as a report, turns it off; PassageOf then finds
    /// nothing until a walk that keeps them.
    void KeepPassages(bool keep) noexcept;

    /// Whether walks look up the last chunks of article 1, cut short at its
    /// end (they do unless told otherwise). Such a chunk may be one word,
    /// which then is marked wherever it stands in article 2; a comparison
    /// that marks nothing shorter than its minimum length turns it off, and
    /// its walk ends with the last whole chunk. The chunks before are
    /// looked up exactly as otherwise, so only the cut chunks' colours are
    /// missing.
    void LookUpCutChunks(bool lookUp) noexcept { lookUpCutChunks_ = lookUp; }

    /// The passage a coloured word belongs to and its copy in the other
    /// article: both inclusive word ranges, `first1`..`last1` in article 1
    /// and `first2`..`last2` in article 2.
    struct TPassage {
        std::int32_t first1 = 0;
        std::int32_t last1 = -1;
        std::int32_t first2 = 0;
        std::int32_t last2 = -1;
    };

    /// The passage of word `word` of `side` and its partner: the match that
    /// gave the word its present colour, joined with the matches made just
    /// before and after it that continue the same copy (same colour, the
    /// same offset between the articles, touching or overlapping in both).
    /// Nothing for a white word, a word outside the side, or when no walk
    /// has coloured the articles since they last changed.
    [[nodiscard]] std::optional<TPassage> PassageOf(TArticleSide side, std::int32_t word) const;

private:
    struct TMatcher;

    TMatcher& Matcher();

    // Units of article 1 in the walk's unit kind; 0 for an unknown kind.
    [[nodiscard]] std::int32_t UnitCount() const noexcept;

    TArticle article1_;
    TArticle article2_;
    bool lookUpCutChunks_ = true;
    // The word index, the colours as sets of places and the walk's memory;
    // kept in step with the two articles by the members above.
    std::unique_ptr<TMatcher> matcher_;
};

} // namespace glenvary::core
