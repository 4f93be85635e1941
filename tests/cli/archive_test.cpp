// SPDX-License-Identifier: MIT
// The archive commands of the command line on a scratch SQLite archive:
// what each prints and its exit status, and the archives it refuses.
#include "cli/cli.h"

#include "cli_test_support.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace glenvary::cli {
namespace {

using test::RunWith;
using test::TRunResult;
using test::TScratchDir;

std::string RandomProse(std::mt19937& random, int words)
{
    static const char* const kWords[] = {"harbour", "stone", "light", "river", "old", "bright", "road", "winter",
                                         "bread", "valley", "quiet", "gentle", "music", "silver", "bridge", "far"};
    std::string text;
    for (int w = 0; w < words; ++w) {
        text += kWords[random() % std::size(kWords)];
        text += w % 11 == 10 ? ". " : " ";
    }
    return text;
}

TEST(ArchiveCommands, AddCheckListRemoveAndStatsOnOneArchive)
{
    TScratchDir dir;
    std::mt19937 random(99);
    const std::string source = RandomProse(random, 300);
    const std::string other = RandomProse(random, 300);
    std::filesystem::create_directories(dir.Root() / "essays" / "sub");
    dir.Write("essays/source.txt", source);
    dir.Write("essays/sub/other.txt", other);
    // The same text twice in one add is stored once, and said so.
    dir.Write("essays/sub/source-again.txt", source);
    const std::string article = RandomProse(random, 100) + source.substr(0, 600) + RandomProse(random, 100);
    dir.Write("new.txt", article);
    const std::string archive = dir.Path("my.glenarchive");
    const std::string essays = dir.Path("essays");

    const struct {
        std::vector<std::string> args;
        int status;
        std::string out;  // a line the output holds
        std::string err;  // standard error, whole
    } steps[] = {
        {{"archive", "add", archive, essays}, kExitOk,
         essays + "/sub/source-again.txt: already stored as #1 (" + essays + "/source.txt)\n"
             + "Added 2 documents to " + archive + "; 1 already stored\n",
         ""},
        {{"archive", "add", archive, dir.Path("missing.txt")}, kExitUsage, "Added 0 documents",
         "glenvary-cli: cannot read " + dir.Path("missing.txt") + ": No such file or directory\n"},
        {{"archive", "list", archive}, kExitOk, "#1\t300 words\t" + essays + "/source.txt\n#2\t300 words\t" + essays
             + "/sub/other.txt\n", ""},
        {{"archive", "stats", archive}, kExitOk, "Documents: 2\nWords: 600\n", ""},
        {{"archive", "check", archive, dir.Path("new.txt")}, kExitOk, "1. ", ""},
        {{"archive", "check", "--min", "x", archive, dir.Path("new.txt")}, kExitUsage, "",
         "glenvary-cli: --min: expected a whole number of 0 or more, not x\n"},
        {{"archive", "check", "--threshold", "101", archive, dir.Path("new.txt")}, kExitUsage, "",
         "glenvary-cli: --threshold: expected a percentage from 0 to 100, not 101\n"},
        {{"archive", "remove", archive, essays + "/sub/other.txt", "#1", "nothing"}, kExitUsage,
         "Removed " + essays + "/sub/other.txt (1 document)\nRemoved #1 (1 document)\n",
         "glenvary-cli: no document named or numbered nothing in " + archive + "\n"},
        {{"archive", "stats", archive}, kExitOk, "Documents: 0\n", ""},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.args[1]);
        const TRunResult run = RunWith(step.args);
        EXPECT_EQ(run.status, step.status);
        EXPECT_NE(run.out.find(step.out), std::string::npos) << run.out;
        EXPECT_EQ(run.err, step.err);
    }
}

TEST(ArchiveCommands, CheckListsTheSourceWithBothSharesAndPassages)
{
    TScratchDir dir;
    std::mt19937 random(5);
    // The walk matches the end of a document in pieces shorter than the
    // minimum: a word the article lacks keeps them from marking anything.
    const std::string source = RandomProse(random, 399) + "aardvark";
    dir.Write("source.txt", source);
    dir.Write("unrelated.txt", RandomProse(random, 400));
    // 100 of the article's 200 words are the source's first 100.
    std::string copied;
    for (std::size_t at = 0, words = 0; words < 100; ++words) {
        const std::size_t end = source.find(' ', at);
        copied += source.substr(at, end - at + 1);
        at = end + 1;
    }
    // A word the source never has ends the copy.
    dir.Write("new.txt", copied + "zebra " + RandomProse(random, 99));
    const std::string archive = dir.Path("a.glenarchive");
    ASSERT_EQ(RunWith({"archive", "add", archive, dir.Path("source.txt"), dir.Path("unrelated.txt")}).status, kExitOk);
    const TRunResult run = RunWith({"archive", "check", "--format", "json", archive, dir.Path("new.txt")});
    ASSERT_EQ(run.status, kExitOk) << run.err;
    const nlohmann::json report = nlohmann::json::parse(run.out);
    const nlohmann::json& sources = report["articles"][0]["sources"];
    ASSERT_EQ(sources.size(), 1U) << run.out;
    EXPECT_EQ(sources[0]["name"], dir.Path("source.txt"));
    EXPECT_EQ(sources[0]["article_duplicated_words"], 100);
    EXPECT_DOUBLE_EQ(sources[0]["article_percent"].get<double>(), 50.0);
    EXPECT_DOUBLE_EQ(sources[0]["document_percent"].get<double>(), 25.0);
    ASSERT_EQ(sources[0]["article_passages"].size(), 1U);
    EXPECT_EQ(sources[0]["article_passages"][0]["first_word"], 0);
    EXPECT_EQ(sources[0]["article_passages"][0]["last_word"], 99);
    EXPECT_EQ(sources[0]["document_passages"][0]["last_word"], 99);

    // The same report as a web page, through the safe -o file.
    const TRunResult html =
        RunWith({"archive", "check", "--format", "html", "-o", dir.Path("r.html"), archive, dir.Path("new.txt")});
    EXPECT_EQ(html.status, kExitOk);
    EXPECT_NE(test::ReadBytes(dir.Path("r.html")).find("50.00%"), std::string::npos);
}

TEST(ArchiveCommands, RefusesWhatIsNoArchiveWithOneLine)
{
    TScratchDir dir;
    dir.Write("notes.txt", "Dear diary, this is no archive.\n");
    {
        std::mt19937 random(1);
        std::filesystem::create_directories(dir.Root() / "docs");
        for (int i = 0; i < 40; ++i) {
            dir.Write("docs/d" + std::to_string(i) + ".txt", RandomProse(random, 2000));
        }
        ASSERT_EQ(RunWith({"archive", "add", dir.Path("damaged.glenarchive"), dir.Path("docs")}).status, kExitOk);
        std::filesystem::resize_file(dir.Path("damaged.glenarchive"),
                                     std::filesystem::file_size(dir.Path("damaged.glenarchive")) / 2);
    }
    const std::string server = "postgresql://glenvary:secret@/postgres?host=/nonexistent&port=1";
    const struct {
        const char* name;
        std::string archive;
        std::string message;
    } cases[] = {
        {"text file", dir.Path("notes.txt"), "cannot open " + dir.Path("notes.txt") + ": not a Glenvary archive"},
        {"damaged archive", dir.Path("damaged.glenarchive"),
         "cannot open " + dir.Path("damaged.glenarchive")
             + ": the archive is damaged (the file is shorter than its pages)"},
        {"missing archive", dir.Path("none.glenarchive"),
         "cannot open " + dir.Path("none.glenarchive") + ": no such archive"},
        {"missing server", server,
         "cannot open postgresql://glenvary@/postgres?host=/nonexistent&port=1: connection to server on socket "
         "\"/nonexistent/.s.PGSQL.1\" failed: No such file or directory"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (const std::vector<std::string>& args :
             {std::vector<std::string>{"archive", "list", c.archive},
              std::vector<std::string>{"archive", "check", c.archive, dir.Path("notes.txt")}}) {
            const TRunResult run = RunWith(args);
            EXPECT_EQ(run.status, kExitUsage);
            EXPECT_EQ(run.out, "");
            EXPECT_EQ(run.err, "glenvary-cli: " + c.message + "\n");
        }
    }
    // add makes a missing file, but not over a file that is something else.
    EXPECT_EQ(RunWith({"archive", "add", dir.Path("notes.txt"), dir.Path("notes.txt")}).status, kExitUsage);
    EXPECT_EQ(test::ReadBytes(dir.Path("notes.txt")), "Dear diary, this is no archive.\n");
}

} // namespace
} // namespace glenvary::cli
