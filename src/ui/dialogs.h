// SPDX-License-Identifier: MIT
// Glenvary: the file dialogs of the window.
#pragma once

#include <QString>

#include <functional>
#include <optional>

class QWidget;

namespace glenvary::ui {

/// Shows a file-open dialog over `parent` with the title `title`, opened in
/// `folder`, for one existing file of any name; returns the chosen file's
/// full path, or nothing when the person cancelled.
using TOpenDialog =
    std::function<std::optional<QString>(QWidget* parent, const QString& title, const QString& folder)>;

/// Shows a file-save dialog over `parent` with the title `title`, proposing
/// the file `suggested` (a full path); returns the path the person
/// confirmed, or nothing when they cancelled. Asking before a file is
/// replaced is the dialog's part.
using TSaveDialog =
    std::function<std::optional<QString>(QWidget* parent, const QString& title, const QString& suggested)>;

/// Qt's open dialog for any file: on this platform "*" is what "*.*" means
/// elsewhere, which would hide files without a dot.
std::optional<QString> ShowOpenDialog(QWidget* parent, const QString& title, const QString& folder);

/// Qt's save dialog for a report: a web page, JSON or text, the extension
/// of the kind chosen added to a name typed without one.
std::optional<QString> ShowSaveDialog(QWidget* parent, const QString& title, const QString& suggested);

} // namespace glenvary::ui
