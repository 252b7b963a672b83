#include "backups/filenamebackup.h"

#include "backups/fileops.h"
#include "common/error.h"

#include <sys/stat.h>

namespace tekstovar {

using namespace backupfiles;

namespace {

// Enough for any name the file system accepts; a name grown past its limit
// reads as "cannot tell" long before.
constexpr int MaxUnderscores = 255;

} // namespace

std::string TFileNameBackup::CopyPath(const void* key) const
{
    if (Keys.IndexOf(key) < 0)
        return {};
    const auto found = CopyPaths.find(key);
    return found == CopyPaths.end() ? BackupPath(StoredText(key)) : found->second;
}

std::string TFileNameBackup::WriteCopy(const std::string& path) const
{
    std::string bytes;
    mode_t mode = 0;
    switch (ReadWholeFile(path, bytes, mode)) {
    case TReadResult::Done: break;
    case TReadResult::CannotOpen: throw TError("Не удаётся открыть файл " + path);
    case TReadResult::CannotRead: throw TError("Не удаётся прочитать файл " + path);
    }
    std::string target = BackupPath(path);
    if (!MakeParentDirectories(target)) {
        PruneEmptyDirectories(target);
        throw TError("Не удаётся создать файл " + target);
    }
    for (int extra = 0;; ++extra, target += '_') {
        const TEntry entry = PathInUse(target) ? TEntry::Present : EntryAt(target);
        if (entry == TEntry::Missing && CreateFileWith(target, mode, bytes))
            return target;
        // Taken: try the next name. Free but not creatable, or unknown: the
        // next name would fare no better.
        if (entry != TEntry::Present || extra == MaxUnderscores) {
            PruneEmptyDirectories(target);
            throw TError("Не удаётся создать файл " + target);
        }
    }
}

void TFileNameBackup::DoBackup(const void* key, const std::string& path)
{
    const std::string copy = WriteCopy(path);
    // Paths of items the store no longer holds (forgotten ones) go here.
    std::erase_if(CopyPaths, [this](const auto& item) { return Keys.IndexOf(item.first) < 0; });
    CopyPaths[key] = copy;
}

void TFileNameBackup::DoOverwrite(const void* key, const std::string& path)
{
    // The new copy is made first: if that fails, the old one is still there.
    const std::string previous = StoredText(key);
    const std::string oldCopy = CopyPath(key);
    const std::string newCopy = WriteCopy(path);
    CopyPaths[key] = newCopy;
    if (!SameFile(oldCopy, previous) && !SameFile(oldCopy, path))
        DeleteAndPrune(oldCopy);
}

void TFileNameBackup::DoErase(const void* key)
{
    const std::string path = StoredText(key);
    const std::string copy = CopyPath(key);
    if (!SameFile(copy, path))
        DeleteAndPrune(copy);
    CopyPaths.erase(key);
}

void TFileNameBackup::DoRestore(const void* key)
{
    const std::string path = StoredText(key);
    const std::string copy = CopyPath(key);
    if (EntryAt(copy) != TEntry::Present || copy == path) {
        CopyPaths.erase(key);
        return;
    }
    // Whatever now carries the old name gives way to the copy, in one move:
    // if that fails, it stays as it is.
    std::string reason;
    if (!MoveOver(copy, path, reason))
        throw TError("Не удаётся восстановить " + path + " из " + copy + ": " + reason);
    PruneEmptyDirectories(copy);
    CopyPaths.erase(key);
}

bool TFileNameBackup::HoldsPath(const std::string& path) const
{
    for (const auto& [key, copy] : CopyPaths)
        if (copy == path && Keys.IndexOf(key) >= 0)
            return true;
    return false;
}

} // namespace tekstovar
