#include "platform/fileio.h"

#include "encodings/detect.h"

#include "common/error.h"
#include "platform/filemeta.h"
#include "platform/largebuffer.h"
#include "platform/pathparts.h"
#include "platform/quoting.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <new>
#include <random>
#include <signal.h>
#include <stdexcept>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace tekstovar {

namespace {

constexpr std::string_view TempPrefix = ".tekstovar-";

std::string Reason(int error) { return std::strerror(error); }

[[noreturn]] void Fail(const char* what, const std::string& path, int error)
{
    throw TError(std::string(what) + " " + QuoteName(path) + ": " + Reason(error));
}

[[noreturn]] void FailNotRegular(const char* what, const std::string& path)
{
    throw TError(std::string(what) + " " + QuoteName(path) + ": это не обычный файл");
}

// Closes a descriptor on every way out.
class TFd {
public:
    explicit TFd(int fd) : Fd(fd) { }
    TFd(const TFd&) = delete;
    TFd& operator=(const TFd&) = delete;
    ~TFd()
    {
        if (Fd >= 0)
            ::close(Fd);
    }
    int Get() const { return Fd; }

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

// Reads the open descriptor whose status is st.
std::string ReadOpened(int fd, const std::string& name, std::size_t limit, const struct stat& st);

std::string ReadUpTo(const std::string& path, std::size_t limit)
{
    constexpr const char* cannotRead = "Не удаётся прочитать файл";
    // A device is not even opened: opening some has effects of its own.
    struct stat st { };
    if (::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode))
        FailNotRegular(cannotRead, path);
    // Non-blocking, so that a FIFO put in the file's place since the stat
    // cannot hang the open; what was opened is checked again.
    TFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (fd.Get() < 0)
        Fail("Не удаётся открыть файл", path, errno);
    if (::fstat(fd.Get(), &st) != 0)
        Fail(cannotRead, path, errno);
    if (!S_ISREG(st.st_mode))
        FailNotRegular(cannotRead, path);
    // O_NONBLOCK does nothing to a regular file's reads: it may stay.
    return ReadOpened(fd.Get(), path, limit, st);
}

// The process umask without changing it under other threads' feet.
mode_t CurrentUmask()
{
    if (std::FILE* status = std::fopen("/proc/self/status", "re")) {
        char line[256];
        unsigned value = 0;
        bool found = false;
        while (!found && std::fgets(line, sizeof line, status))
            found = std::sscanf(line, "Umask: %o", &value) == 1;
        std::fclose(status);
        if (found)
            return static_cast<mode_t>(value & 0777);
    }
    // Where /proc is missing: a moment's change, which only files made by
    // other threads in that moment could notice.
    static std::mutex lock;
    std::lock_guard guard(lock);
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return mask;
}

// The file a chain of symbolic links ends at (which need not exist yet), so
// that the link itself is never replaced.
std::string FinalTarget(const std::string& path)
{
    std::string at = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st { };
        if (::lstat(at.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return at;
        std::string link(PATH_MAX, '\0');
        const ssize_t length = ::readlink(at.c_str(), link.data(), link.size());
        if (length < 0)
            Fail("Не удаётся записать файл", path, errno);
        if (static_cast<std::size_t>(length) == link.size())
            Fail("Не удаётся записать файл", path, ENAMETOOLONG);
        link.resize(static_cast<std::size_t>(length));
        at = link.starts_with('/') ? link : DirectoryPart(at) + link;
    }
    Fail("Не удаётся записать файл", path, ELOOP);
}

std::atomic<TRenameFallback> ForcedFallback{TRenameFallback::None};

bool Failed(std::string& error, int code)
{
    error = Reason(code);
    return false;
}

// The file system has no RENAME_NOREPLACE.
bool NoAtomicNoReplace(int code) { return code == EINVAL || code == ENOSYS || code == ENOTSUP || code == EOPNOTSUPP; }

// The file system (or the file) takes no hard links.
bool NoHardLinks(int code)
{
    return code == EPERM || code == ENOTSUP || code == EOPNOTSUPP || code == EMLINK || code == ENOSYS;
}

bool CheckThenRename(const std::string& from, const std::string& to, std::string& error)
{
    // Not atomic: a name taken between the check and the rename is lost.
    // Only file systems that allow neither of the safe ways come here.
    struct stat st { };
    if (::lstat(to.c_str(), &st) == 0)
        return Failed(error, EEXIST);
    if (errno != ENOENT)
        return Failed(error, errno);
    if (::rename(from.c_str(), to.c_str()) != 0)
        return Failed(error, errno);
    return true;
}

// ".tekstovar-<pid>-<digits>": the pid, else 0.
pid_t TemporaryOwner(std::string_view name)
{
    if (!name.starts_with(TempPrefix))
        return 0;
    name.remove_prefix(TempPrefix.size());
    const auto dash = name.find('-');
    if (dash == 0 || dash == std::string_view::npos || dash + 1 == name.size())
        return 0;
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    if (!std::all_of(name.begin(), name.end(), [&](char c) { return c == '-' || isDigit(c); }) ||
        name.find('-', dash + 1) != std::string_view::npos)
        return 0;
    long long pid = 0;
    for (char c : name.substr(0, dash)) {
        pid = pid * 10 + (c - '0');
        if (pid > INT_MAX)
            return 0;
    }
    return static_cast<pid_t>(pid);
}

} // namespace

std::string ReadDescriptor(int fd, const std::string& name, std::size_t limit)
{
    struct stat st { };
    if (fstat(fd, &st) != 0)
        Fail("Не удаётся прочитать файл", name, errno);
    return ReadOpened(fd, name, limit, st);
}

namespace {

std::string ReadOpened(int fd, const std::string& name, std::size_t limit, const struct stat& st)
{
    if (S_ISDIR(st.st_mode))
        Fail("Не удаётся прочитать файл", name, EISDIR);
    try {
        std::string data;
        if (S_ISREG(st.st_mode) && st.st_size > 0) {
            // One buffer of the file's size: a large file costs its size once.
            const std::size_t size = std::min<std::size_t>(static_cast<std::size_t>(st.st_size), limit);
            data.reserve(size);
            AdviseLargeBuffer(data.data(), size);
            data.resize(size);
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
    } catch (const std::bad_alloc&) {
        throw TError("Файл слишком велик для памяти: " + QuoteName(name));
    } catch (const std::length_error&) {
        throw TError("Файл слишком велик для памяти: " + QuoteName(name));
    }
}

} // namespace

std::string ReadFileBytes(const std::string& path) { return ReadUpTo(path, std::string::npos); }

std::string ReadFileHead(const std::string& path, std::size_t limit) { return ReadUpTo(path, limit); }

int DetectFileEncoding(const std::string& path)
{
    // One byte more than the head tells whether a sequence at its end was cut.
    return DetectEncodingOfHead(ReadUpTo(path, DetectionLength + 1));
}

TTempFile::TTempFile(const std::string& target) : TargetPath(target)
{
    // Seeded once a thread: a random device per temporary file cost more
    // than writing a small file (O_EXCL keeps the names apart all the same).
    thread_local std::mt19937_64 random(std::random_device{}());
    const std::string stem = DirectoryPart(target) + std::string(TempPrefix) + std::to_string(::getpid()) + "-";
    for (int attempt = 0; Descriptor < 0; ++attempt) {
        TempPath = stem + std::to_string(random());
        Descriptor = ::open(TempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (Descriptor < 0 && (errno != EEXIST || attempt > 100))
            Fail("Не удаётся создать файл", target, errno);
    }
}

TTempFile::~TTempFile()
{
    if (Descriptor >= 0)
        ::close(Descriptor);
    if (!Finished)
        ::unlink(TempPath.c_str());
}

void TTempFile::Write(std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t put = ::write(Descriptor, bytes.data(), bytes.size());
        if (put < 0) {
            if (errno == EINTR)
                continue;
            Fail("Не удаётся записать файл", TargetPath, errno);
        }
        bytes.remove_prefix(static_cast<std::size_t>(put));
    }
}

bool TTempFile::KeepOwner(uid_t uid, gid_t gid)
{
    if (::fchown(Descriptor, uid, gid) == 0)
        return true;
    if (::fchown(Descriptor, static_cast<uid_t>(-1), gid) != 0) {
        // the writer's own group stays
    }
    return false;
}

void TTempFile::SetMode(mode_t mode)
{
    if (::fchmod(Descriptor, mode) != 0)
        Fail("Не удаётся записать файл", TargetPath, errno);
}

void TTempFile::Commit(bool replace)
{
    // The temporary goes at once on a failure, not only with the object.
    const auto fail = [this](int code) {
        if (Descriptor >= 0)
            ::close(Descriptor);
        Descriptor = -1;
        ::unlink(TempPath.c_str());
        Finished = true;
        Fail("Не удаётся записать файл", TargetPath, code);
    };
    // The data must be on the disk before the name points at it; the mode and
    // owner set before are journalled ahead of the rename.
    if (::fdatasync(Descriptor) != 0)
        fail(errno);
    const int fd = Descriptor;
    Descriptor = -1;
    if (::close(fd) != 0)
        fail(errno);
    if (replace) {
        if (::rename(TempPath.c_str(), TargetPath.c_str()) != 0)
            fail(errno);
    } else {
        std::string reason;
        if (!RenameNoReplace(TempPath, TargetPath, reason)) {
            ::unlink(TempPath.c_str());
            Finished = true;
            throw TError("Не удаётся записать файл " + QuoteName(TargetPath) + ": " + reason);
        }
    }
    Finished = true;
    // The directory is not flushed: until it is, a crash leaves the old file
    // in place, whole, which is all a rewrite promises.
}

namespace {

// Whether the file a rewrite replaces exists (its status in st); what is not
// a regular file is refused.
bool StatRewriteTarget(const std::string& target, const std::string& path, struct stat& st)
{
    const bool existed = ::stat(target.c_str(), &st) == 0;
    if (!existed && errno != ENOENT)
        Fail("Не удаётся записать файл", path, errno);
    if (existed && !S_ISREG(st.st_mode))
        FailNotRegular("Не удаётся записать файл", path);
    return existed;
}

// The file a rewrite of `path` replaces: where its links lead, a regular file
// or nothing yet.
std::string RewriteTarget(const std::string& path)
{
    std::string target = FinalTarget(path);
    struct stat st { };
    StatRewriteTarget(target, path, st);
    return target;
}

} // namespace

TFileRewrite::TFileRewrite(const std::string& path) : Path(path), Target(RewriteTarget(path)), Temp(Target) { }

std::string TFileRewrite::Commit()
{
    // What the old file is now, not when the rewrite began, is what the new
    // one keeps.
    struct stat st { };
    const bool existed = StatRewriteTarget(Target, Path, st);
    // Opened for its attributes; non-blocking, since a FIFO put in its place
    // since the stat must not hang the write.
    TFd original(existed ? ::open(Target.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK) : -1);
    if (original.Get() >= 0 && (::fstat(original.Get(), &st) != 0 || !S_ISREG(st.st_mode)))
        FailNotRegular("Не удаётся записать файл", Path);
    std::string lost;
    if (existed) {
        lost = CopyFileMetadata(original.Get(), st, Temp.Fd(), Path);
        // Not readable (a write-only file): its attributes are lost, if it has any.
        if (original.Get() < 0 && ::listxattr(Target.c_str(), nullptr, 0) > 0)
            lost += (lost.empty() ? "У файла " + QuoteName(Path) + " не сохранены: " : "; ") +
                "расширенные атрибуты (файл не прочитать)";
    } else
        Temp.SetMode(0666 & ~CurrentUmask());
    Temp.Commit(true);
    return lost;
}

std::string WriteFileReplacing(const std::string& path, const std::string& bytes)
{
    TFileRewrite rewrite(path);
    rewrite.Write(bytes);
    return rewrite.Commit();
}

bool RenameNoReplace(const std::string& from, const std::string& to, std::string& error)
{
    const TRenameFallback forced = ForcedFallback.load();
    if (forced == TRenameFallback::None) {
        if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
            return true;
        if (!NoAtomicNoReplace(errno))
            return Failed(error, errno);
    }
    struct stat st { };
    if (::lstat(from.c_str(), &st) != 0)
        return Failed(error, errno);
    if (forced == TRenameFallback::CheckThenRename || S_ISDIR(st.st_mode))
        return CheckThenRename(from, to, error);
    // A link never replaces an existing name; a symbolic link is linked as
    // itself, not followed.
    if (::linkat(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), 0) != 0) {
        if (NoHardLinks(errno))
            return CheckThenRename(from, to, error);
        return Failed(error, errno);
    }
    if (::unlink(from.c_str()) != 0) {
        const int code = errno;
        ::unlink(to.c_str());
        return Failed(error, code);
    }
    return true;
}

void ForceRenameFallbackForTests(TRenameFallback fallback) { ForcedFallback.store(fallback); }

std::size_t RemoveStaleTemporaries(const std::string& directory) noexcept
{
    DIR* dir = ::opendir(directory.empty() ? "." : directory.c_str());
    if (!dir)
        return 0;
    std::size_t removed = 0;
    while (const dirent* entry = ::readdir(dir)) {
        const pid_t owner = TemporaryOwner(entry->d_name);
        if (owner <= 0 || ::kill(owner, 0) == 0 || errno != ESRCH)
            continue;
        struct stat st { };
        if (::fstatat(::dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode) &&
            ::unlinkat(::dirfd(dir), entry->d_name, 0) == 0)
            ++removed;
    }
    ::closedir(dir);
    return removed;
}

} // namespace tekstovar
