#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tekstovar {

// A scenario file: one mask per line, the search mask of a pair followed by
// its replace mask. Lines are WIN bytes and are never converted.

struct TMaskPair {
    std::string Search;
    std::string Replace;
};

// Splits the text at CR LF, a lone CR or a lone LF. A last line without a
// line end is still a line; a line end at the very end adds no empty line;
// empty lines keep their place; a NUL byte ends the text.
std::vector<std::string> ParseScenarioLines(std::string_view bytes);

// Every line followed by CR LF, the last one too. A line holding CR, LF or
// NUL could not be read back as the same line, so it throws TError.
std::string FormatScenarioLines(const std::vector<std::string>& lines);

// Lines 2k and 2k+1 form pair k; an odd last line belongs to no pair.
std::vector<TMaskPair> ScenarioPairs(const std::vector<std::string>& lines);

// Failures throw TError naming the file. Writing replaces the file only once
// the new contents are safely on disk.
std::vector<std::string> ReadScenarioFile(const std::string& path);
void WriteScenarioFile(const std::string& path, const std::vector<std::string>& lines);

} // namespace tekstovar
