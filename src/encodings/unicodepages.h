#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tekstovar {

// Each byte of the five byte pages as a Unicode character, as the published
// tables give it; WIN's unassigned 0x98 is U+0098. No two bytes of a page
// share a character, so a page's text goes to UTF-8 and back unchanged.
char32_t PageToUnicode(int page, unsigned char b);
// The byte of a character in a byte page; nothing when the page lacks it.
std::optional<unsigned char> PageFromUnicode(int page, char32_t c);

// A byte page's text in UTF-8: never loses a byte.
std::string PageToUtf8(std::string_view bytes, int page);

// Where a UTF-8 text stops on its way into a byte page: a malformed
// sequence, or a character the page lacks.
struct TUtf8Stop {
    bool Malformed = false;
    char32_t Char = 0; // the character the page lacks
    std::size_t Offset = 0; // bytes of the text before it
    std::size_t Line = 1; // and where a reader finds it, in characters
    std::size_t Column = 1;
};

// The UTF-8 text from byte start on, in the byte page, in place of the
// whole text; or the first stop, with the text left unspecified.
std::optional<TUtf8Stop> Utf8ToPage(std::string& text, std::size_t start, int page);

// The stop in words, naming the page (a stop on "WIN" for a text that
// stays UTF-8).
std::string Utf8StopMessage(const TUtf8Stop& stop, int page);

} // namespace tekstovar
