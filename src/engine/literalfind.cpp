#include "engine/literalfind.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tekstovar {

std::size_t FindLiteral(std::string_view hay, std::string_view needle) noexcept
{
    const std::size_t k = needle.size();
    if (k == 0)
        return 0;
    if (k > hay.size())
        return std::string_view::npos;
    if (k == 1) {
        const void* at = std::memchr(hay.data(), needle[0], hay.size());
        return at ? static_cast<std::size_t>(static_cast<const char*>(at) - hay.data()) : std::string_view::npos;
    }
    std::size_t i = 0;
#if defined(__SSE2__)
    const char* const text = hay.data();
    const __m128i first = _mm_set1_epi8(needle[0]);
    const __m128i last = _mm_set1_epi8(needle[k - 1]);
    // Blocks whose last candidate still has room for the whole needle.
    for (; i + 16 + k - 1 <= hay.size(); i += 16) {
        const __m128i atFirst = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i));
        const __m128i atLast = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i + k - 1));
        auto mask = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(first, atFirst), _mm_cmpeq_epi8(last, atLast))));
        while (mask != 0) {
            const auto bit = static_cast<std::size_t>(__builtin_ctz(mask));
            if (std::memcmp(text + i + bit + 1, needle.data() + 1, k - 2) == 0)
                return i + bit;
            mask &= mask - 1;
        }
    }
#endif
    const std::size_t rest = hay.substr(i).find(needle);
    return rest == std::string_view::npos ? rest : i + rest;
}

} // namespace tekstovar
