#pragma once

#include "backups/filebackup.h"
#include "backups/filenamebackup.h"
#include "backups/stringbackup.h"
#include "settings/settings.h"

#include <QMainWindow>

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
class TListView;
class TFileMaskFrm;
class TAboutFrm;
class THelpFrm;
class TBatchFrm;
class TLibFrm;
class TSetupFrm;

// The other windows the main window opens or follows; they are created after
// it, so they are handed over once they exist.
struct TMainFrmPeers {
    TFileMaskFrm* FileMaskFrm = nullptr;
    TAboutFrm* AboutFrm = nullptr;
    THelpFrm* HelpFrm = nullptr;
    TBatchFrm* BatchFrm = nullptr;
    TLibFrm* LibFrm = nullptr;
    TSetupFrm* SetupFrm = nullptr;
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
    void SaveFileList(const std::string& listPath);
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

    TFileBackup ContentBackup;
    TFileNameBackup NameBackup;
    TStringBackup ClipboardBackup;
    TStringBackup EncodingBackup;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildToolBar();
    void BuildPages();
    void BuildBottomPanel();
    void BuildPopupMenu();
    void LoadAtStart();

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

    TDialogs& Dialogs;
    std::string ProgramDir;
    TSettings Values;
    TMainFrmPeers Peers;
    std::vector<std::string> Paths;
    bool IdleValue = true;
    std::vector<std::string> DetectionFailures;
    int AddingDepth = 0;

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
