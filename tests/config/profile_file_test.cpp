// SPDX-License-Identifier: MIT
#include "config/profile_file.h"

#include "support/scratch_dir.h"

#include <gtest/gtest.h>

#include <string>

namespace glenvary::config {
namespace {

TEST(ProfileFile, ReadsValuesWithTheProfileRules)
{
    const std::string long3000(3000, 'x');
    struct TRow {
        const char* name;
        std::string bytes;
        const char* key;
        std::string expected;
    };
    const TRow rows[] = {
        {"section and key in odd case", "[sETTINGS]\nappNAME=Acme\n", "AppName", "Acme"},
        {"blanks around name and value", "[ Settings ]\n \tAppName \t=  Acme Tools \t\n", "AppName", "Acme Tools"},
        {"double quotes removed, inner blanks kept", "[Settings]\nAppName=  \" Acme \"  \n", "AppName", " Acme "},
        {"single quotes removed", "[Settings]\nAppName='Acme'\n", "AppName", "Acme"},
        {"only one pair of quotes removed", "[Settings]\nAppName=\"\"Acme\"\"\n", "AppName", "\"Acme\""},
        {"unmatched quotes stay", "[Settings]\nAppName=\"Acme'\n", "AppName", "\"Acme'"},
        {"a lone quote stays", "[Settings]\nAppName=\"\n", "AppName", "\""},
        {"blanks only read as empty", "[Settings]\nAppName=   \n", "AppName", ""},
        {"first key wins", "[Settings]\nAppName=One\nAPPNAME=Two\n", "AppName", "One"},
        {"first section wins", "[Settings]\nX=1\n[settings]\nAppName=Two\n", "AppName", ""},
        {"other sections ignored", "[Other]\nAppName=No\n[Settings]\nAppName=Yes\n", "AppName", "Yes"},
        {"keys before any section ignored", "AppName=No\n[Settings]\n", "AppName", ""},
        {"equals sign inside the value", "[Settings]\nLink1URL=http://a.example/?q=1&r=2\n", "Link1URL",
         "http://a.example/?q=1&r=2"},
        {"value cut to 2047 characters", "[Settings]\nAppName=" + long3000 + "\n", "AppName", long3000.substr(0, 2047)},
        {"cut counts characters, not bytes", "[Settings]\nAppName=" + std::string(2046, 'x') + "\xC3\xA9\xC3\xA9\n",
         "AppName", std::string(2046, 'x') + "\xC3\xA9"},
        {"quotes removed before the cut", "[Settings]\nAppName=\"" + long3000 + "\"\n", "AppName",
         long3000.substr(0, 2047)},
        {"CR LF lines", "[Settings]\r\nAppName=Acme\r\nAfiliateID=7\r\n", "AppName", "Acme"},
        {"UTF-8 byte order mark skipped", "\xEF\xBB\xBF[Settings]\nAppName=Caf\xC3\xA9\n", "AppName", "Caf\xC3\xA9"},
        {"Windows-1252 bytes", "[Settings]\nAppName=Caf\xE9 \x93quoted\x94\n", "AppName",
         "Caf\xC3\xA9 \xE2\x80\x9Cquoted\xE2\x80\x9D"},
        {"last line without line break", "[Settings]\nAppName=Acme", "AppName", "Acme"},
        {"a NUL ends what its line says", std::string("[Settings]\nAppName=Ann\0 Checker\n", 32), "AppName", "Ann"},
        {"missing key", "[Settings]\nAppName=Acme\n", "IconPath", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(TProfileFile::Parse(row.bytes).ReadString("Settings", row.key), row.expected);
    }
}

TEST(ProfileFile, LoadNamesTheFileItCannotRead)
{
    const test::TScratchDir dir;
    const auto missing = dir.Path("dbconfig.dat");
    const auto loaded = TProfileFile::Load(missing);
    ASSERT_FALSE(loaded.Ok());
    EXPECT_EQ(loaded.Error(), "cannot read " + missing + ": the file cannot be opened");

    const std::string header = "[Settings]\nAppName=Acme\n";
    const auto atLimit = dir.Write("limit.dat", header + std::string(kMaxProfileBytes - header.size(), ';'));
    EXPECT_TRUE(TProfileFile::Load(atLimit).Ok());
    const auto large = dir.Write("large.dat", header + std::string(kMaxProfileBytes, ';'));
    ASSERT_FALSE(TProfileFile::Load(large).Ok());
    EXPECT_EQ(TProfileFile::Load(large).Error(), "cannot read " + large + ": larger than 1 MiB");
}

} // namespace
} // namespace glenvary::config
