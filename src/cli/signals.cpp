#include "cli/signals.h"

#include <csignal>

namespace tekstovar::cli {

namespace {

std::atomic<bool> Requested{false};
std::atomic<int> Signal{0};

static_assert(
    std::atomic<bool>::is_always_lock_free && std::atomic<int>::is_always_lock_free, "set from a signal handler");

extern "C" void AskToStop(int signal)
{
    int none = 0;
    Signal.compare_exchange_strong(none, signal);
    Requested.store(true);
}

} // namespace

void InstallStopSignals()
{
    struct sigaction action { };
    action.sa_handler = AskToStop;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART; // reads and writes under way complete
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
}

const std::atomic<bool>& StopRequest() { return Requested; }

int StopSignal() { return Signal.load(); }

} // namespace tekstovar::cli
