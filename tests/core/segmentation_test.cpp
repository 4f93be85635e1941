// SPDX-License-Identifier: MIT
#include "core/segmentation.h"

#include "test_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace glenvary::core {
namespace {

using test::U16;

struct SegmentationCase {
    const char* name;
    std::u16string text;
    std::vector<TWord> words;
    std::vector<TWordRange> sentences;
    std::vector<TWordRange> paragraphs;
};

std::vector<TWordRange> Ranges(const TListSentences& list)
{
    return {list.begin(), list.end()};
}
std::vector<TWordRange> Ranges(const TListParagraphs& list)
{
    return {list.begin(), list.end()};
}

constexpr TColor W = clWhite;

TEST(ParseArticle, SplitsTheDocumentedExamples)
{
    const std::vector<SegmentationCase> cases = {
        {"two sentences", u"Hello world. Bye!", {{1, 6, W}, {7, 12, W}, {14, 17, W}}, {{0, 1}, {2, 2}}, {{0, 2}}},
        {"CR LF paragraphs and a blank line",
         u"One, two; three.\r\n\r\nFour five?\r\nSix",
         {{1, 4, W}, {6, 9, W}, {11, 16, W}, {21, 25, W}, {26, 30, W}, {33, 36, W}},
         {{0, 2}, {3, 4}, {5, 5}},
         {{0, 2}, {3, 4}, {5, 5}}},
        {"abbreviations and numbers",
         u"e.g. pi is 3.14",
         {{1, 2, W}, {3, 4, W}, {6, 8, W}, {9, 11, W}, {12, 13, W}, {14, 16, W}},
         {{0, 0}, {1, 1}, {2, 4}, {5, 5}},
         {{0, 5}}},
        {"word characters", u"don't stop:\tup-to-date", {{1, 6, W}, {7, 23, W}}, {{0, 1}}, {{0, 1}}},
        {"delimiter runs", u"Wait... what?!", {{1, 5, W}, {9, 13, W}}, {{0, 0}, {1, 1}}, {{0, 1}}},
        {"full stop after a space", u"Hi . there", {{1, 3, W}, {6, 11, W}}, {{0, 0}, {1, 1}}, {{0, 1}}},
        {"lone CR and lone LF",
         u"A\rB\nC",
         {{1, 2, W}, {3, 4, W}, {5, 6, W}},
         {{0, 0}, {1, 1}, {2, 2}},
         {{0, 0}, {1, 1}, {2, 2}}},
        {"lone hyphen", u"a - b", {{1, 2, W}, {3, 4, W}, {5, 6, W}}, {{0, 2}}, {{0, 2}}},
        {"empty text", u"", {}, {}, {}},
        {"delimiters only", u" .,;!? \r\n", {}, {}, {}},
        {"no-break space joins", U16("a\u00A0b"), {{1, 4, W}}, {{0, 0}}, {{0, 0}}},
        {"non-ASCII letters and a surrogate pair", U16("żółw 😀x"), {{1, 5, W}, {6, 9, W}}, {{0, 1}}, {{0, 1}}},
        {"LF alone ends sentence and paragraph",
         u"one two\nthree. four",
         {{1, 4, W}, {5, 8, W}, {9, 14, W}, {16, 20, W}},
         {{0, 1}, {2, 2}, {3, 3}},
         {{0, 1}, {2, 3}}},
        {"tab and control characters are word characters", u"\t\x01", {{1, 3, W}}, {{0, 0}}, {{0, 0}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TListWords words;
        TListSentences sentences;
        TListParagraphs paragraphs;
        ParseArticle(c.text, words, sentences, paragraphs);
        EXPECT_EQ(std::vector<TWord>(words.begin(), words.end()), c.words);
        EXPECT_EQ(Ranges(sentences), c.sentences);
        EXPECT_EQ(Ranges(paragraphs), c.paragraphs);
    }
}

TEST(ParseArticle, ReplacesEarlierUnitsAndColours)
{
    TArticle article;
    article.Assign(u"red green blue. Yellow");
    article.lstWords[1].iColor = 0xFFFF00;
    article.Assign(u"one");
    ASSERT_EQ(article.lstWords.Count(), 1);
    EXPECT_EQ(article.lstWords[0], (TWord{1, 4, clWhite}));
    EXPECT_EQ(article.lstSentences.Count(), 1);
    EXPECT_EQ(article.lstParagraphs.Count(), 1);

    article.lstWords[0].iColor = 0xFFFF00;
    article.Reparse();
    EXPECT_EQ(article.lstWords[0].iColor, clWhite);
}

TEST(TListWords, AppendsAtTheEndAndClears)
{
    TListWords words;
    words.ClearAll();
    EXPECT_EQ(words.Count(), 0);
    words.AddWord(1, 2, clWhite);
    words.AddWord(3, 5, clWhite);
    words.AddWord(6, 9, 0x123456);
    ASSERT_EQ(words.Count(), 3);
    EXPECT_EQ(words[2], (TWord{6, 9, 0x123456}));
    words[0].iColor = 0xC0C0C0;
    EXPECT_EQ(words.Items(0).iColor, 0xC0C0C0U);
    words.ClearAll();
    EXPECT_EQ(words.Count(), 0);
}

} // namespace
} // namespace glenvary::core
