#pragma once

#include <QDialog>

#include <string>
#include <vector>

class QLineEdit;
class QListWidget;
class QPushButton;

namespace tekstovar {

class TDialogs;

// The list of file masks that picks the files of a directory added to the
// file list. The dialog owns the list for the whole run of the program and
// keeps it in "Extensions" of [General] itself: read once when the dialog is
// made, written each time it closes, however it is closed. A failed write is
// shown: the masks stay for this session, but the user must not believe them
// kept.
class TFileMaskFrm : public QDialog {
    Q_OBJECT
public:
    TFileMaskFrm(TDialogs& dialogs, std::string iniPath, QWidget* parent = nullptr);

    // The masks in list order, WIN bytes as stored.
    std::vector<std::string> Masks() const;

    void done(int result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void AddBtnClick();
    void DelBtnClick();
    void Load();
    void Save();

    TDialogs& Dialogs;
    std::string IniPath;
    QLineEdit* MaskEdt;
    QListWidget* MaskLst;
    QPushButton* AddBtn;
    QPushButton* DelBtn;
    QPushButton* OkBtn;
};

} // namespace tekstovar
