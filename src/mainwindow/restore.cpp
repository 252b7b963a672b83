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
            const std::string text = Backups.ClipboardBackup.Restore(ClipboardMmo);
            ClipboardMmo->setPlainText(EngineTextToMemo(text));
            ReplaceCountEdt->setText(QStringLiteral("0"));
            FilePBr->setValue(0);
            EntirePBr->setValue(0);
            ClipEncodingCbx->setCurrentIndex(
                ClipEncodingCbx->findText(QString::fromStdString(Backups.EncodingBackup.Restore(ClipboardMmo))));
        } catch (const TMissingKeyError&) {
            // nothing was backed up: nothing changes
        }
        return;
    }
    const bool names = ReNameRbt->isChecked();
    std::vector<std::string> failures;
    EntirePBr->setRange(0, std::max(0, EntryCount() - 1));
    for (int i = 0; i < EntryCount(); ++i) {
        QTreeWidgetItem* item = Entry(i);
        std::string& current = Paths[static_cast<std::size_t>(i)];
        const TRunBackups::TEntryOutcome outcome = Backups.Restore(item, names, current);
        if (!outcome.Error.empty())
            failures.push_back(outcome.Error); // the file stays as the run left it, its backup kept
        else if (outcome.Held) {
            if (names) {
                item->setText(0, QString::fromStdString(NamePart(outcome.Path)));
                current = outcome.Path;
            }
            if (!outcome.Encoding.empty())
                item->setText(2, QString::fromStdString(outcome.Encoding));
        }
        ClearRunColumns(item);
        EntirePBr->setValue(i);
    }
    EntirePBr->setValue(0);
    FilesLvw->setColumnCount(4);
    ReportFailures(failures);
}

void TMainFrm::EraseBtnClick()
{
    if (!IdleValue)
        return;
    if (TasksPgC->currentIndex() == 1) {
        try {
            Backups.ClipboardBackup.Erase(ClipboardMmo);
            ReplaceCountEdt->setText(QStringLiteral("0"));
            FilePBr->setValue(0);
            EntirePBr->setValue(0);
            Backups.EncodingBackup.Erase(ClipboardMmo);
        } catch (const TMissingKeyError&) {
        }
        return;
    }
    const bool names = ReNameRbt->isChecked();
    for (int i = 0; i < EntryCount(); ++i) {
        QTreeWidgetItem* item = Entry(i);
        Backups.Erase(item, names);
        ClearRunColumns(item);
        EntirePBr->setRange(0, std::max(0, EntryCount() - 1));
        EntirePBr->setValue(i);
    }
    EntirePBr->setValue(0);
    FilesLvw->setColumnCount(4);
}

void TMainFrm::ReportFailures(const std::vector<std::string>& failures)
{
    if (failures.empty())
        return;
    QString text = QStringLiteral("Не удалось вернуть файлы (они оставлены как есть, их копии сохранены):");
    for (const std::string& failure : failures)
        text += u'\n' + QString::fromStdString(failure);
    ShowError(text);
}

} // namespace tekstovar
