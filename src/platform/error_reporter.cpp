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

void DefaultReport(const QString& message)
{
    std::fprintf(stderr, "glenvary: unexpected error: %s\n", message.toLocal8Bit().constData());
    std::fflush(stderr);
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr || boxOpen) {
        return;
    }
    boxOpen = true;
    QMessageBox::critical(QApplication::activeWindow(), QStringLiteral("Glenvary"),
                          QStringLiteral("An unexpected error occurred:\n\n%1\n\n"
                                         "The last action was not completed; the program goes on.")
                              .arg(message));
    boxOpen = false;
}

TErrorReporter& Installed()
{
    static TErrorReporter reporter;
    return reporter;
}

} // namespace

TErrorReporter SetErrorReporter(TErrorReporter reporter)
{
    return std::exchange(Installed(), std::move(reporter));
}

void ReportUnexpectedError(const QString& message) noexcept
{
    try {
        if (const TErrorReporter& reporter = Installed()) {
            reporter(message);
        } else {
            DefaultReport(message);
        }
    } catch (...) {
        std::fputs("glenvary: the error reporter failed\n", stderr);
    }
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
