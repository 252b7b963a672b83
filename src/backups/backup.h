#pragma once

#include "backups/keylist.h"
#include "common/error.h"

#include <string>
#include <vector>

namespace tekstovar {

// Thrown when a store is asked about a key it holds no entry for: a misuse,
// since a caller that may meet such a key asks Holds first. It has a type
// of its own so that it is never taken for a backup that failed on disk.
class TMissingKeyError : public TError {
public:
    TMissingKeyError() : TError("List index out of bounds (-1)") { }
};

// A store that keeps one text per item, the item being known only by the
// address of the object that stands for it. Subclasses decide what else is
// kept (files on disk, or nothing).
class TBackup {
public:
    TBackup() = default;
    TBackup(const TBackup&) = delete;
    TBackup& operator=(const TBackup&) = delete;
    // Leaves every file on disk as it is.
    virtual ~TBackup() = default;

    // A key without an entry is backed up and registered with text; if
    // DoBackup throws, nothing is registered. A key with an entry is backed
    // up again only when overwrite is true, and then takes the new text.
    void Backup(const void* key, const std::string& text, bool overwrite);
    // Discards the backup and the entry.
    void Erase(const void* key);
    // Puts the backup back, drops the entry and returns its text. A backup
    // that cannot be put back throws TError and keeps its entry.
    std::string Restore(const void* key);
    // Drops the entry; nothing on disk changes.
    void Forget(const void* key);
    std::string StoredText(const void* key) const;
    bool Holds(const void* key) const { return Keys.IndexOf(key) >= 0; }

    // The four above throw TMissingKeyError for a key without an entry,
    // before anything changes: ask Holds when "nothing backed up" is to be
    // expected.

protected:
    virtual void DoRestore(const void* key) = 0;
    virtual void DoErase(const void* key) = 0;
    virtual void DoBackup(const void* key, const std::string& text) = 0;
    virtual void DoOverwrite(const void* key, const std::string& text) = 0;
    // Told once a key has left the store (restored, erased or forgotten).
    virtual void Forgotten(const void*) { }

    // Keys[i] owns Texts[i]; a key occurs at most once.
    TKeyList Keys;
    std::vector<std::string> Texts;
    // The overwrite flag of the Backup call in progress: a first backup may
    // meet an older one at its place too.
    bool OverwriteAsked = false;

private:
    int IndexOrThrow(const void* key) const;
};

} // namespace tekstovar
