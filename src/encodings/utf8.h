#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tekstovar {

// The byte-order mark some programs put before a UTF-8 text.
inline constexpr std::string_view Utf8Bom = "\xEF\xBB\xBF";

void AppendUtf8(std::string& out, char32_t c);

// The character whose UTF-8 sequence starts at i, moving i past it; nothing
// (i unchanged) for a malformed sequence or one the text's end cuts short.
// Overlong forms, surrogates and code points beyond U+10FFFF are malformed.
std::optional<char32_t> NextUtf8(std::string_view text, std::size_t& i);

// Whether the head of a text is UTF-8: it starts with the byte-order mark,
// or it is valid UTF-8 holding at least one whole multi-byte character. A
// sequence cut by the end counts as valid when the head was cut from a
// longer text.
bool LooksLikeUtf8(std::string_view head, bool cut);

} // namespace tekstovar
