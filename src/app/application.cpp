#include "app/application.h"

#include "encodings/codepages.h"
#include "mainwindow/mainfrm.h"
#include "platform/dialogs.h"

#include <QDir>
#include <QIcon>
#include <QLibraryInfo>
#include <QTranslator>

#include <exception>
#include <filesystem>

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

// Every size of the icon the theme installs, from the resources: the windows
// show it whether or not the program is installed.
QIcon ProgramIcon()
{
    const QString theme = QStringLiteral(":/tekstovar/hicolor/");
    QIcon icon;
    for (const QString& size : QDir(theme).entryList(QDir::Dirs))
        icon.addFile(theme + size + QStringLiteral("/apps/tekstovar.png"));
    return icon;
}

} // namespace

TApplication::TApplication(int& argc, char** argv, TDialogs& dialogs) : QApplication(argc, argv), Dialogs(dialogs)
{
    setApplicationName(QStringLiteral("Текстовар"));
    setApplicationDisplayName(QStringLiteral("Текстовар"));
    // Docks and task bars find the desktop entry, and its icon, by this name.
    setDesktopFileName(QStringLiteral("tekstovar"));
    LoadQtTranslation(*this);
    setWindowIcon(ProgramIcon());
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

std::vector<std::string> PathArguments(int argc, char** argv)
{
    std::vector<std::string> paths;
    for (int i = 1; i < argc; ++i) {
        if (*argv[i] == '\0')
            continue; // names nothing
        std::error_code error;
        std::filesystem::path path = std::filesystem::absolute(argv[i], error);
        if (error)
            path = argv[i]; // no current directory: left as given
        path = path.lexically_normal();
        // "dir/" names the directory itself, as its dialog gives it.
        if (!path.has_filename() && path.has_relative_path())
            path = path.parent_path();
        paths.push_back(path.string());
    }
    return paths;
}

void AddPaths(TMainFrm& main, const std::vector<std::string>& paths) { main.AddPaths(paths); }

} // namespace tekstovar
