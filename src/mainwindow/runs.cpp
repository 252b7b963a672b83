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

std::string DirectoryPart(const std::string& path)
{
    auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

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
    Run = TRunState{};
    Run.Names = ReNameRbt->isChecked();
    Run.Step = StepIndex();
    for (int i = 0; i < EntryCount(); ++i) {
        QTreeWidgetItem* item = Entry(i);
        Run.Paths.push_back(item->text(1).toStdString() + item->text(0).toStdString());
        Run.Encodings.push_back(item->text(2).toStdString());
        Run.Keys.push_back(item);
    }
    Paths = Run.Paths;
    Run.Backup = BackUpChk->isChecked() && Run.Step <= 0;
    Run.BackedUpOnly = BackUpChk->isChecked() && Run.Step > 0;
    Run.Overwrite = Values.OverwriteBackup;
    Run.Log = TRunLog(Values.Logging ? Values.LogFileName : std::string());
    Run.Target = target;
    if (Run.Names)
        Active = std::make_unique<TFileNameMaskedReplacer>(search, replace, Run.Paths, Run.Encodings, target);
    else
        Active = std::make_unique<TFileMaskedReplacer>(search, replace, Run.Paths, Run.Encodings, target);
    WriteLog([&] { Run.Log.Header(Run.Names, search, replace, std::time(nullptr)); });
    ClearCounts();
    if (Run.Step == 0)
        FilesLvw->setColumnCount(4); // the step columns of an earlier scenario go
    EntirePBr->setRange(0, 10 * EntryCount());
    EntirePBr->setValue(0);
    Active->OnProgress = [this](TMaskedReplacer& r) { FileProgress(r); };
}

void TMainFrm::FileProgress(TMaskedReplacer& replacer)
{
    auto& r = static_cast<TFileListReplacer&>(replacer);
    const std::size_t f = r.FileIndex();
    const TPos position = r.GetPosition();
    const TPos size = r.Size();
    const long long count = r.ReplaceCount();
    if (r.AtRunEnd()) {
        // Known now, on the worker: a stopped run is no finished step.
        const bool finished = r.Finished();
        const int step = Run.Step;
        Dispatcher->Post([this, finished, step] {
            FilePBr->setValue(0);
            EntirePBr->setValue(0);
            // A finished scenario step shows its counts in a column of its own.
            if (finished && Values.BatchReplacesTable && step >= 0) {
                const int column = FilesLvw->columnCount();
                FilesLvw->setColumnCount(column + 1);
                FilesLvw->headerItem()->setText(column, QStringLiteral("Шаг ") + QString::number(step + 1));
            }
        });
        return;
    }
    if (r.AtFileEnd()) {
        const std::string error = r.FileError();
        std::string newName;
        if (Run.Names)
            newName = static_cast<TFileNameMaskedReplacer&>(r).NewName();
        const std::string path = Run.Paths[f];
        if (!error.empty())
            WriteLog([&] { Run.Log.Write(PathToWin(path) + "\t" + Utf8ToWin(error)); });
        else if (Run.Names)
            WriteLog([&] { Run.Log.NameLine(path, newName, count); });
        else
            WriteLog([&] { Run.Log.ContentLine(path, count); });
        const int target = Run.Target;
        const bool names = Run.Names;
        Dispatcher->Post([=, this] {
            QTreeWidgetItem* item = Entry(static_cast<int>(f));
            if (!item)
                return;
            FilePBr->setValue(static_cast<int>(std::min<TPos>(size + 1, FilePBr->maximum())));
            EntirePBr->setValue(static_cast<int>(f + 1) * 10);
            if (!error.empty()) {
                item->setText(3, QString()); // left untouched: no count
                return;
            }
            if (target != EncodingNone)
                item->setText(2, QString::fromLatin1(EncodingNames[static_cast<std::size_t>(target)].data(), 3));
            item->setText(3, QString::number(count));
            if (names) {
                // The list and FilePaths follow each renamed file at once, so
                // a stop leaves them right too.
                item->setText(0, Q(newName));
                Paths[f] = DirectoryPart(Paths[f]) + newName;
            }
        });
        return;
    }
    if (position == 0) {
        if (Run.Backup) {
            // Before the engine reads on: a failure here leaves the file alone.
            if (Run.Names)
                NameBackup.Backup(Run.Keys[f], Run.Paths[f], Run.Overwrite);
            else
                ContentBackup.Backup(Run.Keys[f], Run.Paths[f], Run.Overwrite);
            EncodingBackup.Backup(Run.Keys[f], Run.Encodings[f], Run.Overwrite);
        } else if (Run.BackedUpOnly) {
            // Its backup failed in the first step, so it was left alone then.
            const TBackup& store = Run.Names ? static_cast<const TBackup&>(NameBackup) : ContentBackup;
            if (!store.Holds(Run.Keys[f]))
                throw TError("Нет Резервной Копии Файла: Файл Оставлен Без Изменений");
        }
        Dispatcher->Post([=, this] {
            FilePBr->setRange(0, static_cast<int>(std::min<TPos>(size + 1, INT32_MAX)));
            FilePBr->setValue(0);
        });
        return;
    }
    if (!ProgressDue())
        return;
    Dispatcher->Post([=, this] {
        FilePBr->setValue(static_cast<int>(std::min<TPos>(position, FilePBr->maximum())));
        if (size > 0)
            EntirePBr->setValue(static_cast<int>(position * 10 / size + static_cast<TPos>(f) * 10));
        if (QTreeWidgetItem* item = Entry(static_cast<int>(f)))
            item->setText(3, QString::number(count));
    });
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
            ClipboardBackup.Backup(ClipboardMmo, Run.Text, Run.Overwrite);
            EncodingBackup.Backup(ClipboardMmo, Run.Encodings[0], Run.Overwrite);
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
