#include "platform/dispatcher.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

using namespace tekstovar;

TEST(QueueDispatcher, CallsFromWorkersRunOnTheServingThreadInPostOrder)
{
    TQueueDispatcher dispatcher;
    const std::thread::id ui = std::this_thread::get_id();
    constexpr int Workers = 4;
    constexpr int CallsEach = 200;
    // Touched only by the posted calls, that is by this thread.
    std::vector<std::vector<int>> seen(Workers);
    int total = 0;
    bool allOnUi = true;

    std::vector<std::thread> workers;
    for (int w = 0; w < Workers; ++w)
        workers.emplace_back([&, w] {
            for (int i = 0; i < CallsEach; ++i)
                dispatcher.Post([&, w, i] {
                    seen[w].push_back(i);
                    ++total;
                    allOnUi = allOnUi && std::this_thread::get_id() == ui;
                });
        });
    dispatcher.ServeUntil([&] { return total == Workers * CallsEach; });
    for (auto& t : workers)
        t.join();

    EXPECT_TRUE(allOnUi);
    for (int w = 0; w < Workers; ++w) {
        ASSERT_EQ(seen[w].size(), static_cast<std::size_t>(CallsEach));
        for (int i = 0; i < CallsEach; ++i)
            EXPECT_EQ(seen[w][i], i);
    }
    EXPECT_EQ(dispatcher.RunPending(), 0u);
}

TEST(QueueDispatcher, RunPendingTakesOnlyWhatIsQueuedAndServeUntilStopsWhenDone)
{
    TQueueDispatcher dispatcher;
    std::vector<int> order;
    dispatcher.Post([&] {
        order.push_back(1);
        dispatcher.Post([&] { order.push_back(3); });
    });
    dispatcher.Post([&] { order.push_back(2); });

    EXPECT_EQ(dispatcher.RunPending(), 2u);
    EXPECT_EQ(order, (std::vector<int>{1, 2}));

    // Already done: nothing runs, the queued call stays for later.
    dispatcher.ServeUntil([] { return true; });
    EXPECT_EQ(order, (std::vector<int>{1, 2}));
    EXPECT_EQ(dispatcher.RunPending(), 1u);
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(dispatcher.RunPending(), 0u);
}

TEST(QueueDispatcher, PostedCallMayServeInTurn)
{
    // A wait inside a posted call (a stop pressed while handling an event)
    // must still get the calls that arrive meanwhile.
    TQueueDispatcher dispatcher;
    bool innerRan = false;
    bool outerDone = false;
    dispatcher.Post([&] {
        std::thread worker([&] { dispatcher.Post([&] { innerRan = true; }); });
        dispatcher.ServeUntil([&] { return innerRan; });
        worker.join();
        outerDone = true;
    });
    dispatcher.ServeUntil([&] { return outerDone; });
    EXPECT_TRUE(innerRan);
}
