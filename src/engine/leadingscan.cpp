#include "engine/leadingscan.h"

#include "engine/literalfind.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tekstovar {

TLeadingScan::TLeadingScan(TLeadingChars lead) : Lead(std::move(lead))
{
    if (Lead.Any)
        return;
    int count = 0;
    for (int b = 0; b < 256; ++b)
        if (Lead.Chars.Has(static_cast<unsigned char>(b))) {
            Table[b] = true;
            SingleChar = b;
            ++count;
        }
    if (count != 1)
        SingleChar = -1;
    for (int b = 0; b < 256;) {
        if (!Table[b]) {
            ++b;
            continue;
        }
        int hi = b;
        while (hi + 1 < 256 && Table[hi + 1])
            ++hi;
        if (RangeCount == MaxRanges) {
            RangeCount = 0; // too scattered: the table alone
            break;
        }
        Ranges[RangeCount++] = {static_cast<unsigned char>(b), static_cast<unsigned char>(hi)};
        b = hi + 1;
    }
}

const unsigned char* TLeadingScan::FindInTable(const unsigned char* at, const unsigned char* end) const
{
#if defined(__SSE2__)
    if (RangeCount > 0) {
        __m128i low[MaxRanges];
        __m128i width[MaxRanges];
        for (std::size_t r = 0; r < RangeCount; ++r) {
            low[r] = _mm_set1_epi8(static_cast<char>(Ranges[r].Lo));
            width[r] = _mm_set1_epi8(static_cast<char>(Ranges[r].Hi - Ranges[r].Lo));
        }
        for (; end - at >= 16; at += 16) {
            const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
            __m128i hit = _mm_setzero_si128();
            for (std::size_t r = 0; r < RangeCount; ++r) {
                // In the range when byte - lo, unsigned, is at most hi - lo.
                const __m128i offset = _mm_sub_epi8(block, low[r]);
                hit = _mm_or_si128(hit, _mm_cmpeq_epi8(_mm_min_epu8(offset, width[r]), offset));
            }
            if (const int mask = _mm_movemask_epi8(hit))
                return at + __builtin_ctz(static_cast<unsigned>(mask));
        }
    }
#endif
    while (at < end && !Table[*at])
        ++at;
    return at;
}

TPos TLeadingScan::FindRaw(std::string_view text, TPos from) const
{
    const TPos size = TextSize(text);
    if (from > size)
        return size + 1;
    const char* begin = text.data();
    const char* at = begin + (from - 1);
    const std::size_t left = static_cast<std::size_t>(size - from + 1);
    const void* found = nullptr;
    if (Lead.Literal.size() > 1) {
        const std::size_t offset = FindLiteral(std::string_view(at, left), Lead.Literal);
        found = offset == std::string_view::npos ? nullptr : at + offset;
    } else if (SingleChar >= 0)
        found = std::memchr(at, SingleChar, left);
    else {
        const auto* p = reinterpret_cast<const unsigned char*>(at);
        const auto* end = p + left;
        p = FindInTable(p, end);
        found = p < end ? p : nullptr;
    }
    return found ? static_cast<const char*>(found) - begin + 1 : size + 1;
}

TPos TLeadingScan::Next(std::string_view text, TPos from) const
{
    for (;;) {
        TPos p = FindRaw(text, from);
        if (p > 1 && p <= TextSize(text) && text[p - 1] == '\n' && text[p - 2] == '\r') {
            from = p + 1;
            continue;
        }
        return p;
    }
}

} // namespace tekstovar
