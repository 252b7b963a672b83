#pragma once

#include "backups/filebackup.h"
#include "backups/filenamebackup.h"
#include "backups/stringbackup.h"

#include <set>
#include <string>
#include <vector>

namespace tekstovar {

// The backups that runs over a list of files record, keyed by the identity
// of each file's entry: its contents, its name, and the code page shown for
// it before the run. The window keeps one set for its session, with the
// clipboard's text beside; tekstovar-cli one per run.
class TRunBackups {
public:
    TRunBackups();
    TRunBackups(const TRunBackups&) = delete;
    TRunBackups& operator=(const TRunBackups&) = delete;

    // Empty: beside the files; otherwise the tree mirrored below it.
    void SetRoot(const std::string& root);
    const std::string& Root() const { return ContentBackup.Root(); }

    // Whether the entry has a backup of its contents (names: of its name),
    // that is whether Restore and Erase have anything to do.
    bool Holds(const void* key, bool names) const;

    // What undoing or accepting one entry did.
    struct TEntryOutcome {
        bool Held = false; // the store had a backup of the entry
        std::string Path; // where the file is now (restore)
        std::string Encoding; // its code page before the run; empty when none was kept
        std::string Error; // why the backup could not be put back or removed
    };
    // Brings the entry back to what it was before the run: its contents, or
    // (names) the copy under its old name, whose file under the new name at
    // currentPath then goes; the code page comes back with it. A backup that
    // cannot be put back keeps its entry and says why.
    TEntryOutcome Restore(const void* key, bool names, const std::string& currentPath);
    // Discards the entry's backup and, with it, its code page.
    TEntryOutcome Erase(const void* key, bool names);
    // The entry leaves the list: its backups stay on disk, unknown to us.
    void Forget(const void* key);

    // What undoing the run over a text in memory (the clipboard's) gave.
    struct TTextOutcome {
        bool Held = false; // the store had a backup of the text; if not, nothing changed
        std::string Text; // the text before the run
        std::string Encoding; // its code page before the run; empty when none was kept
    };
    // Takes back the text's backup and its code page's.
    TTextOutcome RestoreClipboard(const void* key);
    // Discards them; false when there was nothing to discard.
    bool EraseClipboard(const void* key);

    TFileBackup ContentBackup;
    TFileNameBackup NameBackup;
    TStringBackup ClipboardBackup;
    TStringBackup EncodingBackup;

private:
    TFSBackup& FileStore(bool names) { return names ? static_cast<TFSBackup&>(NameBackup) : ContentBackup; }
};

// Brings files' contents back from the backups of runs without a key list
// (tekstovar-cli, one fixed backup path per file), found by the file's path
// alone. The backup is moved over the file, never deleting the file first;
// temporaries a killed run left beside either go.
class TFixedPathRestore {
public:
    explicit TFixedPathRestore(const std::string& backupRoot);
    // Throws TError, changing nothing, when there is no backup, the file is
    // not a regular one, or the backup could be another file's: beside the
    // files, a.txt and a.txy share a.tx_, and which of them it holds is
    // known to no one. Returns what a copy across file systems could not
    // keep of the file (owner, attributes), in words; empty when all.
    std::string Restore(const std::string& path);

private:
    // The other regular files beside path whose backup path is backup.
    std::vector<std::string> Sharers(const std::string& path, const std::string& backup);

    TFileBackup Store;
    std::set<std::string> Swept;
};
} // namespace tekstovar
