#pragma once

#include "backups/backup.h"

namespace tekstovar {

// Keeps a string (the clipboard text, a code-page name): the stored text is
// the whole backup, so there is nothing to do on disk.
class TStringBackup : public TBackup {
protected:
    void DoRestore(const void*) override { }
    void DoErase(const void*) override { }
    void DoBackup(const void*, const std::string&) override { }
    void DoOverwrite(const void*, const std::string&) override { }
};

} // namespace tekstovar
