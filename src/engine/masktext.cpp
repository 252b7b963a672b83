#include "engine/masktext.h"

namespace tekstovar {

std::string ReferencesForRange(const std::vector<TLexem*>& lexems, int start, int length)
{
    std::size_t first = 0;
    for (std::size_t k = 0; k < lexems.size(); ++k)
        if (lexems[k]->MaskPos <= start)
            first = k;
    std::string result;
    auto add = [&result](std::size_t index) {
        result += '\\';
        result += std::to_string(index + 1);
    };
    add(first);
    for (std::size_t k = first + 1; k < lexems.size(); ++k)
        if (lexems[k]->MaskPos <= start + length - 1)
            add(k);
    return result;
}

std::string LineBreaksToEscapes(std::string_view s)
{
    std::string result;
    result.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\r') {
            result += "\\n";
            ++i; // the LF of the pair (or whatever follows the CR) goes with it
        } else
            result += s[i];
    }
    return result;
}

std::string EscapesToLineBreaks(std::string_view s)
{
    std::string result;
    result.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 1 < s.size() && s[i + 1] == 'n') {
            result += "\r\n";
            ++i;
        } else
            result += s[i];
    }
    return result;
}

} // namespace tekstovar
