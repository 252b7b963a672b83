#pragma once

#include "engine/lexem.h"

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

    TLeadingChars Lead;
    int SingleChar = -1; // the one leading character, when there is only one
    bool Table[256] = {};
};

} // namespace tekstovar
