#include "backups/filebackup.h"

#include "backups/fileops.h"
#include "common/error.h"

#include <cerrno>
#include <unistd.h>

namespace tekstovar {

using namespace backupfiles;

// Whenever a backup path turns out to be the file itself (a root of "/",
// say), the disk is left alone: deleting "the current file" would delete the
// only copy.

void TFileBackup::DoRestore(const void* key)
{
    const std::string path = StoredText(key);
    const std::string backup = BackupPath(path);
    if (EntryAt(backup) != TEntry::Present || SameFile(backup, path))
        return;
    DeleteAndPrune(path);
    TransferFile(backup, path);
}

void TFileBackup::DoErase(const void* key)
{
    const std::string path = StoredText(key);
    const std::string backup = BackupPath(path);
    if (!SameFile(backup, path))
        DeleteAndPrune(backup);
}

void TFileBackup::DoBackup(const void*, const std::string& path)
{
    const std::string backup = BackupPath(path);
    const TEntry existing = EntryAt(backup);
    if (SameFile(backup, path) || existing == TEntry::Present)
        return; // a taken backup path keeps the older backup; the item is registered all the same
    if (existing == TEntry::Unknown || !KeepCopy(path, backup))
        throw TError("Не удаётся сохранить резервную копию " + path + " в " + backup);
}

bool TFileBackup::KeepCopy(const std::string& path, const std::string& backup) const
{
    // The file stays where it is until the caller replaces it as a whole, so
    // a stop or a failed write never leaves its path empty. Beside the file a
    // second name for it costs nothing: the caller's rewrite gives the path a
    // new file and leaves the old one to the backup.
    if (DirectoryPart(backup) == DirectoryPart(path)) {
        if (::link(path.c_str(), backup.c_str()) == 0)
            return true;
        if (errno == EEXIST)
            return false;
    }
    if (!MakeParentDirectories(backup))
        return false;
    if (CopyFile(path, backup))
        return true;
    PruneEmptyDirectories(backup);
    return false;
}

void TFileBackup::DoOverwrite(const void* key, const std::string& path)
{
    // Without a file to take its place the old backup is the only copy of
    // those contents, so it stays.
    if (!IsRegularFile(path))
        return;
    // The store's own previous backup goes, the one of the stored path: if
    // the file was renamed meanwhile, whatever lies at the new path's backup
    // path is not ours to delete.
    const std::string previous = StoredText(key);
    const std::string oldBackup = BackupPath(previous);
    const std::string newBackup = BackupPath(path);
    if (SameFile(oldBackup, previous) || SameFile(newBackup, path))
        return;
    if (oldBackup != newBackup && EntryAt(newBackup) != TEntry::Missing)
        return;
    DeleteAndPrune(oldBackup);
    if (!KeepCopy(path, newBackup))
        throw TError("Не удаётся сохранить резервную копию " + path + " в " + newBackup);
}

} // namespace tekstovar
