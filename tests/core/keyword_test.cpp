// SPDX-License-Identifier: MIT
#include "core/keyword.h"

#include "core/segmentation.h"
#include "test_text.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace glenvary::core {

// Readable hits in failure messages.
void PrintTo(const TKeywordHit& hit, std::ostream* out)
{
    *out << "{" << hit.position << ", " << hit.length << "}";
}

namespace {

using test::U16;
using test::U8;

struct KeywordCase {
    const char* name;
    std::u16string text;
    std::u16string keyword;
    std::vector<TKeywordHit> hits;
};

TEST(FindKeyword, FindsEveryOccurrenceIgnoringCase)
{
    const std::vector<KeywordCase> cases = {
        {"inside words and at a sentence start", u"The theme: the end.", u"the", {{0, 3}, {4, 3}, {11, 3}}},
        {"overlapping occurrences", u"aaaa", u"aa", {{0, 2}, {1, 2}, {2, 2}}},
        {"overlapping occurrences in mixed case", u"aAaAa", u"AAA", {{0, 3}, {1, 3}, {2, 3}}},
        {"blanks around the keyword are dropped", u"The theme: the end.", u"  the\t\r\n", {{0, 3}, {4, 3}, {11, 3}}},
        {"blanks inside the keyword stay", u"a  b a b", u"a b", {{5, 3}}},
        {"a phrase", u"Big dog, BIG DOG", u"big dog", {{0, 7}, {9, 7}}},
        {"delimiters in the keyword", u"The end. The END.", u"end.", {{4, 4}, {13, 4}}},
        {"line breaks count as two code units", u"one\r\ntwo one", u"ONE", {{0, 3}, {9, 3}}},
        {"at the very end", u"xxab", u"ab", {{2, 2}}},
        {"keyword longer than the text", u"ab", u"abc", {}},
        {"not found", u"The theme", u"then", {}},
        {"empty keyword", u"The end.", u"", {}},
        {"keyword of blanks only", u"The end.", u" \t ", {}},
        {"empty text", u"", u"the", {}},
        {"empty text and keyword", u"", u"", {}},
        {"accented capitals", U16("un été chaud, UN ÉTÉ"), U16("ÉTÉ"), {{3, 3}, {17, 3}}},
        {"accented small letters find capitals", U16("UN ÉTÉ"), U16("été"), {{3, 3}}},
        {"Greek final sigma", U16("ΣΟΦΟΣ σοφος"), U16("σοφοσ"), {{0, 5}, {6, 5}}},
        {"Cyrillic", U16("Москва МОСКВА"), U16("москва"), {{0, 6}, {7, 6}}},
        {"capital sharp s folds to sharp s", U16("Straße STRAẞE"), U16("ß"), {{4, 1}, {11, 1}}},
        {"sharp s is not ss in simple folding", u"STRASSE", U16("ß"), {}},
        {"Kelvin sign", U16("\u212A"), u"k", {{0, 1}}},
        {"surrogate pairs", U16("a😀b😀"), U16("😀"), {{1, 2}, {4, 2}}},
        {"overlapping surrogate pairs", U16("😀😀😀"), U16("😀😀"), {{0, 4}, {2, 4}}},
        {"Deseret capitals outside the basic plane", U16("𐐀 𐐨"), U16("𐐨"), {{0, 2}, {3, 2}}},
        {"lone high surrogates", {0xD800, u'a', 0xD800, u'A'}, {0xD800, u'A'}, {{0, 2}, {2, 2}}},
        {"a lone low surrogate", {u'x', 0xDC00}, {0xDC00}, {{1, 1}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(FindKeyword(c.text, c.keyword), c.hits);
    }
}

TEST(TrimKeyword, DropsLeadingAndTrailingBlanksOnly)
{
    struct Row {
        std::u16string keyword;
        std::u16string trimmed;
    };
    const std::vector<Row> rows = {
        {u" the \t", u"the"},     {u"\r\nbig  dog\r\n", u"big  dog"},          {u"", u""},
        {u"   ", u""},            {U16("\u00A0the"), U16("\u00A0the")}, {u"\x01x\x1f", u"x"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(U8(row.keyword));
        EXPECT_EQ(U8(TrimKeyword(row.keyword)), U8(row.trimmed));
    }
}

TEST(KeywordDensity, DividesOnceAndGivesZeroWithoutWords)
{
    struct Row {
        std::int32_t occurrences;
        std::int32_t words;
        double density;
    };
    const std::vector<Row> rows = {
        {3, 4, 75.0}, {3, 1, 300.0}, {0, 4, 0.0}, {0, 0, 0.0}, {2, 0, 0.0}, {1, 3, 100.0 / 3}, {5, 6, 500.0 / 6},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::to_string(row.occurrences) + " in " + std::to_string(row.words));
        EXPECT_EQ(KeywordDensity(row.occurrences, row.words), row.density);
    }
}

TEST(KeywordDensity, CountsAgainstTheArticlesWords)
{
    struct Row {
        const char* name;
        std::u16string text;
        std::u16string keyword;
        double density;
    };
    const std::vector<Row> rows = {
        {"three in four words", u"The theme: the end.", u"the", 75.0},
        {"overlaps pass 100", u"aaaa", u"aa", 300.0},
        {"no occurrence", u"The theme: the end.", u"cat", 0.0},
        {"empty article", u"", u"the", 0.0},
        {"line breaks only", u"\r\n\r\n", u"the", 0.0},
        {"delimiters only, keyword found", u". . .", u".", 0.0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TListWords words;
        TListSentences sentences;
        TListParagraphs paragraphs;
        ParseArticle(row.text, words, sentences, paragraphs);
        const auto hits = FindKeyword(row.text, row.keyword);
        EXPECT_EQ(KeywordDensity(static_cast<std::int32_t>(hits.size()), words.Count()), row.density);
    }
}

} // namespace
} // namespace glenvary::core
