// SPDX-License-Identifier: MIT
#include "cli/cli.h"

#include "cli_test_support.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <string>
#include <vector>

namespace glenvary::cli {
namespace {

using test::ReadBytes;
using test::RunWith;
using test::TRunResult;
using test::TScratchDir;

constexpr const char* kCat = "The cat sat on the mat.";
constexpr const char* kDog = "A dog Sat on THE mat today.";

// Replaces each "$1" and "$2" in `text` by the two paths.
std::string Fill(std::string text, const std::string& path1, const std::string& path2)
{
    for (const auto& [mark, path] : {std::pair{std::string("$1"), path1}, std::pair{std::string("$2"), path2}}) {
        for (std::size_t at = text.find(mark); at != std::string::npos; at = text.find(mark, at + path.size())) {
            text.replace(at, mark.size(), path);
        }
    }
    return text;
}

std::vector<std::string> Fill(const std::vector<std::string>& args, const std::string& path1,
                              const std::string& path2)
{
    std::vector<std::string> filled;
    for (const std::string& arg : args) {
        filled.push_back(Fill(arg, path1, path2));
    }
    return filled;
}

nlohmann::json ParseJson(const TRunResult& run)
{
    EXPECT_EQ(run.status, kExitOk) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_TRUE(run.out.ends_with("}\n"));
    return nlohmann::json::parse(run.out, nullptr, false);
}

TEST(CliRun, PrintsTheWorkedExampleAsJson)
{
    const TScratchDir dir;
    const std::string path1 = dir.Write("1.txt", kCat);
    const std::string path2 = dir.Write("2.txt", kDog);
    const TRunResult run = RunWith({"compare", "--min", "3", "--format", "json", path1, path2});
    EXPECT_EQ(run.status, kExitOk);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out,
              Fill(R"({"unit":"words","min_length":3,"compared":true,"duplicate_percent":57.142857142857146,)"
              R"("duplicate_percent_shown":57,"articles":[)"
              R"({"name":"$1","words":6,"sentences":1,"paragraphs":1,"duplicated_words":4,"duplicate_percent":66.66666666666667,)"
              R"("word_colors":["#FFFFFF","#FFFFFF","#00FFFF","#00FFFF","#00FFFF","#00FFFF"],)"
              R"("regions":[{"first_word":2,"last_word":5,"start":8,"end":22,"color":"#00FFFF","text":"sat on the mat"}]},)"
              R"({"name":"$2","words":7,"sentences":1,"paragraphs":1,"duplicated_words":4,"duplicate_percent":57.142857142857146,)"
              R"("word_colors":["#FFFFFF","#FFFFFF","#00FFFF","#00FFFF","#00FFFF","#00FFFF","#FFFFFF"],)"
              R"("regions":[{"first_word":2,"last_word":5,"start":6,"end":20,"color":"#00FFFF","text":"Sat on THE mat"}]}]})"
              "\n", path1, path2));
}

TEST(CliRun, PrintsTheWorkedExampleAsText)
{
    const TScratchDir dir;
    const std::string path1 = dir.Write("1.txt", kCat);
    const std::string path2 = dir.Write("2.txt", kDog);
    const TRunResult run = RunWith({"compare", "--min", "3", path1, path2});
    EXPECT_EQ(run.status, kExitOk);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, Fill("Duplicate content: 57% of article 2 (57.14%, 4 of 7 words)\n"
                            "Minimum length: 3 words\n"
                            "Article 1 ($1): 6 words, 1 sentence, 1 paragraph; 4 duplicated words (66.67%)\n"
                            "Article 2 ($2): 7 words, 1 sentence, 1 paragraph; 4 duplicated words (57.14%)\n"
                            "\n"
                            "Duplicated passages in article 2:\n"
                            "  words 3-6: \"Sat on THE mat\"\n"
                            "Duplicated passages in article 1:\n"
                            "  words 3-6: \"sat on the mat\"\n",
                            path1, path2));
}

TEST(CliRun, DrawsTheWorkedExampleAsHtml)
{
    const TScratchDir dir;
    const TRunResult run = RunWith(
        {"compare", "--min", "3", "--format", "html", dir.Write("1.txt", kCat), dir.Write("2.txt", kDog)});
    EXPECT_EQ(run.status, kExitOk);
    // Each passage listed with its words, linked to its place in the text.
    for (const std::string& expected :
         {std::string("<h2>Article 2: ") + dir.Path("2.txt") + "</h2>",
          std::string("<li><a href=\"#a2-1\">words 3-6</a>: &quot;Sat on THE mat&quot;</li>"),
          std::string("<div class=\"text\" id=\"article2\"><div class=\"part\">A dog <span class=\"dup\" id=\"a2-1\" "
                      "style=\"background-color:#00FFFF\">Sat on THE mat</span> today.</div></div>"),
          std::string("<li><a href=\"#a1-1\">words 3-6</a>: &quot;sat on the mat&quot;</li>"),
          std::string("<div class=\"text\" id=\"article1\"><div class=\"part\">The cat <span class=\"dup\" id=\"a1-1\" "
                      "style=\"background-color:#00FFFF\">sat on the mat.</span></div></div>")}) {
        EXPECT_NE(run.out.find(expected), std::string::npos) << expected << "\n" << run.out;
    }
    EXPECT_NE(run.out.find("57% (57.14%)"), std::string::npos);
}

TEST(CliRun, PrintsKeywordDensity)
{
    const TScratchDir dir;
    const std::string path = dir.Write("a.txt", "The theme: the end.");
    const TRunResult json = RunWith({"density", "--keyword", " the ", "--format", "json", path});
    EXPECT_EQ(json.status, kExitOk);
    EXPECT_EQ(json.err, "");
    EXPECT_EQ(json.out, "{\"keyword\":\"the\",\"words\":4,\"occurrences\":3,\"density_percent\":75.0,"
                        "\"positions\":[0,4,11]}\n");
    const TRunResult text = RunWith({"density", "--keyword", "aa", "-"}, "aaaa");
    EXPECT_EQ(text.status, kExitOk);
    EXPECT_EQ(text.out, "Keyword: aa\nWords: 1\nOccurrences: 3\nDensity: 300.00%\n");
}

TEST(CliRun, CountsKeywordsAtTheEditorsPositions)
{
    const TScratchDir dir;
    // CR LF is one position, the byte order mark none, and U+2019 is an
    // apostrophe by the time the keyword is searched.
    const std::string path = dir.Write("a.txt", "\xEF\xBB\xBFIt\xE2\x80\x99s\r\nit's \xF0\x9F\x98\x80 IT'S");
    const nlohmann::json json = ParseJson(RunWith({"density", "--keyword", "it's", "--format", "json", path}));
    EXPECT_EQ(json.dump(), R"({"density_percent":75.0,"keyword":"it's","occurrences":3,"positions":[0,5,13],"words":4})");
}

struct ReadingCase {
    const char* name;
    std::string article1;
    std::string article2;
    std::string regions1;
    std::string regions2;
};

TEST(CliRun, ComparesArticlesAsTheEditorHoldsThem)
{
    const ReadingCase cases[] = {
        {"CR LF counts as one position",
         "The cat sat on the mat.",
         "A dog.\r\n\r\nSat on THE mat today.",
         R"([{"color":"#00FFFF","end":22,"first_word":2,"last_word":5,"start":8,"text":"sat on the mat"}])",
         R"([{"color":"#00FFFF","end":22,"first_word":2,"last_word":5,"start":8,"text":"Sat on THE mat"}])"},
        {"byte order mark takes no position",
         "\xEF\xBB\xBFThe cat sat on the mat.",
         "\xEF\xBB\xBF" "A dog Sat on THE mat today.",
         R"([{"color":"#00FFFF","end":22,"first_word":2,"last_word":5,"start":8,"text":"sat on the mat"}])",
         R"([{"color":"#00FFFF","end":20,"first_word":2,"last_word":5,"start":6,"text":"Sat on THE mat"}])"},
        {"typographic characters normalised before comparing",
         "It\xE2\x80\x99s a well\xE2\x80\x93known fact.",
         "Yes, it's a well-known fact.",
         R"([{"color":"#00FFFF","end":22,"first_word":0,"last_word":3,"start":0,"text":"It's a well-known fact"}])",
         R"([{"color":"#00FFFF","end":27,"first_word":1,"last_word":4,"start":5,"text":"it's a well-known fact"}])"},
        {"no-break space separates words",
         "red\xC2\xA0" "apple pie",
         "an apple pie",
         R"([{"color":"#00FFFF","end":13,"first_word":1,"last_word":2,"start":4,"text":"apple pie"}])",
         R"([{"color":"#00FFFF","end":12,"first_word":1,"last_word":2,"start":3,"text":"apple pie"}])"},
        {"offsets in UTF-16 code units",
         "\xF0\x9F\x98\x80 caf\xC3\xA9 noir and more",
         "caf\xC3\xA9 noir and more",
         R"([{"color":"#00FFFF","end":21,"first_word":1,"last_word":4,"start":3,"text":"caf)" "\xC3\xA9" R"( noir and more"}])",
         R"([{"color":"#00FFFF","end":18,"first_word":0,"last_word":3,"start":0,"text":"caf)" "\xC3\xA9" R"( noir and more"}])"},
        {"characters beyond 16 bits inside a passage",
         "a \xF0\x9F\x98\x80 smile here",
         "\xF0\x9F\x98\x80 smile",
         R"([{"color":"#00FFFF","end":10,"first_word":1,"last_word":2,"start":2,"text":")" "\xF0\x9F\x98\x80" R"( smile"}])",
         R"([{"color":"#00FFFF","end":8,"first_word":0,"last_word":1,"start":0,"text":")" "\xF0\x9F\x98\x80" R"( smile"}])"},
        {"quotes, backslashes and control characters escaped",
         "she said \"a\\b\"\tthen\x01 left",
         "so she said \"a\\b\"\tthen\x01 left",
         R"([{"color":"#00FFFF","end":25,"first_word":0,"last_word":3,"start":0,"text":"she said \"a\\b\"\tthen\u0001 left"}])",
         R"([{"color":"#00FFFF","end":28,"first_word":1,"last_word":4,"start":3,"text":"she said \"a\\b\"\tthen\u0001 left"}])"},
    };
    const TScratchDir dir;
    for (const ReadingCase& c : cases) {
        SCOPED_TRACE(c.name);
        const nlohmann::json json = ParseJson(RunWith(
            {"compare", "--min", "2", "--format", "json", dir.Write("1.txt", c.article1), dir.Write("2.txt", c.article2)}));
        EXPECT_EQ(json["articles"][0]["regions"].dump(), c.regions1);
        EXPECT_EQ(json["articles"][1]["regions"].dump(), c.regions2);
    }
}

struct BlankCase {
    const char* name;
    std::string article1;
    std::string article2;
    int words1;
    int words2;
    bool compared;
};

TEST(CliRun, DoesNotCompareABlankArticle)
{
    const BlankCase cases[] = {
        {"first article empty", "", "A dog sat.", 0, 3, false},
        {"first article only blanks and line breaks", " \r\n\r\n ", "A dog sat.", 0, 3, false},
        {"a tab is blank although it counts as a word", " \t\n", "A dog sat.", 1, 3, false},
        {"second article blank", "The cat sat on the mat.", "\n\n", 6, 0, false},
        {"control characters alone are blank", "\x01\x1F cat", "\x0B", 2, 1, false},
        {"second article without words is not blank", "The cat.", "...", 2, 0, true},
    };
    const TScratchDir dir;
    for (const BlankCase& c : cases) {
        SCOPED_TRACE(c.name);
        const nlohmann::json json = ParseJson(RunWith(
            {"compare", "--format", "json", dir.Write("1.txt", c.article1), dir.Write("2.txt", c.article2)}));
        EXPECT_EQ(json["compared"], c.compared);
        EXPECT_EQ(json["duplicate_percent"], 0.0);
        EXPECT_EQ(json["duplicate_percent_shown"], 0);
        EXPECT_EQ(json["articles"][0]["words"], c.words1);
        EXPECT_EQ(json["articles"][1]["words"], c.words2);
        for (const auto& article : json["articles"]) {
            EXPECT_EQ(article["duplicated_words"], 0);
            EXPECT_EQ(article["duplicate_percent"], 0.0);
            EXPECT_EQ(article["regions"], nlohmann::json::array());
            for (const auto& color : article["word_colors"]) {
                EXPECT_EQ(color, "#FFFFFF");
            }
        }
    }
}

TEST(CliRun, SaysWhichArticleIsBlank)
{
    const TScratchDir dir;
    const TRunResult run = RunWith({"compare", dir.Write("1.txt", kCat), dir.Write("2.txt", " \n ")});
    EXPECT_EQ(run.status, kExitOk);
    EXPECT_TRUE(run.out.starts_with("Not compared: article 2 is blank\nMinimum length: 1 word\n")) << run.out;
}

TEST(CliRun, ReadsEitherArticleFromStandardInput)
{
    const TScratchDir dir;
    const std::string path1 = dir.Write("1.txt", kCat);
    const std::string path2 = dir.Write("2.txt", kDog);
    const TRunResult fromFiles = RunWith({"compare", "--min", "3", "--format", "json", path1, path2});
    EXPECT_EQ(fromFiles.status, kExitOk);
    EXPECT_NE(fromFiles.out.find("\"compared\":true"), std::string::npos);
    // The same report, but for the name of the article read from standard
    // input; options are read in any letter case.
    const auto named = [](std::string json, const std::string& from, const std::string& to) {
        const std::string quoted = "\"name\":\"" + from + "\"";
        const std::size_t at = json.find(quoted);
        return at == std::string::npos ? json : json.replace(at, quoted.size(), "\"name\":\"" + to + "\"");
    };
    EXPECT_EQ(named(RunWith({"compare", "--min", "3", "--format", "JSON", "-", path2}, kCat).out, "standard input",
                    path1),
              fromFiles.out);
    EXPECT_EQ(named(RunWith({"compare", "--min", "3", "--unit", "Words", "--format", "json", path1, "-"}, kDog).out,
                    "standard input", path2),
              fromFiles.out);
    const TRunResult text = RunWith({"compare", "--min", "3", path1, "-"}, kDog);
    EXPECT_NE(text.out.find("Article 2 (standard input): 7 words"), std::string::npos) << text.out;
}

TEST(CliRun, TakesMinimumLengthZeroAsOne)
{
    const TScratchDir dir;
    const std::string path1 = dir.Write("1.txt", kCat);
    const std::string path2 = dir.Write("2.txt", kDog);
    for (const char* unit : {"words", "sentences", "paragraphs"}) {
        SCOPED_TRACE(unit);
        const TRunResult zero = RunWith({"compare", "--unit", unit, "--min", "0", "--format", "json", path1, path2});
        const TRunResult one = RunWith({"compare", "--unit", unit, "--min", "1", "--format", "json", path1, path2});
        EXPECT_EQ(zero.status, kExitOk);
        EXPECT_EQ(zero.out, one.out);
        EXPECT_NE(zero.out.find(std::string("{\"unit\":\"") + unit + "\",\"min_length\":1,"), std::string::npos);
    }
    // The length does reach the comparison: one-word chunks find more.
    const TRunResult three = RunWith({"compare", "--min", "3", "--format", "json", path1, path2});
    const TRunResult zero = RunWith({"compare", "--min", "0", "--format", "json", path1, path2});
    EXPECT_NE(ParseJson(zero)["articles"][1]["regions"].size(), ParseJson(three)["articles"][1]["regions"].size());
}

struct FailureCase {
    const char* name;
    std::vector<std::string> args;
    std::string input;
    std::string err;
};

TEST(CliRun, RejectsBadUsageWithOneLine)
{
    const FailureCase cases[] = {
        {"no command", {}, "", "glenvary-cli: a command is required: compare, batch, density or archive (see --help)\n"},
        {"unknown command", {"frob", "$1"}, "",
         "glenvary-cli: unknown command frob: use compare, batch, density or archive (see --help)\n"},
        {"archive without its command", {"archive"}, "",
         "glenvary-cli: archive needs a command: add, check, remove, list or stats (see glenvary-cli archive --help)\n"},
        {"unknown archive command", {"archive", "chek", "$1"}, "",
         "glenvary-cli: unknown archive command chek: use add, check, remove, list or stats\n"},
        {"misspelt option of an archive command", {"archive", "check", "--mn", "3", "$1", "$2"}, "",
         "glenvary-cli: unknown option --mn for archive check (see glenvary-cli archive check --help)\n"},
        {"archive check of no article", {"archive", "check", "$1"}, "", "glenvary-cli: ARTICLE is required\n"},
        {"unknown option", {"--bogus"}, "", "glenvary-cli: The following argument was not expected: --bogus\n"},
        {"second article missing", {"compare", "$1"}, "", "glenvary-cli: ARTICLE2 is required\n"},
        {"third article", {"compare", "$1", "$2", "$2"}, "", "glenvary-cli: The following argument was not expected: $2\n"},
        {"unknown unit", {"compare", "--unit", "letters", "$1", "$2"}, "",
         "glenvary-cli: --unit: letters not in {words,sentences,paragraphs}\n"},
        {"unknown format", {"compare", "--format", "xml", "$1", "$2"}, "",
         "glenvary-cli: --format: xml not in {text,json,html}\n"},
        {"negative minimum length", {"compare", "--min", "-1", "$1", "$2"}, "",
         "glenvary-cli: --min: expected a whole number of 0 or more, not -1\n"},
        {"negative minimum length after =", {"compare", "--min=-20", "$1", "$2"}, "",
         "glenvary-cli: --min: expected a whole number of 0 or more, not -20\n"},
        {"minimum length not a number", {"compare", "--min", "three", "$1", "$2"}, "",
         "glenvary-cli: --min: expected a whole number of 0 or more, not three\n"},
        {"minimum length with a fraction", {"compare", "--min", "2.5", "$1", "$2"}, "",
         "glenvary-cli: --min: expected a whole number of 0 or more, not 2.5\n"},
        {"minimum length beyond 32 bits", {"compare", "--min", "2147483648", "$1", "$2"}, "",
         "glenvary-cli: --min: 2147483648 is too large: the largest minimum length is 2147483647\n"},
        {"misspelt option of a command", {"compare", "--mn", "3", "$1", "$2"}, "",
         "glenvary-cli: unknown option --mn for compare (see glenvary-cli compare --help)\n"},
        {"unknown short option after the articles", {"batch", "$1", "$2", "-x"}, "",
         "glenvary-cli: unknown option -x for batch (see glenvary-cli batch --help)\n"},
        {"empty keyword", {"density", "--keyword", "", "$1"}, "",
         "glenvary-cli: --keyword is empty: give the phrase to count\n"},
        {"keyword of spaces", {"density", "--keyword=   ", "$1"}, "",
         "glenvary-cli: --keyword is empty: give the phrase to count\n"},
        {"minimum length without value", {"compare", "$1", "$2", "--min"}, "",
         "glenvary-cli: --min: 1 required N missing\n"},
        {"both articles from standard input", {"compare", "-", "-"}, kCat,
         "glenvary-cli: only one article can be read from standard input ('-')\n"},
        {"batch without articles", {"batch"}, "", "glenvary-cli: ARTICLE is required\n"},
        {"batch of one article", {"batch", "$1", "$1"}, "",
         "glenvary-cli: batch needs two articles or more (files, or folders that hold them)\n"},
        {"threshold above 100", {"batch", "--threshold", "100.5", "$1", "$2"}, "",
         "glenvary-cli: --threshold: expected a percentage from 0 to 100, not 100.5\n"},
        {"negative threshold", {"batch", "--threshold=-1", "$1", "$2"}, "",
         "glenvary-cli: --threshold: expected a percentage from 0 to 100, not -1\n"},
        {"threshold with a per cent sign", {"batch", "--threshold", "50%", "$1", "$2"}, "",
         "glenvary-cli: --threshold: expected a percentage from 0 to 100, not 50%\n"},
        {"density without keyword", {"density", "$1"}, "", "glenvary-cli: --keyword is required\n"},
        {"density without article", {"density", "--keyword", "cat"}, "", "glenvary-cli: ARTICLE is required\n"},
        {"density as HTML", {"density", "--keyword", "cat", "--format", "html", "$1"}, "",
         "glenvary-cli: --format: html not in {text,json}\n"},
        {"keyword not UTF-8", {"density", "--keyword", "caf\xE9", "$1"}, "",
         "glenvary-cli: --keyword is not valid UTF-8 text\n"},
    };
    const TScratchDir dir;
    const std::string path1 = dir.Write("1.txt", kCat);
    const std::string path2 = dir.Write("2.txt", kDog);
    for (const FailureCase& c : cases) {
        SCOPED_TRACE(c.name);
        const TRunResult run = RunWith(Fill(c.args, path1, path2), c.input);
        EXPECT_EQ(run.status, kExitUsage);
        EXPECT_EQ(run.err, Fill(c.err, path1, path2));
        EXPECT_EQ(run.out, "");
    }
}

TEST(CliRun, NamesTheArticleThatCannotBeRead)
{
    const TScratchDir dir;
    const std::string good = dir.Write("good.txt", kCat);
    const std::string bad = dir.Write("bad.png", std::string("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16));
    const std::string missing = dir.Path("missing.txt");
    const std::string folder = dir.Root().string();
    const FailureCase cases[] = {
        {"first article missing", {"compare", missing, good}, "",
         "glenvary-cli: cannot read " + missing + ": No such file or directory\n"},
        {"second article missing", {"compare", good, missing}, "",
         "glenvary-cli: cannot read " + missing + ": No such file or directory\n"},
        {"both missing names the first", {"compare", missing, dir.Path("other.txt")}, "",
         "glenvary-cli: cannot read " + missing + ": No such file or directory\n"},
        {"a folder", {"compare", good, folder}, "", "glenvary-cli: cannot read " + folder + ": Is a directory\n"},
        {"a picture", {"compare", good, bad}, "",
         "glenvary-cli: cannot read " + bad + ": not a text file or a document this program can read\n"},
        {"binary standard input", {"compare", "-", good}, std::string("ok\0", 3),
         "glenvary-cli: cannot read standard input: not a text file or a document this program can read\n"},
        {"density article missing", {"density", "--keyword", "cat", missing}, "",
         "glenvary-cli: cannot read " + missing + ": No such file or directory\n"},
    };
    for (const FailureCase& c : cases) {
        SCOPED_TRACE(c.name);
        const TRunResult run = RunWith(c.args, c.input);
        EXPECT_EQ(run.status, kExitUsage);
        EXPECT_EQ(run.err, c.err);
        EXPECT_EQ(run.out, "");
    }
}

TEST(CliRun, LeavesTheOutputFileAloneWhenTheRunFails)
{
    // $1 is a good article, $2 one that is not text; out.json is the report.
    const FailureCase cases[] = {
        {"first article missing", {"compare", "-o", "$1.json", "$1-missing", "$1"}, "", ""},
        {"second article missing", {"compare", "-o", "$1.json", "$1", "$1-missing"}, "", ""},
        {"second article not text", {"compare", "-o", "$1.json", "$1", "$2"}, "", ""},
        {"negative minimum length", {"compare", "-o", "$1.json", "--min", "-1", "$1", "$1"}, "", ""},
        {"unknown unit", {"compare", "-o", "$1.json", "--unit", "letters", "$1", "$1"}, "", ""},
    };
    for (const bool existed : {false, true}) {
        for (const FailureCase& c : cases) {
            SCOPED_TRACE(testing::Message() << c.name << (existed ? ", over an existing file" : ", no file before"));
            const TScratchDir dir;
            const std::string article = dir.Write("a", kCat);
            const std::string bad = dir.Write("bad", std::string("\0", 1));
            if (existed) {
                dir.Write("a.json", "old content");
            }
            const TRunResult run = RunWith(Fill(c.args, article, bad));
            EXPECT_EQ(run.status, kExitUsage);
            EXPECT_EQ(run.out, "");
            EXPECT_NE(run.err, "");
            const std::vector<std::string> expected =
                existed ? std::vector<std::string>{"a", "a.json", "bad"} : std::vector<std::string>{"a", "bad"};
            EXPECT_EQ(dir.Files(), expected);
            if (existed) {
                EXPECT_EQ(ReadBytes(dir.Path("a.json")), "old content");
            }
        }
    }
}

TEST(CliRun, WritesTheWholeReportToTheOutputFile)
{
    for (const char* format : {"text", "json", "html"}) {
        SCOPED_TRACE(format);
        const TScratchDir dir;
        const std::string path1 = dir.Write("1.txt", kCat);
        const std::string path2 = dir.Write("2.txt", kDog);
        dir.Write("report.out", "an older, longer report that must disappear entirely");
        const TRunResult toStdout = RunWith({"compare", "--format", format, path1, path2});
        const TRunResult toFile = RunWith({"compare", "--format", format, "-o", dir.Path("report.out"), path1, path2});
        EXPECT_EQ(toFile.status, kExitOk);
        EXPECT_EQ(toFile.out, "");
        EXPECT_EQ(toFile.err, "");
        EXPECT_FALSE(toStdout.out.empty());
        EXPECT_EQ(ReadBytes(dir.Path("report.out")), toStdout.out);
        EXPECT_EQ(dir.Files(), (std::vector<std::string>{"1.txt", "2.txt", "report.out"}));
    }
}

TEST(CliRun, WritesBothArticlesOfALargePairWhole)
{
    // Large enough that the two articles' parts are made side by side.
    std::string text1;
    std::string text2;
    for (int i = 0; i < 20000; ++i) {
        const std::string sentence = "word" + std::to_string(i % 700) + " and \"more\" " + std::to_string(i) + ". ";
        text1 += sentence;
        text2 += i % 3 == 0 ? "other " + std::to_string(i) + ". " : sentence;
    }
    const TScratchDir dir;
    const nlohmann::json json = ParseJson(
        RunWith({"compare", "--format", "json", dir.Write("1.txt", text1), dir.Write("2.txt", text2)}));
    ASSERT_FALSE(json.is_discarded());
    for (const nlohmann::json& article : json["articles"]) {
        const nlohmann::json& colours = article["word_colors"];
        ASSERT_EQ(colours.size(), article["words"].get<std::size_t>());
        const auto white = static_cast<std::size_t>(std::count(colours.begin(), colours.end(), "#FFFFFF"));
        EXPECT_EQ(colours.size() - white, article["duplicated_words"].get<std::size_t>());
        EXPECT_FALSE(article["regions"].empty());
    }
    // Article 2 opens "other 0. word1 ...": its "0" goes on with article 1's copy.
    EXPECT_EQ(json["articles"][1]["regions"][0]["text"], "0. word1 and \"more\" 1. word2 and \"more\" 2");

    // The text report lists article 2's passages, then article 1's, a line each.
    const TRunResult text = RunWith({"compare", dir.Path("1.txt"), dir.Path("2.txt")});
    ASSERT_EQ(text.status, kExitOk) << text.err;
    const std::size_t heading2 = text.out.find("Duplicated passages in article 2:\n");
    const std::size_t heading1 = text.out.find("Duplicated passages in article 1:\n");
    ASSERT_NE(heading2, std::string::npos);
    ASSERT_NE(heading1, std::string::npos);
    ASSERT_LT(heading2, heading1);
    const auto lines = [](std::string_view part) {
        return static_cast<std::size_t>(std::count(part.begin(), part.end(), '\n')) - 1;
    };
    EXPECT_EQ(lines(std::string_view(text.out).substr(heading2, heading1 - heading2)),
              json["articles"][1]["regions"].size());
    EXPECT_EQ(lines(std::string_view(text.out).substr(heading1)), json["articles"][0]["regions"].size());
}

TEST(CliRun, ReportsAnOutputFileThatCannotBeWritten)
{
    const TScratchDir dir;
    const std::string path1 = dir.Write("1.txt", kCat);
    const std::string inMissingFolder = dir.Path("no/such/folder/out.txt");
    const std::string folder = dir.Root().string();
    const FailureCase cases[] = {
        {"folder does not exist", {"compare", "-o", inMissingFolder, path1, path1}, "",
         "glenvary-cli: cannot write " + inMissingFolder + ": No such file or directory\n"},
        {"output is a folder", {"compare", "-o", folder, path1, path1}, "",
         "glenvary-cli: cannot write " + folder + ": Is a directory\n"},
        {"a name with a line break", {"compare", "-o", folder + "/no\nsuch/out.txt", path1, path1}, "",
         "glenvary-cli: cannot write " + folder + "/no\\nsuch/out.txt: No such file or directory\n"},
    };
    for (const FailureCase& c : cases) {
        SCOPED_TRACE(c.name);
        const TRunResult run = RunWith(c.args);
        EXPECT_EQ(run.status, kExitFailure);
        EXPECT_EQ(run.err, c.err);
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(dir.Files(), std::vector<std::string>{"1.txt"});
    }
}

TEST(CliRun, EscapesArticleTextInHtml)
{
    const TScratchDir dir;
    const std::string path1 = dir.Write("1.txt", "<script>alert('x')</script> & friends");
    const std::string path2 = dir.Write("a&b<i>.txt", "Look: <script>alert('x')</script> & friends");
    const TRunResult run = RunWith({"compare", "--format", "html", path1, path2});
    EXPECT_EQ(run.status, kExitOk);
    EXPECT_EQ(run.out.find("<script"), std::string::npos);
    EXPECT_EQ(run.out.find("<i>"), std::string::npos);
    EXPECT_NE(run.out.find("&lt;script&gt;alert(&#39;x&#39;)&lt;/script&gt; &amp; friends</span>"), std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("a&amp;b&lt;i&gt;.txt"), std::string::npos);
    EXPECT_NE(run.out.find("Look: <span"), std::string::npos);
}

TEST(CliRun, PrintsVersionAndHelp)
{
    const TRunResult version = RunWith({"--version"});
    EXPECT_EQ(version.status, kExitOk);
    EXPECT_EQ(version.out, "glenvary-cli " GLENVARY_VERSION "\n");
    EXPECT_EQ(version.err, "");
    const TRunResult help = RunWith({"--help"});
    EXPECT_EQ(help.status, kExitOk);
    EXPECT_EQ(help.err, "");
    EXPECT_NE(help.out.find("Usage: glenvary-cli [OPTIONS] [SUBCOMMAND]"), std::string::npos) << help.out;
    const TRunResult compareHelp = RunWith({"compare", "--help"});
    EXPECT_EQ(compareHelp.status, kExitOk);
    EXPECT_NE(compareHelp.out.find("Usage: glenvary-cli compare [OPTIONS] ARTICLE1 ARTICLE2"), std::string::npos)
        << compareHelp.out;
    EXPECT_NE(compareHelp.out.find("--unit UNIT:{words,sentences,paragraphs}=words"), std::string::npos);
}

} // namespace
} // namespace glenvary::cli

namespace glenvary::cli {
namespace {

TEST(CliRun, SaysWhichOptionsLeftWordsOut)
{
    const TScratchDir dir;
    const std::string path1 = dir.Write("1.txt", "Your name here. the cat sat on the mat");
    // "the" with a zero-width space, and a Cyrillic o in "on".
    const std::string path2 = dir.Write("2.txt", "Your name here. \"the cat\" sat \xD0\xBEn th\xE2\x80\x8B" "e mat");
    const std::string header = dir.Write("header.txt", "Your name here.");
    const std::vector<std::string> options{"--fold", "--ignore-quoted", "--ignore-text", header};
    struct TRow {
        std::string format;
        std::vector<std::string> expected;
    };
    const std::vector<TRow> rows{
        {"text",
         {"Duplicate content: 44% of article 2 (44.44%, 4 of 9 words)\n",
          "Options: ignore 1 text, ignore quoted, fold; 5 words of article 2 left out",
          "Signs of a disguised copy in article 2: 1 word holds invisible characters; 1 word mixes Latin with "
          "Cyrillic or Greek letters; first at characters 31-32 \"\xD0\xBEn\" (mixed scripts), 34-37"}},
        {"json", {R"("options":["ignore 1 text","ignore quoted","fold"],"left_out_words":5,)",
                  R"("disguises":{"invisible_words":1,"mixed_script_words":1,"places":[)"}},
        {"html", {"<tr><th>Options</th><td>ignore 1 text, ignore quoted, fold; 5 words", "<th>Disguise</th>"}},
    };
    for (const TRow& row : rows) {
        SCOPED_TRACE(row.format);
        std::vector<std::string> args{"compare", "--min", "2", "--format", row.format};
        args.insert(args.end(), options.begin(), options.end());
        args.insert(args.end(), {path1, path2});
        const TRunResult run = RunWith(args);
        EXPECT_EQ(run.status, kExitOk) << run.err;
        for (const std::string& part : row.expected) {
            EXPECT_NE(run.out.find(part), std::string::npos) << part << "\nin\n" << run.out;
        }
    }
    const TRunResult batch = RunWith({"batch", "--min", "2", "--ignore-quoted", path1, path2});
    EXPECT_NE(batch.out.find("Options: ignore quoted\n"), std::string::npos) << batch.out;
    EXPECT_NE(batch.out.find("; 2 words of " + path2 + " left out\n"), std::string::npos) << batch.out;
    EXPECT_NE(batch.out.find("Signs of a disguised copy:\n  " + path2 + ": 1 word holds"), std::string::npos)
        << batch.out;
    const TRunResult batchHtml = RunWith({"batch", "--min", "2", "--ignore-quoted", "--format", "html", path1, path2});
    EXPECT_NE(batchHtml.out.find("2 words left out by the options"), std::string::npos) << batchHtml.out;

    const TRunResult missing = RunWith({"compare", "--ignore-text", dir.Path("none.txt"), path1, path2});
    EXPECT_EQ(missing.status, kExitUsage);
    EXPECT_NE(missing.err.find("none.txt"), std::string::npos) << missing.err;
}

} // namespace
} // namespace glenvary::cli
