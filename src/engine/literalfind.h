#pragma once

#include <cstddef>
#include <string_view>

namespace tekstovar {

// The first place of `needle` in `hay`, or npos: what std::string_view::find
// answers, faster on long texts. Candidates are found sixteen at a time by
// the needle's first and last bytes together (rare in prose even when each
// byte alone is common), and only those are compared in full.
std::size_t FindLiteral(std::string_view hay, std::string_view needle) noexcept;

} // namespace tekstovar
