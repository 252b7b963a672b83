#include "cli/filemode.h"

#include "cli/masks.h"
#include "cli/signals.h"
#include "cli/textmode.h"
#include "common/error.h"
#include "encodings/codepages.h"
#include "encodings/detect.h"
#include "filerun/filerun.h"
#include "filerun/unifieddiff.h"
#include "platform/directoryfiles.h"
#include "platform/fileio.h"
#include "platform/quoting.h"

#include <filesystem>
#include <iostream>
#include <optional>
#include <set>

namespace tekstovar::cli {

namespace {

// The files the paths name: a directory gives its tree's files matching the
// masks, subdirectories first; each file once, however it is spelt, since a
// second pass would compound the replacements. What was found looking at a
// file for that goes on with it: the run need not look again.
std::vector<TRunFile> ListFiles(const TCliOptions& options, int& status)
{
    const std::vector<std::string> masks = SplitFileMasks(options.FileMasks);
    const bool names = options.Mode == TCliOptions::TMode::Files && options.Names;
    std::vector<TRunFile> files;
    std::set<std::string> seen;
    auto add = [&](const std::string& file) {
        std::optional<TPathFacts> facts;
        std::string identity;
        if (names)
            identity = RunIdentity(file, true);
        else {
            facts = LookAtPath(file);
            if (facts->Regular)
                identity = facts->Identity;
        }
        if (seen.insert(identity.empty() ? file : identity).second)
            files.push_back({file, std::string(), nullptr, std::move(facts)});
    };
    for (const std::string& path : options.Paths) {
        std::error_code error;
        if (!std::filesystem::is_directory(path, error)) {
            add(path);
            continue;
        }
        try {
            std::vector<std::string> problems;
            for (const std::string& file : FilesOfDirectory(path, masks, &problems))
                add(file);
            for (const std::string& problem : problems) {
                std::cerr << "tekstovar-cli: " << OneLine(problem) << '\n';
                status = 3;
            }
        } catch (const TError& e) {
            std::cerr << "tekstovar-cli: " << OneLine(e.what()) << '\n';
            status = 3;
        }
    }
    return files;
}

std::string Absolute(const std::string& path)
{
    return path.empty() ? path : std::filesystem::absolute(path).lexically_normal().string();
}

} // namespace

namespace {

// What the command line shows of a run: a line per file reached, and the
// reasons of those left alone, once the run is over.
class TPrintedRun : public TFileRunEvents {
public:
    TPrintedRun(bool names, bool diff, int& status) : Names(names), Diff(diff), Status(status) { }
    const TFileRun* Run = nullptr;

    void RunDone(bool stopped) override
    {
        for (const TFileOutcome& file : Run->Outcomes()) {
            ++Index;
            if (file.Stopped)
                std::cerr << "tekstovar-cli: " << QuoteName(file.Path) << ": stopped, left as it was\n";
            else if (!file.Error.empty()) {
                std::cerr << "tekstovar-cli: " << OneLine(file.Error) << '\n';
                Status = 3;
            } else if (!file.Reached)
                continue;
            else if (Diff)
                PrintDiff(file);
            else if (Names)
                std::cout << QuoteName(file.Path) << '\t' << QuoteName(file.NewName) << '\t' << file.Count << '\n';
            else
                std::cout << QuoteName(file.Path) << '\t' << file.Count << '\n';
            // Done, so no failure: the file has the new contents.
            if (!file.Warning.empty())
                std::cerr << "tekstovar-cli: warning: " << OneLine(file.Warning) << '\n';
        }
        for (const std::string& message : Run->Messages()) {
            std::cerr << "tekstovar-cli: " << OneLine(message) << '\n';
            Status = 3;
        }
        std::cout.flush();
        if (!std::cout) {
            std::cerr << "tekstovar-cli: cannot write standard output\n";
            Status = 3;
        }
        if (stopped)
            std::cerr << "tekstovar-cli: interrupted\n";
        std::cerr << "replacements: " << Run->Total() << '\n';
    }

private:
    // What a dry run would make of the file, as a diff for a terminal.
    void PrintDiff(const TFileOutcome& file)
    {
        const TPreviewStore& preview = Run->Preview();
        const std::string& work = Run->Work(Index - 1);
        const auto before = preview.Before.find(work);
        const auto after = preview.After.find(work);
        if (before == preview.Before.end() || after == preview.After.end())
            return; // unchanged
        std::cout << UnifiedDiff(QuoteName(file.Path), before->second, EncodingByName(Pages[Index - 1]), after->second,
            EncodingByName(file.Encoding));
    }

    bool Names;
    bool Diff;
    int& Status;
    std::size_t Index = 0;

public:
    std::vector<std::string> Pages; // each file's page before the run
};

} // namespace

int RunFileMode(const TCliOptions& options)
{
    std::vector<TMaskPair> pairs;
    try {
        pairs = MaskPairs(options);
        TFileRun::CheckMasks(pairs);
    } catch (const TError& e) {
        std::cerr << "tekstovar-cli: " << OneLine(e.what()) << '\n';
        return 1;
    }
    int status = 0;
    std::vector<TRunFile> files;
    for (TRunFile& file : ListFiles(options, status)) {
        int page = options.From;
        if (page == EncodingDetect) {
            try {
                page = DetectFileEncoding(file.Path);
            } catch (const TError& e) {
                std::cerr << "tekstovar-cli: " << OneLine(e.what()) << '\n';
                status = 3;
                continue;
            }
        }
        file.Encoding = EncodingNames[static_cast<std::size_t>(page)];
        files.push_back(std::move(file));
    }

    TRunBackups backups;
    TPrintedRun printed(options.Names, options.Diff, status);
    for (const TRunFile& file : files)
        printed.Pages.push_back(file.Encoding);
    TFileRun run(std::move(files),
        {.Steps = pairs,
            .Names = options.Names,
            .Target = options.To,
            .Backup = options.Backup,
            .OverwriteBackup = options.OverwriteBackup,
            .BackupRoot = Absolute(options.BackupRoot),
            .FixedBackupPaths = true,
            .LogFile = options.LogFile,
            .DryRun = options.DryRun},
        backups, &printed);
    printed.Run = &run;
    try {
        run.Run(&StopRequest());
    } catch (const std::exception& e) {
        std::cerr << "error: " << OneLine(e.what()) << '\n';
        return 1;
    }
    if (StopSignal() != 0)
        return 128 + StopSignal(); // what a shell shows for a command it interrupted
    return status;
}

int RunRestoreMode(const TCliOptions& options)
{
    int status = 0;
    TFixedPathRestore restore(Absolute(options.BackupRoot));
    for (const TRunFile& listed : ListFiles(options, status)) {
        const std::string& file = listed.Path;
        try {
            const std::string lost = restore.Restore(file);
            std::cout << QuoteName(file) << '\n';
            if (!lost.empty())
                std::cerr << "tekstovar-cli: warning: " << OneLine(lost) << '\n';
        } catch (const TError& e) {
            std::cerr << "tekstovar-cli: " << OneLine(e.what()) << '\n';
            status = 3;
        }
    }
    std::cout.flush();
    return status;
}

} // namespace tekstovar::cli
