#include "cli/masks.h"

#include "platform/fileio.h"
#include "platform/winunicode.h"

namespace tekstovar::cli {

namespace {

std::string Mask(const std::optional<std::string>& typed, const std::optional<std::string>& file)
{
    if (typed)
        return Utf8ToWin(*typed);
    if (file)
        return ReadFileBytes(*file); // WIN bytes, whole, as they stand
    return {};
}

} // namespace

std::vector<TMaskPair> MaskPairs(const TCliOptions& options)
{
    if (options.Scenario)
        return ScenarioPairs(ReadScenarioFile(*options.Scenario));
    return {TMaskPair{Mask(options.SearchMask, options.SearchFile), Mask(options.ReplaceMask, options.ReplaceFile)}};
}

} // namespace tekstovar::cli
