#pragma once

#include <string>

namespace tekstovar {

// Where the program keeps its own files (the settings, the automatic file
// list and scenario, the log), as UTF-8 with a trailing "/".
struct TProgramPlaces {
    std::string Home; // TEKSTOVAR_HOME; empty when unset
    std::string ExecutableDir; // empty when unknown
    bool ExecutableDirWritable = false;
    std::string ConfigHome; // XDG_CONFIG_HOME; empty when unset
    std::string UserHome; // the user's home directory
};

// TEKSTOVAR_HOME when set; else the executable's directory when it is
// writable; else $XDG_CONFIG_HOME/tekstovar/, or ~/.config/tekstovar/ when
// that variable is unset or not an absolute path.
std::string ChooseProgramDirectory(const TProgramPlaces& places);

// The rule above applied to this process. Throws TError only when no
// directory can be named at all (no executable path and no home).
std::string ProgramDirectory();

// Creates the program directory when missing (the per-user one may not
// exist before the first write) and returns it; failure throws TError.
std::string EnsureProgramDirectory();

} // namespace tekstovar
