// SPDX-License-Identifier: MIT
// The built glenvary-cli as a user runs it, for what only a process of its
// own shows: its signals and its real standard input.
#include "support/scratch_dir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace glenvary::cli {
namespace {

namespace fs = std::filesystem;
using glenvary::test::ReadBytes;
using glenvary::test::TScratchDir;

// Starts the program with `args`, standard input from `input`, standard
// error into `errors`, and `environment` added to this one's.
pid_t StartProgram(const std::vector<std::string>& args, const std::string& input, const std::string& errors,
                   const std::vector<std::string>& environment = {})
{
    std::vector<std::string> argv{GLENVARY_CLI_PROGRAM};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> argp;
    for (std::string& arg : argv) {
        argp.push_back(arg.data());
    }
    argp.push_back(nullptr);
    std::vector<std::string> env = environment;
    for (char** variable = environ; *variable != nullptr; ++variable) {
        env.emplace_back(*variable);
    }
    std::vector<char*> envp;
    for (std::string& variable : env) {
        envp.push_back(variable.data());
    }
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, input.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t child = -1;
    EXPECT_EQ(::posix_spawn(&child, argp[0], &actions, nullptr, argp.data(), envp.data()), 0);
    posix_spawn_file_actions_destroy(&actions);
    return child;
}

int WaitFor(pid_t child)
{
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

TEST(CliProgram, SaysSoWhenStandardInputIsAFolder)
{
    const TScratchDir dir;
    const std::string article = dir.Write("a.txt", "The cat sat on the mat.");
    const std::string errors = dir.Path("errors.txt");
    EXPECT_EQ(WaitFor(StartProgram({"compare", "-", article}, dir.Root().string(), errors)), 2);
    EXPECT_EQ(ReadBytes(errors), "glenvary-cli: cannot read standard input: it is a folder, not a file\n");
}

TEST(CliProgram, AnInterruptedConversionLeavesNothingRunningNorBehind)
{
    const std::pair<int, int> signals[] = {{SIGINT, 130}, {SIGTERM, 143}};
    for (const auto& [signal, status] : signals) {
        SCOPED_TRACE(signal);
        const TScratchDir dir;
        // A LibreOffice that starts a process of its own, which would leave
        // a mark if it outlived the interruption.
        fs::create_directories(dir.Root() / "bin");
        fs::create_directories(dir.Root() / "tmp");
        const std::string marker = dir.Path("outlived");
        const std::string office = dir.Write("bin/soffice", "#!/bin/sh\n(sleep 1; touch '" + marker + "') &\nwait\n");
        ::chmod(office.c_str(), 0700);
        const std::string doc = dir.Write("old.doc", "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1 a Word document");
        const std::string article = dir.Write("a.txt", "The cat sat on the mat.");
        const pid_t child = StartProgram(
            {"compare", doc, article}, "/dev/null", dir.Path("errors.txt"),
            {"PATH=" + dir.Path("bin") + ":" + std::getenv("PATH"), "TMPDIR=" + dir.Path("tmp")});
        // The conversion is under way once its temporary folder is there.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (fs::is_empty(dir.Root() / "tmp") && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        ASSERT_FALSE(fs::is_empty(dir.Root() / "tmp"));
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        ::kill(child, signal);
        EXPECT_EQ(WaitFor(child), status);
        EXPECT_TRUE(fs::is_empty(dir.Root() / "tmp"));
        EXPECT_EQ(ReadBytes(dir.Path("errors.txt")), "");
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        EXPECT_FALSE(fs::exists(marker));
    }
}

} // namespace
} // namespace glenvary::cli
