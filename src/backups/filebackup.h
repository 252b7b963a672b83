#pragma once

#include "backups/fsbackup.h"

#include <string>

namespace tekstovar {

// Backs up a file's contents before it is rewritten: the text is the file's
// full path, and its contents are kept at a backup path (a second name for
// the file beside it, a copy under a backup root) while the file stays at its
// path until the caller replaces it as a whole. A backup is complete or
// absent, and one backup path serves one file.
//
// An older file at the backup path (left by an earlier session) is never
// restored in place of this backup nor destroyed unasked: the backup goes to
// the first free path made by appending "_" (a.tx__, ...), remembered per
// item; with overwrite the older one is replaced, but only once the new one
// exists. With fixed paths (for callers that find backups again by the
// file's path alone) the backup path is always BackupPath: an older backup
// there is kept as this item's backup unless overwrite, and a path holding
// another item's backup is refused.
//
// A backup that cannot be made throws TError and registers nothing, so the
// caller leaves the file alone. Restoring moves the backup over the file,
// never deleting the file first; a restore that fails throws and keeps the
// item.
class TFileBackup : public TFSBackup {
public:
    void SetFixedPaths(bool fixed) { Fixed = fixed; }

protected:
    void DoRestore(const void* key) override;
    void DoErase(const void* key) override;
    void DoBackup(const void* key, const std::string& path) override;
    void DoOverwrite(const void* key, const std::string& path) override;

private:
    // Makes the backup of path and returns where it lies.
    std::string MakeBackup(const std::string& path) const;
    std::string MakeFixedBackup(const std::string& path) const;
    // A hard link at backup, beside the file; false when there is a root or
    // the link was not made.
    bool LinkedAtOnce(const std::string& path, const std::string& backup) const;
    [[noreturn]] void Refuse(const std::string& path, const std::string& backup) const;

    bool Fixed = false;
};

} // namespace tekstovar
