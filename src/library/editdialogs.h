#pragma once

#include <QDialog>

#include <string>

class QLineEdit;
class QPushButton;

namespace tekstovar {

class TDialogs;

// A box's text as the library keeps it: WIN bytes, a line break (which a
// one-line box still takes when pasted, and the settings file cannot hold)
// as the two characters \n, the form a line break has in a mask box.
std::string LibraryText(const QString& text);

// The modal dialogs in which the library edits one pair or one lexem. The
// library fills the boxes, shows the dialog and, when it was confirmed,
// reads the boxes back. The texts are taken as typed, except that "Угу"
// keeps the dialog open, with the library's message, while a text is longer
// than the settings file keeps whole; so the user can shorten it instead of
// losing the edit.
class TPairEditFrm : public QDialog {
    Q_OBJECT
public:
    explicit TPairEditFrm(TDialogs& dialogs, QWidget* parent = nullptr);

    void accept() override;

    QLineEdit* CommentEdt = nullptr;
    QLineEdit* MaskEdt = nullptr;
    QLineEdit* ReplaceEdt = nullptr;
    QPushButton* OkBtn = nullptr;
    QPushButton* CancelBtn = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    TDialogs& Dialogs;
};

class TLexemEditFrm : public QDialog {
    Q_OBJECT
public:
    explicit TLexemEditFrm(TDialogs& dialogs, QWidget* parent = nullptr);

    void accept() override;

    QLineEdit* CommentEdt = nullptr;
    QLineEdit* LexemEdt = nullptr;
    QPushButton* OkBtn = nullptr;
    QPushButton* CancelBtn = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    TDialogs& Dialogs;
};

} // namespace tekstovar
