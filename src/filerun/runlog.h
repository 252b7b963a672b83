#pragma once

#include <ctime>
#include <string>

namespace tekstovar {

// The log of runs: a header per run and a line per file, in WIN, each line
// ended by CR LF. Every line opens and closes the file, so the log is
// complete whenever the program stops.
class TRunLog {
public:
    // An empty path keeps no log.
    explicit TRunLog(std::string path) : Path(std::move(path)) { }

    bool Enabled() const { return !Path.empty(); }
    // The empty line, the date and time, the kind of run and the two masks
    // (masks in WIN, as typed).
    void Header(bool names, const std::string& searchMask, const std::string& replaceMask, std::time_t when) const;
    // PATH TAB COUNT; paths are UTF-8.
    void ContentLine(const std::string& path, long long count) const;
    // OLD PATH TAB NEW NAME TAB COUNT.
    void NameLine(const std::string& oldPath, const std::string& newName, long long count) const;
    // Appends one WIN line; throws TError when the log cannot be written.
    void Write(const std::string& line) const;

private:
    std::string Path;
};

// "07.12.2026 21:05:33": the date and the time as the log writes them.
std::string LogDateTime(std::time_t when);

// A UTF-8 path in WIN for the program's own files; a path that WIN cannot
// hold throws TError rather than being written half-converted.
std::string PathToWin(const std::string& path);

} // namespace tekstovar
