#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tekstovar {

// A whole string read as a signed 32-bit decimal integer (optional sign, at
// least one digit, nothing else); nothing when it is not one.
std::optional<int> ParseInt32(std::string_view s);

// The digit lexem's modifier applied to a matched number: the first
// character picks * + - / (anything else keeps the number), the rest is the
// operand (1 when absent). Nothing when the operands are not 32-bit integers,
// on division by zero, or when the result leaves the 32-bit range.
std::optional<std::string> ApplyArithmetic(std::string_view number, std::string_view modifier);

} // namespace tekstovar
