// SPDX-License-Identifier: MIT
// Glenvary: the edge of what a person started in the window.
#pragma once

#include "platform/error_reporter.h"

#include <QApplication>

#include <utility>

namespace glenvary::ui {

/// Runs a handler at the edge of what the person started: a failure ends it
/// there and is reported as unexpected, and never unwinds through Qt's
/// event code, which is not written for exceptions. Failures a person can
/// act on travel as values and are shown as warnings by the handler itself.
template <typename Handler>
void RunGuarded(const Handler& handler) noexcept
{
    try {
        handler();
    } catch (...) {
        platform::ReportUnexpectedError(platform::DescribeCurrentException());
    }
}

/// A slot that runs `handler` (which takes no arguments) guarded, for
/// connecting to a signal whose arguments it does not need.
template <typename Handler>
[[nodiscard]] auto Guarded(Handler handler)
{
    return [handler = std::move(handler)] { RunGuarded(handler); };
}

/// Sets a busy flag for the lifetime of one command, so that a command that
/// fails part-way cannot leave the flag set.
class TBusyGuard {
public:
    explicit TBusyGuard(bool& flag) noexcept : flag_(flag) { flag_ = true; }
    ~TBusyGuard() { flag_ = false; }
    TBusyGuard(const TBusyGuard&) = delete;
    TBusyGuard& operator=(const TBusyGuard&) = delete;

private:
    bool& flag_;
};

/// A busy pointer over the whole program for the lifetime of one command.
class TBusyCursor {
public:
    TBusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TBusyCursor() { QApplication::restoreOverrideCursor(); }
    TBusyCursor(const TBusyCursor&) = delete;
    TBusyCursor& operator=(const TBusyCursor&) = delete;
};

} // namespace glenvary::ui
