#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace tekstovar {

// Upper case by the rules of the WIN page: Latin a..z and the Russian small
// letters (ё included) become capitals; every other byte stays.
char WinUpperChar(char c);
void WinUpperString(std::string& s);

// Case change of a text in page e (WIN when e is no page): the Russian letters
// of the page and Latin a..z; every other byte stays.
void UpperCaseString(std::string& s, int e);
void LowerCaseString(std::string& s, int e);

// For comparing a text byte of page e with a WIN upper-case mask byte: the
// key of a Russian letter of page e is its WIN capital; any other byte is
// itself with a..z upper-cased, except that a byte which would then look like
// a WIN Russian letter gets a key no mask byte has.
const std::array<std::uint16_t, 256>& CaselessKeys(int e);

} // namespace tekstovar
