#pragma once

// The main window's controls as a user's tools find them: by object name.
// A control that is not there fails the test at once.
#include "mainwindow/listview.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QToolButton>

#include <stdexcept>
#include <string>

namespace tekstovar::test {

template <class T> T* Control(const QObject& root, const char* name)
{
    T* control = root.findChild<T*>(QString::fromLatin1(name));
    if (!control)
        throw std::logic_error(std::string("no control named ") + name);
    return control;
}

struct TMainUi {
    explicit TMainUi(const QObject& main) : Main(main) { }

    const QObject& Main;
    QToolButton* AddBtn = Control<QToolButton>(Main, "AddBtn");
    QToolButton* DelBtn = Control<QToolButton>(Main, "DelBtn");
    QToolButton* ClearBtn = Control<QToolButton>(Main, "ClearBtn");
    QToolButton* OpenBtn = Control<QToolButton>(Main, "OpenBtn");
    QToolButton* SaveBtn = Control<QToolButton>(Main, "SaveBtn");
    QToolButton* BatchBtn = Control<QToolButton>(Main, "BatchBtn");
    QToolButton* LibBtn = Control<QToolButton>(Main, "LibBtn");
    QToolButton* SetupBtn = Control<QToolButton>(Main, "SetupBtn");
    QToolButton* HelpBtn = Control<QToolButton>(Main, "HelpBtn");
    QToolButton* AboutBtn = Control<QToolButton>(Main, "AboutBtn");
    QToolButton* CloseBtn = Control<QToolButton>(Main, "CloseBtn");
    QMenu* AddPup = Control<QMenu>(Main, "AddPup");
    QTabWidget* TasksPgC = Control<QTabWidget>(Main, "TasksPgC");
    TListView* FilesLvw = Control<TListView>(Main, "FilesLvw");
    QRadioButton* ReContentRbt = Control<QRadioButton>(Main, "ReContentRbt");
    QRadioButton* ReNameRbt = Control<QRadioButton>(Main, "ReNameRbt");
    QLabel* FileCountLbl = Control<QLabel>(Main, "FileCountLbl");
    QPlainTextEdit* ClipboardMmo = Control<QPlainTextEdit>(Main, "ClipboardMmo");
    QToolButton* RefreshBtn = Control<QToolButton>(Main, "RefreshBtn");
    QToolButton* CopyBtn = Control<QToolButton>(Main, "CopyBtn");
    QComboBox* ClipEncodingCbx = Control<QComboBox>(Main, "ClipEncodingCbx");
    QLineEdit* ReplaceCountEdt = Control<QLineEdit>(Main, "ReplaceCountEdt");
    QComboBox* MaskCbx = Control<QComboBox>(Main, "MaskCbx");
    QToolButton* ViewMaskBtn = Control<QToolButton>(Main, "ViewMaskBtn");
    QComboBox* ReplaceCbx = Control<QComboBox>(Main, "ReplaceCbx");
    QToolButton* ViewReplaceBtn = Control<QToolButton>(Main, "ViewReplaceBtn");
    QCheckBox* ReCodeChk = Control<QCheckBox>(Main, "ReCodeChk");
    QComboBox* EncodingCbx = Control<QComboBox>(Main, "EncodingCbx");
    QPushButton* GoBtn = Control<QPushButton>(Main, "GoBtn");
    QPushButton* StopBtn = Control<QPushButton>(Main, "StopBtn");
    QCheckBox* BackUpChk = Control<QCheckBox>(Main, "BackUpChk");
    QPushButton* RestoreBtn = Control<QPushButton>(Main, "RestoreBtn");
    QPushButton* EraseBtn = Control<QPushButton>(Main, "EraseBtn");
    QProgressBar* FilePBr = Control<QProgressBar>(Main, "FilePBr");
    QProgressBar* EntirePBr = Control<QProgressBar>(Main, "EntirePBr");
    QMenu* FilesPup = Control<QMenu>(Main, "FilesPup");
    QLabel* SummaryLbl = Control<QLabel>(Main, "SummaryLbl");
    QToolButton* FailuresBtn = Control<QToolButton>(Main, "FailuresBtn");
    QToolButton* PreviewBtn = Control<QToolButton>(Main, "PreviewBtn");

    // A row of the file list as the user sees it.
    QTreeWidgetItem* Entry(int row) const { return FilesLvw->topLevelItem(row); }
};

} // namespace tekstovar::test
