#pragma once

#include <array>
#include <cstdint>

namespace tekstovar {

// A set of byte values: bit b mod 32 of word b div 32 is set for a member b.
struct TCharSet {
    std::array<std::uint32_t, 8> Words{};

    bool Has(unsigned char b) const { return (Words[b >> 5] >> (b & 31)) & 1u; }
    void Add(unsigned char b) { Words[b >> 5] |= 1u << (b & 31); }
    bool Empty() const
    {
        for (auto w : Words)
            if (w)
                return false;
        return true;
    }
    void Unite(const TCharSet& other)
    {
        for (int i = 0; i < 8; ++i)
            Words[i] |= other.Words[i];
    }
    static TCharSet All()
    {
        TCharSet s;
        s.Words.fill(~0u);
        return s;
    }
    bool operator==(const TCharSet&) const = default;
};

} // namespace tekstovar
