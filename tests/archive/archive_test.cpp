// SPDX-License-Identifier: MIT
#include "archive/archive.h"
#include "report/report.h"
#include "postgres_server.h"
#include "support/scratch_dir.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <random>
#include <thread>

namespace glenvary::archive {
namespace {

// One server for every test of this program that needs one, started on
// first use and stopped when the program ends, whatever the tests did.
class TServerEnvironment : public testing::Environment {
public:
    static test::TPostgresServer& Server()
    {
        if (!tried_) {
            tried_ = true;
            problem_ = server_.Start();
        }
        if (!problem_.empty()) {
            ADD_FAILURE() << "no PostgreSQL server: " << problem_;
        }
        return server_;
    }
    void TearDown() override { server_.Stop(); }

private:
    static inline test::TPostgresServer server_;
    static inline bool tried_ = false;
    static inline std::string problem_;
};
testing::Environment* const serverEnvironment = testing::AddGlobalTestEnvironment(new TServerEnvironment);

// A fresh PostgreSQL database on the tests' server, dropped again by the
// next test that asks for the same name.
std::string FreshDatabase(const std::string& name)
{
    test::TPostgresServer& server = TServerEnvironment::Server();
    server.Sql("DROP DATABASE IF EXISTS " + name);
    server.Sql("CREATE DATABASE " + name);
    std::string address = server.Address();
    address.replace(address.find("/postgres?"), 10, "/" + name + "?");
    return address;
}

TArchive OpenOrFail(const std::string& address)
{
    auto archive = TArchive::Open(address, TOpenMode::CreateIfMissing);
    if (!archive.Ok()) {
        ADD_FAILURE() << archive.Error();
        std::abort();
    }
    return std::move(archive).Value();
}

std::u16string Ascii(std::string_view text) { return {text.begin(), text.end()}; }

// Random words from a small vocabulary, so that runs of eight and more
// words are shared by chance; some words hold characters that only the
// normalising or no folding makes equal.
std::u16string RandomText(std::mt19937& random, int words, int vocabulary)
{
    static const std::u16string kWords[] = {u"alpha", u"Beta", u"gamma", u"caf\u00E9", u"it\u2019s", u"delta",
                                            u"x",     u"yy",   u"zzz",   u"omega",      u"pi",        u"rho"};
    static const char16_t kDelimiters[] = u"  \n,.;!?";
    std::u16string text;
    for (int i = 0; i < words; ++i) {
        text += kWords[random() % static_cast<unsigned>(vocabulary)];
        text += random() % 6 == 0 ? kDelimiters[random() % 8] : u' ';
    }
    return text;
}

// The same words with other capitals A-Z and other delimiters.
std::u16string Disguised(std::mt19937& random, std::u16string text)
{
    for (char16_t& c : text) {
        if (c >= u'a' && c <= u'z' && random() % 2 == 0) {
            c = static_cast<char16_t>(c - u'a' + u'A');
        } else if (c == u' ' && random() % 3 == 0) {
            c = random() % 2 == 0 ? u'\n' : u',';
        }
    }
    return text;
}

// Words first..first+count-1 of `text`, with the delimiters between them.
std::u16string Passage(const std::u16string& text, int first, int count)
{
    core::TArticle article;
    article.Assign(text);
    const std::int32_t last = std::min(article.lstWords.Count() - 1, first + count - 1);
    if (first > last) {
        return {};
    }
    const std::int32_t from = article.lstWords[first].iStart - 1;
    return text.substr(static_cast<std::size_t>(from), static_cast<std::size_t>(article.lstWords[last].iEnd - 1 - from));
}

// On random small archives: every document that the exact comparison at a
// minimum of T words marks T words or more of is a candidate, and check's
// figures are compare's.
TEST(Archive, CandidatesHoldEveryDocumentTheComparisonMarksARunOf)
{
    std::mt19937 random(2024);
    int guaranteed = 0;
    for (int round = 0; round < 12; ++round) {
        SCOPED_TRACE(testing::Message() << "round " << round);
        const int vocabulary = 3 + round % 4 * 3;
        const std::u16string article = RandomText(random, 150 + static_cast<int>(random() % 150), vocabulary);
        std::vector<TNewDocument> documents;
        for (int d = 0; d < 30; ++d) {
            std::u16string text = RandomText(random, static_cast<int>(random() % 120), vocabulary);
            if (d % 3 == 0) {
                // A planted copy, of about T words, disguised half the time.
                const int length = kGuaranteeWords - 2 + static_cast<int>(random() % 6);
                std::u16string copy = Passage(article, static_cast<int>(random() % 140), length);
                text += u' ' + (d % 2 == 0 ? Disguised(random, copy) : copy) + u' ' + RandomText(random, 5, vocabulary);
            }
            documents.push_back(TNewDocument{"doc" + std::to_string(d), std::move(text)});
        }
        test::TScratchDir dir;
        TArchive archive = OpenOrFail(dir.Path("a.glenvary"));
        auto added = archive.Add(documents, TAddOptions{.batchDocuments = 7});
        ASSERT_TRUE(added.Ok()) << added.Error();

        auto candidates = archive.Candidates(article);
        ASSERT_TRUE(candidates.Ok()) << candidates.Error();
        std::set<std::int64_t> found;
        for (const TCandidate& candidate : candidates.Value()) {
            found.insert(candidate.id);
        }
        for (const TAddedDocument& document : added.Value().documents) {
            const std::u16string& text = documents[std::stoul(document.name.substr(3))].text;
            const core::TComparedTexts exact = core::CompareTexts(text, article, {core::ukWords, kGuaranteeWords});
            if (core::CountColouredWords(exact.article1.lstWords) >= kGuaranteeWords) {
                ++guaranteed;
                EXPECT_TRUE(found.contains(document.id)) << document.name << " is no candidate";
            }
        }

        const std::int32_t minLength = std::array{1, 3, kGuaranteeWords, 12}[static_cast<std::size_t>(round % 4)];
        auto checked = archive.Check(article, TCheckOptions{.topDocuments = 30, .minLength = minLength, .compare = {}});
        ASSERT_TRUE(checked.Ok()) << checked.Error();
        ASSERT_EQ(checked.Value().documents.size(), candidates.Value().size());
        for (const TCheckedDocument& document : checked.Value().documents) {
            SCOPED_TRACE(document.document.name);
            const std::u16string& text = documents[std::stoul(document.document.name.substr(3))].text;
            const report::TCompareReport compare = report::CompareArticles(
                text, article, report::TCompareSettings{core::ukWords, minLength}, {"document", "article"});
            EXPECT_EQ(document.articlePercent, compare.articles[1].duplicatePercent);
            EXPECT_EQ(document.articleDuplicatedWords, compare.articles[1].duplicatedWords);
            EXPECT_EQ(document.documentPercent, compare.articles[0].duplicatePercent);
            ASSERT_EQ(document.articlePassages.size(), compare.articles[1].regions.size());
            for (std::size_t i = 0; i < document.articlePassages.size(); ++i) {
                EXPECT_EQ(document.articlePassages[i].start, compare.articles[1].regions[i].start);
                EXPECT_EQ(document.articlePassages[i].end, compare.articles[1].regions[i].end);
            }
        }
    }
    // The rounds must have put the guarantee to work.
    EXPECT_GT(guaranteed, 40);
}

// Everything a scenario shows of an archive, for comparing two stores.
struct TScenarioResult {
    std::vector<std::pair<std::int64_t, bool>> added;
    std::vector<TCandidate> candidates;
    std::vector<std::tuple<std::string, double, double, std::size_t>> checked;
    std::int64_t removed = 0;
    std::vector<TDocumentInfo> listed;
    std::array<std::int64_t, 3> stats{};

    friend bool operator==(const TScenarioResult&, const TScenarioResult&) = default;
};

TScenarioResult RunScenario(const std::string& address)
{
    const std::u16string source = Ascii(
        "It was the best of times, it was the worst of times, it was the age of wisdom, "
        "it was the age of foolishness, it was the epoch of belief.");
    const std::u16string other = Ascii("Call me Ishmael. Some years ago, never mind how long precisely, having "
                                       "little or no money in my purse, I thought I would sail about a little.");
    const std::u16string article =
        Ascii("As the book says: IT WAS THE AGE OF WISDOM; it was the age of foolishness! Then I would sail about.");
    TScenarioResult result;
    TArchive archive = OpenOrFail(address);
    const std::vector<TNewDocument> first = {{"dickens.txt", source}, {"melville.txt", other}};
    const std::vector<TNewDocument> again = {{"copy-of-dickens.txt", source}};
    for (const auto& batch : {first, again}) {
        auto added = archive.Add(batch);
        EXPECT_TRUE(added.Ok()) << added.Error();
        if (added.Ok()) {
            for (const TAddedDocument& document : added.Value().documents) {
                result.added.emplace_back(document.id, document.alreadyStored);
            }
        }
    }
    auto checked = archive.Check(article);
    EXPECT_TRUE(checked.Ok()) << checked.Error();
    if (checked.Ok()) {
        result.candidates = checked.Value().candidates;
        for (const TCheckedDocument& document : checked.Value().documents) {
            result.checked.emplace_back(document.document.name, document.articlePercent, document.documentPercent,
                                        document.articlePassages.size());
        }
    }
    auto removed = archive.RemoveByName("melville.txt");
    EXPECT_TRUE(removed.Ok()) << removed.Error();
    result.removed = removed.Ok() ? removed.Value() : -1;
    auto listed = archive.List();
    EXPECT_TRUE(listed.Ok()) << listed.Error();
    result.listed = listed.Ok() ? listed.Value() : std::vector<TDocumentInfo>{};
    auto stats = archive.Stats();
    EXPECT_TRUE(stats.Ok()) << stats.Error();
    if (stats.Ok()) {
        result.stats = {stats.Value().documents, stats.Value().words, stats.Value().fingerprints};
    }
    return result;
}

TEST(Archive, BothStoresGiveTheSameResults)
{
    test::TScratchDir dir;
    const TScenarioResult sqlite = RunScenario(dir.Path("scenario.glenvary"));
    const TScenarioResult postgres = RunScenario(FreshDatabase("scenario"));
    EXPECT_EQ(sqlite, postgres);

    const std::vector<std::pair<std::int64_t, bool>> added = {{1, false}, {2, false}, {1, true}};
    EXPECT_EQ(sqlite.added, added);
    ASSERT_EQ(sqlite.candidates.size(), 1U);
    EXPECT_EQ(sqlite.candidates[0].name, "dickens.txt");
    ASSERT_EQ(sqlite.checked.size(), 1U);
    // "it was the age of wisdom it was the age of foolishness": 12 of the
    // article's 21 words, 12 of the source's 30.
    EXPECT_DOUBLE_EQ(std::get<1>(sqlite.checked[0]), 1200.0 / 21.0);
    EXPECT_DOUBLE_EQ(std::get<2>(sqlite.checked[0]), 40.0);
    EXPECT_EQ(sqlite.removed, 1);
    ASSERT_EQ(sqlite.listed.size(), 1U);
    EXPECT_EQ(sqlite.listed[0].name, "dickens.txt");
    EXPECT_EQ(sqlite.stats[0], 1);
    EXPECT_EQ(sqlite.stats[1], 30);
}

// An archive large enough that a look-up reads hundreds of blocks, which
// both stores share out between two connections: the candidates are the
// same, and the planted sources come first.
TEST(Archive, BothStoresFindTheSameCandidatesWhereALookUpReadsManyBlocks)
{
    std::mt19937 random(11);
    auto text = [&](int words) {
        std::u16string result;
        for (int i = 0; i < words; ++i) {
            result += Ascii("w" + std::to_string(random() % 5000) + " ");
        }
        return result;
    };
    std::vector<TNewDocument> documents;
    for (int d = 0; d < 600; ++d) {
        documents.push_back({"doc" + std::to_string(d), text(1000)});
    }
    std::u16string article = text(2000);
    for (const int source : {17, 233, 598}) {
        article += u' ' + Passage(documents[static_cast<std::size_t>(source)].text, 300, 40);
    }
    test::TScratchDir dir;
    std::vector<std::vector<TCandidate>> found;
    for (const std::string& address : {dir.Path("large.glenvary"), FreshDatabase("large")}) {
        TArchive archive = OpenOrFail(address);
        ASSERT_TRUE(archive.Add(documents, TAddOptions{.batchDocuments = 100}).Ok());
        auto candidates = archive.Candidates(article);
        ASSERT_TRUE(candidates.Ok()) << candidates.Error();
        found.push_back(candidates.Value());
    }
    EXPECT_EQ(found[0], found[1]);
    ASSERT_GE(found[0].size(), 3U);
    std::set<std::int64_t> best = {found[0][0].id, found[0][1].id, found[0][2].id};
    EXPECT_EQ(best, (std::set<std::int64_t>{18, 234, 599}));
}

void MakeSqliteFile(const std::string& path, const char* sql)
{
    sqlite3* db = nullptr;
    sqlite3_open(path.c_str(), &db);
    sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

TEST(Archive, RefusesWhatIsNoArchiveOfItsFormat)
{
    test::TScratchDir dir;
    {
        TArchive archive = OpenOrFail(dir.Path("truncated.glenvary"));
        std::vector<TNewDocument> documents;
        std::mt19937 random(1);
        for (int i = 0; i < 40; ++i) {
            documents.push_back({"d" + std::to_string(i), RandomText(random, 2000, 12)});
        }
        ASSERT_TRUE(archive.Add(documents).Ok());
    }
    std::filesystem::resize_file(dir.Path("truncated.glenvary"),
                                 std::filesystem::file_size(dir.Path("truncated.glenvary")) / 2);
    OpenOrFail(dir.Path("format2.glenvary"));
    MakeSqliteFile(dir.Path("format2.glenvary"), "PRAGMA user_version = 2");
    MakeSqliteFile(dir.Path("other.db"), "CREATE TABLE notes(body TEXT)");
    dir.Write("notes.txt", "Dear diary, today I wrote a text file and called it an archive.\n");
    dir.Write("picture.png", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16) + std::string(200, '\0'));
    dir.Write("empty", "");
    const std::string pg = FreshDatabase("format2");
    OpenOrFail(pg);
    ASSERT_TRUE(TServerEnvironment::Server().Sql("UPDATE archive_meta SET value = 2 WHERE key = 'format'", "format2"));

    const struct {
        std::string name;
        std::string address;
        std::string expected;
    } cases[] = {
        {"text file", dir.Path("notes.txt"), "not a Glenvary archive"},
        {"picture", dir.Path("picture.png"), "not a Glenvary archive"},
        {"another program's database", dir.Path("other.db"), "not a Glenvary archive"},
        {"empty file", dir.Path("empty"), "not a Glenvary archive"},
        {"missing file", dir.Path("missing.glenvary"), "no such archive"},
        {"truncated archive", dir.Path("truncated.glenvary"),
         "the archive is damaged (the file is shorter than its pages)"},
        {"other format", dir.Path("format2.glenvary"), "archive format 2 is not the one this program reads (1)"},
        {"database of another format", pg, "archive format 2 is not the one this program reads (1)"},
        {"missing server", "postgresql://glenvary:secret@/postgres?host=/nonexistent&port=1",
         "connection to server on socket \"/nonexistent/.s.PGSQL.1\" failed: No such file or directory"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto archive = TArchive::Open(c.address, TOpenMode::Existing);
        ASSERT_FALSE(archive.Ok());
        EXPECT_EQ(archive.Error(), "cannot open " + PrintableAddress(c.address) + ": " + c.expected);
        EXPECT_EQ(archive.Error().find("secret"), std::string::npos);
        EXPECT_EQ(archive.Error().find('\n'), std::string::npos);
    }
}

TEST(Archive, AddressesInMessagesLeaveThePasswordOut)
{
    const struct {
        const char* address;
        const char* printable;
    } cases[] = {
        {"/home/me/texts.glenvary", "/home/me/texts.glenvary"},
        {"postgresql://me:s3cr:et@db.example:5432/team", "postgresql://me@db.example:5432/team"},
        {"postgres://me@db/team?password=s3cret&sslmode=require", "postgres://me@db/team?sslmode=require"},
        {"postgresql:///team?host=/run/pg&password=s3cret", "postgresql:///team?host=/run/pg"},
        {"postgresql://db/team?password=s3cret", "postgresql://db/team"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PrintableAddress(c.address), c.printable);
    }
}

TEST(Archive, AServerThatGoesAwayGivesAnError)
{
    test::TPostgresServer server;
    const std::string problem = server.Start();
    ASSERT_EQ(problem, "");
    TArchive archive = OpenOrFail(server.Address());
    std::mt19937 random(3);
    const std::u16string text = RandomText(random, 500, 12);
    ASSERT_TRUE(archive.Add(std::vector<TNewDocument>{{"one", text}}).Ok());
    const std::string address = PrintableAddress(server.Address());
    server.Stop();
    auto checked = archive.Check(text);
    ASSERT_FALSE(checked.Ok());
    EXPECT_TRUE(checked.Error().starts_with("archive " + address + ": ")) << checked.Error();
    EXPECT_EQ(checked.Error().find('\n'), std::string::npos);
}

// Two writers at once, each with its own connection: both succeed and
// every document is stored once, under its own id.
void AddFromTwoWriters(const std::string& address)
{
    OpenOrFail(address);
    std::array<std::string, 2> errors;
    auto writer = [&](int which) {
        auto archive = TArchive::Open(address, TOpenMode::Existing);
        if (!archive.Ok()) {
            errors[static_cast<std::size_t>(which)] = archive.Error();
            return;
        }
        std::mt19937 random(static_cast<unsigned>(which));
        std::vector<TNewDocument> documents;
        for (int i = 0; i < 40; ++i) {
            documents.push_back({std::to_string(which) + "-" + std::to_string(i), RandomText(random, 300, 12)});
        }
        auto added = archive.Value().Add(documents, TAddOptions{.batchDocuments = 4});
        if (!added.Ok()) {
            errors[static_cast<std::size_t>(which)] = added.Error();
        }
    };
    {
        std::jthread first(writer, 0);
        std::jthread second(writer, 1);
    }
    EXPECT_EQ(errors[0], "");
    EXPECT_EQ(errors[1], "");
    TArchive archive = OpenOrFail(address);
    auto listed = archive.List();
    ASSERT_TRUE(listed.Ok()) << listed.Error();
    ASSERT_EQ(listed.Value().size(), 80U);
    EXPECT_EQ(listed.Value().back().id, 80);
    // Each document is found again through the index after the merges.
    auto text = archive.Text(17);
    ASSERT_TRUE(text.Ok());
    auto candidates = archive.Candidates(text.Value());
    ASSERT_TRUE(candidates.Ok());
    EXPECT_EQ(candidates.Value().front().id, 17);
}

TEST(Archive, TwoWritersOfOneFileBothSucceed)
{
    test::TScratchDir dir;
    AddFromTwoWriters(dir.Path("shared.glenvary"));
}

TEST(Archive, TwoWritersOfOneDatabaseBothSucceed) { AddFromTwoWriters(FreshDatabase("shared")); }

TEST(Archive, AnAddStoppedBetweenBatchesKeepsWholeBatches)
{
    test::TScratchDir dir;
    TArchive archive = OpenOrFail(dir.Path("stopped.glenvary"));
    std::mt19937 random(5);
    std::vector<TNewDocument> documents;
    for (int i = 0; i < 20; ++i) {
        documents.push_back({std::to_string(i), RandomText(random, 100, 12)});
    }
    std::stop_source stop;
    auto added = archive.Add(documents, TAddOptions{.batchDocuments = 6}, [&](const TProgress& progress) {
        if (progress.stage == TProgress::TStage::Adding && progress.done >= 12) {
            stop.request_stop();
        }
    }, stop.get_token());
    ASSERT_TRUE(added.Ok()) << added.Error();
    EXPECT_TRUE(added.Value().stopped);
    EXPECT_EQ(added.Value().added, 12);
    auto listed = archive.List();
    ASSERT_TRUE(listed.Ok());
    EXPECT_EQ(listed.Value().size(), 12U);
}

} // namespace
} // namespace glenvary::archive
