#include "cli/io.h"

#include "common/error.h"
#include "platform/fileio.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <sys/uio.h>
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

void WriteStream(int fd, const std::vector<std::string_view>& pieces)
{
    std::vector<iovec> batch;
    std::size_t next = 0;
    while (next < pieces.size()) {
        batch.clear();
        for (; next < pieces.size() && batch.size() < IOV_MAX; ++next)
            if (!pieces[next].empty())
                batch.push_back({const_cast<char*>(pieces[next].data()), pieces[next].size()});
        std::size_t first = 0;
        while (first < batch.size()) {
            const ssize_t put = ::writev(fd, batch.data() + first, static_cast<int>(batch.size() - first));
            if (put < 0) {
                if (errno == EINTR)
                    continue;
                throw TError("cannot write standard output: " + Reason());
            }
            // Past what went out: whole pieces, then into the first one left.
            auto done = static_cast<std::size_t>(put);
            while (first < batch.size() && done >= batch[first].iov_len)
                done -= batch[first++].iov_len;
            if (first < batch.size()) {
                batch[first].iov_base = static_cast<char*>(batch[first].iov_base) + done;
                batch[first].iov_len -= done;
            }
        }
    }
}

} // namespace tekstovar::cli
