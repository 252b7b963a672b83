#pragma once

#include "cli/options.h"

#include <cstddef>

namespace tekstovar::cli {

// How much of a text detection looks at, as the windows do.
inline constexpr std::size_t DetectionLength = 512;

// Standard input through the mask pairs to standard output; returns the exit
// status.
int RunTextMode(const TCliOptions& options);

// One line "PATH<TAB>NAME" per file; returns the exit status.
int RunDetectMode(const TCliOptions& options);

} // namespace tekstovar::cli
