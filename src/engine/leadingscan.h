#pragma once

#include "engine/lexem.h"

#include <cstddef>
#include <string_view>

namespace tekstovar {

// Finds the next position where a match can begin, from what the first
// lexem of the mask needs to see there. Positions on the LF of a CR LF pair
// are never candidates, as the scan never tries them.
class TLeadingScan {
public:
    explicit TLeadingScan(TLeadingChars lead);

    bool Useful() const { return !Lead.Any; }
    // The first candidate at or after `from`, or size + 1 when none is left.
    TPos Next(std::string_view text, TPos from) const;

private:
    TPos FindRaw(std::string_view text, TPos from) const;

    // Bytes lo..hi, both included.
    struct TRange {
        unsigned char Lo;
        unsigned char Hi;
    };
    static constexpr std::size_t MaxRanges = 6;

    // The first position at or after `at` whose byte is in the table.
    const unsigned char* FindInTable(const unsigned char* at, const unsigned char* end) const;

    TLeadingChars Lead;
    int SingleChar = -1; // the one leading character, when there is only one
    bool Table[256] = {};
    // The table as a few ranges of bytes, when it is (0 when not): digits,
    // letters and blanks are, and are then looked for sixteen bytes at a time.
    TRange Ranges[MaxRanges] = {};
    std::size_t RangeCount = 0;
};

} // namespace tekstovar
