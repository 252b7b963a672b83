#include "platform/qtdispatcher.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QMetaObject>
#include <QThread>

namespace tekstovar {

void TQtDispatcher::Post(std::function<void()> call)
{
    QMetaObject::invokeMethod(Receiver, std::move(call), Qt::QueuedConnection);
}

void TQtDispatcher::ServeUntil(const std::function<bool()>& done)
{
    // The overload with a time limit drops WaitForMoreEvents and would spin
    // a core; this one sleeps until an event comes, and the worker's last
    // act is a post.
    while (!done())
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

} // namespace tekstovar
