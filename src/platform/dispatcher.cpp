#include "platform/dispatcher.h"

#include <utility>

namespace tekstovar {

void TQueueDispatcher::Post(std::function<void()> call)
{
    {
        std::lock_guard<std::mutex> guard(Lock);
        Calls.push_back(std::move(call));
    }
    Posted.notify_one();
}

std::function<void()> TQueueDispatcher::Take()
{
    std::unique_lock<std::mutex> guard(Lock);
    Posted.wait(guard, [this] { return !Calls.empty(); });
    std::function<void()> call = std::move(Calls.front());
    Calls.pop_front();
    return call;
}

void TQueueDispatcher::ServeUntil(const std::function<bool()>& done)
{
    // The call runs outside the lock: it may post, or serve in turn.
    while (!done())
        Take()();
}

std::size_t TQueueDispatcher::RunPending()
{
    std::size_t count = 0;
    {
        std::lock_guard<std::mutex> guard(Lock);
        count = Calls.size();
    }
    for (std::size_t i = 0; i < count; ++i) {
        std::function<void()> call;
        {
            std::lock_guard<std::mutex> guard(Lock);
            // A nested ServeUntil inside an earlier call may have run some.
            if (Calls.empty())
                return i;
            call = std::move(Calls.front());
            Calls.pop_front();
        }
        call();
    }
    return count;
}

} // namespace tekstovar
