#pragma once

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace tekstovar {

// Places a fixed-size dialog in the middle of the screen; Qt would otherwise
// centre it over its parent each time it is shown.
inline void CentreOnScreen(QWidget* window)
{
    QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect area = screen->availableGeometry();
    window->move(area.center() - QPoint(window->width() / 2, window->height() / 2));
}

} // namespace tekstovar
