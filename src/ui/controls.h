// SPDX-License-Identifier: MIT
// Glenvary: building the window's controls the same way everywhere.
#pragma once

#include <QPoint>
#include <QRect>
#include <QString>

#include <utility>
#include <vector>

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

/// A control kept at a fixed distance (the second member, in pixels) from
/// its bar's right edge.
using TRightAnchored = std::pair<QWidget*, int>;

/// The narrowest width of `bar` at which every direct child shows whole and
/// each right-anchored control stays clear, by the style's spacing, of every
/// control on its row that keeps its place from the left.
[[nodiscard]] int BarMinimumWidth(const QWidget& bar, const std::vector<TRightAnchored>& rightAnchored);

} // namespace glenvary::ui
