#include "encodings/utf8.h"

namespace tekstovar {

void AppendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

namespace {

// The length of the sequence a lead byte starts, and the bits it carries;
// 0 for a byte that cannot start one.
int SequenceLength(unsigned char lead, char32_t& bits)
{
    if (lead < 0x80) {
        bits = lead;
        return 1;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        bits = lead & 0x1F;
        return 2;
    }
    if (lead >= 0xE0 && lead <= 0xEF) {
        bits = lead & 0x0F;
        return 3;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        bits = lead & 0x07;
        return 4;
    }
    return 0;
}

// 1 for a whole, valid sequence at i; 0 for a malformed one; -1 for one
// that is valid as far as the text goes but cut by its end.
int CheckSequence(std::string_view text, std::size_t i, char32_t& c, int& length)
{
    length = SequenceLength(static_cast<unsigned char>(text[i]), c);
    if (length == 0)
        return 0;
    for (int k = 1; k < length; ++k) {
        if (i + static_cast<std::size_t>(k) >= text.size())
            return -1;
        const auto next = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
        if ((next & 0xC0) != 0x80)
            return 0;
        // The second byte alone tells overlong forms, surrogates and code
        // points beyond U+10FFFF.
        if (k == 1) {
            const auto lead = static_cast<unsigned char>(text[i]);
            if ((lead == 0xE0 && next < 0xA0) || (lead == 0xED && next > 0x9F) || (lead == 0xF0 && next < 0x90) ||
                (lead == 0xF4 && next > 0x8F))
                return 0;
        }
        c = (c << 6) | (next & 0x3F);
    }
    return 1;
}

} // namespace

std::optional<char32_t> NextUtf8(std::string_view text, std::size_t& i)
{
    char32_t c = 0;
    int length = 0;
    if (CheckSequence(text, i, c, length) != 1)
        return std::nullopt;
    i += static_cast<std::size_t>(length);
    return c;
}

bool LooksLikeUtf8(std::string_view head, bool cut)
{
    if (head.starts_with(Utf8Bom))
        return true;
    bool multiByte = false;
    for (std::size_t i = 0; i < head.size();) {
        if (static_cast<unsigned char>(head[i]) < 0x80) {
            ++i;
            continue;
        }
        char32_t c = 0;
        int length = 0;
        const int check = CheckSequence(head, i, c, length);
        if (check == 0)
            return false;
        if (check < 0)
            return cut && multiByte; // a lone cut sequence proves nothing
        multiByte = true;
        i += static_cast<std::size_t>(length);
    }
    return multiByte;
}

} // namespace tekstovar
