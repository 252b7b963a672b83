#include "cli/filemode.h"

#include "cli/masks.h"
#include "cli/textmode.h"
#include "common/error.h"
#include "encodings/codepages.h"
#include "encodings/detect.h"
#include "filerun/filerun.h"
#include "platform/directoryfiles.h"
#include "platform/fileio.h"

#include <filesystem>
#include <iostream>
#include <set>

namespace tekstovar::cli {

namespace {

// The files the paths name: a directory gives its tree's files matching the
// masks, subdirectories first; each file once.
std::vector<std::string> ListFiles(const TCliOptions& options, int& status)
{
    const std::vector<std::string> masks = SplitFileMasks(options.FileMasks);
    std::vector<std::string> files;
    std::set<std::string> seen;
    auto add = [&](const std::string& file) {
        if (seen.insert(file).second)
            files.push_back(file);
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
                std::cerr << "tekstovar-cli: " << problem << '\n';
                status = 3;
            }
        } catch (const TError& e) {
            std::cerr << "tekstovar-cli: " << e.what() << '\n';
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

int RunFileMode(const TCliOptions& options)
{
    std::vector<TMaskPair> pairs;
    try {
        pairs = MaskPairs(options);
    } catch (const TError& e) {
        std::cerr << "tekstovar-cli: " << e.what() << '\n';
        return 1;
    }
    int status = 0;
    std::vector<std::string> paths;
    std::vector<std::string> encodings;
    for (const std::string& file : ListFiles(options, status)) {
        int page = options.From;
        if (page == EncodingNone) {
            try {
                page = DetectEncoding(ReadFileHead(file, DetectionLength));
            } catch (const TError& e) {
                std::cerr << "tekstovar-cli: " << e.what() << '\n';
                status = 3;
                continue;
            }
        }
        paths.push_back(file);
        encodings.emplace_back(EncodingNames[page]);
    }

    TFileRunOptions runOptions;
    runOptions.Names = options.Names;
    runOptions.Target = options.To;
    runOptions.Backup = options.Backup;
    runOptions.OverwriteBackup = options.OverwriteBackup;
    runOptions.BackupRoot = Absolute(options.BackupRoot);
    runOptions.LogFile = options.LogFile;
    TFileRun run(paths, encodings, runOptions);
    try {
        run.Run(pairs);
    } catch (const TError& e) {
        std::cerr << "error: " << e.what() << '\n';
        return 1;
    }
    for (const TFileOutcome& file : run.Outcomes()) {
        if (!file.Error.empty()) {
            std::cerr << "tekstovar-cli: " << file.Error << '\n';
            status = 3;
        } else if (options.Names)
            std::cout << file.Path << '\t' << file.NewName << '\t' << file.Count << '\n';
        else
            std::cout << file.Path << '\t' << file.Count << '\n';
    }
    for (const std::string& message : run.Messages()) {
        std::cerr << "tekstovar-cli: " << message << '\n';
        status = 3;
    }
    std::cout.flush();
    if (!std::cout) {
        std::cerr << "tekstovar-cli: cannot write standard output\n";
        status = 3;
    }
    std::cerr << "replacements: " << run.Total() << '\n';
    return status;
}

int RunRestoreMode(const TCliOptions& options)
{
    int status = 0;
    const std::string root = Absolute(options.BackupRoot);
    for (const std::string& file : ListFiles(options, status)) {
        try {
            RestoreFileFromBackup(file, root);
            std::cout << file << '\n';
        } catch (const TError& e) {
            std::cerr << "tekstovar-cli: " << e.what() << '\n';
            status = 3;
        }
    }
    std::cout.flush();
    return status;
}

} // namespace tekstovar::cli
