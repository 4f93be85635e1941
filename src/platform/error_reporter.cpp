// SPDX-License-Identifier: MIT
#include "platform/error_reporter.h"

#include <QApplication>
#include <QMessageBox>
#include <QWidget>

#include <cstdio>
#include <exception>
#include <utility>

namespace glenvary::platform {
namespace {

// A message box runs its own event loop, in which a further failure could be
// reported; a second box on top of the first would help nobody.
bool boxOpen = false;

TErrorReporter& Installed()
{
    static TErrorReporter reporter;
    return reporter;
}

void DefaultReport(TProblem kind, const QString& message)
{
    const bool warning = kind == TProblem::Warning;
    std::fprintf(stderr, "glenvary: %s: %s\n", warning ? "warning" : "unexpected error",
                 message.toLocal8Bit().constData());
    std::fflush(stderr);
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr || boxOpen) {
        return;
    }
    boxOpen = true;
    QWidget* parent = QApplication::activeWindow();
    const QString title = QApplication::applicationDisplayName();
    if (warning) {
        QMessageBox::warning(parent, title, message);
    } else {
        QMessageBox::critical(parent, title,
                              QStringLiteral("An unexpected error occurred:\n\n%1\n\n"
                                             "The last action was not completed; the program goes on.")
                                  .arg(message));
    }
    boxOpen = false;
}

void Report(TProblem kind, const QString& message) noexcept
{
    try {
        if (const TErrorReporter& reporter = Installed()) {
            reporter(kind, message);
        } else {
            DefaultReport(kind, message);
        }
    } catch (...) {
        std::fputs("glenvary: the error reporter failed\n", stderr);
    }
}

} // namespace

TErrorReporter SetErrorReporter(TErrorReporter reporter)
{
    return std::exchange(Installed(), std::move(reporter));
}

void ReportWarning(const QString& message) noexcept
{
    Report(TProblem::Warning, message);
}

void ReportUnexpectedError(const QString& message) noexcept
{
    Report(TProblem::Unexpected, message);
}

QString DescribeCurrentException()
{
    if (!std::current_exception()) {
        return QStringLiteral("unknown error");
    }
    try {
        throw;
    } catch (const std::exception& e) {
        return QString::fromLocal8Bit(e.what());
    } catch (...) {
        return QStringLiteral("unknown error");
    }
}

} // namespace glenvary::platform
