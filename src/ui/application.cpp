// SPDX-License-Identifier: MIT
#include "ui/application.h"

#include "platform/error_reporter.h"

namespace glenvary::ui {

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {}

TApplication::~TApplication() = default;

bool TApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        // The one place where every handler's failure ends: the handler
        // stopped where it failed, the person hears of it, the loop goes on.
        platform::ReportUnexpectedError(platform::DescribeCurrentException());
    }
    return false;
}

} // namespace glenvary::ui
