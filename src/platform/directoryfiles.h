#pragma once

#include <string>
#include <vector>

namespace tekstovar {

// The mask list as the settings file stores it.
inline constexpr const char* DefaultFileMasks = "*.txt,*.html,*.css,*.log,*.htm";

// Splits the stored mask list at commas, left to right. Blanks are kept; two
// commas in a row or a leading comma give an empty item, a trailing comma
// gives none, and an empty string gives no masks.
std::vector<std::string> SplitFileMasks(const std::string& list);
// The stored form: the masks joined by commas. SplitFileMasks reads it back
// unchanged unless the last mask is empty.
std::string JoinFileMasks(const std::vector<std::string>& masks);

// Whether a file name matches a mask with the wildcards of fnmatch (no
// special meaning for "/" or a leading "."): "*", "?", bracket expressions
// with "!" or "^", ranges and ASCII classes such as [:digit:], and "\" as an
// escape. The ASCII letters match regardless of case; every other character,
// Cyrillic included, matches only itself. Names and masks are UTF-8, and "?"
// or a bracket stands for one whole character; bytes that are not UTF-8 count
// as one character each. An empty mask matches nothing.
bool MatchesFileMask(const std::string& name, const std::string& mask);

// The files of a directory's tree, as the file list adds them: depth first,
// the files of every subdirectory before the directory's own files.
// Subdirectories whose names begin with "." are not searched, and symbolic
// links to directories are not followed. The files of a directory come mask
// by mask, each in byte order of the names; a file matching two masks comes
// twice. Hidden files are included; a symbolic link to a regular file counts
// as a file, while devices, pipes, sockets and dangling links do not.
// Paths are the directory as given (a trailing "/" allowed) followed by "/"
// and the names below it.
//
// A missing or unreadable top directory throws TError. A subdirectory that
// cannot be read is skipped; when `problems` is given, a message naming it is
// appended there.
std::vector<std::string> FilesOfDirectory(
    const std::string& directory, const std::vector<std::string>& masks, std::vector<std::string>* problems = nullptr);

} // namespace tekstovar
