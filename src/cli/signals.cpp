// SPDX-License-Identifier: MIT
#include "cli/signals.h"

#include "io/interruption.h"

#include <pthread.h>
#include <signal.h>

#include <atomic>
#include <cstdlib>
#include <mutex>
#include <thread>

namespace glenvary::cli {
namespace {

// The thread that waits for the signals, and whether the program is ending
// by itself, in which case a signal only tells it to stop waiting.
std::thread gWaiter;
std::atomic<bool> gEnding{false};
// The stop that the next signal requests instead of ending the program.
std::mutex gStopMutex;
std::stop_source* gStop = nullptr;

// Requests the registered stop, once: true when there was one to request.
bool RequestedStop()
{
    const std::lock_guard lock(gStopMutex);
    if (gStop == nullptr || gStop->stop_requested()) {
        return false;
    }
    gStop->request_stop();
    return true;
}

void StopWaiting()
{
    gEnding = true;
    pthread_kill(gWaiter.native_handle(), SIGTERM);
    gWaiter.join();
}

} // namespace

void HandleInterruptions()
{
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    gWaiter = std::thread([signals] {
        int signal = 0;
        do {
            while (sigwait(&signals, &signal) != 0) {
            }
            if (gEnding) {
                return;
            }
        } while (RequestedStop());
        // 128 plus the signal's number: what a shell reports for a program
        // that a signal ended.
        io::EndAfterInterruption(128 + signal);
    });
    // The waiter is joined when main() returns, so that the program ends
    // with no thread of its own left running.
    std::atexit(StopWaiting);
}

TStopOnInterruption::TStopOnInterruption(std::stop_source& stop)
{
    const std::lock_guard lock(gStopMutex);
    gStop = &stop;
}

TStopOnInterruption::~TStopOnInterruption()
{
    const std::lock_guard lock(gStopMutex);
    gStop = nullptr;
}

} // namespace glenvary::cli
