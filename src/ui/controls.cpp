// SPDX-License-Identifier: MIT
#include "ui/controls.h"

#include "ui/numericfield.h"

#include <QLabel>
#include <QPushButton>
#include <QStyle>

#include <algorithm>

namespace glenvary::ui {

QPushButton* MakeButton(QWidget* parent, const QString& name, const QString& caption, const QRect& geometry)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setGeometry(geometry);
    button->setCursor(Qt::PointingHandCursor);
    button->setAccessibleName(caption);
    return button;
}

QLabel* MakeLabel(QWidget* parent, const QString& name, const QString& caption, QPoint at)
{
    auto* label = new QLabel(caption, parent);
    label->setObjectName(name);
    label->adjustSize();
    label->move(at);
    label->setAccessibleName(caption.trimmed());
    return label;
}

TNumericField* MakeField(QWidget* parent, const QString& name, bool readOnly, const QRect& geometry,
                         const QString& accessibleName)
{
    auto* field = new TNumericField(readOnly, parent);
    field->setObjectName(name);
    field->setGeometry(geometry);
    field->setAccessibleName(accessibleName);
    return field;
}

int BarMinimumWidth(const QWidget& bar, const std::vector<TRightAnchored>& rightAnchored)
{
    int width = 0;
    const int spacing = std::max(0, bar.style()->pixelMetric(QStyle::PM_LayoutHorizontalSpacing));
    for (const auto& [anchored, rightMargin] : rightAnchored) {
        width = std::max(width, anchored->width() + rightMargin);
    }
    for (const QWidget* control : bar.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (std::any_of(rightAnchored.begin(), rightAnchored.end(),
                        [control](const TRightAnchored& entry) { return entry.first == control; })) {
            continue;
        }
        const QRect rect = control->geometry();
        width = std::max(width, rect.right() + 1);
        for (const auto& [anchored, rightMargin] : rightAnchored) {
            const QRect other = anchored->geometry();
            if (rect.top() <= other.bottom() && other.top() <= rect.bottom()) {
                width = std::max(width, rect.right() + 1 + spacing + anchored->width() + rightMargin);
            }
        }
    }
    return width;
}

} // namespace glenvary::ui
