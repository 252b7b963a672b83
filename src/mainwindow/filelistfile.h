#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tekstovar {

// One entry of a file-list file: name, directory (ending with "/"), code page.
// Names and directories are UTF-8 here and WIN in the file.
struct TListEntry {
    std::string Name;
    std::string Directory;
    int Encoding = 0;
};

// Three lines per entry, each ended by CR LF. An entry that would not read
// back as itself (a name or directory with a line break, a character WIN
// cannot hold) is left out: its index goes to `refused` when given, and
// without it the call throws TError instead of writing a partial list.
std::string FormatFileList(const std::vector<TListEntry>& entries, std::vector<std::size_t>* refused = nullptr);

// The one message for entries that FormatFileList left out of listPath.
std::string RefusedEntriesMessage(const std::string& listPath, const std::vector<TListEntry>& refused);

// Reads the lines (ended by CR LF, LF or CR) and hands each entry (a name, a
// directory and a code page index 0..4) to `add` as soon as it is read. A
// line where no entry begins is skipped and reading goes on with the next
// one, so one damaged entry costs only itself. When lines were skipped,
// TError follows once everything readable was handed over: with the message
// listing those lines, or NotAFileListMessage when no entry was found at all.
void ParseFileList(std::string_view bytes, const std::string& listPath, const std::function<void(TListEntry)>& add);

// The message for a file that is no file list.
std::string NotAFileListMessage(const std::string& listPath);

// The file list's sort comparison for column k of two rows given as their
// column texts: columns 0 to 2 as text by the WIN codes of its characters,
// without regard to the case of a..z (characters WIN lacks come last),
// further columns as integers (a text that is not one compares equal to
// everything). Negative, zero or positive.
int CompareListColumns(int column, const std::string& a, const std::string& b);

} // namespace tekstovar
