// SPDX-License-Identifier: MIT
#include "io/child_process.h"

#include "io/interruption.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <system_error>
#include <thread>
#include <utility>

extern char** environ; // NOLINT(readability-redundant-declaration): POSIX declares it nowhere else

namespace glenvary::io {
namespace {

// How often a running child is looked at: short against the seconds a slow
// read or a conversion takes, long enough to cost nothing.
constexpr std::chrono::milliseconds kPollInterval{25};

// Signals whose handling a child must not inherit from this program: the
// window ignores SIGPIPE, the command line blocks SIGINT and SIGTERM for
// its own handling of them, and the readers depend on SIGXCPU to stop.
constexpr int kDefaultSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE, SIGXCPU, SIGCHLD};

class TSpawnSetup {
public:
    explicit TSpawnSetup(const TChildStreams& streams)
    {
        posix_spawn_file_actions_init(&actions_);
        posix_spawnattr_init(&attributes_);
        Stream(streams.input, STDIN_FILENO, O_RDONLY);
        Stream(streams.output, STDOUT_FILENO, O_WRONLY);
        Stream(streams.error, STDERR_FILENO, O_WRONLY);
        sigset_t none;
        sigemptyset(&none);
        posix_spawnattr_setsigmask(&attributes_, &none);
        sigset_t defaults;
        sigemptyset(&defaults);
        for (const int signal : kDefaultSignals) {
            sigaddset(&defaults, signal);
        }
        posix_spawnattr_setsigdefault(&attributes_, &defaults);
        posix_spawnattr_setpgroup(&attributes_, 0);
        posix_spawnattr_setflags(&attributes_, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    }
    ~TSpawnSetup()
    {
        posix_spawn_file_actions_destroy(&actions_);
        posix_spawnattr_destroy(&attributes_);
    }
    TSpawnSetup(const TSpawnSetup&) = delete;
    TSpawnSetup& operator=(const TSpawnSetup&) = delete;

    [[nodiscard]] const posix_spawn_file_actions_t* Actions() const noexcept { return &actions_; }
    [[nodiscard]] const posix_spawnattr_t* Attributes() const noexcept { return &attributes_; }

private:
    void Stream(int given, int target, int mode)
    {
        if (given < 0) {
            posix_spawn_file_actions_addopen(&actions_, target, "/dev/null", mode, 0);
        } else {
            // dup2 onto the target also clears its close-on-exec flag.
            posix_spawn_file_actions_adddup2(&actions_, given, target);
        }
    }

    posix_spawn_file_actions_t actions_{};
    posix_spawnattr_t attributes_{};
};

} // namespace

base::TResult<TChildProcess> TChildProcess::Start(const std::vector<std::string>& argv, const TChildStreams& streams)
{
    std::vector<char*> args;
    args.reserve(argv.size() + 1);
    for (const std::string& arg : argv) {
        args.push_back(const_cast<char*>(arg.c_str()));
    }
    args.push_back(nullptr);
    const TSpawnSetup setup(streams);
    int failed = 0;
    const pid_t id = SpawnTrackedProcessGroup([&] {
        pid_t child = -1;
        failed = ::posix_spawn(&child, args[0], setup.Actions(), setup.Attributes(), args.data(), environ);
        return failed == 0 ? child : -1;
    });
    const std::string name = std::filesystem::path(argv.at(0)).filename().string();
    if (id < 0) {
        // Nothing was spawned after an interruption: the program is ending.
        const int error = failed != 0 ? failed : ECANCELED;
        return base::TError{"cannot start " + name + ": " + std::generic_category().message(error)};
    }
    return TChildProcess(id);
}

TChildProcess::TChildProcess(TChildProcess&& other) noexcept
    : id_(std::exchange(other.id_, -1)), reaped_(std::exchange(other.reaped_, false))
{
}

TChildProcess::~TChildProcess()
{
    if (id_ > 0) {
        KillAndReap();
        ForgetProcessGroup(id_);
    }
}

void TChildProcess::KillAndReap() noexcept
{
    if (reaped_) {
        return;
    }
    // The leader is still unreaped here, so the group's id cannot have been
    // given to another process.
    ::kill(-id_, SIGKILL);
    while (::waitpid(id_, nullptr, 0) < 0 && errno == EINTR) {
    }
    reaped_ = true;
}

TChildEnd TChildProcess::Wait(std::chrono::steady_clock::time_point deadline, const std::stop_token& stop)
{
    for (;;) {
        // WNOWAIT leaves the child unreaped, so that what it left in its
        // group is killed while the group's id is still its own.
        siginfo_t info{};
        const int looked = ::waitid(P_PID, static_cast<id_t>(id_), &info, WEXITED | WNOHANG | WNOWAIT);
        if (looked == 0 && info.si_pid == id_) {
            KillAndReap();
            if (info.si_code == CLD_EXITED) {
                return {TChildEnd::TKind::Exited, info.si_status};
            }
            return {TChildEnd::TKind::Signalled, info.si_status};
        }
        if (looked < 0 && errno != EINTR) {
            KillAndReap();
            return {TChildEnd::TKind::Signalled, SIGKILL};
        }
        const bool late = std::chrono::steady_clock::now() >= deadline;
        if (late || stop.stop_requested()) {
            KillAndReap();
            return {late ? TChildEnd::TKind::TimedOut : TChildEnd::TKind::Cancelled, 0};
        }
        std::this_thread::sleep_for(kPollInterval);
    }
}

} // namespace glenvary::io
