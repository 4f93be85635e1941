// SPDX-License-Identifier: MIT
// Helpers shared by the command line's tests: a scratch folder and an
// in-process run of glenvary-cli.
#pragma once

#include "cli/cli.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace glenvary::cli::test {

/// A fresh folder under the system's temporary folder, removed with
/// everything in it when the object goes.
class TScratchDir {
public:
    TScratchDir()
    {
        std::random_device device;
        const auto base = std::filesystem::temp_directory_path();
        for (;;) {
            path_ = base / ("glenvary-cli-test-" + std::to_string(device()));
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

struct TRunResult {
    int status = -1;
    std::string out;
    std::string err;
};

/// Runs glenvary-cli in-process with `args` (without the program name) and
/// `input` as standard input.
inline TRunResult RunWith(const std::vector<std::string>& args, const std::string& input = {})
{
    std::vector<std::string> storage;
    storage.reserve(args.size() + 1);
    storage.emplace_back("glenvary-cli");
    storage.insert(storage.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& arg : storage) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    std::istringstream in(input);
    std::ostringstream out;
    std::ostringstream err;
    TRunResult result;
    result.status = RunCli(static_cast<int>(storage.size()), argv.data(), in, out, err);
    result.out = out.str();
    result.err = err.str();
    return result;
}

} // namespace glenvary::cli::test
