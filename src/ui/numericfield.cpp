// SPDX-License-Identifier: MIT
#include "ui/numericfield.h"

#include "core/comparison.h"

#include <QLocale>
#include <QPalette>
#include <QRegularExpression>
#include <QRegularExpressionValidator>

namespace glenvary::ui {

TNumericField::TNumericField(bool readOnly, QWidget* parent) : QLineEdit(parent)
{
    if (readOnly) {
        setReadOnly(true);
        setEnabled(false);
        QPalette grey = palette();
        grey.setColor(QPalette::Disabled, QPalette::Text, QColor(0x80, 0x80, 0x80));
        setPalette(grey);
    } else {
        setValidator(new QRegularExpressionValidator(
            QRegularExpression(QStringLiteral(R"(-?[0-9]*(\.[0-9]*)?)")), this));
        connect(this, &QLineEdit::textEdited, this, &TNumericField::TextTyped);
    }
    ShowValue();
}

void TNumericField::SetValue(double value)
{
    value_ = value;
    ShowValue();
}

void TNumericField::SetFractional(bool fractional)
{
    fractional_ = fractional;
    ShowValue();
}

void TNumericField::ShowValue()
{
    // The C locale keeps the decimal point a point whatever the desktop's
    // language, so a shown value reads back the same.
    setText(fractional_ ? QLocale::c().toString(value_, 'f', 2)
                        : QLocale::c().toString(static_cast<qlonglong>(core::RoundHalfEven(value_))));
}

void TNumericField::TextTyped(const QString& text)
{
    bool ok = false;
    const double typed = QLocale::c().toDouble(text, &ok);
    value_ = ok ? typed : 0.0;
}

} // namespace glenvary::ui
