#include "backups/fileops.h"

#include "common/error.h"
#include "platform/fileio.h"
#include "platform/filemeta.h"
#include "platform/pathparts.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace tekstovar::backupfiles {

namespace {

constexpr std::size_t BlockSize = 65536;

// Closes the descriptor it holds when it goes out of scope.
class TFd {
public:
    explicit TFd(int fd) : Fd(fd) { }
    TFd(const TFd&) = delete;
    TFd& operator=(const TFd&) = delete;
    ~TFd() { Close(); }
    int Get() const { return Fd; }
    bool Valid() const { return Fd >= 0; }
    // A failing close can mean lost data (network file systems), so it counts.
    bool Close()
    {
        if (Fd < 0)
            return true;
        const int result = ::close(Fd);
        Fd = -1;
        return result == 0;
    }

private:
    int Fd;
};

bool WriteAll(int fd, const char* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t done = ::write(fd, data, size);
        if (done < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += done;
        size -= static_cast<std::size_t>(done);
    }
    return true;
}

// Reads up to size bytes; -1 on an error, fewer than size only at the end.
ssize_t ReadBlock(int fd, char* data, std::size_t size)
{
    std::size_t got = 0;
    while (got < size) {
        const ssize_t done = ::read(fd, data + got, size - got);
        if (done < 0) {
            if (errno == EINTR)
                continue;
            return -1;
        }
        if (done == 0)
            break;
        got += static_cast<std::size_t>(done);
    }
    return static_cast<ssize_t>(got);
}

bool CopyBlocks(int from, int to)
{
    std::vector<char> block(BlockSize);
    for (;;) {
        const ssize_t got = ReadBlock(from, block.data(), block.size());
        if (got < 0 || !WriteAll(to, block.data(), static_cast<std::size_t>(got)))
            return false;
        if (static_cast<std::size_t>(got) < block.size())
            return true;
    }
}

// Writes a whole file through a temporary one beside target and renames it
// into place, so that target is either absent (or as it was) or complete.
// keep gives the written file what it keeps besides its bytes: owner,
// attributes, permission bits.
template <class TFill, class TKeep> bool CreateFile(const std::string& target, bool replace, TFill fill, TKeep keep)
{
    try {
        TTempFile temp(target);
        if (!fill(temp.Fd()))
            return false;
        // Permission bits are kept where the file system allows; some (FAT
        // sticks used as a backup root) refuse, and the copy is still good.
        try {
            keep(temp);
        } catch (const TError&) {
        }
        temp.Commit(replace);
        return true;
    } catch (const TError&) {
        return false;
    }
}

} // namespace

TEntry EntryAt(const std::string& path)
{
    struct stat st { };
    if (::lstat(path.c_str(), &st) == 0)
        return TEntry::Present;
    return errno == ENOENT ? TEntry::Missing : TEntry::Unknown;
}

bool SameFile(const std::string& a, const std::string& b)
{
    if (a == b)
        return true;
    struct stat sa { };
    struct stat sb { };
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
        sa.st_ino == sb.st_ino;
}

bool IsRegularFile(const std::string& path)
{
    struct stat st { };
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool IsPlainFile(const std::string& path)
{
    struct stat st { };
    return ::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool MakeParentDirectories(const std::string& path)
{
    const std::string directory = DirectoryPart(path);
    if (directory.empty())
        return true;
    std::error_code error;
    std::filesystem::create_directories(directory, error);
    return !error;
}

bool RenameWithoutReplacing(const std::string& source, const std::string& target)
{
    std::string ignored;
    return RenameNoReplace(source, target, ignored);
}

TReadResult ReadWholeFile(const std::string& path, std::string& data, mode_t& mode)
{
    if (!IsRegularFile(path)) // a FIFO would block the open
        return TReadResult::CannotOpen;
    TFd in(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat st { };
    if (!in.Valid() || ::fstat(in.Get(), &st) != 0)
        return TReadResult::CannotOpen;
    mode = st.st_mode;
    data.clear();
    std::vector<char> block(BlockSize);
    for (;;) {
        const ssize_t got = ReadBlock(in.Get(), block.data(), block.size());
        if (got < 0)
            return TReadResult::CannotRead;
        data.append(block.data(), static_cast<std::size_t>(got));
        if (static_cast<std::size_t>(got) < block.size())
            return TReadResult::Done;
    }
}

bool CreateFileWith(const std::string& target, mode_t mode, const std::string& bytes)
{
    return CreateFile(
        target, false, [&](int fd) { return WriteAll(fd, bytes.data(), bytes.size()); },
        [mode](TTempFile& temp) {
            temp.KeepOwner(::geteuid(), ::getegid());
            temp.SetMode(mode & 07777);
        });
}

bool CopyFile(const std::string& source, const std::string& target, bool replace, std::string* lost)
{
    if (lost)
        lost->clear();
    if (!IsRegularFile(source)) // a FIFO would block the open
        return false;
    TFd in(::open(source.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat st { };
    if (!in.Valid() || ::fstat(in.Get(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    return CreateFile(
        target, replace, [&](int fd) { return CopyBlocks(in.Get(), fd); },
        [&](TTempFile& temp) {
            std::string missing = CopyFileMetadata(in.Get(), st, temp.Fd(), target);
            if (lost)
                *lost = std::move(missing);
        });
}

bool LinkOrCopy(const std::string& source, const std::string& target)
{
    // Beside the file a second name costs nothing; a backup tree elsewhere
    // gets a copy of its own.
    if (DirectoryPart(source) == DirectoryPart(target)) {
        if (::link(source.c_str(), target.c_str()) == 0)
            return true;
        if (errno == EEXIST)
            return false;
    }
    return CopyFile(source, target);
}

bool MoveOver(const std::string& source, const std::string& target, std::string& error, std::string* lost)
{
    if (lost)
        lost->clear();
    // Two names of one file: only the extra name goes (a rename between them
    // would do nothing at all).
    if (source != target && SameFile(source, target) && IsRegularFile(source)) {
        if (::unlink(source.c_str()) == 0)
            return true;
        error = std::strerror(errno);
        return false;
    }
    if (std::rename(source.c_str(), target.c_str()) == 0)
        return true;
    if (errno != EXDEV) {
        error = std::strerror(errno);
        return false;
    }
    if (!CopyFile(source, target, true, lost)) {
        error = "копия не записана";
        return false;
    }
    ::unlink(source.c_str()); // the contents are in place; a leftover is only a copy
    return true;
}

} // namespace tekstovar::backupfiles
