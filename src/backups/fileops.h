#pragma once

#include <string>
#include <sys/types.h>

// The file-system steps the file stores are made of. None of them throws;
// each says whether it worked.
namespace tekstovar::backupfiles {

enum class TEntry { Missing, Present, Unknown };
// Whether anything (a file, a directory, a dangling link) lies at path.
// Unknown when the system cannot tell, which callers treat as "do not touch".
TEntry EntryAt(const std::string& path);

// Whether a and b are one path or name one file.
bool SameFile(const std::string& a, const std::string& b);

// Whether path names a regular file (links followed).
bool IsRegularFile(const std::string& path);
// A regular file under this very name, not reached through a symbolic link:
// only such an entry can hold a copy of a file's contents.
bool IsPlainFile(const std::string& path);

// Creates every missing directory above path.
bool MakeParentDirectories(const std::string& path);

// Renames source to target unless target exists; never replaces a file.
bool RenameWithoutReplacing(const std::string& source, const std::string& target);

// Reads the whole file and its permission bits.
enum class TReadResult { Done, CannotOpen, CannotRead };
TReadResult ReadWholeFile(const std::string& path, std::string& data, mode_t& mode);

// The writers below put a file in place only when it is whole: it is
// written under a temporary name beside target, synced, and renamed onto
// target. A failure or a kill leaves target as it was.
// Writes bytes with the permission bits of mode; target must not exist yet.
bool CreateFileWith(const std::string& target, mode_t mode, const std::string& bytes);
// Copies a regular file onto target, which must not exist yet unless
// replace is set, with what it has besides its contents: permission bits,
// and where allowed owner, group, extended attributes and ACL
// (CopyFileMetadata). What of that could not be kept goes to lost, in words.
bool CopyFile(const std::string& source, const std::string& target, bool replace = false, std::string* lost = nullptr);
// A second name for source at target, which must not exist yet: a hard link
// in the same directory where the file system allows one, a copy otherwise.
bool LinkOrCopy(const std::string& source, const std::string& target);
// Puts source in target's place (replacing it) and takes source away: a
// rename within one file system, a copy and a delete across two. Target is
// never deleted first. On failure the reason (the system's) goes to error;
// what a copy could not keep of the file goes to lost.
bool MoveOver(const std::string& source, const std::string& target, std::string& error, std::string* lost = nullptr);

} // namespace tekstovar::backupfiles
