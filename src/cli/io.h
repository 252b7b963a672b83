#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tekstovar::cli {

// Standard input read whole and standard output written whole; failures
// throw TError with the system's reason.
std::string ReadStream(int fd);
void WriteStream(int fd, std::string_view bytes);
// The pieces one after another, as few writes as the system allows.
void WriteStream(int fd, const std::vector<std::string_view>& pieces);

} // namespace tekstovar::cli
