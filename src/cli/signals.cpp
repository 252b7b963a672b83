#include "cli/signals.h"

#include <csignal>
#include <unistd.h>

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
    // A second signal ends the process at once, for a run that cannot get
    // to its next step.
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
}

extern "C" void InputCutShort(int)
{
    static const char message[] = "tekstovar-cli: standard input was cut short while it was read\n";
    [[maybe_unused]] const auto written = ::write(STDERR_FILENO, message, sizeof message - 1);
    ::_exit(1);
}

} // namespace

void GuardMappedInput(bool on)
{
    struct sigaction action { };
    action.sa_handler = on ? InputCutShort : SIG_DFL;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGBUS, &action, nullptr);
}

void InstallStopSignals()
{
    struct sigaction action { };
    action.sa_handler = AskToStop;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a wait that may never end (opening a pipe no one
    // writes to) gives up, and the run gets to its stop. Reads and writes of
    // regular files are not interrupted by a signal.
    action.sa_flags = 0;
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
}

const std::atomic<bool>& StopRequest() { return Requested; }

int StopSignal() { return Signal.load(); }

} // namespace tekstovar::cli
