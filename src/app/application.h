#pragma once

#include <QApplication>

#include <string>
#include <vector>

namespace tekstovar {

class TDialogs;
class TMainFrm;

// The application: a failure that escapes a command reaches the user as a
// message box titled "Текстовар" with a stop icon (a full stop appended when
// the text's last character's code is greater than that of the full stop),
// and the program goes on. Its windows show the program's icon.
class TApplication : public QApplication {
public:
    TApplication(int& argc, char** argv, TDialogs& dialogs);
    bool notify(QObject* receiver, QEvent* event) override;

private:
    TDialogs& Dialogs;
};

// The files and directories named on the command line: the arguments Qt left
// after taking its own options, relative ones completed from the current
// directory. Their bytes are kept as they are, whatever their encoding.
std::vector<std::string> PathArguments(int argc, char** argv);

// Adds the paths to the main window's file list as its commands add them: a
// directory as "Добавить Директорию" does, anything else as a file.
void AddPaths(TMainFrm& main, const std::vector<std::string>& paths);

} // namespace tekstovar
