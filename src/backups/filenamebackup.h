#pragma once

#include "backups/fsbackup.h"

#include <string>

namespace tekstovar {

// Backs up a file before it is renamed: the text is its full path under the
// old name, and a copy of the file goes to its backup path. That path may
// already hold the content store's backup of the same file or an older
// backup; then the copy goes to the first free path made by appending "_"
// (a.tx__, a.tx___, ...), so no existing file is ever overwritten. The path
// used is remembered per item.
class TFileNameBackup : public TFSBackup {
public:
protected:
    void DoRestore(const void* key) override;
    void DoErase(const void* key) override;
    // Throws TError naming the path if the file cannot be read or the copy
    // cannot be created.
    void DoBackup(const void* key, const std::string& path) override;
    void DoOverwrite(const void* key, const std::string& path) override;

private:
    // Copies the file at path to a free backup path and returns that path.
    std::string WriteCopy(const std::string& path) const;
};

} // namespace tekstovar
