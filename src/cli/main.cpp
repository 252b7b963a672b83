#include "cli/filemode.h"
#include "cli/help.h"
#include "cli/options.h"
#include "cli/signals.h"
#include "cli/textmode.h"
#include "platform/quoting.h"

#include <iostream>

int main(int argc, char** argv)
{
    using namespace tekstovar::cli;
    std::ios::sync_with_stdio(false);
    TCliOptions options;
    try {
        options = ParseOptions(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const TUsageError& e) {
        std::cerr << "tekstovar-cli: " << tekstovar::OneLine(e.Message) << '\n' << UsageText;
        return 2;
    }
    switch (options.Mode) {
    case TCliOptions::TMode::Help: std::cout << HelpText; return 0;
    case TCliOptions::TMode::Detect: return RunDetectMode(options);
    case TCliOptions::TMode::Files: InstallStopSignals(); return RunFileMode(options);
    case TCliOptions::TMode::Restore: return RunRestoreMode(options);
    case TCliOptions::TMode::Text: break;
    }
    return RunTextMode(options);
}
