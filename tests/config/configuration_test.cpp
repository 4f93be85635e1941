// SPDX-License-Identifier: MIT
#include "config/configuration.h"

#include "config/skin.h"
#include "support/gzip.h"
#include "support/scratch_dir.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace glenvary::config {
namespace {

using test::Gzip;

/// Fixed answers to the loader's draws; records how many entries each draw
/// chose from.
struct TFixedDraws {
    std::vector<int> answers;
    std::vector<int> asked;
    TDraw Hook()
    {
        return [this](int n) {
            asked.push_back(n);
            return answers.at(asked.size() - 1);
        };
    }
};

/// One line per applied item, the folder written as "<dir>/", so that a
/// row states the whole outcome at once.
std::string Describe(const std::optional<TConfiguration>& config, const std::filesystem::path& dir,
                     const std::vector<int>& asked)
{
    if (!config) {
        return "nothing applied";
    }
    const std::string root = dir.string() + "/";
    const auto local = [&](std::string text) {
        for (std::size_t at; (at = text.find(root)) != std::string::npos;) {
            text.replace(at, root.size(), "<dir>/");
        }
        return text;
    };
    std::string out = "caption=" + config->caption.value_or("(none)") + "\naffiliate=" + config->affiliateId + "\n";
    if (config->banner) {
        const auto& b = *config->banner;
        out += "banner=" + local(b.storedFile.string()) + " as " + b.shownName + " (" + b.format
            + (b.animated ? ", animated" : "") + ") -> " + b.address + "\n";
    }
    out += config->bannerHidden ? "banner panel hidden\n" : "banner panel shown\n";
    out += "link1=" + config->link1.address + " | " + config->link1.caption + "\n";
    out += "link2=" + config->link2.address + " | " + config->link2.caption + "\n";
    if (config->skin) {
        const auto& skin = *config->skin;
        out += "skin " + local(config->skinFile->string()) + ": "
            + (skin.Ok() ? (skin.Value().size() > 40 ? std::to_string(skin.Value().size()) + " bytes" : skin.Value())
                         : "error: " + local(skin.Error()))
            + "\n";
    }
    out += "icon=" + (config->iconFile ? local(config->iconFile->string()) : "(none)") + "\n";
    out += "draws:";
    for (const int n : asked) {
        out += " " + std::to_string(n);
    }
    return out;
}

TEST(Configuration, TurnsTheProgramFolderIntoWhatToApply)
{
    const std::string fourMiB(kMaxSkinBytes, 'a');
    const std::string gzippedSheet = Gzip("QWidget { color: red; }");
    struct TRow {
        const char* name;
        const char* ini; // nullptr: no dbconfig.dat
        std::map<std::string, std::string> files;
        std::vector<int> draws;
        std::string expected;
    };
    const std::vector<TRow> rows = {
        {"no dbconfig.dat: nothing applied, companions not looked at", nullptr,
         {{"dbskin.dat", "junk"}, {"dbimg1.dat", "x"}}, {}, "nothing applied"},
        {"keys and section in odd case, quotes and blanks",
         "[sEttings]\r\nAPPNAME = \"Acme Tools\" \r\nafiliateid=  'abc'\r\n", {}, {},
         "caption=Acme Tools\naffiliate=abc\nbanner panel hidden\nlink1= | \nlink2= | \nicon=(none)\ndraws:"},
        {"blanks-only AppName leaves the caption", "[Settings]\nAppName=   \t \n", {}, {},
         "caption=(none)\naffiliate=\nbanner panel hidden\nlink1= | \nlink2= | \nicon=(none)\ndraws:"},
        {"banner 1 empty, first of 2 and 3 drawn: dbimg1.dat in BannerPath2's format",
         "[Settings]\nBannerPath1=\nBannerURL1=http://one.example\nBannerPath2=two.jpg\nBannerURL2=http://two.example\n"
         "BannerPath3=three.bmp\nBannerURL3=http://three.example\n",
         {{"dbimg1.dat", "stored 1"}, {"dbimg2.dat", "stored 2"}, {"dbimg3.dat", "stored 3"}}, {0},
         "caption=(none)\naffiliate=\nbanner=<dir>/dbimg1.dat as two.jpg (jpg) -> http://two.example\n"
         "banner panel shown\nlink1= | \nlink2= | \nicon=(none)\ndraws: 2"},
        {"banner 1 empty, second of 2 and 3 drawn",
         "[Settings]\nBannerPath2=two.jpg\nBannerURL2=http://two.example\nBannerPath3=three.bmp\n"
         "BannerURL3=http://three.example\n",
         {{"dbimg2.dat", "stored 2"}}, {1},
         "caption=(none)\naffiliate=\nbanner=<dir>/dbimg2.dat as three.bmp (bmp) -> http://three.example\n"
         "banner panel shown\nlink1= | \nlink2= | \nicon=(none)\ndraws: 2"},
        {"folders in the banner name, either separator, and an address only without a name",
         "[Settings]\nBannerPath1=C:\\ads/spring\\Spring.Jpeg\nBannerURL2=http://orphan.example\n",
         {{"dbimg1.dat", "stored"}}, {0},
         "caption=(none)\naffiliate=\nbanner=<dir>/dbimg1.dat as Spring.Jpeg (jpeg) -> \nbanner panel shown\n"
         "link1= | \nlink2= | \nicon=(none)\ndraws: 1"},
        {"upper-case .GIF animates", "[Settings]\nBannerPath1=C:\\ads\\PROMO.GIF\nBannerURL1=http://gif.example\n",
         {{"dbimg1.dat", "stored"}}, {0},
         "caption=(none)\naffiliate=\nbanner=<dir>/dbimg1.dat as PROMO.GIF (gif, animated) -> http://gif.example\n"
         "banner panel shown\nlink1= | \nlink2= | \nicon=(none)\ndraws: 1"},
        {".gif inside the name but not at its end does not animate", "[Settings]\nBannerPath1=a.gif.png\n",
         {{"dbimg1.dat", "stored"}}, {0},
         "caption=(none)\naffiliate=\nbanner=<dir>/dbimg1.dat as a.gif.png (png) -> \nbanner panel shown\n"
         "link1= | \nlink2= | \nicon=(none)\ndraws: 1"},
        {"missing stored file hides the panel, the rest applies",
         "[Settings]\nBannerPath1=a.jpg\nBannerPath2=b.jpg\nLink1URL=http://l1.example\nLink1Name=One\n",
         {{"dbimg1.dat", "stored 1"}}, {1, 0},
         "caption=(none)\naffiliate=\nbanner=<dir>/dbimg2.dat as b.jpg (jpg) -> \nbanner panel hidden\n"
         "link1=http://l1.example | One\nlink2= | \nicon=(none)\ndraws: 2 1"},
        {"a file of the shown name already there stays untouched", "[Settings]\nBannerPath1=spring.jpg\n",
         {{"dbimg1.dat", "stored"}, {"spring.jpg", "someone else's"}}, {0},
         "caption=(none)\naffiliate=\nbanner=<dir>/dbimg1.dat as spring.jpg (jpg) -> \nbanner panel shown\n"
         "link1= | \nlink2= | \nicon=(none)\ndraws: 1"},
        {"one link, without a name, is the first footer link", "[Settings]\nLink3URL=http://three.example\n", {}, {0},
         "caption=(none)\naffiliate=\nbanner panel hidden\nlink1=http://three.example | \nlink2= | \n"
         "icon=(none)\ndraws: 1"},
        {"a name without its address offers no link",
         "[Settings]\nLink1Name=Lonely\nLink2URL=http://two.example\nLink2Name=Two\nLink4URL=http://four.example\n"
         "Link4Name=Four\n",
         {}, {1, 0},
         "caption=(none)\naffiliate=\nbanner panel hidden\nlink1=http://four.example | Four\n"
         "link2=http://two.example | Two\nicon=(none)\ndraws: 2 1"},
        {"good skin unpacked", "[Settings]\n", {{"dbskin.dat", gzippedSheet}}, {},
         "caption=(none)\naffiliate=\nbanner panel hidden\nlink1= | \nlink2= | \n"
         "skin <dir>/dbskin.dat: QWidget { color: red; }\nicon=(none)\ndraws:"},
        {"skin exactly at the limit", "[Settings]\n", {{"dbskin.dat", Gzip(fourMiB)}}, {},
         "caption=(none)\naffiliate=\nbanner panel hidden\nlink1= | \nlink2= | \n"
         "skin <dir>/dbskin.dat: 4194304 bytes\nicon=(none)\ndraws:"},
        {"skin one byte over the limit", "[Settings]\n", {{"dbskin.dat", Gzip(fourMiB + "a")}}, {},
         "caption=(none)\naffiliate=\nbanner panel hidden\nlink1= | \nlink2= | \n"
         "skin <dir>/dbskin.dat: error: cannot use skin <dir>/dbskin.dat: it unpacks to more than 4 MiB\n"
         "icon=(none)\ndraws:"},
        {"skin file itself over the limit", "[Settings]\n",
         {{"dbskin.dat", "\x1F\x8B" + std::string(kMaxSkinBytes, '\0')}}, {},
         "caption=(none)\naffiliate=\nbanner panel hidden\nlink1= | \nlink2= | \n"
         "skin <dir>/dbskin.dat: error: cannot use skin <dir>/dbskin.dat: the file is larger than 4 MiB\n"
         "icon=(none)\ndraws:"},
        {"skin that is not gzip", "[Settings]\n", {{"dbskin.dat", "QWidget { color: red; }"}}, {},
         "caption=(none)\naffiliate=\nbanner panel hidden\nlink1= | \nlink2= | \n"
         "skin <dir>/dbskin.dat: error: cannot use skin <dir>/dbskin.dat: not a gzip-compressed file\n"
         "icon=(none)\ndraws:"},
        {"skin cut short", "[Settings]\n", {{"dbskin.dat", gzippedSheet.substr(0, gzippedSheet.size() - 6)}}, {},
         "caption=(none)\naffiliate=\nbanner panel hidden\nlink1= | \nlink2= | \n"
         "skin <dir>/dbskin.dat: error: cannot use skin <dir>/dbskin.dat: the compressed data is damaged\n"
         "icon=(none)\ndraws:"},
        {"skin with bytes after its end", "[Settings]\n", {{"dbskin.dat", gzippedSheet + "xyz"}}, {},
         "caption=(none)\naffiliate=\nbanner panel hidden\nlink1= | \nlink2= | \n"
         "skin <dir>/dbskin.dat: error: cannot use skin <dir>/dbskin.dat: the compressed data is damaged\n"
         "icon=(none)\ndraws:"},
        {"two gzip members are one skin", "[Settings]\n", {{"dbskin.dat", Gzip("QLabel {}") + Gzip(" QFrame {}")}},
         {},
         "caption=(none)\naffiliate=\nbanner panel hidden\nlink1= | \nlink2= | \n"
         "skin <dir>/dbskin.dat: QLabel {} QFrame {}\nicon=(none)\ndraws:"},
        {"icon: name part found in the folder", "[Settings]\nIconPath=C:\\icons\\app.ico\n", {{"app.ico", "icon"}},
         {}, "caption=(none)\naffiliate=\nbanner panel hidden\nlink1= | \nlink2= | \nicon=<dir>/app.ico\ndraws:"},
        {"icon: absent file, and a path ending in a folder", "[Settings]\nIconPath=C:\\icons\\app.ico\n",
         {{"icons", "not the icon"}}, {},
         "caption=(none)\naffiliate=\nbanner panel hidden\nlink1= | \nlink2= | \nicon=(none)\ndraws:"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const test::TScratchDir dir;
        if (row.ini != nullptr) {
            dir.Write("dbconfig.dat", row.ini);
        }
        for (const auto& [name, bytes] : row.files) {
            dir.Write(name, bytes);
        }
        const auto before = dir.Files();
        TFixedDraws draws{row.draws, {}};
        const auto read = ReadConfiguration(dir.Root(), draws.Hook());
        ASSERT_TRUE(read.Ok()) << read.Error();
        EXPECT_EQ(Describe(read.Value(), dir.Root(), draws.asked), row.expected);
        // Reading never creates, renames or changes a file.
        EXPECT_EQ(dir.Files(), before);
        for (const auto& [name, bytes] : row.files) {
            EXPECT_EQ(test::ReadBytes(dir.Path(name)), bytes) << name;
        }
    }
}

TEST(Configuration, FourLinksGiveEveryOrderedPairOfTwoDifferentLinks)
{
    const test::TScratchDir dir;
    dir.Write("dbconfig.dat", "[Settings]\nLink1URL=u1\nLink1Name=n1\nLink2URL=u2\nLink2Name=n2\n"
                              "Link3URL=u3\nLink3Name=n3\nLink4URL=u4\nLink4Name=n4\n");
    std::set<std::pair<std::string, std::string>> pairs;
    for (int c = 0; c < 4; ++c) {
        for (int d = 0; d < 3; ++d) {
            TFixedDraws draws{{c, d}, {}};
            const auto read = ReadConfiguration(dir.Root(), draws.Hook());
            ASSERT_TRUE(read.Ok() && read.Value());
            const auto& config = *read.Value();
            EXPECT_EQ(draws.asked, (std::vector<int>{4, 3}));
            EXPECT_NE(config.link1.address, config.link2.address);
            // Captions travel with their own address.
            EXPECT_EQ(config.link1.caption.substr(1), config.link1.address.substr(1));
            EXPECT_EQ(config.link2.caption.substr(1), config.link2.address.substr(1));
            pairs.emplace(config.link1.address, config.link2.address);
        }
    }
    EXPECT_EQ(pairs.size(), 12U);
}

} // namespace
} // namespace glenvary::config
