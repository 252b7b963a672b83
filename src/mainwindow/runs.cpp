// Replace runs from the main window: over the file list (contents or names)
// and over the clipboard text, on the worker thread. The progress handlers
// run on the worker: what must happen before the engine goes on (backups,
// log lines) is done there; every change of a widget is posted to the UI
// thread in the order the notifications came.
#include "common/error.h"
#include "encodings/codepages.h"
#include "encodings/detect.h"
#include "engine/filemaskedreplacer.h"
#include "engine/filenamereplacer.h"
#include "engine/replacerthread.h"
#include "mainwindow/listview.h"
#include "mainwindow/mainfrm.h"
#include "platform/dialogs.h"
#include "platform/qtdispatcher.h"
#include "platform/winunicode.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QRadioButton>
#include <QTabWidget>

#include <ctime>

namespace tekstovar {

namespace {

constexpr auto ProgressInterval = std::chrono::milliseconds(40);
constexpr std::size_t DetectionLength = 512;

QString Q(const std::string& utf8) { return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())); }

// The memo holds LF line breaks; the engine sees the text as a Windows
// clipboard holds it, with CR LF, in WIN bytes.
std::string MemoToEngine(const QString& text)
{
    QString crlf = text;
    crlf.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\n', QStringLiteral("\r\n"));
    return Utf8ToWin(crlf.toStdString());
}

} // namespace

QString EngineTextToMemo(const std::string& win)
{
    QString text = Q(WinToUtf8(win));
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text;
}

void TMainFrm::UseDispatcher(std::unique_ptr<TDispatcher> dispatcher) { Dispatcher = std::move(dispatcher); }

void TMainFrm::WriteLog(const std::function<void()>& write)
{
    try {
        write();
    } catch (const TError& e) {
        // A log that cannot be written does not stop the run, but the user
        // hears of it when the run ends.
        if (Run.LogError.empty())
            Run.LogError = e.what();
    }
}

bool TMainFrm::ProgressDue()
{
    const auto now = std::chrono::steady_clock::now();
    if (now - Run.LastProgress < ProgressInterval)
        return false;
    Run.LastProgress = now;
    return true;
}

void TMainFrm::ClearCounts()
{
    for (int i = 0; i < EntryCount(); ++i)
        Entry(i)->setText(3, QString());
}

void TMainFrm::GoBtnClick()
{
    if (!IdleValue)
        return;
    if (OnRunStart)
        OnRunStart(); // the mask boxes put the pair at the top of their histories
    StartRun(Utf8ToWin(MaskCbx->currentText().toStdString()), Utf8ToWin(ReplaceCbx->currentText().toStdString()));
}

bool TMainFrm::StartRun(const std::string& search, const std::string& replace)
{
    if (!IdleValue)
        return false;
    const int target = ReCodeChk->isChecked() ? EncodingCbx->currentIndex() : EncodingNone;
    try {
        if (TasksPgC->currentIndex() == 1)
            StartClipboardRun(search, replace, target);
        else
            StartFileRun(search, replace, target);
    } catch (const TError& e) {
        Active.reset();
        ShowError(QString::fromUtf8(e.what()));
        return false;
    }
    if (StepIndex() <= 0)
        LogErrorTold = false;
    StartReplacerThread(
        *Active, [this](const std::exception_ptr& failure) { ReplacerDone(failure); }, *Dispatcher);
    SetIdle(false);
    return true;
}

void TMainFrm::StartFileRun(const std::string& search, const std::string& replace, int target)
{
    const int step = StepIndex();
    // A scenario's later steps go on with the run of its first: it knows
    // which files it has backed up already.
    if (step <= 0 || !FileRun) {
        std::vector<TRunFile> files;
        for (int i = 0; i < EntryCount(); ++i) {
            QTreeWidgetItem* item = Entry(i);
            files.push_back(
                {item->text(1).toStdString() + item->text(0).toStdString(), item->text(2).toStdString(), item});
        }
        FileRun.reset();
        if (!FileRunView)
            FileRunView = std::make_unique<TFileRunView>(*this);
        FileRun = std::make_unique<TFileRun>(std::move(files),
            TFileRunOptions{.Names = ReNameRbt->isChecked(),
                .Target = target,
                .Backup = BackUpChk->isChecked(),
                .OverwriteBackup = Values.OverwriteBackup,
                .BackupRoot = GetBackupRoot(),
                .FixedBackupPaths = false,
                .LogFile = Values.Logging ? Values.LogFileName : std::string()},
            Backups, FileRunView.get());
    }
    Run = TRunState{};
    Run.OverFiles = true;
    Run.Names = FileRun->Options().Names;
    Run.Step = step;
    Run.Paths = FileRun->Paths();
    Run.Encodings = FileRun->Encodings();
    Paths = Run.Paths;
    Active = FileRun->BeginStep({search, replace});
    ClearCounts();
    if (Run.Step == 0)
        FilesLvw->setColumnCount(4); // the step columns of an earlier scenario go
    EntirePBr->setRange(0, 10 * EntryCount());
    EntirePBr->setValue(0);
}

// --- A file run's events: posted by the worker, shown here in their order ----

void TMainFrm::TFileRunView::FileStarted(std::size_t file, TPos size)
{
    Main.Dispatcher->Post([&main = Main, file, size] { main.FileRunFileStarted(file, size); });
}

void TMainFrm::TFileRunView::FileProgress(std::size_t file, TPos position, TPos size, long long count)
{
    if (Main.ProgressDue())
        Main.Dispatcher->Post(
            [&main = Main, file, position, size, count] { main.FileRunProgress(file, position, size, count); });
}

void TMainFrm::TFileRunView::FileDone(std::size_t file, const TFileOutcome& outcome)
{
    Main.Dispatcher->Post([&main = Main, file, outcome] { main.FileRunFileDone(file, outcome); });
}

void TMainFrm::TFileRunView::StepDone(int, bool finished)
{
    // Known now, on the worker: a stopped run is no finished step.
    Main.Dispatcher->Post([&main = Main, finished, step = Main.Run.Step] { main.FileRunStepDone(finished, step); });
}

void TMainFrm::FileRunFileStarted(std::size_t, TPos size)
{
    FilePBr->setRange(0, static_cast<int>(std::min<TPos>(size + 1, INT32_MAX)));
    FilePBr->setValue(0);
}

void TMainFrm::FileRunProgress(std::size_t file, TPos position, TPos size, long long count)
{
    FilePBr->setValue(static_cast<int>(std::min<TPos>(position, FilePBr->maximum())));
    if (size > 0)
        EntirePBr->setValue(static_cast<int>(position * 10 / size + static_cast<TPos>(file) * 10));
    if (QTreeWidgetItem* item = Entry(static_cast<int>(file)))
        item->setText(3, QString::number(count));
}

void TMainFrm::FileRunFileDone(std::size_t file, const TFileOutcome& outcome)
{
    QTreeWidgetItem* item = Entry(static_cast<int>(file));
    if (!item)
        return;
    FilePBr->setValue(FilePBr->maximum());
    EntirePBr->setValue(static_cast<int>(file + 1) * 10);
    // Why a file was left alone travels with its entry.
    item->setToolTip(3, Q(outcome.Error));
    if (outcome.Stopped) {
        item->setText(3, QStringLiteral("0")); // the stop fell inside it: it counts nothing
        return;
    }
    if (!outcome.Error.empty() && outcome.StepCount == 0 && !outcome.Changed) {
        item->setText(3, QString()); // left untouched: no count
        return;
    }
    item->setText(2, Q(outcome.Encoding));
    item->setText(3, QString::number(outcome.StepCount));
    if (Run.Names) {
        // The list and FilePaths follow each renamed file at once, so a stop
        // leaves them right too.
        item->setText(0, Q(outcome.NewName));
        Paths[file] = outcome.Current;
    }
}

void TMainFrm::FileRunStepDone(bool finished, int step)
{
    FilePBr->setValue(0);
    EntirePBr->setValue(0);
    // A finished scenario step shows its counts in a column of its own.
    if (finished && Values.BatchReplacesTable && step >= 0) {
        const int column = FilesLvw->columnCount();
        FilesLvw->setColumnCount(column + 1);
        FilesLvw->headerItem()->setText(column, QStringLiteral("Шаг ") + QString::number(step + 1));
    }
}

void TMainFrm::StartClipboardRun(const std::string& search, const std::string& replace, int target)
{
    Run = TRunState{};
    Run.Text = MemoToEngine(ClipboardMmo->toPlainText());
    Run.Step = StepIndex();
    Run.Encodings = {ClipEncodingCbx->currentText().toStdString()};
    Run.Backup = BackUpChk->isChecked() && Run.Step <= 0;
    Run.Overwrite = Values.OverwriteBackup;
    Run.Log = TRunLog(Values.Logging ? Values.LogFileName : std::string());
    Run.Target = target;
    Active = std::make_unique<TMaskedReplacer>(Run.Text, search, replace, ClipEncodingCbx->currentIndex(), target);
    WriteLog([&] {
        Run.Log.Write("\r\n" + LogDateTime(std::time(nullptr)));
        Run.Log.Write(Utf8ToWin("Замена В Буфере Обмена"));
        Run.Log.Write(Utf8ToWin("Маска Поиска:") + search);
        Run.Log.Write(Utf8ToWin("Маска Замены:") + replace);
    });
    ReplaceCountEdt->setText(QStringLiteral("0"));
    Active->OnProgress = [this](TMaskedReplacer& r) { ClipboardProgress(r); };
}

void TMainFrm::ClipboardProgress(TMaskedReplacer& r)
{
    const TPos position = r.GetPosition();
    const TPos size = r.Size();
    const long long count = r.ReplaceCount();
    if (r.Finished()) {
        WriteLog([&] { Run.Log.Write(Utf8ToWin("Количество Замен:") + "\t" + std::to_string(count)); });
        // A stopped run reports 0 and its result is no text: it changes nothing.
        const bool stopped = r.Thread && r.Thread->Terminated();
        std::string result = stopped ? std::string() : r.Result();
        const int target = Run.Target;
        Dispatcher->Post([this, count, stopped, target, result = std::move(result)] {
            FilePBr->setValue(0);
            EntirePBr->setValue(0);
            ReplaceCountEdt->setText(QString::number(count));
            if (stopped)
                return;
            if (target != EncodingNone)
                ClipEncodingCbx->setCurrentIndex(target);
            ClipboardMmo->setPlainText(EngineTextToMemo(result));
            QApplication::clipboard()->setText(ClipboardMmo->toPlainText());
            ClipboardMmo->moveCursor(QTextCursor::Start);
        });
        return;
    }
    if (position == 0) {
        if (Run.Backup) {
            Backups.ClipboardBackup.Backup(ClipboardMmo, Run.Text, Run.Overwrite);
            Backups.EncodingBackup.Backup(ClipboardMmo, Run.Encodings[0], Run.Overwrite);
        }
        Dispatcher->Post([this, size] {
            const int maximum = static_cast<int>(std::min<TPos>(size, INT32_MAX));
            FilePBr->setRange(0, maximum);
            EntirePBr->setRange(0, maximum);
            FilePBr->setValue(0);
            EntirePBr->setValue(0);
        });
        return;
    }
    if (!ProgressDue())
        return;
    Dispatcher->Post([this, position, count] {
        FilePBr->setValue(static_cast<int>(std::min<TPos>(position, FilePBr->maximum())));
        EntirePBr->setValue(static_cast<int>(std::min<TPos>(position, EntirePBr->maximum())));
        ReplaceCountEdt->setText(QString::number(count));
    });
}

void TMainFrm::ReplacerDone(const std::exception_ptr& failure)
{
    Active.reset(); // the replacer is not used after its end
    SetIdle(true);
    const std::string message = FailureMessage(failure);
    if (Run.OverFiles && FileRun) {
        FileRun->EndStep(message);
        if (!FileRun->Messages().empty() && Run.LogError.empty())
            Run.LogError = FileRun->Messages().front();
    }
    if (!message.empty())
        ShowError(QString::fromUtf8(message.c_str())); // a failed run does not pass for a finished one
    else if (!Run.LogError.empty() && !(Run.Step > 0 && LogErrorTold)) {
        // Once per scenario: its steps share the log.
        LogErrorTold = true;
        ShowError(QString::fromUtf8(Run.LogError.c_str()));
    }
    if (OnRunEnded)
        OnRunEnded(!message.empty());
}

void TMainFrm::StopBtnClick()
{
    if (Active && Active->Thread)
        StopReplacerThread(*Active);
    FilePBr->setValue(0);
    EntirePBr->setValue(0);
}

// --- The clipboard page -------------------------------------------------------

void TMainFrm::RefreshBtnClick()
{
    const QString text = QApplication::clipboard()->text();
    if (!text.isNull() && !text.isEmpty())
        ClipboardMmo->setPlainText(text);
    ClipboardMmo->moveCursor(QTextCursor::Start);
    int page = Values.DefaultEncoding;
    if (Values.DetectEncoding)
        page = DetectEncoding(std::string_view(MemoToEngine(ClipboardMmo->toPlainText())).substr(0, DetectionLength));
    ClipEncodingCbx->setCurrentIndex(page);
}

void TMainFrm::CopyBtnClick()
{
    QApplication::clipboard()->setText(ClipboardMmo->toPlainText());
    ClipboardMmo->moveCursor(QTextCursor::Start);
}

void TMainFrm::TasksPgCChange(int page)
{
    if (page == 1)
        RefreshBtnClick();
}

} // namespace tekstovar
