// SPDX-License-Identifier: MIT
// Glenvary: fuzz target for the start-up configuration loader.
//
// Input: byte 0 says which companion files the program folder holds (bit 0
// a skin, bit 1 the first stored banner, bit 2 an icon named glenvary.ico),
// byte 1 seeds the random draws (which may answer out of range), the rest
// is dbconfig.dat up to the first gzip signature (1F 8B) and the skin from
// there on. The loader must draw only from what is configured, describe
// only files inside the folder, and leave the folder exactly as it was.
#include "config/configuration.h"
#include "config/profile_file.h"

#include "fuzz_check.h"

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

using namespace glenvary;
using fuzz::Check;

namespace {

// One program folder for the whole run, removed when the process ends.
class TFolder {
public:
    TFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "glenvary-fuzz-XXXXXX").string();
        Check(mkdtemp(pattern.data()) != nullptr);
        path_ = pattern;
    }
    ~TFolder()
    {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TFolder(const TFolder&) = delete;
    TFolder& operator=(const TFolder&) = delete;
    [[nodiscard]] const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path path_;
};

const std::filesystem::path& Folder()
{
    static const TFolder folder;
    return folder.Path();
}

void Write(const std::filesystem::path& file, std::string_view bytes)
{
    std::ofstream out(file, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    Check(static_cast<bool>(out));
}

std::map<std::string, std::string> Snapshot(const std::filesystem::path& folder)
{
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        std::ifstream in(entry.path(), std::ios::binary);
        files[entry.path().filename().string()] = {std::istreambuf_iterator<char>(in),
                                                   std::istreambuf_iterator<char>()};
    }
    return files;
}

bool InFolder(const std::filesystem::path& file)
{
    return file.parent_path() == Folder();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2) {
        return 0;
    }
    const std::uint8_t flags = data[0];
    std::uint32_t seed = data[1];
    const std::string_view rest = fuzz::Bytes(data + 2, size - 2);
    const std::size_t gzip = rest.find("\x1F\x8B");

    const std::filesystem::path& folder = Folder();
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        std::filesystem::remove(entry.path());
    }
    Write(folder / "dbconfig.dat", rest.substr(0, gzip));
    if ((flags & 1U) != 0 && gzip != std::string_view::npos) {
        Write(folder / "dbskin.dat", rest.substr(gzip));
    }
    if ((flags & 2U) != 0) {
        Write(folder / "dbimg1.dat", "GIF89a");
    }
    if ((flags & 4U) != 0) {
        Write(folder / "glenvary.ico", "icon");
    }
    const auto before = Snapshot(folder);

    int draws = 0;
    const auto draw = [&](int n) {
        Check(n >= 1 && n <= 4);
        ++draws;
        seed = seed * 1103515245U + 12345U;
        return static_cast<int>(seed >> 16U) % 9 - 2;
    };
    const auto read = config::ReadConfiguration(folder, draw);
    Check(Snapshot(folder) == before);
    Check(read.Ok() && read.Value().has_value());
    const config::TConfiguration& configuration = *read.Value();
    Check(draws <= 3);
    Check(!configuration.caption || !configuration.caption->empty());
    if (configuration.banner) {
        const config::TBannerChoice& banner = *configuration.banner;
        Check(InFolder(banner.storedFile));
        const std::string stored = banner.storedFile.filename().string();
        Check(stored == "dbimg1.dat" || stored == "dbimg2.dat" || stored == "dbimg3.dat");
        Check(banner.shownName.find_first_of("/\\") == std::string::npos);
        Check(banner.animated == (banner.format == "gif"));
        Check(configuration.bannerHidden == !std::filesystem::exists(banner.storedFile));
    } else {
        Check(configuration.bannerHidden);
    }
    Check(!configuration.link1.address.empty() || configuration.link2.address.empty());
    Check(configuration.skinFile.has_value() == configuration.skin.has_value());
    Check(!configuration.iconFile || InFolder(*configuration.iconFile));
    return 0;
}
