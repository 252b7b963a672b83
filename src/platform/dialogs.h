#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>

class QDialog;
class QWidget;

namespace tekstovar {

// Every modal question, message box and file, folder or font dialog of the
// program goes through this interface, so that tests can answer them without
// a screen. The program uses TQtDialogs; tests give the windows their own.
class TDialogs {
public:
    virtual ~TDialogs() = default;

    // A message box titled "Текстовар" with a stop icon and OK. The text is
    // shown as it stands (see ErrorText for the program's full-stop rule).
    virtual void Error(QWidget* parent, const QString& text) = 0;
    // A plain message box (no icon, the program's title) with OK.
    virtual void Message(QWidget* parent, const QString& text) = 0;
    // A question with Yes and No; true for Yes. Enter answers Yes unless
    // the question is about going on despite a fault (yesByDefault false).
    virtual bool Confirm(QWidget* parent, const QString& title, const QString& text, bool yesByDefault = true) = 0;
    // Files to open (several at once when `many`); empty when cancelled.
    // filter uses Qt's form: "Маски (*.txt);;Все Файлы (*)".
    virtual QStringList OpenFiles(
        QWidget* parent, const QString& caption, const QString& directory, const QString& filter, bool many) = 0;
    // A file to save, the default suffix added when none is given; empty
    // when cancelled.
    virtual QString SaveFile(QWidget* parent, const QString& caption, const QString& directory, const QString& filter,
        const QString& defaultSuffix) = 0;
    virtual QString Directory(QWidget* parent, const QString& caption, const QString& directory) = 0;
    // Lets the user change font and its colour; false when cancelled.
    virtual bool ChooseFont(QWidget* parent, QFont& font, QColor& colour) = 0;
    // Shows one of the program's own dialogs modally and returns its result
    // (QDialog::Accepted or Rejected).
    virtual int Exec(QDialog& dialog) = 0;
    // Opens a file, a web page or a mail address with the desktop's program;
    // failures are not reported.
    virtual void OpenUrl(const QUrl& url) = 0;
};

// The program's error text: a full stop is appended when the last
// character's code is greater than that of the full stop.
QString ErrorText(const QString& message);

// Runs a command of a window; a TError it throws is shown as the program's
// error message over `parent`. False when one was.
bool ShowingErrors(TDialogs& dialogs, QWidget* parent, const std::function<void()>& command);

// The dialogs of the desktop, through Qt.
class TQtDialogs : public TDialogs {
public:
    void Error(QWidget* parent, const QString& text) override;
    void Message(QWidget* parent, const QString& text) override;
    bool Confirm(QWidget* parent, const QString& title, const QString& text, bool yesByDefault = true) override;
    QStringList OpenFiles(
        QWidget* parent, const QString& caption, const QString& directory, const QString& filter, bool many) override;
    QString SaveFile(QWidget* parent, const QString& caption, const QString& directory, const QString& filter,
        const QString& defaultSuffix) override;
    QString Directory(QWidget* parent, const QString& caption, const QString& directory) override;
    bool ChooseFont(QWidget* parent, QFont& font, QColor& colour) override;
    int Exec(QDialog& dialog) override;
    void OpenUrl(const QUrl& url) override;
};

} // namespace tekstovar
