#pragma once

#include <unordered_map>
#include <vector>

namespace tekstovar {

// An ordered list of object identities. The objects are only compared by
// address, never touched or freed.
class TKeyList {
public:
    // Appends key at the end.
    void Add(const void* key);
    // The 0-based position of the first occurrence of key, or -1.
    int IndexOf(const void* key) const;
    // Removes the key at index; an index outside the list throws
    // std::out_of_range.
    void Delete(int index);
    int Count() const { return static_cast<int>(Items.size()); }

private:
    std::vector<const void*> Items;
    // How often each key is in Items: a key the list does not hold, the
    // common question of a run over many files, is told at once.
    std::unordered_map<const void*, int> Held;
};

} // namespace tekstovar
