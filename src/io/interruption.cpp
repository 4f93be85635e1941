// SPDX-License-Identifier: MIT
#include "io/interruption.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <mutex>
#include <thread>
#include <vector>

namespace glenvary::io {
namespace {

// How long the removal of a temporary folder is retried while killed
// processes go: the system takes them down within milliseconds.
constexpr int kRemovalAttempts = 50;
constexpr std::chrono::milliseconds kRemovalPause{10};

struct TTracked {
    std::mutex mutex;
    std::vector<pid_t> groups;
    std::vector<std::string> paths;
    bool interrupted = false;
};

TTracked& Tracked()
{
    // Never destroyed: a thread may still forget a child while the
    // program's static objects are being destroyed.
    static auto* tracked = new TTracked;
    return *tracked;
}

} // namespace

pid_t SpawnTrackedProcessGroup(const std::function<pid_t()>& spawn)
{
    TTracked& tracked = Tracked();
    const std::lock_guard lock(tracked.mutex);
    if (tracked.interrupted) {
        return -1;
    }
    const pid_t group = spawn();
    if (group > 0) {
        tracked.groups.push_back(group);
    }
    return group;
}

void ForgetProcessGroup(pid_t group)
{
    TTracked& tracked = Tracked();
    const std::lock_guard lock(tracked.mutex);
    std::erase(tracked.groups, group);
}

void TrackTemporaryPath(const std::string& path)
{
    TTracked& tracked = Tracked();
    const std::lock_guard lock(tracked.mutex);
    tracked.paths.push_back(path);
}

void ForgetTemporaryPath(const std::string& path)
{
    TTracked& tracked = Tracked();
    const std::lock_guard lock(tracked.mutex);
    if (const auto found = std::find(tracked.paths.begin(), tracked.paths.end(), path);
        found != tracked.paths.end()) {
        tracked.paths.erase(found);
    }
}

void EndAfterInterruption(int status)
{
    TTracked& tracked = Tracked();
    // Held until the end: see the header.
    tracked.mutex.lock();
    tracked.interrupted = true;
    for (const pid_t group : tracked.groups) {
        ::kill(-group, SIGKILL);
    }
    for (const pid_t group : tracked.groups) {
        // The leader is this program's child; another thread may have
        // waited for it first, which is as good.
        while (::waitpid(group, nullptr, 0) < 0 && errno == EINTR) {
        }
    }
    // A killed grandchild (LibreOffice's own processes) may still be taken
    // down while the folder it wrote into is removed, and leave a file
    // behind: the removal is tried again until it succeeds, for a while.
    for (const std::string& path : tracked.paths) {
        for (int attempt = 0; attempt < kRemovalAttempts; ++attempt) {
            std::error_code error;
            std::filesystem::remove_all(path, error);
            if (!error) {
                break;
            }
            std::this_thread::sleep_for(kRemovalPause);
        }
    }
    ::_exit(status);
}

} // namespace glenvary::io
