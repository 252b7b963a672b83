#include "cli/options.h"

#include "encodings/codepages.h"

namespace tekstovar::cli {

namespace {

int CodePage(const std::string& option, const std::string& name)
{
    int e = EncodingByName(name);
    if (e == EncodingNone)
        throw TUsageError{"unknown code page for " + option + ": '" + name + "' (use WIN, KOI, DOS, ISO, MAC or UTF)"};
    return e;
}

void SetOnce(std::optional<std::string>& slot, const std::optional<std::string>& rival, const std::string& option,
    const std::string& value)
{
    if (slot || rival)
        throw TUsageError{option + ": the mask is given twice"};
    slot = value;
}

void Check(const TCliOptions& o, bool fromSet, bool toSet, bool masksSet)
{
    using TMode = TCliOptions::TMode;
    const bool masks = o.SearchMask || o.SearchFile || o.ReplaceMask || o.ReplaceFile;
    const bool fileOptions = o.Names || o.Backup || o.OverwriteBackup || !o.LogFile.empty() || masksSet;
    if (o.DryRun && o.Mode != TMode::Files)
        throw TUsageError{"--dry-run and --diff need a PATH"};
    if (o.Diff && o.Names)
        throw TUsageError{"--diff shows contents; --names --dry-run lists the new names"};
    switch (o.Mode) {
    case TMode::Detect:
        if (masks || o.Scenario || fromSet || toSet || fileOptions || !o.BackupRoot.empty())
            throw TUsageError{"--detect takes only file names"};
        if (o.Paths.empty())
            throw TUsageError{"--detect needs at least one file"};
        break;
    case TMode::Restore:
        if (masks || o.Scenario || fromSet || toSet || o.Names || o.Backup || o.OverwriteBackup || !o.LogFile.empty())
            throw TUsageError{"--restore takes only --backup-root, --masks and paths"};
        if (o.Paths.empty())
            throw TUsageError{"--restore needs at least one path"};
        break;
    case TMode::Text:
        if (fileOptions || !o.BackupRoot.empty())
            throw TUsageError{"--names, --masks, --backup, --backup-root, --overwrite-backup and --log need a PATH"};
        break;
    case TMode::Files:
    case TMode::Help: break;
    }
    if (o.Scenario && masks)
        throw TUsageError{"--scenario replaces -s, -r, --search-file and --replace-file"};
}

} // namespace

TCliOptions ParseOptions(const std::vector<std::string>& args)
{
    TCliOptions options;
    bool fromSet = false;
    bool toSet = false;
    bool masksSet = false;
    bool detect = false;
    bool restore = false;
    bool onlyPaths = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto value = [&]() -> const std::string& {
            if (i + 1 >= args.size())
                throw TUsageError{arg + " needs a value"};
            return args[++i];
        };
        if (onlyPaths || detect || arg.empty() || arg[0] != '-') {
            options.Paths.push_back(arg);
        } else if (arg == "--") {
            onlyPaths = true;
        } else if (arg == "-h" || arg == "--help") {
            options.Mode = TCliOptions::TMode::Help;
            return options;
        } else if (arg == "--detect") {
            detect = true;
        } else if (arg == "--restore") {
            restore = true;
        } else if (arg == "-s" || arg == "--search") {
            SetOnce(options.SearchMask, options.SearchFile, arg, value());
        } else if (arg == "--search-file") {
            SetOnce(options.SearchFile, options.SearchMask, arg, value());
        } else if (arg == "-r" || arg == "--replace") {
            SetOnce(options.ReplaceMask, options.ReplaceFile, arg, value());
        } else if (arg == "--replace-file") {
            SetOnce(options.ReplaceFile, options.ReplaceMask, arg, value());
        } else if (arg == "--scenario") {
            if (options.Scenario)
                throw TUsageError{"--scenario is given twice"};
            options.Scenario = value();
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
        } else if (arg == "--names") {
            options.Names = true;
        } else if (arg == "--masks") {
            options.FileMasks = value();
            masksSet = true;
        } else if (arg == "--backup") {
            options.Backup = true;
        } else if (arg == "--backup-root") {
            options.BackupRoot = value();
            if (options.BackupRoot.empty())
                throw TUsageError{"--backup-root needs a directory"};
        } else if (arg == "--overwrite-backup") {
            options.OverwriteBackup = true;
        } else if (arg == "--log") {
            options.LogFile = value();
        } else if (arg == "--dry-run") {
            options.DryRun = true;
        } else if (arg == "--diff") {
            options.DryRun = options.Diff = true;
        } else {
            throw TUsageError{"unknown argument: " + arg};
        }
    }
    // Where backups go, or that old ones are replaced, only means anything
    // when backups are kept.
    if (!restore && (!options.BackupRoot.empty() || options.OverwriteBackup))
        options.Backup = true;
    if (detect && restore)
        throw TUsageError{"--detect and --restore exclude each other"};
    if (detect)
        options.Mode = TCliOptions::TMode::Detect;
    else if (restore)
        options.Mode = TCliOptions::TMode::Restore;
    else if (!options.Paths.empty())
        options.Mode = TCliOptions::TMode::Files;
    Check(options, fromSet, toSet, masksSet);
    return options;
}

} // namespace tekstovar::cli
