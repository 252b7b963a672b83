#include "backups/filenamebackup.h"

#include "backups/fileops.h"
#include "common/error.h"

#include <sys/stat.h>

namespace tekstovar {

using namespace backupfiles;

namespace {

// Enough for any name the file system accepts; a name grown past its limit
// reads as "cannot tell" long before.
constexpr int MaxUnderscores = 255;

} // namespace

std::string TFileNameBackup::WriteCopy(const std::string& path) const
{
    std::string bytes;
    mode_t mode = 0;
    switch (ReadWholeFile(path, bytes, mode)) {
    case TReadResult::Done: break;
    case TReadResult::CannotOpen: throw TError("Не удаётся открыть файл " + path);
    case TReadResult::CannotRead: throw TError("Не удаётся прочитать файл " + path);
    }
    std::string target = BackupPath(path);
    if (!MakeParentDirectories(target)) {
        PruneEmptyDirectories(target);
        throw TError("Не удаётся создать файл " + target);
    }
    for (int extra = 0;; ++extra, target += '_') {
        const TEntry entry = PathInUse(target) ? TEntry::Present : EntryAt(target);
        if (entry == TEntry::Missing && CreateFileWith(target, mode, bytes))
            return target;
        // Taken: try the next name. Free but not creatable, or unknown: the
        // next name would fare no better.
        if (entry != TEntry::Present || extra == MaxUnderscores) {
            PruneEmptyDirectories(target);
            throw TError("Не удаётся создать файл " + target);
        }
    }
}

void TFileNameBackup::DoBackup(const void* key, const std::string& path) { RememberCopy(key, WriteCopy(path)); }

void TFileNameBackup::DoOverwrite(const void* key, const std::string& path)
{
    // The new copy is made first: if that fails, the old one is still there.
    const std::string previous = StoredText(key);
    const std::string oldCopy = CopyPath(key);
    RememberCopy(key, WriteCopy(path));
    if (!SameFile(oldCopy, previous) && !SameFile(oldCopy, path))
        DeleteAndPrune(oldCopy);
}

void TFileNameBackup::DoErase(const void* key) { DeleteCopy(key); }

// Whatever now carries the old name gives way to the copy, in one move.
void TFileNameBackup::DoRestore(const void* key) { PutCopyBack(key); }

} // namespace tekstovar
