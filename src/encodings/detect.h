#pragma once

#include <cstddef>
#include <string_view>

namespace tekstovar {

// UTF (5) for a text that looks like UTF-8 (LooksLikeUtf8); otherwise the
// byte page (0..4) whose Russian letters best explain the text by letter
// frequency; ties go to the lower index, a text without letters is WIN.
// Never -1.
int DetectEncoding(std::string_view text);

// The byte page alone, by letter frequency.
int DetectBytePage(std::string_view text);

// How much of a file or text the detection looks at.
inline constexpr std::size_t DetectionLength = 512;

// DetectEncoding of the first DetectionLength bytes alone, as a file's page
// is found from its head: the same text gets the same page either way.
int DetectEncodingOfHead(std::string_view text);

} // namespace tekstovar
