#pragma once

#include <string>
#include <string_view>

namespace tekstovar {

// What would go wrong with a mask pair without stopping a run, so that the
// user can be asked before anything is written: a closing bracket without
// its opening one (skipped, so the search mask looks for something else),
// and a replace mask the engine cannot follow (a reference to lexem 0 or
// past the search mask's lexems, a number too large, a modifier at the end:
// every match would become what comes before the fault). The fault's
// message, empty for a sound pair. A search mask that cannot be parsed at
// all throws TError, as a run would.
std::string MaskPairFault(std::string_view search, std::string_view replace);

// The question put to the user before a run with such a pair (UTF-8; the
// masks are WIN).
std::string MaskFaultQuestion(std::string_view search, std::string_view replace, const std::string& fault);

} // namespace tekstovar
