#include "encodings/codepages.h"

namespace tekstovar {

const std::array<std::string_view, PageCount> EncodingNames = {"WIN", "KOI", "DOS", "ISO", "MAC", "UTF"};

namespace {

using namespace std::string_view_literals;

constexpr std::array<std::string_view, EncodingCount> Letters = {
    // WIN (Windows-1251)
    "\xC0\xC1\xC2\xC3\xC4\xC5\xA8\xC6\xC7\xC8\xC9\xCA\xCB\xCC\xCD\xCE\xCF\xD0\xD1\xD2\xD3\xD4"
    "\xD5\xD6\xD7\xD8\xD9\xDA\xDB\xDC\xDD\xDE\xDF\xE0\xE1\xE2\xE3\xE4\xE5\xB8\xE6\xE7\xE8\xE9"
    "\xEA\xEB\xEC\xED\xEE\xEF\xF0\xF1\xF2\xF3\xF4\xF5\xF6\xF7\xF8\xF9\xFA\xFB\xFC\xFD\xFE\xFF"sv,
    // KOI (KOI8-R)
    "\xE1\xE2\xF7\xE7\xE4\xE5\xB3\xF6\xFA\xE9\xEA\xEB\xEC\xED\xEE\xEF\xF0\xF2\xF3\xF4\xF5\xE6"
    "\xE8\xE3\xFE\xFB\xFD\xFF\xF9\xF8\xFC\xE0\xF1\xC1\xC2\xD7\xC7\xC4\xC5\xA3\xD6\xDA\xC9\xCA"
    "\xCB\xCC\xCD\xCE\xCF\xD0\xD2\xD3\xD4\xD5\xC6\xC8\xC3\xDE\xDB\xDD\xDF\xD9\xD8\xDC\xC0\xD1"sv,
    // DOS (CP866)
    "\x80\x81\x82\x83\x84\x85\xF0\x86\x87\x88\x89\x8A\x8B\x8C\x8D\x8E\x8F\x90\x91\x92\x93\x94"
    "\x95\x96\x97\x98\x99\x9A\x9B\x9C\x9D\x9E\x9F\xA0\xA1\xA2\xA3\xA4\xA5\xF1\xA6\xA7\xA8\xA9"
    "\xAA\xAB\xAC\xAD\xAE\xAF\xE0\xE1\xE2\xE3\xE4\xE5\xE6\xE7\xE8\xE9\xEA\xEB\xEC\xED\xEE\xEF"sv,
    // ISO (ISO-8859-5)
    "\xB0\xB1\xB2\xB3\xB4\xB5\xA1\xB6\xB7\xB8\xB9\xBA\xBB\xBC\xBD\xBE\xBF\xC0\xC1\xC2\xC3\xC4"
    "\xC5\xC6\xC7\xC8\xC9\xCA\xCB\xCC\xCD\xCE\xCF\xD0\xD1\xD2\xD3\xD4\xD5\xF1\xD6\xD7\xD8\xD9"
    "\xDA\xDB\xDC\xDD\xDE\xDF\xE0\xE1\xE2\xE3\xE4\xE5\xE6\xE7\xE8\xE9\xEA\xEB\xEC\xED\xEE\xEF"sv,
    // MAC (MacCyrillic)
    "\x80\x81\x82\x83\x84\x85\xDD\x86\x87\x88\x89\x8A\x8B\x8C\x8D\x8E\x8F\x90\x91\x92\x93\x94"
    "\x95\x96\x97\x98\x99\x9A\x9B\x9C\x9D\x9E\x9F\xE0\xE1\xE2\xE3\xE4\xE5\xDE\xE6\xE7\xE8\xE9"
    "\xEA\xEB\xEC\xED\xEE\xEF\xF0\xF1\xF2\xF3\xF4\xF5\xF6\xF7\xF8\xF9\xFA\xFB\xFC\xFD\xFE\xDF"sv,
};

static_assert(Letters[0].size() == LetterCount && Letters[1].size() == LetterCount &&
    Letters[2].size() == LetterCount && Letters[3].size() == LetterCount && Letters[4].size() == LetterCount);

// Byte -> letter position, built once at compile time from the letter strings.
using PositionTable = std::array<std::array<unsigned char, 256>, EncodingCount>;

constexpr PositionTable MakePositions()
{
    PositionTable table{};
    for (int e = 0; e < EncodingCount; ++e)
        for (int k = 1; k <= LetterCount; ++k)
            table[e][static_cast<unsigned char>(Letters[e][k - 1])] = static_cast<unsigned char>(k);
    return table;
}

constexpr PositionTable Positions = MakePositions();

} // namespace

const std::array<std::string_view, EncodingCount> EncodingLetters = Letters;

const std::array<std::int32_t, LetterCount + 1> LetterWeights = {0,
    // capitals: two thirds of the small letter's weight, rounded down
    1221, 222, 697, 268, 460, 1440, 4, 150, 268, 1158, 217, 611, 629, 554, 1083, 1733, 435, 760, 927, 1055, 408, 52,
    146, 64, 238, 108, 56, 4, 334, 258, 52, 96, 318,
    // small letters
    1832, 334, 1046, 402, 691, 2160, 7, 225, 402, 1738, 326, 917, 944, 832, 1625, 2600, 653, 1140, 1391, 1583, 612, 78,
    219, 96, 358, 163, 85, 7, 501, 387, 78, 144, 477};

int EncodingByName(std::string_view name)
{
    for (int e = 0; e < PageCount; ++e)
        if (name == EncodingNames[static_cast<std::size_t>(e)])
            return e;
    return EncodingNone;
}

int LetterPosition(int e, unsigned char b) { return Positions[e][b]; }

unsigned char LetterByte(int e, int k) { return static_cast<unsigned char>(Letters[e][k - 1]); }

} // namespace tekstovar
