#pragma once

#include <string>
#include <string_view>

namespace tekstovar {

// The parts of a path as the program shows and stores them: the directory
// with its final "/" (empty for a bare name), and the name after the last
// "/" (the whole path when there is none).
std::string DirectoryPart(std::string_view path);
std::string NamePart(std::string_view path);

} // namespace tekstovar
