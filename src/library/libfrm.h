#pragma once

#include "library/librarydownload.h"
#include "library/librarystore.h"
#include "platform/dragformats.h"
#include "platform/toolwindow.h"

#include <QPointer>

#include <cstddef>
#include <optional>
#include <string>

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QMimeData;
class QScrollBar;
class QStackedWidget;
class QTabBar;
class QToolBar;
class QToolButton;

namespace tekstovar {

class TDialogs;
class THelpFrm;
class TLexemEditFrm;
class TLexemList;
class TLibGrid;
class TMaskPairBoxes;
class TPairEditFrm;

// The library of commented mask pairs and named lexems: a tool window beside
// the main window. Pairs go to the main window's mask boxes and to and from
// the scenario window; lexems are appended to the search mask. The library
// is read from the settings file when the window is made and written back
// when it goes.
class TLibFrm : public TToolWindow {
    Q_OBJECT
public:
    enum TPage { PairPage = 0, LexemPage = 1 };

    // programDir (UTF-8, ends with "/") holds QZ.Ini.
    // Pairs and lexems go to the mask boxes of `maskPair`, and new entries
    // come from them.
    TLibFrm(TMaskPairBoxes& maskPair, TDialogs& dialogs, std::string programDir, QWidget* parent = nullptr);
    ~TLibFrm() override;

    // The edit dialogs and the help window are made after this window.
    void SetEditDialogs(TPairEditFrm* pairEdit, TLexemEditFrm* lexemEdit);
    void SetHelp(THelpFrm* help);

    const TLibraryStore& Store() const { return Library; }
    // The pair of the top selected row of the grid (WIN); empty on the end
    // row. The scenario window takes a pair dragged from here by these.
    std::string SelectedMask() const;
    std::string SelectedReplace() const;

    // Asks the scenario window for the pair being dragged from its grid;
    // without it no scenario pair is taken.
    TPairSource ScenarioPair;
    // Whether a drag may be dropped on the grid or the lexem list.
    bool AcceptsScenarioDrop(const QMimeData* data, const QObject* source) const;

    int DownloadTimeoutMs = TLibraryDownload::DefaultTimeoutMs;
    int DownloadDeadlineMs = TLibraryDownload::DefaultDeadlineMs;
    bool Downloading() const { return DownloadRunning; }

    TPage CurrentPage() const;

    // Commands; on the pair page they act on the top selected row.
    void AddBtnClick();
    void DelBtnClick();
    void EditMimClick();
    void RefreshBtnClick();
    // Starts a download, or cancels the one under way.
    void DownloadBtnClick();
    void SearchBtnClick();
    void SearchEdtChange(const QString& text);
    void SortBtnClick();
    void HelpBtnClick();
    void LibGridDblClick();
    void LexemLVwDblClick();
    void TabSet1Change(int index);

    QToolBar* LibTBr = nullptr;
    QToolButton* AddBtn = nullptr;
    QToolButton* DelBtn = nullptr;
    QToolButton* RefreshBtn = nullptr;
    QToolButton* DownloadBtn = nullptr;
    QToolButton* SearchBtn = nullptr;
    QToolButton* SortBtn = nullptr;
    QToolButton* HelpBtn = nullptr;
    QToolBar* SearchTBr = nullptr;
    QLineEdit* SearchEdt = nullptr;
    QStackedWidget* LibPgC = nullptr;
    QWidget* PairTab = nullptr;
    QWidget* LexemTab = nullptr;
    TLibGrid* LibGrid = nullptr;
    QScrollBar* HorScr = nullptr;
    TLexemList* LexemLVw = nullptr;
    QTabBar* TabSet1 = nullptr;
    // The status bar's panels: the pair count and the download's messages.
    QLabel* CountLbl = nullptr;
    QLabel* StatusLbl = nullptr;
    QMenu* LibPUp = nullptr;
    QAction* AddMim = nullptr;
    QAction* DelMim = nullptr;
    QAction* EditMim = nullptr;

private:
    void BuildControls();
    void BuildToolBar();
    void BuildPages();
    void BuildPopupMenu();
    std::string IniPath() const;
    void ReloadPairs();
    void ReloadLexems(std::optional<int> selected);
    // Adds a pair (pair page) or a lexem of its search mask (lexem page) at
    // the selection and selects it; false when both texts are empty.
    bool InsertItem(TPage page, const std::string& mask, const std::string& replace);
    void ScenarioPairDropped(TPage page);
    void DownloadFinished(bool ok, const QString& message);
    // While a download runs only its button (now a cancel) and the help
    // stay usable: nothing may change the library under the merge.
    void SetDownloadBusy(bool busy);

    TMaskPairBoxes& MaskPair;
    TDialogs& Dialogs;
    std::string ProgramDir;
    TLibraryStore Library;
    TLibraryDownload Download;
    bool DownloadRunning = false;
    std::size_t PairsBeforeDownload = 0;
    std::size_t LexemsBeforeDownload = 0;
    QPointer<TPairEditFrm> PairEdit;
    QPointer<TLexemEditFrm> LexemEdit;
    QPointer<THelpFrm> Help;
};

} // namespace tekstovar
