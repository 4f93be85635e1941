// SPDX-License-Identifier: MIT
// Glenvary: where the window's problems are shown.
#pragma once

#include <QString>

#include <functional>

namespace glenvary::platform {

/// What kind of problem a report is about.
enum class TProblem {
    /// Something the person caused or can put right: a file that is not a
    /// document, a folder that cannot be written, a program that is not
    /// installed. Shown as a warning that says what happened.
    Warning,
    /// A fault of the program itself, which only its developers can mend:
    /// shown as an unexpected error, with its details.
    Unexpected,
};

/// Receives one report. Runs on the GUI thread; must not throw.
using TErrorReporter = std::function<void(TProblem kind, const QString& message)>;

/// Installs `reporter` for every later report and returns the one it
/// replaces. An empty function restores the default reporter, which writes
/// one line to standard error and shows one message box: a warning, or
/// "An unexpected error occurred" with the details (only the line when no
/// QApplication exists, or while an earlier box is still open).
TErrorReporter SetErrorReporter(TErrorReporter reporter);

/// Hands `message`, one or more lines that name what failed, why, and what
/// became of the person's work, to the installed reporter as a warning.
/// Never throws.
void ReportWarning(const QString& message) noexcept;

/// Hands the description of a fault of the program to the installed
/// reporter. Never throws: a reporter that throws is ignored, so a failure
/// report cannot become a second failure.
void ReportUnexpectedError(const QString& message) noexcept;

/// The description of the exception being handled: its what() for a
/// std::exception, "unknown error" otherwise. Call only inside a catch block.
[[nodiscard]] QString DescribeCurrentException();

} // namespace glenvary::platform
