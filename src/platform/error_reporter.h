// SPDX-License-Identifier: MIT
// Glenvary: where failures that escape an operation go.
#pragma once

#include <QString>

#include <functional>

namespace glenvary::platform {

/// Receives the description of one failure that escaped the operation the
/// person started. Runs on the GUI thread; must not throw.
using TErrorReporter = std::function<void(const QString& message)>;

/// Installs `reporter` for every later report and returns the one it
/// replaces. An empty function restores the default reporter, which writes
/// one line to standard error and shows one message box (only the line when
/// no QApplication exists, or while an earlier box is still open).
TErrorReporter SetErrorReporter(TErrorReporter reporter);

/// Hands `message` to the installed reporter. Never throws: a reporter that
/// throws is ignored, so a failure report cannot become a second failure.
void ReportUnexpectedError(const QString& message) noexcept;

/// The description of the exception being handled: its what() for a
/// std::exception, "unknown error" otherwise. Call only inside a catch block.
[[nodiscard]] QString DescribeCurrentException();

} // namespace glenvary::platform
