// UTF-8 and the byte pages: random bytes through the conversions, checked
// against a small decoder written from the UTF-8 definition alone.
//
// Input: byte 0 picks the page (b % 5) and the start (0 or the byte-order
// mark's length, (b / 5) % 2); the rest is the text.

#include "encodings/utf8.h"
#include "encodings/codepages.h"
#include "encodings/unicodepages.h"
#include "support.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

using namespace tekstovar;

namespace {

// The well-formed sequences of the UTF-8 definition, by lead byte; nothing
// for a byte that starts none, or a sequence cut or broken.
std::optional<std::pair<char32_t, std::size_t>> Decode(const std::string& s, std::size_t i)
{
    const auto at = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char b = at(i);
    if (b < 0x80)
        return std::make_pair(char32_t{b}, std::size_t{1});
    struct TRange {
        unsigned char Low, High, SecondLow, SecondHigh;
        std::size_t Length;
    };
    static const TRange ranges[] = {{0xC2, 0xDF, 0x80, 0xBF, 2}, {0xE0, 0xE0, 0xA0, 0xBF, 3},
        {0xE1, 0xEC, 0x80, 0xBF, 3}, {0xED, 0xED, 0x80, 0x9F, 3}, {0xEE, 0xEF, 0x80, 0xBF, 3},
        {0xF0, 0xF0, 0x90, 0xBF, 4}, {0xF1, 0xF3, 0x80, 0xBF, 4}, {0xF4, 0xF4, 0x80, 0x8F, 4}};
    for (const TRange& r : ranges) {
        if (b < r.Low || b > r.High)
            continue;
        if (i + r.Length > s.size() || at(i + 1) < r.SecondLow || at(i + 1) > r.SecondHigh)
            return std::nullopt;
        char32_t c = b & (0xFF >> (r.Length + 1));
        for (std::size_t k = 1; k < r.Length; ++k) {
            if ((at(i + k) & 0xC0) != 0x80)
                return std::nullopt;
            c = (c << 6) | (at(i + k) & 0x3F);
        }
        return std::make_pair(c, r.Length);
    }
    return std::nullopt;
}

[[noreturn]] void Fail(const char* what, const std::string& text)
{
    fuzz::Fail("fuzz-utf8", what, fuzz::Printable(text));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const int page = data[0] % EncodingCount;
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::size_t start = (data[0] / EncodingCount) % 2 == 0 ? 0 : std::min(text.size(), Utf8Bom.size());

    // Where the reference stops, if it does.
    std::optional<std::size_t> stopAt;
    std::string expected;
    for (std::size_t i = start; i < text.size();) {
        const auto decoded = Decode(text, i);
        const auto mapped = decoded ? PageFromUnicode(page, decoded->first) : std::nullopt;
        if (!mapped) {
            stopAt = i;
            break;
        }
        expected += static_cast<char>(*mapped);
        i += decoded->second;
    }
    std::string converted = text;
    const std::optional<TUtf8Stop> stop = Utf8ToPage(converted, start, page);
    if (stop.has_value() != stopAt.has_value() || (stop && stop->Offset != *stopAt))
        Fail("Utf8ToPage stops elsewhere than the definition", text);
    if (!stop) {
        if (converted != expected)
            Fail("Utf8ToPage gives other bytes", text);
        // Valid UTF-8 is written one way only: back it comes unchanged.
        if (PageToUtf8(converted, page) != text.substr(start))
            Fail("UTF-8 -> page -> UTF-8 changed the text", text);
    }
    // Any bytes of a page go to UTF-8 and back unchanged.
    std::string back = PageToUtf8(text, page);
    if (Utf8ToPage(back, 0, page) || back != text)
        Fail("page -> UTF-8 -> page changed the bytes", text);
    // Whatever it says, detection does not crash, and valid UTF-8 with a
    // character beyond ASCII looks like UTF-8.
    const bool looks = LooksLikeUtf8(text, false);
    bool valid = true, wide = false;
    for (std::size_t i = 0; i < text.size() && valid;) {
        const auto decoded = Decode(text, i);
        valid = decoded.has_value();
        if (valid) {
            wide = wide || decoded->second > 1;
            i += decoded->second;
        }
    }
    if (looks != ((valid && wide) || std::string_view(text).starts_with(Utf8Bom)))
        Fail("LooksLikeUtf8 disagrees with the definition", text);
    return 0;
}
