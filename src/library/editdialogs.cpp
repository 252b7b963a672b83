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

#include <algorithm>
#include <initializer_list>
#include <limits>
#include <utility>

namespace tekstovar {

namespace {

constexpr int ClientWidth = 409;
constexpr int EditLeft = 96;
constexpr int EditWidth = 305;
constexpr int RowStep = 24;
constexpr int LabelLeft = 8;
constexpr int LabelGap = 3; // from a caption's end to its box
constexpr int MinLabelLeft = 2;

// Where the captions and the boxes begin. The captions stand whole: a long
// one (a large font) begins nearer the edge, and when that is not enough the
// boxes move right, the dialog widening by as much.
struct TColumns {
    int Label = LabelLeft;
    int Edit = EditLeft;
    int Shift() const { return Edit - EditLeft; }
};

TColumns ColumnsFor(const QDialog* dialog, std::initializer_list<QString> captions)
{
    int widest = 0;
    for (const QString& caption : captions)
        widest = std::max(widest, dialog->fontMetrics().horizontalAdvance(caption));
    TColumns columns;
    columns.Edit = std::max(EditLeft, MinLabelLeft + widest + LabelGap);
    columns.Label = std::clamp(columns.Edit - LabelGap - widest, MinLabelLeft, LabelLeft);
    return columns;
}

// One labelled edit box per row, from the top.
QLineEdit* AddRow(QDialog* dialog, const TColumns& columns, int row, const QString& caption, const char* name)
{
    const int top = 8 + row * RowStep;
    auto* edit = new QLineEdit(dialog);
    edit->setObjectName(QString::fromLatin1(name));
    // The library judges the length (TextsFit); the box must not cut a
    // pasted text first.
    edit->setMaxLength(std::numeric_limits<int>::max());
    edit->setGeometry(columns.Edit, top, EditWidth, 21);
    auto* label = new QLabel(caption, dialog);
    label->setGeometry(columns.Label, top, columns.Edit - LabelGap - columns.Label, 21);
    label->setBuddy(edit);
    return edit;
}

// "Угу" takes Enter and accepts, "Отмена" takes Esc (QDialog's own key) and
// rejects; both sit on one row under the boxes.
void AddButtons(QDialog* dialog, const TColumns& columns, int top, QPushButton*& ok, QPushButton*& cancel)
{
    ok = new QPushButton(dialog->style()->standardIcon(QStyle::SP_DialogOkButton), QStringLiteral("Угу"), dialog);
    ok->setObjectName(QStringLiteral("OkBtn"));
    ok->setGeometry(216 + columns.Shift(), top, 89, 25);
    ok->setDefault(true);
    cancel =
        new QPushButton(dialog->style()->standardIcon(QStyle::SP_DialogCancelButton), QStringLiteral("Отмена"), dialog);
    cancel->setObjectName(QStringLiteral("CancelBtn"));
    cancel->setGeometry(312 + columns.Shift(), top, 89, 25);
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
    const QString captions[] = {
        QStringLiteral("Комментарий"), QStringLiteral("Маска Поиска"), QStringLiteral("Маска Замены")};
    const TColumns columns = ColumnsFor(this, {captions[0], captions[1], captions[2]});
    setFixedSize(ClientWidth + columns.Shift(), 121);
    CommentEdt = AddRow(this, columns, 0, captions[0], "CommentEdt");
    MaskEdt = AddRow(this, columns, 1, captions[1], "MaskEdt");
    ReplaceEdt = AddRow(this, columns, 2, captions[2], "ReplaceEdt");
    AddButtons(this, columns, 88, OkBtn, CancelBtn);
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
    const QString captions[] = {QStringLiteral("Комментарий"), QStringLiteral("Лексема")};
    const TColumns columns = ColumnsFor(this, {captions[0], captions[1]});
    setFixedSize(ClientWidth + columns.Shift(), 97);
    CommentEdt = AddRow(this, columns, 0, captions[0], "CommentEdt");
    LexemEdt = AddRow(this, columns, 1, captions[1], "LexemEdt");
    AddButtons(this, columns, 64, OkBtn, CancelBtn);
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
