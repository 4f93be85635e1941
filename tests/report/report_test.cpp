// SPDX-License-Identifier: MIT
#include "report/json_writer.h"
#include "report/report.h"
#include "io/text_encoding.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sstream>
#include <string>
#include <vector>

namespace glenvary::report {
namespace {

constexpr core::TColor kAqua = 0xFFFF00;
constexpr core::TColor kRed = 0x0000FF;
constexpr core::TColor W = core::clWhite;

// A region and its text, in UTF-8.
struct Region : TRegion {
    std::string text;
};

struct RegionCase {
    const char* name;
    std::u16string text;
    std::vector<core::TColor> colors;
    std::vector<Region> regions;
};

bool SameRegion(const Region& a, const Region& b)
{
    return a.firstWord == b.firstWord && a.lastWord == b.lastWord && a.start == b.start && a.end == b.end
        && a.color == b.color && a.text == b.text;
}

std::string Describe(const std::vector<Region>& regions)
{
    std::string text;
    for (const Region& r : regions) {
        text += "{" + std::to_string(r.firstWord) + "-" + std::to_string(r.lastWord) + " @" + std::to_string(r.start)
            + ".." + std::to_string(r.end) + " " + CssColor(r.color) + " '" + r.text + "'} ";
    }
    return text;
}

TEST(CliCompareReport, GroupsConsecutiveWordsOfOneColourIntoRegions)
{
    const RegionCase cases[] = {
        {"nothing coloured", u"alpha beta gamma", {W, W, W}, {}},
        {"one run across punctuation",
         u" alpha beta, gamma.",
         {kAqua, kAqua, kAqua},
         {{{0, 2, 1, 18, kAqua}, "alpha beta, gamma"}}},
        {"neighbouring colours stay apart",
         u"alpha beta gamma delta",
         {kAqua, kAqua, kRed, kRed},
         {{{0, 1, 0, 10, kAqua}, "alpha beta"}, {{2, 3, 11, 22, kRed}, "gamma delta"}}},
        {"a white word splits one colour",
         u"alpha beta gamma",
         {kAqua, W, kAqua},
         {{{0, 0, 0, 5, kAqua}, "alpha"}, {{2, 2, 11, 16, kAqua}, "gamma"}}},
        {"run across a line break",
         u"one two\nthree",
         {W, kRed, kRed},
         {{{1, 2, 4, 13, kRed}, "two\nthree"}}},
        {"offsets in UTF-16 code units",
         u"\U0001F600 caf\u00E9 bar",
         {W, kAqua, kAqua},
         {{{1, 2, 3, 11, kAqua}, "caf\xC3\xA9 bar"}}},
    };
    for (const RegionCase& c : cases) {
        SCOPED_TRACE(c.name);
        core::TArticle article;
        article.Assign(c.text);
        core::TArticle other;
        other.Assign(u"x");
        ASSERT_EQ(article.lstWords.Count(), static_cast<std::int32_t>(c.colors.size()));
        for (std::size_t i = 0; i < c.colors.size(); ++i) {
            article.lstWords[static_cast<std::int32_t>(i)].iColor = c.colors[i];
        }
        const TCompareReport report =
            BuildCompareReport(article, other, core::TCompareOutcome{true, 0, 0.0}, TCompareSettings{}, {"a", "b"});
        std::vector<Region> regions;
        for (const TRegion& region : report.articles[0].regions) {
            regions.push_back({region, io::EncodeUtf8(report.articles[0].RegionText(region))});
        }
        EXPECT_TRUE(std::equal(regions.begin(), regions.end(), c.regions.begin(), c.regions.end(), SameRegion))
            << "got " << Describe(regions) << "\nwant " << Describe(c.regions);
    }
}

struct ColorCase {
    core::TColor stored;
    const char* css;
};

TEST(CliCompareReport, WritesColoursRedFirstAsTheWebDoes)
{
    const ColorCase cases[] = {
        {0xFFFF00, "#00FFFF"}, // aqua
        {0x00FFFF, "#FFFF00"}, // yellow
        {0xC0DCC0, "#C0DCC0"}, // money green
        {0x008080, "#808000"}, // olive
        {0x000000, "#000000"},
        {0x123456, "#563412"},
        {0xABCDEF, "#EFCDAB"},
    };
    for (const ColorCase& c : cases) {
        SCOPED_TRACE(c.css);
        EXPECT_EQ(CssColor(c.stored), c.css);
    }
}

TEST(CliCompareJson, WritesALongRegionsTextWholeInUtf8)
{
    // Thousands of units before a character beyond 16 bits, so that its two
    // units fall on either side of where the writer takes its next piece,
    // and surrogates left alone, which become U+FFFD.
    std::u16string text;
    std::string expected;
    for (int k = 0; k < 1365; ++k) {
        text += u"ab ";
        expected += "ab ";
    }
    text += u"\U0001F600 \xD800x y\xDC00";
    expected += "\xF0\x9F\x98\x80 \xEF\xBF\xBDx y\xEF\xBF\xBD";
    const TCompareReport report = CompareArticles(text, text, {}, {"1", "2"});
    std::ostringstream out;
    WriteCompareJson(out, report);
    const nlohmann::json json = nlohmann::json::parse(out.str());
    const nlohmann::json& regions = json["articles"][1]["regions"];
    ASSERT_EQ(regions.size(), 1U);
    EXPECT_EQ(regions[0]["text"], expected);
}

struct KeywordCase {
    const char* name;
    std::u16string text;
    std::u16string keyword;
    std::string shown;
    std::int32_t words;
    std::vector<std::int32_t> positions;
    double density;
};

TEST(CliDensityReport, CountsTheKeywordInTheNormalisedText)
{
    const KeywordCase cases[] = {
        {"overlapping hits inside one word", u"aaaa", u"aa", "aa", 1, {0, 1, 2}, 300.0},
        {"keyword trimmed", u"The theme: the end.", u"  the\t", "the", 4, {0, 4, 11}, 75.0},
        {"typographic apostrophe matches after normalising", u"It\u2019s it's", u"it's", "it's", 2, {0, 5}, 100.0},
        {"offsets in UTF-16 code units", u"\U0001F600 the", u"the", "the", 2, {3}, 50.0},
        {"no words", u" . . ", u"the", "the", 0, {}, 0.0},
        {"empty keyword", u"the end", u"   ", "", 2, {}, 0.0},
    };
    for (const KeywordCase& c : cases) {
        SCOPED_TRACE(c.name);
        const TDensityReport report = CountKeyword(c.text, c.keyword, "a.txt");
        EXPECT_EQ(report.keyword, c.shown);
        EXPECT_EQ(report.words, c.words);
        EXPECT_EQ(report.positions, c.positions);
        EXPECT_EQ(report.occurrences, static_cast<std::int32_t>(c.positions.size()));
        EXPECT_DOUBLE_EQ(report.densityPercent, c.density);
    }
}

} // namespace
} // namespace glenvary::report
