#pragma once

#include <cstddef>

namespace tekstovar {

// Asks the kernel to back a large buffer about to be filled with huge pages:
// a text of hundreds of megabytes then takes a few hundred page faults
// instead of tens of thousands, which are most of the cost of reading it.
// Only whole huge pages inside [data, data + size) are advised; anything
// smaller, or a kernel that declines, leaves the buffer as it was.
void AdviseLargeBuffer(void* data, std::size_t size) noexcept;

} // namespace tekstovar
