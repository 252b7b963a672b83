#include "app/program.h"
#include "common/error.h"
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
    std::string directory;
    try {
        directory = tekstovar::EnsureProgramDirectory(); // the settings and lists are written there
    } catch (const tekstovar::TError& e) {
        dialogs.Error(nullptr, tekstovar::ErrorText(QString::fromUtf8(e.what())));
        return 1;
    }
    tekstovar::TProgram program(dialogs, directory);
    program.MainFrm().show();
    return QApplication::exec();
}
