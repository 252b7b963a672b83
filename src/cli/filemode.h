#pragma once

#include "cli/options.h"

namespace tekstovar::cli {

// The mask pairs over the files and directories named on the command line,
// in their contents or names, with backups and a log; returns the exit
// status (3 when some file could not be processed).
int RunFileMode(const TCliOptions& options);

// Brings every named file back from its content backup.
int RunRestoreMode(const TCliOptions& options);

} // namespace tekstovar::cli
