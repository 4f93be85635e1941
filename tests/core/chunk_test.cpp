// SPDX-License-Identifier: MIT
#include "core/comparison.h"

#include "test_text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <utility>
#include <vector>

namespace glenvary::core {
namespace {

constexpr std::int32_t kMaxInt = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMinInt = std::numeric_limits<std::int32_t>::min();

using Chunks = std::vector<std::pair<std::int32_t, std::int32_t>>;

// Runs the walk to its end and checks what every call must keep: the walk
// position moves one unit per chunk, and a call that ends the walk leaves
// no chunk behind.
Chunks Walk(const std::u16string& text, std::int32_t unitKind, std::int32_t length)
{
    TComparison comparison;
    comparison.SetArticleText(TArticleSide::Article1, text);
    comparison.iUnitKind = unitKind;
    comparison.iMinLength = length;
    Chunks chunks;
    std::int32_t unitIndex = -1;
    for (std::int32_t calls = 0; calls < 1000; ++calls) {
        std::int32_t first = -77;
        std::int32_t last = -77;
        if (!comparison.NextChunk(unitIndex, first, last)) {
            EXPECT_EQ(first, -1);
            EXPECT_EQ(last, -1);
            return chunks;
        }
        chunks.emplace_back(first, last);
        EXPECT_EQ(unitIndex, calls);
    }
    ADD_FAILURE() << "the walk does not end";
    return chunks;
}

const std::u16string kFiveWords = u"One two three four five.";
const std::u16string kThreeSentences = u"Sun is hot. Sky is blue. Grass is green.";
// Paragraphs: words 0-2, 3-8 (two sentences), 9-9.
const std::u16string kThreeParagraphs = u"Sun is hot.\r\nSky is blue. Grass is green.\r\n\r\nRain";

struct ChunkCase {
    const char* name;
    std::u16string text;
    std::int32_t unitKind;
    std::int32_t length;
    Chunks chunks;
};

TEST(NextChunk, WalksArticleOneInOverlappingChunks)
{
    const std::vector<ChunkCase> cases = {
        {"three words", kFiveWords, ukWords, 3, {{0, 2}, {1, 3}, {2, 4}, {3, 4}, {4, 4}}},
        {"more words than the article has", kFiveWords, ukWords, 7, {{0, 4}, {1, 4}, {2, 4}, {3, 4}, {4, 4}}},
        {"exactly the article's words", kFiveWords, ukWords, 5, {{0, 4}, {1, 4}, {2, 4}, {3, 4}, {4, 4}}},
        {"one word", kFiveWords, ukWords, 1, {{0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, 4}}},
        {"two sentences", kThreeSentences, ukSentences, 2, {{0, 5}, {3, 8}, {6, 8}}},
        {"one sentence", kThreeSentences, ukSentences, 1, {{0, 2}, {3, 5}, {6, 8}}},
        {"more sentences than the article has", kThreeSentences, ukSentences, 4, {{0, 8}, {3, 8}, {6, 8}}},
        {"two paragraphs", kThreeParagraphs, ukParagraphs, 2, {{0, 8}, {3, 9}, {9, 9}}},
        {"one paragraph", kThreeParagraphs, ukParagraphs, 1, {{0, 2}, {3, 8}, {9, 9}}},
        {"four sentences in three paragraphs, two at a time", kThreeParagraphs, ukSentences, 2,
         {{0, 5}, {3, 8}, {6, 9}, {9, 9}}},
        {"a single sentence, one at a time", u"One two three four five", ukSentences, 1, {{0, 4}}},
        {"a single sentence, three at a time", u"One two three four five", ukSentences, 3, {{0, 4}}},
        {"a single paragraph of several sentences", kThreeSentences, ukParagraphs, 1, {{0, 8}}},
        {"a single paragraph, two at a time", kThreeSentences, ukParagraphs, 2, {{0, 8}}},
        {"the largest length in words", kFiveWords, ukWords, kMaxInt, {{0, 4}, {1, 4}, {2, 4}, {3, 4}, {4, 4}}},
        {"the largest length but one", kFiveWords, ukWords, kMaxInt - 1, {{0, 4}, {1, 4}, {2, 4}, {3, 4}, {4, 4}}},
        {"the largest length in sentences", kThreeSentences, ukSentences, kMaxInt, {{0, 8}, {3, 8}, {6, 8}}},
        {"the largest length in paragraphs", kThreeParagraphs, ukParagraphs, kMaxInt, {{0, 9}, {3, 9}, {9, 9}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Walk(c.text, c.unitKind, c.length), c.chunks);
    }
}

TEST(NextChunk, YieldsNothingWithoutWordsOrWithALengthBelowOne)
{
    struct Row {
        const char* name;
        std::u16string text;
        std::int32_t length;
    };
    const std::vector<Row> rows = {
        {"no text", u"", 1},
        {"full stops only", u"...", 1},
        {"delimiters only", u" ,;!?\r\n", kMaxInt},
        {"length 0", kThreeParagraphs, 0},
        {"length -1", kThreeParagraphs, -1},
        {"length -3", kThreeParagraphs, -3},
        {"the lowest length", kThreeParagraphs, kMinInt},
    };
    for (const auto& row : rows) {
        for (const std::int32_t unitKind : {ukWords, ukSentences, ukParagraphs}) {
            SCOPED_TRACE(std::string(row.name) + ", unit kind " + std::to_string(unitKind));
            EXPECT_EQ(Walk(row.text, unitKind, row.length), Chunks{});
        }
    }
}

TEST(NextChunk, YieldsNothingForAnUnknownUnitKind)
{
    for (const std::int32_t unitKind : {3, -1, 100, kMinInt, kMaxInt}) {
        SCOPED_TRACE(unitKind);
        TComparison comparison;
        comparison.SetArticleText(TArticleSide::Article1, kThreeParagraphs);
        comparison.iUnitKind = unitKind;
        comparison.iMinLength = 1;
        std::int32_t unitIndex = -1;
        std::int32_t first = 5;
        std::int32_t last = 5;
        EXPECT_FALSE(comparison.NextChunk(unitIndex, first, last));
        EXPECT_EQ(unitIndex, -1);
        EXPECT_EQ(first, -1);
        EXPECT_EQ(last, -1);
    }
}

TEST(NextChunk, YieldsNothingFromAWalkPositionBeforeTheStart)
{
    TComparison comparison;
    comparison.SetArticleText(TArticleSide::Article1, kFiveWords);
    comparison.iUnitKind = ukWords;
    comparison.iMinLength = 2;
    for (const std::int32_t start : {-2, -100, kMinInt}) {
        SCOPED_TRACE(start);
        std::int32_t unitIndex = start;
        std::int32_t first = 5;
        std::int32_t last = 5;
        EXPECT_FALSE(comparison.NextChunk(unitIndex, first, last));
        EXPECT_EQ(first, -1);
        EXPECT_EQ(last, -1);
    }
}

} // namespace
} // namespace glenvary::core
