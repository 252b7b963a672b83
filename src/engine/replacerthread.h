#pragma once

#include "engine/maskedreplacer.h"
#include "platform/dispatcher.h"

#include <atomic>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <thread>

namespace tekstovar {

// The worker that drives one replacer through a run, stopping between steps
// when asked. It frees itself once its end handler has run on the UI thread;
// the replacer is not its to free.
class TMaskedReplacerThread {
public:
    // Receives the failure of a step, or null when the run ended normally or
    // was stopped.
    using TEndHandler = std::function<void(const std::exception_ptr& failure)>;

    TMaskedReplacerThread(const TMaskedReplacerThread&) = delete;
    TMaskedReplacerThread& operator=(const TMaskedReplacerThread&) = delete;
    ~TMaskedReplacerThread();

    // Asks the worker to stop before its next step. Any thread.
    void Terminate() { StopRequest.store(true); }
    bool Terminated() const { return StopRequest.load(); }
    TMaskedReplacer& Replacer() const { return ReplacerRef; }

private:
    friend void StartReplacerThread(TMaskedReplacer&, TEndHandler, TDispatcher&);
    friend void StopReplacerThread(TMaskedReplacer&);

    TMaskedReplacerThread(TMaskedReplacer& replacer, TEndHandler onEnd, TDispatcher& dispatcher);
    // The run itself, on the worker.
    void Execute();
    // The worker's body: Execute, then hand the end over to the UI thread.
    void Main();
    // On the UI thread: detach from the replacer, call the end handler, free.
    void Finish();

    TMaskedReplacer& ReplacerRef;
    TEndHandler OnEnd;
    TDispatcher& Dispatcher;
    std::atomic<bool> StopRequest{false};
    // Written by the worker before it posts Finish, read after.
    std::exception_ptr Failure;
    // Set on the UI thread when the object goes; outlives it for the waits.
    std::shared_ptr<bool> Ended = std::make_shared<bool>(false);
    std::thread Worker;
};

// Starts a worker for the replacer (whose OnProgress the caller has set) and
// records it in replacer.Thread. onEnd runs on the dispatcher's thread when
// the worker has ended; by then replacer.Thread is null again, so the handler
// may start another run or free the replacer. A replacer runs one worker at a
// time: starting a second throws std::logic_error.
void StartReplacerThread(TMaskedReplacer& replacer, TMaskedReplacerThread::TEndHandler onEnd, TDispatcher& dispatcher);
// For owners that need not tell a failed step apart: to them it looks like a
// run that ended without its end notification.
void StartReplacerThread(TMaskedReplacer& replacer, std::function<void()> onEnd, TDispatcher& dispatcher);

// On the UI thread: asks the replacer's worker to stop and serves the
// dispatcher until its end handler has run. Nothing happens without a worker.
void StopReplacerThread(TMaskedReplacer& replacer);

// One run of a replacer as a worker makes it: Start; Step until Finished or a
// stop is asked (Finished tested first, before every step); FinishText, or a
// count of 0 for the text a stop cut short; EndRun in every case. Returns
// false when stopped.
bool DriveReplacer(TMaskedReplacer& replacer, const std::function<bool()>& stopRequested);

// The message of a failure handed to an end handler ("" for none).
std::string FailureMessage(const std::exception_ptr& failure);

} // namespace tekstovar
