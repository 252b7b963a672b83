#include "filerun/runbackups.h"

#include "backups/fileops.h"
#include "common/error.h"
#include "platform/fileio.h"
#include "platform/pathparts.h"
#include "platform/quoting.h"

#include <filesystem>

namespace tekstovar {

namespace {

// A restored name puts the file back at the directory of the path it has now.
std::string WithName(const std::string& path, const std::string& name) { return DirectoryPart(path) + name; }

} // namespace

TRunBackups::TRunBackups()
{
    // Both file stores may want one path for one file: each leaves the
    // other's alone.
    ContentBackup.SetSibling(&NameBackup);
    NameBackup.SetSibling(&ContentBackup);
}

void TRunBackups::SetRoot(const std::string& root)
{
    ContentBackup.SetRoot(root);
    NameBackup.SetRoot(root);
}

bool TRunBackups::Holds(const void* key, bool names) const
{
    return names ? NameBackup.Holds(key) : ContentBackup.Holds(key);
}

TRunBackups::TEntryOutcome TRunBackups::Restore(const void* key, bool names, const std::string& currentPath)
{
    TEntryOutcome outcome;
    if (!Holds(key, names))
        return outcome;
    TFSBackup& store = FileStore(names);
    outcome.Held = true;
    outcome.Path = currentPath;
    // Only a copy that is there comes back; a file that took the old name
    // meanwhile is no reason to delete the one the run renamed.
    const bool copyThere = backupfiles::EntryAt(store.CopyPath(key)) == backupfiles::TEntry::Present;
    std::string old;
    try {
        old = store.Restore(key);
    } catch (const TError& e) {
        outcome.Error = e.what(); // the file stays as the run left it
        return outcome;
    }
    if (names && copyThere) {
        const std::string restored = WithName(currentPath, NamePart(old));
        // The file the run made under another name goes, unless it is the
        // same file (a name that only changed its letter case on a file
        // system that ignores case).
        std::error_code error;
        if (currentPath != restored && !backupfiles::SameFile(currentPath, restored))
            std::filesystem::remove(currentPath, error);
        outcome.Path = restored;
    }
    // Otherwise the backup had vanished: the file the run produced stays.
    if (!names && EncodingBackup.Holds(key))
        outcome.Encoding = EncodingBackup.Restore(key);
    return outcome;
}

TRunBackups::TEntryOutcome TRunBackups::Erase(const void* key, bool names)
{
    TEntryOutcome outcome;
    if (!Holds(key, names))
        return outcome;
    outcome.Held = true;
    FileStore(names).Erase(key);
    if (!names && EncodingBackup.Holds(key))
        EncodingBackup.Erase(key);
    return outcome;
}

void TRunBackups::Forget(const void* key)
{
    for (TBackup* store : std::initializer_list<TBackup*>{&ContentBackup, &NameBackup, &EncodingBackup})
        if (store->Holds(key))
            store->Forget(key);
}

TRunBackups::TTextOutcome TRunBackups::RestoreClipboard(const void* key)
{
    TTextOutcome outcome;
    if (!ClipboardBackup.Holds(key))
        return outcome;
    outcome.Held = true;
    outcome.Text = ClipboardBackup.Restore(key);
    if (EncodingBackup.Holds(key))
        outcome.Encoding = EncodingBackup.Restore(key);
    return outcome;
}

bool TRunBackups::EraseClipboard(const void* key)
{
    if (!ClipboardBackup.Holds(key))
        return false;
    ClipboardBackup.Erase(key);
    if (EncodingBackup.Holds(key))
        EncodingBackup.Erase(key);
    return true;
}

TFixedPathRestore::TFixedPathRestore(const std::string& backupRoot)
{
    Store.SetRoot(backupRoot);
    Store.SetFixedPaths(true);
}

std::vector<std::string> TFixedPathRestore::Sharers(const std::string& path, const std::string& backup)
{
    std::vector<std::string> sharers;
    const std::string directory = DirectoryPart(path);
    if (!Store.Root().empty() || DirectoryPart(backup) != directory)
        return sharers; // a mirrored tree gives every file a path of its own
    // Only names one character off can share it: the name with its last
    // character replaced, or (for a name ending in "_") the name itself.
    const std::string stem = backup.substr(directory.size(), backup.size() - directory.size() - 1);
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(directory.empty() ? "." : directory, error)) {
        const std::string name = entry.path().filename().string();
        const std::string other = directory + name;
        if (name.compare(0, stem.size(), stem) == 0 && name.size() <= stem.size() + 1 && other != path &&
            other != backup && Store.BackupPath(other) == backup && backupfiles::IsRegularFile(other))
            sharers.push_back(other);
    }
    return sharers;
}

std::string TFixedPathRestore::Restore(const std::string& listed)
{
    // A link is restored where its contents live, as the run rewrote them.
    std::error_code error;
    const std::filesystem::path real = std::filesystem::canonical(listed, error);
    const std::string path = error ? listed : real.string();
    const std::string backup = Store.BackupPath(path);
    // What a killed run left beside the file or its backup goes first.
    for (const std::string& place : {path, backup}) {
        const std::string directory = DirectoryPart(place);
        if (Swept.insert(directory).second)
            RemoveStaleTemporaries(directory.empty() ? "." : directory);
    }
    Store.PruneEmptyDirectories(backup);
    const std::string name = QuoteName(listed);
    if (backupfiles::EntryAt(path) == backupfiles::TEntry::Present && !backupfiles::IsRegularFile(path))
        throw TError("Не обычный файл (каталог, канал, сокет или устройство), оставлен как есть: " + name);
    if (!backupfiles::IsRegularFile(backup) || backup == path)
        throw TError("Нет резервной копии " + QuoteName(backup) + " для " + name);
    const std::vector<std::string> sharers = Sharers(path, backup);
    if (!sharers.empty())
        throw TError("Резервная копия " + QuoteName(backup) + " может быть копией " + QuoteName(sharers.front()) +
            ", а не " + name + ": оставлено как есть, верните вручную");
    std::string reason;
    std::string lost;
    if (!backupfiles::MoveOver(backup, path, reason, &lost))
        throw TError("Не удаётся восстановить " + name + " из " + QuoteName(backup) + ": " + reason);
    Store.PruneEmptyDirectories(backup);
    return lost;
}

} // namespace tekstovar
