// SPDX-License-Identifier: MIT
// Helpers shared by the window's tests: the test program's main(), a
// reporter that records failures instead of opening a message box, and a
// reader for the look of every character in an editor.
#pragma once

#include "core/words.h"
#include "platform/error_reporter.h"
#include "ui/application.h"
#include "ui/numericfield.h"

#include <QColor>
#include <QFont>
#include <QList>
#include <QSettings>
#include <QStringList>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextFragment>
#include <QtTest>

#include <string>
#include <string_view>

namespace glenvary::uitest {

/// Unexpected errors handed to the reporter since the last TakeReportedErrors().
inline QStringList& ReportedErrors()
{
    static QStringList errors;
    return errors;
}

/// Warnings handed to the reporter since the last TakeReportedWarnings().
inline QStringList& ReportedWarnings()
{
    static QStringList warnings;
    return warnings;
}

/// The recorded unexpected errors; the record is emptied.
inline QStringList TakeReportedErrors()
{
    return std::exchange(ReportedErrors(), {});
}

/// The recorded warnings; the record is emptied.
inline QStringList TakeReportedWarnings()
{
    return std::exchange(ReportedWarnings(), {});
}

/// True when nothing was reported since the last takes; empties both records.
inline bool NothingReported()
{
    return TakeReportedErrors().isEmpty() && TakeReportedWarnings().isEmpty();
}

/// Replaces the message box by a record, so no test ever waits on a dialog.
inline void InstallRecordingReporter()
{
    platform::SetErrorReporter([](platform::TProblem kind, const QString& message) {
        (kind == platform::TProblem::Warning ? ReportedWarnings() : ReportedErrors()).append(message);
    });
}

inline QString Q(std::u16string_view text)
{
    // Not QString::fromUtf16, which drops a leading U+FEFF as a byte order mark.
    return QString(reinterpret_cast<const QChar*>(text.data()), static_cast<qsizetype>(text.size()));
}

inline std::u16string U16(const QString& text)
{
    return {QStringView(text).utf16(), static_cast<std::size_t>(text.size())};
}

/// The control named `name` in `window`; a test cannot go on without it.
template <typename T = QWidget>
T* FindControl(const QWidget& window, const QString& name)
{
    T* found = window.findChild<T*>(name);
    if (found == nullptr) {
        qFatal("no control named %s", qPrintable(name));
    }
    return found;
}

/// The word, sentence and paragraph counts of side `side` as shown, e.g. "6 1 1".
inline QString SideCounts(const QWidget& window, int side)
{
    const auto count = [&](const char* field) {
        return FindControl<ui::TNumericField>(window, QString::fromLatin1(field) + QString::number(side))->text();
    };
    return QStringLiteral("%1 %2 %3").arg(count("edtWords"), count("edtSenten"), count("edtParag"));
}

/// A BBGGRR colour as Qt's colour.
inline QColor Rgb(core::TColor color)
{
    return QColor(static_cast<int>(color & 0xFFU), static_cast<int>((color >> 8) & 0xFFU),
                  static_cast<int>((color >> 16) & 0xFFU));
}

/// How one character is drawn.
struct TLook {
    QChar character;
    bool bold = false;
    QColor text;
    QColor back;
    QTextCharFormat format;
};

/// The look of every character of the document, paragraph separators left
/// out (they are drawn as nothing). A background that was never set reads
/// as white, the editor's own background.
inline QList<TLook> ReadLooks(const QTextDocument& document)
{
    QList<TLook> looks;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QTextCharFormat format = fragment.charFormat();
            for (const QChar c : fragment.text()) {
                TLook look;
                look.character = c;
                look.bold = format.fontWeight() >= QFont::Bold;
                look.text = format.foreground().color();
                look.back = format.hasProperty(QTextFormat::BackgroundBrush) ? format.background().color()
                                                                            : QColor(Qt::white);
                look.format = format;
                looks.append(look);
            }
        }
    }
    return looks;
}

/// The looks as one letter per character: '.' plain (black on white, not
/// bold), 'A' aqua, 'G' money green, 'Y' yellow, 'R' red, 'O' olive, 'S'
/// silver, each bold and black; '?' anything else. Paragraph separators
/// are left out.
inline QString LookLetters(const QTextDocument& document, bool yellowPlain = false)
{
    struct TKnown {
        core::TColor color;
        QChar letter;
    };
    static const TKnown known[] = {{0xFFFF00, u'A'}, {0xC0DCC0, u'G'}, {0x00FFFF, u'Y'},
                                   {0x0000FF, u'R'}, {0x008080, u'O'}, {0xC0C0C0, u'S'}};
    QString letters;
    for (const TLook& look : ReadLooks(document)) {
        QChar letter = u'?';
        if (look.text == QColor(Qt::black)) {
            if (!look.bold && look.back == QColor(Qt::white)) {
                letter = u'.';
            } else if (yellowPlain && !look.bold && look.back == Rgb(0x00FFFF)) {
                letter = u'y';
            } else if (look.bold) {
                for (const TKnown& k : known) {
                    if (look.back == Rgb(k.color)) {
                        letter = k.letter;
                    }
                }
            }
        }
        letters.append(letter);
    }
    return letters;
}

/// Points the remembered settings (QSettings) at a folder of the test's
/// own, so that no test reads or changes the person's, and each program
/// starts from none.
inline void IsolateSettings()
{
    static QTemporaryDir folder;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder.path());
}

} // namespace glenvary::uitest

/// main() of a test program: the real application class (so an exception in
/// a handler is caught as in the program), the recording reporter, then the
/// tests of `TestClass`.
#define GLENVARY_UI_TEST_MAIN(TestClass)                                                                         \
    int main(int argc, char** argv)                                                                              \
    {                                                                                                            \
        glenvary::ui::TApplication app(argc, argv);                                                              \
        glenvary::uitest::InstallRecordingReporter();                                                            \
        glenvary::uitest::IsolateSettings();                                                                     \
        TestClass test;                                                                                          \
        QTEST_SET_MAIN_SOURCE_PATH                                                                               \
        return QTest::qExec(&test, argc, argv);                                                                  \
    }
