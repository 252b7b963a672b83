#pragma once

#include <cstdint>
#include <string_view>

namespace tekstovar {

// 1-based position or length in a text. 64-bit so that files past 2 GB are
// counted right.
using TPos = std::int64_t;

inline TPos TextSize(std::string_view text) { return static_cast<TPos>(text.size()); }

// The character at 1-based position p; a read outside the text yields 0
// (the text's terminator).
inline unsigned char CharAt(std::string_view text, TPos p)
{
    return (p >= 1 && p <= TextSize(text)) ? static_cast<unsigned char>(text[static_cast<std::size_t>(p - 1)]) : 0;
}

} // namespace tekstovar
