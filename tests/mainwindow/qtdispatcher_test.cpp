#include "platform/qtdispatcher.h"

#include <QCoreApplication>
#include <QObject>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <ctime>
#include <thread>
#include <vector>

namespace tekstovar {
namespace {

// The program's dispatcher: calls posted from a worker run on the thread of
// the receiver, in the order they were posted, while a wait serves them.
TEST(QtDispatcher, RunsPostedCallsOnTheUiThreadInOrderDuringAWait)
{
    QObject receiver;
    TQtDispatcher dispatcher(&receiver);
    std::vector<int> seen;
    std::atomic<bool> done{false};
    const auto ui = QThread::currentThread();
    bool allOnUi = true;
    std::thread worker([&] {
        for (int i = 0; i < 100; ++i)
            dispatcher.Post([&, i] {
                seen.push_back(i);
                allOnUi = allOnUi && QThread::currentThread() == ui;
            });
        dispatcher.Post([&] { done = true; });
    });
    dispatcher.ServeUntil([&] { return done.load(); });
    worker.join();
    ASSERT_EQ(seen.size(), 100u);
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(seen[static_cast<std::size_t>(i)], i);
    EXPECT_TRUE(allOnUi);
}

std::chrono::nanoseconds ThreadCpuTime()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return std::chrono::seconds(t.tv_sec) + std::chrono::nanoseconds(t.tv_nsec);
}

// Waiting for a worker that takes its time (the wait after "Стоп") sleeps
// until something is posted; it does not spin the UI thread.
TEST(QtDispatcher, AWaitSleepsUntilACallComes)
{
    QObject receiver;
    TQtDispatcher dispatcher(&receiver);
    bool done = false;
    const auto wait = std::chrono::milliseconds(400);
    std::thread worker([&] {
        std::this_thread::sleep_for(wait);
        dispatcher.Post([&] { done = true; });
    });
    const auto before = ThreadCpuTime();
    dispatcher.ServeUntil([&] { return done; });
    const auto used = ThreadCpuTime() - before;
    worker.join();
    EXPECT_TRUE(done);
    EXPECT_LT(used, wait / 4);
}

} // namespace
} // namespace tekstovar
