// SPDX-License-Identifier: MIT
// Glenvary readers: what a program must undo when it is interrupted, its
// children's process groups and its temporary files and folders, kept in
// one list that the command line's Ctrl-C handling empties.
#pragma once

#include <sys/types.h>

#include <functional>
#include <string>

namespace glenvary::io {

/// Runs `spawn`, which starts a child as the leader of a process group of
/// its own and returns its id (or a negative value when it could not), and
/// keeps the group on the list until ForgetProcessGroup. The two happen
/// under one lock, so that an interruption sees every child that was
/// started. After an interruption, `spawn` is not run and -1 is returned.
[[nodiscard]] pid_t SpawnTrackedProcessGroup(const std::function<pid_t()>& spawn);

/// Takes the group `group` off the list, once its leader was waited for.
void ForgetProcessGroup(pid_t group);

/// Keeps the file or folder `path` on the list of what an interruption
/// removes, until ForgetTemporaryPath.
void TrackTemporaryPath(const std::string& path);

/// Takes `path` off the list (it was removed, or renamed into its place).
void ForgetTemporaryPath(const std::string& path);

/// Kills every process group on the list (SIGKILL), removes every path on
/// it (a folder with everything in it) and ends the program with `status`
/// without running any other code of it. Meant for a thread that waits
/// for SIGINT and SIGTERM, never for a signal handler. The list stays
/// locked to the end, so a thread that comes to forget a child that was
/// just killed, and would report its end, waits for the program to end
/// instead.
[[noreturn]] void EndAfterInterruption(int status);

} // namespace glenvary::io
