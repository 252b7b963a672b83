#include "app/program.h"
#include "mainwindow/mainfrm.h"
#include "platform/dialogs.h"
#include "settings/programdir.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Текстовар"));
    QApplication::setApplicationDisplayName(QStringLiteral("Текстовар"));
    tekstovar::TQtDialogs dialogs;
    tekstovar::TProgram program(dialogs, tekstovar::ProgramDirectory());
    program.MainFrm().show();
    return QApplication::exec();
}
