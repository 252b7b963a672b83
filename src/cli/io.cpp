#include "cli/io.h"

#include "common/error.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tekstovar::cli {

namespace {

std::string Reason() { return std::strerror(errno); }

// Reads into data[from, from + want) and returns how many bytes came.
std::size_t ReadInto(int fd, const std::string& name, char* at, std::size_t want)
{
    std::size_t done = 0;
    while (done < want) {
        ssize_t got = ::read(fd, at + done, want - done);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            throw TError("cannot read " + name + ": " + Reason());
        }
        if (got == 0)
            break;
        done += static_cast<std::size_t>(got);
    }
    return done;
}

// Reads up to limit bytes (all of it when limit is npos). A regular file is
// read into one buffer of its size, so that a large input costs its size once.
std::string ReadAll(int fd, const std::string& name, std::size_t limit)
{
    std::string data;
    struct stat st { };
    if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0) {
        data.resize(std::min<std::size_t>(static_cast<std::size_t>(st.st_size), limit));
        data.resize(ReadInto(fd, name, data.data(), data.size()));
    }
    constexpr std::size_t Chunk = 1 << 16;
    char buffer[Chunk];
    while (data.size() < limit) {
        std::size_t got = ReadInto(fd, name, buffer, std::min(Chunk, limit - data.size()));
        if (got == 0)
            break;
        data.append(buffer, got);
    }
    return data;
}

std::string ReadPath(const std::string& path, std::size_t limit)
{
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throw TError("cannot open " + path + ": " + Reason());
    struct stat st { };
    if (fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(fd);
        throw TError("cannot read " + path + ": it is a directory");
    }
    try {
        std::string data = ReadAll(fd, path, limit);
        ::close(fd);
        return data;
    } catch (...) {
        ::close(fd);
        throw;
    }
}

} // namespace

std::string ReadFileBytes(const std::string& path) { return ReadPath(path, std::string::npos); }

std::string ReadFileHead(const std::string& path, std::size_t limit) { return ReadPath(path, limit); }

std::string ReadStream(int fd) { return ReadAll(fd, "standard input", std::string::npos); }

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
