// SPDX-License-Identifier: MIT
#include "report/output_file.h"

#include "support/ordinary_user.h"
#include "support/scratch_dir.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace glenvary::report {
namespace {

namespace fs = std::filesystem;
using glenvary::test::ReadBytes;
using glenvary::test::TScratchDir;

constexpr const char* kReport = "the whole report";

TEST(CliOutputFile, KeepsTheOldFileWhenTheReportBreaksOffHalfway)
{
    const TScratchDir dir;
    const std::string path = dir.Write("report.json", "old content");
    // Enough bytes that part of them has reached the temporary file.
    const std::string half(std::size_t{1} << 20, 'x');

    const base::TStatus failed = WriteFileAtomically(path, [&](std::ostream& out) {
        out << half;
        out.setstate(std::ios::badbit);
    });
    ASSERT_FALSE(failed.Ok());
    EXPECT_EQ(failed.Error(), "cannot write " + path + ": Input/output error");

    EXPECT_THROW(static_cast<void>(WriteFileAtomically(path,
                                                       [&](std::ostream& out) {
                                                           out << half;
                                                           throw std::runtime_error("out of words");
                                                       })),
                 std::runtime_error);

    EXPECT_EQ(ReadBytes(path), "old content");
    EXPECT_EQ(dir.Files(), std::vector<std::string>{"report.json"});
}

mode_t ModeOf(const std::string& path)
{
    struct stat info {};
    ::lstat(path.c_str(), &info);
    return info.st_mode;
}

// A block device of the scratch folder's own (the first loop device's
// numbers), so that no device of the system is ever at stake; empty where
// this user may not make one.
std::string MakeBlockDevice(const TScratchDir& dir)
{
    const std::string path = dir.Path("disk");
    return ::mknod(path.c_str(), S_IFBLK | 0600, makedev(7, 0)) == 0 ? path : std::string();
}

// Everything the pipe `fd` holds now, without waiting for more.
std::string Drain(int fd)
{
    std::string bytes;
    char block[256];
    for (ssize_t got = 0; (got = ::read(fd, block, sizeof block)) > 0;) {
        bytes.append(block, static_cast<std::size_t>(got));
    }
    return bytes;
}

struct TOutputRow {
    const char* name;
    // Makes what the path names and returns the path; empty skips the row.
    std::function<std::string(const TScratchDir&)> make;
    // The error, or empty when the report is written.
    std::function<std::string(const std::string& path)> error;
    // Checks what the path names afterwards.
    std::function<void(const TScratchDir&, const std::string& path)> check;
    bool ordinaryUser = false;
};

TEST(CliOutputFile, WritesEachKindOfPathAsItCallsFor)
{
    const auto none = [](const std::string&) { return std::string(); };
    // The pipe's reading end, opened before the report is written to it: a
    // report that takes the pipe's place would not reach it.
    auto pipeReader = std::make_shared<int>(-1);
    const TOutputRow rows[] = {
        {"a regular file keeps its permissions",
         [](const TScratchDir& d) {
             const std::string path = d.Write("private.txt", "old");
             ::chmod(path.c_str(), 0600);
             return path;
         },
         none,
         [](const TScratchDir&, const std::string& path) {
             EXPECT_EQ(ReadBytes(path), kReport);
             EXPECT_EQ(ModeOf(path) & 07777, 0600U);
         }},
        {"a link's final target is replaced and the links kept",
         [](const TScratchDir& d) {
             d.Write("target.txt", "old");
             fs::create_symlink("target.txt", d.Path("inner.txt"));
             fs::create_symlink(d.Path("inner.txt"), d.Path("outer.txt"));
             return d.Path("outer.txt");
         },
         none,
         [](const TScratchDir& d, const std::string& path) {
             EXPECT_TRUE(fs::is_symlink(fs::symlink_status(path)));
             EXPECT_TRUE(fs::is_symlink(fs::symlink_status(d.Path("inner.txt"))));
             EXPECT_EQ(ReadBytes(d.Path("target.txt")), kReport);
         }},
        {"a pipe is written directly",
         [pipeReader](const TScratchDir& d) {
             const std::string path = d.Path("pipe");
             ::mkfifo(path.c_str(), 0600);
             *pipeReader = ::open(path.c_str(), O_RDONLY | O_NONBLOCK);
             return path;
         },
         none,
         [pipeReader](const TScratchDir&, const std::string& path) {
             EXPECT_EQ(Drain(*pipeReader), kReport);
             ::close(*pipeReader);
             EXPECT_TRUE(S_ISFIFO(ModeOf(path)));
         }},
        {"a character device is written directly", [](const TScratchDir&) { return std::string("/dev/null"); }, none,
         [](const TScratchDir&, const std::string& path) { EXPECT_TRUE(S_ISCHR(ModeOf(path))); }},
        {"a writable file in a folder that is not",
         [](const TScratchDir& d) {
             fs::create_directory(d.Path("shut"));
             const std::string path = d.Write("shut/report.txt", "old");
             ::chmod(path.c_str(), 0666);
             ::chmod(d.Path("shut").c_str(), 0555);
             return path;
         },
         none, [](const TScratchDir&, const std::string& path) { EXPECT_EQ(ReadBytes(path), kReport); }, true},
        {"a name of 250 characters", [](const TScratchDir& d) { return d.Path(std::string(250, 'r')); }, none,
         [](const TScratchDir&, const std::string& path) { EXPECT_EQ(ReadBytes(path), kReport); }},
        {"a block device is refused", MakeBlockDevice,
         [](const std::string& path) { return "cannot write " + path + ": it is a block device, not a file"; },
         [](const TScratchDir&, const std::string& path) { EXPECT_TRUE(S_ISBLK(ModeOf(path))); }},
    };
    for (const TOutputRow& row : rows) {
        SCOPED_TRACE(row.name);
        const TScratchDir dir;
        const std::string path = row.make(dir);
        if (path.empty()) {
            continue;
        }
        const auto writeAndCheck = [&] {
            const base::TStatus written =
                WriteFileAtomically(path, [](std::ostream& out) { out << kReport; });
            const std::string error = row.error(path);
            EXPECT_EQ(written.Ok() ? std::string() : written.Error(), error);
            row.check(dir, path);
            for (const std::string& name : dir.Files()) {
                EXPECT_FALSE(name.starts_with(".glenvary-")) << name;
            }
        };
        // Root writes into any folder: only another user meets the folder
        // that is shut.
        if (row.ordinaryUser) {
            glenvary::test::AsOrdinaryUser(writeAndCheck);
        } else {
            writeAndCheck();
        }
        fs::permissions(dir.Root(), fs::perms::owner_all, fs::perm_options::add);
        std::error_code ignored;
        fs::permissions(dir.Root() / "shut", fs::perms::owner_all, fs::perm_options::add, ignored);
    }
}

} // namespace
} // namespace glenvary::report
