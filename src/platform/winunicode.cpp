#include "platform/winunicode.h"

#include "encodings/codepages.h"
#include "encodings/unicodepages.h"
#include "encodings/utf8.h"

namespace tekstovar {

namespace {

// One character at i, moving past it; a malformed byte is U+FFFD, which no
// WIN byte stands for, and the next byte is read anew.
char32_t DecodeUtf8(std::string_view s, std::size_t& i)
{
    if (const std::optional<char32_t> c = NextUtf8(s, i))
        return *c;
    ++i;
    return 0xFFFD;
}

} // namespace

char32_t WinToUnicode(unsigned char b) { return PageToUnicode(EncodingWin, b); }

char WinFromUnicode(char32_t c)
{
    const std::optional<unsigned char> b = PageFromUnicode(EncodingWin, c);
    return b ? static_cast<char>(*b) : '?';
}

std::string WinToUtf8(std::string_view win) { return PageToUtf8(win, EncodingWin); }

std::string Utf8ToWin(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();)
        out += WinFromUnicode(DecodeUtf8(utf8, i));
    return out;
}

bool Utf8FitsWin(std::string_view utf8)
{
    for (std::size_t i = 0; i < utf8.size();)
        if (!PageFromUnicode(EncodingWin, DecodeUtf8(utf8, i)))
            return false;
    return true;
}

} // namespace tekstovar
