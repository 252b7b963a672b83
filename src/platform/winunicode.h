#pragma once

#include <string>
#include <string_view>

namespace tekstovar {

// WIN (Windows-1251) <-> Unicode through one table that gives every byte a
// character, the unassigned 0x98 included (U+0098), so that bytes -> text ->
// bytes never loses a byte.
char32_t WinToUnicode(unsigned char b);
// The WIN byte of a character; '?' for one that WIN cannot hold.
char WinFromUnicode(char32_t c);

std::string WinToUtf8(std::string_view win);
// Characters that WIN cannot hold, and bytes that are not UTF-8, become '?'.
std::string Utf8ToWin(std::string_view utf8);
// Whether every character of the UTF-8 text has a WIN byte.
bool Utf8FitsWin(std::string_view utf8);

} // namespace tekstovar
