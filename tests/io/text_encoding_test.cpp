// SPDX-License-Identifier: MIT
#include "io/article_document.h"
#include "io/text_encoding.h"

#include <gtest/gtest.h>

#include <string>

namespace glenvary::io {
namespace {

struct PlainCase {
    const char* name;
    std::string bytes;
    std::u16string text;
    TTextEncoding encoding;
};

TEST(TextEncoding, DecodesPlainTextByItsMarkThenByItsBytes)
{
    using enum TTextEncoding;
    const PlainCase cases[] = {
        {"empty", "", u"", Utf8},
        {"ASCII", "The cat sat.", u"The cat sat.", Utf8},
        {"UTF-8", "caf\xC3\xA9 \xF0\x9F\x98\x80", u"caf\u00E9 \U0001F600", Utf8},
        {"UTF-8 mark dropped", "\xEF\xBB\xBFThe cat", u"The cat", Utf8WithBom},
        {"mark later in the text kept", "a\xEF\xBB\xBF", u"a\uFEFF", Utf8},
        {"UTF-8 mark over broken bytes", "\xEF\xBB\xBFok\xFF", u"ok\uFFFD", Utf8WithBom},
        {"UTF-16 LE", std::string("\xFF\xFE" "a\0\r\0\n\0\xAC\x20", 10), u"a\r\n\u20AC", Utf16Le},
        {"UTF-16 BE", std::string("\xFE\xFF\0a\0\r\0\n\xD8\x3D\xDE\x00", 12), u"a\r\n\U0001F600", Utf16Be},
        {"UTF-16 with an odd last byte", std::string("\xFF\xFE" "a\0b", 5), u"a\uFFFD", Utf16Le},
        {"Windows-1252 typography", "It\x92s \x96 a\xA0" "b", u"It\u2019s \u2013 a\u00A0b", Windows1252},
        {"Windows-1252 Latin letters", "caf\xE9 na\xEFve \x80", u"caf\u00E9 na\u00EFve \u20AC", Windows1252},
        {"a single bad byte makes the whole file Windows-1252", "\xC3\xA9 and \xE9",
         u"\u00C3\u00A9 and \u00E9", Windows1252},
    };
    for (const PlainCase& c : cases) {
        SCOPED_TRACE(c.name);
        const TDecodedText decoded = DecodePlainText(c.bytes);
        EXPECT_EQ(decoded.text, c.text);
        EXPECT_EQ(decoded.encoding, c.encoding);
    }
}

struct InvalidCase {
    const char* name;
    std::string bytes;
    std::size_t offset;
};

TEST(TextEncoding, Utf8DecoderNamesTheFirstIllFormedByte)
{
    const InvalidCase cases[] = {
        {"stray continuation byte", "ab\x80", 2},
        {"sequence cut off at the end", "abc\xE2\x82", 3},
        {"sequence cut off by ASCII", "\xE2\x82z", 0},
        {"overlong form", "\xC0\xAF", 0},
        {"encoded surrogate", "x\xED\xA0\x80", 1},
        {"above U+10FFFF", "\xF4\x90\x80\x80", 0},
        {"byte never used", "ok\xFF", 2},
    };
    for (const InvalidCase& c : cases) {
        SCOPED_TRACE(c.name);
        const TUtf8Decoded decoded = DecodeUtf8(c.bytes);
        EXPECT_FALSE(decoded.valid);
        EXPECT_EQ(decoded.badOffset, c.offset);
    }
}

TEST(TextEncoding, DecodesWindowsCodePages)
{
    EXPECT_EQ(DecodeCodePage("\x92", 1252), u"\u2019");
    EXPECT_EQ(DecodeCodePage("\xCF\xF0\xE8", 1251), u"\u041F\u0440\u0438");
    EXPECT_EQ(DecodeCodePage("\x82\xA0", 932), u"\u3042");
    EXPECT_EQ(DecodeCodePage("\xC3\xA9", 65001), u"\u00E9");
    EXPECT_EQ(DecodeCodePage("x", 123456), std::nullopt);
}

TEST(TextEncoding, FoldsCrLfAndMovesRunsWithTheText)
{
    TTextLook bold;
    bold.bold = true;
    TArticleDocument document{u"a\r\nb\r\n\r\nc\rd\r\r\r\ne", {{0, 4, bold}, {4, 1, bold}, {9, 1, bold}}};
    FoldLineBreaks(document);
    // CRs before a pair would stand before its LF: they become breaks too.
    EXPECT_EQ(document.text, u"a\nb\n\nc\rd\n\n\ne");
    // The second run held only the CR of a pair, so it is gone.
    const std::vector<TLookRun> runs{{0, 3, bold}, {6, 1, bold}};
    EXPECT_EQ(document.runs, runs);
}

TEST(TextEncoding, ShowsParagraphsOfTooManyLooksPlain)
{
    TTextLook bold;
    bold.bold = true;
    // Paragraphs "aaaa", "bbbbbb" and "cc": the second is touched by three
    // runs, one of which reaches into each of the others.
    TArticleDocument document{u"aaaa\nbbbbbb\ncc", {{2, 4, bold}, {7, 1, bold}, {9, 4, bold}}};
    struct TCase {
        const char* name;
        std::size_t maxRuns;
        std::size_t plain;
        std::vector<TLookRun> runs;
    };
    const TCase cases[] = {
        {"within the limit", 3, 0, document.runs},
        {"one paragraph over it", 2, 1, {{2, 3, bold}, {11, 2, bold}}},
        {"every paragraph over it", 0, 3, {{4, 1, bold}, {11, 1, bold}}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.name);
        TArticleDocument limited = document;
        EXPECT_EQ(PlainCrowdedParagraphs(limited, c.maxRuns), c.plain);
        EXPECT_EQ(limited.text, document.text);
        EXPECT_EQ(limited.runs, c.runs);
    }
}

TEST(TextEncoding, EscapesWhatWouldBreakALineOrDriveATerminal)
{
    const std::pair<std::string, std::string> cases[] = {
        {"plain name.txt", "plain name.txt"},
        {"caf\xC3\xA9 \xE2\x80\x99s.txt", "caf\xC3\xA9 \xE2\x80\x99s.txt"},
        {"a\nb\rc\td", "a\\nb\\rc\\td"},
        {"\x1B[31mred", "\\x1B[31mred"},
        {std::string("nul\0del\x7F", 8), "nul\\x00del\\x7F"},
        {"c1 \xC2\x9B", "c1 \\xC2\\x9B"},
        {"latin \xE9 and a cut \xE2\x80", "latin \\xE9 and a cut \\xE2\\x80"},
    };
    for (const auto& [text, escaped] : cases) {
        SCOPED_TRACE(escaped);
        EXPECT_EQ(EscapeControlCharacters(text), escaped);
    }
}

} // namespace
} // namespace glenvary::io
