#include "platform/dialogs.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QMessageBox>

namespace tekstovar {

QString ErrorText(const QString& message)
{
    if (!message.isEmpty() && message.back().unicode() > u'.')
        return message + u'.';
    return message;
}

void TQtDialogs::Error(QWidget* parent, const QString& text)
{
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Текстовар"), text, QMessageBox::Ok, parent);
    box.exec();
}

bool TQtDialogs::Confirm(QWidget* parent, const QString& title, const QString& text)
{
    return QMessageBox::question(parent, title, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes) ==
        QMessageBox::Yes;
}

QStringList TQtDialogs::OpenFiles(
    QWidget* parent, const QString& caption, const QString& directory, const QString& filter, bool many)
{
    if (many)
        return QFileDialog::getOpenFileNames(parent, caption, directory, filter);
    QString file = QFileDialog::getOpenFileName(parent, caption, directory, filter);
    return file.isEmpty() ? QStringList() : QStringList{file};
}

QString TQtDialogs::SaveFile(QWidget* parent, const QString& caption, const QString& directory, const QString& filter,
    const QString& defaultSuffix)
{
    QFileDialog dialog(parent, caption, directory, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(defaultSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().first();
}

QString TQtDialogs::Directory(QWidget* parent, const QString& caption, const QString& directory)
{
    return QFileDialog::getExistingDirectory(parent, caption, directory);
}

bool TQtDialogs::ChooseFont(QWidget* parent, QFont& font)
{
    bool ok = false;
    QFont chosen = QFontDialog::getFont(&ok, font, parent);
    if (ok)
        font = chosen;
    return ok;
}

void TQtDialogs::OpenUrl(const QUrl& url) { QDesktopServices::openUrl(url); }

} // namespace tekstovar
