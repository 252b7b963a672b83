#pragma once

#include "cli/options.h"
#include "scenario/scenariofile.h"

#include <vector>

namespace tekstovar::cli {

// The mask pairs the command line asks for: the scenario's pairs, or the one
// pair of -s/-r (UTF-8, taken into WIN) or of the mask files (WIN bytes as
// they stand). Throws TError when a file cannot be read.
std::vector<TMaskPair> MaskPairs(const TCliOptions& options);

} // namespace tekstovar::cli
