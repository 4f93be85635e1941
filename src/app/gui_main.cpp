// SPDX-License-Identifier: MIT
// Glenvary: the window program.
#include "ui/application.h"
#include "ui/frmmain.h"

#include <QIcon>

int main(int argc, char* argv[])
{
    // Qt takes its own options (-platform, -style...) out of the arguments;
    // the program itself reads none.
    glenvary::ui::TApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Glenvary"));
    QApplication::setDesktopFileName(QStringLiteral("glenvary"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/glenvary/glenvary.png")));
    glenvary::ui::TfrmMain frmMain;
    frmMain.show();
    return QApplication::exec();
}
