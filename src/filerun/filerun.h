#pragma once

#include "engine/filelistreplacer.h"
#include "filerun/runbackups.h"
#include "filerun/runlog.h"
#include "scenario/scenariofile.h"

#include <atomic>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace tekstovar {

// What a run needs to know of a path before it starts: one lstat, and a
// stat through a symbolic link only.
struct TPathFacts {
    bool Found = false; // something is there (for a link: its target too)
    bool Regular = false; // a regular file, links followed
    bool Link = false; // the path itself is a symbolic link
    std::string Identity; // "device:inode" of the file (a link's target); empty when not found
};
TPathFacts LookAtPath(const std::string& path);

// One file of a run, as its owner lists it.
struct TRunFile {
    std::string Path; // UTF-8
    std::string Encoding; // code-page name of its contents
    const void* Key = nullptr; // its identity in the backup stores; null: one of the run's own
    // What the owner found looking at Path as it listed it (a contents run
    // takes it instead of asking the system again); none: the run looks.
    std::optional<TPathFacts> Facts;
};

struct TFileRunOptions {
    std::vector<TMaskPair> Steps; // the mask pairs, one a step, for Run
    bool Names = false; // replace in the names instead of the contents
    int Target = -1; // recode the contents into this page; -1: no recoding
    bool Backup = false; // back each file up right before its first change
    bool OverwriteBackup = false; // replace an older backup instead of keeping it
    std::string BackupRoot; // empty: backups beside the files
    // Backups found again by the file's path alone (tekstovar-cli, whose
    // restore has no key list): one fixed path per file.
    bool FixedBackupPaths = false;
    std::string LogFile; // empty: no log
    // Writes nothing: no file, backup, rename or log; Preview() holds what
    // the files would become, each step reading what the one before left.
    bool DryRun = false;
};

// What the run did to one file so far.
struct TFileOutcome {
    std::string Path; // as listed when the run started
    std::string Current; // where it is listed now (a names step renames it)
    std::string NewName; // its name part now
    std::string Encoding; // the code page of its contents now
    long long Count = 0; // replacements over the steps
    long long StepCount = 0; // in the latest step that reached it; 0 when left or stopped there
    bool Changed = false; // rewritten or renamed by some step
    bool Reached = false; // a step got to it (done, left alone or stopped inside)
    bool Stopped = false; // the stop fell inside it: its old contents stay
    std::string Error; // why it was left as it was (the first reason)
    // Rewritten, but without all the old file had: its owner and group (only
    // root gives a file away), extended attributes or ACL (the first of the
    // run's steps that lost something). The file holds the new contents.
    std::string Warning;
};

// What makes two spellings of a path one file for a run: for contents the
// file itself (links and other spellings lead to one inode), for names the
// directory entry. Empty when the path cannot be looked at, or (contents)
// is not a regular file: working on it will tell why.
std::string RunIdentity(const std::string& path, bool names);

// What a run reports while it goes, on the thread that drives it (a worker
// in the window). Calls come in this order per step: for each file its start
// (only with work) and progress, then its end; then the step's end.
class TFileRunEvents {
public:
    virtual ~TFileRunEvents() = default;
    virtual void FileStarted(std::size_t /*file*/, TPos /*size*/) { }
    virtual void FileProgress(std::size_t /*file*/, TPos /*position*/, TPos /*size*/, long long /*count*/) { }
    // Done in this step, left alone (outcome.Error) or stopped inside.
    virtual void FileDone(std::size_t /*file*/, const TFileOutcome& /*outcome*/) { }
    // The step's last event; finished: every file was passed, not stopped.
    virtual void StepDone(int /*step*/, bool /*finished*/) { }
    virtual void RunDone(bool /*stopped*/) { }
    virtual void RunFailed(const std::string& /*message*/) { }
};

// A run of mask pairs over the contents or the names of a list of files,
// each step on the result of the one before: the decisions that keep the
// files safe live here, for the window and tekstovar-cli alike.
//
// - Only regular files are touched (a link to one is worked on through:
//   its target is rewritten, the link stays); a file named twice (other
//   spellings, a link) is worked on once.
// - A file whose result equals its bytes is neither rewritten nor backed up.
// - With backups on, a file is backed up right before its first change in
//   the run, whatever step that is; a file whose backup cannot be made is
//   left alone by every step and reported. A backup made for a write that
//   then failed is taken back, so none is left beside an unchanged file.
// - A stop leaves the file under way with its old contents.
// - Every file left alone carries its reason; the log gets a line per file.
// - A rewritten file keeps its owner, attributes and permission bits; what
//   it could not keep is its warning, in the outcome and the log.
class TFileRun {
public:
    TFileRun(
        std::vector<TRunFile> files, TFileRunOptions options, TRunBackups& backups, TFileRunEvents* events = nullptr);
    TFileRun(const TFileRun&) = delete;
    TFileRun& operator=(const TFileRun&) = delete;

    // Throws TError for a search mask the engine refuses (an unclosed
    // bracket), so that checking every step first changes nothing.
    static void CheckMasks(const std::vector<TMaskPair>& steps);

    // Step by step, for a worker: the next step's replacer (TError for a
    // malformed search mask, nothing changed), to be driven to its end and
    // then handed to EndStep. The run must outlive it.
    std::unique_ptr<TFileListReplacer> BeginStep(const TMaskPair& pair);
    // After the step's replacer ended; failure: the message of an error that
    // ended it (empty when it finished or was stopped).
    void EndStep(const std::string& failure = {});
    // The run is over (after the last step, a stop or a failure).
    void End(bool stopped);

    // Every step of the options in one go on this thread, stop asked
    // between the engine's steps. Throws TError, changing nothing, for a
    // malformed search mask. Returns false when stopped.
    bool Run(const std::atomic<bool>* stop = nullptr);

    const std::vector<TFileOutcome>& Outcomes() const { return Files; }
    // The files as listed now and their code pages: what a step starts from.
    std::vector<std::string> Paths() const;
    std::vector<std::string> Encodings() const;
    // Failures that belong to no single file (the log), in order.
    const std::vector<std::string>& Messages() const { return RunMessages; }
    int StepIndex() const { return Step; }
    long long Total() const;
    bool AllDone() const;
    const TFileRunOptions& Options() const { return Settings; }
    // A dry run's results: each changed file's bytes before and after (by
    // the path it is worked on at; see Work()), and the names files would get.
    const TPreviewStore& Preview() const { return PreviewStore; }
    // The path the engine works on for a file: a link's target.
    const std::string& Work(std::size_t file) const { return States[file].Work; }
    // A file's code page when the run began.
    const std::string& FirstEncoding(std::size_t file) const { return States[file].EncodingBefore; }

private:
    struct TFileState {
        std::string Work; // the path the engine reads and writes
        std::string EncodingBefore; // for the code-page backup
        const void* Key = nullptr;
        bool Excluded = false; // left alone by every step from now on
        bool BackedUp = false; // its backup of this run exists (or was kept)
        bool FreshBackup = false; // made for the write under way
        bool Started = false; // its text began in the current step
    };

    void Progress(TFileListReplacer& r);
    void FileEnd(TFileListReplacer& r);
    void BeforeChange(std::size_t file);
    void TakeBackBackup(std::size_t file);
    void Exclude(std::size_t file, const std::string& why);
    void SweepTemporaries(const std::string& path);
    void Log(const std::function<void()>& write);

    TFileRunOptions Settings;
    TRunBackups& Backups;
    TFileRunEvents* Events;
    TRunLog RunLog;
    std::vector<TFileState> States;
    std::vector<TFileOutcome> Files;
    std::vector<char> OwnKeys; // identities for files listed without one
    // What the replacer of the current step reads: unchanged while it runs.
    std::vector<std::string> StepPaths;
    std::vector<std::string> StepEncodings;
    std::set<std::string> Swept; // directories cleared of stale temporaries
    std::vector<std::string> RunMessages;
    int Step = -1;
    bool StepFinished = false;
    TPreviewStore PreviewStore;
};

} // namespace tekstovar
