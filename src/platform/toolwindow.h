#pragma once

#include <QWidget>

namespace tekstovar {

// A window beside the main window that tells when it is shown or hidden,
// whoever did it, so that the main window's toggle button can follow.
// Its bounds are kept as frame bounds (title bar and borders included), so
// that bounds placed on a screen put the whole window there.
class TToolWindow : public QWidget {
    Q_OBJECT
public:
    explicit TToolWindow(QWidget* parent = nullptr) : QWidget(parent, Qt::Tool) { }

    // The frame is only known once the window manager has framed the window:
    // until then the window takes the whole rectangle, and it shrinks to fit
    // inside it as soon as the frame is known.
    void SetFrameBounds(const QRect& frame);
    QRect FrameBounds() const { return frameGeometry(); }

signals:
    void VisibilityChanged(bool visible);

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void FitIntoFrame();

    QRect WantedFrame;
    QSize FittedSize;
    bool FramePending = false;
};

} // namespace tekstovar
