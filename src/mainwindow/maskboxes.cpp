#include "mainwindow/maskboxes.h"

#include "common/error.h"
#include "dialogs/viewfrm.h"
#include "platform/dialogs.h"
#include "platform/qstrings.h"
#include "platform/winunicode.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDropEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>

#include <algorithm>

namespace tekstovar {

namespace {

// The editor shows each mask in its box's font and colour.
void TakeLook(QPlainTextEdit* memo, const QComboBox* box)
{
    memo->setFont(box->font());
    QPalette palette = memo->palette();
    palette.setColor(QPalette::Text, box->palette().color(QPalette::Text));
    memo->setPalette(palette);
}

// A mask is one line: a pasted line break becomes \n, the form the boxes
// use for it, and the caret stays after what was pasted.
void KeepOneLine(QLineEdit* edit)
{
    const QString text = edit->text();
    if (!text.contains(u'\n') && !text.contains(u'\r'))
        return;
    const int caret = edit->cursorPosition();
    QString line;
    int newCaret = caret;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != u'\n' && c != u'\r') {
            line += c;
            continue;
        }
        const bool pair = c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n';
        line += QStringLiteral("\\n");
        // Before the caret the text grows by one for a lone break, by none
        // for a CR LF pair.
        if (i < caret)
            newCaret += pair ? 0 : 1;
        if (pair)
            ++i;
    }
    edit->setText(line);
    edit->setCursorPosition(newCaret);
}

} // namespace

TMaskBoxes::TMaskBoxes(QComboBox* maskCbx, QComboBox* replaceCbx, QAbstractButton* viewMaskBtn,
    QAbstractButton* viewReplaceBtn, TSettings& settings, TViewFrm& viewFrm, TDialogs& dialogs, QObject* parent)
    : QObject(parent), MaskCbx(maskCbx), ReplaceCbx(replaceCbx), Settings(settings), ViewFrm(viewFrm), Dialogs(dialogs)
{
    // activated comes from the user alone, so the linked choice does not
    // echo back.
    connect(MaskCbx, &QComboBox::activated, this, &TMaskBoxes::MaskCbxClick);
    connect(ReplaceCbx, &QComboBox::activated, this, &TMaskBoxes::ReplaceCbxClick);
    connect(viewMaskBtn, &QAbstractButton::clicked, this, &TMaskBoxes::ViewMaskBtnClick);
    connect(viewReplaceBtn, &QAbstractButton::clicked, this, &TMaskBoxes::ViewMaskBtnClick);
    // Keys reach the combo box (its edit's focus proxy); drags reach the edit.
    MaskCbx->installEventFilter(this);
    for (QComboBox* box : {MaskCbx, ReplaceCbx}) {
        box->lineEdit()->setAcceptDrops(true);
        box->lineEdit()->installEventFilter(this);
        // Only a pick from the list may replace what the user typed: the
        // completer would fill in a history entry, and Enter would choose
        // the entry that matches the text but for case (duplicates allowed
        // stops that search; the history keeps itself free of them).
        box->setCompleter(nullptr);
        box->setDuplicatesEnabled(true);
        connect(box->lineEdit(), &QLineEdit::textEdited, this, [box] { KeepOneLine(box->lineEdit()); });
    }
}

std::string TMaskBoxes::Mask() const { return QStringToWin(MaskCbx->currentText()); }

std::string TMaskBoxes::Replace() const { return QStringToWin(ReplaceCbx->currentText()); }

void TMaskBoxes::ShowPair(const std::string& mask, const std::string& replace)
{
    MaskCbx->setEditText(WinToQString(mask));
    ReplaceCbx->setEditText(WinToQString(replace));
}

void TMaskBoxes::AppendToMask(const std::string& text)
{
    MaskCbx->setEditText(MaskCbx->currentText() + WinToQString(text));
}

void TMaskBoxes::PutPairOnTop()
{
    const QString mask = MaskCbx->currentText();
    const QString replace = ReplaceCbx->currentText();
    if (mask.isEmpty() && replace.isEmpty())
        return;
    // A hand-edited file may leave one history shorter: pairs end with it.
    const int pairs = std::min(MaskCbx->count(), ReplaceCbx->count());
    for (int i = 0; i < pairs; ++i) {
        if (MaskCbx->itemText(i) == mask && ReplaceCbx->itemText(i) == replace) {
            MaskCbx->removeItem(i);
            ReplaceCbx->removeItem(i);
            break;
        }
    }
    MaskCbx->insertItem(0, mask);
    ReplaceCbx->insertItem(0, replace);
    // One item only: a longer history loaded from the file shrinks through
    // the settings dialog, not here.
    for (QComboBox* box : {MaskCbx, ReplaceCbx})
        if (box->count() > Settings.HistoryLength)
            box->removeItem(box->count() - 1);
    MaskCbx->setEditText(mask);
    ReplaceCbx->setEditText(replace);
}

void TMaskBoxes::MaskCbxClick(int index)
{
    if (Settings.LinkedPairs && index >= 0 && index < ReplaceCbx->count())
        ReplaceCbx->setCurrentIndex(index);
}

void TMaskBoxes::ReplaceCbxClick(int index)
{
    if (Settings.LinkedPairs && index >= 0 && index < MaskCbx->count())
        MaskCbx->setCurrentIndex(index);
}

void TMaskBoxes::ViewMaskBtnClick()
{
    QString mask = MaskCbx->currentText();
    QString replace = ReplaceCbx->currentText();
    TakeLook(ViewFrm.MaskMmo, MaskCbx);
    TakeLook(ViewFrm.ReplaceMmo, ReplaceCbx);
    if (!ViewFrm.Edit(mask, replace, Settings.AutoLexemKey, Settings.ImmedAutoLexemKey))
        return;
    MaskCbx->setEditText(mask);
    ReplaceCbx->setEditText(replace);
}

bool TMaskBoxes::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == MaskCbx && event->type() == QEvent::KeyPress) {
        MaskCbxKeyDown(static_cast<const QKeyEvent&>(*event));
        return false; // the box handles the key as usual
    }
    if (watched == MaskCbx->lineEdit() || watched == ReplaceCbx->lineEdit())
        return ReplaceCbxDragOver(watched, event);
    return QObject::eventFilter(watched, event);
}

void TMaskBoxes::MaskCbxKeyDown(const QKeyEvent& event)
{
    const std::uint16_t combination = KeyCombination(event);
    if (combination == 0)
        return;
    // Both checks: the two settings may hold the same combination.
    if (combination == Settings.AutoLexemKey) {
        QString references;
        if (!SelectionReferences(references))
            return;
        PendingReferences = references;
        StartLexemDrag(MaskCbx, references, RunDrag);
    }
    if (combination == Settings.ImmedAutoLexemKey) {
        QString references;
        if (!SelectionReferences(references))
            return;
        ReplaceCbx->setEditText(ReplaceCbx->currentText() + references);
    }
}

bool TMaskBoxes::SelectionReferences(QString& references)
{
    const QLineEdit* edit = MaskCbx->lineEdit();
    const bool selected = edit->hasSelectedText();
    return ShowingErrors(Dialogs, MaskCbx->window(), [&] {
        references = LexemReferences(edit->text(), selected ? edit->selectionStart() : edit->cursorPosition(),
            selected ? edit->selectionLength() : 0);
    });
}

bool TMaskBoxes::ReplaceCbxDragOver(QObject* watched, QEvent* event)
{
    return FilterLexemDrop(
        watched, event, MaskCbx, ReplaceCbx->lineEdit(), [this](QDropEvent& drop) { ReplaceCbxDragDrop(drop); });
}

void TMaskBoxes::ReplaceCbxDragDrop(QDropEvent& event)
{
    QLineEdit* edit = ReplaceCbx->lineEdit();
    ReplaceCbx->setFocus();
    // Where a click at the drop point would put the caret; no selection.
    edit->setCursorPosition(edit->cursorPositionAt(event.position().toPoint()));
    edit->insert(PendingReferences);
    event.acceptProposedAction();
}

} // namespace tekstovar
