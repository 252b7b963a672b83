#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>

namespace tekstovar {

// Runs calls on the UI thread. Worker threads post what must happen there
// (end handlers, widget updates); the UI thread serves them.
class TDispatcher {
public:
    TDispatcher() = default;
    TDispatcher(const TDispatcher&) = delete;
    TDispatcher& operator=(const TDispatcher&) = delete;
    virtual ~TDispatcher() = default;

    // Queues a call for the UI thread. Safe from any thread; calls run in the
    // order they were posted.
    virtual void Post(std::function<void()> call) = 0;
    // On the UI thread: runs posted calls until done() is true. done() is
    // asked before the first call and after each call, on this thread, so
    // whatever makes it true must be a posted call (or post one). A wait for
    // a worker goes through here, so the worker's last posted call still
    // runs and the wait never deadlocks.
    virtual void ServeUntil(const std::function<bool()>& done) = 0;
};

// A plain queue: the thread that calls ServeUntil or RunPending plays the UI
// thread. Used by the tests and the command line.
class TQueueDispatcher : public TDispatcher {
public:
    void Post(std::function<void()> call) override;
    void ServeUntil(const std::function<bool()>& done) override;
    // Runs the calls queued at the moment, without waiting for more (calls
    // they post wait for the next round). Returns how many ran.
    std::size_t RunPending();

private:
    // Blocks until a call is queued and takes it.
    std::function<void()> Take();

    std::mutex Lock;
    std::condition_variable Posted;
    std::deque<std::function<void()>> Calls;
};

} // namespace tekstovar
