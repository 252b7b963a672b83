#pragma once

#include "backups/backup.h"

#include <string>
#include <unordered_map>

namespace tekstovar {

// A store that keeps files on disk: beside the original, or mirrored below a
// backup root.
class TFSBackup : public TBackup {
public:
    // An empty path means "beside the file"; any other gets a trailing "/".
    // Existing backups stay where they are.
    void SetRoot(const std::string& path);
    // Empty, or a directory path ending in "/".
    const std::string& Root() const { return RootPath; }

    // Where the backup of the file at path goes. Below a root: the root
    // followed by the absolute path without its leading "/" (made plain
    // first, so that "." and ".." never lead out of the root, and two
    // relative paths from different directories never meet). Without a root: the
    // path with its last character replaced by "_" (a.txt -> a.tx_), or with
    // "_" appended if it already ends in one (a.tx_ -> a.tx__), so that a
    // file is never its own backup.
    std::string BackupPath(const std::string& path) const;

    // Moves a file; false when anything lies at target (it is not touched)
    // or the move fails (source stays). Within one directory it is a rename;
    // otherwise target's directories are created, the contents and
    // permission bits copied, and the source deleted with DeleteAndPrune.
    bool TransferFile(const std::string& source, const std::string& target) const;

    // Deletes the file, then the directories of the backup tree above it
    // that became empty, up to but never including the root; nothing
    // outside the root. False if the file could not be deleted.
    bool DeleteAndPrune(const std::string& path) const;

    // Where the backup of key lies; empty for a key without an entry.
    std::string CopyPath(const void* key) const;
    // Whether this store keeps a backup of some item at path.
    bool HoldsPath(const std::string& path) const;
    // The other store of a run, whose backups may lie on the same paths.
    void SetSibling(const TFSBackup* sibling) { Sibling = sibling; }

    // The pruning half of DeleteAndPrune, for a file that is already gone.
    void PruneEmptyDirectories(const std::string& path) const;

protected:
    // Whether a backup of this store or its sibling lies at path: such a
    // path serves that backup alone.
    bool PathInUse(const std::string& path) const;
    // Records where key's backup lies.
    void RememberCopy(const void* key, const std::string& copy);
    void DropCopy(const void* key);
    void Forgotten(const void* key) override;
    // Moves key's backup over its stored path, never deleting what lies
    // there first; throws TError and keeps everything when it cannot.
    // Nothing happens when the backup has vanished.
    void PutCopyBack(const void* key);
    // Deletes key's backup (never the stored path itself).
    void DeleteCopy(const void* key);

private:
    // Where each item's backup lies, and whose backup lies at a path: a run
    // over thousands of files asks both for every file.
    std::unordered_map<const void*, std::string> CopyPaths;
    std::unordered_map<std::string, const void*> PathKeys;
    std::string RootPath;
    const TFSBackup* Sibling = nullptr;
};

} // namespace tekstovar
