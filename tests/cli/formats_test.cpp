// SPDX-License-Identifier: MIT
// One article saved in every format a person is likely to have: the command
// line must find it a full duplicate of itself, word for word, whichever
// file it reads.
#include "cli/cli.h"

#include "cli_test_support.h"
#include "support/libreoffice.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <map>
#include <string>

namespace glenvary::cli {
namespace {

using test::RunWith;
using test::TRunResult;
using test::TScratchDir;

// Two paragraphs with a curly apostrophe and an en dash, which every
// encoding spells differently.
constexpr const char* kArticleUtf8 = "It\xE2\x80\x99s a cat \xE2\x80\x93 the cat sat on the mat.\r\n"
                                     "The dog sat on the log, and the bird sang.\r\n";
constexpr const char* kArticle1252 = "It\x92s a cat \x96 the cat sat on the mat.\r\n"
                                     "The dog sat on the log, and the bird sang.\r\n";

std::string Utf16Le(const std::u16string& text)
{
    std::string bytes = "\xFF\xFE";
    for (const char16_t unit : text) {
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>(unit >> 8));
    }
    return bytes;
}

TEST(CliFormats, OneArticleInEveryFormatIsAFullDuplicateOfItself)
{
    if (!glenvary::test::HasLibreOffice()) {
        GTEST_SKIP() << glenvary::test::kNoLibreOffice;
    }
    const TScratchDir dir;
    std::map<std::string, std::string> files{
        {"utf8.txt", kArticleUtf8},
        {"utf8-bom.txt", std::string("\xEF\xBB\xBF") + kArticleUtf8},
        {"utf16.txt", Utf16Le(u"It\u2019s a cat \u2013 the cat sat on the mat.\r\n"
                              u"The dog sat on the log, and the bird sang.\r\n")},
        {"windows-1252.txt", kArticle1252},
        {"letter.doc.txt", kArticleUtf8},
    };
    // The word-processor files come from a real LibreOffice, as a person's would.
    for (const char* format : {"rtf", "docx", "odt", "doc"}) {
        const std::optional<std::string> converted =
            glenvary::test::ConvertWithLibreOffice("article.txt", std::string("\xEF\xBB\xBF") + kArticleUtf8, format);
        ASSERT_TRUE(converted.has_value()) << "LibreOffice did not write the ." << format;
        files[std::string("article.") + format] = *converted;
    }
    const std::string reference = dir.Write("reference.txt", kArticleUtf8);
    for (const auto& [name, bytes] : files) {
        SCOPED_TRACE(name);
        const TRunResult run = RunWith({"compare", "--min", "3", "--format", "json", reference, dir.Write(name, bytes)});
        ASSERT_EQ(run.status, kExitOk) << run.err;
        const nlohmann::json json = nlohmann::json::parse(run.out);
        EXPECT_EQ(json["articles"][1]["words"], 20);
        EXPECT_EQ(json["duplicate_percent"], 100.0);
    }
}

} // namespace
} // namespace glenvary::cli
