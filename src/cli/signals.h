#pragma once

#include <atomic>

namespace tekstovar::cli {

// SIGINT and SIGTERM ask a run to stop between two steps of the engine, as
// the window's stop button does, instead of killing it mid-write; a second
// one ends the process at once.
void InstallStopSignals();
// Set by the first of the two signals.
const std::atomic<bool>& StopRequest();
// The signal that asked for the stop, 0 for none.
int StopSignal();
// While standard input is read through a mapping: if the file is cut short
// meanwhile, the process says so and ends with status 1 instead of dying of
// SIGBUS (whatever went to standard output is then incomplete).
void GuardMappedInput(bool on);

} // namespace tekstovar::cli
