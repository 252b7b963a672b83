#pragma once

#include "backups/filebackup.h"
#include "backups/filenamebackup.h"
#include "backups/stringbackup.h"

#include <string>

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

    TFileBackup ContentBackup;
    TFileNameBackup NameBackup;
    TStringBackup ClipboardBackup;
    TStringBackup EncodingBackup;
};

// Brings a file's contents back from the backup a run without a key list
// made (tekstovar-cli, fixed backup paths): the backup is moved over the
// file, never deleting the file first. Throws TError when there is no
// backup or it cannot be put back.
void RestoreFileFromBackup(const std::string& path, const std::string& backupRoot);

} // namespace tekstovar
