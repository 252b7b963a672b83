#pragma once

#include <stdexcept>
#include <string>

namespace tekstovar {

// A failure that stops the current command. The message is Russian, UTF-8,
// and is shown to the user as it stands.
class TError : public std::runtime_error {
public:
    explicit TError(const std::string& message) : std::runtime_error(message) { }
};

} // namespace tekstovar
