#pragma once

#include <ctime>
#include <memory>
#include <string>

namespace tekstovar {

// The log of runs: a header per run and a line per file, in WIN, each line
// ended by CR LF. The file is opened at the first line and kept open for
// the others (copies of the log share it), and every line goes to it with
// one write, nothing held back here: the log is complete whenever the
// program stops, and a run over thousands of files does not open the log
// thousands of times.
//
// A path is written as QuoteNameWin gives it (platform/quoting.h): as it is
// when WIN holds it and it has no control character, backslash or double
// quote; otherwise in double quotes, C style, with what WIN lacks as \uXXXX
// (\UXXXXXXXX above U+FFFF) and bytes that are not UTF-8 as \ooo. So no
// name splits a line and none is dropped or refused. Messages are written
// the same way, without the quotes.
class TRunLog {
public:
    // An empty path keeps no log.
    explicit TRunLog(std::string path) : Path(std::move(path)) { }

    bool Enabled() const { return !Path.empty(); }
    // The empty line, the date and time, the kind of run and the two masks
    // (masks in WIN, as typed).
    void Header(bool names, const std::string& searchMask, const std::string& replaceMask, std::time_t when) const;
    // PATH TAB COUNT, and TAB WARNING when the file was rewritten without
    // all it had (owner, attributes); paths and the warning are UTF-8.
    void ContentLine(const std::string& path, long long count, const std::string& warning = {}) const;
    // OLD PATH TAB NEW NAME TAB COUNT.
    void NameLine(const std::string& oldPath, const std::string& newName, long long count) const;
    // PATH TAB why the file was left as it was (UTF-8).
    void ErrorLine(const std::string& path, const std::string& message) const;
    // Appends one WIN line; throws TError when the log cannot be written.
    void Write(const std::string& line) const;
    // Lets the file go until the next line (a step's end: the window keeps
    // its run long after).
    void Close() const { Fd.reset(); }

private:
    // The open log; a failure leaves none, and the next line tries again.
    int Descriptor() const;

    std::string Path;
    mutable std::shared_ptr<const int> Fd;
};

// "07.12.2026 21:05:33": the date and the time as the log writes them.
std::string LogDateTime(std::time_t when);

// A UTF-8 path in WIN for the program's own files, where it must be exact
// (settings, lists); a path that WIN cannot hold throws TError rather than
// being written half-converted. The log writes every path readably instead.
std::string PathToWin(const std::string& path);

} // namespace tekstovar
