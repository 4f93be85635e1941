// SPDX-License-Identifier: MIT
#include "cli/output_file.h"

#include "support/scratch_dir.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace glenvary::cli {
namespace {

using glenvary::test::ReadBytes;
using glenvary::test::TScratchDir;

TEST(CliOutputFile, KeepsTheOldFileWhenTheReportBreaksOffHalfway)
{
    const TScratchDir dir;
    const std::string path = dir.Write("report.json", "old content");
    // Enough bytes that part of them has reached the temporary file.
    const std::string half(std::size_t{1} << 20, 'x');

    const std::string failed = WriteFileAtomically(path, [&](std::ostream& out) {
        out << half;
        out.setstate(std::ios::badbit);
    });
    EXPECT_EQ(failed, "cannot write " + path + ": Input/output error");

    EXPECT_THROW(static_cast<void>(WriteFileAtomically(path,
                                                       [&](std::ostream& out) {
                                                           out << half;
                                                           throw std::runtime_error("out of words");
                                                       })),
                 std::runtime_error);

    EXPECT_EQ(ReadBytes(path), "old content");
    EXPECT_EQ(dir.Files(), std::vector<std::string>{"report.json"});
}

} // namespace
} // namespace glenvary::cli
