#include "common/error.h"
#include "engine/maskedreplacer.h"
#include "engine/replacerthread.h"
#include "platform/dispatcher.h"
#include "platform/winunicode.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <future>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

using namespace tekstovar;

namespace {

std::string Repeat(const std::string& piece, int times)
{
    std::string s;
    s.reserve(piece.size() * static_cast<std::size_t>(times));
    for (int i = 0; i < times; ++i)
        s += piece;
    return s;
}

// One progress notification as the worker saw it.
struct TNote {
    TPos Position = 0;
    long long Count = 0;
    bool Finished = false;
    std::thread::id Thread;
};

// Records the notifications of a replacer. They are written on the worker
// and read after the end handler, which the dispatcher orders after them.
struct TRecorder {
    std::vector<TNote> Notes;

    explicit TRecorder(TMaskedReplacer& r)
    {
        r.OnProgress = [this](TMaskedReplacer& x) { Add(x); };
    }
    void Add(TMaskedReplacer& x)
    {
        Notes.push_back({x.GetPosition(), x.ReplaceCount(), x.Finished(), std::this_thread::get_id()});
    }
    std::vector<TPos> Positions() const
    {
        std::vector<TPos> p;
        for (const auto& n : Notes)
            p.push_back(n.Position);
        return p;
    }
};

// Tells a waiting worker that the UI thread has begun to serve, which a stop
// does only after it has requested the stop.
class TWatchedDispatcher : public TQueueDispatcher {
public:
    void ServeUntil(const std::function<bool()>& done) override
    {
        {
            std::lock_guard<std::mutex> guard(Lock);
            Serving = true;
        }
        Changed.notify_all();
        TQueueDispatcher::ServeUntil(done);
    }
    void WaitUntilServing()
    {
        std::unique_lock<std::mutex> guard(Lock);
        Changed.wait(guard, [this] { return Serving; });
    }

private:
    std::mutex Lock;
    std::condition_variable Changed;
    bool Serving = false;
};

// Fails in its fourth step.
class TFailingReplacer : public TMaskedReplacer {
public:
    using TMaskedReplacer::TMaskedReplacer;
    void Step() override
    {
        if (++Steps == 4)
            throw TError(Utf8ToWin("Сбой на шаге"));
        TMaskedReplacer::Step();
    }

private:
    int Steps = 0;
};

// Small enough to run often, long enough for three progress notifications.
const std::string ShortText = Repeat("abcx", 400);
const std::string ShortResult = Repeat("abcyz", 400);

} // namespace

TEST(ReplacerThread, FullRunNotifiesInOrderOnTheWorkerAndEndsOnTheServingThread)
{
    TMaskedReplacer r(ShortText, "x", "yz", 0, -1);
    TRecorder rec(r);
    TQueueDispatcher dispatcher;
    const std::thread::id ui = std::this_thread::get_id();
    int ends = 0;
    std::thread::id endThread;
    bool detachedInHandler = false;

    StartReplacerThread(
        r,
        [&] {
            ++ends;
            endThread = std::this_thread::get_id();
            detachedInHandler = r.Thread == nullptr;
        },
        dispatcher);
    // Nothing is served yet, so the worker is still attached.
    EXPECT_NE(r.Thread, nullptr);
    dispatcher.ServeUntil([&] { return ends > 0; });

    EXPECT_EQ(ends, 1);
    EXPECT_EQ(endThread, ui);
    EXPECT_TRUE(detachedInHandler);
    EXPECT_EQ(r.Thread, nullptr);
    EXPECT_EQ(rec.Positions(), (std::vector<TPos>{0, 500, 1000, 1500, 1601}));
    ASSERT_FALSE(rec.Notes.empty());
    const std::thread::id worker = rec.Notes.front().Thread;
    EXPECT_NE(worker, ui);
    for (const auto& n : rec.Notes)
        EXPECT_EQ(n.Thread, worker);
    EXPECT_EQ(rec.Notes.back().Count, 400);
    EXPECT_TRUE(rec.Notes.back().Finished);
    EXPECT_EQ(r.Result(), ShortResult);
    EXPECT_EQ(dispatcher.RunPending(), 0u);
}

TEST(ReplacerThread, StopInTheMiddleZeroesTheCountAndStillNotifiesTheEnd)
{
    const std::string text = Repeat("abcx", 1 << 20); // 4 MB, a match in every four characters
    TMaskedReplacer r(text, "x", "yz", 0, -1);
    TRecorder rec(r);
    TWatchedDispatcher dispatcher;
    std::promise<void> reached;
    // The worker holds at its first notification inside the text until the
    // stop has been requested, so the stop lands there and nowhere else.
    r.OnProgress = [&](TMaskedReplacer& x) {
        rec.Add(x);
        if (x.GetPosition() == 500) {
            reached.set_value();
            dispatcher.WaitUntilServing();
        }
    };
    int ends = 0;
    std::exception_ptr failure = std::make_exception_ptr(std::runtime_error("not called"));
    StartReplacerThread(
        r,
        [&](const std::exception_ptr& f) {
            ++ends;
            failure = f;
        },
        dispatcher);
    reached.get_future().wait();
    StopReplacerThread(r);

    EXPECT_EQ(ends, 1);
    EXPECT_EQ(failure, nullptr);
    EXPECT_EQ(r.Thread, nullptr);
    const TPos end = static_cast<TPos>(text.size()) + 1;
    EXPECT_EQ(rec.Positions(), (std::vector<TPos>{0, 500, end}));
    ASSERT_EQ(rec.Notes.size(), 3u);
    EXPECT_EQ(rec.Notes[1].Count, 124); // x at 4, 8, ..., 496: there was something to lose
    EXPECT_EQ(rec.Notes[2].Count, 0);
    EXPECT_EQ(r.ReplaceCount(), 0);
}

TEST(ReplacerThread, ReplacerWithoutWorkMakesOnlyTheEndNotification)
{
    TMaskedReplacer r("abc", "", "", 0, -1);
    TRecorder rec(r);
    TQueueDispatcher dispatcher;
    bool ended = false;
    StartReplacerThread(
        r, [&] { ended = true; }, dispatcher);
    dispatcher.ServeUntil([&] { return ended; });

    EXPECT_EQ(rec.Positions(), (std::vector<TPos>{4}));
    EXPECT_EQ(r.Result(), "abc");
    EXPECT_EQ(r.Thread, nullptr);
}

TEST(ReplacerThread, FailingStepSkipsTheEndNotificationButNotTheEndHandler)
{
    const std::string message = Utf8ToWin("Сбой на шаге");
    {
        TFailingReplacer r(ShortText, "x", "yz", 0, -1);
        TRecorder rec(r);
        TQueueDispatcher dispatcher;
        int ends = 0;
        std::exception_ptr failure;
        StartReplacerThread(
            r,
            [&](const std::exception_ptr& f) {
                ++ends;
                failure = f;
            },
            dispatcher);
        dispatcher.ServeUntil([&] { return ends > 0; });

        EXPECT_EQ(ends, 1);
        ASSERT_NE(failure, nullptr);
        EXPECT_EQ(FailureMessage(failure), message);
        EXPECT_THROW(std::rethrow_exception(failure), TError);
        // The start notification, and none for the end.
        EXPECT_EQ(rec.Positions(), (std::vector<TPos>{0}));
        EXPECT_FALSE(r.Finished());
        EXPECT_EQ(r.Thread, nullptr);
    }
    {
        // An owner that takes no failure still gets its end handler, and a
        // stop afterwards finds nothing to stop.
        TFailingReplacer r(ShortText, "x", "yz", 0, -1);
        TQueueDispatcher dispatcher;
        int ends = 0;
        StartReplacerThread(
            r, [&] { ++ends; }, dispatcher);
        dispatcher.ServeUntil([&] { return ends > 0; });
        StopReplacerThread(r);
        EXPECT_EQ(ends, 1);
        EXPECT_EQ(r.Thread, nullptr);
    }
    EXPECT_EQ(FailureMessage(nullptr), "");
}

TEST(ReplacerThread, StopAfterTheRunKeepsItsResult)
{
    TMaskedReplacer r(ShortText, "x", "yz", 0, -1);
    TRecorder rec(r);
    TQueueDispatcher dispatcher;
    int ends = 0;

    // Ended and handled: the stop has nothing to do.
    StartReplacerThread(
        r, [&] { ++ends; }, dispatcher);
    dispatcher.ServeUntil([&] { return ends == 1; });
    StopReplacerThread(r);
    EXPECT_EQ(ends, 1);

    // The worker has made its end notification, its end handler may still be
    // queued: the stop serves it and changes nothing in the finished run.
    std::promise<void> lastNote;
    r.OnProgress = [&](TMaskedReplacer& x) {
        rec.Add(x);
        if (x.Finished())
            lastNote.set_value();
    };
    rec.Notes.clear();
    StartReplacerThread(
        r, [&] { ++ends; }, dispatcher);
    lastNote.get_future().wait();
    StopReplacerThread(r);
    EXPECT_EQ(ends, 2);
    EXPECT_EQ(r.Thread, nullptr);
    EXPECT_EQ(rec.Notes.back().Count, 400);
    EXPECT_EQ(r.ReplaceCount(), 400);
    EXPECT_EQ(r.Result(), ShortResult);
    EXPECT_EQ(dispatcher.RunPending(), 0u);
}

TEST(ReplacerThread, ManyStartsAndStops)
{
    TMaskedReplacer r(ShortText, "x", "yz", 0, -1);
    TRecorder rec(r);
    TQueueDispatcher dispatcher;
    const TPos end = static_cast<TPos>(ShortText.size()) + 1;
    for (int cycle = 0; cycle < 200; ++cycle) {
        SCOPED_TRACE(cycle);
        rec.Notes.clear();
        int ends = 0;
        StartReplacerThread(
            r, [&] { ++ends; }, dispatcher);
        if (cycle % 2 == 0)
            StopReplacerThread(r);
        else
            dispatcher.ServeUntil([&] { return ends > 0; });
        ASSERT_EQ(ends, 1);
        ASSERT_EQ(r.Thread, nullptr);
        // Every run makes its start and end notifications, stopped or not.
        ASSERT_GE(rec.Notes.size(), 2u);
        EXPECT_EQ(rec.Notes.front().Position, 0);
        EXPECT_EQ(rec.Notes.back().Position, end);
        const long long count = rec.Notes.back().Count;
        if (cycle % 2 == 1 || count != 0) {
            // Not stopped, or the stop came after the last step.
            EXPECT_EQ(count, 400);
            EXPECT_EQ(r.Result(), ShortResult);
        }
    }
    EXPECT_EQ(dispatcher.RunPending(), 0u);
}

TEST(ReplacerThread, EndHandlerMayStartTheNextRunOrFreeTheReplacer)
{
    TQueueDispatcher dispatcher;
    {
        // A chain of runs on one replacer, each started by the previous end.
        TMaskedReplacer r(ShortText, "x", "yz", 0, -1);
        std::vector<long long> counts;
        std::function<void()> next = [&] {
            counts.push_back(r.ReplaceCount());
            if (counts.size() < 3)
                StartReplacerThread(r, next, dispatcher);
        };
        StartReplacerThread(r, next, dispatcher);
        EXPECT_THROW(StartReplacerThread(
                         r, [] {}, dispatcher),
            std::logic_error);
        dispatcher.ServeUntil([&] { return counts.size() == 3; });
        EXPECT_EQ(counts, (std::vector<long long>{400, 400, 400}));
        EXPECT_EQ(r.Thread, nullptr);
    }
    {
        // The owner frees the replacer in the end handler while a stop waits.
        auto owned = std::make_unique<TMaskedReplacer>(ShortText, "x", "yz", 0, -1);
        TMaskedReplacer& r = *owned;
        bool ended = false;
        StartReplacerThread(
            r,
            [&] {
                owned.reset();
                ended = true;
            },
            dispatcher);
        StopReplacerThread(r);
        EXPECT_TRUE(ended);
        EXPECT_EQ(owned, nullptr);
    }
    EXPECT_EQ(dispatcher.RunPending(), 0u);
}
