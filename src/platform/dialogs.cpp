#include "platform/dialogs.h"

#include "common/error.h"

#include <QColorDialog>
#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QIcon>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

namespace tekstovar {

QString ErrorText(const QString& message)
{
    if (!message.isEmpty() && message.back().unicode() > u'.')
        return message + u'.';
    return message;
}

bool ShowingErrors(TDialogs& dialogs, QWidget* parent, const std::function<void()>& command)
{
    try {
        command();
        return true;
    } catch (const TError& e) {
        dialogs.Error(parent, ErrorText(QString::fromUtf8(e.what())));
        return false;
    }
}

void TQtDialogs::Error(QWidget* parent, const QString& text)
{
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Текстовар"), text, QMessageBox::Ok, parent);
    box.exec();
}

void TQtDialogs::Message(QWidget* parent, const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Текстовар"), text, QMessageBox::Ok, parent);
    box.exec();
}

bool TQtDialogs::Confirm(QWidget* parent, const QString& title, const QString& text, bool yesByDefault)
{
    return QMessageBox::question(parent, title, text, QMessageBox::Yes | QMessageBox::No,
               yesByDefault ? QMessageBox::Yes : QMessageBox::No) == QMessageBox::Yes;
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

bool TQtDialogs::ChooseFont(QWidget* parent, QFont& font, QColor& colour)
{
    // Qt's font dialog knows no colour: it is embedded beside a colour
    // button so that one confirmation takes both.
    QDialog dialog(parent);
    dialog.setWindowTitle(QStringLiteral("Шрифт"));
    auto* layout = new QVBoxLayout(&dialog);
    auto* fonts = new QFontDialog(font, &dialog);
    fonts->setOptions(QFontDialog::NoButtons | QFontDialog::DontUseNativeDialog);
    fonts->setWindowFlags(Qt::Widget);
    layout->addWidget(fonts);
    auto* row = new QHBoxLayout;
    auto* colourBtn = new QPushButton(QStringLiteral("Цвет..."), &dialog);
    QColor chosen = colour;
    auto showColour = [&] {
        QPixmap swatch(16, 16);
        swatch.fill(chosen);
        colourBtn->setIcon(QIcon(swatch));
    };
    showColour();
    QObject::connect(colourBtn, &QPushButton::clicked, &dialog, [&] {
        const QColor picked = QColorDialog::getColor(chosen, &dialog);
        if (picked.isValid()) {
            chosen = picked;
            showColour();
        }
    });
    row->addWidget(colourBtn);
    row->addStretch(1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    row->addWidget(buttons);
    layout->addLayout(row);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    font = fonts->currentFont();
    colour = chosen;
    return true;
}

int TQtDialogs::Exec(QDialog& dialog) { return dialog.exec(); }

void TQtDialogs::OpenUrl(const QUrl& url) { QDesktopServices::openUrl(url); }

} // namespace tekstovar
