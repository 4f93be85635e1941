// SPDX-License-Identifier: MIT
// Shows the window after a comparison of two article files, for the
// screenshot in docs/ (run by make_screenshot.sh under Xvfb). Not part of
// the program: the program itself reads no arguments.
//
// Usage: glenvary_screenshot ARTICLE1 ARTICLE2 [LENGTH [SECONDS [WxH [WORD]]]]
// Prints "ready WIDTHxHEIGHT+X+Y" (the window's place on the screen) once
// the comparison is drawn, and quits after SECONDS (default 10). WxH
// resizes the window first; "1x1" shows it at its minimum size. WORD is
// then double-clicked where it first occurs in article 2, as a hand would,
// which selects its passage's copy in article 1.
#include "ui/application.h"
#include "ui/articleeditor.h"
#include "ui/frmmain.h"

#include <QCoreApplication>
#include <QFile>
#include <QIcon>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTextCursor>
#include <QTimer>

#include <cstdio>

namespace {

QString ReadUtf8(const char* path)
{
    QFile file(QString::fromLocal8Bit(path));
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "glenvary_screenshot: cannot read %s\n", path);
        std::exit(2);
    }
    return QString::fromUtf8(file.readAll());
}

// Double-clicks the middle of the first character of `word` in `editor`'s
// text: press, release, press, double click, release, as the system sends
// them for a hand's double click.
void DoubleClickWord(glenvary::ui::TArticleEditor& editor, const QString& word)
{
    const std::u16string& text = editor.Text();
    const qsizetype at = QStringView(text).indexOf(word);
    if (at < 0) {
        std::fprintf(stderr, "glenvary_screenshot: %s is not in article 2\n", qPrintable(word));
        std::exit(2);
    }
    QTextCursor cursor(editor.document());
    cursor.setPosition(static_cast<int>(at));
    editor.setTextCursor(cursor);
    editor.setFocus();
    // Its line near the top, so that the passage after it shows.
    editor.verticalScrollBar()->setValue(editor.verticalScrollBar()->value() + editor.cursorRect(cursor).top() - 20);
    const QRect before = editor.cursorRect(cursor);
    cursor.setPosition(static_cast<int>(at) + 1);
    const QPointF point((before.left() + editor.cursorRect(cursor).left()) / 2.0, before.center().y());
    QWidget* viewport = editor.viewport();
    const QPointF global = viewport->mapToGlobal(point);
    for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease, QEvent::MouseButtonPress,
                                     QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease}) {
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, point, global, Qt::LeftButton, held, Qt::NoModifier);
        QCoreApplication::sendEvent(viewport, &event);
    }
}

} // namespace

int main(int argc, char* argv[])
{
    glenvary::ui::TApplication app(argc, argv);
    if (argc < 3) {
        std::fputs("usage: glenvary_screenshot ARTICLE1 ARTICLE2 [LENGTH [SECONDS [WxH [WORD]]]]\n", stderr);
        return 2;
    }
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/glenvary/glenvary.png")));
    glenvary::ui::TfrmMain window;
    if (argc > 5) {
        const QStringList size = QString::fromLocal8Bit(argv[5]).split(u'x');
        window.resize(size.value(0).toInt(), size.value(1).toInt());
    }
    window.show();
    // Inserted as a paste would: the change handlers normalise and count.
    window.findChild<glenvary::ui::TArticleEditor*>(QStringLiteral("rchArticle1"))->insertPlainText(ReadUtf8(argv[1]));
    window.findChild<glenvary::ui::TArticleEditor*>(QStringLiteral("rchArticle2"))->insertPlainText(ReadUtf8(argv[2]));
    const int length = argc > 3 ? QString::fromLocal8Bit(argv[3]).toInt() : 3;
    window.findChild<QSpinBox*>(QStringLiteral("minNumWords"))->setValue(length);
    window.findChild<QPushButton*>(QStringLiteral("btnCompareEx"))->click();
    for (auto* editor : window.findChildren<glenvary::ui::TArticleEditor*>()) {
        editor->SetSelectionStart(0);
        editor->verticalScrollBar()->setValue(0);
    }

    if (argc > 6) {
        const QString word = QString::fromLocal8Bit(argv[6]);
        QTimer::singleShot(200, &window, [&window, word] {
            DoubleClickWord(*window.findChild<glenvary::ui::TArticleEditor*>(QStringLiteral("rchArticle2")), word);
        });
    }

    const int seconds = argc > 4 ? QString::fromLocal8Bit(argv[4]).toInt() : 10;
    QTimer::singleShot(500, &window, [&window] {
        const QRect frame = window.frameGeometry();
        std::printf("ready %dx%d+%d+%d\n", frame.width(), frame.height(), frame.x(), frame.y());
        std::fflush(stdout);
    });
    QTimer::singleShot(seconds * 1000, &app, &QCoreApplication::quit);
    return QApplication::exec();
}
