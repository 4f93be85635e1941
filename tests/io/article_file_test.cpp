// SPDX-License-Identifier: MIT
#include "io/article_file.h"

#include "support/scratch_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <sstream>
#include <string>

namespace glenvary::io {
namespace {

using test::TScratchDir;

std::string RandomBytes(std::size_t size, unsigned seed)
{
    std::mt19937 generator(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes) {
        c = static_cast<char>(generator() & 0xFFU);
    }
    return bytes;
}

struct FormatCase {
    const char* name;
    std::string bytes;
    TArticleFormat format;
};

TEST(ArticleFile, TellsTheFormatByContent)
{
    using enum TArticleFormat;
    const FormatCase cases[] = {
        {"empty file is text", "", PlainText},
        {"text", "Plain words\r\n\tindented\f", PlainText},
        {"a stray control character in a long text", "x\x01" + std::string(198, 'a'), PlainText},
        {"UTF-16 with its NUL bytes", std::string("\xFF\xFE" "a\0", 4), PlainText},
        {"rich text", "{\\rtf1\\ansi hello}", RichText},
        {"zip package", std::string("PK\x03\x04\x14\0", 6), ZipPackage},
        {"PDF", "%PDF-1.7\n", Pdf},
        {"Word 97 document", std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1\0\0", 10), WordDocument},
        {"WordPerfect document", "\xFFWPC\x10\0\0\0", WordPerfect},
        {"NUL byte", std::string("text\0text", 9), NotText},
        {"PNG picture", std::string("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16), NotText},
        {"a few control characters in a short text", "\x01\x1F cat", PlainText},
        {"many control characters", "a\x01\x02\x03\x04\x05 b", NotText},
        {"random bytes", RandomBytes(4096, 7), NotText},
    };
    for (const FormatCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(DetectArticleFormat(c.bytes), c.format);
    }
}

TEST(ArticleFile, WordProcessorRouteIsAnyDotDocInTheLowerCasedPath)
{
    const std::pair<const char*, bool> cases[] = {
        {"/home/ann/report.doc", true},
        {"/home/ann/report.docx", true},
        {"/home/ann/letter.doc.txt", true},
        {"/home/ann/NOTES.DOC", true},
        {"/home/ann/x.Doc/notes.txt", true},
        {"/home/ann/doc/notes.txt", false},
        {"/home/ann/notes.odt", false},
        {"/home/ann/notes.do", false},
        {"", false},
    };
    for (const auto& [path, route] : cases) {
        SCOPED_TRACE(path);
        EXPECT_EQ(TakesWordProcessorRoute(path), route);
    }
}

TEST(ArticleFile, ReadsTextInEveryEncodingAsTheEditorHoldsIt)
{
    const std::pair<const char*, std::string> cases[] = {
        {"UTF-8", "It\xE2\x80\x99s one.\r\nTwo.\r\n"},
        {"UTF-8 with mark", "\xEF\xBB\xBFIt\xE2\x80\x99s one.\r\nTwo.\r\n"},
        {"UTF-16 LE", std::string("\xFF\xFEI\0t\0\x19\x20s\0 \0o\0n\0e\0.\0\r\0\n\0T\0w\0o\0.\0\r\0\n\0", 36)},
        {"Windows-1252, LF only", "It\x92s one.\nTwo.\n"},
    };
    for (const auto& [name, bytes] : cases) {
        SCOPED_TRACE(name);
        const base::TResult<TArticleDocument> read = ReadArticleBytes(bytes, "a.txt");
        ASSERT_TRUE(read.Ok()) << read.Error();
        EXPECT_EQ(read.Value().text, u"It\u2019s one.\nTwo.\n");
        EXPECT_TRUE(read.Value().runs.empty());
    }
}

TEST(ArticleFile, RefusesBytesThatAreNeitherTextNorADocument)
{
    const base::TResult<TArticleDocument> read = ReadArticleBytes(RandomBytes(1000, 3), "notes.doc");
    ASSERT_FALSE(read.Ok());
    EXPECT_EQ(read.Error(), "cannot read notes.doc: not a text file or a document this program can read");
}

TEST(ArticleFile, SaysSoWhenLibreOfficeIsMissing)
{
    TReadSettings settings;
    settings.converter.program = "/nonexistent/soffice";
    const std::string word97("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    const base::TResult<TArticleDocument> read = ReadArticleBytes(word97, "old.doc", settings);
    ASSERT_FALSE(read.Ok());
    EXPECT_EQ(read.Error(), "cannot read old.doc: LibreOffice is needed to read .doc documents");
}

TEST(ArticleFile, ReadsStandardInputForDashAndFilesOtherwise)
{
    std::istringstream in("\xEF\xBB\xBFline one\r\nline two");
    const base::TResult<TArticleDocument> fromInput = ReadArticle("-", in);
    ASSERT_TRUE(fromInput.Ok()) << fromInput.Error();
    EXPECT_EQ(fromInput.Value().text, u"line one\nline two");

    const TScratchDir dir;
    const std::string path = dir.Write("a.txt", "one\r\ntwo");
    std::istringstream untouched("not this");
    const base::TResult<TArticleDocument> fromFile = ReadArticle(path, untouched);
    ASSERT_TRUE(fromFile.Ok()) << fromFile.Error();
    EXPECT_EQ(fromFile.Value().text, u"one\ntwo");
    EXPECT_EQ(untouched.tellg(), 0);
}

TEST(ArticleFile, ReportsFilesThatCannotBeOpened)
{
    const TScratchDir dir;
    std::istringstream in;
    const std::string missing = dir.Path("missing.txt");
    EXPECT_EQ(ReadArticle(missing, in).Error(), "cannot read " + missing + ": No such file or directory");
    const std::string folder = dir.Root().string();
    EXPECT_EQ(ReadArticle(folder, in).Error(), "cannot read " + folder + ": Is a directory");
    const std::string underFile = dir.Write("plain.txt", "x") + "/inner.txt";
    EXPECT_EQ(ReadArticle(underFile, in).Error(), "cannot read " + underFile + ": Not a directory");
    // A name is one line of the message, whatever it holds.
    const std::string strange = folder + "/line\nbreak\x1B[2J.txt";
    EXPECT_EQ(ReadArticle(strange, in).Error(),
              "cannot read " + folder + "/line\\nbreak\\x1B[2J.txt: No such file or directory");
}

struct LimitCase {
    const char* name;
    std::size_t size;
    std::size_t limit;
    bool accepted;
};

TEST(ArticleFile, RefusesSourcesAboveTheLimit)
{
    const LimitCase cases[] = {
        {"exactly at the limit", 8, 8, true},
        {"one above", 9, 8, false},
        {"more than a read block above", 200000, 8, false},
        {"limit larger than a read block", 70000, 70000, true},
        {"one above a limit larger than a read block", 70001, 70000, false},
    };
    const TScratchDir dir;
    for (const LimitCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string bytes(c.size, 'a');
        const std::string reason = "larger than " + std::to_string(c.limit) + " bytes";
        const std::string path = dir.Write("article.txt", bytes);
        TReadSettings settings;
        settings.maxBytes = c.limit;
        std::istringstream unused;
        const base::TResult<TArticleDocument> fromFile = ReadArticle(path, unused, settings);
        EXPECT_EQ(fromFile.Ok(), c.accepted);
        EXPECT_EQ(fromFile.Ok() ? fromFile.Value().text.size() : 0U, c.accepted ? c.size : 0U);
        if (!c.accepted) {
            EXPECT_EQ(fromFile.Error(), "cannot read " + path + ": " + reason);
        }
        std::istringstream in(bytes);
        const base::TResult<TArticleDocument> fromInput = ReadArticle("-", in, settings);
        EXPECT_EQ(fromInput.Ok(), c.accepted);
        if (!c.accepted) {
            EXPECT_EQ(fromInput.Error(), "cannot read standard input: " + reason);
        }
    }
}

TEST(ArticleFile, RefusesAFileAboveTheDefaultLimitBeforeReadingIt)
{
    const TScratchDir dir;
    const std::string path = dir.Write("huge.txt", "");
    // A sparse file: it takes no room, and the size check comes before any read.
    std::filesystem::resize_file(path, kMaxArticleBytes + 1);
    EXPECT_EQ(ReadArticleFile(path).Error(), "cannot read " + path + ": larger than 256 MiB");
}

} // namespace
} // namespace glenvary::io
