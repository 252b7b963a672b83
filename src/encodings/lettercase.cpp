#include "encodings/lettercase.h"

#include "encodings/codepages.h"

namespace tekstovar {

namespace {

using ByteMap = std::array<unsigned char, 256>;
using KeyMap = std::array<std::uint16_t, 256>;

bool IsLatinSmall(int b) { return b >= 'a' && b <= 'z'; }
bool IsLatinCapital(int b) { return b >= 'A' && b <= 'Z'; }

struct CaseTables {
    std::array<ByteMap, EncodingCount> Upper{};
    std::array<ByteMap, EncodingCount> Lower{};
    std::array<KeyMap, EncodingCount> Keys{};

    CaseTables()
    {
        for (int e = 0; e < EncodingCount; ++e) {
            for (int b = 0; b < 256; ++b) {
                Upper[e][b] = static_cast<unsigned char>(IsLatinSmall(b) ? b - 32 : b);
                Lower[e][b] = static_cast<unsigned char>(IsLatinCapital(b) ? b + 32 : b);
            }
            for (int k = 1; k <= CaseDistance; ++k) {
                Upper[e][LetterByte(e, k + CaseDistance)] = LetterByte(e, k);
                Lower[e][LetterByte(e, k)] = LetterByte(e, k + CaseDistance);
            }
        }
        for (int e = 0; e < EncodingCount; ++e)
            for (int b = 0; b < 256; ++b) {
                int k = LetterPosition(e, static_cast<unsigned char>(b));
                if (k > 0) {
                    Keys[e][b] = Upper[EncodingWin][LetterByte(EncodingWin, k)];
                    continue;
                }
                int self = IsLatinSmall(b) ? b - 32 : b;
                bool looksRussian = LetterPosition(EncodingWin, static_cast<unsigned char>(self)) > 0;
                Keys[e][b] = static_cast<std::uint16_t>(looksRussian ? 0x100 | self : self);
            }
    }
};

const CaseTables& Tables()
{
    static const CaseTables tables;
    return tables;
}

int PageOrWin(int e) { return IsEncoding(e) ? e : EncodingWin; }

void MapString(std::string& s, const ByteMap& map)
{
    for (char& c : s)
        c = static_cast<char>(map[static_cast<unsigned char>(c)]);
}

} // namespace

char WinUpperChar(char c) { return static_cast<char>(Tables().Upper[EncodingWin][static_cast<unsigned char>(c)]); }

void WinUpperString(std::string& s) { MapString(s, Tables().Upper[EncodingWin]); }

void UpperCaseString(std::string& s, int e) { MapString(s, Tables().Upper[PageOrWin(e)]); }

void LowerCaseString(std::string& s, int e) { MapString(s, Tables().Lower[PageOrWin(e)]); }

const KeyMap& CaselessKeys(int e) { return Tables().Keys[PageOrWin(e)]; }

} // namespace tekstovar
