#pragma once

#include <cstddef>
#include <string_view>

namespace tekstovar {

// The page (0..4, never -1) whose Russian letters best explain the text by
// letter frequency; ties go to the lower index, a text without letters is WIN.
int DetectEncoding(std::string_view text);

// How much of a file or text the detection looks at.
inline constexpr std::size_t DetectionLength = 512;

// DetectEncoding of the first DetectionLength bytes alone, as a file's page
// is found from its head: the same text gets the same page either way.
int DetectEncodingOfHead(std::string_view text);

} // namespace tekstovar
