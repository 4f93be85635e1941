// SPDX-License-Identifier: MIT
// Glenvary: the application object.
#pragma once

#include <QApplication>

namespace glenvary::ui {

/// The QApplication of the program. Every exception that escapes an event
/// handler is caught here and handed to platform::ReportUnexpectedError;
/// the event counts as not handled and the program goes on running.
class TApplication : public QApplication {
    Q_OBJECT

public:
    /// As QApplication: `argc` must stay valid for the object's lifetime.
    TApplication(int& argc, char** argv);
    ~TApplication() override;
    TApplication(const TApplication&) = delete;
    TApplication& operator=(const TApplication&) = delete;

    /// Delivers `event` as QApplication does; an exception on the way is
    /// reported and the result is false.
    bool notify(QObject* receiver, QEvent* event) override;
};

} // namespace glenvary::ui
