// SPDX-License-Identifier: MIT
#include "core/highlight.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
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

} // namespace
} // namespace glenvary::core
