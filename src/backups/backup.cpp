#include "backups/backup.h"

namespace tekstovar {

int TBackup::IndexOrThrow(const void* key) const
{
    const int index = Keys.IndexOf(key);
    if (index < 0)
        throw TMissingKeyError();
    return index;
}

void TBackup::Backup(const void* key, const std::string& text, bool overwrite)
{
    const int index = Keys.IndexOf(key);
    OverwriteAsked = overwrite;
    if (index < 0) {
        DoBackup(key, text);
        Texts.push_back(text);
        try {
            Keys.Add(key);
        } catch (...) {
            Texts.pop_back(); // the two lists must never differ in length
            throw;
        }
    } else if (overwrite) {
        DoOverwrite(key, text);
        Texts[static_cast<std::size_t>(index)] = text;
    }
}

void TBackup::Erase(const void* key)
{
    IndexOrThrow(key);
    DoErase(key);
    Forget(key);
}

std::string TBackup::Restore(const void* key)
{
    IndexOrThrow(key);
    DoRestore(key);
    std::string text = StoredText(key);
    Forget(key);
    return text;
}

void TBackup::Forget(const void* key)
{
    const int index = IndexOrThrow(key);
    Keys.Delete(index);
    Texts.erase(Texts.begin() + index);
    Forgotten(key);
}

std::string TBackup::StoredText(const void* key) const { return Texts[static_cast<std::size_t>(IndexOrThrow(key))]; }

} // namespace tekstovar
