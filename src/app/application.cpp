#include "app/application.h"

#include "platform/dialogs.h"

#include <QLibraryInfo>
#include <QTranslator>

#include <exception>

namespace tekstovar {

namespace {

// Qt's own dialogs and buttons speak Russian like the rest of the program.
// Without the translation files they stay in English: nothing to report.
void LoadQtTranslation(QCoreApplication& application)
{
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    auto* translator = new QTranslator(&application);
    if (translator->load(QStringLiteral("qt_ru"), folder) || translator->load(QStringLiteral("qtbase_ru"), folder))
        QCoreApplication::installTranslator(translator);
    else
        delete translator;
}

} // namespace

TApplication::TApplication(int& argc, char** argv, TDialogs& dialogs) : QApplication(argc, argv), Dialogs(dialogs)
{
    setApplicationName(QStringLiteral("Текстовар"));
    setApplicationDisplayName(QStringLiteral("Текстовар"));
    LoadQtTranslation(*this);
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
