// SPDX-License-Identifier: MIT
// Helpers shared by the command line's tests: a scratch folder and an
// in-process run of glenvary-cli.
#pragma once

#include "cli/cli.h"
#include "support/scratch_dir.h"

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

using glenvary::test::ReadBytes;
using glenvary::test::TScratchDir;

struct TRunResult {
    int status = -1;
    std::string out;
    std::string err;
};

/// Runs glenvary-cli in-process with `args` (without the program name),
/// `input` as standard input and articles read with `reading`.
inline TRunResult RunWith(const std::vector<std::string>& args, const std::string& input = {},
                          const io::TReadSettings& reading = {})
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
    result.status = RunCli(static_cast<int>(storage.size()), argv.data(), in, out, err, reading);
    result.out = out.str();
    result.err = err.str();
    return result;
}

} // namespace glenvary::cli::test
