#pragma once

#include "settings/settings.h"

#include <QDialog>
#include <QLineEdit>

#include <cstdint>

class QCheckBox;
class QComboBox;
class QPushButton;
class QTabWidget;

namespace tekstovar {

class TDialogs;
class TFileMaskFrm;
class THelpFrm;
class TSettingsHost;

// A hot key as the settings dialog shows it, e.g. "Ctrl+Shift+W"; "Нет" for 0.
QString HotKeyText(std::uint16_t value);

// A field that takes the key combination typed into it (16-bit: virtual key
// in the low byte, +0x2000 Shift, +0x4000 Ctrl, +0x8000 Alt). A key without
// Ctrl or Alt would fire while the user types into a mask box, so such a key
// (alone or with Shift) is taken as Ctrl with that key.
class THotKeyEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit THotKeyEdit(QWidget* parent = nullptr);

    std::uint16_t Value() const { return Combination; }
    void SetValue(std::uint16_t value);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    std::uint16_t Combination = 0;
};

// The settings dialog. It keeps no settings of its own: each time it is
// opened its controls are filled from the main window, and Apply hands them
// back. The main window runs Apply when the dialog ends with OK; "Сохранить"
// applies and writes the settings file at once.
class TSetupFrm : public QDialog {
    Q_OBJECT
public:
    TSetupFrm(TSettingsHost& host, TDialogs& dialogs, TFileMaskFrm* fileMaskFrm, QWidget* parent = nullptr);

    // Shows the dialog modally; OK applies what it shows.
    void Open();

    // Created after this dialog.
    void SetHelp(THelpFrm* help) { Help = help; }

    // Fills every control from the main window's current values.
    void FormActivate();
    // The main window's settings with the dialog's values in place.
    TSettings DialogValues() const;
    // Takes the dialog's values into the main window; nothing is written.
    void Apply();

    // Controls, named as in the rest of the program.
    QTabWidget* PageCtl = nullptr;
    // "Текстовар"
    QCheckBox* DetectEncodingChk = nullptr;
    QComboBox* DefaultEncodingCbx = nullptr;
    QCheckBox* LoggingChk = nullptr;
    QLineEdit* LoggingEdt = nullptr;
    // "Файлы"
    QPushButton* MasksBtn = nullptr;
    QCheckBox* ClearListPromptChk = nullptr;
    QCheckBox* DetectDuplicatesChk = nullptr;
    QCheckBox* OverwriteBackupChk = nullptr;
    QLineEdit* BackupRootEdt = nullptr;
    QPushButton* BrowseBtn = nullptr;
    // "Вид"
    THotKeyEdit* AutoLexemHKy = nullptr;
    THotKeyEdit* ImmedAutoLexemHky = nullptr;
    QCheckBox* LinkedPairsChk = nullptr;
    QLineEdit* HistoryLengthEdt = nullptr;
    QLineEdit* MaskEdt = nullptr;
    QPushButton* MaskFontBtn = nullptr;
    QLineEdit* ReplaceEdt = nullptr;
    QPushButton* ReplaceFontBtn = nullptr;
    QCheckBox* BatchReplacesChk = nullptr;
    // "Автосохранение"
    QCheckBox* AutoSaveSettingsChk = nullptr;
    QPushButton* SaveBtn = nullptr;
    QCheckBox* AutoSaveFileListChk = nullptr;
    QCheckBox* AutoSaveBatchChk = nullptr;
    // Below the pages.
    QPushButton* OkBtn = nullptr;
    QPushButton* CancelBtn = nullptr;
    QPushButton* HelpBtn = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* BuildGeneralPage();
    QWidget* BuildFilesPage();
    QWidget* BuildViewPage();
    QWidget* BuildAutoSavePage();

    void MasksBtnClick();
    void BrowseBtnClick();
    void FontBtnClick(QLineEdit* sample);
    void SaveBtnClick();
    void HelpBtnClick();

    TSettingsHost& Host;
    TDialogs& Dialogs;
    TFileMaskFrm* FileMaskFrm;
    THelpFrm* Help = nullptr;
    bool Centred = false;
};

} // namespace tekstovar
