#pragma once

#include <QWidget>

namespace tekstovar {

// A window beside the main window that tells when it is shown or hidden,
// whoever did it, so that the main window's toggle button can follow.
class TToolWindow : public QWidget {
    Q_OBJECT
public:
    explicit TToolWindow(QWidget* parent = nullptr) : QWidget(parent, Qt::Tool) { }

signals:
    void VisibilityChanged(bool visible);

protected:
    void showEvent(QShowEvent* event) override
    {
        QWidget::showEvent(event);
        emit VisibilityChanged(true);
    }
    void hideEvent(QHideEvent* event) override
    {
        QWidget::hideEvent(event);
        emit VisibilityChanged(false);
    }
};

} // namespace tekstovar
