// SPDX-License-Identifier: MIT
// Glenvary readers: a child process that leads a process group of its own,
// so that it is stopped with everything it started.
#pragma once

#include "base/result.h"

#include <sys/types.h>

#include <chrono>
#include <stop_token>
#include <string>
#include <vector>

namespace glenvary::io {

/// How a child's run ended.
struct TChildEnd {
    enum class TKind {
        Exited,     ///< it exited; `code` is its exit status
        Signalled,  ///< a signal ended it; `code` is the signal
        TimedOut,   ///< the deadline passed and it was killed
        Cancelled,  ///< the stop was requested and it was killed
    };
    TKind kind = TKind::Exited;
    int code = 0;
};

/// The child's standard input, output and error: descriptors of this
/// program that the child gets as its own, or -1 for /dev/null.
struct TChildStreams {
    int input = -1;
    int output = -1;
    int error = -1;
};

/// A running child and its process group. The group is on the list that
/// an interruption of the command line kills (io/interruption.h). When the
/// object goes, the group is killed and the child waited for.
class TChildProcess {
public:
    /// Starts the program `argv[0]` (a path; PATH is not searched) with the
    /// arguments `argv`, never through a shell, as the leader of a new
    /// process group, with `streams`, this program's environment, no signal
    /// blocked and the usual signals at their default action (whatever this
    /// program ignores or blocks). Errors: "cannot start NAME: REASON".
    [[nodiscard]] static base::TResult<TChildProcess> Start(const std::vector<std::string>& argv,
                                                      const TChildStreams& streams);

    TChildProcess(TChildProcess&& other) noexcept;
    TChildProcess& operator=(TChildProcess&&) = delete;
    TChildProcess(const TChildProcess&) = delete;
    TChildProcess& operator=(const TChildProcess&) = delete;
    ~TChildProcess();

    /// Waits for the child to end, until `deadline` passes or `stop` is
    /// requested; then the group is killed. When the child ends by itself,
    /// whatever it left running in its group is killed too. Looks at the
    /// child every few tens of milliseconds. Call once.
    TChildEnd Wait(std::chrono::steady_clock::time_point deadline, const std::stop_token& stop);

private:
    explicit TChildProcess(pid_t id) noexcept : id_(id) {}
    void KillAndReap() noexcept;

    pid_t id_ = -1;
    bool reaped_ = false;
};

} // namespace glenvary::io
