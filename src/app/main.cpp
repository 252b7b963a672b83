#include "app/application.h"
#include "app/program.h"
#include "common/error.h"
#include "mainwindow/mainfrm.h"
#include "platform/dialogs.h"
#include "settings/programdir.h"

int main(int argc, char** argv)
{
    tekstovar::TQtDialogs dialogs;
    tekstovar::TApplication application(argc, argv, dialogs);
    std::string directory;
    try {
        directory = tekstovar::EnsureProgramDirectory(); // the settings and lists are written there
    } catch (const tekstovar::TError& e) {
        dialogs.Error(nullptr, tekstovar::ErrorText(QString::fromUtf8(e.what())));
        return 1;
    }
    tekstovar::TProgram program(dialogs, directory);
    program.MainFrm().show();
    // A file manager's "Open with" names its files here; they join the list
    // the window loaded from its program directory.
    tekstovar::AddPaths(program.MainFrm(), tekstovar::PathArguments(argc, argv));
    return tekstovar::TApplication::exec();
}
