#pragma once

#include "backups/fsbackup.h"

namespace tekstovar {

// Backs up a file's contents before it is rewritten: the text is the file's
// full path, and its contents are kept at its backup path (a second name for
// the file beside it, a copy under a backup root) while the file stays at its
// path until the caller replaces it as a whole. If something already lies at
// the backup path (say, a backup left by an earlier session), nothing is
// written, the item is registered all the same and a restore brings back that
// older file. A backup that cannot be made throws TError and registers
// nothing, so the caller leaves the file alone.
class TFileBackup : public TFSBackup {
protected:
    void DoRestore(const void* key) override;
    void DoErase(const void* key) override;
    void DoBackup(const void* key, const std::string& path) override;
    void DoOverwrite(const void* key, const std::string& path) override;

private:
    bool KeepCopy(const std::string& path, const std::string& backup) const;
};

} // namespace tekstovar
