#include "platform/largebuffer.h"

#include <cstdint>
#include <sys/mman.h>

namespace tekstovar {

namespace {

constexpr std::uintptr_t HugePage = std::uintptr_t{2} << 20;

} // namespace

void AdviseLargeBuffer(void* data, std::size_t size) noexcept
{
    const auto begin = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t from = (begin + HugePage - 1) & ~(HugePage - 1);
    const std::uintptr_t to = (begin + size) & ~(HugePage - 1);
    if (to > from)
        ::madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE); // a hint: failure changes nothing
}

} // namespace tekstovar
