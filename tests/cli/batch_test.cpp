// SPDX-License-Identifier: MIT
// The batch command against the compare command: every pair of a batch run
// must report what `compare` reports for the same two files.
#include "cli/cli.h"

#include "cli_test_support.h"
#include "support/ordinary_user.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace glenvary::cli {
namespace {

using test::ReadBytes;
using test::RunWith;
using test::TRunResult;
using test::TScratchDir;

// Five articles over a dozen words, so that every pair shares passages of
// every length and the lists have ties, and a blank one, whose pairs are
// not compared. The files lie in a folder and a subfolder beside a hidden
// file that is no article; `names` gets them in the order a batch run
// takes them when given a1.txt and then the folder.
std::string WriteArticles(const TScratchDir& dir, std::vector<std::string>& names)
{
    const std::filesystem::path folder = dir.Root() / "articles";
    std::filesystem::create_directories(folder / "sub");
    static const char* const kWords[] = {"the", "cat", "sat", "on",  "mat",   "a",
                                         "dog", "ran", "to",  "red", "house", "and"};
    std::mt19937 random(4711);
    const std::vector<std::string> files = {"a1.txt", "a0.txt", "blank.txt", "sub/a2.txt", "sub/a3.txt", "sub/a4.txt"};
    for (const std::string& name : files) {
        std::string text = " \n ";
        if (name != "blank.txt") {
            text.clear();
            for (int w = 0, words = 30 + static_cast<int>(random() % 40); w < words; ++w) {
                text += kWords[random() % std::size(kWords)];
                static const char* const kSeparators[] = {" ", " ", " ", " ", ", ", ". ", ".\n"};
                text += kSeparators[random() % std::size(kSeparators)];
            }
        }
        dir.Write("articles/" + name, text);
        names.push_back((folder / name).string());
    }
    dir.Write("articles/.notes", std::string("\0\1\2", 3));
    return folder.string();
}

nlohmann::json Json(const TRunResult& run)
{
    EXPECT_EQ(run.err, "");
    return nlohmann::json::parse(run.out, nullptr, false);
}

// The text of `tag`'s element up to `end`, or "" without it.
std::string After(const std::string& page, const std::string& tag, const std::string& end)
{
    const std::size_t from = page.find(tag);
    if (from == std::string::npos) {
        return {};
    }
    const std::size_t to = page.find(end, from);
    return page.substr(from + tag.size(), to == std::string::npos ? std::string::npos : to - from - tag.size());
}

struct SettingsCase {
    const char* name;
    std::vector<std::string> options;
};

TEST(CliBatch, ReportsEveryPairAsCompareDoes)
{
    const SettingsCase cases[] = {
        {"one word", {}},
        {"three words", {"--min", "3"}},
        {"one sentence", {"--unit", "sentences"}},
        {"two paragraphs", {"--unit", "paragraphs", "--min", "2"}},
    };
    const TScratchDir dir;
    std::vector<std::string> names;
    const std::string folder = WriteArticles(dir, names);
    for (const SettingsCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> args = {"batch", "--format", "json"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        args.push_back(names[0]);
        args.push_back(folder);
        const TRunResult run = RunWith(args);
        ASSERT_EQ(run.status, kExitOk) << run.err;
        const nlohmann::json batch = Json(run);
        ASSERT_EQ(batch["articles"].size(), names.size());
        for (std::size_t i = 0; i < names.size(); ++i) {
            EXPECT_EQ(batch["articles"][i]["name"], names[i]);
        }
        EXPECT_EQ(batch["pair_count"], 30);
        ASSERT_EQ(batch["pairs"].size(), 30U);

        std::set<std::pair<int, int>> seen;
        const nlohmann::json* previous = nullptr;
        for (const nlohmann::json& pair : batch["pairs"]) {
            const int article1 = pair["article1"];
            const int article2 = pair["article2"];
            SCOPED_TRACE(testing::Message() << "pair " << article1 << " -> " << article2);
            EXPECT_NE(article1, article2);
            EXPECT_TRUE(seen.insert({article1, article2}).second);
            if (previous != nullptr) {
                const double before = (*previous)["duplicate_percent"];
                const double now = pair["duplicate_percent"];
                EXPECT_GE(before, now);
                if (before == now) {
                    EXPECT_LT(std::pair((*previous)["article1"].get<int>(), (*previous)["article2"].get<int>()),
                              std::pair(article1, article2));
                }
            }
            previous = &pair;

            std::vector<std::string> compareArgs = {"compare", "--format", "json"};
            compareArgs.insert(compareArgs.end(), c.options.begin(), c.options.end());
            compareArgs.push_back(names[static_cast<std::size_t>(article1)]);
            compareArgs.push_back(names[static_cast<std::size_t>(article2)]);
            const nlohmann::json single = Json(RunWith(compareArgs));
            EXPECT_EQ(pair["compared"], single["compared"]);
            EXPECT_EQ(pair["duplicate_percent"], single["duplicate_percent"]);
            EXPECT_EQ(pair["duplicate_percent_shown"], single["duplicate_percent_shown"]);
            for (std::size_t side = 0; side < 2; ++side) {
                EXPECT_EQ(pair["articles"][side]["duplicated_words"], single["articles"][side]["duplicated_words"]);
                EXPECT_EQ(pair["articles"][side]["duplicate_percent"], single["articles"][side]["duplicate_percent"]);
            }
        }
    }
}

TEST(CliBatch, ListsThePairsAtOrAboveTheThresholdWithTheirOwnViews)
{
    const TScratchDir dir;
    std::vector<std::string> unused;
    const std::string folder = WriteArticles(dir, unused);
    const nlohmann::json all = Json(RunWith({"batch", "--min", "2", "--format", "json", folder}));
    ASSERT_EQ(all["pairs"].size(), 30U);
    // A share that some pair has exactly, and others above and below it.
    const nlohmann::json& middle = all["pairs"][12];
    const double threshold = middle["duplicate_percent"];
    ASSERT_GT(threshold, all["pairs"].back()["duplicate_percent"].get<double>());
    ASSERT_LT(threshold, all["pairs"].front()["duplicate_percent"].get<double>());
    nlohmann::json expected = nlohmann::json::array();
    for (const nlohmann::json& pair : all["pairs"]) {
        if (pair["duplicate_percent"].get<double>() >= threshold) {
            expected.push_back(pair);
        }
    }

    const std::string given = middle["duplicate_percent"].dump();
    const nlohmann::json listed =
        Json(RunWith({"batch", "--min", "2", "--threshold", given, "--format", "json", folder}));
    EXPECT_EQ(listed["threshold"], threshold);
    EXPECT_EQ(listed["pair_count"], 30);
    EXPECT_EQ(listed["pairs"], expected);

    // Each row of the page, article 1 first, leads to a section that lists
    // the pair's passages as compare lists them, each linked to a place in
    // its article's text, which the page holds once.
    const TRunResult page = RunWith({"batch", "--min", "2", "--threshold", given, "--format", "html", folder});
    ASSERT_EQ(page.status, kExitOk) << page.err;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const std::string number = std::to_string(i + 1);
        SCOPED_TRACE("pair " + number);
        const std::string name1 = all["articles"][expected[i]["article1"].get<std::size_t>()]["name"];
        const std::string name2 = all["articles"][expected[i]["article2"].get<std::size_t>()]["name"];
        EXPECT_NE(page.out.find("<td><a href=\"#pair" + number + "\">" + number + "</a></td><td>" + name1
                                + "</td><td><a href=\"#pair" + number + "\">" + name2 + "</a></td>"),
                  std::string::npos);
        const std::string section =
            After(page.out, "<section class=\"pair\" id=\"pair" + number + "\">", "Back to the list of pairs");
        const TRunResult single = RunWith({"compare", "--min", "2", "--format", "html", name1, name2});
        std::size_t from = 0;
        for (const std::string side : {"1", "2"}) {
            std::string listed = After(single.out.substr(single.out.find("<h2>Article " + side)), "<ol>\n", "</ol>");
            ASSERT_FALSE(listed.empty());
            const std::string prefix = "#pair" + number + "-a" + side + "-";
            for (std::size_t at = listed.find("#a" + side + "-"); at != std::string::npos;
                 at = listed.find("#a" + side + "-", at + prefix.size())) {
                listed.replace(at, side.size() + 3, prefix);
                const std::size_t end = listed.find('"', at);
                EXPECT_NE(page.out.find("id=\"" + listed.substr(at + 1, end - at - 1) + "\""), std::string::npos);
            }
            const std::string shown = After(section.substr(from), "<ol>\n", "</ol>");
            EXPECT_EQ(shown, listed);
            from = section.find("</ol>", from) + 1;
        }
    }
    EXPECT_EQ(page.out.find("id=\"pair" + std::to_string(expected.size() + 1) + "\""), std::string::npos);
    for (std::size_t article = 1; article <= 6; ++article) {
        const std::string text = "<section class=\"article\" id=\"article" + std::to_string(article) + "\">";
        const std::size_t at = page.out.find(text);
        EXPECT_EQ(page.out.find(text, at + 1), std::string::npos);
    }
}

TEST(CliBatch, LeavesOutWhatItCannotReadAndComparesTheRest)
{
    const TScratchDir dir;
    const std::string good1 = dir.Write("1.txt", "The cat sat on the mat.");
    const std::string good2 = dir.Write("2.txt", "A dog Sat on THE mat today.");
    // A file name is bytes: the report names it with U+FFFD for those that
    // are not UTF-8.
    const std::string good3 = dir.Write("3\xFF.txt", "The mat is red.");
    const std::string missing = dir.Path("missing.txt");
    const std::string picture = dir.Write("bad.png", std::string("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16));
    const std::string report = dir.Path("report.json");
    const TRunResult run =
        RunWith({"batch", "--min", "3", "--format", "json", "-o", report, good1, missing, good2, picture, good3});
    EXPECT_EQ(run.status, kExitUsage);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "glenvary-cli: cannot read " + missing + ": No such file or directory\n"
                       "glenvary-cli: cannot read " + picture
                           + ": not a text file or a document this program can read\n");
    const nlohmann::json json = nlohmann::json::parse(ReadBytes(report), nullptr, false);
    ASSERT_FALSE(json.is_discarded());
    ASSERT_EQ(json["articles"].size(), 3U);
    EXPECT_EQ(json["articles"][2]["name"], dir.Path("3\xEF\xBF\xBD.txt"));
    EXPECT_EQ(json["pair_count"], 6);
    EXPECT_EQ(json["pairs"].size(), 6U);
    // The report itself names what it left out, in every format.
    EXPECT_EQ(json["unreadable"],
              nlohmann::json::parse(R"([{"name":")" + missing + R"(","error":"cannot read )" + missing
                                    + R"(: No such file or directory"},{"name":")" + picture + R"(","error":"cannot read )"
                                    + picture + R"(: not a text file or a document this program can read"}])"));
    const TRunResult text = RunWith({"batch", "--min", "3", good1, missing, good2});
    EXPECT_TRUE(text.out.ends_with("\nNot read, so in no pair:\n  cannot read " + missing
                                   + ": No such file or directory\n"))
        << text.out;
    const TRunResult page = RunWith({"batch", "--format", "html", good1, missing, good2});
    EXPECT_NE(page.out.find("<li>cannot read " + missing + ": No such file or directory</li>"), std::string::npos);
}

TEST(CliBatch, NeverReadsItsOwnReportBack)
{
    const TScratchDir dir;
    std::filesystem::create_directory(dir.Root() / "in");
    dir.Write("in/1.txt", "The cat sat on the mat.");
    dir.Write("in/2.txt", "A dog Sat on THE mat today.");
    const std::string report = dir.Path("in/report.txt");
    for (int run = 0; run < 2; ++run) {
        SCOPED_TRACE(run);
        const TRunResult batch = RunWith({"batch", "-o", report, dir.Path("in")});
        EXPECT_EQ(batch.status, kExitOk) << batch.err;
        EXPECT_NE(ReadBytes(report).find("Articles: 2; ordered pairs compared: 2"), std::string::npos);
    }
}

TEST(CliBatch, NamesTheFilesOfAFolderItCanListButNotSearch)
{
    const TScratchDir dir;
    const std::string good = dir.Write("good.txt", "The cat sat on the mat.");
    const std::filesystem::path locked = dir.Root() / "locked";
    std::filesystem::create_directory(locked);
    std::ofstream(locked / "a.txt") << "The cat sat on the mat.";
    std::ofstream(locked / "b.txt") << "A dog sat on the mat.";
    // Listed, but no file in it can be looked at; root would pass.
    std::filesystem::permissions(locked, std::filesystem::perms::owner_read | std::filesystem::perms::group_read
                                             | std::filesystem::perms::others_read);
    glenvary::test::AsOrdinaryUser([&] {
        const TRunResult run = RunWith({"batch", good, locked.string()});
        EXPECT_EQ(run.status, kExitUsage);
        EXPECT_EQ(run.err, "glenvary-cli: cannot read " + (locked / "a.txt").string() + ": Permission denied\n"
                           "glenvary-cli: cannot read " + (locked / "b.txt").string() + ": Permission denied\n");
    });
    std::filesystem::permissions(locked, std::filesystem::perms::owner_all);
}

} // namespace
} // namespace glenvary::cli
