#pragma once

#include "engine/position.h"
#include "filerun/filerun.h"
#include "filerun/runbackups.h"
#include "filerun/runlog.h"
#include "settings/settings.h"

#include <QMainWindow>

#include <chrono>
#include <exception>
#include <functional>
#include <memory>

#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QToolButton;
class QTreeWidgetItem;

namespace tekstovar {

class TDialogs;
class TDispatcher;
class TListView;
class TMaskedReplacer;
class TFileMaskFrm;
class TAboutFrm;
class THelpFrm;
class TBatchFrm;
class TLibFrm;
class TSetupFrm;
class TViewFrm;
class TMaskBoxes;

// The clipboard text as the memo shows it: Unicode, LF line breaks.
QString EngineTextToMemo(const std::string& win);

// The other windows the main window opens or follows; they are created after
// it, so they are handed over once they exist.
struct TMainFrmPeers {
    TFileMaskFrm* FileMaskFrm = nullptr;
    TAboutFrm* AboutFrm = nullptr;
    THelpFrm* HelpFrm = nullptr;
    TBatchFrm* BatchFrm = nullptr;
    TLibFrm* LibFrm = nullptr;
    TSetupFrm* SetupFrm = nullptr;
    TViewFrm* ViewFrm = nullptr;
};

// The main window: the file list with its commands, the clipboard page, the
// mask boxes and the run controls; it owns the settings in memory and the
// backup stores, and locks its commands while a run is in progress.
class TMainFrm : public QMainWindow {
    Q_OBJECT
public:
    // programDir holds QZ.Ini and QZ.QZL (ends with "/").
    TMainFrm(TDialogs& dialogs, std::string programDir, QWidget* parent = nullptr);
    ~TMainFrm() override;

    void SetPeers(const TMainFrmPeers& peers);

    // The file list (UTF-8 paths).
    void AddFile(const std::string& path, int encoding);
    void AddDirectory(const std::string& directory);
    // Writes the entries that read back as themselves; the others are named
    // in one message. A write failure throws TError.
    void SaveFileList(const std::string& listPath);
    // The list becomes the file's entries; a file that cannot be read
    // leaves it as it was. A damaged file throws TError once every entry it
    // holds was added.
    void LoadFileList(const std::string& listPath);
    const std::vector<std::string>& FilePaths() const { return Paths; }
    int EntryCount() const;
    QTreeWidgetItem* Entry(int index) const;

    bool Idle() const { return IdleValue; }
    void SetIdle(bool idle);

    TSettings& Settings() { return Values; }
    // Takes the settings' values into the controls and back.
    void ApplySettingsToControls();
    void CollectSettingsFromControls();
    void SaveSettings();
    // Takes what the settings dialog shows: its values in `dialog`, the
    // history length as typed (a text that is no whole number keeps the
    // length and the histories). Nothing is written to the file.
    void ApplySettings(const TSettings& dialog, const std::string& historyLengthText);
    void SetBackupRoot(const std::string& root);
    std::string GetBackupRoot() const;

    // Runs: the page shown decides between the file list and the clipboard.
    void GoBtnClick();
    void StopBtnClick();
    void RestoreBtnClick();
    void EraseBtnClick();
    void RefreshBtnClick();
    void CopyBtnClick();
    // The step of a scenario run, -1 outside one; the scenario window says.
    int StepIndex() const { return StepIndexSource ? StepIndexSource() : -1; }
    std::function<int()> StepIndexSource;
    // Starts a run on the page shown with these masks (WIN) and the current
    // options, leaving the histories alone; false, the error shown, when a
    // mask is malformed.
    bool StartRun(const std::string& search, const std::string& replace);
    // Called on the UI thread at the very end of every run's end handler, so
    // that a scenario can start its next step.
    // `failed`: the run ended with an error message, not with its work done
    // or stopped.
    std::function<void(bool failed)> OnRunEnded;
    TMaskedReplacer* ActiveReplacer() const { return Active.get(); }
    // What the current or last file run read from the list when it started:
    // full paths (UTF-8) and code page names, in list order.
    const std::vector<std::string>& RunPaths() const { return Run.Paths; }
    const std::vector<std::string>& RunEncodings() const { return Run.Encodings; }
    // Where the worker's calls into the window go; Qt's event queue unless a
    // test gives its own queue.
    void UseDispatcher(std::unique_ptr<TDispatcher> dispatcher);
    // Called when a run starts, before the masks are read (the mask boxes
    // put the pair at the top of their histories).
    std::function<void()> OnRunStart;

    // The backups of the runs: file contents, names, their code pages and
    // the clipboard text, keyed by list entry or memo.
    TRunBackups Backups;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildToolBar();
    void BuildPages();
    void BuildBottomPanel();
    void BuildPopupMenu();
    void LoadAtStart();
    static TDesktop DesktopOfScreens();
    std::string AutoListPath() const;
    bool IsAutoList(const std::string& listPath) const;

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

    // Adding reports files that could not be read for detection once.
    void BeginAdding();
    void EndAdding();
    void AddFileChecked(const std::string& path, int encoding);
    void RemoveEntry(QTreeWidgetItem* item);
    void UpdateFileCount();
    // While a run is in progress the list must not change.
    bool ListLocked();
    std::vector<std::string> FileMasks() const;
    void ShowError(const QString& text);
    // One message for the entries whose backup could not be put back.
    void ReportFailures(const std::vector<std::string>& failures);

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
        std::string Text; // the clipboard run's text (WIN)
        int Step = -1; // the scenario step this run is, -1 outside one
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
    void WriteLog(const std::function<void()>& write);
    void ClearCounts();
    void TasksPgCChange(int page);

    TDialogs& Dialogs;
    std::string ProgramDir;
    TSettings Values;
    TMainFrmPeers Peers;
    std::vector<std::string> Paths;
    bool IdleValue = true;
    bool LogErrorTold = false; // a scenario's log failure is shown once
    std::vector<std::string> DetectionFailures;
    std::unique_ptr<TDispatcher> Dispatcher;
    std::unique_ptr<TMaskedReplacer> Active;
    // The run over the file list: one per run, kept through a scenario's
    // steps so that each file is backed up before its first change.
    std::unique_ptr<TFileRunView> FileRunView;
    std::unique_ptr<TFileRun> FileRun;
    std::unique_ptr<TMaskBoxes> MaskBoxes;
    TRunState Run;
    int AddingDepth = 0;
    // The automatic list could not be read whole. Writing it at exit would
    // put the part that loaded, and whatever the user did to it since, over
    // entries the file still holds; telling the user's own changes from the
    // damage is not possible, so the file stays as it is until the user
    // saves a list over it or it loads whole.
    bool KeepAutoList = false;
    // The settings file exists but could not be read: it is not written
    // over at exit.
    bool SettingsUnread = false;

public:
    // Controls, named as in the rest of the program.
    QToolButton* AddBtn = nullptr;
    QToolButton* DelBtn = nullptr;
    QToolButton* ClearBtn = nullptr;
    QToolButton* OpenBtn = nullptr;
    QToolButton* SaveBtn = nullptr;
    QToolButton* BatchBtn = nullptr;
    QToolButton* LibBtn = nullptr;
    QToolButton* SetupBtn = nullptr;
    QToolButton* HelpBtn = nullptr;
    QToolButton* AboutBtn = nullptr;
    QToolButton* CloseBtn = nullptr;
    QTabWidget* TasksPgC = nullptr;
    TListView* FilesLvw = nullptr;
    QRadioButton* ReContentRbt = nullptr;
    QRadioButton* ReNameRbt = nullptr;
    QLabel* FileCountLbl = nullptr;
    QPlainTextEdit* ClipboardMmo = nullptr;
    QToolButton* RefreshBtn = nullptr;
    QToolButton* CopyBtn = nullptr;
    QComboBox* ClipEncodingCbx = nullptr;
    QLineEdit* ReplaceCountEdt = nullptr;
    QComboBox* MaskCbx = nullptr;
    QToolButton* ViewMaskBtn = nullptr;
    QComboBox* ReplaceCbx = nullptr;
    QToolButton* ViewReplaceBtn = nullptr;
    QCheckBox* ReCodeChk = nullptr;
    QComboBox* EncodingCbx = nullptr;
    QPushButton* GoBtn = nullptr;
    QPushButton* StopBtn = nullptr;
    QCheckBox* BackUpChk = nullptr;
    QPushButton* RestoreBtn = nullptr;
    QPushButton* EraseBtn = nullptr;
    QProgressBar* FilePBr = nullptr;
    QProgressBar* EntirePBr = nullptr;
    QMenu* FilesPup = nullptr;
    QMenu* AddPup = nullptr;
    // Sort state of the file list: +-(column + 1), -1 at first.
    int SortTag = -1;
};

} // namespace tekstovar
