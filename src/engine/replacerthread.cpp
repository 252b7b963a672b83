#include "engine/replacerthread.h"

#include <stdexcept>
#include <utility>

namespace tekstovar {

TMaskedReplacerThread::TMaskedReplacerThread(TMaskedReplacer& replacer, TEndHandler onEnd, TDispatcher& dispatcher)
    : ReplacerRef(replacer), OnEnd(std::move(onEnd)), Dispatcher(dispatcher)
{
}

TMaskedReplacerThread::~TMaskedReplacerThread()
{
    if (Worker.joinable())
        Worker.join();
    *Ended = true;
}

bool DriveReplacer(TMaskedReplacer& r, const std::function<bool()>& stopRequested)
{
    bool stopped = false;
    if (r.Start()) {
        // Finished first, then the stop request, before every step.
        while (!r.Finished() && !(stopped = stopRequested()))
            r.Step();
        if (stopped)
            r.SetReplaceCount(0); // the text was not finished: it counts nothing
        else
            r.FinishText();
    }
    r.EndRun();
    return !stopped;
}

void TMaskedReplacerThread::Execute()
{
    DriveReplacer(ReplacerRef, [this] { return Terminated(); });
}

void TMaskedReplacerThread::Main()
{
    try {
        Execute();
    } catch (...) {
        // No end notification then, and no message from here: the owner
        // decides what the failure means.
        Failure = std::current_exception();
    }
    Dispatcher.Post([this] { Finish(); });
}

void TMaskedReplacerThread::Finish()
{
    std::unique_ptr<TMaskedReplacerThread> self(this);
    // The worker's last act was the post that brought us here.
    Worker.join();
    // Before the handler: it may free the replacer or start it again.
    if (ReplacerRef.Thread == this)
        ReplacerRef.Thread = nullptr;
    TEndHandler onEnd = std::move(OnEnd);
    if (onEnd)
        onEnd(Failure);
}

void StartReplacerThread(TMaskedReplacer& replacer, TMaskedReplacerThread::TEndHandler onEnd, TDispatcher& dispatcher)
{
    if (replacer.Thread)
        throw std::logic_error("the replacer already runs on a worker thread");
    std::unique_ptr<TMaskedReplacerThread> thread(new TMaskedReplacerThread(replacer, std::move(onEnd), dispatcher));
    // Recorded before the worker exists, so the worker may read it too.
    replacer.Thread = thread.get();
    try {
        thread->Worker = std::thread([t = thread.get()] { t->Main(); });
    } catch (...) {
        replacer.Thread = nullptr;
        throw;
    }
    // From here on the thread frees itself in Finish.
    thread.release();
}

void StartReplacerThread(TMaskedReplacer& replacer, std::function<void()> onEnd, TDispatcher& dispatcher)
{
    TMaskedReplacerThread::TEndHandler handler;
    if (onEnd)
        handler = [onEnd = std::move(onEnd)](const std::exception_ptr&) { onEnd(); };
    StartReplacerThread(replacer, std::move(handler), dispatcher);
}

void StopReplacerThread(TMaskedReplacer& replacer)
{
    TMaskedReplacerThread* thread = replacer.Thread;
    if (!thread)
        return;
    thread->Terminate();
    // The thread and maybe the replacer are gone once the handler has run:
    // wait on a flag that outlives both.
    std::shared_ptr<bool> ended = thread->Ended;
    thread->Dispatcher.ServeUntil([&ended] { return *ended; });
}

std::string FailureMessage(const std::exception_ptr& failure)
{
    if (!failure)
        return {};
    try {
        std::rethrow_exception(failure);
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return {};
    }
}

} // namespace tekstovar
