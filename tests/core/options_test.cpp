// SPDX-License-Identifier: MIT
#include "core/compare_texts.h"
#include "core/options.h"

#include "test_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace glenvary::core {
namespace {

using test::U16;

// The marked words of an article as "[word]" in its own text, the other
// characters as they are, so that a wrong place back in the text shows.
std::string Marked(const TArticle& article)
{
    std::u16string out;
    std::size_t at = 0;
    for (const TWord& word : article.lstWords) {
        if (word.iColor == clWhite) {
            continue;
        }
        const auto start = static_cast<std::size_t>(word.iStart - 1);
        const auto end = static_cast<std::size_t>(word.iEnd - 1);
        out.append(article.sText, at, start - at);
        out += u'[';
        out.append(article.sText, start, end - start);
        out += u']';
        at = end;
    }
    out.append(article.sText, at);
    std::string utf8;
    for (const char16_t c : out) {
        // Enough for the test texts' ASCII; every other unit shows as '~'.
        utf8 += c < 0x80 ? static_cast<char>(c) : '~';
    }
    return utf8;
}

struct TOptionCase {
    const char* name;
    std::string text1;
    std::string text2;
    TCompareOptions options;
    std::int32_t minLength;
    std::string marked2;
    std::int32_t duplicated;
    std::int32_t leftOut;
};

void Check(const TOptionCase& row)
{
    SCOPED_TRACE(row.name);
    const TComparedTexts compared =
        CompareTexts(U16(row.text1), U16(row.text2), TCompareSettings{ukWords, row.minLength}, row.options);
    EXPECT_EQ(Marked(compared.article2), row.marked2);
    EXPECT_EQ(compared.outcome.duplicatedWords, row.duplicated);
    EXPECT_EQ(compared.leftOutWords, row.leftOut);
    const std::int32_t words = compared.article2.lstWords.Count();
    EXPECT_DOUBLE_EQ(compared.outcome.duplicatePercent, DuplicatePercent(row.duplicated, words));
}

TCompareOptions Ignoring(std::vector<std::string> texts)
{
    TCompareOptions options;
    for (const std::string& text : texts) {
        options.ignoreTexts.push_back(U16(text));
    }
    return options;
}

TCompareOptions With(bool quoted, bool fold, bool unicode)
{
    TCompareOptions options;
    options.ignoreQuoted = quoted;
    options.fold = fold;
    options.unicodeWords = unicode;
    return options;
}

TEST(CompareOptionsTest, IgnoredTextsAreNeitherMarkedNorCounted)
{
    const std::vector<TOptionCase> rows{
        {"template left out", "Name the author. the cat sat on the mat", "Name the author. a cat sat on the mat",
         Ignoring({"Name the author."}), 2, "Name the author. a [cat] [sat] [on] [the] [mat]", 5, 3},
        {"template too short to match leaves all", "one two three four", "one two three four",
         Ignoring({"two five"}), 2, "[one] [two] [three] [four]", 4, 0},
        {"two templates", "alpha beta gamma delta eps", "alpha beta gamma delta eps", Ignoring({"alpha beta", "delta eps"}),
         2, "alpha beta [gamma] delta eps", 1, 4},
        {"template words unmatched are counted as left out", "x y z", "head er x y", Ignoring({"head er"}), 2,
         "head er [x] [y]", 2, 2},
    };
    for (const TOptionCase& row : rows) {
        Check(row);
    }
}

TEST(CompareOptionsTest, QuotedWordsAreNeitherMarkedNorCounted)
{
    const std::string said = "she said to him that we go";
    const std::vector<TOptionCase> rows{
        {"straight quotes", said, "she said \"to him\" that we go", With(true, false, false), 1,
         "[she] [said] \"to him\" [that] [we] [go]", 5, 2},
        {"typographic quotes", said, "she said \xE2\x80\x9Cto him\xE2\x80\x9D that we go", With(true, false, false), 1,
         "[she] [said] ~to him~ [that] [we] [go]", 5, 2},
        {"guillemets and low-high", said, "\xC2\xABshe said\xC2\xBB to him \xE2\x80\x9Ethat we\xE2\x80\x9C go",
         With(true, false, false), 1, "~she said~ [to] [him] ~that we~ [go]", 3, 4},
        {"unbalanced quote ends at the paragraph", said, "she \"said to\nhim that we go", With(true, false, false), 1,
         "[she] \"said to\n[him] [that] [we] [go]", 5, 2},
        {"off, quoted words are marked", "she said \"to him\"", "she said \"to him\"", With(false, false, false), 1,
         "[she] [said] [\"to] [him\"]", 4, 0},
    };
    for (const TOptionCase& row : rows) {
        Check(row);
    }
}

TEST(CompareOptionsTest, FoldSeesThroughDisguisesAndKeepsOriginalPlaces)
{
    const std::string text1 = "the quick brown fox jumps";
    const std::vector<TOptionCase> rows{
        {"case beyond A-Z", "stra\xC3\x9F" "e gr\xC3\xBC" "n", "STRASSE GR\xC3\x9C" "N", With(false, true, false), 2,
         "[STRASSE] [GR~N]", 2, 0},
        {"zero-width space inside words", text1, "the qu\xE2\x80\x8Bick bro\xE2\x80\x8Cwn fox", With(false, true, false),
         3, "[the] [qu~ick] [bro~wn] [fox]", 4, 0},
        {"Cyrillic look-alikes in Latin words", text1, "th\xD0\xB5 quick br\xD0\xBEwn fox jumps", With(false, true, false),
         5, "[th~] [quick] [br~wn] [fox] [jumps]", 5, 0},
        {"a whole Cyrillic word stays Cyrillic", "the cop", "the \xD1\x81\xD0\xBE\xD1\x80", With(false, true, false), 2,
         "the ~~~", 0, 0},
        {"compatibility forms", "file no 42", "\xEF\xAC\x81le no \xEF\xBC\x94\xEF\xBC\x92", With(false, true, false), 3,
         "[~le] [no] [~~]", 3, 0},
        {"off, disguises stay unseen", text1, "th\xD0\xB5 quick brown", With(false, false, false), 2,
         "th~ [quick] [brown]", 2, 0},
    };
    for (const TOptionCase& row : rows) {
        Check(row);
    }
}

TEST(CompareOptionsTest, UnicodeWordsSplitTextWithoutSpaces)
{
    // 我们去学校。今天下雨！ : each Han character is a word, and both marks
    // end a sentence.
    const std::string chinese = "\xE6\x88\x91\xE4\xBB\xAC\xE5\x8E\xBB\xE5\xAD\xA6\xE6\xA0\xA1\xE3\x80\x82"
                                "\xE4\xBB\x8A\xE5\xA4\xA9\xE4\xB8\x8B\xE9\x9B\xA8\xEF\xBC\x81";
    const TComparedTexts compared = CompareTexts(U16(chinese), U16("\xE4\xBB\x8A\xE5\xA4\xA9\xE4\xB8\x8B"),
                                                 TCompareSettings{ukWords, 3}, With(false, false, true));
    EXPECT_EQ(Marked(compared.article2), "[~][~][~]");
    EXPECT_EQ(compared.outcome.duplicatedWords, 3);

    TArticle split;
    split.sText = U16(chinese);
    TMappedText read = ReadAsCompared(split.sText, With(false, false, true));
    ParseArticle(read.text, split.lstWords, split.lstSentences, split.lstParagraphs);
    MapWordsBack(read, split.lstWords);
    ASSERT_EQ(split.lstWords.Count(), 9);
    EXPECT_EQ(split.lstSentences.Count(), 2);
    EXPECT_EQ(split.lstWords[5].iStart, 7);
    EXPECT_EQ(split.lstWords[5].iEnd, 8);

    // Latin text keeps its words, punctuation no longer joins them, and a
    // number keeps its full stop.
    const TComparedTexts latin = CompareTexts(U16("pi is 3.14 (about)"), U16("pi-is 3.14 about"),
                                              TCompareSettings{ukWords, 4}, With(false, false, true));
    EXPECT_EQ(Marked(latin.article2), "[pi]-[is] [3.14] [about]");
}

TEST(CompareOptionsTest, WordsReadDifferentlyKeepTheirOrderInTheOriginal)
{
    // Forms that fold to several letters, to letters and delimiters, to
    // nothing, and Han characters that Unicode words split apart.
    const std::vector<std::string> texts{
        "\xE3\x8F\x82 ok \xE3\x8D\xBB\xE5\xB9\xB4 \xE2\x80\xA6 x \xE3\x8C\x80\xE3\x8C\x80",
        "e\xCC\x81t\xC3\xA9 \xEF\xAC\x83x \xE2\x91\xB4 \xE2\x80\x8B \xE2\x80\x8Bz\xE2\x80\x8B",
        "\xF0\x9D\x90\x80\xF0\x9D\x90\x81 \xE6\xBC\xA2\xE5\xAD\x97" "abc\xE3\x81\x8B\xE3\x83\xBC 3.14\xE3\x80\x82",
        "",
    };
    for (const std::string& utf8 : texts) {
        for (const TCompareOptions& options :
             {With(false, true, false), With(false, false, true), With(false, true, true)}) {
            SCOPED_TRACE(utf8);
            const std::u16string text = U16(utf8);
            const TMappedText read = ReadAsCompared(text, options);
            ASSERT_EQ(read.start.size(), read.text.size());
            ASSERT_EQ(read.end.size(), read.text.size());
            TArticle article;
            ParseArticle(read.text, article.lstWords, article.lstSentences, article.lstParagraphs);
            MapWordsBack(read, article.lstWords);
            std::int32_t previousEnd = 1;
            for (const TWord& word : article.lstWords) {
                EXPECT_GE(word.iStart, previousEnd);
                EXPECT_LT(word.iStart, word.iEnd);
                EXPECT_LE(word.iEnd, static_cast<std::int32_t>(text.size()) + 1);
                previousEnd = word.iEnd;
            }
        }
    }
}

TEST(CompareOptionsTest, MarksNothingShorterThanTheMinimumLength)
{
    // The default rules mark article 1's last words wherever they stand,
    // since its last chunks are cut short at its end; with an option on,
    // they are not looked up.
    struct TRow {
        const char* name;
        std::string text1;
        std::string text2;
        TCompareSettings settings;
        std::string byDefault;
        std::string withOption;
    };
    const std::vector<TRow> rows{
        {"last word alone", "alpha beta gamma delta", "delta and alpha beta gamma", {ukWords, 3},
         "[delta] and [alpha] [beta] [gamma]", "delta and [alpha] [beta] [gamma]"},
        {"article 1 shorter than the length", "beta gamma", "beta gamma", {ukWords, 3}, "[beta] [gamma]",
         "beta gamma"},
        {"last sentence alone", "One two. Three four.", "Three four. Five six.", {ukSentences, 2},
         "[Three] [four]. Five six.", "Three four. Five six."},
    };
    for (const TRow& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(Marked(CompareTexts(U16(row.text1), U16(row.text2), row.settings).article2), row.byDefault);
        EXPECT_EQ(Marked(CompareTexts(U16(row.text1), U16(row.text2), row.settings, With(false, true, false)).article2),
                  row.withOption);
    }
}

TEST(CompareOptionsTest, KeptComparisonFindsThePassagesOfMarkedWordsOnly)
{
    const TOptionsComparison shown(U16("\"alpha beta\" gamma delta"), U16("x \"alpha beta\" gamma delta"),
                                   TCompareSettings{ukWords, 2}, With(true, false, false));
    EXPECT_EQ(Marked(shown.Compared().article2), "x \"alpha beta\" [gamma] [delta]");
    EXPECT_EQ(Marked(shown.Compared().article1), "\"alpha beta\" [gamma] [delta]");
    EXPECT_FALSE(shown.PassageOf(TArticleSide::Article2, 1)) << "a quoted word is left out";
    EXPECT_FALSE(shown.PassageOf(TArticleSide::Article2, 9)) << "past the last word";
    const std::optional<TComparison::TPassage> passage = shown.PassageOf(TArticleSide::Article2, 3);
    ASSERT_TRUE(passage);
    EXPECT_EQ(passage->first1, 0);
    EXPECT_EQ(passage->last1, 3);
    EXPECT_EQ(passage->first2, 1);
    EXPECT_EQ(passage->last2, 4);
}

TEST(CompareOptionsTest, NoOptionChangesNothing)
{
    const std::string text1 = "One \"two\" three. Four\xE2\x80\x8B five six.";
    const std::string text2 = "one \"two\" three. four\xE2\x80\x8B five six. seven";
    for (const TUnitKind unit : {ukWords, ukSentences}) {
        const TCompareSettings settings{unit, 2};
        const TComparedTexts plain = CompareTexts(U16(text1), U16(text2), settings);
        const TComparedTexts off = CompareTexts(U16(text1), U16(text2), settings, TCompareOptions{});
        EXPECT_EQ(off.article2.lstWords.Count(), plain.article2.lstWords.Count());
        EXPECT_TRUE(std::equal(off.article1.lstWords.begin(), off.article1.lstWords.end(),
                               plain.article1.lstWords.begin(), plain.article1.lstWords.end()));
        EXPECT_TRUE(std::equal(off.article2.lstWords.begin(), off.article2.lstWords.end(),
                               plain.article2.lstWords.begin(), plain.article2.lstWords.end()));
        EXPECT_EQ(off.outcome.duplicatedWords, plain.outcome.duplicatedWords);
        EXPECT_EQ(off.leftOutWords, 0);
    }
}

TEST(DisguisesTest, CountsAndPlacesInvisibleAndMixedWords)
{
    struct TRow {
        const char* name;
        std::string text;
        std::int32_t invisible;
        std::int32_t mixed;
        std::vector<TDisguisePlace> places;
    };
    using enum TDisguisePlace::TKind;
    const std::vector<TRow> rows{
        {"clean text, Russian and English side by side", "plain text \xD0\xB4\xD0\xB0 yes", 0, 0, {}},
        {"zero-width space", "ab\xE2\x80\x8B" "cd ef", 1, 0, {{Invisible, 0, 5}}},
        {"Cyrillic a in a Latin word", "x d\xD0\xB0ta", 0, 1, {{MixedScripts, 2, 6}}},
        {"both in one word", "d\xD0\xB0\xE2\x80\x8Dta", 1, 1, {{Invisible, 0, 5}, {MixedScripts, 0, 5}}},
        {"places stop at five",
         "a\xC2\xAD" "a b\xC2\xAD" "b c\xC2\xAD" "c d\xC2\xAD" "d e\xC2\xAD" "e f\xC2\xAD" "f",
         6, 0,
         {{Invisible, 0, 3}, {Invisible, 4, 7}, {Invisible, 8, 11}, {Invisible, 12, 15}, {Invisible, 16, 19}}},
    };
    for (const TRow& row : rows) {
        SCOPED_TRACE(row.name);
        const TDisguises found = FindDisguises(U16(row.text));
        EXPECT_EQ(found.invisibleWords, row.invisible);
        EXPECT_EQ(found.mixedScriptWords, row.mixed);
        EXPECT_EQ(found.places, row.places);
    }
}

} // namespace
} // namespace glenvary::core
