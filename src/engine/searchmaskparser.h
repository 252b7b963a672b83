#pragma once

#include "engine/lexem.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tekstovar {

// Limits that keep matching and freeing within the stack; real masks stay
// far below them.
inline constexpr int MaxBracketNesting = 100;
inline constexpr int MaxRunsAndBrackets = 1000;

// Parses a search mask typed in WIN into its top-level lexems, converted for
// a text in `encoding`. An unbalanced closing bracket leaves its message in
// errorText and is skipped; a bracket left open (or a mask past the limits)
// raises TError. The groups and contexts build their trees with options.
std::vector<std::unique_ptr<TLexem>> ParseSearchMaskText(
    std::string_view mask, int encoding, std::string& errorText, TSearchOptions options = {});

} // namespace tekstovar
