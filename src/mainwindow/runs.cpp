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
#include "engine/maskcheck.h"
#include "engine/replacerthread.h"
#include "filerun/unifieddiff.h"
#include "mainwindow/listview.h"
#include "mainwindow/mainfrm.h"
#include "mainwindow/mainfrmui.h"
#include "mainwindow/maskboxes.h"
#include "mainwindow/previewfrm.h"
#include "platform/dialogs.h"
#include "platform/pathparts.h"
#include "platform/qstrings.h"
#include "platform/qtdispatcher.h"
#include "platform/winunicode.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QRadioButton>
#include <QTabWidget>

#include <ctime>

namespace tekstovar {

namespace {

constexpr auto ProgressInterval = std::chrono::milliseconds(40);

// The worker asks for the time at every progress notification of the
// engine (each 500 bytes): the coarse clock costs next to nothing where a
// precise reading can cost a tenth of a microsecond, and its grain of a few
// milliseconds is nothing beside the interval. It counts from the same
// start as steady_clock.
std::chrono::steady_clock::time_point CoarseNow()
{
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
    return std::chrono::steady_clock::time_point(std::chrono::duration_cast<std::chrono::steady_clock::duration>(
        std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec)));
}

// The memo holds LF line breaks; the engine sees the text as a Windows
// clipboard holds it, with CR LF, in WIN bytes.
QString WithCrLf(const QString& text)
{
    QString crlf = text;
    crlf.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\n', QStringLiteral("\r\n"));
    return crlf;
}

std::string MemoToEngine(const QString& text) { return QStringToWin(WithCrLf(text)); }

// The memo as a UTF-8 text, with the same line breaks.
std::string MemoToUtf8(const QString& text) { return QStringToUtf8(WithCrLf(text)); }

// A question naming the characters of the clipboard text that WIN lacks (a
// run turns them into '?') and where the first of them is.
QString LackingCharsQuestion(const QString& text, QString lacking)
{
    constexpr qsizetype MaxNamed = 20;
    const char32_t first = lacking.toUcs4().front();
    int line = 1;
    int column = 1;
    for (char32_t c : text.toUcs4()) {
        if (c == first)
            break;
        if (c == U'\n') {
            ++line;
            column = 1;
        } else {
            ++column;
        }
    }
    if (lacking.size() > MaxNamed)
        lacking = lacking.left(MaxNamed) + QStringLiteral("…");
    return QStringLiteral("В Тексте Есть Символы, Которых Нет В WIN: «%1» (Первый: Строка %2, Позиция %3). "
                          "Замена Превратит Их В «?». Заменить?")
        .arg(lacking)
        .arg(line)
        .arg(column);
}

// The clipboard run's replacer knows when its result is whole. The engine
// notifies the end once more when a step ends the text on a multiple of 500,
// before the text is finished; a stop between that and the end proper must
// not pass for a text that was never finished, nor the other way round.
class TClipboardReplacer : public TMaskedReplacer {
public:
    using TMaskedReplacer::TMaskedReplacer;
    bool Start() override
    {
        const bool started = TMaskedReplacer::Start();
        Whole = !started; // nothing to do: the result is the text
        return started;
    }
    void FinishText() override
    {
        TMaskedReplacer::FinishText();
        Whole = true;
    }
    bool Whole = false; // on the worker
};

} // namespace

QString EngineTextToMemo(const std::string& win) { return Utf8TextToMemo(WinToUtf8(win)); }

QString Utf8TextToMemo(const std::string& utf8)
{
    QString text = Utf8ToQString(utf8);
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
    const auto now = CoarseNow();
    if (now - Run.LastProgress < ProgressInterval)
        return false;
    Run.LastProgress = now;
    return true;
}

void TMainFrm::ResetProgress()
{
    Ui->FilePBr->setValue(0);
    Ui->EntirePBr->setValue(0);
}

int TMainFrm::StepIndex() const { return Follower ? Follower->StepIndex() : -1; }

void TMainFrm::GoBtnClick()
{
    if (!IdleValue)
        return;
    if (Ui->TasksPgC->currentIndex() == FilesPage && List.Empty()) {
        SayRefused(QStringLiteral("Список Файлов Пуст: Заменять Не В Чем"));
        return;
    }
    if (MaskBoxes)
        MaskBoxes->PutPairOnTop();
    const std::string search = QStringToWin(Ui->MaskCbx->currentText());
    const std::string replace = QStringToWin(Ui->ReplaceCbx->currentText());
    // A fault the engine would only leave in the text is asked about before
    // anything is written; a mask that cannot be read at all is told by the
    // run itself.
    std::string fault;
    try {
        fault = MaskPairFault(search, replace);
    } catch (const TError&) {
    }
    if (!fault.empty() &&
        !Dialogs.Confirm(
            this, QStringLiteral("Текстовар"), Utf8ToQString(MaskFaultQuestion(search, replace, fault)), false))
        return;
    StartRun(search, replace);
}

bool TMainFrm::StartStep(const std::string& search, const std::string& replace)
{
    if (MaskBoxes)
        MaskBoxes->ShowPair(search, replace);
    return StartRun(search, replace);
}

bool TMainFrm::StartRun(const std::string& search, const std::string& replace)
{
    if (!IdleValue)
        return false;
    const int target = Ui->ReCodeChk->isChecked() ? Ui->EncodingCbx->currentIndex() : EncodingNone;
    // A UTF-8 text is refused whole by the run itself, naming the character.
    if (Ui->TasksPgC->currentIndex() == ClipboardPage && StepIndex() <= 0 &&
        Ui->ClipEncodingCbx->currentIndex() != EncodingUtf) {
        const QString text = Ui->ClipboardMmo->toPlainText();
        const QString lacking = CharsWinLacks(text);
        if (!lacking.isEmpty() &&
            !Dialogs.Confirm(this, QStringLiteral("Текстовар"), LackingCharsQuestion(text, lacking), false))
            return false;
    }
    try {
        if (Ui->TasksPgC->currentIndex() == ClipboardPage)
            StartClipboardRun(search, replace, target);
        else
            StartFileRun(search, replace, target);
    } catch (const TError& e) {
        Active.reset();
        ShowError(Utf8ToQString(e.what()));
        return false;
    }
    if (StepIndex() <= 0)
        LogErrorTold = false;
    ShowSummary(QString()); // what an earlier command did is no longer the news
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
        for (std::size_t i = 0; i < List.Size(); ++i)
            files.push_back({List[i].Path, List.ColumnText(i, EncodingColumn), List.Key(i)});
        if (PreviewWindow)
            PreviewWindow->Forget(); // its diffs come from the run that goes now
        FileRun.reset();
        if (!FileRunView)
            FileRunView = std::make_unique<TFileRunView>(*this);
        FileRun = std::make_unique<TFileRun>(std::move(files),
            TFileRunOptions{.Names = Ui->ReNameRbt->isChecked(),
                .Target = target,
                .Backup = Ui->BackUpChk->isChecked(),
                .OverwriteBackup = Values.OverwriteBackup,
                .BackupRoot = GetBackupRoot(),
                .FixedBackupPaths = false,
                .LogFile = Values.Logging ? Values.LogFileName : std::string(),
                .DryRun = PreviewAsked},
            Backups, FileRunView.get());
    }
    Run = TRunState{};
    Run.OverFiles = true;
    Run.DryRun = FileRun->Options().DryRun;
    Run.Names = FileRun->Options().Names;
    Run.Step = step;
    Run.Paths = FileRun->Paths();
    Run.Encodings = FileRun->Encodings();
    Active = FileRun->BeginStep({search, replace});
    List.ClearCounts();
    if (Run.Step == 0)
        SetStepColumns(0); // the step columns of an earlier scenario go
    ShowList();
    Ui->EntirePBr->setRange(0, std::max(1, 10 * EntryCount())); // never 0..0: Qt's busy animation
    Ui->EntirePBr->setValue(0);
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
    Ui->FilePBr->setRange(0, static_cast<int>(std::min<TPos>(size + 1, INT32_MAX)));
    Ui->FilePBr->setValue(0);
}

void TMainFrm::FileRunProgress(std::size_t file, TPos position, TPos size, long long count)
{
    Ui->FilePBr->setValue(static_cast<int>(std::min<TPos>(position, Ui->FilePBr->maximum())));
    if (size > 0)
        Ui->EntirePBr->setValue(static_cast<int>(position * 10 / size + static_cast<TPos>(file) * 10));
    if (file < List.Size()) {
        List[file].Count = std::to_string(count);
        ShowEntry(file);
    }
}

void TMainFrm::FileRunFileDone(std::size_t file, const TFileOutcome& outcome)
{
    if (file >= List.Size())
        return;
    Ui->FilePBr->setValue(Ui->FilePBr->maximum());
    Ui->EntirePBr->setValue(static_cast<int>(file + 1) * 10);
    TFileEntry& entry = List[file];
    entry.Reason = outcome.Error;
    if (outcome.Stopped)
        entry.Count = "0"; // the stop fell inside it: it counts nothing
    else if (!outcome.Error.empty() && outcome.StepCount == 0 && !outcome.Changed)
        entry.Count.clear(); // left untouched: no count, shown as failed with its reason
    else if (Run.DryRun) {
        entry.Count = std::to_string(outcome.StepCount); // the file, its page and name stay
    } else {
        entry.Encoding = EncodingByName(outcome.Encoding);
        entry.Count = std::to_string(outcome.StepCount);
        // The list follows each renamed file at once, so a stop leaves it
        // right too.
        if (Run.Names)
            entry.Path = outcome.Current;
    }
    ShowEntry(file);
}

void TMainFrm::FileRunStepDone(bool finished, int step)
{
    ResetProgress();
    // A finished scenario step shows its counts in a column of its own.
    if (finished && Values.BatchReplacesTable && step >= 0)
        SetStepColumns(StepColumns + 1);
}

void TMainFrm::SetStepColumns(int steps)
{
    StepColumns = steps;
    Ui->FilesLvw->setColumnCount(FirstStepColumn + steps);
    for (int k = 0; k < steps; ++k)
        Ui->FilesLvw->headerItem()->setText(FirstStepColumn + k, QStringLiteral("Шаг ") + QString::number(k + 1));
    ShowList();
}

// --- A scenario's counts ------------------------------------------------------

TStepTarget TMainFrm::ShownTarget() const
{
    return Ui->TasksPgC->currentIndex() == ClipboardPage ? TStepTarget::Clipboard : TStepTarget::Files;
}

void TMainFrm::ClearStepCounts()
{
    Ui->ReplaceCountEdt->setText(QString());
    List.ClearCounts();
    List.ClearStepCounts();
    // Their columns go with them, whichever target this run has.
    SetStepColumns(0);
}

void TMainFrm::KeepStepCounts(int step)
{
    for (std::size_t i = 0; i < List.Size(); ++i) {
        std::vector<std::string>& counts = List[i].StepCounts;
        counts.resize(static_cast<std::size_t>(step) + 1);
        counts.back() = List[i].Count;
    }
    ShowList();
}

void TMainFrm::ShowStepCounts(int step)
{
    for (std::size_t i = 0; i < List.Size(); ++i) {
        const std::vector<std::string>& counts = List[i].StepCounts;
        if (static_cast<std::size_t>(step) >= counts.size())
            break; // no such step for this entry: what is done stays
        List[i].Count = counts[static_cast<std::size_t>(step)];
        ShowEntry(i);
    }
}

void TMainFrm::DropStepColumnsFrom(int steps)
{
    if (StepColumns > steps)
        SetStepColumns(steps);
}

std::string TMainFrm::ClipboardCount() const { return Ui->ReplaceCountEdt->text().toStdString(); }

void TMainFrm::ShowClipboardCount(const std::string& count) { Ui->ReplaceCountEdt->setText(Utf8ToQString(count)); }

void TMainFrm::StartClipboardRun(const std::string& search, const std::string& replace, int target)
{
    Run = TRunState{};
    const int page = Ui->ClipEncodingCbx->currentIndex();
    const QString memo = Ui->ClipboardMmo->toPlainText();
    // A UTF-8 text is the memo's own characters; a byte page's are the
    // memo's WIN bytes. A text the engine's page cannot hold throws here,
    // before anything changed.
    Run.Paged = ToEngine(page == EncodingUtf ? MemoToUtf8(memo) : MemoToEngine(memo), page, target);
    Run.Text = std::move(Run.Paged.Bytes);
    // The backup is the text itself, whatever WIN could not hold of it.
    Run.Original = QStringToUtf8(memo);
    Run.Step = StepIndex();
    Run.Encodings = {Ui->ClipEncodingCbx->currentText().toStdString()};
    Run.Backup = Ui->BackUpChk->isChecked() && Run.Step <= 0;
    Run.Overwrite = Values.OverwriteBackup;
    Run.Log = TRunLog(Values.Logging ? Values.LogFileName : std::string());
    Run.Target = target;
    Active =
        std::make_unique<TClipboardReplacer>(Run.Text, search, replace, Run.Paged.EnginePage, Run.Paged.EngineTarget);
    WriteLog([&] {
        Run.Log.Write("\r\n" + LogDateTime(std::time(nullptr)));
        Run.Log.Write(Utf8ToWin("Замена В Буфере Обмена"));
        Run.Log.Write(Utf8ToWin("Маска Поиска:") + search);
        Run.Log.Write(Utf8ToWin("Маска Замены:") + replace);
    });
    Ui->ReplaceCountEdt->setText(QStringLiteral("0"));
    Active->OnProgress = [this](TMaskedReplacer& r) { ClipboardProgress(r); };
}

void TMainFrm::ClipboardProgress(TMaskedReplacer& r)
{
    const TPos position = r.GetPosition();
    const TPos size = r.Size();
    const long long count = r.ReplaceCount();
    if (r.Finished()) {
        // Only the end of a whole text shows its result and count, with the
        // two together; a text a stop cut short leaves both to the end handler.
        if (!static_cast<TClipboardReplacer&>(r).Whole)
            return;
        WriteLog([&] { Run.Log.Write(Utf8ToWin("Количество Замен:") + "\t" + std::to_string(count)); });
        Dispatcher->Post([this, count, target = Run.Target, result = FromEngine(r.Result(), Run.Paged),
                             utf8 = Run.Paged.OutPage == EncodingUtf] {
            Run.EndShown = true;
            ResetProgress();
            Ui->ReplaceCountEdt->setText(QString::number(count));
            if (target != EncodingNone)
                Ui->ClipEncodingCbx->setCurrentIndex(target);
            Ui->ClipboardMmo->setPlainText(utf8 ? Utf8TextToMemo(result) : EngineTextToMemo(result));
            PutOnClipboard(Ui->ClipboardMmo->toPlainText());
            Ui->ClipboardMmo->moveCursor(QTextCursor::Start);
        });
        return;
    }
    if (position == 0) {
        if (Run.Backup) {
            Backups.ClipboardBackup.Backup(Ui->ClipboardMmo, Run.Original, Run.Overwrite);
            Backups.EncodingBackup.Backup(Ui->ClipboardMmo, Run.Encodings[0], Run.Overwrite);
        }
        Dispatcher->Post([this, size] {
            const int maximum = static_cast<int>(std::clamp<TPos>(size, 1, INT32_MAX)); // an empty text too
            Ui->FilePBr->setRange(0, maximum);
            Ui->EntirePBr->setRange(0, maximum);
            Ui->FilePBr->setValue(0);
            Ui->EntirePBr->setValue(0);
        });
        return;
    }
    if (!ProgressDue())
        return;
    Dispatcher->Post([this, position, count] {
        Ui->FilePBr->setValue(static_cast<int>(std::min<TPos>(position, Ui->FilePBr->maximum())));
        Ui->EntirePBr->setValue(static_cast<int>(std::min<TPos>(position, Ui->EntirePBr->maximum())));
        Ui->ReplaceCountEdt->setText(QString::number(count));
    });
}

void TMainFrm::ClipboardRunEnded(bool failed)
{
    if (Run.EndShown) {
        ShowSummary(QStringLiteral("Замен: ") + Ui->ReplaceCountEdt->text());
        return;
    }
    // Stopped before its text was whole, or failed: the memo keeps its text
    // and nothing was replaced in it.
    ResetProgress();
    Ui->ReplaceCountEdt->setText(QStringLiteral("0"));
    if (failed) {
        ShowSummary(QStringLiteral("Замена Не Закончена: Текст Оставлен Как Есть"));
        return;
    }
    WriteLog([&] { Run.Log.Write(Utf8ToWin("Количество Замен:") + "\t0"); });
    ShowSummary(QStringLiteral("Остановлено. Замен: 0"));
}

void TMainFrm::ReplacerDone(const std::exception_ptr& failure)
{
    // A fault the engine met on the way (the run went on past it) is told
    // with the summary.
    const QString engineError = Active ? Utf8ToQString(Active->ErrorText()) : QString();
    Active.reset(); // the replacer is not used after its end
    SetIdle(true);
    const std::string message = FailureMessage(failure);
    if (Run.OverFiles && FileRun) {
        FileRun->EndStep(message);
        if (!FileRun->Messages().empty() && Run.LogError.empty())
            Run.LogError = FileRun->Messages().front();
        ShowRunSummary();
    } else
        ClipboardRunEnded(!message.empty());
    if (!engineError.isEmpty())
        Ui->SummaryLbl->setText(Ui->SummaryLbl->text() + QStringLiteral(". ") + engineError);
    if (!message.empty())
        ShowError(Utf8ToQString(message)); // a failed run does not pass for a finished one
    else if (!Run.LogError.empty() && !(Run.Step > 0 && LogErrorTold)) {
        // Once per scenario: its steps share the log.
        LogErrorTold = true;
        ShowError(Utf8ToQString(Run.LogError));
    }
    if (Follower)
        Follower->RunEnded(!message.empty());
}

void TMainFrm::ShowRunSummary()
{
    long long changed = 0;
    int skipped = 0;
    QString list;
    for (const TFileOutcome& f : FileRun->Outcomes()) {
        changed += f.Changed ? 1 : 0;
        if (!f.Error.empty()) {
            ++skipped;
            list += u'\n' + FailureLine(f.Current, f.Error);
        }
    }
    const QString line = QStringLiteral("Файлов: %1, Изменено: %2, Замен: %3, Пропущено: %4")
                             .arg(FileRun->Outcomes().size())
                             .arg(changed)
                             .arg(FileRun->Total())
                             .arg(skipped);
    if (Run.DryRun) {
        ShowSummary(QStringLiteral("Просмотр, Ничего Не Записано. ") +
                (Run.StopAsked ? QStringLiteral("Остановлено. ") : QString()) +
                QStringLiteral("Файлов: %1, Изменятся: %2, Замен: %3, Пропущено: %4")
                    .arg(FileRun->Outcomes().size())
                    .arg(changed)
                    .arg(FileRun->Total())
                    .arg(skipped),
            skipped == 0 ? QString() : QStringLiteral("Файлы, Которые Замена Оставит Как Есть:") + list);
        ShowPreview();
        return;
    }
    ShowSummary((Run.StopAsked ? QStringLiteral("Остановлено. ") : QString()) + line,
        skipped == 0 ? QString() : QStringLiteral("Пропущенные Файлы (Оставлены Как Есть):") + list);
}

void TMainFrm::PreviewBtnClick()
{
    if (!IdleValue)
        return;
    if (Ui->TasksPgC->currentIndex() != FilesPage) {
        SayRefused(QStringLiteral("Просмотр Показывает Замены В Файлах Списка"));
        return;
    }
    if (List.Empty()) {
        SayRefused(QStringLiteral("Список Файлов Пуст: Смотреть Нечего"));
        return;
    }
    PreviewAsked = true;
    StartRun(QStringToWin(Ui->MaskCbx->currentText()), QStringToWin(Ui->ReplaceCbx->currentText()));
    PreviewAsked = false;
}

void TMainFrm::ShowPreview()
{
    if (!PreviewWindow)
        PreviewWindow = std::make_unique<TPreviewFrm>(this);
    const TPreviewStore& preview = FileRun->Preview();
    std::vector<TPreviewItem> items;
    const std::vector<TFileOutcome>& files = FileRun->Outcomes();
    for (std::size_t i = 0; i < files.size(); ++i) {
        const TFileOutcome& f = files[i];
        if (!f.Error.empty()) {
            items.push_back({.Title = FailureLine(f.Path, f.Error), .Refused = true});
            continue;
        }
        if (!f.Changed)
            continue;
        if (Run.Names) {
            items.push_back({.Title = Utf8ToQString(f.Path) + QStringLiteral(" → ") + Utf8ToQString(f.NewName)});
            continue;
        }
        const std::string& work = FileRun->Work(i);
        const auto before = preview.Before.find(work);
        const auto after = preview.After.find(work);
        if (before == preview.Before.end() || after == preview.After.end())
            continue;
        // The store lives as long as this run: a new run forgets the items.
        items.push_back({.Title = QStringLiteral("%1: %2").arg(Utf8ToQString(NamePart(f.Path))).arg(f.Count),
            .MakeDiff = [path = f.Path, &before = before->second, &after = after->second,
                            from = EncodingByName(FileRun->FirstEncoding(i)), to = EncodingByName(f.Encoding)] {
                return Utf8ToQString(UnifiedDiff(path, before, from, after, to));
            }});
    }
    PreviewWindow->ShowItems(std::move(items), Ui->SummaryLbl->text());
}

void TMainFrm::StopBtnClick()
{
    if (Active && Active->Thread) {
        Run.StopAsked = true;
        StopReplacerThread(*Active);
    }
    ResetProgress();
}

// --- The clipboard page -------------------------------------------------------

void TMainFrm::PutOnClipboard(const QString& text)
{
    QApplication::clipboard()->setText(text);
    LastFetched = text;
}

void TMainFrm::RefreshBtnClick()
{
    const QString text = QApplication::clipboard()->text();
    LastFetched = text;
    ClipboardFetched = true;
    if (!text.isNull() && !text.isEmpty())
        Ui->ClipboardMmo->setPlainText(text);
    Ui->ClipboardMmo->moveCursor(QTextCursor::Start);
    int page = Values.DefaultEncoding;
    if (Values.DetectEncoding)
        // The memo holds characters, not bytes: which byte page its WIN
        // bytes stand for is the question here.
        page =
            DetectBytePage(std::string_view(MemoToEngine(Ui->ClipboardMmo->toPlainText())).substr(0, DetectionLength));
    Ui->ClipEncodingCbx->setCurrentIndex(page);
}

void TMainFrm::CopyBtnClick()
{
    PutOnClipboard(Ui->ClipboardMmo->toPlainText());
    Ui->ClipboardMmo->moveCursor(QTextCursor::Start);
}

void TMainFrm::TasksPgCChange(int page)
{
    // What the user typed into the memo stays unless the clipboard has
    // something new since it was last fetched.
    if (page == ClipboardPage && (!ClipboardFetched || QApplication::clipboard()->text() != LastFetched))
        RefreshBtnClick();
}

} // namespace tekstovar
