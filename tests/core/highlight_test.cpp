// SPDX-License-Identifier: MIT
#include "core/highlight.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace glenvary::core {

// Readable failures: "{start+length colour}".
void PrintTo(const THighlightRun& run, std::ostream* out)
{
    *out << "{" << run.start << "+" << run.length << " " << std::hex << run.color << std::dec << "}";
}

namespace {

constexpr TColor A = 0xFFFF00; // aqua
constexpr TColor R = 0x0000FF; // red
constexpr TColor W = clWhite;

struct HighlightCase {
    const char* name;
    std::u16string text;
    std::vector<TWord> words;
    std::vector<THighlightRun> runs;
};

TEST(HighlightRuns, DrawsWordsGapsAndTheEndsAsTheWindowDoes)
{
    const std::vector<HighlightCase> cases = {
        {"nothing coloured is one plain run", u"one two.", {{1, 4, W}, {5, 8, W}}, {{0, 8, W}}},
        {"empty text", u"", {}, {}},
        {"no words", u" . ;\n", {}, {{0, 5, W}}},
        {"gap between two words of one colour takes it", u"one, two", {{1, 4, A}, {6, 9, A}}, {{0, 8, A}}},
        {"gap between two colours stays plain",
         u"one, two",
         {{1, 4, A}, {6, 9, R}},
         {{0, 3, A}, {3, 2, W}, {5, 3, R}}},
        {"gaps beside a plain word stay plain and merge with it",
         u"one two three",
         {{1, 4, A}, {5, 8, W}, {9, 14, A}},
         {{0, 3, A}, {3, 5, W}, {8, 5, A}}},
        {"text before a coloured first word is plain", u"\n  one two", {{4, 7, A}, {8, 11, A}}, {{0, 3, W}, {3, 7, A}}},
        {"text after the last word takes its colour", u"one two.\n", {{1, 4, W}, {5, 8, R}}, {{0, 4, W}, {4, 5, R}}},
        {"text after a plain last word is plain", u"one two.", {{1, 4, R}, {5, 8, W}}, {{0, 3, R}, {3, 5, W}}},
        {"words past the end of the text draw nothing",
         u"one tw",
         {{1, 4, A}, {5, 8, A}, {9, 12, R}},
         {{0, 6, A}}},
        {"an overlapping word draws only what is left", u"abcdef", {{1, 5, A}, {3, 7, R}}, {{0, 4, A}, {4, 2, R}}},
    };
    for (const HighlightCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(HighlightRuns(c.text, c.words), c.runs);
    }
}


// An article of one-letter words a single space apart, word i at offset
// 2i, coloured by `letters`: '.' white, 'A' aqua, 'R' red.
std::vector<TWord> LetterWords(std::string_view letters)
{
    std::vector<TWord> words;
    for (std::size_t i = 0; i < letters.size(); ++i) {
        const auto start = static_cast<std::int32_t>(2 * i + 1);
        words.push_back({start, start + 1, letters[i] == 'A' ? A : letters[i] == 'R' ? R : W});
    }
    return words;
}

std::string Show(const std::optional<TWordRange>& range)
{
    return range ? std::to_string(range->iFirstWord) + "-" + std::to_string(range->iLastWord) : "none";
}

TEST(WordAt, FindsTheWordHoldingACharacter)
{
    // "one, two": word 0 at offsets 0-2, word 1 at 5-7.
    const std::vector<TWord> words = {{1, 4, W}, {6, 9, W}};
    const struct {
        std::int32_t position;
        std::int32_t word;
    } cases[] = {{-1, -1}, {0, 0}, {2, 0}, {3, -1}, {4, -1}, {5, 1}, {7, 1}, {8, -1}, {INT32_MAX, -1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.position);
        EXPECT_EQ(WordAt(words, c.position), c.word);
    }
    EXPECT_EQ(WordAt({}, 0), -1);
}

TEST(NextAndPreviousRegion, GoRoundTheArticle)
{
    // Regions 0-1 (offset 0), 3-3 (offset 6) and 4-5 (offset 8).
    const std::vector<TWord> words = LetterWords("AA.ARR..");
    const struct {
        const char* name;
        std::int32_t offset;
        const char* next;
        const char* previous;
    } cases[] = {
        {"at the first region's start", 0, "0-1", "4-5"},
        {"inside the first region", 2, "3-3", "0-1"},
        {"at a region's start", 6, "3-3", "0-1"},
        {"just after a region's start", 7, "4-5", "3-3"},
        {"after the last region", 12, "0-1", "4-5"},
        {"past the text", 100, "0-1", "4-5"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Show(NextRegion(words, c.offset)), c.next);
        EXPECT_EQ(Show(PreviousRegion(words, c.offset)), c.previous);
    }
    EXPECT_EQ(Show(NextRegion(LetterWords("..."), 0)), "none");
    EXPECT_EQ(Show(PreviousRegion({}, 0)), "none");
}

} // namespace
} // namespace glenvary::core
