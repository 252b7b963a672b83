#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tekstovar::cli {

// What the command line asks for.
struct TCliOptions {
    enum class TMode { Text, Detect, Help };
    TMode Mode = TMode::Text;
    std::optional<std::string> SearchMask; // -s, as typed (UTF-8)
    std::optional<std::string> SearchFile; // --search-file
    std::optional<std::string> ReplaceMask; // -r, as typed (UTF-8)
    std::optional<std::string> ReplaceFile; // --replace-file
    int From = -1; // -1: detect
    int To = -1; // -1: no recoding
    std::vector<std::string> Files; // --detect FILE...
};

// Thrown for a command line that cannot be understood.
struct TUsageError {
    std::string Message;
};

TCliOptions ParseOptions(const std::vector<std::string>& args);

} // namespace tekstovar::cli
