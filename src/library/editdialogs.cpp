#include "library/editdialogs.h"

#include "dialogs/centre.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>

namespace tekstovar {

namespace {

constexpr int ClientWidth = 409;
constexpr int EditLeft = 96;
constexpr int EditWidth = 305;
constexpr int RowStep = 24;

// One labelled edit box per row, from the top.
QLineEdit* AddRow(QDialog* dialog, int row, const QString& caption, const char* name)
{
    const int top = 8 + row * RowStep;
    auto* edit = new QLineEdit(dialog);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setGeometry(EditLeft, top, EditWidth, 21);
    auto* label = new QLabel(caption, dialog);
    label->setGeometry(8, top, EditLeft - 8, 21);
    label->setBuddy(edit);
    return edit;
}

// "Угу" takes Enter and accepts, "Отмена" takes Esc (QDialog's own key) and
// rejects; both sit on one row under the boxes.
void AddButtons(QDialog* dialog, int top, QPushButton*& ok, QPushButton*& cancel)
{
    ok = new QPushButton(dialog->style()->standardIcon(QStyle::SP_DialogOkButton), QStringLiteral("Угу"), dialog);
    ok->setObjectName(QStringLiteral("OkBtn"));
    ok->setGeometry(216, top, 89, 25);
    ok->setDefault(true);
    cancel =
        new QPushButton(dialog->style()->standardIcon(QStyle::SP_DialogCancelButton), QStringLiteral("Отмена"), dialog);
    cancel->setObjectName(QStringLiteral("CancelBtn"));
    cancel->setGeometry(312, top, 89, 25);
    QObject::connect(ok, &QPushButton::clicked, dialog, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
}

} // namespace

TPairEditFrm::TPairEditFrm(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("PairEditFrm"));
    setWindowTitle(QStringLiteral("Пара Замены"));
    setFixedSize(ClientWidth, 121);
    CommentEdt = AddRow(this, 0, QStringLiteral("Комментарий"), "CommentEdt");
    MaskEdt = AddRow(this, 1, QStringLiteral("Маска Поиска"), "MaskEdt");
    ReplaceEdt = AddRow(this, 2, QStringLiteral("Маска Замены"), "ReplaceEdt");
    AddButtons(this, 88, OkBtn, CancelBtn);
    setTabOrder(CommentEdt, MaskEdt);
    setTabOrder(MaskEdt, ReplaceEdt);
    setTabOrder(ReplaceEdt, OkBtn);
    setTabOrder(OkBtn, CancelBtn);
}

void TPairEditFrm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    CentreOnScreen(this);
    CommentEdt->setFocus();
}

TLexemEditFrm::TLexemEditFrm(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("LexemEditFrm"));
    setWindowTitle(QStringLiteral("Лексема"));
    setFixedSize(ClientWidth, 97);
    CommentEdt = AddRow(this, 0, QStringLiteral("Комментарий"), "CommentEdt");
    LexemEdt = AddRow(this, 1, QStringLiteral("Лексема"), "LexemEdt");
    AddButtons(this, 64, OkBtn, CancelBtn);
    setTabOrder(CommentEdt, LexemEdt);
    setTabOrder(LexemEdt, OkBtn);
    setTabOrder(OkBtn, CancelBtn);
}

void TLexemEditFrm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    CentreOnScreen(this);
    CommentEdt->setFocus();
}

} // namespace tekstovar
