// SPDX-License-Identifier: MIT
#include "core/normalise.h"

#include "core/segmentation.h"
#include "test_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace glenvary::core {
namespace {

using test::U16;
using test::U8;

struct NormaliseCase {
    const char* name;
    std::u16string text;
    std::u16string normalised;
    bool changed;
};

TEST(NormaliseArticle, ReplacesTheThreeTypographicCharactersOnly)
{
    const std::vector<NormaliseCase> cases = {
        {"apostrophe and en dash", U16("It’s a well–known fact."), u"It's a well-known fact.", true},
        {"no-break space", U16("a\u00A0b"), u"a b", true},
        {"all three side by side", U16("\u00A0\u2019\u2013"), u" '-", true},
        {"plain text", u"plain text.\r\n", u"plain text.\r\n", false},
        {"empty text", u"", u"", false},
        {"other quotation marks, dashes and spaces pass through",
         U16("‘a’ “b” c—d ‒ e\u202Ff\u2011g\u02BCh\u2212i\u2007j\u3000k"),
         U16("‘a' “b” c—d ‒ e\u202Ff\u2011g\u02BCh\u2212i\u2007j\u3000k"), true},
        {"nothing but look-alikes", U16("‘“”—\u202F\u2011"), U16("‘“”—\u202F\u2011"), false},
        // The code points whose low byte is a replaced Windows-1252 code.
        {"C1 controls and other code points ending in the same byte", U16("\u0092\u0096\u00A1\u01A0\u2092\u2096"),
         U16("\u0092\u0096\u00A1\u01A0\u2092\u2096"), false},
        {"beside a surrogate pair", U16("😀’😀\u00A0"), U16("😀'😀 "), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::u16string text = c.text;
        EXPECT_EQ(NormaliseArticle(text), c.changed);
        EXPECT_EQ(U8(text), U8(c.normalised));
        EXPECT_EQ(text.size(), c.text.size());
        EXPECT_EQ(U8(NormalisedArticle(c.text)), U8(c.normalised));
    }
}

TEST(NormaliseArticle, LetsTheReplacedCharactersSplitAsTheirPlainCounterparts)
{
    struct Row {
        const char* name;
        std::u16string text;
        std::int32_t words;
        std::int32_t sentences;
        std::int32_t paragraphs;
    };
    const std::vector<Row> rows = {
        {"a pasted sentence", U16("It’s a well–known fact."), 4, 1, 1},
        {"a no-break space separates two words", U16("two\u00A0words"), 2, 1, 1},
        {"a lone en dash is a word", U16("a – b"), 3, 1, 1},
        {"line breaks only", u"\r\n\r\n", 0, 0, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TListWords words;
        TListSentences sentences;
        TListParagraphs paragraphs;
        ParseArticle(NormalisedArticle(row.text), words, sentences, paragraphs);
        EXPECT_EQ(words.Count(), row.words);
        EXPECT_EQ(sentences.Count(), row.sentences);
        EXPECT_EQ(paragraphs.Count(), row.paragraphs);
    }
}

TEST(TrimControls, DropsLeadingAndTrailingCodesUpToSpace)
{
    struct Row {
        const char* name;
        std::u16string text;
        std::u16string trimmed;
    };
    const std::vector<Row> rows = {
        {"empty", u"", u""},
        {"spaces only", u"   ", u""},
        {"controls and line breaks around a word", u" \t\r\n abc \x01\x1f", u"abc"},
        {"inner blanks stay", u" x \r\n y ", u"x \r\n y"},
        {"NUL is a control character", std::u16string(u"\0a\0", 3), u"a"},
        {"no-break spaces are not trimmed", U16("\u00A0x\u00A0"), U16("\u00A0x\u00A0")},
        {"DEL is above space", u"\x7f", u"\x7f"},
        {"punctuation is above space", u"\x1f!\x20", u"!"},
        {"ideographic space is above space", U16("\u3000"), U16("\u3000")},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(U8(TrimControls(row.text)), U8(row.trimmed));
        EXPECT_EQ(IsBlankArticle(row.text), row.trimmed.empty());
    }
}

} // namespace
} // namespace glenvary::core
