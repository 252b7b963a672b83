#include "cli/options.h"

#include "encodings/codepages.h"

namespace tekstovar::cli {

namespace {

int CodePage(const std::string& option, const std::string& name)
{
    int e = EncodingByName(name);
    if (e == EncodingNone)
        throw TUsageError{"unknown code page for " + option + ": '" + name + "' (use WIN, KOI, DOS, ISO or MAC)"};
    return e;
}

void SetOnce(std::optional<std::string>& slot, const std::optional<std::string>& rival, const std::string& option,
    const std::string& value)
{
    if (slot || rival)
        throw TUsageError{option + ": the mask is given twice"};
    slot = value;
}

} // namespace

TCliOptions ParseOptions(const std::vector<std::string>& args)
{
    TCliOptions options;
    bool fromSet = false;
    bool toSet = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto value = [&]() -> const std::string& {
            if (i + 1 >= args.size())
                throw TUsageError{arg + " needs a value"};
            return args[++i];
        };
        if (options.Mode == TCliOptions::TMode::Detect) {
            options.Files.push_back(arg);
        } else if (arg == "-h" || arg == "--help") {
            options.Mode = TCliOptions::TMode::Help;
            return options;
        } else if (arg == "--detect") {
            options.Mode = TCliOptions::TMode::Detect;
        } else if (arg == "-s" || arg == "--search") {
            SetOnce(options.SearchMask, options.SearchFile, arg, value());
        } else if (arg == "--search-file") {
            SetOnce(options.SearchFile, options.SearchMask, arg, value());
        } else if (arg == "-r" || arg == "--replace") {
            SetOnce(options.ReplaceMask, options.ReplaceFile, arg, value());
        } else if (arg == "--replace-file") {
            SetOnce(options.ReplaceFile, options.ReplaceMask, arg, value());
        } else if (arg == "--from") {
            if (fromSet)
                throw TUsageError{"--from is given twice"};
            options.From = CodePage(arg, value());
            fromSet = true;
        } else if (arg == "--to") {
            if (toSet)
                throw TUsageError{"--to is given twice"};
            options.To = CodePage(arg, value());
            toSet = true;
        } else {
            throw TUsageError{"unknown argument: " + arg};
        }
    }
    if (options.Mode == TCliOptions::TMode::Detect) {
        if (options.SearchMask || options.SearchFile || options.ReplaceMask || options.ReplaceFile || fromSet || toSet)
            throw TUsageError{"--detect takes only file names"};
        if (options.Files.empty())
            throw TUsageError{"--detect needs at least one file"};
    }
    return options;
}

} // namespace tekstovar::cli
