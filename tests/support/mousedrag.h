#pragma once

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <QWidget>

namespace tekstovar::test {

// A real drag with the mouse (on a platform that runs Qt's drag loop without
// a screen): presses the left button at `from` on `source` and moves it past
// the drag threshold; while the drag runs, the mouse goes over `to` on
// `target` and lets go there. False when no drag took place.
inline bool DragWithTheMouse(QWidget* source, QPoint from, QWidget* target, QPoint to)
{
    bool released = false;
    QTimer::singleShot(0, target, [&, target, to] {
        QTest::mouseMove(target, to + QPoint(0, 1));
        QTest::mouseMove(target, to);
        QTest::mouseRelease(target, Qt::LeftButton, {}, to);
        released = true;
    });
    QTest::mousePress(source, Qt::LeftButton, {}, from);
    // Returns once the drag is over.
    QTest::mouseMove(source, from + QPoint(QApplication::startDragDistance() + 3, 0));
    const bool dragged = released;
    if (!dragged)
        QTest::mouseRelease(source, Qt::LeftButton, {}, from);
    // The drag hands the release back once it is over, a timer that found no
    // drag still has to run, and whatever a drop posted (an edit dialog) comes
    // now: none of it may reach the next drag.
    QCoreApplication::processEvents();
    return dragged;
}

} // namespace tekstovar::test
