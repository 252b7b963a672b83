#include "platform/toolwindow.h"

#include <QEvent>
#include <QTimer>

namespace tekstovar {

void TToolWindow::SetFrameBounds(const QRect& frame)
{
    WantedFrame = frame;
    FramePending = true;
    FitIntoFrame();
}

void TToolWindow::FitIntoFrame()
{
    const QSize margins = frameGeometry().size() - size();
    move(WantedFrame.topLeft());
    resize(WantedFrame.size() - margins);
    FittedSize = size();
    // Without a frame yet (not shown, or no window manager) the window fills
    // the rectangle, which is right until a frame comes.
    if (!margins.isNull())
        FramePending = false;
}

bool TToolWindow::event(QEvent* event)
{
    const bool handled = QWidget::event(event);
    // The window manager tells the frame's size with a move or a resize
    // after the window was mapped.
    // A size someone else gave the window meanwhile stays.
    if (FramePending && size() != FittedSize)
        FramePending = false;
    if (FramePending && isVisible()) {
        switch (event->type()) {
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::Expose:
        case QEvent::UpdateRequest:
            if (frameGeometry().size() != size())
                QTimer::singleShot(0, this, [this] {
                    if (FramePending && size() == FittedSize)
                        FitIntoFrame();
                });
            break;
        default: break;
        }
    }
    return handled;
}

void TToolWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    emit VisibilityChanged(true);
}

void TToolWindow::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    emit VisibilityChanged(false);
}

} // namespace tekstovar
