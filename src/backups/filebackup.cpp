#include "backups/filebackup.h"

#include "backups/fileops.h"
#include "common/error.h"

#include <filesystem>
#include <unistd.h>

namespace tekstovar {

using namespace backupfiles;

namespace {

// Enough for any name the file system accepts; a name grown past its limit
// reads as "cannot tell" long before.
constexpr int MaxUnderscores = 255;

// Whether backup is the file's own path (a root of "/" mirrors every file
// onto itself): such a backup cannot be made, and nothing there may be
// deleted as "the backup".
bool IsItself(const std::string& backup, const std::string& path)
{
    namespace fs = std::filesystem;
    if (backup == path)
        return true;
    std::error_code error;
    const auto plain = [&error](const std::string& p) {
        return (p.starts_with('/') ? fs::path(p) : fs::absolute(p, error)).lexically_normal();
    };
    return plain(backup) == plain(path);
}

} // namespace

bool TFileBackup::LinkedAtOnce(const std::string& path, const std::string& backup) const
{
    // Beside the file most backups are new: the link itself tells whether
    // the name is free, and its directory is the file's own. Any failure
    // goes the long way, which looks at what lies there.
    return Root().empty() && ::link(path.c_str(), backup.c_str()) == 0;
}

void TFileBackup::Refuse(const std::string& path, const std::string& backup) const
{
    throw TError("Не удаётся сохранить резервную копию " + path + " в " + backup);
}

std::string TFileBackup::MakeFixedBackup(const std::string& path) const
{
    const std::string backup = BackupPath(path);
    if (PathInUse(backup))
        throw TError(
            "Путь резервной копии " + backup + " уже занят копией другого файла; " + path + " оставлен без изменений");
    if (LinkedAtOnce(path, backup))
        return backup;
    switch (EntryAt(backup)) {
    case TEntry::Unknown: Refuse(path, backup);
    case TEntry::Present:
        // A symbolic link, a directory or a dangling name there holds no copy
        // of anything: taking it for the backup would leave the file
        // rewritten with none.
        if (!IsPlainFile(backup))
            Refuse(path, backup);
        // A second name of the file itself is a backup of what it holds now;
        // an older backup stays this file's backup unless asked otherwise.
        if (SameFile(backup, path) || !OverwriteAsked)
            return backup;
        if (!IsRegularFile(backup) || !CopyFile(path, backup, true))
            Refuse(path, backup);
        return backup;
    case TEntry::Missing: break;
    }
    if (!MakeParentDirectories(backup) || !LinkOrCopy(path, backup)) {
        PruneEmptyDirectories(backup);
        Refuse(path, backup);
    }
    return backup;
}

std::string TFileBackup::MakeBackup(const std::string& path) const
{
    const std::string base = BackupPath(path);
    // Beside the file the backup's name differs from the file's in its last
    // character or its length: only a root can map a file onto itself.
    if (!Root().empty() && IsItself(base, path))
        Refuse(path, base);
    if (Fixed)
        return MakeFixedBackup(path);
    if (!Root().empty() && !MakeParentDirectories(base)) {
        PruneEmptyDirectories(base);
        Refuse(path, base);
    }
    std::string target = base;
    for (int extra = 0; extra <= MaxUnderscores; ++extra, target += '_') {
        if (PathInUse(target))
            continue; // serves another file's backup
        if (LinkedAtOnce(path, target))
            return target;
        switch (EntryAt(target)) {
        case TEntry::Unknown: Refuse(path, target);
        case TEntry::Missing:
            if (LinkOrCopy(path, target))
                return target;
            if (EntryAt(target) == TEntry::Present)
                continue; // taken meanwhile
            PruneEmptyDirectories(target);
            Refuse(path, target);
        case TEntry::Present:
            // A second name of the file itself already holds what it holds now
            // (a symbolic link to it would follow it into its new contents).
            if (SameFile(target, path) && IsPlainFile(target))
                return target;
            // An older backup is replaced only when asked, and only once the
            // new one is whole; otherwise it stays where it is.
            if (OverwriteAsked && target == base && IsRegularFile(target)) {
                if (!CopyFile(path, target, true))
                    Refuse(path, target);
                return target;
            }
            break;
        }
    }
    Refuse(path, base);
}

void TFileBackup::DoBackup(const void* key, const std::string& path) { RememberCopy(key, MakeBackup(path)); }

void TFileBackup::DoOverwrite(const void* key, const std::string& path)
{
    // Without a file to take its place the old backup is the only copy of
    // those contents, so it stays.
    if (!IsRegularFile(path))
        return;
    const std::string previous = StoredText(key);
    const std::string oldCopy = CopyPath(key);
    if (SameFile(oldCopy, path))
        return; // it already holds what the file holds
    if (BackupPath(path) == BackupPath(previous) && EntryAt(oldCopy) == TEntry::Present && !IsItself(oldCopy, path)) {
        // The new copy takes the old one's place in one rename.
        if (!CopyFile(path, oldCopy, true))
            Refuse(path, oldCopy);
        return;
    }
    // The file was renamed meanwhile: a backup of its own, then the old goes.
    const std::string copy = MakeBackup(path);
    RememberCopy(key, copy);
    if (oldCopy != copy && !IsItself(oldCopy, previous))
        DeleteAndPrune(oldCopy);
}

// A backup that is the file's own path (a root of "/") was never made, so
// neither of these touches it.

void TFileBackup::DoErase(const void* key) { DeleteCopy(key); }

void TFileBackup::DoRestore(const void* key) { PutCopyBack(key); }

} // namespace tekstovar
