// "Вернуть" and "Удалить": the backups of the last runs, for the file list
// (contents or names, as chosen below it) or for the clipboard text.
#include "backups/fileops.h"
#include "encodings/codepages.h"
#include "mainwindow/mainfrm.h"
#include "mainwindow/mainfrmui.h"
#include "platform/qstrings.h"
#include "platform/quoting.h"

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
        if (!Backups.ClipboardBackup.Holds(memo)) {
            ShowSummary(QStringLiteral("Копии Текста Нет: Возвращать Нечего")); // nothing changes
            return;
        }
        ShowSummary(QStringLiteral("Текст Возвращён"));
        // The text before the run, every character, goes back onto the
        // clipboard too, where the run put its result.
        Ui->ClipboardMmo->setPlainText(Utf8ToQString(Backups.ClipboardBackup.Restore(memo)));
        PutOnClipboard(Ui->ClipboardMmo->toPlainText());
        Ui->ReplaceCountEdt->setText(QStringLiteral("0"));
        ResetProgress();
        if (Backups.EncodingBackup.Holds(memo))
            Ui->ClipEncodingCbx->setCurrentIndex(
                Ui->ClipEncodingCbx->findText(QString::fromStdString(Backups.EncodingBackup.Restore(memo))));
        return;
    }
    const bool names = Ui->ReNameRbt->isChecked();
    std::vector<std::string> failures;
    int restored = 0;
    Ui->EntirePBr->setRange(0, std::max(1, EntryCount() - 1)); // 0..0 would be Qt's busy animation
    for (std::size_t i = 0; i < List.Size(); ++i) {
        TFileEntry& entry = List[i];
        const void* key = List.Key(i);
        // A backup whose copy has gone is dropped and brings nothing back:
        // the file, and the code page shown for it, stay as the run left them.
        const TFSBackup& store = names ? static_cast<const TFSBackup&>(Backups.NameBackup) : Backups.ContentBackup;
        const std::string copy = store.Holds(key) ? store.CopyPath(key) : std::string();
        const bool copyThere = !copy.empty() && backupfiles::EntryAt(copy) == backupfiles::TEntry::Present;
        const TRunBackups::TEntryOutcome outcome = Backups.Restore(key, names, entry.Path);
        if (!outcome.Error.empty())
            failures.push_back(outcome.Error); // the file stays as the run left it, its backup kept
        else if (outcome.Held && !copyThere)
            failures.push_back(
                "Резервная копия " + QuoteName(copy) + " пропала, оставлен как есть: " + QuoteName(entry.Path));
        else if (outcome.Held) {
            ++restored;
            if (names)
                entry.Path = outcome.Path;
            if (!outcome.Encoding.empty())
                entry.Encoding = EncodingByName(outcome.Encoding);
        }
        Ui->EntirePBr->setValue(static_cast<int>(i));
    }
    Ui->EntirePBr->setValue(0);
    ClearRunColumns();
    const QString failureList = RestoreFailures(failures);
    ShowSummary(
        QStringLiteral("Возвращено: %1, Не Удалось Вернуть: %2").arg(restored).arg(failures.size()), failureList);
    if (!failureList.isEmpty())
        ShowError(failureList);
}

void TMainFrm::EraseBtnClick()
{
    if (!IdleValue)
        return;
    if (Ui->TasksPgC->currentIndex() == ClipboardPage) {
        const void* memo = Ui->ClipboardMmo;
        if (!Backups.ClipboardBackup.Holds(memo)) {
            ShowSummary(QStringLiteral("Копии Текста Нет: Удалять Нечего"));
            return;
        }
        ShowSummary(QStringLiteral("Копия Текста Удалена"));
        Backups.ClipboardBackup.Erase(memo);
        Ui->ReplaceCountEdt->setText(QStringLiteral("0"));
        ResetProgress();
        if (Backups.EncodingBackup.Holds(memo))
            Backups.EncodingBackup.Erase(memo);
        return;
    }
    const bool names = Ui->ReNameRbt->isChecked();
    Ui->EntirePBr->setRange(0, std::max(1, EntryCount() - 1)); // 0..0 would be Qt's busy animation
    int erased = 0;
    int failed = 0;
    QString failureList;
    for (std::size_t i = 0; i < List.Size(); ++i) {
        const TRunBackups::TEntryOutcome outcome = Backups.Erase(List.Key(i), names);
        if (!outcome.Error.empty()) {
            ++failed;
            failureList += u'\n' + FailureLine(List[i].Path, outcome.Error);
        } else if (outcome.Held)
            ++erased;
        Ui->EntirePBr->setValue(static_cast<int>(i));
    }
    Ui->EntirePBr->setValue(0);
    ClearRunColumns();
    ShowSummary(QStringLiteral("Удалено Копий: %1, Не Удалось Удалить: %2").arg(erased).arg(failed),
        failed == 0 ? QString() : QStringLiteral("Не Удалось Удалить Копии:") + failureList);
}

QString TMainFrm::RestoreFailures(const std::vector<std::string>& failures)
{
    if (failures.empty())
        return {};
    QString text = QStringLiteral("Не удалось вернуть файлы (они оставлены как есть, их копии сохранены):");
    for (const std::string& failure : failures)
        text += u'\n' + QString::fromStdString(failure);
    return text;
}

} // namespace tekstovar
