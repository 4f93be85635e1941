// SPDX-License-Identifier: MIT
// Shows the window after a comparison of two article files, for the
// screenshot in docs/ (run by make_screenshot.sh under Xvfb). Not part of
// the program: the program itself reads no arguments.
//
// Usage: glenvary_screenshot ARTICLE1 ARTICLE2 [LENGTH [SECONDS [WxH]]]
// Prints "ready WIDTHxHEIGHT+X+Y" (the window's place on the screen) once
// the comparison is drawn, and quits after SECONDS (default 10). WxH
// resizes the window first; "1x1" shows it at its minimum size.
#include "ui/application.h"
#include "ui/articleeditor.h"
#include "ui/frmmain.h"

#include <QFile>
#include <QIcon>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
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

} // namespace

int main(int argc, char* argv[])
{
    glenvary::ui::TApplication app(argc, argv);
    if (argc < 3) {
        std::fputs("usage: glenvary_screenshot ARTICLE1 ARTICLE2 [LENGTH [SECONDS [WxH]]]\n", stderr);
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

    const int seconds = argc > 4 ? QString::fromLocal8Bit(argv[4]).toInt() : 10;
    QTimer::singleShot(500, &window, [&window] {
        const QRect frame = window.frameGeometry();
        std::printf("ready %dx%d+%d+%d\n", frame.width(), frame.height(), frame.x(), frame.y());
        std::fflush(stdout);
    });
    QTimer::singleShot(seconds * 1000, &app, &QCoreApplication::quit);
    return QApplication::exec();
}
