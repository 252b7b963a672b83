#include "platform/filemeta.h"

#include "common/error.h"
#include "platform/quoting.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

namespace tekstovar {

namespace {

constexpr const char* AccessAcl = "system.posix_acl_access";

std::string Reason(int error) { return std::strerror(error); }

bool Unsupported(int error) { return error == ENOTSUP || error == EOPNOTSUPP; }

std::string Octal(mode_t mode)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%04o", static_cast<unsigned>(mode));
    return buffer;
}

// Reads what a size query announced; the value may grow in between, so a
// too small buffer asks again. False with errno set on a failure.
template <class TRead> bool ReadSized(std::string& out, TRead read)
{
    for (int attempt = 0; attempt < 8; ++attempt) {
        const ssize_t size = read(nullptr, 0);
        if (size < 0)
            return false;
        out.assign(static_cast<std::size_t>(size), '\0');
        const ssize_t got = size == 0 ? 0 : read(out.data(), out.size());
        if (got >= 0) {
            out.resize(static_cast<std::size_t>(got));
            return true;
        }
        if (errno != ERANGE)
            return false;
    }
    errno = ERANGE;
    return false;
}

bool ListAttributes(int fd, std::vector<std::string>& names)
{
    std::string list;
    if (!ReadSized(list, [fd](char* at, std::size_t size) { return ::flistxattr(fd, at, size); }))
        return false;
    names.clear();
    for (std::size_t at = 0; at < list.size();) {
        const std::size_t end = std::min(list.find('\0', at), list.size());
        names.push_back(list.substr(at, end - at));
        at = end + 1;
    }
    return true;
}

bool ReadAttribute(int fd, const std::string& name, std::string& value)
{
    return ReadSized(value, [&](char* at, std::size_t size) { return ::fgetxattr(fd, name.c_str(), at, size); });
}

// Owner and group; what is lost goes to `lost`.
void CopyOwner(const struct stat& like, const struct stat& now, int to, std::vector<std::string>& lost)
{
    if (now.st_uid == like.st_uid && now.st_gid == like.st_gid)
        return;
    if (::fchown(to, like.st_uid, like.st_gid) == 0)
        return;
    const int error = errno;
    // Not root: a group of one's own can still be given.
    const bool ownerKept = now.st_uid == like.st_uid;
    const bool groupKept = now.st_gid == like.st_gid || ::fchown(to, static_cast<uid_t>(-1), like.st_gid) == 0;
    std::string what;
    if (!ownerKept)
        what = "владелец " + std::to_string(like.st_uid);
    if (!ownerKept && !groupKept)
        what += " и ";
    if (!groupKept)
        what += "группа " + std::to_string(like.st_gid);
    if (!what.empty())
        lost.push_back(what + " (" + Reason(error) + ")");
}

void CopyAttributes(int from, int to, std::vector<std::string>& lost)
{
    std::vector<std::string> names;
    if (!ListAttributes(from, names)) {
        if (!Unsupported(errno)) // a file system without attributes has none to lose
            lost.push_back("расширенные атрибуты (" + Reason(errno) + ")");
        return;
    }
    for (const std::string& name : names) {
        std::string value;
        if (!ReadAttribute(from, name, value)) {
            if (errno != ENODATA) // removed meanwhile
                lost.push_back("атрибут " + QuoteName(name) + " (" + Reason(errno) + ")");
            continue;
        }
        // One the new file has already (its security label) is not set again.
        std::string present;
        if (ReadAttribute(to, name, present) && present == value)
            continue;
        if (::fsetxattr(to, name.c_str(), value.data(), value.size(), 0) != 0)
            lost.push_back("атрибут " + QuoteName(name) + " (" + Reason(errno) + ")");
    }
    // An ACL the new file inherited from its directory's default is not the
    // old file's: without one of its own, the old file's bits alone rule.
    if (std::find(names.begin(), names.end(), AccessAcl) == names.end() && ::fremovexattr(to, AccessAcl) != 0 &&
        errno != ENODATA && !Unsupported(errno))
        lost.push_back(std::string("ACL из каталога не снят (") + Reason(errno) + ")");
}

} // namespace

std::string CopyFileMetadata(int from, const struct stat& like, int to, const std::string& name)
{
    std::vector<std::string> lost;
    struct stat now { };
    if (::fstat(to, &now) != 0)
        throw TError("Не удаётся записать файл " + QuoteName(name) + ": " + Reason(errno));
    CopyOwner(like, now, to, lost);
    if (from >= 0)
        CopyAttributes(from, to, lost);
    const mode_t mode = like.st_mode & 07777;
    if (::fchmod(to, mode) != 0)
        throw TError("Не удаётся записать файл " + QuoteName(name) + ": " + Reason(errno));
    // Not root and not of the file's group: the set-group-ID bit is dropped
    // without a word.
    if (::fstat(to, &now) == 0 && (now.st_mode & 07777) != mode)
        lost.push_back("права " + Octal(mode) + " (стали " + Octal(now.st_mode & 07777) + ")");
    if (lost.empty())
        return {};
    std::string message = "У файла " + QuoteName(name) + " не сохранены: ";
    for (std::size_t i = 0; i < lost.size(); ++i)
        message += (i ? "; " : "") + lost[i];
    return message;
}

} // namespace tekstovar
