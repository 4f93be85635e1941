// SPDX-License-Identifier: MIT
#include "config/configuration.h"

#include "config/profile_file.h"
#include "config/skin.h"

#include <algorithm>
#include <chrono>
#include <random>
#include <system_error>
#include <vector>

namespace glenvary::config {
namespace {

constexpr const char* kSection = "Settings";

bool IsFile(const std::filesystem::path& path)
{
    std::error_code ec;
    return std::filesystem::is_regular_file(path, ec);
}

/// The name part of a configured file name. The files were written on
/// Windows, so both '\' and '/' separate folders.
std::string NamePart(const std::string& configured)
{
    const std::size_t slash = configured.find_last_of("/\\");
    return slash == std::string::npos ? configured : configured.substr(slash + 1);
}

std::string AsciiLower(std::string text)
{
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return text;
}

std::string Extension(const std::string& name)
{
    const std::size_t dot = name.find_last_of('.');
    return dot == std::string::npos ? std::string() : AsciiLower(name.substr(dot + 1));
}

std::size_t Draw(const TDraw& draw, std::size_t n)
{
    const int chosen = draw(static_cast<int>(n));
    return static_cast<std::size_t>(std::clamp(chosen, 0, static_cast<int>(n) - 1));
}

struct TEntry {
    std::string value;
    std::string companion;
    // The key the value was read from.
    std::string key;
};

} // namespace

int ClockSeededDraw(int n)
{
    const auto ticks = std::chrono::high_resolution_clock::now().time_since_epoch().count();
    std::mt19937 generator(static_cast<std::mt19937::result_type>(ticks));
    return std::uniform_int_distribution<int>(0, n - 1)(generator);
}

std::filesystem::path ProgramFolder()
{
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::current_path() : exe.parent_path();
}

base::TResult<std::optional<TConfiguration>> ReadConfiguration(const std::filesystem::path& programFolder,
                                                             const TDraw& draw)
{
    const auto configFile = programFolder / "dbconfig.dat";
    if (!IsFile(configFile)) {
        return std::optional<TConfiguration>();
    }
    auto loaded = TProfileFile::Load(configFile);
    if (!loaded) {
        return base::TError{loaded.Error()};
    }
    const TProfileFile& profile = loaded.Value();
    const auto read = [&](const std::string& key) { return profile.ReadString(kSection, key); };

    TConfiguration config;
    if (auto caption = read("AppName"); !caption.empty()) {
        config.caption = std::move(caption);
    }
    config.affiliateId = read("AfiliateID");

    std::vector<TEntry> banners;
    for (int i = 1; i <= 3; ++i) {
        if (auto path = read("BannerPath" + std::to_string(i)); !path.empty()) {
            banners.push_back({std::move(path), read("BannerURL" + std::to_string(i))});
        }
    }
    if (!banners.empty()) {
        const std::size_t b = Draw(draw, banners.size());
        TBannerChoice banner;
        banner.storedFile = programFolder / ("dbimg" + std::to_string(b + 1) + ".dat");
        banner.shownName = NamePart(banners[b].value);
        banner.format = Extension(banner.shownName);
        banner.address = banners[b].companion;
        // The configured name decides, not the folder the program lives in.
        banner.animated = banner.format == "gif";
        config.bannerHidden = !IsFile(banner.storedFile);
        config.banner = std::move(banner);
    }

    std::vector<TEntry> links;
    for (int i = 1; i <= 4; ++i) {
        const std::string number = std::to_string(i);
        if (auto address = read("Link" + number + "URL"); !address.empty()) {
            links.push_back({std::move(address), read("Link" + number + "Name"), "Link" + number + "URL"});
        }
    }
    if (!links.empty()) {
        const std::size_t c = Draw(draw, links.size());
        config.link1 = {links[c].value, links[c].companion, links[c].key};
        links.erase(links.begin() + static_cast<std::ptrdiff_t>(c));
        if (!links.empty()) {
            const std::size_t d = Draw(draw, links.size());
            config.link2 = {links[d].value, links[d].companion, links[d].key};
        }
    }

    if (auto skinFile = programFolder / "dbskin.dat"; IsFile(skinFile)) {
        config.skin = ReadSkinFile(skinFile);
        config.skinFile = std::move(skinFile);
    }

    config.iconPath = read("IconPath");
    if (const std::string name = NamePart(config.iconPath); !name.empty() && IsFile(programFolder / name)) {
        config.iconFile = programFolder / name;
    }
    return std::optional<TConfiguration>(std::move(config));
}

} // namespace glenvary::config
