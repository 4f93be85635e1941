// SPDX-License-Identifier: MIT
// Glenvary: building the window's controls the same way everywhere.
#pragma once

#include <QPoint>
#include <QRect>
#include <QString>

class QLabel;
class QPushButton;
class QWidget;

namespace glenvary::ui {

class TNumericField;

/// A button captioned `caption` at `geometry` in `parent`, with the hand
/// cursor; its object name is `name`, its accessible name the caption.
QPushButton* MakeButton(QWidget* parent, const QString& name, const QString& caption, const QRect& geometry);

/// A label sized to `caption`, its top left at `at`; its accessible name is
/// the caption without surrounding blanks.
QLabel* MakeLabel(QWidget* parent, const QString& name, const QString& caption, QPoint at);

/// A numeric field at `geometry`, read-only (disabled, grey) or editable.
TNumericField* MakeField(QWidget* parent, const QString& name, bool readOnly, const QRect& geometry,
                         const QString& accessibleName);

} // namespace glenvary::ui
