#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace tekstovar {

// Encoding index: 0 WIN, 1 KOI, 2 DOS, 3 ISO, 4 MAC (the byte pages, with
// their letter tables), 5 UTF (UTF-8); -1 names none of them.
inline constexpr int EncodingNone = -1;
inline constexpr int EncodingWin = 0;
inline constexpr int EncodingKoi = 1;
inline constexpr int EncodingDos = 2;
inline constexpr int EncodingIso = 3;
inline constexpr int EncodingMac = 4;
// The byte pages: the engine works in one of them.
inline constexpr int EncodingCount = 5;
// UTF-8 is no byte page: its text goes through one for the engine.
inline constexpr int EncodingUtf = 5;
// Every page a text can be in, UTF-8 included.
inline constexpr int PageCount = 6;
// Not a page: "find the page from the text" where a page is asked for.
inline constexpr int EncodingDetect = -2;

// Positions of the 66 Russian letters: capitals А..Я (Ё after Е) at 1..33,
// small letters а..я (ё after е) at 34..66.
inline constexpr int LetterCount = 66;
inline constexpr int CaseDistance = 33;

extern const std::array<std::string_view, PageCount> EncodingNames;
// Byte k-1 of EncodingLetters[e] is the code of letter position k in page e.
extern const std::array<std::string_view, EncodingCount> EncodingLetters;
// Index 0 is "not a letter"; 1..66 follow the letter positions.
extern const std::array<std::int32_t, LetterCount + 1> LetterWeights;

// A byte page (UTF-8 is not one).
constexpr bool IsEncoding(int e) { return e >= 0 && e < EncodingCount; }
// Any page, UTF-8 included.
constexpr bool IsPage(int e) { return e >= 0 && e < PageCount; }

// Exact, case-sensitive match against the six names; -1 for anything else.
int EncodingByName(std::string_view name);

// Letter position (1..66) of byte b in page e, 0 when b is not a Russian
// letter there. e must be a valid index.
int LetterPosition(int e, unsigned char b);

// Byte of the letter at position k (1..66) in page e.
unsigned char LetterByte(int e, int k);

} // namespace tekstovar
