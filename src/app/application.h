#pragma once

#include <QApplication>

namespace tekstovar {

class TDialogs;

// The application: a failure that escapes a command reaches the user as a
// message box titled "Текстовар" with a stop icon (a full stop appended when
// the text's last character's code is greater than that of the full stop),
// and the program goes on.
class TApplication : public QApplication {
public:
    TApplication(int& argc, char** argv, TDialogs& dialogs);
    bool notify(QObject* receiver, QEvent* event) override;

private:
    TDialogs& Dialogs;
};

} // namespace tekstovar
