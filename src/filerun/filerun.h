#pragma once

#include "backups/filebackup.h"
#include "backups/filenamebackup.h"
#include "filerun/runlog.h"
#include "scenario/scenariofile.h"

#include <functional>
#include <string>
#include <vector>

namespace tekstovar {

struct TFileRunOptions {
    bool Names = false; // replace in the names instead of the contents
    int Target = -1; // recode into this page; -1: no recoding
    bool Backup = false; // back each file up before its first change
    bool OverwriteBackup = false;
    std::string BackupRoot; // empty: backups beside the files
    std::string LogFile; // empty: no log
};

// What a run did to one file.
struct TFileOutcome {
    std::string Path; // where the file was before the run
    std::string NewName; // its name part after the run
    long long Count = 0; // replacements over all steps
    std::string Error; // why it was left (partly) untouched; empty when done
};

// Runs mask pairs one after another over the contents or the names of a list
// of files, each step on the result of the one before, with backups taken
// before the first step and a log line per file and step; without windows.
class TFileRun {
public:
    // paths are UTF-8; encodings are code-page names parallel to them.
    TFileRun(std::vector<std::string> paths, std::vector<std::string> encodings, TFileRunOptions options);

    // Checks every search mask first, so that a malformed one (TError)
    // changes nothing.
    void Run(const std::vector<TMaskPair>& steps);

    const std::vector<TFileOutcome>& Outcomes() const { return Files; }
    // Failures that belong to no single file (the log), in order.
    const std::vector<std::string>& Messages() const { return RunMessages; }
    long long Total() const;
    bool AllDone() const;

private:
    void RunStep(const TMaskPair& pair, bool first);
    void FileDone(std::size_t file, long long count, const std::string& error, const std::string& newName);
    void Log(const std::function<void()>& write);

    std::vector<std::string> Paths;
    std::vector<std::string> Encodings;
    TFileRunOptions Options;
    TRunLog RunLog;
    TFileBackup ContentBackup;
    TFileNameBackup NameBackup;
    std::vector<char> Keys; // one identity per file for the backup stores
    std::vector<TFileOutcome> Files;
    std::vector<std::string> RunMessages;
};

// Brings a file's contents back from its backup (the backup replaces the
// file, with the same backup paths as a run); throws TError when there is no
// backup or it cannot be put back.
void RestoreFileFromBackup(const std::string& path, const std::string& backupRoot);

} // namespace tekstovar
