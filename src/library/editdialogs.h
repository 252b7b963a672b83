#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace tekstovar {

// The modal dialogs in which the library edits one pair or one lexem. They
// hold no logic: the library fills the boxes, shows the dialog and, when it
// was confirmed, reads the boxes back. Every text is accepted as typed.
class TPairEditFrm : public QDialog {
    Q_OBJECT
public:
    explicit TPairEditFrm(QWidget* parent = nullptr);

    QLineEdit* CommentEdt = nullptr;
    QLineEdit* MaskEdt = nullptr;
    QLineEdit* ReplaceEdt = nullptr;
    QPushButton* OkBtn = nullptr;
    QPushButton* CancelBtn = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
};

class TLexemEditFrm : public QDialog {
    Q_OBJECT
public:
    explicit TLexemEditFrm(QWidget* parent = nullptr);

    QLineEdit* CommentEdt = nullptr;
    QLineEdit* LexemEdt = nullptr;
    QPushButton* OkBtn = nullptr;
    QPushButton* CancelBtn = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
};

} // namespace tekstovar
