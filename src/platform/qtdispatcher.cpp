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
    while (!done()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 50);
    }
}

} // namespace tekstovar
