#pragma once

namespace tekstovar::cli {

extern const char* const UsageText;
extern const char* const HelpText;

} // namespace tekstovar::cli
