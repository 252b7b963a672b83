#include "encodings/recode.h"

#include "encodings/codepages.h"

namespace tekstovar {

namespace {

using ByteMap = std::array<unsigned char, 256>;

struct RecodeTables {
    ByteMap Identity{};
    std::array<std::array<ByteMap, EncodingCount>, EncodingCount> Maps{};

    RecodeTables()
    {
        for (int b = 0; b < 256; ++b)
            Identity[b] = static_cast<unsigned char>(b);
        for (int from = 0; from < EncodingCount; ++from)
            for (int to = 0; to < EncodingCount; ++to) {
                ByteMap& map = Maps[from][to];
                map = Identity;
                for (int k = 1; k <= LetterCount; ++k)
                    map[LetterByte(from, k)] = LetterByte(to, k);
            }
    }
};

const RecodeTables& Tables()
{
    static const RecodeTables tables; // thread-safe one-time initialisation
    return tables;
}

} // namespace

const ByteMap& RecodeTable(int from, int to)
{
    const RecodeTables& t = Tables();
    if (!IsEncoding(from) || !IsEncoding(to) || from == to)
        return t.Identity;
    return t.Maps[from][to];
}

void RecodeString(std::string& text, int from, int to)
{
    if (!IsEncoding(from) || !IsEncoding(to) || from == to)
        return;
    const ByteMap& map = Tables().Maps[from][to];
    // Eight bytes a round: the loop's own bookkeeping cost as much as the
    // lookups did.
    auto* p = reinterpret_cast<unsigned char*>(text.data());
    unsigned char* const end = p + text.size();
    for (; end - p >= 8; p += 8) {
        p[0] = map[p[0]];
        p[1] = map[p[1]];
        p[2] = map[p[2]];
        p[3] = map[p[3]];
        p[4] = map[p[4]];
        p[5] = map[p[5]];
        p[6] = map[p[6]];
        p[7] = map[p[7]];
    }
    for (; p < end; ++p)
        *p = map[*p];
}

char RecodeChar(char ch, int from, int to)
{
    return static_cast<char>(RecodeTable(from, to)[static_cast<unsigned char>(ch)]);
}

void RecodeCharSet(TCharSet& set, int from, int to)
{
    if (!IsEncoding(from) || !IsEncoding(to) || from == to)
        return;
    const ByteMap& map = Tables().Maps[from][to];
    TCharSet result;
    for (int b = 0; b < 256; ++b)
        if (set.Has(static_cast<unsigned char>(b)))
            result.Add(map[b]);
    set = result;
}

} // namespace tekstovar
