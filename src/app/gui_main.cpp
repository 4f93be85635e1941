// SPDX-License-Identifier: MIT
// Glenvary: the window program.
#include "ui/application.h"
#include "ui/frmmain.h"

#include <QIcon>

int main(int argc, char* argv[])
{
    // The program reads no command line, and neither may Qt: its own
    // options (-reverse, -style...) would change the window. It gets the
    // program's name alone.
    int qtArgc = argc > 0 ? 1 : 0;
    glenvary::ui::TApplication app(qtArgc, argv);
    QApplication::setApplicationName(QStringLiteral("Glenvary"));
    QApplication::setDesktopFileName(QStringLiteral("glenvary"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/glenvary/glenvary.png")));
    glenvary::ui::TfrmMain frmMain;
    frmMain.show();
    return QApplication::exec();
}
