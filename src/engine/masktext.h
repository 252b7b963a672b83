#pragma once

#include "engine/lexem.h"

#include <string>
#include <string_view>
#include <vector>

namespace tekstovar {

// The references (\1\2...) of the top-level lexems that cover the mask
// characters start .. start + length - 1; "\1" when there are no lexems.
std::string ReferencesForRange(const std::vector<TLexem*>& lexems, int start, int length);

// CR and the character after it become the two characters \n (a CR at the
// very end too), so that positions in a multi-line editor and in the one-line
// mask agree.
std::string LineBreaksToEscapes(std::string_view s);

// Every \n becomes CR LF, checked at every position: \\n gives \, CR, LF.
std::string EscapesToLineBreaks(std::string_view s);

} // namespace tekstovar
