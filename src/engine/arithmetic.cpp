#include "engine/arithmetic.h"

#include <cstdint>
#include <limits>

namespace tekstovar {

std::optional<int> ParseInt32(std::string_view s)
{
    std::size_t i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        negative = s[i] == '-';
        ++i;
    }
    if (i == s.size())
        return std::nullopt;
    std::int64_t value = 0;
    for (; i < s.size(); ++i) {
        if (s[i] < '0' || s[i] > '9')
            return std::nullopt;
        value = value * 10 + (s[i] - '0');
        if (value > std::int64_t{std::numeric_limits<int>::max()} + 1)
            return std::nullopt;
    }
    if (negative)
        value = -value;
    if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max())
        return std::nullopt;
    return static_cast<int>(value);
}

std::optional<std::string> ApplyArithmetic(std::string_view number, std::string_view modifier)
{
    if (modifier.empty())
        return std::nullopt;
    std::optional<int> a = ParseInt32(number);
    std::optional<int> b = modifier.size() == 1 ? std::optional<int>(1) : ParseInt32(modifier.substr(1));
    if (!a || !b)
        return std::nullopt;
    std::int64_t x = *a;
    std::int64_t y = *b;
    std::int64_t r = x;
    switch (modifier[0]) {
    case '*': r = x * y; break;
    case '+': r = x + y; break;
    case '-': r = x - y; break;
    case '/':
        if (y == 0)
            return std::nullopt;
        r = x / y; // truncates towards zero
        break;
    default: break;
    }
    if (r < std::numeric_limits<int>::min() || r > std::numeric_limits<int>::max())
        return std::nullopt;
    return std::to_string(r);
}

} // namespace tekstovar
