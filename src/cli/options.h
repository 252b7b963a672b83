#pragma once

#include "encodings/codepages.h"

#include <optional>
#include <string>
#include <vector>

namespace tekstovar::cli {

// What the command line asks for.
struct TCliOptions {
    enum class TMode { Text, Files, Restore, Detect, Help };
    TMode Mode = TMode::Text;
    std::optional<std::string> SearchMask; // -s, as typed (UTF-8)
    std::optional<std::string> SearchFile; // --search-file
    std::optional<std::string> ReplaceMask; // -r, as typed (UTF-8)
    std::optional<std::string> ReplaceFile; // --replace-file
    std::optional<std::string> Scenario; // --scenario FILE
    int From = EncodingDetect;
    int To = EncodingNone; // no recoding
    bool Names = false;
    std::string FileMasks = "*.txt,*.html,*.css,*.log,*.htm";
    bool Backup = false;
    std::string BackupRoot;
    bool OverwriteBackup = false;
    std::string LogFile;
    bool DryRun = false; // --dry-run: write nothing, say what would change
    bool Diff = false; // --diff: a dry run printing unified diffs
    std::vector<std::string> Paths; // files and directories; --detect's files
};

// Thrown for a command line that cannot be understood.
struct TUsageError {
    std::string Message;
};

TCliOptions ParseOptions(const std::vector<std::string>& args);

} // namespace tekstovar::cli
