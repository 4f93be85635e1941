// SPDX-License-Identifier: MIT
// Helpers shared by the tests of several layers: a scratch folder.
#pragma once

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace glenvary::test {

/// A fresh folder under the system's temporary folder, removed with
/// everything in it when the object goes.
class TScratchDir {
public:
    TScratchDir()
    {
        std::random_device device;
        const auto base = std::filesystem::temp_directory_path();
        for (;;) {
            path_ = base / ("glenvary-test-" + std::to_string(device()));
            if (std::filesystem::create_directory(path_)) {
                break;
            }
        }
    }
    ~TScratchDir()
    {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TScratchDir(const TScratchDir&) = delete;
    TScratchDir& operator=(const TScratchDir&) = delete;

    /// Writes `bytes` exactly as given to `name` in the folder and returns the
    /// file's full path.
    std::string Write(const std::string& name, const std::string& bytes) const
    {
        const auto file = path_ / name;
        std::ofstream out(file, std::ios::binary);
        out << bytes;
        return file.string();
    }

    [[nodiscard]] std::string Path(const std::string& name) const { return (path_ / name).string(); }
    [[nodiscard]] const std::filesystem::path& Root() const { return path_; }

    /// The names of the files in the folder, sorted.
    [[nodiscard]] std::vector<std::string> Files() const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(path_)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    std::filesystem::path path_;
};

/// The whole content of a file as bytes.
inline std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace glenvary::test
