// SPDX-License-Identifier: MIT
#include "ui/controls.h"

#include "ui/numericfield.h"

#include <QLabel>
#include <QPushButton>

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

} // namespace glenvary::ui
