#pragma once

#include <cstddef>
#include <string>

namespace tekstovar {

// Whole-file reading and safe rewriting. Failures throw TError with a Russian
// message that names the file and the system's reason.

std::string ReadFileBytes(const std::string& path);
// Reads from an open descriptor (a file or a pipe) up to `limit` bytes;
// `name` goes into the message of a failure.
std::string ReadDescriptor(int fd, const std::string& name, std::size_t limit = std::string::npos);
// At most `limit` bytes from the start of the file.
std::string ReadFileHead(const std::string& path, std::size_t limit);

// Replaces the file's contents so that a crash or a full disk never leaves
// it half-written: the bytes go to a temporary file in the same directory,
// which is flushed and renamed over the file. The file's permission bits are
// kept (a new file gets 0666 less the umask). On failure the old file stays
// as it was.
void WriteFileReplacing(const std::string& path, const std::string& bytes);

// Renames unless something already carries the new name; false on failure,
// with the reason in `error`.
bool RenameNoReplace(const std::string& from, const std::string& to, std::string& error);

} // namespace tekstovar
