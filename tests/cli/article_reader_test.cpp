// SPDX-License-Identifier: MIT
#include "cli/article_reader.h"

#include "cli_test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>

namespace glenvary::cli {
namespace {

struct DecodeCase {
    const char* name;
    std::string bytes;
    std::u16string text;
};

TEST(CliArticleReader, DecodesTextAsTheEditorHoldsIt)
{
    const DecodeCase cases[] = {
        {"empty file", "", u""},
        {"plain ASCII", "The cat sat.", u"The cat sat."},
        {"byte order mark skipped", "\xEF\xBB\xBFThe cat", u"The cat"},
        {"byte order mark after the start kept", "a\xEF\xBB\xBF", u"a\uFEFF"},
        {"CR LF pairs become LF", "one\r\ntwo\r\n\r\nthree\r\n", u"one\ntwo\n\nthree\n"},
        {"lone CR and lone LF stay", "a\rb\nc\r", u"a\rb\nc\r"},
        {"only the CR directly before LF goes", "a\r\r\nb", u"a\r\nb"},
        {"LF CR is two breaks", "a\n\rb", u"a\n\rb"},
        {"multi-byte characters", "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80", u"caf\u00E9 \u20AC \U0001F600"},
        {"typographic characters left for the normalisation", "It\xE2\x80\x99s\xC2\xA0ok", u"It\u2019s\u00A0ok"},
        {"NUL is a character", std::string("a\0b", 3), std::u16string(u"a\0b", 3)},
    };
    for (const DecodeCase& c : cases) {
        SCOPED_TRACE(c.name);
        const TArticleRead read = DecodeArticle(c.bytes, "x.txt");
        EXPECT_EQ(read.error, "");
        EXPECT_EQ(read.text, c.text);
    }
}

struct InvalidCase {
    const char* name;
    std::string bytes;
    int offset;
};

TEST(CliArticleReader, NamesTheFirstInvalidByte)
{
    const InvalidCase cases[] = {
        {"stray continuation byte", "ab\x80", 2},
        {"sequence cut off at the end", "abc\xE2\x82", 3},
        {"sequence cut off by ASCII", "\xE2\x82z", 0},
        {"overlong form", "\xC0\xAF", 0},
        {"encoded surrogate", "x\xED\xA0\x80", 1},
        {"above U+10FFFF", "\xF4\x90\x80\x80", 0},
        {"byte never used", "ok\xFF", 2},
        {"Latin-1 text", "caf\xE9 noir", 3},
        {"UTF-16 file", std::string("\xFF\xFE" "a\0", 4), 0},
        {"offset counts the byte order mark", "\xEF\xBB\xBF" "ab\xFE", 5},
        {"offset counts both bytes of CR LF", "a\r\n\r\nb\xFE", 6},
        {"error after valid multi-byte text", "\xC3\xA9\xC3", 2},
    };
    for (const InvalidCase& c : cases) {
        SCOPED_TRACE(c.name);
        const TArticleRead read = DecodeArticle(c.bytes, "notes.txt");
        EXPECT_FALSE(read.Ok());
        EXPECT_EQ(read.error,
                  "cannot read notes.txt: not valid UTF-8 text (byte offset " + std::to_string(c.offset) + ")");
        EXPECT_EQ(read.text, u"");
    }
}

TEST(CliArticleReader, ReadsStandardInputForDash)
{
    std::istringstream in("\xEF\xBB\xBFline one\r\nline two");
    const TArticleRead read = ReadArticle("-", in);
    EXPECT_EQ(read.error, "");
    EXPECT_EQ(read.text, u"line one\nline two");
}

TEST(CliArticleReader, ReadsAFileAndLeavesStandardInputAlone)
{
    const test::TScratchDir dir;
    const std::string path = dir.Write("a.txt", "one\r\ntwo");
    std::istringstream in("not this");
    const TArticleRead read = ReadArticle(path, in);
    EXPECT_EQ(read.error, "");
    EXPECT_EQ(read.text, u"one\ntwo");
    EXPECT_EQ(in.tellg(), 0);
}

TEST(CliArticleReader, ReportsFilesThatCannotBeOpened)
{
    const test::TScratchDir dir;
    std::istringstream in;
    const std::string missing = dir.Path("missing.txt");
    EXPECT_EQ(ReadArticle(missing, in).error, "cannot read " + missing + ": No such file or directory");
    const std::string folder = dir.Root().string();
    EXPECT_EQ(ReadArticle(folder, in).error, "cannot read " + folder + ": Is a directory");
    const std::string underFile = dir.Write("plain.txt", "x") + "/inner.txt";
    EXPECT_EQ(ReadArticle(underFile, in).error, "cannot read " + underFile + ": Not a directory");
}

struct LimitCase {
    const char* name;
    std::size_t size;
    std::size_t limit;
    bool accepted;
};

TEST(CliArticleReader, RefusesSourcesAboveTheLimit)
{
    const LimitCase cases[] = {
        {"empty", 0, 8, true},
        {"one below", 7, 8, true},
        {"exactly at the limit", 8, 8, true},
        {"one above", 9, 8, false},
        {"more than a read block above", 200000, 8, false},
        {"limit larger than a read block", 70000, 70000, true},
        {"one above a limit larger than a read block", 70001, 70000, false},
    };
    const test::TScratchDir dir;
    for (const LimitCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string bytes(c.size, 'a');
        const std::string expected = c.accepted ? "" : "larger than " + std::to_string(c.limit) + " bytes";
        const std::string path = dir.Write("article.txt", bytes);
        std::istringstream unused;
        const TArticleRead fromFile = ReadArticle(path, unused, c.limit);
        EXPECT_EQ(fromFile.error, c.accepted ? "" : "cannot read " + path + ": " + expected);
        EXPECT_EQ(fromFile.text.size(), c.accepted ? c.size : 0U);
        std::istringstream in(bytes);
        const TArticleRead fromInput = ReadArticle("-", in, c.limit);
        EXPECT_EQ(fromInput.error, c.accepted ? "" : "cannot read standard input: " + expected);
        EXPECT_EQ(fromInput.text.size(), c.accepted ? c.size : 0U);
    }
}

TEST(CliArticleReader, RefusesAFileAboveTheDefaultLimitBeforeReadingIt)
{
    const test::TScratchDir dir;
    const std::string path = dir.Path("huge.txt");
    dir.Write("huge.txt", "");
    // A sparse file: it takes no room, and the size check comes before any read.
    std::filesystem::resize_file(path, kMaxArticleBytes + 1);
    std::istringstream unused;
    EXPECT_EQ(ReadArticle(path, unused).error, "cannot read " + path + ": larger than 256 MiB");
}

} // namespace
} // namespace glenvary::cli
