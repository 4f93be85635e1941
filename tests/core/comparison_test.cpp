// SPDX-License-Identifier: MIT
#include "core/comparison.h"

#include "oracle.h"
#include "test_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace glenvary::core {
namespace {

using test::U16;

constexpr std::int32_t kMaxInt = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMinInt = std::numeric_limits<std::int32_t>::min();

// White, then aqua, money green, yellow, red, olive and silver as BBGGRR.
constexpr std::array<TColor, 7> kPalette = {0xFFFFFF, 0xFFFF00, 0xC0DCC0, 0x00FFFF, 0x0000FF, 0x008080, 0xC0C0C0};

// One digit per word: its colour's place in kPalette (0 white), '?' for a
// colour outside the palette.
template <typename Words>
std::string Colours(const Words& words)
{
    std::string out;
    for (const auto& word : words) {
        const auto* it = std::find(kPalette.begin(), kPalette.end(), word.iColor);
        out += it == kPalette.end() ? '?' : static_cast<char>('0' + (it - kPalette.begin()));
    }
    return out;
}

struct CompareCase {
    const char* name;
    std::string text1;
    std::string text2;
    std::int32_t unitKind;
    std::int32_t length;
    std::string colours1;
    std::string colours2;
    std::int32_t duplicated;
    double percent;
    std::int64_t shown;
    std::int32_t colorIndex;
};

const std::vector<CompareCase>& CompareCases()
{
    static const std::vector<CompareCase> cases = {
        {"a run in the middle of both",
         "The cat sat on the mat.", "A dog Sat on THE mat today.", ukWords, 3,
         "001111", "0011110", 4, 400.0 / 7, 57, 1},
        {"a passage missed because no two-word chunk wraps around",
         "Red apples grow here. Blue rivers run deep.", "Blue rivers run deep and red apples grow here.", ukWords, 2,
         "11110002", "000201111", 5, 500.0 / 9, 56, 2},
        {"a near match that wraps around and clashes",
         "one two three four five six seven", "one two three ten five six seven", ukWords, 3,
         "1110222", "1110222", 6, 600.0 / 7, 86, 2},
        {"length longer than article 1", "the cat sat", "a dog sat here", ukWords, 5, "001", "0010", 1, 25.0, 25, 1},
        {"the second occurrence stays white",
         "big red dog", "big red dog and big red dog", ukWords, 3, "111", "1110000", 3, 300.0 / 7, 43, 1},
        {"identical articles with repeated words",
         "The cat sat on the mat. The dog sat on the cat.", "The cat sat on the mat. The dog sat on the cat.",
         ukWords, 3, "111111111111", "111111111111", 12, 100.0, 100, 1},
        {"articles that differ only in case", "The CAT sat, on the Mat.", "the cat SAT on THE mat", ukWords, 2,
         "111111", "111111", 6, 100.0, 100, 1},
        {"identical articles in sentences", "Sun is hot. Sky is blue.", "Sun is hot. Sky is blue.", ukSentences, 1,
         "111111", "111111", 6, 100.0, 100, 1},
        {"a repeated word in sentences matches the word already coloured",
         "Yes, yes. Yes. We agree now.", "Yes, yes. Yes. We agree now.", ukSentences, 1,
         "111222", "110222", 5, 500.0 / 6, 83, 2},
        {"seven regions cycle back to aqua",
         "a1 q b1 q c1 q d1 q e1 q f1 q g1", "a1 z b1 z c1 z d1 z e1 z f1 z g1", ukWords, 1,
         "1020304050601", "1020304050601", 7, 700.0 / 13, 54, 1},
        {"article 2 without words", "one two", "... ,;", ukWords, 1, "00", "", 0, 0.0, 0, 0},
        {"a half rounds down to even", "alpha", "one two three four five six seven alpha", ukWords, 1,
         "1", "00000001", 1, 12.5, 12, 1},
        {"a half rounds up to even", "alpha beta gamma", "one two three four five alpha beta gamma", ukWords, 2,
         "111", "00000111", 3, 37.5, 38, 1},
        {"after a wrap-around a coloured chunk start needs all its words coloured",
         "a b c", "a b d b c", ukWords, 2, "112", "11002", 3, 60.0, 60, 2},
        {"a match at article 2's last word sends the next search to word 0 as a new region",
         "b a", "a b", ukWords, 1, "12", "21", 2, 100.0, 100, 2},
        {"a match at article 2's last word leaves its colour to clash", "a a", "a", ukWords, 1, "10", "1", 1, 100.0,
         100, 1},
        {"a paragraph matched inside a sentence of article 2",
         "Red apples grow here.\r\nBlue rivers run deep.", "Blue rivers run deep and red apples grow here.",
         ukParagraphs, 1, "11110000", "000001111", 4, 400.0 / 9, 44, 1},
        {"a sentence matched across article 2's sentence boundaries", "We agree now.", "So we agree now, and then.",
         ukSentences, 1, "111", "011100", 3, 50.0, 50, 1},
        {"non-ASCII capitals are not folded", "Été été", "été", ukWords, 1, "01", "1", 1, 100.0, 100, 1},
        {"a negative length compares nothing", "a b c", "a b c", ukWords, -1, "000", "000", 0, 0.0, 0, 0},
        {"a negative length in sentences compares nothing", "a b. c.", "a b. c.", ukSentences, -3, "000", "000", 0,
         0.0, 0, 0},
        {"the lowest length compares nothing", "a b", "a b", ukParagraphs, kMinInt, "00", "00", 0, 0.0, 0, 0},
        {"length 0 compares nothing", "a b", "a b", ukWords, 0, "00", "00", 0, 0.0, 0, 0},
        {"the largest length is cut at the end of article 1", "a b c", "x a b c", ukWords, kMaxInt, "111", "0111",
         3, 75.0, 75, 1},
        {"the largest length in sentences", "a b. c d.", "a b. c d.", ukSentences, kMaxInt, "1111", "1111", 4,
         100.0, 100, 1},
        {"an unknown unit kind compares nothing", "a b", "a b", 3, 1, "00", "00", 0, 0.0, 0, 0},
    };
    return cases;
}

TEST(Compare, ColoursAndCountsTheWorkedExamples)
{
    for (const auto& c : CompareCases()) {
        SCOPED_TRACE(c.name);
        TComparison comparison;
        comparison.SetArticleText(TArticleSide::Article1, U16(c.text1));
        comparison.SetArticleText(TArticleSide::Article2, U16(c.text2));
        const TCompareOutcome outcome = comparison.Compare(c.length, c.unitKind);
        EXPECT_TRUE(outcome.compared);
        EXPECT_EQ(Colours(comparison.Article1().lstWords), c.colours1);
        EXPECT_EQ(Colours(comparison.Article2().lstWords), c.colours2);
        EXPECT_EQ(outcome.duplicatedWords, c.duplicated);
        EXPECT_EQ(outcome.duplicatePercent, c.percent);
        EXPECT_EQ(RoundHalfEven(outcome.duplicatePercent), c.shown);
        EXPECT_EQ(comparison.iColorIndex, c.colorIndex);
        EXPECT_EQ(comparison.iMinLength, c.length);
        EXPECT_EQ(comparison.iUnitKind, c.unitKind);
    }
}

// The differential test trusts the model; here it earns that trust.
TEST(ComparisonModel, ColoursAndCountsTheWorkedExamples)
{
    for (const auto& c : CompareCases()) {
        SCOPED_TRACE(c.name);
        test::oracle::Comparison model;
        model.article1.text = U16(c.text1);
        model.article2.text = U16(c.text2);
        const test::oracle::Outcome outcome = model.Compare(c.length, c.unitKind);
        EXPECT_TRUE(outcome.compared);
        EXPECT_EQ(Colours(model.article1.words), c.colours1);
        EXPECT_EQ(Colours(model.article2.words), c.colours2);
        EXPECT_EQ(outcome.duplicatedWords, c.duplicated);
        EXPECT_EQ(outcome.duplicatePercent, c.percent);
        EXPECT_EQ(model.iColorIndex, c.colorIndex);
    }
}

struct Step {
    std::int32_t first;
    std::int32_t last;
    bool found;
    std::int32_t matchFirst;
    std::int32_t matchLast;
    std::int32_t colorIndex;
    std::int32_t resume;
};

constexpr std::int32_t kUntouched = -77;
constexpr Step Miss(std::int32_t first, std::int32_t last, std::int32_t colorIndex, std::int32_t resume)
{
    return {first, last, false, kUntouched, kUntouched, colorIndex, resume};
}
constexpr Step Hit(std::int32_t first, std::int32_t last, std::int32_t matchFirst, std::int32_t matchLast,
                   std::int32_t colorIndex, std::int32_t resume)
{
    return {first, last, true, matchFirst, matchLast, colorIndex, resume};
}

struct WalkCase {
    const char* name;
    std::string text1;
    std::string text2;
    std::int32_t unitKind;
    std::int32_t length;
    std::vector<Step> steps;
};

const std::vector<WalkCase>& WalkCases()
{
    static const std::vector<WalkCase> cases = {
        {"a run in the middle of both",
         "The cat sat on the mat.",
         "A dog Sat on THE mat today.",
         ukWords,
         3,
         {Miss(0, 2, 0, -1), Miss(1, 3, 0, -1), Hit(2, 4, 2, 4, 1, 2), Hit(3, 5, 3, 5, 1, 3), Hit(4, 5, 4, 5, 1, 4),
          Hit(5, 5, 5, 5, 1, 5)}},
        {"two-word chunks run out at article 2's last word and never wrap around",
         "Red apples grow here. Blue rivers run deep.",
         "Blue rivers run deep and red apples grow here.",
         ukWords,
         2,
         {Hit(0, 1, 5, 6, 1, 5), Hit(1, 2, 6, 7, 1, 6), Hit(2, 3, 7, 8, 1, 7), Miss(3, 4, 1, 7), Miss(4, 5, 1, 7),
          Miss(5, 6, 1, 7), Miss(6, 7, 1, 7), Hit(7, 7, 3, 3, 2, 3)}},
        {"a wrap-around resets the resume position even without a match",
         "one two three four five six seven",
         "one two three ten five six seven",
         ukWords,
         3,
         {Hit(0, 2, 0, 2, 1, 0), Miss(1, 3, 1, -1), Miss(2, 4, 1, -1), Miss(3, 5, 1, -1), Hit(4, 6, 4, 6, 2, 4),
          Hit(5, 6, 5, 6, 2, 5), Hit(6, 6, 6, 6, 2, 6)}},
        {"a coloured chunk start strays into white words after a wrap-around",
         "a b c",
         "a b d b c",
         ukWords,
         2,
         {Hit(0, 1, 0, 1, 1, 0), Miss(1, 2, 1, -1), Hit(2, 2, 4, 4, 2, 4)}},
        {"after a match at article 2's last word the next region starts at word 0",
         "b a",
         "a b",
         ukWords,
         1,
         {Hit(0, 0, 1, 1, 1, 1), Hit(1, 1, 0, 0, 2, 0)}},
        {"after a match at article 2's last word its own colour clashes", "a a", "a", ukWords, 1,
         {Hit(0, 0, 0, 0, 1, 0), Miss(1, 1, 1, -1)}},
        {"sentence chunks", "Yes, yes. Yes. We agree now.", "Yes, yes. Yes. We agree now.", ukSentences, 1,
         {Hit(0, 1, 0, 1, 1, 0), Hit(2, 2, 1, 1, 1, 1), Hit(3, 5, 3, 5, 2, 3)}},
        {"article 2 without words", "a b", ". . .", ukWords, 2, {Miss(0, 1, 0, -1), Miss(1, 1, 0, -1)}},
    };
    return cases;
}

// Drives the engine or the model through one walk, chunk by chunk.
template <typename Comparison>
void ExpectWalk(Comparison& comparison, const WalkCase& c)
{
    std::int32_t unitIndex = -1;
    std::int32_t resume = -1;
    std::size_t n = 0;
    for (;; ++n) {
        std::int32_t first = kUntouched;
        std::int32_t last = kUntouched;
        if (!comparison.NextChunk(unitIndex, first, last)) {
            break;
        }
        ASSERT_LT(n, c.steps.size()) << "more chunks than expected";
        const Step& want = c.steps[n];
        SCOPED_TRACE("chunk " + std::to_string(n));
        EXPECT_EQ(first, want.first);
        EXPECT_EQ(last, want.last);
        std::int32_t matchFirst = kUntouched;
        std::int32_t matchLast = kUntouched;
        EXPECT_EQ(comparison.FindChunkMatch(first, last, resume, matchFirst, matchLast), want.found);
        EXPECT_EQ(matchFirst, want.matchFirst);
        EXPECT_EQ(matchLast, want.matchLast);
        EXPECT_EQ(comparison.iColorIndex, want.colorIndex);
        EXPECT_EQ(resume, want.resume);
    }
    EXPECT_EQ(n, c.steps.size());
}

TEST(FindChunkMatch, WalksTheWorkedExamplesChunkByChunk)
{
    for (const auto& c : WalkCases()) {
        SCOPED_TRACE(c.name);
        TComparison comparison;
        comparison.SetArticleText(TArticleSide::Article1, U16(c.text1));
        comparison.SetArticleText(TArticleSide::Article2, U16(c.text2));
        comparison.iMinLength = c.length;
        comparison.iUnitKind = c.unitKind;
        comparison.BeginMatching();
        ExpectWalk(comparison, c);
    }
}

TEST(ComparisonModel, WalksTheWorkedExamplesChunkByChunk)
{
    for (const auto& c : WalkCases()) {
        SCOPED_TRACE(c.name);
        test::oracle::Comparison model;
        model.article1.text = U16(c.text1);
        model.article2.text = U16(c.text2);
        test::oracle::Split(model.article1);
        test::oracle::Split(model.article2);
        model.iMinLength = c.length;
        model.iUnitKind = c.unitKind;
        ExpectWalk(model, c);
    }
}

TEST(FindChunkMatch, IgnoresChunksOutsideArticleOne)
{
    struct Chunk {
        std::int32_t first;
        std::int32_t last;
    };
    const std::vector<Chunk> chunks = {
        {-1, 0}, {0, 3}, {3, 3}, {2, 1}, {-3, -2}, {1, kMaxInt}, {kMinInt, kMaxInt}, {kMaxInt, kMaxInt}, {kMinInt, 0},
    };
    for (const auto& chunk : chunks) {
        SCOPED_TRACE(std::to_string(chunk.first) + ".." + std::to_string(chunk.last));
        TComparison comparison;
        comparison.SetArticleText(TArticleSide::Article1, u"a b c");
        comparison.SetArticleText(TArticleSide::Article2, u"a b c a");
        comparison.iMinLength = 1;
        comparison.BeginMatching();
        std::int32_t resume = -1;
        std::int32_t matchFirst = kUntouched;
        std::int32_t matchLast = kUntouched;
        ASSERT_TRUE(comparison.FindChunkMatch(0, 0, resume, matchFirst, matchLast));

        matchFirst = kUntouched;
        matchLast = kUntouched;
        EXPECT_FALSE(comparison.FindChunkMatch(chunk.first, chunk.last, resume, matchFirst, matchLast));
        EXPECT_EQ(resume, 0);
        EXPECT_EQ(matchFirst, kUntouched);
        EXPECT_EQ(matchLast, kUntouched);
        EXPECT_EQ(comparison.iColorIndex, 1);
        EXPECT_EQ(Colours(comparison.Article1().lstWords), "100");
        EXPECT_EQ(Colours(comparison.Article2().lstWords), "1000");
    }
}

TEST(FindChunkMatch, FindsNothingFromAResumePositionPastArticleTwo)
{
    TComparison comparison;
    comparison.SetArticleText(TArticleSide::Article1, u"a b");
    comparison.SetArticleText(TArticleSide::Article2, u"a b");
    comparison.BeginMatching();
    std::int32_t resume = 5;
    std::int32_t matchFirst = kUntouched;
    std::int32_t matchLast = kUntouched;
    EXPECT_FALSE(comparison.FindChunkMatch(0, 0, resume, matchFirst, matchLast));
    EXPECT_EQ(resume, 5);
    EXPECT_EQ(matchFirst, kUntouched);
    EXPECT_EQ(Colours(comparison.Article2().lstWords), "00");
}

TEST(FindChunkMatch, IndexesTheArticlesWhenNoWalkWasBegun)
{
    TComparison comparison;
    comparison.SetArticleText(TArticleSide::Article1, u"x b c");
    comparison.SetArticleText(TArticleSide::Article2, u"a b c");
    std::int32_t resume = -1;
    std::int32_t matchFirst = kUntouched;
    std::int32_t matchLast = kUntouched;
    EXPECT_TRUE(comparison.FindChunkMatch(1, 2, resume, matchFirst, matchLast));
    EXPECT_EQ(matchFirst, 1);
    EXPECT_EQ(matchLast, 2);
    EXPECT_EQ(Colours(comparison.Article2().lstWords), "011");
}

TEST(FindChunkMatch, SeesEachNewTextWithoutBeingTold)
{
    struct Row {
        const char* name;
        std::u16string text1;
        std::u16string text2;
        TArticleSide changed;
        std::u16string newText;
        std::int32_t matchFirst;
        std::int32_t matchLast;
        std::string colours2;
    };
    const std::vector<Row> rows = {
        {"article 2", u"a b", u"x y", TArticleSide::Article2, u"c a b", 1, 2, "011"},
        {"article 1", u"x y", u"c a b", TArticleSide::Article1, u"c a", 0, 1, "110"},
        {"article 1 taking words that article 2 has", u"b c", u"a b", TArticleSide::Article1, u"a b", 0, 1, "11"},
        {"article 1 taking a word that article 2 lacks", u"b c", u"a b", TArticleSide::Article1, u"a q", -1, -1,
         "00"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TComparison comparison;
        comparison.SetArticleText(TArticleSide::Article1, row.text1);
        comparison.SetArticleText(TArticleSide::Article2, row.text2);
        std::int32_t resume = -1;
        std::int32_t matchFirst = kUntouched;
        std::int32_t matchLast = kUntouched;
        // Builds the index and the run lists of two words, and finds nothing.
        ASSERT_FALSE(comparison.FindChunkMatch(0, 1, resume, matchFirst, matchLast));
        comparison.SetArticleText(row.changed, row.newText);
        comparison.BeginMatching();
        resume = -1;
        matchFirst = -1;
        matchLast = -1;
        EXPECT_EQ(comparison.FindChunkMatch(0, 1, resume, matchFirst, matchLast), row.matchFirst >= 0);
        EXPECT_EQ(matchFirst, row.matchFirst);
        EXPECT_EQ(matchLast, row.matchLast);
        EXPECT_EQ(Colours(comparison.Article2().lstWords), row.colours2);
    }
}

TEST(ReparseArticle, WhitensOneSideSoThatItsWordsMatchAgain)
{
    TComparison comparison;
    comparison.SetArticleText(TArticleSide::Article1, u"a b c");
    comparison.SetArticleText(TArticleSide::Article2, u"b a c");
    ASSERT_EQ(comparison.Compare(1, ukWords).duplicatedWords, 3);
    const std::string colours1 = Colours(comparison.Article1().lstWords);
    comparison.ReparseArticle(TArticleSide::Article2);
    EXPECT_EQ(Colours(comparison.Article2().lstWords), "000");
    EXPECT_EQ(Colours(comparison.Article1().lstWords), colours1);

    // Word 0 of article 2 was coloured: a stale colour would clash now.
    comparison.BeginMatching();
    std::int32_t resume = 2;
    std::int32_t matchFirst = kUntouched;
    std::int32_t matchLast = kUntouched;
    EXPECT_TRUE(comparison.FindChunkMatch(1, 1, resume, matchFirst, matchLast));
    EXPECT_EQ(matchFirst, 0);
    EXPECT_EQ(Colours(comparison.Article2().lstWords), "100");
}

TEST(Compare, DoesNothingWhenEitherArticleIsBlank)
{
    const std::u16string text1 = u"a b c";
    const std::u16string text2 = u"x a b c";
    const std::vector<std::pair<std::u16string, std::u16string>> blanks = {
        {u"", text2},
        {text1, u""},
        {u" \r\n\t ", text2},
        {text1, u"\x01\x1f \r\n"},
        {u"   ", u"\t"},
        {std::u16string(3, u'\0'), text2},
    };
    for (const auto& [blank1, blank2] : blanks) {
        SCOPED_TRACE(test::U8(blank1) + " / " + test::U8(blank2));
        TComparison comparison;
        comparison.SetArticleText(TArticleSide::Article1, text1);
        comparison.SetArticleText(TArticleSide::Article2, text2);
        ASSERT_TRUE(comparison.Compare(1, ukWords).compared);
        // Only the side that turns blank is given its new text; the other
        // keeps the colours of the comparison before.
        if (blank1 != text1) {
            comparison.SetArticleText(TArticleSide::Article1, blank1);
        }
        if (blank2 != text2) {
            comparison.SetArticleText(TArticleSide::Article2, blank2);
        }
        const std::vector<TWord> words1(comparison.Article1().lstWords.begin(), comparison.Article1().lstWords.end());
        const std::vector<TWord> words2(comparison.Article2().lstWords.begin(), comparison.Article2().lstWords.end());

        EXPECT_FALSE(comparison.Compare(2, ukSentences).compared);
        EXPECT_EQ(std::vector<TWord>(comparison.Article1().lstWords.begin(), comparison.Article1().lstWords.end()),
                  words1);
        EXPECT_EQ(std::vector<TWord>(comparison.Article2().lstWords.begin(), comparison.Article2().lstWords.end()),
                  words2);
        EXPECT_EQ(Colours(comparison.Article2().lstWords),
                  blank2 == text2 ? "0111" : std::string(words2.size(), '0'));
        EXPECT_EQ(comparison.iColorIndex, 1);
        EXPECT_EQ(comparison.iMinLength, 1);
        EXPECT_EQ(comparison.iUnitKind, ukWords);
    }
}

TEST(Compare, GivesTheSameResultWhenRunAgain)
{
    TComparison comparison;
    comparison.SetArticleText(TArticleSide::Article1, u"Red apples grow here. Blue rivers run deep.");
    comparison.SetArticleText(TArticleSide::Article2, u"Blue rivers run deep and red apples grow here.");
    const TCompareOutcome first = comparison.Compare(2, ukWords);
    const std::string colours1 = Colours(comparison.Article1().lstWords);
    const std::string colours2 = Colours(comparison.Article2().lstWords);

    // Colours of another comparison left in the lists must not leak into
    // the next one.
    comparison.Compare(1, ukWords);
    ASSERT_NE(Colours(comparison.Article2().lstWords), colours2);
    const TCompareOutcome second = comparison.Compare(2, ukWords);
    EXPECT_EQ(second.duplicatedWords, first.duplicatedWords);
    EXPECT_EQ(second.duplicatePercent, first.duplicatePercent);
    EXPECT_EQ(Colours(comparison.Article1().lstWords), colours1);
    EXPECT_EQ(Colours(comparison.Article2().lstWords), colours2);
    EXPECT_EQ(comparison.iColorIndex, 2);
}

TEST(Compare, HandsTheResultOverAndComparesAgainAfterwards)
{
    TComparison comparison;
    comparison.SetArticleText(TArticleSide::Article1, u"Red apples grow here. Blue rivers run deep.");
    comparison.SetArticleText(TArticleSide::Article2, u"Blue rivers run deep and red apples grow here.");
    comparison.Compare(2, ukWords);
    const std::string colours2 = Colours(comparison.Article2().lstWords);
    const TArticle taken = comparison.TakeArticle(TArticleSide::Article2);
    EXPECT_EQ(Colours(taken.lstWords), colours2);
    EXPECT_EQ(taken.sText, u"Blue rivers run deep and red apples grow here.");
    EXPECT_EQ(comparison.Article2().lstWords.Count(), 0);
    EXPECT_FALSE(comparison.Compare(2, ukWords).compared);
    // What the comparison kept of the taken article must not leak into the next one.
    comparison.SetArticleText(TArticleSide::Article2, u"deep and here red apples grow");
    TComparison fresh;
    fresh.SetArticleText(TArticleSide::Article1, u"Red apples grow here. Blue rivers run deep.");
    fresh.SetArticleText(TArticleSide::Article2, u"deep and here red apples grow");
    EXPECT_EQ(comparison.Compare(2, ukWords).duplicatedWords, fresh.Compare(2, ukWords).duplicatedWords);
    EXPECT_EQ(Colours(comparison.Article2().lstWords), Colours(fresh.Article2().lstWords));
}

TEST(Compare, StartsFromWhiteWordLists)
{
    TComparison comparison;
    comparison.SetArticleText(TArticleSide::Article1, u"a b c");
    comparison.SetArticleText(TArticleSide::Article2, u"a b c");
    ASSERT_EQ(comparison.Compare(1, ukWords).duplicatedWords, 3);
    const TCompareOutcome outcome = comparison.Compare(-1, ukWords);
    EXPECT_TRUE(outcome.compared);
    EXPECT_EQ(outcome.duplicatedWords, 0);
    EXPECT_EQ(outcome.duplicatePercent, 0.0);
    EXPECT_EQ(Colours(comparison.Article1().lstWords), "000");
    EXPECT_EQ(Colours(comparison.Article2().lstWords), "000");
    EXPECT_EQ(comparison.iColorIndex, 0);
}

TEST(Compare, SplitsTheCurrentTextsOnEveryRun)
{
    TComparison comparison;
    comparison.SetArticleText(TArticleSide::Article1, u"The cat sat on the mat.");
    comparison.SetArticleText(TArticleSide::Article2, u"A dog Sat on THE mat today.");
    ASSERT_EQ(comparison.Compare(3, ukWords).duplicatedWords, 4);

    comparison.SetArticleText(TArticleSide::Article1, u"dog cat");
    comparison.SetArticleText(TArticleSide::Article2, u"a cat, a dog");
    const TCompareOutcome outcome = comparison.Compare(1, ukWords);
    EXPECT_EQ(outcome.duplicatedWords, 2);
    EXPECT_EQ(outcome.duplicatePercent, 50.0);
    EXPECT_EQ(Colours(comparison.Article1().lstWords), "12");
    EXPECT_EQ(Colours(comparison.Article2().lstWords), "0201");
    ASSERT_EQ(comparison.Article2().lstWords.Count(), 4);
    EXPECT_EQ(comparison.Article2().lstWords[3], (TWord{10, 13, kPalette[1]}));
}

struct PassageCase {
    const char* name;
    TArticleSide side;
    std::int32_t word;
    // Expected first1, last1, first2, last2; last1 -1 for no passage.
    std::array<std::int32_t, 4> passage;
};

TEST(PassageOf, JoinsTheMatchesOfOneCopyAndPairsItWithItsPartner)
{
    // Article 1's "red green blue cyan" is copied at 1..4 of article 2 by
    // three sliding chunks, and "a b c" at 9..11 by two; "c d" fails at its
    // last word there and strays after the wrap-around, and the last chunk,
    // "d" alone, is then found from the start, at 7, in a third colour.
    const PassageCase cases[] = {
        {"first word of a copy in article 1", TArticleSide::Article1, 0, {0, 3, 1, 4}},
        {"middle word of the copy in article 2", TArticleSide::Article2, 2, {0, 3, 1, 4}},
        {"last word painted by a later match", TArticleSide::Article2, 4, {0, 3, 1, 4}},
        {"white word", TArticleSide::Article2, 0, {0, -1, 0, -1}},
        {"word past the end", TArticleSide::Article1, 99, {0, -1, 0, -1}},
        {"second copy, from article 2", TArticleSide::Article2, 10, {5, 7, 9, 11}},
        {"its last word, from article 1", TArticleSide::Article1, 7, {5, 7, 9, 11}},
        {"the last chunk, one word, found after the wrap-around", TArticleSide::Article1, 8, {8, 8, 7, 7}},
    };
    TComparison comparison;
    comparison.SetArticleText(TArticleSide::Article1, U16("red green blue cyan magenta a b c d"));
    comparison.SetArticleText(TArticleSide::Article2, U16("black red green blue cyan white c d x a b c x"));
    ASSERT_TRUE(comparison.Compare(2, ukWords).compared);
    for (const PassageCase& c : cases) {
        SCOPED_TRACE(c.name);
        const auto passage = comparison.PassageOf(c.side, c.word);
        if (c.passage[1] < 0) {
            EXPECT_FALSE(passage.has_value());
            continue;
        }
        ASSERT_TRUE(passage.has_value());
        EXPECT_EQ((std::array{passage->first1, passage->last1, passage->first2, passage->last2}), c.passage);
    }
    // Without passages kept, the same walk leaves none; kept again, the
    // next walk has them.
    comparison.KeepPassages(false);
    EXPECT_FALSE(comparison.PassageOf(TArticleSide::Article1, 0).has_value());
    ASSERT_TRUE(comparison.Compare(2, ukWords).compared);
    EXPECT_FALSE(comparison.PassageOf(TArticleSide::Article2, 2).has_value());
    comparison.KeepPassages(true);
    ASSERT_TRUE(comparison.Compare(2, ukWords).compared);
    EXPECT_TRUE(comparison.PassageOf(TArticleSide::Article2, 2).has_value());
    // A changed text takes the colours' meaning, and the passages, with it.
    comparison.SetArticleText(TArticleSide::Article2, U16("black red green blue cyan white c d x a b c x"));
    EXPECT_FALSE(comparison.PassageOf(TArticleSide::Article1, 0).has_value());
}

TEST(MatchColor, GivesThePaletteForOneToSixAndWhiteOtherwise)
{
    struct Row {
        std::int32_t index;
        TColor colour;
    };
    const std::vector<Row> rows = {
        {1, 0xFFFF00}, {2, 0xC0DCC0}, {3, 0x00FFFF}, {4, 0x0000FF},  {5, 0x008080},      {6, 0xC0C0C0},
        {0, clWhite},  {-1, clWhite}, {7, clWhite},  {13, clWhite}, {kMinInt, clWhite}, {kMaxInt, clWhite},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.index);
        EXPECT_EQ(MatchColor(row.index), row.colour);
        EXPECT_EQ(test::oracle::MatchColor(row.index), row.colour);
    }
}

TEST(RoundHalfEven, RoundsHalvesToTheEvenNeighbour)
{
    struct Row {
        double value;
        std::int64_t rounded;
    };
    const std::vector<Row> rows = {
        {400.0 / 7, 57}, {500.0 / 9, 56}, {600.0 / 7, 86}, {300.0 / 7, 43}, {500.0 / 6, 83},
        {12.5, 12},      {37.5, 38},      {0.5, 0},        {1.5, 2},        {2.5, 2},
        {99.5, 100},     {98.5, 98},      {0.0, 0},        {100.0, 100},    {0.49999999999999994, 0},
        {-0.5, 0},       {-1.5, -2},      {-2.5, -2},      {-2.6, -3},      {300.0, 300},
        {4503599627370497.0, 4503599627370497},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.value);
        EXPECT_EQ(RoundHalfEven(row.value), row.rounded);
    }
    EXPECT_EQ(RoundHalfEven(1e300), std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(RoundHalfEven(-1e300), std::numeric_limits<std::int64_t>::min());
}

TEST(DuplicatePercent, DividesOnceAndGivesZeroWithoutWords)
{
    struct Row {
        std::int32_t coloured;
        std::int32_t words;
        double percent;
    };
    // 100 / 3 and 500 / 6 differ in the last bit from 1 / 3 x 100 and
    // 5 / 6 x 100: the single division is what shows.
    const std::vector<Row> rows = {
        {4, 7, 400.0 / 7}, {1, 3, 100.0 / 3}, {5, 6, 500.0 / 6}, {1, 8, 12.5}, {7, 7, 100.0},
        {0, 5, 0.0},       {0, 0, 0.0},       {3, 0, 0.0},       {1, -2, 0.0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::to_string(row.coloured) + " of " + std::to_string(row.words));
        EXPECT_EQ(DuplicatePercent(row.coloured, row.words), row.percent);
    }
}

TEST(CountColouredWords, CountsEveryColourButWhite)
{
    TListWords words;
    EXPECT_EQ(CountColouredWords(words), 0);
    words.AddWord(1, 2, clWhite);
    words.AddWord(3, 4, kPalette[1]);
    words.AddWord(5, 6, clBlack);
    words.AddWord(7, 8, clWhite);
    words.AddWord(9, 10, 0x123456);
    EXPECT_EQ(CountColouredWords(words), 3);
}

} // namespace
} // namespace glenvary::core
