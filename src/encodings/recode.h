#pragma once

#include "encodings/charset.h"

#include <array>
#include <string>

namespace tekstovar {

// Converts the Russian letters of text from page `from` to page `to`; every
// other byte stays. Nothing happens unless both are valid and differ.
void RecodeString(std::string& text, int from, int to);
char RecodeChar(char ch, int from, int to);
void RecodeCharSet(TCharSet& set, int from, int to);

// The byte map behind the three conversions, for loops that convert one byte
// at a time; the identity map when the indexes are invalid or equal.
const std::array<unsigned char, 256>& RecodeTable(int from, int to);

} // namespace tekstovar
