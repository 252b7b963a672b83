#pragma once

#include "platform/dispatcher.h"

#include <QObject>

namespace tekstovar {

// Posts calls to the thread of a QObject (the UI thread) through Qt's event
// queue; a wait keeps the event loop turning, so posted calls still run.
class TQtDispatcher : public TDispatcher {
public:
    explicit TQtDispatcher(QObject* receiver) : Receiver(receiver) { }
    void Post(std::function<void()> call) override;
    void ServeUntil(const std::function<bool()>& done) override;

private:
    QObject* Receiver;
};

} // namespace tekstovar
