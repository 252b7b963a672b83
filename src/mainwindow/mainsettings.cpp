// The main window's settings: read at start into the controls, collected
// from them and written at exit.
#include "common/error.h"
#include "mainwindow/listview.h"
#include "mainwindow/mainfrm.h"
#include "mainwindow/mainfrmui.h"
#include "platform/qstrings.h"
#include "platform/toolwindow.h"
#include "platform/winunicode.h"
#include "settings/fontwidgets.h"
#include "settings/inifile.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QRadioButton>
#include <QScreen>
#include <QTabWidget>

#include <algorithm>
#include <filesystem>

namespace tekstovar {

namespace {

void FillHistory(QComboBox* box, const std::vector<std::string>& entries)
{
    const QString current = box->currentText();
    box->clear();
    for (const std::string& entry : entries)
        box->addItem(WinToQString(entry));
    box->setEditText(current);
}

std::vector<std::string> History(const QComboBox* box)
{
    std::vector<std::string> entries;
    for (int i = 0; i < box->count(); ++i)
        entries.push_back(QStringToWin(box->itemText(i)));
    return entries;
}

} // namespace

void TMainFrm::LoadAtStart()
{
    IniFile ini(ProgramDir + SettingsFileName);
    std::array<int, ListColumnCount> columns{};
    for (int c = 0; c < ListColumnCount; ++c)
        columns[static_cast<std::size_t>(c)] = Ui->FilesLvw->columnWidth(c);
    Values = LoadSettings(ini, ProgramDir, columns, DesktopOfScreens());
    ApplySettingsToControls();
    if (const std::string& problem = ini.ReadError(); !problem.empty()) {
        // Its values are unknown, not absent: writing ours over it at exit
        // would lose them, and the write would fail on a FIFO anyway.
        SettingsUnread = true;
        ShowError(QString::fromStdString(problem) + QStringLiteral("\nНастройки Не Будут Записаны При Выходе"));
    }
    if (!Values.AutoSaveFileList)
        return;
    const std::string list = AutoListPath();
    std::error_code error;
    if (std::filesystem::symlink_status(list, error).type() == std::filesystem::file_type::not_found)
        return; // nothing saved yet
    try {
        LoadFileList(list);
    } catch (const TError& e) {
        ShowError(
            QString::fromUtf8(e.what()) + QStringLiteral("\nПри Выходе Список Не Будет Записан Поверх Этого Файла"));
    }
}

TDesktop TMainFrm::DesktopOfScreens()
{
    QRect all;
    for (const QScreen* screen : QGuiApplication::screens())
        all |= screen->availableGeometry();
    if (all.isEmpty())
        return {};
    return {all.x(), all.y(), all.width(), all.height()};
}

void TMainFrm::ApplySettingsToControls()
{
    Ui->BackUpChk->setChecked(Values.Backup);
    Ui->ReCodeChk->setChecked(Values.ReCode);
    ReCodeChkClick();
    (Values.RenameOperation ? Ui->ReNameRbt : Ui->ReContentRbt)->setChecked(true);
    move(Values.Left, Values.Top);
    resize(std::max(Values.Width, MinMainWidth), std::max(Values.Height, MinMainHeight));
    Ui->TasksPgC->setCurrentIndex(Values.ActivePage);
    for (int c = 0; c < ListColumnCount; ++c)
        Ui->FilesLvw->setColumnWidth(c, Values.Columns[static_cast<std::size_t>(c)]);
    ShowFontSettings(Ui->MaskCbx, Values.MaskFont);
    ShowFontSettings(Ui->ReplaceCbx, Values.ReplaceFont);
    FillHistory(Ui->MaskCbx, Values.MaskHistory);
    FillHistory(Ui->ReplaceCbx, Values.ReplaceHistory);
    SetBackupRoot(Values.BackupRoot);
}

void TMainFrm::CollectSettingsFromControls()
{
    Values.Backup = Ui->BackUpChk->isChecked();
    Values.ReCode = Ui->ReCodeChk->isChecked();
    Values.RenameOperation = Ui->ReNameRbt->isChecked();
    Values.Maximized = isMaximized();
    if (!Values.Maximized) {
        // The bounds from before maximizing stay in the file.
        Values.Left = x();
        Values.Top = y();
        Values.Width = width();
        Values.Height = height();
    }
    if (Peers.BatchFrm) {
        const QRect r = Peers.BatchFrm->FrameBounds();
        Values.BatchLeft = r.x();
        Values.BatchTop = r.y();
        Values.BatchWidth = r.width();
        Values.BatchHeight = r.height();
        Values.ShowBatch = Peers.BatchFrm->isVisible();
    }
    if (Peers.LibFrm) {
        const QRect r = Peers.LibFrm->FrameBounds();
        Values.LibLeft = r.x();
        Values.LibTop = r.y();
        Values.LibWidth = r.width();
        Values.LibHeight = r.height();
        Values.ShowLib = Peers.LibFrm->isVisible();
    }
    for (int c = 0; c < ListColumnCount; ++c)
        Values.Columns[static_cast<std::size_t>(c)] = Ui->FilesLvw->columnWidth(c);
    Values.MaskFont = FontSettingsOf(Ui->MaskCbx);
    Values.ReplaceFont = FontSettingsOf(Ui->ReplaceCbx);
    Values.ActivePage = Ui->TasksPgC->currentIndex();
    Values.MaskHistory = History(Ui->MaskCbx);
    Values.ReplaceHistory = History(Ui->ReplaceCbx);
    Values.BackupRoot = GetBackupRoot();
}

void TMainFrm::SaveSettings()
{
    CollectSettingsFromControls();
    IniFile ini(ProgramDir + SettingsFileName);
    // A value left out is told once a session, not at every save.
    for (const std::string& message : ::tekstovar::SaveSettings(ini, Values))
        if (LeftOutTold.insert(message).second)
            ShowError(Utf8ToQString(message));
}

void TMainFrm::ApplySettings(const TSettings& dialog, const std::string& historyLengthText)
{
    Values.LinkedPairs = dialog.LinkedPairs;
    Values.DetectEncoding = dialog.DetectEncoding;
    Values.MaskFont = dialog.MaskFont;
    Values.ReplaceFont = dialog.ReplaceFont;
    ShowFontSettings(Ui->MaskCbx, Values.MaskFont);
    ShowFontSettings(Ui->ReplaceCbx, Values.ReplaceFont);
    Values.MaskHistory = History(Ui->MaskCbx);
    Values.ReplaceHistory = History(Ui->ReplaceCbx);
    if (ApplyHistoryLength(Values, historyLengthText)) {
        FillHistory(Ui->MaskCbx, Values.MaskHistory);
        FillHistory(Ui->ReplaceCbx, Values.ReplaceHistory);
    }
    Values.DefaultEncoding = dialog.DefaultEncoding;
    Values.ClearListPrompt = dialog.ClearListPrompt;
    Values.AutoLexemKey = dialog.AutoLexemKey;
    Values.ImmedAutoLexemKey = dialog.ImmedAutoLexemKey;
    Values.OverwriteBackup = dialog.OverwriteBackup;
    Values.DetectDuplicates = dialog.DetectDuplicates;
    Values.Logging = dialog.Logging;
    Values.LogFileName = dialog.LogFileName;
    Values.BatchReplacesTable = dialog.BatchReplacesTable;
    Values.AutoSaveSettings = dialog.AutoSaveSettings;
    Values.AutoSaveFileList = dialog.AutoSaveFileList;
    Values.AutoSaveBatch = dialog.AutoSaveBatch;
    SetBackupRoot(dialog.BackupRoot);
}

void TMainFrm::SetBackupRoot(const std::string& root) { Backups.SetRoot(root); }

std::string TMainFrm::GetBackupRoot() const { return Backups.Root(); }

} // namespace tekstovar
