#include "library/editdialogs.h"

#include "common/error.h"
#include "dialogs/centre.h"
#include "library/librarystore.h"
#include "platform/dialogs.h"
#include "platform/qstrings.h"
#include "platform/winunicode.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>

#include <initializer_list>
#include <limits>
#include <utility>

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
    // The library judges the length (TextsFit); the box must not cut a
    // pasted text first.
    edit->setMaxLength(std::numeric_limits<int>::max());
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

// The first box whose text the library would refuse gets the focus and the
// message; true when every text fits.
bool TextsFit(QDialog* dialog, TDialogs& dialogs, std::initializer_list<std::pair<QLineEdit*, const char*>> boxes)
{
    for (const auto& [box, what] : boxes) {
        if (!ShowingErrors(dialogs, dialog, [&] { TLibraryStore::CheckText(LibraryText(box->text()), what); })) {
            box->setFocus();
            return false;
        }
    }
    return true;
}

} // namespace

std::string LibraryText(const QString& text)
{
    QString oneLine = text;
    oneLine.replace(QStringLiteral("\r\n"), QStringLiteral("\\n"));
    oneLine.replace(QLatin1Char('\r'), QStringLiteral("\\n"));
    oneLine.replace(QLatin1Char('\n'), QStringLiteral("\\n"));
    return QStringToWin(oneLine);
}

TPairEditFrm::TPairEditFrm(TDialogs& dialogs, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint), Dialogs(dialogs)
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

void TPairEditFrm::accept()
{
    if (TextsFit(this, Dialogs, {{CommentEdt, "Комментарий"}, {MaskEdt, "Маска Поиска"}, {ReplaceEdt, "Маска Замены"}}))
        QDialog::accept();
}

TLexemEditFrm::TLexemEditFrm(TDialogs& dialogs, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint), Dialogs(dialogs)
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

void TLexemEditFrm::accept()
{
    if (TextsFit(this, Dialogs, {{CommentEdt, "Комментарий"}, {LexemEdt, "Лексема"}}))
        QDialog::accept();
}

void TLexemEditFrm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    CentreOnScreen(this);
    CommentEdt->setFocus();
}

} // namespace tekstovar
