// "Вернуть" and "Удалить": the backups of the last runs, for the file list
// (contents or names, as chosen below it) or for the clipboard text.
#include "engine/maskedreplacer.h"
#include "mainwindow/listview.h"
#include "mainwindow/mainfrm.h"
#include "platform/dispatcher.h"
#include "platform/winunicode.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QRadioButton>
#include <QTabWidget>

#include <filesystem>

namespace tekstovar {

namespace {

std::string NamePart(const std::string& path) { return path.substr(path.rfind('/') + 1); }

// Counts and step columns go with every restore and erase.
void ClearRunColumns(QTreeWidgetItem* item)
{
    item->setText(3, QString());
    for (int c = item->columnCount() - 1; c > 3; --c)
        item->setText(c, QString());
}

} // namespace

void TMainFrm::RestoreBtnClick()
{
    if (!IdleValue)
        return;
    if (TasksPgC->currentIndex() == 1) {
        try {
            const std::string text = ClipboardBackup.Restore(ClipboardMmo);
            ClipboardMmo->setPlainText(EngineTextToMemo(text));
            ReplaceCountEdt->setText(QStringLiteral("0"));
            FilePBr->setValue(0);
            EntirePBr->setValue(0);
            ClipEncodingCbx->setCurrentIndex(
                ClipEncodingCbx->findText(QString::fromStdString(EncodingBackup.Restore(ClipboardMmo))));
        } catch (const TMissingKeyError&) {
            // nothing was backed up: nothing changes
        }
        return;
    }
    TFSBackup& store = ReNameRbt->isChecked() ? static_cast<TFSBackup&>(NameBackup) : ContentBackup;
    EntirePBr->setRange(0, std::max(0, EntryCount() - 1));
    for (int i = 0; i < EntryCount(); ++i) {
        QTreeWidgetItem* item = Entry(i);
        try {
            const std::string old = store.Restore(item);
            std::error_code error;
            if (std::filesystem::exists(old, error)) {
                item->setText(0, QString::fromStdString(NamePart(old)));
                const std::string full = item->text(1).toStdString() + item->text(0).toStdString();
                std::string& current = Paths[static_cast<std::size_t>(i)];
                if (current != full) {
                    // The file the run made under another name goes, unless it
                    // is the same file (a name that only changed its case on a
                    // file system that ignores case).
                    if (!std::filesystem::equivalent(current, full, error))
                        std::filesystem::remove(current, error);
                    current = full;
                }
            }
            item->setText(2, QString::fromStdString(EncodingBackup.Restore(item)));
        } catch (const TMissingKeyError&) {
            // no backup of this entry in this store
        }
        ClearRunColumns(item);
        EntirePBr->setValue(i);
    }
    EntirePBr->setValue(0);
    FilesLvw->setColumnCount(4);
}

void TMainFrm::EraseBtnClick()
{
    if (!IdleValue)
        return;
    if (TasksPgC->currentIndex() == 1) {
        try {
            ClipboardBackup.Erase(ClipboardMmo);
            ReplaceCountEdt->setText(QStringLiteral("0"));
            FilePBr->setValue(0);
            EntirePBr->setValue(0);
            EncodingBackup.Erase(ClipboardMmo);
        } catch (const TMissingKeyError&) {
        }
        return;
    }
    TFSBackup& store = ReNameRbt->isChecked() ? static_cast<TFSBackup&>(NameBackup) : ContentBackup;
    for (int i = 0; i < EntryCount(); ++i) {
        QTreeWidgetItem* item = Entry(i);
        try {
            store.Erase(item);
            EncodingBackup.Erase(item);
        } catch (const TMissingKeyError&) {
        }
        ClearRunColumns(item);
        EntirePBr->setRange(0, std::max(0, EntryCount() - 1));
        EntirePBr->setValue(i);
    }
    EntirePBr->setValue(0);
    FilesLvw->setColumnCount(4);
}

} // namespace tekstovar
