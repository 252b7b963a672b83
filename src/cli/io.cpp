#include "cli/io.h"

#include "common/error.h"
#include "platform/fileio.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace tekstovar::cli {

namespace {

std::string Reason() { return std::strerror(errno); }

} // namespace

std::string ReadStream(int fd) { return ReadDescriptor(fd, "standard input"); }

void WriteStream(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        ssize_t put = ::write(fd, bytes.data(), bytes.size());
        if (put < 0) {
            if (errno == EINTR)
                continue;
            throw TError("cannot write standard output: " + Reason());
        }
        bytes.remove_prefix(static_cast<std::size_t>(put));
    }
}

} // namespace tekstovar::cli
