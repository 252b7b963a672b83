#pragma once

#include "cli/options.h"

namespace tekstovar::cli {

// Standard input through the mask pairs to standard output; returns the exit
// status.
int RunTextMode(const TCliOptions& options);

// One line "PATH<TAB>NAME" per file; returns the exit status.
int RunDetectMode(const TCliOptions& options);

} // namespace tekstovar::cli
