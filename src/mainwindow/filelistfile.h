#pragma once

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

// Three lines per entry, each ended by CR LF. A path that WIN cannot hold
// throws TError rather than being written half-converted.
std::string FormatFileList(const std::vector<TListEntry>& entries);

// Reads the lines (ended by CR LF, LF or CR) three at a time and hands each
// entry to `add` as soon as it is read. Lines that do not form such a triple
// (a missing third line, one that is no encoding index 0..4) throw TError
// with the list-file message naming listPath; entries before it were handed
// over already.
void ParseFileList(std::string_view bytes, const std::string& listPath, const std::function<void(TListEntry)>& add);

// The message for a file that is no file list.
std::string NotAFileListMessage(const std::string& listPath);

// The file list's sort comparison for column k of two rows given as their
// column texts: columns 0 to 2 as text without regard to the case of a..z
// (other bytes by code), further columns as integers (a text that is not one
// compares equal to everything). Negative, zero or positive.
int CompareListColumns(int column, const std::string& a, const std::string& b);

} // namespace tekstovar
