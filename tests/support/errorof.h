#pragma once

#include "common/error.h"

#include <functional>
#include <string>

namespace tekstovar::test {

// The message of the TError the action throws, or "no error".
inline std::string ErrorOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const TError& error) {
        return error.what();
    }
    return "no error";
}

} // namespace tekstovar::test
