// SPDX-License-Identifier: MIT
// The table of bad inputs in docs/robustness.md, row by row: each article
// file as the window's Import reads it and as glenvary-cli compares it, each
// start-up configuration as the loader reads it, and the configured
// addresses as the browser receives them. Every row also checks that the
// folder it ran in holds what it held before. The rows that need the window
// (banner pictures) are in tests/ui/configuration_test.cpp.
#include "cli/cli.h"
#include "config/configuration.h"
#include "io/article_file.h"
#include "platform/url_opener.h"

#include "cli/cli_test_support.h"
#include "io/zip_builder.h"
#include "support/fake_desktop.h"
#include "support/ordinary_user.h"
#include "support/scratch_dir.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <random>
#include <string>

namespace glenvary {
namespace {

namespace fs = std::filesystem;
using namespace std::string_view_literals;
using test::AsOrdinaryUser;
using test::TScratchDir;

// Short enough that a LibreOffice that hangs costs the suite a second, long
// enough for a fake one that fails at once to finish first.
constexpr std::chrono::seconds kConversionLimit{1};

constexpr std::string_view kRelationships =
    R"(<?xml version="1.0"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
    R"(<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/)"
    R"(officeDocument" Target="word/document.xml"/></Relationships>)";

// Every file under `root` with its size: what "nothing else changed" compares.
std::map<std::string, std::uintmax_t> Snapshot(const fs::path& root)
{
    std::map<std::string, std::uintmax_t> files;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        std::error_code ec;
        files[entry.path().string()] = entry.is_regular_file(ec) ? entry.file_size(ec) : 0;
    }
    return files;
}

std::string Gzip(const std::string& bytes)
{
    z_stream stream{};
    deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, 15 + 16, 9, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&stream, static_cast<uLong>(bytes.size())), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
    stream.avail_in = static_cast<uInt>(bytes.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

std::string Repeat(const std::string& piece, std::size_t times)
{
    std::string out;
    out.reserve(piece.size() * times);
    for (std::size_t i = 0; i < times; ++i) {
        out += piece;
    }
    return out;
}

struct TMadeFile {
    std::string path;
    std::u16string text; // what the file reads as, when it is read
};

struct TFileRow {
    const char* name;
    std::function<TMadeFile(const TScratchDir&)> make;
    // The reason Import gives ("cannot read PATH: REASON"); empty: it reads
    // the file and the editor shows `text`.
    std::string importReason;
    // glenvary-cli compare GOOD FILE: its exit status, and its reason when
    // it differs from Import's (the command line takes larger files).
    int cliStatus;
    std::string cliReason;
    // A LibreOffice stand-in put first on PATH: the body of its script.
    std::string fakeOffice;
    bool unreadable = false;
};

TMadeFile Bytes(const TScratchDir& dir, const std::string& name, const std::string& bytes, std::u16string text = {})
{
    return {dir.Write(name, bytes), std::move(text)};
}

const std::string kOle2 = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1 a Word document";

const TFileRow kFileRows[] = {
    {"a file that does not exist", [](const TScratchDir& d) { return TMadeFile{d.Path("gone.txt"), {}}; },
     "No such file or directory", cli::kExitUsage, "", "", false},
    {"a folder",
     [](const TScratchDir& d) {
         fs::create_directory(d.Path("folder.txt"));
         return TMadeFile{d.Path("folder.txt"), {}};
     },
     "Is a directory", cli::kExitUsage, "", "", false},
    {"a file without read permission",
     [](const TScratchDir& d) {
         const std::string path = d.Write("locked.txt", "secret words");
         ::chmod(path.c_str(), 0);
         return TMadeFile{path, {}};
     },
     "Permission denied", cli::kExitUsage, "", "", true},
    {"an empty file", [](const TScratchDir& d) { return Bytes(d, "empty.txt", ""); }, "", cli::kExitOk, "", "",
     false},
    {"a 0-byte .docx", [](const TScratchDir& d) { return Bytes(d, "empty.docx", ""); }, "", cli::kExitOk, "", "",
     false},
    {"a 100 MB file",
     [](const TScratchDir& d) {
         // Sparse: 100 MB of NUL bytes that take no room on the disk.
         const std::string path = d.Write("huge.txt", "");
         fs::resize_file(path, 100'000'000);
         return TMadeFile{path, {}};
     },
     "larger than 64 MiB", cli::kExitUsage, "not a text file or a document this program can read", "", false},
    {"invalid UTF-8",
     [](const TScratchDir& d) { return Bytes(d, "latin.txt", "na\xEFve caf\xE9 \x80 \xC3", u"naïve café € Ã"); }, "",
     cli::kExitOk, "", "", false},
    {"UTF-16 with lone surrogates",
     [](const TScratchDir& d) {
         return Bytes(d, "wide.txt", std::string("\xFF\xFE" "a\0\x00\xD8" "b\0\x00\xDC"sv), u"a\uFFFDb\uFFFD");
     },
     "", cli::kExitOk, "", "", false},
    {"a 5 MB single line",
     [](const TScratchDir& d) {
         const std::string line = Repeat("word ", 1'000'000);
         return Bytes(d, "line.txt", line, std::u16string(line.begin(), line.end()));
     },
     "", cli::kExitOk, "", "", false},
    {"rich text nested 100,000 groups deep",
     [](const TScratchDir& d) {
         return Bytes(d, "deep.rtf", "{\\rtf1" + std::string(100'000, '{') + "x" + std::string(100'000, '}') + "}");
     },
     "nested deeper than 256 groups", cli::kExitUsage, "", "", false},
    {"rich text cut off inside a group",
     [](const TScratchDir& d) {
         return Bytes(d, "cut.rtf", "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 Hello {\\b bold", u"Hello bold");
     },
     "", cli::kExitOk, "", "", false},
    {"a .docx zip bomb",
     [](const TScratchDir& d) {
         return Bytes(d, "bomb.docx", io::test::BuildZeroBomb("word/document.xml", std::uint64_t{257} << 20));
     },
     "unpacks to more than 256 MiB (a zip bomb?)", cli::kExitUsage, "", "", false},
    {"a .docx with an entity expansion (billion laughs)",
     [](const TScratchDir& d) {
         std::string doctype = "<!DOCTYPE w:document [<!ENTITY l0 \"lol\">";
         for (int i = 1; i <= 9; ++i) {
             doctype += "<!ENTITY l" + std::to_string(i) + " \"" + Repeat("&l" + std::to_string(i - 1) + ";", 10)
                 + "\">";
         }
         const std::string document =
             "<?xml version=\"1.0\"?>" + doctype
             + "]><w:document xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"><w:body>"
               "<w:p><w:r><w:t>&l9;</w:t></w:r></w:p></w:body></w:document>";
         return Bytes(d, "laughs.docx",
                      io::test::BuildZip({{"_rels/.rels", std::string(kRelationships)},
                                          {"word/document.xml", document}}),
                      u"&l9;");
     },
     "", cli::kExitOk, "", "", false},
    {"a .docx without its document part",
     [](const TScratchDir& d) {
         return Bytes(d, "hollow.docx", io::test::BuildZip({{"_rels/.rels", std::string(kRelationships)}}));
     },
     "the document part is missing", cli::kExitUsage, "", "", false},
    {"a .doc while LibreOffice hangs", [](const TScratchDir& d) { return Bytes(d, "hang.doc", kOle2); },
     "LibreOffice took longer than 1 s and was stopped", cli::kExitUsage, "", "sleep 30", false},
    {"a .doc while LibreOffice crashes", [](const TScratchDir& d) { return Bytes(d, "crash.doc", kOle2); },
     "LibreOffice could not read this .doc document", cli::kExitUsage, "", "kill -SEGV $$", false},
};

// Puts a LibreOffice stand-in first on PATH for the lifetime of the object.
class TFakeOfficeOnPath {
public:
    TFakeOfficeOnPath(const TScratchDir& dir, const std::string& body)
    {
        if (body.empty()) {
            return;
        }
        fs::create_directory(dir.Path("bin"));
        const std::string script = dir.Write("bin/soffice", "#!/bin/sh\n" + body + "\n");
        ::chmod(script.c_str(), 0700);
        const char* path = std::getenv("PATH");
        saved_ = path != nullptr ? path : "";
        ::setenv("PATH", (dir.Path("bin") + ":" + *saved_).c_str(), 1);
    }
    ~TFakeOfficeOnPath()
    {
        if (saved_) {
            ::setenv("PATH", saved_->c_str(), 1);
        }
    }
    TFakeOfficeOnPath(const TFakeOfficeOnPath&) = delete;
    TFakeOfficeOnPath& operator=(const TFakeOfficeOnPath&) = delete;

private:
    std::optional<std::string> saved_;
};

void CheckFileRow(const TFileRow& row, const TScratchDir& dir, const std::string& good, const TMadeFile& made)
{
    // Import: the window's limits.
    io::TReadSettings import;
    import.maxBytes = io::kMaxImportBytes;
    import.converter.timeout = kConversionLimit;
    const base::TResult<io::TArticleDocument> read = io::ReadArticleFile(made.path, import);
    if (row.importReason.empty()) {
        ASSERT_TRUE(read.Ok()) << read.Error();
        EXPECT_TRUE(read.Value().text == made.text);
    } else {
        ASSERT_FALSE(read.Ok());
        EXPECT_EQ(read.Error(), "cannot read " + made.path + ": " + row.importReason);
    }

    // The command line: the program's own limits.
    io::TReadSettings cli;
    cli.converter.timeout = kConversionLimit;
    const std::string report = dir.Path("report.json");
    const auto run = cli::test::RunWith({"compare", "--format", "json", "-o", report, good, made.path}, {}, cli);
    EXPECT_EQ(run.status, row.cliStatus);
    if (row.cliStatus == cli::kExitOk) {
        EXPECT_EQ(run.err, "");
        EXPECT_TRUE(fs::exists(report));
        fs::remove(report);
    } else {
        const std::string reason = row.cliReason.empty() ? row.importReason : row.cliReason;
        EXPECT_EQ(run.err, "glenvary-cli: cannot read " + made.path + ": " + reason + "\n");
        EXPECT_FALSE(fs::exists(report));
    }
}

TEST(BadInput, ArticleFilesAreRefusedWithOneLineOrReadWhole)
{
    for (const TFileRow& row : kFileRows) {
        SCOPED_TRACE(row.name);
        const TScratchDir dir;
        const std::string good = dir.Write("good.txt", "The cat sat on the mat.");
        const TFakeOfficeOnPath office(dir, row.fakeOffice);
        const TMadeFile made = row.make(dir);
        const auto before = Snapshot(dir.Root());
        if (row.unreadable) {
            AsOrdinaryUser([&] { CheckFileRow(row, dir, good, made); });
        } else {
            CheckFileRow(row, dir, good, made);
        }
        EXPECT_EQ(Snapshot(dir.Root()), before);
    }
}

struct TConfigRow {
    const char* name;
    std::string dbconfig;
    std::string skin; // dbskin.dat, when not empty
    std::optional<std::string> caption;
    std::string affiliateId;
    std::string skinError; // with "$" for the program folder
};

std::string Garbage(std::size_t size)
{
    std::mt19937 random(7);
    std::string bytes(size, '\0');
    for (char& c : bytes) {
        c = static_cast<char>(random() & 0xFFU);
    }
    return bytes;
}

std::string Placed(std::string text, const std::string& folder)
{
    if (const std::size_t at = text.find('$'); at != std::string::npos) {
        text.replace(at, 1, folder);
    }
    return text;
}

TEST(BadInput, StartUpConfigurationsApplyWhatTheyCanAndChangeNothing)
{
    const TConfigRow rows[] = {
        {"a 100,000-character line", "[Settings]\nAppName=" + std::string(100'000, 'x') + "\nAfiliateID=abc\n", "",
         std::string(2047, 'x'), "abc", ""},
        {"binary garbage", Garbage(4096), "", std::nullopt, "", ""},
        {"NUL bytes", std::string("[Settings]\nAppName=Ann\0 Checker\nAfiliateID=\0abc\n"sv), "", "Ann", "", ""},
        {"a skin that unpacks to gigabytes", "[Settings]\nAppName=Skinned\n",
         // gzip members may follow one another: 1,024 of a mebibyte each.
         Repeat(Gzip(std::string(std::size_t{1} << 20, '\0')), 1024), "Skinned", "",
         "cannot use skin $/dbskin.dat: it unpacks to more than 4 MiB"},
    };
    for (const TConfigRow& row : rows) {
        SCOPED_TRACE(row.name);
        const TScratchDir dir;
        const std::string folder = dir.Root().string();
        dir.Write("dbconfig.dat", row.dbconfig);
        if (!row.skin.empty()) {
            dir.Write("dbskin.dat", row.skin);
        }
        const auto before = Snapshot(dir.Root());
        const auto read = config::ReadConfiguration(dir.Root(), [](int) { return 0; });
        EXPECT_EQ(Snapshot(dir.Root()), before);
        ASSERT_TRUE(read.Ok() && read.Value()) << (read.Ok() ? "" : read.Error());
        const config::TConfiguration& configuration = *read.Value();
        EXPECT_EQ(configuration.caption, row.caption);
        EXPECT_EQ(configuration.affiliateId, row.affiliateId);
        if (row.skinError.empty()) {
            EXPECT_FALSE(configuration.skin);
        } else {
            ASSERT_TRUE(configuration.skin && !configuration.skin->Ok());
            EXPECT_EQ(configuration.skin->Error(), Placed(row.skinError, folder));
        }
    }
}

TEST(BadInput, ConfiguredAddressesReachTheBrowserAsOneArgumentNeverInterpreted)
{
    const test::TFakeDesktop desktop(true);
    const TScratchDir dir;
    const std::string marker = dir.Path("interpreted");
    const std::string address = "https://ads.test/a b?q=\"x\"&r='y';$(touch " + marker + ")`touch " + marker
        + "`|touch " + marker + "&&touch " + marker;
    dir.Write("dbconfig.dat", "[Settings]\nBannerPath1=a.jpg\nBannerURL1=" + address + "\nLink1URL=" + address + "\n");
    const auto read = config::ReadConfiguration(dir.Root(), [](int) { return 0; });
    ASSERT_TRUE(read.Ok() && read.Value());
    ASSERT_TRUE(read.Value()->banner);
    EXPECT_EQ(read.Value()->banner->address, address);
    EXPECT_EQ(read.Value()->link1.address, address);

    EXPECT_TRUE(platform::OpenURLInBrowser(read.Value()->banner->address));
    // The launched programs run on their own: one at a time keeps the
    // records in order.
    static_cast<void>(desktop.Records(1));
    EXPECT_TRUE(platform::OpenDefault(read.Value()->link1.address));
    EXPECT_EQ(desktop.Records(2), "browser|" + address + "|\ndefault|" + address + "|\n");
    EXPECT_FALSE(fs::exists(marker));
}

} // namespace
} // namespace glenvary
