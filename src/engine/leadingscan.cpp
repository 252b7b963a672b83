#include "engine/leadingscan.h"

#include "engine/literalfind.h"

#include <cstring>

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
        while (p < end && !Table[*p])
            ++p;
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
