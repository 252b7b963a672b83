#pragma once

#include "platform/dragformats.h"
#include "platform/toolwindow.h"
#include "scenario/pairsgrid.h"
#include "settings/settings.h"
#include "windowlinks/maskpairboxes.h"
#include "windowlinks/steprunner.h"

#include <functional>
#include <string>
#include <vector>

class QAction;
class QLabel;
class QMenu;
class QScrollBar;
class QToolButton;

namespace tekstovar {

class TDialogs;
class THelpFrm;
class TMaskedReplacer;

// The scenario window: a tool window beside the main window holding the
// table of mask pairs that run one after another as the steps of one job on
// the main window's file list or clipboard text.
class TBatchFrm : public TToolWindow, public TStepFollower {
    Q_OBJECT
public:
    // programDir (UTF-8, ends with "/") holds QZ.Ini and the automatic QZ.QZB.
    // The steps run through `runner`; pairs come from and go to `maskPair`.
    TBatchFrm(TStepRunner& runner, TMaskPairBoxes& maskPair, TSettings& settings, TDialogs& dialogs,
        std::string programDir, QWidget* parent = nullptr);
    ~TBatchFrm() override;

    void SetHelp(THelpFrm* help) { Help = help; }

    // The scenario, two WIN lines a pair; an odd last line is kept but
    // neither shown nor run.
    const std::vector<std::string>& PairLines() const { return Lines; }
    void SetPairLines(std::vector<std::string> lines);
    int PairCount() const { return static_cast<int>(Lines.size() / 2); }

    // Commands; each acts on the topmost selected row.
    void AddBtnClick();
    void DelBtnClick();
    void LoadBtnClick();
    void SaveBtnClick();
    void DownloadBtnClick();
    void HelpBtnClick();
    void PairsGridDblClick();
    // Reads a scenario file (UTF-8 path); false with the error shown.
    bool LoadFile(const std::string& path);
    // Moves the pair at DragRow before `row` (counted after its removal).
    void MovePair(int row);
    std::string DraggedMask() const;
    std::string DraggedReplace() const;
    TDraggedPair DraggedPair() const { return {DraggedMask(), DraggedReplace()}; }
    // Asks the library window for the pair dragged from its grid; while it
    // is unset the grid takes no library pairs.
    TPairSource LibraryPair;
    // Whether a drag began on the library window's pair grid. Qt names the
    // source only for a drag of this process: another instance's library
    // drag has none, and its pair would be asked of this process's library.
    // While it is unset the grid takes no library pairs.
    std::function<bool(const QObject* source)> IsLibraryGrid;

    // The run.
    void GoBtnClick();
    // The scenario over the files without writing: what all its steps would
    // make of them, in the main window's preview.
    void PreviewBtnClick();
    void StopBtnClick();
    void PairsGridClick();
    TStepTarget RunTarget() const { return Target; }
    int StepIndex() const override { return Step; }
    void RunEnded(bool failed) override;
    const std::vector<std::string>& StepCounts() const { return Counts; }
    // A file step reads the list anew when it starts, so it sees the names
    // and code pages the step before left; its replacer stops the run.
    const std::vector<std::string>& StepPaths() const;
    const std::vector<std::string>& StepEncodings() const;
    TMaskedReplacer* StepReplacer() const;
    bool Running() const { return IsRunning; }

    TPairsGrid* PairsGrid = nullptr;
    QScrollBar* HorScr = nullptr;
    QLabel* CountLbl = nullptr;
    QToolButton* AddBtn = nullptr;
    QToolButton* DelBtn = nullptr;
    QToolButton* LoadBtn = nullptr;
    QToolButton* SaveBtn = nullptr;
    QToolButton* DownloadBtn = nullptr;
    QToolButton* GoBtn = nullptr;
    QToolButton* PreviewBtn = nullptr;
    QToolButton* StopBtn = nullptr;
    QToolButton* HelpBtn = nullptr;
    QMenu* BatchPup = nullptr;

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    void BuildControls();
    void FillGrid();
    int SelectedRow() const;
    void InsertPair(int row, const std::string& search, const std::string& replace);
    bool PairsGridTakesDrop(TPairsGrid::TDrop kind, const QObject* source) const;
    void PairsGridLibraryDrop(int row);
    // Asks about every pair the engine would fault on; false when the user
    // does not want the run.
    bool PairsAreSound();
    void RunNextStep();
    void EndRun();
    void SetRunning(bool running);
    std::string LibraryServer();

    TStepRunner& Runner;
    TMaskPairBoxes& MaskPair;
    TSettings& Settings;
    TDialogs& Dialogs;
    std::string ProgramDir;
    THelpFrm* Help = nullptr;
    std::vector<std::string> Lines;
    TStepTarget Target = TStepTarget::None;
    int Step = -1;
    bool IsRunning = false;
    std::vector<std::string> Counts; // the clipboard steps' counts
};

} // namespace tekstovar
