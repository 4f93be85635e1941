// SPDX-License-Identifier: MIT
// The count and percentage fields: display, typing, read-only look.
#include "ui/numericfield.h"
#include "uitest.h"

using glenvary::ui::TNumericField;

class TNumericFieldTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void showsValueInItsDisplay_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<bool>("fractional");
        QTest::addColumn<QString>("shown");
        QTest::newRow("fraction below a half rounds down") << 57.142857 << false << QStringLiteral("57");
        QTest::newRow("fraction above a half rounds up") << 55.555556 << false << QStringLiteral("56");
        QTest::newRow("half goes to the even neighbour below") << 12.5 << false << QStringLiteral("12");
        QTest::newRow("half goes to the even neighbour above") << 37.5 << false << QStringLiteral("38");
        QTest::newRow("a half of zero stays zero") << 0.5 << false << QStringLiteral("0");
        QTest::newRow("negative half goes to the even neighbour") << -2.5 << false << QStringLiteral("-2");
        QTest::newRow("large count has no group separator") << 100000.0 << false << QStringLiteral("100000");
        QTest::newRow("two decimals") << 75.0 << true << QStringLiteral("75.00");
        QTest::newRow("no upper bound") << 300.0 << true << QStringLiteral("300.00");
        QTest::newRow("zero in two decimals") << 0.0 << true << QStringLiteral("0.00");
        QTest::newRow("a third") << 100.0 / 3.0 << true << QStringLiteral("33.33");
        QTest::newRow("two thirds") << 200.0 / 3.0 << true << QStringLiteral("66.67");
    }
    void showsValueInItsDisplay()
    {
        QFETCH(double, value);
        QFETCH(bool, fractional);
        QFETCH(QString, shown);
        TNumericField field(true);
        field.SetFractional(fractional);
        field.SetValue(value);
        QCOMPARE(field.text(), shown);
        QCOMPARE(field.Value(), value);
    }

    void startsAtZeroInWholeNumbers()
    {
        const TNumericField field(false);
        QCOMPARE(field.text(), QStringLiteral("0"));
        QCOMPARE(field.Value(), 0.0);
        QVERIFY(!field.Fractional());
    }

    void switchingDisplayKeepsTheValue()
    {
        TNumericField field(true);
        field.SetValue(12.5);
        field.SetFractional(true);
        QCOMPARE(field.text(), QStringLiteral("12.50"));
        field.SetFractional(false);
        QCOMPARE(field.text(), QStringLiteral("12"));
        QCOMPARE(field.Value(), 12.5);
    }

    void typedTextBecomesTheValue_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<double>("value");
        QTest::newRow("a whole number") << QStringLiteral("42") << QStringLiteral("42") << 42.0;
        QTest::newRow("a fraction") << QStringLiteral("2.5") << QStringLiteral("2.5") << 2.5;
        QTest::newRow("letters are refused") << QStringLiteral("4a2") << QStringLiteral("42") << 42.0;
        QTest::newRow("a lone minus sign counts as zero") << QStringLiteral("-") << QStringLiteral("-") << 0.0;
    }
    void typedTextBecomesTheValue()
    {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QFETCH(double, value);
        TNumericField field(false);
        field.show();
        field.selectAll();
        QTest::keyClicks(&field, typed);
        QCOMPARE(field.text(), shown);
        QCOMPARE(field.Value(), value);
    }

    void readOnlyFieldIsDisabledWithGreyText()
    {
        TNumericField field(true);
        QVERIFY(field.isReadOnly());
        QVERIFY(!field.isEnabled());
        QCOMPARE(field.palette().color(QPalette::Disabled, QPalette::Text), QColor(0x80, 0x80, 0x80));
        const TNumericField editable(false);
        QVERIFY(!editable.isReadOnly());
        QVERIFY(editable.isEnabled());
    }
};

GLENVARY_UI_TEST_MAIN(TNumericFieldTest)
#include "numericfield_test.moc"
