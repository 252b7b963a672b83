#pragma once

#include <string>
#include <string_view>

namespace tekstovar::cli {

// Standard input read whole and standard output written whole; failures
// throw TError with the system's reason.
std::string ReadStream(int fd);
void WriteStream(int fd, std::string_view bytes);

} // namespace tekstovar::cli
