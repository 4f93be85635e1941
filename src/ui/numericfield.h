// SPDX-License-Identifier: MIT
// Glenvary: the single-line fields that show a count or a percentage.
#pragma once

#include <QLineEdit>

namespace glenvary::ui {

/// A single-line field holding a double. It shows the value either as a
/// whole number (rounded, a half going to the even neighbour: 12.5 shows
/// "12", 37.5 shows "38") or, in fractional display, in fixed notation with
/// two decimals ("75.00"). The value keeps its fraction whatever is shown.
///
/// An editable field accepts a typed number, which becomes its value (text
/// that is not a number counts as 0) until SetValue overwrites it. A
/// read-only field is disabled and shows its text in grey.
class TNumericField : public QLineEdit {
    Q_OBJECT

public:
    /// A field showing "0" in whole-number display.
    explicit TNumericField(bool readOnly, QWidget* parent = nullptr);

    /// The value last set or typed.
    [[nodiscard]] double Value() const noexcept { return value_; }
    /// Stores `value` and shows it in the current display.
    void SetValue(double value);

    /// Whether the field shows two decimals.
    [[nodiscard]] bool Fractional() const noexcept { return fractional_; }
    /// Switches the display; the value stays and is shown anew.
    void SetFractional(bool fractional);

private:
    void ShowValue();
    void TextTyped(const QString& text);

    double value_ = 0.0;
    bool fractional_ = false;
};

} // namespace glenvary::ui
