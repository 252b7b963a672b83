#pragma once

#include <string>
#include <string_view>

namespace tekstovar {

// A unified diff of a file's contents before and after a run, for a
// terminal: both sides in UTF-8 (taken from their pages), three lines of
// context, the pages named after the path in the two headers. Empty when
// the two say the same in characters (a recode alone). Lines that changed
// are found by resynchronising within a few lines, in time linear in the
// text: a change that shifts lines further apart shows as a larger hunk.
std::string UnifiedDiff(
    const std::string& path, std::string_view before, int beforePage, std::string_view after, int afterPage);

} // namespace tekstovar
