#include "platform/qtdispatcher.h"

#include <QCoreApplication>
#include <QObject>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
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

} // namespace
} // namespace tekstovar
