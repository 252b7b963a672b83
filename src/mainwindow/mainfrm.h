#pragma once

#include "encodings/pagedtext.h"
#include "engine/position.h"
#include "filerun/filerun.h"
#include "filerun/runbackups.h"
#include "filerun/runlog.h"
#include "mainwindow/filelistmodel.h"
#include "settings/settings.h"
#include "windowlinks/settingshost.h"
#include "windowlinks/steprunner.h"

#include <QMainWindow>
#include <QPointer>

#include <chrono>
#include <exception>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace tekstovar {

class TDialogs;
class TDispatcher;
class TMaskedReplacer;
class TMaskPairBoxes;
class TFileMaskFrm;
class TAboutFrm;
class THelpFrm;
class TToolWindow;
class TViewFrm;
class TMaskBoxes;
class TPreviewFrm;
struct TMainFrmUi;

// The clipboard text as the memo shows it: Unicode, LF line breaks.
QString EngineTextToMemo(const std::string& win);
QString Utf8TextToMemo(const std::string& utf8);

// The other windows the main window opens or follows; they are created after
// it, so they are handed over once they exist.
struct TMainFrmPeers {
    TFileMaskFrm* FileMaskFrm = nullptr;
    TAboutFrm* AboutFrm = nullptr;
    THelpFrm* HelpFrm = nullptr;
    // The scenario and library windows: shown and hidden by their tool
    // buttons, their places kept in the settings.
    TToolWindow* BatchFrm = nullptr;
    TToolWindow* LibFrm = nullptr;
    // Opens the settings dialog and applies what it took.
    std::function<void()> OpenSetup;
};

// The main window: the file list with its commands, the clipboard page, the
// mask boxes and the run controls; it owns the settings in memory and the
// backup stores, and locks its commands while a run is in progress. Other
// windows reach it through the step runner, the settings host and the mask
// pair of its boxes.
class TMainFrm : public QMainWindow, public TStepRunner, public TSettingsHost {
    Q_OBJECT
public:
    // programDir holds QZ.Ini and QZ.QZL (ends with "/").
    TMainFrm(TDialogs& dialogs, std::string programDir, QWidget* parent = nullptr);
    ~TMainFrm() override;

    // The multi-line editor behind the mask boxes' view buttons; the boxes
    // work from then on.
    void UseMaskEditor(TViewFrm& viewFrm);
    void SetPeers(TMainFrmPeers peers);
    // The mask boxes as the scenario and library windows use them.
    TMaskPairBoxes& MaskPair();

    // The file list (UTF-8 paths).
    void AddFile(const std::string& path, int encoding);
    void AddDirectory(const std::string& directory);
    // Files and directories at once, as one command (the program's command
    // line): what cannot be read is told in one message.
    void AddPaths(const std::vector<std::string>& paths);
    // Writes the entries that read back as themselves; the others are named
    // in one message. A write failure throws TError.
    void SaveFileList(const std::string& listPath);
    // The list becomes the file's entries; a file that cannot be read
    // leaves it as it was. A damaged file throws TError once every entry it
    // holds was added.
    void LoadFileList(const std::string& listPath);
    std::vector<std::string> FilePaths() const { return List.Paths(); }
    int EntryCount() const { return static_cast<int>(List.Size()); }

    bool Idle() const override { return IdleValue; }
    void SetIdle(bool idle);

    TSettings& Settings() { return Values; }
    const TSettings& Settings() const override { return Values; }
    void SaveSettings() override;
    void ApplySettings(const TSettings& dialog, const std::string& historyLengthText) override;
    void SetBackupRoot(const std::string& root);
    std::string GetBackupRoot() const override;

    // A run on the page shown with the pair in the mask boxes.
    void GoBtnClick();
    // The masks over the list without writing anything: counts in the list,
    // the changes in the preview window.
    void PreviewBtnClick();
    // The step of a scenario run, -1 outside one.
    int StepIndex() const;
    TMaskedReplacer* ActiveReplacer() const { return Active.get(); }
    // Where the worker's calls into the window go; Qt's event queue unless a
    // test gives its own queue.
    void UseDispatcher(std::unique_ptr<TDispatcher> dispatcher);

    // A scenario's steps.
    TStepTarget ShownTarget() const override;
    void FollowSteps(TStepFollower* follower) override { Follower = follower; }
    void LockForSteps(bool lock) override;
    void ClearStepCounts() override;
    bool StartStep(const std::string& search, const std::string& replace) override;
    void StopStep() override { StopBtnClick(); }
    void PreviewSteps(bool preview) override { PreviewAsked = preview; }
    TMaskedReplacer* StepReplacer() const override { return Active.get(); }
    const std::vector<std::string>& StepPaths() const override { return Run.Paths; }
    const std::vector<std::string>& StepEncodings() const override { return Run.Encodings; }
    void KeepStepCounts(int step) override;
    void ShowStepCounts(int step) override;
    void DropStepColumnsFrom(int steps) override;
    std::string ClipboardCount() const override;
    void ShowClipboardCount(const std::string& count) override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void ConnectControls();
    void LoadAtStart();
    static TDesktop DesktopOfScreens();
    std::string AutoListPath() const;
    bool IsAutoList(const std::string& listPath) const;
    void ApplySettingsToControls();
    void CollectSettingsFromControls();

    // Commands.
    void AddBtnClick();
    void N9Click();
    void DelBtnClick();
    void ClearBtnClick();
    void OpenBtnClick();
    void SaveBtnClick();
    void N14Click();
    void N5Click();
    void WIN1Click(int encoding);
    void ExtMnuClick();
    void FilesLvwColumnClick(int column);
    void FilesDropped(const QStringList& paths);
    void SetupBtnClick();
    void HelpBtnClick();
    void AboutBtnClick();
    void ReCodeChkClick();
    void StopBtnClick();
    void RestoreBtnClick();
    void EraseBtnClick();
    void RefreshBtnClick();
    void CopyBtnClick();
    void TasksPgCChange(int page);
    void PutOnClipboard(const QString& text);
    // Runs the command, showing a TError it throws.
    void Guarded(const std::function<void()>& command);

    // The list view shows the model: a row is written from its entry.
    void ShowEntry(std::size_t index);
    void ShowList();
    void AddRow(std::size_t index);
    // Adding reports once the directories it could not read and the files
    // it could not read for detection.
    void BeginAdding();
    void EndAdding();
    void AddFileChecked(const std::string& path, int encoding);
    void AddDirectoryChecked(const std::string& directory);
    void RemoveEntry(std::size_t index);
    void UpdateFileCount();
    std::vector<std::size_t> SelectedEntries() const;
    // While a run is in progress the list must not change: a list command
    // is refused, the status line saying why.
    bool ListLocked();
    void SayRefused(const QString& why);
    std::vector<std::string> FileMasks() const;
    void ShowError(const QString& text);
    // One message for the entries whose backup could not be put back; empty
    // when there are none.
    static QString RestoreFailures(const std::vector<std::string>& failures);
    void ClearRunColumns();
    void SetStepColumns(int steps);
    // The status line: a summary replaces the last one and the list of the
    // files it left (empty: no button for it).
    void ShowSummary(const QString& line, const QString& failures = {});
    void ShowRunSummary();
    // "PATH: REASON", the path left out when the reason names it already.
    static QString FailureLine(const std::string& path, const std::string& reason);
    void FailuresBtnClick();

    // What a run reads: copied when it starts, so the worker never reads a
    // widget, and kept until its end handler has run.
    struct TRunState {
        bool OverFiles = false; // the file list, not the clipboard text
        bool Names = false;
        std::vector<std::string> Paths;
        std::vector<std::string> Encodings;
        bool Backup = false;
        bool Overwrite = false;
        TRunLog Log{""};
        int Target = -1;
        TPagedText Paged; // how the clipboard text goes through the engine
        std::string Text; // the clipboard run's text, in the engine's page
        std::string Original; // the clipboard memo's text before the run (UTF-8)
        int Step = -1; // the scenario step this run is, -1 outside one
        bool StopAsked = false;
        bool EndShown = false; // the clipboard run's whole result is in the memo
        bool DryRun = false; // a preview: nothing on disk changes
        std::string LogError; // the first log write that failed (UTF-8)
        std::chrono::steady_clock::time_point LastProgress;
    };
    // Shows a file run's events: on the worker it only posts them here.
    class TFileRunView : public TFileRunEvents {
    public:
        explicit TFileRunView(TMainFrm& main) : Main(main) { }
        void FileStarted(std::size_t file, TPos size) override;
        void FileProgress(std::size_t file, TPos position, TPos size, long long count) override;
        void FileDone(std::size_t file, const TFileOutcome& outcome) override;
        void StepDone(int step, bool finished) override;

    private:
        TMainFrm& Main;
    };
    friend class TFileRunView;
    bool StartRun(const std::string& search, const std::string& replace);
    void StartFileRun(const std::string& search, const std::string& replace, int target);
    void StartClipboardRun(const std::string& search, const std::string& replace, int target);
    // A file run's events, shown on the UI thread.
    void FileRunFileStarted(std::size_t file, TPos size);
    void FileRunProgress(std::size_t file, TPos position, TPos size, long long count);
    void FileRunFileDone(std::size_t file, const TFileOutcome& outcome);
    void FileRunStepDone(bool finished, int step);
    void ClipboardProgress(TMaskedReplacer& replacer);
    // Intermediate progress goes to the window a few times a second at most.
    bool ProgressDue();
    void ReplacerDone(const std::exception_ptr& failure);
    void ClipboardRunEnded(bool failed);
    void WriteLog(const std::function<void()>& write);
    void ResetProgress();

    TDialogs& Dialogs;
    std::string ProgramDir;
    std::unique_ptr<TMainFrmUi> Ui;
    TSettings Values;
    TMainFrmPeers Peers;
    TStepFollower* Follower = nullptr;
    TFileListModel List;
    // The backups of the runs: file contents, names, their code pages and
    // the clipboard text, keyed by list entry or memo.
    TRunBackups Backups;
    bool IdleValue = true;
    bool LogErrorTold = false; // a scenario's log failure is shown once
    std::vector<std::string> DetectionFailures;
    std::vector<std::string> DirectoryFailures; // directories that could not be read
    // What the status line's button lists: the files the last command left.
    QString FailureList;
    std::unique_ptr<TDispatcher> Dispatcher;
    std::unique_ptr<TMaskedReplacer> Active;
    // The run over the file list: one per run, kept through a scenario's
    // steps so that each file is backed up before its first change.
    std::unique_ptr<TFileRunView> FileRunView;
    std::unique_ptr<TFileRun> FileRun;
    bool PreviewAsked = false; // the next file run is a preview
    std::unique_ptr<TPreviewFrm> PreviewWindow;
    void ShowPreview();
    std::unique_ptr<TMaskBoxes> MaskBoxes;
    TRunState Run;
    int AddingDepth = 0;
    // Sort state of the file list: +-(column + 1), -1 at first.
    int SortTag = -1;
    // The step columns shown after the list's own.
    int StepColumns = 0;
    // The main window's own controls a scenario disabled, to enable again.
    std::vector<QPointer<QWidget>> LockedBySteps;
    // The automatic list could not be read whole. Writing it at exit would
    // put the part that loaded, and whatever the user did to it since, over
    // entries the file still holds; telling the user's own changes from the
    // damage is not possible, so the file stays as it is until the user
    // saves a list over it or it loads whole.
    bool KeepAutoList = false;
    // The settings file exists but could not be read: it is not written
    // over at exit.
    bool SettingsUnread = false;
    // The clipboard's text when the memo last took it or gave it.
    QString LastFetched;
    bool ClipboardFetched = false;
    // Settings the file could not hold, already told.
    std::set<std::string> LeftOutTold;
};

} // namespace tekstovar
