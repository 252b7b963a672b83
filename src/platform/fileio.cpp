#include "platform/fileio.h"

#include "common/error.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace tekstovar {

namespace {

std::string Reason(int error) { return std::strerror(error); }

[[noreturn]] void Fail(const char* what, const std::string& path, int error)
{
    throw TError(std::string(what) + " " + path + ": " + Reason(error));
}

// Closes a descriptor on every way out.
class TFd {
public:
    explicit TFd(int fd) : Fd(fd) { }
    TFd(const TFd&) = delete;
    TFd& operator=(const TFd&) = delete;
    TFd& operator=(TFd&& other) noexcept
    {
        if (this != &other) {
            if (Fd >= 0)
                ::close(Fd);
            Fd = other.Release();
        }
        return *this;
    }
    ~TFd()
    {
        if (Fd >= 0)
            ::close(Fd);
    }
    int Get() const { return Fd; }
    int Release()
    {
        int fd = Fd;
        Fd = -1;
        return fd;
    }

private:
    int Fd;
};

std::size_t ReadInto(int fd, const std::string& path, char* at, std::size_t want)
{
    std::size_t done = 0;
    while (done < want) {
        ssize_t got = ::read(fd, at + done, want - done);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            Fail("Не удаётся прочитать файл", path, errno);
        }
        if (got == 0)
            break;
        done += static_cast<std::size_t>(got);
    }
    return done;
}

std::string ReadUpTo(const std::string& path, std::size_t limit)
{
    TFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.Get() < 0)
        Fail("Не удаётся открыть файл", path, errno);
    return ReadDescriptor(fd.Get(), path, limit);
}

std::string DirectoryOf(const std::string& path)
{
    auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

} // namespace

std::string ReadDescriptor(int fd, const std::string& name, std::size_t limit)
{
    struct stat st { };
    if (fstat(fd, &st) != 0)
        Fail("Не удаётся прочитать файл", name, errno);
    if (S_ISDIR(st.st_mode))
        Fail("Не удаётся прочитать файл", name, EISDIR);
    std::string data;
    if (S_ISREG(st.st_mode) && st.st_size > 0) {
        // One buffer of the file's size: a large file costs its size once.
        data.resize(std::min<std::size_t>(static_cast<std::size_t>(st.st_size), limit));
        data.resize(ReadInto(fd, name, data.data(), data.size()));
    }
    char buffer[65536];
    while (data.size() < limit) {
        std::size_t got = ReadInto(fd, name, buffer, std::min(sizeof buffer, limit - data.size()));
        if (got == 0)
            break;
        data.append(buffer, got);
    }
    return data;
}

std::string ReadFileBytes(const std::string& path) { return ReadUpTo(path, std::string::npos); }

std::string ReadFileHead(const std::string& path, std::size_t limit) { return ReadUpTo(path, limit); }

void WriteFileReplacing(const std::string& path, const std::string& bytes)
{
    mode_t mode = 0;
    struct stat st { };
    bool existed = ::stat(path.c_str(), &st) == 0;
    if (existed)
        mode = st.st_mode & 07777;

    // O_EXCL with mode 0666 lets the kernel apply the umask to a new file.
    std::string temp;
    TFd fd(-1);
    std::random_device random;
    for (int attempt = 0; fd.Get() < 0; ++attempt) {
        temp = DirectoryOf(path) + ".tekstovar-" + std::to_string(::getpid()) + "-" + std::to_string(random());
        fd = TFd(::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
        if (fd.Get() < 0 && (errno != EEXIST || attempt > 100))
            Fail("Не удаётся создать файл", path, errno);
    }
    auto discard = [&temp](int error, const char* what, const std::string& target) {
        ::unlink(temp.c_str());
        Fail(what, target, error);
    };
    const char* at = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        ssize_t put = ::write(fd.Get(), at, left);
        if (put < 0) {
            if (errno == EINTR)
                continue;
            discard(errno, "Не удаётся записать файл", path);
        }
        at += put;
        left -= static_cast<std::size_t>(put);
    }
    if (existed) {
        if (::fchown(fd.Get(), st.st_uid, st.st_gid) != 0) {
            // only root may give a file away; the owner is then the writer
        }
        if (::fchmod(fd.Get(), mode) != 0)
            discard(errno, "Не удаётся записать файл", path);
    }
    if (::fdatasync(fd.Get()) != 0)
        discard(errno, "Не удаётся записать файл", path);
    if (::close(fd.Release()) != 0)
        discard(errno, "Не удаётся записать файл", path);
    if (::rename(temp.c_str(), path.c_str()) != 0)
        discard(errno, "Не удаётся записать файл", path);
}

bool RenameNoReplace(const std::string& from, const std::string& to, std::string& error)
{
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    error = Reason(errno);
    return false;
}

} // namespace tekstovar
