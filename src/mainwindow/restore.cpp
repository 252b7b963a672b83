// "Вернуть" and "Удалить": the backups of the last runs, for the file list
// (contents or names, as chosen below it) or for the clipboard text.
#include "encodings/codepages.h"
#include "mainwindow/mainfrm.h"
#include "mainwindow/mainfrmui.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QRadioButton>
#include <QTabWidget>

namespace tekstovar {

// Counts and step columns go with every restore and erase.
void TMainFrm::ClearRunColumns()
{
    List.ClearCounts();
    List.ClearStepCounts();
    SetStepColumns(0);
}

void TMainFrm::RestoreBtnClick()
{
    if (!IdleValue)
        return;
    if (Ui->TasksPgC->currentIndex() == ClipboardPage) {
        const void* memo = Ui->ClipboardMmo;
        if (!Backups.ClipboardBackup.Holds(memo))
            return; // nothing was backed up: nothing changes
        Ui->ClipboardMmo->setPlainText(EngineTextToMemo(Backups.ClipboardBackup.Restore(memo)));
        Ui->ReplaceCountEdt->setText(QStringLiteral("0"));
        ResetProgress();
        if (Backups.EncodingBackup.Holds(memo))
            Ui->ClipEncodingCbx->setCurrentIndex(
                Ui->ClipEncodingCbx->findText(QString::fromStdString(Backups.EncodingBackup.Restore(memo))));
        return;
    }
    const bool names = Ui->ReNameRbt->isChecked();
    std::vector<std::string> failures;
    Ui->EntirePBr->setRange(0, std::max(0, EntryCount() - 1));
    for (std::size_t i = 0; i < List.Size(); ++i) {
        TFileEntry& entry = List[i];
        const TRunBackups::TEntryOutcome outcome = Backups.Restore(List.Key(i), names, entry.Path);
        if (!outcome.Error.empty())
            failures.push_back(outcome.Error); // the file stays as the run left it, its backup kept
        else if (outcome.Held) {
            if (names)
                entry.Path = outcome.Path;
            if (!outcome.Encoding.empty())
                entry.Encoding = EncodingByName(outcome.Encoding);
        }
        Ui->EntirePBr->setValue(static_cast<int>(i));
    }
    Ui->EntirePBr->setValue(0);
    ClearRunColumns();
    ReportFailures(failures);
}

void TMainFrm::EraseBtnClick()
{
    if (!IdleValue)
        return;
    if (Ui->TasksPgC->currentIndex() == ClipboardPage) {
        const void* memo = Ui->ClipboardMmo;
        if (!Backups.ClipboardBackup.Holds(memo))
            return;
        Backups.ClipboardBackup.Erase(memo);
        Ui->ReplaceCountEdt->setText(QStringLiteral("0"));
        ResetProgress();
        if (Backups.EncodingBackup.Holds(memo))
            Backups.EncodingBackup.Erase(memo);
        return;
    }
    const bool names = Ui->ReNameRbt->isChecked();
    Ui->EntirePBr->setRange(0, std::max(0, EntryCount() - 1));
    for (std::size_t i = 0; i < List.Size(); ++i) {
        Backups.Erase(List.Key(i), names);
        Ui->EntirePBr->setValue(static_cast<int>(i));
    }
    Ui->EntirePBr->setValue(0);
    ClearRunColumns();
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
