// SPDX-License-Identifier: MIT
// A slow, literal model of the segmentation, the chunk walk, the matching
// and the Compare command. It shares no code and no data structure with the
// engine, so that the differential test can hold the fast engine against it.
// Every step is written out the long way on purpose: keep it that way.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace glenvary::test::oracle {

/// A highlight colour as BBGGRR; kWhite means "in no matching part".
using Color = std::uint32_t;
inline constexpr Color kWhite = 0xFFFFFF;

/// One word: the characters iStart .. iEnd - 1 (1-based) of its article's
/// text, and its colour.
struct Word {
    std::int32_t iStart = 0;
    std::int32_t iEnd = 0;
    Color iColor = kWhite;
};

/// A sentence or paragraph: an inclusive range of word indices.
struct Unit {
    std::int32_t iFirstWord = 0;
    std::int32_t iLastWord = 0;
};

/// One article side: its text and the units that describe it.
struct Article {
    std::u16string text;
    std::vector<Word> words;
    std::vector<Unit> sentences;
    std::vector<Unit> paragraphs;
};

/// Refills the three lists of `article` from its text, in one pass with
/// open markers for the word, sentence and paragraph under construction.
/// Every word comes out white.
void Split(Article& article);

/// The colour of colour index 1..6 (aqua, money green, yellow, red, olive,
/// silver); white for every other index.
[[nodiscard]] Color MatchColor(std::int32_t colorIndex);

/// True when nothing is left of `text` once its leading and trailing code
/// units of value 0 to 32 are taken away.
[[nodiscard]] bool IsBlank(std::u16string_view text);

/// Word `index1` of `article1` equals word `index2` of `article2`: their
/// texts, cut out of the articles' texts by position, agree after folding
/// the capitals A-Z to small letters. Reads the words with bounds checks,
/// so a read outside a list throws instead of passing silently.
[[nodiscard]] bool SameWord(const Article& article1, std::int32_t index1, const Article& article2,
                            std::int32_t index2);

/// What one whole comparison reports.
struct Outcome {
    bool compared = false;
    std::int32_t duplicatedWords = 0;
    double duplicatePercent = 0.0;
};

/// Both article sides and the settings of the walk, as the window holds
/// them.
class Comparison {
public:
    Article article1;
    Article article2;
    std::int32_t iMinLength = 0;
    std::int32_t iUnitKind = 0;
    std::int32_t iColorIndex = 0;

    /// One step of the chunk walk over article 1: advances `unitIndex` and
    /// yields the chunk's word range, or returns false when the walk is
    /// over (first and last are then -1). A negative length yields nothing.
    bool NextChunk(std::int32_t& unitIndex, std::int32_t& first, std::int32_t& last) const;

    /// Looks the chunk first..last up in article 2 with the new-region flag,
    /// the one wrap-around allowance and the four failure tests, and on a
    /// match advances the colour and colours both runs. Valid chunks only.
    bool FindChunkMatch(std::int32_t first, std::int32_t last, std::int32_t& resume, std::int32_t& matchFirst,
                        std::int32_t& matchLast);

    /// The Compare command over article1.text and article2.text: nothing
    /// when either is blank; otherwise a fresh split of both, the walk with
    /// a match per chunk, and the percentage of article 2's coloured words.
    Outcome Compare(std::int32_t minLength, std::int32_t unitKind);
};

} // namespace glenvary::test::oracle
