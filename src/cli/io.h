#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace tekstovar::cli {

// Whole-file and whole-stream input and output; failures throw TError with
// the file's name and the system's reason.
std::string ReadFileBytes(const std::string& path);
std::string ReadFileHead(const std::string& path, std::size_t limit);
std::string ReadStream(int fd);
void WriteStream(int fd, std::string_view bytes);

} // namespace tekstovar::cli
