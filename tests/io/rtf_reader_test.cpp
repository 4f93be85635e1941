// SPDX-License-Identifier: MIT
#include "io/rtf_reader.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace glenvary::io {
namespace {

TArticleDocument Read(const std::string& rtf)
{
    base::TResult<TArticleDocument> read = ReadRichText(rtf);
    if (!read.Ok()) {
        ADD_FAILURE() << read.Error();
        return {};
    }
    return std::move(read).Value();
}

struct TextCase {
    const char* name;
    std::string rtf;
    std::u16string text;
};

TEST(RtfReader, ReadsTheTextAnEditorShows)
{
    const TextCase cases[] = {
        {"the closing par of the last paragraph dropped", R"({\rtf1 Hello\par})", u"Hello"},
        {"paragraphs and an empty one", R"({\rtf1 A\par\par B\par})", u"A\n\nB"},
        {"only one closing par dropped", R"({\rtf1 A\par\par})", u"A\n"},
        {"backslash before a raw line break, as Cocoa writes paragraphs", "{\\rtf1 a\\\nb\\\r\nc}",
         u"a\nb\nc"},
        {"line, page and tab", R"({\rtf1 a\line b\page c\tab d})", u"a\nb\nc\td"},
        {"table cells in reading order",
         R"({\rtf1\trowd\cellx1\cellx2\pard\intbl A\cell B\cell\row\pard After\par})", u"A\nB\nAfter"},
        {"row without its last cell", R"({\rtf1\intbl A\row B})", u"A\nB"},
        {"raw line breaks ignored, one delimiting space eaten", "{\\rtf1 one\r\ntwo\\b  three\\b0-x}",
         u"onetwo three-x"},
        {"escaped backslash and braces", R"({\rtf1 \\ \{x\}})", u"\\ {x}"},
        {"named symbols",
         R"({\rtf1 a\~b\-c\_d\emdash\endash\lquote\rquote\ldblquote\rdblquote\bullet\emspace\enspace})",
         u"a\u00A0bc\u2011d\u2014\u2013\u2018\u2019\u201C\u201D\u2022\u2003\u2002"},
        {"Windows-1252 by default, escaped or raw", "{\\rtf1 caf\\'e9 \x93q\\'94}", u"caf\u00E9 \u201Cq\u201D"},
        {"code page of ansicpg", R"({\rtf1\ansi\ansicpg1251 \'cf\'f0\'e8})", u"\u041F\u0440\u0438"},
        {"code page of the font's charset",
         R"({\rtf1{\fonttbl{\f0 Arial;}{\f1\fcharset204 Arial Cyr;}}\f0 \'e9{\f1 \'e9}\'e9})",
         u"\u00E9\u0439\u00E9"},
        {"Shift-JIS, second byte escaped or raw", R"({\rtf1\ansicpg932 \'82\'a0\'83e.})", u"\u3042\u30C6."},
        {"unicode with its fallback skipped", R"({\rtf1 \u8212-x \u-3913?})", u"\u2014x \uF0B7"},
        {"fallback of escaped bytes", R"({\rtf1\uc2 \u12354\'82\'a0!})", u"\u3042!"},
        {"no fallback", R"({\rtf1\uc0 \u233 x})", u"\u00E9x"},
        {"fallback count scoped to its group", R"({\rtf1 {\uc2 \u233 ab}\u233 ab})", u"\u00E9\u00E9b"},
        {"fallback ends at a brace", R"({\rtf1\uc3 \u233{x}})", u"\u00E9x"},
        {"surrogate pair in two escapes", R"({\rtf1 \u-10179?\u-8704?})", u"\U0001F600"},
        {"lone surrogate replaced", R"({\rtf1 \u-10179?x\u-8704?})", u"\uFFFDx\uFFFD"},
        {"destinations without body text",
         R"({\rtf1{\fonttbl{\f0 Times;}}{\colortbl;\red1\green2\blue3;}{\stylesheet{Normal;}})"
         R"({\info{\title T}}{\*\generator G;}{\header H}{\footnote F}{\*\unknown U}{\pict 0a0b}Body})",
         u"Body"},
        {"field shows its result", R"({\rtf1{\field{\*\fldinst HYPERLINK "x"}{\fldrslt Link}}})", u"Link"},
        {"binary data skipped, braces in it too", R"({\rtf1 a\bin4 }{\}b})", u"ab"},
        {"absurd binary length runs to the end", R"({\rtf1 a\bin99999999999 b})", u"a"},
        {"unknown words and hidden text", R"({\rtf1\foo12 a{\v hidden}b})", u"ab"},
        {"control characters dropped", R"({\rtf1 a\'00\'0d\u7 ?b})", u"ab"},
        {"parameter clamped", R"({\rtf1 \u99999999999999999999?x})", u"\uFFFDx"},
        {"unclosed file keeps its text", R"({\rtf1 {\b open)", u"open"},
        {"text after the last brace ignored", "{\\rtf1 a}b", u"a"},
    };
    for (const TextCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Read(c.rtf).text, c.text);
    }
}

// Designated initialisers would be shorter, but GCC 12 warns on each member
// they leave out.
TTextLook Look(bool TTextLook::*flag, std::optional<TRgb> text = {}, std::optional<TRgb> back = {})
{
    TTextLook look;
    if (flag != nullptr) {
        look.*flag = true;
    }
    look.textColor = text;
    look.backColor = back;
    return look;
}

constexpr TRgb kRed = 0x0000FF;
constexpr TRgb kBlue = 0xFF0000;
const std::string kColors = R"({\colortbl;\red255\green0\blue0;\red0\green0\blue255;})";

struct LookCase {
    const char* name;
    std::string body;
    std::vector<TLookRun> runs;
};

TEST(RtfReader, KeepsTheLooksOfRuns)
{
    const LookCase cases[] = {
        {"bold on and off", R"(a\b b\b0 c)", {{1, 1, Look(&TTextLook::bold)}}},
        {"a group's look ends with it", R"({\i a}b)", {{0, 1, Look(&TTextLook::italic)}}},
        {"plain resets, pard does not", R"(\b a\pard b\plain c)", {{0, 2, Look(&TTextLook::bold)}}},
        {"underline kinds", R"(\uldb a\ulnone b\ulwave c\ul0 d)",
         {{0, 1, Look(&TTextLook::underline)}, {2, 1, Look(&TTextLook::underline)}}},
        {"strike-out kinds", R"(\strike a\strike0 b\striked1 c)",
         {{0, 1, Look(&TTextLook::strikeOut)}, {2, 1, Look(&TTextLook::strikeOut)}}},
        {"colours through the table", R"(\cf1 a\cf0 b\highlight2 c\cb1 d\chcbpat2 e)",
         {{0, 1, Look(nullptr, kRed)},
          {2, 1, Look(nullptr, {}, kBlue)},
          {3, 1, Look(nullptr, {}, kRed)},
          {4, 1, Look(nullptr, {}, kBlue)}}},
        {"colour outside the table is automatic", R"(\cf9 a)", {}},
        {"a paragraph break keeps its look", R"({\b a\par}b)", {{0, 2, Look(&TTextLook::bold)}}},
    };
    for (const LookCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Read("{\\rtf1" + kColors + c.body + "}").runs, c.runs);
    }
}

TEST(RtfReader, ReadsADocumentAsWordWritesIt)
{
    const std::string rtf =
        R"({\rtf1\adeflang1025\ansi\ansicpg1252\uc1\adeff0\deff0\stshfdbch0\deflang1033)" "\r\n"
        R"({\fonttbl{\f0\fbidi \froman\fcharset0\fprq2{\*\panose 02020603050405020304}Times New Roman;})"
        R"({\f1\fbidi \fswiss\fcharset204\fprq2 Arial Cyr;}})" "\r\n"
        R"({\colortbl;\red0\green0\blue0;\red192\green0\blue0;\red255\green255\blue0;})"
        R"({\*\defchp \fs24 }{\stylesheet{\ql \li0\ri0\widctlpar \fs24\lang1033 \snext0 \sqformat Normal;})"
        R"({\*\cs10 \additive \ssemihidden Default Paragraph Font;}})" "\r\n"
        R"({\*\rsidtbl \rsid1454615\rsid2034788}{\*\generator Microsoft Word 16.0;})"
        R"({\info{\title Draft}{\author Ann Lee}{\creatim\yr2024\mo3\dy5}})" "\r\n"
        R"(\paperw12240\paperh15840\margl1440{\header \pard\plain Running head\par})" "\r\n"
        R"(\pard\plain \ltrpar\ql \sa200\sl276\slmult1\widctlpar \fs24\lang1033 {\insrsid1454615 The })"
        R"({\ab\b\insrsid1454615 quick}{\insrsid1454615  brown fox\u8217\'92s })"
        R"({\cf2\highlight3\insrsid2034788 r\'e9sum\'e9}{\insrsid1454615 .}{\*\bkmkstart end}{\*\bkmkend end})"
        "\r\n"
        R"(\par {\f1\lang1049 \'cf\'f0\'e8\'e2\'e5\'f2}{\i  \u1044\'c4\u1072\'e0}\par )"
        R"({\*\shppict{\pict{\*\picprop}\picw100\pich100\pngblip 89504e470d0a1a0a}})"
        R"({\nonshppict{\pict\wmetafile8 0100090000}})" "\r\n"
        R"({\field{\*\fldinst { HYPERLINK "https://example.org/" }}{\fldrslt {\ul\cf2 example}}}\par })";
    const TArticleDocument document = Read(rtf);
    EXPECT_EQ(document.text, u"The quick brown fox\u2019s r\u00E9sum\u00E9.\n"
                             u"\u041F\u0440\u0438\u0432\u0435\u0442 \u0414\u0430\n"
                             u"example");
    const TRgb darkRed = 0x0000C0;
    const std::vector<TLookRun> runs = {
        {4, 5, Look(&TTextLook::bold)},
        {22, 6, Look(nullptr, darkRed, 0x00FFFF)},
        {36, 3, Look(&TTextLook::italic)},
        {40, 7, Look(&TTextLook::underline, darkRed)},
    };
    EXPECT_EQ(document.runs, runs);
}

struct RefusalCase {
    const char* name;
    std::string bytes;
    std::string error;
};

TEST(RtfReader, RefusesWhatItCannotRead)
{
    const auto nested = [](std::size_t depth) {
        return "{\\rtf1" + std::string(depth - 1, '{') + "x" + std::string(depth, '}');
    };
    const std::string tooDeep = "nested deeper than " + std::to_string(kMaxRtfNesting) + " groups";
    const RefusalCase cases[] = {
        {"not rich text", "plain words {\\rtf1}", "not a rich-text file"},
        {"empty file", "", "not a rich-text file"},
        {"nested to the limit", nested(kMaxRtfNesting), ""},
        {"nested past the limit", nested(kMaxRtfNesting + 1), tooDeep},
        {"past the limit inside a skipped group", "{\\rtf1{\\*\\x" + nested(kMaxRtfNesting), tooDeep},
    };
    for (const RefusalCase& c : cases) {
        SCOPED_TRACE(c.name);
        const base::TResult<TArticleDocument> read = ReadRichText(c.bytes);
        EXPECT_EQ(read.Ok() ? "" : read.Error(), c.error);
    }
}

} // namespace
} // namespace glenvary::io
