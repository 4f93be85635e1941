// SPDX-License-Identifier: MIT
#include "cli/html_writer.h"

#include "core/segmentation.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace glenvary::cli {
namespace {

constexpr core::TColor kAqua = 0xFFFF00;
constexpr core::TColor kRed = 0x0000FF;
constexpr core::TColor W = core::clWhite;

// The markup of one highlighted piece.
std::string Aqua(const std::string& piece)
{
    return "<span class=\"dup\" style=\"background-color:#00FFFF\">" + piece + "</span>";
}
std::string Red(const std::string& piece)
{
    return "<span class=\"dup\" style=\"background-color:#FF0000\">" + piece + "</span>";
}

TArticleReport Article(const std::u16string& text, const std::vector<core::TColor>& colors)
{
    core::TArticle article;
    article.Assign(text);
    TArticleReport report;
    report.name = "a.txt";
    report.text = text;
    report.words.assign(article.lstWords.begin(), article.lstWords.end());
    EXPECT_EQ(report.words.size(), colors.size()) << "colours given for the wrong number of words";
    for (std::size_t i = 0; i < colors.size() && i < report.words.size(); ++i) {
        report.words[i].iColor = colors[i];
    }
    return report;
}

struct BandCase {
    const char* name;
    std::u16string text;
    std::vector<core::TColor> colors;
    std::string html;
};

TEST(CliHtmlWriter, DrawsHighlightsAsTheWindowDoes)
{
    const BandCase cases[] = {
        {"nothing highlighted", u"one two.", {W, W}, "one two."},
        {"no words at all", u" . ;\n", {}, " . ;\n"},
        {"gap between two words of one colour is banded",
         u"one two",
         {kAqua, kAqua},
         Aqua("one") + Aqua(" ") + Aqua("two")},
        {"gap next to an unmatched word stays plain",
         u"one two three",
         {W, kAqua, W},
         "one " + Aqua("two") + " three"},
        {"gap between two colours stays plain",
         u"one, two",
         {kAqua, kRed},
         Aqua("one") + ", " + Red("two")},
        {"punctuation inside a band takes its colour",
         u"one, two; three",
         {kAqua, kAqua, kAqua},
         Aqua("one") + Aqua(", ") + Aqua("two") + Aqua("; ") + Aqua("three")},
        {"gap before the first word is plain",
         u"\n  one two",
         {kAqua, kAqua},
         "\n  " + Aqua("one") + Aqua(" ") + Aqua("two")},
        {"text after a highlighted last word takes its colour",
         u"one two.\n",
         {W, kRed},
         "one " + Red("two") + Red(".\n")},
        {"text after an unmatched last word is plain", u"one two.", {kRed, W}, Red("one") + " two."},
        {"line breaks inside a band kept",
         u"one.\n\ntwo",
         {kAqua, kAqua},
         Aqua("one") + Aqua(".\n\n") + Aqua("two")},
        {"article text is escaped",
         u"<script>alert('x')</script> & \"co\"",
         {kAqua, kAqua, W},
         Aqua("&lt;script&gt;alert(&#39;x&#39;)&lt;/script&gt;") + Aqua(" ") + Aqua("&amp;")
             + " &quot;co&quot;"},
        {"non-ASCII text as UTF-8", u"caf\u00E9 \U0001F600", {kAqua, W}, Aqua("caf\xC3\xA9") + " \xF0\x9F\x98\x80"},
    };
    for (const BandCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(RenderArticleHtml(Article(c.text, c.colors)), c.html);
    }
}

TEST(CliHtmlWriter, PageIsSelfContainedAndEscapesEverythingFromTheArticles)
{
    TCompareReport report;
    report.compared = true;
    report.minLength = 2;
    report.duplicatePercent = 12.5;
    report.duplicatePercentShown = 12;
    report.articles[0] = Article(u"<script>alert(1)</script> & more", {kAqua, kAqua, W});
    report.articles[0].name = "<b>&1.txt";
    report.articles[1] = Article(u"Tom & Jerry", {W, W, W});
    report.articles[1].name = "it's \"2\".txt";
    const std::string page = WriteCompareHtml(report);

    EXPECT_TRUE(page.starts_with("<!DOCTYPE html>\n"));
    EXPECT_NE(page.find("<meta charset=\"utf-8\">"), std::string::npos);
    EXPECT_NE(page.find("default-src 'none'"), std::string::npos);
    EXPECT_NE(page.find("white-space:pre-wrap"), std::string::npos);
    EXPECT_EQ(page.find("<script"), std::string::npos);
    EXPECT_EQ(page.find("<b>"), std::string::npos);
    EXPECT_EQ(page.find("src="), std::string::npos);
    EXPECT_EQ(page.find("href="), std::string::npos);
    EXPECT_NE(page.find("&lt;b&gt;&amp;1.txt"), std::string::npos);
    EXPECT_NE(page.find("it&#39;s &quot;2&quot;.txt"), std::string::npos);
    EXPECT_NE(page.find("<div class=\"text\" id=\"article2\">Tom &amp; Jerry</div>"), std::string::npos);
    EXPECT_NE(page.find("12% (12.50%)"), std::string::npos);
    EXPECT_NE(page.find("2 words"), std::string::npos);
}

} // namespace
} // namespace glenvary::cli
