#pragma once

#include "platform/dialogs.h"

#include <QDialog>
#include <QString>

#include <cstdint>
#include <functional>

class QDrag;
class QDropEvent;
class QKeyEvent;
class QMimeData;
class QPlainTextEdit;
class QPushButton;
class QSplitter;

namespace tekstovar {

// What the mask editor and the main window's mask boxes share: the
// auto-lexem keys, lexem references for a caret or selection, and the drag
// that carries them to the replace mask.

// The key combination of a key press in the form the settings keep it: the
// virtual-key code in the low byte, + 0x2000 for Shift, 0x4000 for Ctrl,
// 0x8000 for Alt. A Cyrillic letter counts as the key that carries it on the
// Russian layout, a shifted character of the top row as its digit key. 0 for
// a key that has no virtual-key code (a modifier alone, for one).
std::uint16_t KeyCombination(int key, Qt::KeyboardModifiers modifiers);
std::uint16_t KeyCombination(const QKeyEvent& event);

// The references (\2\3...) for a one-line search mask as a box shows it:
// the lexem at `start` (0-based, as the box counts) and every further lexem
// beginning in the `length` characters from there. The mask goes to the
// engine as WIN bytes, so positions are counted in characters, not UTF-16
// units. A malformed mask throws TError with the parser's message.
QString LexemReferences(const QString& mask, int start, int length);
// The same for a multi-line text with LF line breaks, each of which stands
// for the two characters \n of the one-line mask.
QString MultiLineLexemReferences(const QString& text, int start, int length);

// A one-line mask shown with real line breaks (every \n, checked at each
// position, so \\n too) and back (every line break becomes \n).
QString MaskToMultiLine(const QString& mask);
QString MultiLineToMask(const QString& text);

// A drag of lexem references out of `source`: text/plain with the
// references, marked so that the targets can tell it from other drags.
// `run` stands in for QDrag::exec when set (tests have no mouse).
void StartLexemDrag(QWidget* source, const QString& references, const std::function<void(QDrag&)>& run);
bool IsLexemDragFrom(const QMimeData* mime, const QObject* source);
// Takes the drag events a box receives: drags of references from `source`
// are accepted, others refused; a drop of them on `target` goes to `drop`.
// True when the event was one of these (it is consumed).
bool FilterLexemDrop(QObject* watched, QEvent* event, const QObject* source, const QObject* target,
    const std::function<void(QDropEvent&)>& drop);

// The multi-line editor of the two masks, opened by the buttons beside the
// main window's mask boxes. The auto-lexem keys work in the search mask as
// they do in the main window, the references going to the replace mask.
class TViewFrm : public QDialog {
    Q_OBJECT
public:
    // Errors go to message boxes of the desktop.
    explicit TViewFrm(QWidget* parent = nullptr);
    TViewFrm(TDialogs& dialogs, QWidget* parent = nullptr);
    ~TViewFrm() override;

    // Shows the one-line masks as multi-line text, modally. On OK, true with
    // the edited masks in one-line form; otherwise false and both unchanged.
    bool Edit(QString& searchMask, QString& replaceMask, std::uint16_t autoLexemKey, std::uint16_t immediateKey);

    // The references of the last drag, waiting to be dropped.
    const QString& AutoLexemText() const { return PendingReferences; }

    // Runs a drag of references instead of QDrag::exec, when set.
    std::function<void(QDrag&)> RunDrag;

    QPlainTextEdit* MaskMmo = nullptr;
    QPlainTextEdit* ReplaceMmo = nullptr;
    QSplitter* MasksSpl = nullptr;
    QPushButton* OkBtn = nullptr;
    QPushButton* CancelBtn = nullptr;

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Build();
    void MaskMmoKeyDown(const QKeyEvent& event);
    // Both memos take only drags out of MaskMmo; true when handled.
    bool ReplaceMmoDragOver(QObject* watched, QEvent* event);
    void ReplaceMmoDragDrop(QDropEvent& event);
    // The references for MaskMmo's selection; false after the parser's
    // message has been shown.
    bool SelectionReferences(QString& references);

    TQtDialogs DesktopDialogs;
    TDialogs& Dialogs;
    std::uint16_t AutoLexemKey = 0;
    std::uint16_t ImmediateKey = 0;
    QString PendingReferences;
    bool Placed = false;
};

} // namespace tekstovar
