#pragma once

#include "encodings/codepages.h"

#include <array>

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QMainWindow;
class QMenu;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QStatusBar;
class QTabWidget;
class QToolButton;

namespace tekstovar {

class TListView;

// The main window's pages, in their tab order.
enum TMainPage : int { FilesPage, ClipboardPage };

// The main window's controls, named as in the rest of the program. Only
// the window holds them; other windows talk to it through its methods.
struct TMainFrmUi {
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
    QMenu* AddPup = nullptr;
    QAction* AddFileMim = nullptr;
    QAction* AddDirMim = nullptr;
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
    QToolButton* PreviewBtn = nullptr;
    QAction* PreviewMim = nullptr;
    QPushButton* StopBtn = nullptr;
    QCheckBox* BackUpChk = nullptr;
    QPushButton* RestoreBtn = nullptr;
    QPushButton* EraseBtn = nullptr;
    QProgressBar* FilePBr = nullptr;
    QProgressBar* EntirePBr = nullptr;
    // The status line: what the last command did, and the files it left.
    QStatusBar* MainSBr = nullptr;
    QLabel* SummaryLbl = nullptr;
    QToolButton* FailuresBtn = nullptr;
    // The file list's pop-up menu and its items.
    QMenu* FilesPup = nullptr;
    QAction* N14 = nullptr; // open
    QAction* N6 = nullptr; // add files
    QAction* N7 = nullptr; // add a directory
    QAction* N1 = nullptr; // delete
    QAction* N5 = nullptr; // select all
    QAction* N10 = nullptr; // clear
    QAction* N13 = nullptr; // load a list
    QAction* N11 = nullptr; // save the list
    std::array<QAction*, PageCount> EncodingMims{}; // "WIN1" .. "UTF1"
    QAction* ExtMnu = nullptr; // file masks
};

// Creates the controls in `window` with their captions, hints, sizes and
// layout; connecting them is the window's part.
void BuildMainFrmUi(QMainWindow& window, TMainFrmUi& ui);

} // namespace tekstovar
