#include "platform/quoting.h"

#include "platform/winunicode.h"

#include <cstdio>

namespace tekstovar {

namespace {

// The length of the well-formed UTF-8 character at s[at] (its code point in
// c), or 0 when the byte there starts none.
std::size_t Utf8Char(std::string_view s, std::size_t at, char32_t& c)
{
    const auto lead = static_cast<unsigned char>(s[at]);
    std::size_t length = 1;
    char32_t minimum = 0;
    if (lead < 0x80) {
        c = lead;
        return 1;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2;
        c = lead & 0x1F;
        minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        c = lead & 0x0F;
        minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        c = lead & 0x07;
        minimum = 0x10000;
    } else
        return 0;
    if (length > s.size() - at)
        return 0;
    for (std::size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(s[at + k]);
        if ((next & 0xC0) != 0x80)
            return 0;
        c = (c << 6) | (next & 0x3F);
    }
    // Overlong forms, surrogates and what lies beyond Unicode are no characters.
    if (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        return 0;
    return length;
}

bool IsControl(char32_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F); }

void AppendOctal(std::string& out, char byte)
{
    const auto b = static_cast<unsigned char>(byte);
    out += '\\';
    out += static_cast<char>('0' + (b >> 6));
    out += static_cast<char>('0' + ((b >> 3) & 7));
    out += static_cast<char>('0' + (b & 7));
}

void AppendCodePoint(std::string& out, char32_t c)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, c > 0xFFFF ? "\\U%08X" : "\\u%04X", static_cast<unsigned>(c));
    out += buffer;
}

// Appends text with what must not stand as it is escaped; true when
// something was. A name has its backslashes and quotes escaped too; win
// writes the characters WIN has as its bytes and the others as code points.
bool Escape(std::string_view text, bool name, bool win, std::string& out)
{
    bool escaped = false;
    for (std::size_t at = 0; at < text.size();) {
        char32_t c = 0;
        const std::size_t length = Utf8Char(text, at, c);
        if (length == 0) {
            AppendOctal(out, text[at++]);
            escaped = true;
            continue;
        }
        const std::string_view bytes = text.substr(at, length);
        at += length;
        if (c == '\n')
            out += "\\n";
        else if (c == '\t')
            out += "\\t";
        else if (c == '\r')
            out += "\\r";
        else if (IsControl(c) && win && c >= 0x80)
            AppendCodePoint(out, c);
        else if (IsControl(c))
            for (char b : bytes)
                AppendOctal(out, b);
        else if (name && (c == '\\' || c == '"'))
            out.append(1, '\\').append(1, static_cast<char>(c));
        else if (!win) {
            out += bytes;
            continue;
        } else if (const char b = WinFromUnicode(c); b != '?' || c == U'?') {
            out += b;
            continue;
        } else
            AppendCodePoint(out, c);
        escaped = true;
    }
    return escaped;
}

std::string Quoted(std::string_view name, bool always, bool win)
{
    std::string body;
    if (!Escape(name, true, win, body) && !always)
        return body;
    return "\"" + body + "\"";
}

} // namespace

std::string QuoteName(std::string_view name, bool always) { return Quoted(name, always, false); }

std::string QuoteNameWin(std::string_view utf8Name) { return Quoted(utf8Name, false, true); }

std::string OneLine(std::string_view text)
{
    std::string out;
    Escape(text, false, false, out);
    return out;
}

std::string OneLineWin(std::string_view utf8Text)
{
    std::string out;
    Escape(utf8Text, false, true, out);
    return out;
}

} // namespace tekstovar
