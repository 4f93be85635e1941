// SPDX-License-Identifier: MIT
// Glenvary command line: how Ctrl-C (SIGINT) and SIGTERM end a run.
#pragma once

#include <stop_token>

namespace glenvary::cli {

/// Makes SIGINT and SIGTERM end the program as shells expect, with status
/// 130 and 143, after killing every child process group the run started
/// (LibreOffice, the document reader) and removing every temporary file
/// and folder it made (a conversion's folder, the -o report's temporary
/// file): io::EndAfterInterruption on a thread of its own that waits for the
/// signals. The signals are blocked in the calling thread and so in every
/// thread started after it; call this first in main(), before any other
/// thread is started. Children start with the signals unblocked.
void HandleInterruptions();

/// While it lives, the first SIGINT or SIGTERM asks `stop` to stop instead
/// of ending the program, so that an operation that keeps its work in
/// whole steps (an add to an archive) can end after the current one; a
/// second signal ends the program as HandleInterruptions says. Without
/// HandleInterruptions (a test calling RunCli) it does nothing. One at a
/// time.
class TStopOnInterruption {
public:
    explicit TStopOnInterruption(std::stop_source& stop);
    ~TStopOnInterruption();
    TStopOnInterruption(const TStopOnInterruption&) = delete;
    TStopOnInterruption& operator=(const TStopOnInterruption&) = delete;
};

} // namespace glenvary::cli
