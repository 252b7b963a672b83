#include "backups/keylist.h"

#include <algorithm>
#include <stdexcept>
#include <string>

namespace tekstovar {

void TKeyList::Add(const void* key)
{
    Items.push_back(key);
    ++Held[key];
}

int TKeyList::IndexOf(const void* key) const
{
    if (!Held.contains(key))
        return -1;
    const auto found = std::find(Items.begin(), Items.end(), key);
    return found == Items.end() ? -1 : static_cast<int>(found - Items.begin());
}

void TKeyList::Delete(int index)
{
    if (index < 0 || index >= Count())
        throw std::out_of_range("List index out of bounds (" + std::to_string(index) + ")");
    const auto held = Held.find(Items[static_cast<std::size_t>(index)]);
    if (--held->second == 0)
        Held.erase(held);
    Items.erase(Items.begin() + index);
}

} // namespace tekstovar
