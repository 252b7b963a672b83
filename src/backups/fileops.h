#pragma once

#include <string>
#include <sys/types.h>

// The file-system steps the file stores are made of. None of them throws;
// each says whether it worked.
namespace tekstovar::backupfiles {

// Up to and including the last "/", or empty.
std::string DirectoryPart(const std::string& path);

enum class TEntry { Missing, Present, Unknown };
// Whether anything (a file, a directory, a dangling link) lies at path.
// Unknown when the system cannot tell, which callers treat as "do not touch".
TEntry EntryAt(const std::string& path);

// Whether a and b are one path or name one file.
bool SameFile(const std::string& a, const std::string& b);

// Whether path names a regular file (links followed).
bool IsRegularFile(const std::string& path);

// Creates every missing directory above path.
bool MakeParentDirectories(const std::string& path);

// Renames source to target unless target exists; never replaces a file.
bool RenameWithoutReplacing(const std::string& source, const std::string& target);

// Reads the whole file and its permission bits.
enum class TReadResult { Done, CannotOpen, CannotRead };
TReadResult ReadWholeFile(const std::string& path, std::string& data, mode_t& mode);

// Both create target, which must not exist yet, and remove it again if it
// cannot be written completely.
// Writes bytes with the permission bits of mode.
bool CreateFileWith(const std::string& target, mode_t mode, const std::string& bytes);
// Copies a regular file in blocks of 65536 bytes with its permission bits;
// on success the copy is on the disk, so the source may be deleted.
bool CopyFile(const std::string& source, const std::string& target);

} // namespace tekstovar::backupfiles
