#include "app/application.h"

#include "platform/dialogs.h"

#include <exception>

namespace tekstovar {

TApplication::TApplication(int& argc, char** argv, TDialogs& dialogs) : QApplication(argc, argv), Dialogs(dialogs)
{
    setApplicationName(QStringLiteral("Текстовар"));
    setApplicationDisplayName(QStringLiteral("Текстовар"));
}

bool TApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        Dialogs.Error(activeWindow(), ErrorText(QString::fromUtf8(e.what())));
    }
    return true;
}

} // namespace tekstovar
