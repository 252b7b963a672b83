#pragma once

#include "settings/settings.h"
#include "windowlinks/maskpairboxes.h"

#include <QObject>
#include <QString>

#include <functional>

class QAbstractButton;
class QComboBox;
class QDrag;
class QDropEvent;
class QKeyEvent;

namespace tekstovar {

class TDialogs;
class TViewFrm;

// The behaviour of the main window's two mask boxes: the history of mask
// pairs in their drop-down lists, the linked choice of a pair, the
// auto-lexem keys of the search mask with the drag of references into the
// replace mask, and the multi-line editor behind the two view buttons. The
// boxes' items are the history; the settings are read at each use, so a
// change in the settings dialog takes effect at once.
class TMaskBoxes : public QObject, public TMaskPairBoxes {
    Q_OBJECT
public:
    TMaskBoxes(QComboBox* maskCbx, QComboBox* replaceCbx, QAbstractButton* viewMaskBtn, QAbstractButton* viewReplaceBtn,
        TSettings& settings, TViewFrm& viewFrm, TDialogs& dialogs, QObject* parent = nullptr);

    // The current pair goes to the top of the history; every run calls this
    // as it starts.
    void PutPairOnTop();

    // The pair the boxes show (WIN), as other windows take and give it.
    std::string Mask() const override;
    std::string Replace() const override;
    void ShowPair(const std::string& mask, const std::string& replace) override;
    void AppendToMask(const std::string& text) override;

    // An entry was chosen from a box's list: with linked pairs the other box
    // shows the other half of the pair.
    void MaskCbxClick(int index);
    void ReplaceCbxClick(int index);

    // Both view buttons open both masks in the multi-line editor.
    void ViewMaskBtnClick();

    // The references of the last drag, waiting to be dropped.
    const QString& AutoLexemText() const { return PendingReferences; }

    // Runs a drag of references instead of QDrag::exec, when set.
    std::function<void(QDrag&)> RunDrag;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void MaskCbxKeyDown(const QKeyEvent& event);
    // Both boxes take only drags out of MaskCbx; true when handled.
    bool ReplaceCbxDragOver(QObject* watched, QEvent* event);
    void ReplaceCbxDragDrop(QDropEvent& event);
    // The references for MaskCbx's caret or selection; false after the
    // parser's message has been shown.
    bool SelectionReferences(QString& references);

    QComboBox* MaskCbx;
    QComboBox* ReplaceCbx;
    TSettings& Settings;
    TViewFrm& ViewFrm;
    TDialogs& Dialogs;
    QString PendingReferences;
};

} // namespace tekstovar
