#include "backups/fsbackup.h"

#include "backups/fileops.h"
#include "common/error.h"
#include "platform/pathparts.h"

#include <algorithm>
#include <filesystem>
#include <unistd.h>

namespace tekstovar {

namespace fs = std::filesystem;
using namespace backupfiles;

namespace {

// Whether inner lies strictly below outer; both canonical.
bool IsStrictlyBelow(const fs::path& inner, const fs::path& outer)
{
    const auto [o, i] = std::mismatch(outer.begin(), outer.end(), inner.begin(), inner.end());
    return o == outer.end() && i != inner.end();
}

// "R/a/b/" -> "R/a/": always shorter, so a walk up ends.
std::string ParentDirectory(const std::string& directory)
{
    return DirectoryPart(directory.substr(0, directory.size() - 1));
}

} // namespace

void TFSBackup::SetRoot(const std::string& path)
{
    RootPath = path;
    if (!RootPath.empty() && RootPath.back() != '/')
        RootPath += '/';
}

std::string TFSBackup::BackupPath(const std::string& path) const
{
    if (RootPath.empty()) {
        if (path.empty())
            return path;
        std::string backup = path;
        if (backup.back() == '_')
            backup += '_';
        else
            backup.back() = '_';
        return backup;
    }
    // Normalised as an absolute path, the tail can hold no "..": "/.." is "/".
    std::error_code error;
    fs::path absolute = path;
    if (!path.starts_with('/'))
        absolute = fs::absolute(path, error);
    if (error)
        absolute = "/" + path;
    std::string rooted(1, '/');
    rooted += absolute.generic_string();
    const std::string plain = fs::path(rooted).lexically_normal().generic_string();
    std::string backup = RootPath;
    if (const std::size_t tail = plain.find_first_not_of('/'); tail != std::string::npos)
        backup.append(plain, tail);
    return backup;
}

bool TFSBackup::TransferFile(const std::string& source, const std::string& target) const
{
    if (EntryAt(target) != TEntry::Missing || !IsRegularFile(source))
        return false;
    if (DirectoryPart(source) == DirectoryPart(target))
        return RenameWithoutReplacing(source, target);
    if (!MakeParentDirectories(target) || !CopyFile(source, target)) {
        PruneEmptyDirectories(target);
        return false;
    }
    // The copy is complete and on the disk; if the source cannot be deleted
    // the data is still where the caller wants it.
    DeleteAndPrune(source);
    return true;
}

std::string TFSBackup::CopyPath(const void* key) const
{
    if (Keys.IndexOf(key) < 0)
        return {};
    const auto found = CopyPaths.find(key);
    return found == CopyPaths.end() ? BackupPath(StoredText(key)) : found->second;
}

bool TFSBackup::HoldsPath(const std::string& path) const { return PathKeys.contains(path); }

void TFSBackup::RememberCopy(const void* key, const std::string& copy)
{
    DropCopy(key);
    CopyPaths[key] = copy;
    PathKeys[copy] = key;
}

void TFSBackup::DropCopy(const void* key)
{
    const auto found = CopyPaths.find(key);
    if (found == CopyPaths.end())
        return;
    const auto owner = PathKeys.find(found->second);
    if (owner != PathKeys.end() && owner->second == key)
        PathKeys.erase(owner);
    CopyPaths.erase(found);
}

void TFSBackup::Forgotten(const void* key) { DropCopy(key); }

void TFSBackup::PutCopyBack(const void* key)
{
    const std::string path = StoredText(key);
    const std::string copy = CopyPath(key);
    if (EntryAt(copy) == TEntry::Present && copy != path) {
        std::string reason;
        if (!MoveOver(copy, path, reason))
            throw TError("Не удаётся восстановить " + path + " из " + copy + ": " + reason);
        PruneEmptyDirectories(copy);
    }
    DropCopy(key);
}

void TFSBackup::DeleteCopy(const void* key)
{
    const std::string copy = CopyPath(key);
    if (copy != StoredText(key))
        DeleteAndPrune(copy);
    DropCopy(key);
}

bool TFSBackup::PathInUse(const std::string& path) const
{
    return HoldsPath(path) || (Sibling && Sibling->HoldsPath(path));
}

bool TFSBackup::DeleteAndPrune(const std::string& path) const
{
    if (::unlink(path.c_str()) != 0)
        return false;
    PruneEmptyDirectories(path);
    return true;
}

void TFSBackup::PruneEmptyDirectories(const std::string& path) const
{
    if (RootPath.empty() || !path.starts_with(RootPath))
        return;
    std::error_code error;
    const fs::path root = fs::canonical(RootPath, error);
    if (error)
        return;
    for (std::string directory = DirectoryPart(path); directory.size() > RootPath.size();
         directory = ParentDirectory(directory)) {
        // Checked on the real path too: a link or ".." inside the tree must
        // not lead the walk to directories outside the root.
        const fs::path real = fs::canonical(directory, error);
        if (error || !IsStrictlyBelow(real, root))
            return;
        if (::rmdir(directory.c_str()) != 0)
            return;
    }
}

} // namespace tekstovar
