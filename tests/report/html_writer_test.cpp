// SPDX-License-Identifier: MIT
#include "report/html_writer.h"

#include "core/segmentation.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace glenvary::report {
namespace {

constexpr core::TColor kAqua = 0xFFFF00;
constexpr core::TColor kRed = 0x0000FF;
constexpr core::TColor W = core::clWhite;

// The markup of one highlighted run.
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

std::string ArticleHtml(const TArticleReport& article)
{
    std::ostringstream out;
    WriteArticleHtml(out, article);
    return out.str();
}

struct BandCase {
    const char* name;
    std::u16string text;
    std::vector<core::TColor> colors;
    std::string html;
};

// One block of the article's text.
std::string Part(const std::string& content)
{
    return "<div class=\"part\">" + content + "</div>";
}

TEST(CliHtmlWriter, DrawsEachRunOfOneLookAsOnePiece)
{
    // Which characters take which colour is the engine's rule (tested
    // there); these rows check how its runs become markup.
    const std::u16string longWord = std::u16string(16383, u'a') + u"\U0001F600";
    const std::u16string fullLine(kHtmlBlockLength - 1, u'a');
    const std::u16string shortLine(kHtmlBlockLength - 2, u'a');
    const BandCase cases[] = {
        {"nothing highlighted", u"one two.", {W, W}, Part("one two.")},
        {"no words at all", u" . ;\n", {}, Part(" . ;\n")},
        {"an empty article has no block", u"", {}, ""},
        {"a passage of several words is one element",
         u"one, two; three.\n",
         {kAqua, kAqua, kAqua},
         Part(Aqua("one, two; three.\n"))},
        {"neighbouring colours are separate elements",
         u"one, two three",
         {kAqua, kRed, W},
         Part(Aqua("one") + ", " + Red("two") + " three")},
        {"article text is escaped",
         u"<script>alert('x')</script> & \"co\"",
         {kAqua, kAqua, W},
         Part(Aqua("&lt;script&gt;alert(&#39;x&#39;)&lt;/script&gt; &amp;") + " &quot;co&quot;")},
        {"non-ASCII text as UTF-8",
         u"caf\u00E9 \U0001F600",
         {kAqua, W},
         Part(Aqua("caf\xC3\xA9") + " \xF0\x9F\x98\x80")},
        {"a character across the encoder's block boundary stays whole",
         longWord,
         {W},
         Part(std::string(16383, 'a') + "\xF0\x9F\x98\x80")},
        {"the line break that fills a block ends it, a run goes on in the next",
         fullLine + u"\ntail",
         {kAqua, kAqua},
         Part(Aqua(std::string(fullLine.size(), 'a') + "\n")) + Part(Aqua("tail"))},
        {"a line break before the block is full does not end it",
         shortLine + u"\ntail",
         {kAqua, W},
         Part(Aqua(std::string(shortLine.size(), 'a')) + "\ntail")},
        {"the text's last line break leaves no empty block",
         fullLine + u"\n",
         {W},
         Part(std::string(fullLine.size(), 'a') + "\n")},
    };
    for (const BandCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ArticleHtml(Article(c.text, c.colors)), c.html);
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
    std::ostringstream out;
    WriteCompareHtml(out, report);
    const std::string page = out.str();

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
    EXPECT_NE(page.find("<div class=\"text\" id=\"article2\"><div class=\"part\">Tom &amp; Jerry</div></div>"), std::string::npos);
    EXPECT_NE(page.find("12% (12.50%)"), std::string::npos);
    EXPECT_NE(page.find("2 words"), std::string::npos);
}

} // namespace
} // namespace glenvary::report
