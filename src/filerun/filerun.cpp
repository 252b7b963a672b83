#include "filerun/filerun.h"

#include "backups/fileops.h"
#include "common/error.h"
#include "encodings/codepages.h"
#include "engine/filemaskedreplacer.h"
#include "engine/filenamereplacer.h"
#include "engine/replacerthread.h"
#include "platform/fileio.h"
#include "platform/pathparts.h"
#include "platform/quoting.h"

#include <ctime>
#include <filesystem>
#include <map>
#include <sys/stat.h>

namespace tekstovar {

namespace {

namespace fs = std::filesystem;

std::string IdentityOf(const struct stat& st) { return std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino); }

} // namespace

TPathFacts LookAtPath(const std::string& path)
{
    TPathFacts facts;
    struct stat st { };
    if (::lstat(path.c_str(), &st) != 0)
        return facts;
    facts.Link = S_ISLNK(st.st_mode);
    // Most paths are no link: the one call tells all.
    if (facts.Link && ::stat(path.c_str(), &st) != 0)
        return facts;
    facts.Found = true;
    facts.Regular = S_ISREG(st.st_mode);
    facts.Identity = IdentityOf(st);
    return facts;
}

std::string RunIdentity(const std::string& path, bool names)
{
    if (!names) {
        TPathFacts facts = LookAtPath(path);
        return facts.Regular ? std::move(facts.Identity) : std::string();
    }
    const fs::path entry(path);
    const std::string looked = entry.parent_path().string();
    struct stat st { };
    if (::stat(looked.empty() ? "." : looked.c_str(), &st) != 0)
        return {};
    return IdentityOf(st).append("/").append(entry.filename().string());
}

TFileRun::TFileRun(std::vector<TRunFile> files, TFileRunOptions options, TRunBackups& backups, TFileRunEvents* events)
    : Settings(std::move(options)), Backups(backups), Events(events),
      RunLog(Settings.DryRun ? std::string() : Settings.LogFile), States(files.size()), Files(files.size()),
      OwnKeys(files.size())
{
    Backups.SetRoot(Settings.BackupRoot);
    Backups.ContentBackup.SetFixedPaths(Settings.FixedBackupPaths);
    std::map<std::string, std::size_t> seen;
    for (std::size_t i = 0; i < files.size(); ++i) {
        TFileState& s = States[i];
        TFileOutcome& out = Files[i];
        out.Path = out.Current = files[i].Path;
        out.NewName = NamePart(out.Path);
        out.Encoding = s.EncodingBefore = files[i].Encoding;
        s.Key = files[i].Key ? files[i].Key : &OwnKeys[i];
        s.Work = out.Path;
        const TPathFacts facts = files[i].Facts && !Settings.Names ? std::move(*files[i].Facts) : LookAtPath(out.Path);
        if (!facts.Found)
            continue; // reading it tells why
        if (!facts.Regular) {
            Exclude(
                i, "Не обычный файл (каталог, канал, сокет или устройство), оставлен как есть: " + QuoteName(out.Path));
            continue;
        }
        if (!Settings.Names && facts.Link) {
            // A link is worked on through: its target is read and rewritten,
            // and backed up beside itself.
            std::error_code error;
            const fs::path real = fs::canonical(out.Path, error);
            if (!error)
                s.Work = real.string();
        }
        const std::string identity = Settings.Names ? RunIdentity(out.Path, true) : facts.Identity;
        if (identity.empty())
            continue;
        const auto [first, inserted] = seen.emplace(identity, i);
        if (!inserted)
            Exclude(i, "Тот же файл, что и " + QuoteName(Files[first->second].Path) + ": обработан один раз");
    }
}

void TFileRun::CheckMasks(const std::vector<TMaskPair>& steps)
{
    for (const TMaskPair& pair : steps)
        TMaskedReplacer("", pair.Search, "", EncodingWin, EncodingNone); // throws for a malformed mask
}

void TFileRun::Exclude(std::size_t file, const std::string& why)
{
    States[file].Excluded = true;
    if (Files[file].Error.empty())
        Files[file].Error = why;
}

void TFileRun::Log(const std::function<void()>& write)
{
    if (!RunLog.Enabled())
        return;
    try {
        write();
    } catch (const TError& e) {
        RunMessages.push_back(e.what()); // a log that cannot be written does not stop the run
    }
}

std::vector<std::string> TFileRun::Paths() const
{
    std::vector<std::string> paths;
    for (const TFileOutcome& f : Files)
        paths.push_back(f.Current);
    return paths;
}

std::vector<std::string> TFileRun::Encodings() const
{
    std::vector<std::string> encodings;
    for (const TFileOutcome& f : Files)
        encodings.push_back(f.Encoding);
    return encodings;
}

std::unique_ptr<TFileListReplacer> TFileRun::BeginStep(const TMaskPair& pair)
{
    StepPaths.clear();
    StepEncodings.clear();
    for (std::size_t f = 0; f < Files.size(); ++f) {
        StepPaths.push_back(States[f].Work);
        StepEncodings.push_back(Files[f].Encoding);
        States[f].Started = false;
    }
    std::unique_ptr<TFileListReplacer> r;
    if (Settings.Names)
        r = std::make_unique<TFileNameMaskedReplacer>(
            pair.Search, pair.Replace, StepPaths, StepEncodings, Settings.Target);
    else
        r = std::make_unique<TFileMaskedReplacer>(pair.Search, pair.Replace, StepPaths, StepEncodings, Settings.Target);
    ++Step;
    StepFinished = false;
    // A run over no files has nothing to tell the log.
    if (!Files.empty())
        Log([&] { RunLog.Header(Settings.Names, pair.Search, pair.Replace, std::time(nullptr)); });
    TFileListReplacer& replacer = *r;
    replacer.OnProgress = [this, &replacer](TMaskedReplacer&) { Progress(replacer); };
    replacer.SkipFile = [this](std::size_t f) { return States[f].Excluded ? Files[f].Error : std::string(); };
    replacer.BeforeChange = [this](std::size_t f) { BeforeChange(f); };
    if (Settings.DryRun)
        replacer.Preview = &PreviewStore;
    return r;
}

void TFileRun::Progress(TFileListReplacer& r)
{
    const std::size_t f = r.FileIndex();
    if (r.AtRunEnd()) {
        RunLog.Close(); // the step has written its lines
        StepFinished = r.Finished();
        // The file a stop fell in keeps its old contents and counts nothing.
        if (!StepFinished && f < Files.size() && States[f].Started) {
            Files[f].StepCount = 0;
            Files[f].Stopped = true;
            Files[f].Reached = true;
            if (Events)
                Events->FileDone(f, Files[f]);
        }
        if (Events)
            Events->StepDone(Step, StepFinished);
        return;
    }
    if (r.AtFileEnd()) {
        FileEnd(r);
        return;
    }
    if (!Events)
        return;
    if (r.GetPosition() == 0) {
        States[f].Started = true;
        Events->FileStarted(f, r.Size());
    } else
        Events->FileProgress(f, r.GetPosition(), r.Size(), r.ReplaceCount());
}

void TFileRun::FileEnd(TFileListReplacer& r)
{
    const std::size_t f = r.FileIndex();
    TFileState& s = States[f];
    TFileOutcome& out = Files[f];
    const std::string& error = r.FileError();
    out.Reached = true;
    if (!error.empty()) {
        TakeBackBackup(f);
        if (out.Error.empty())
            out.Error = error;
        out.StepCount = 0;
        Log([&] { RunLog.ErrorLine(out.Current, error); });
    } else {
        s.FreshBackup = false;
        out.StepCount = r.ReplaceCount();
        out.Count += out.StepCount;
        out.Changed = out.Changed || r.FileChanged();
        const std::string before = out.Current;
        if (Settings.Names) {
            out.NewName = static_cast<TFileNameMaskedReplacer&>(r).NewName();
            out.Current = DirectoryPart(out.Current) + out.NewName;
            s.Work = DirectoryPart(s.Work) + out.NewName;
            Log([&] { RunLog.NameLine(before, out.NewName, out.StepCount); });
        } else {
            // Once recoded, the file is in the target page for the next step.
            if (Settings.Target != EncodingNone)
                out.Encoding = std::string(EncodingNames[static_cast<std::size_t>(Settings.Target)]);
            if (out.Warning.empty())
                out.Warning = r.FileWarning();
            Log([&] { RunLog.ContentLine(before, out.StepCount, r.FileWarning()); });
        }
    }
    if (Events)
        Events->FileDone(f, out);
}

void TFileRun::BeforeChange(std::size_t f)
{
    TFileState& s = States[f];
    const std::string& path = StepPaths[f];
    SweepTemporaries(path);
    if (!Settings.Backup || s.BackedUp)
        return;
    TFSBackup& store = Settings.Names ? static_cast<TFSBackup&>(Backups.NameBackup) : Backups.ContentBackup;
    const bool held = store.Holds(s.Key);
    SweepTemporaries(store.BackupPath(path));
    try {
        store.Backup(s.Key, path, Settings.OverwriteBackup);
        // The code page belongs to the contents: a names run leaves it.
        if (!Settings.Names)
            Backups.EncodingBackup.Backup(s.Key, s.EncodingBefore, Settings.OverwriteBackup);
    } catch (const TError& e) {
        // Without its backup the file is changed by no step of this run.
        Exclude(f, e.what());
        throw;
    }
    s.BackedUp = true;
    s.FreshBackup = !held;
}

void TFileRun::TakeBackBackup(std::size_t f)
{
    // The write this backup was made for failed: the file is as it was, and
    // a backup left beside it would pass for an older one next time.
    TFileState& s = States[f];
    if (!s.FreshBackup)
        return;
    s.FreshBackup = false;
    s.BackedUp = false;
    TFSBackup& store = Settings.Names ? static_cast<TFSBackup&>(Backups.NameBackup) : Backups.ContentBackup;
    if (store.Holds(s.Key))
        store.Erase(s.Key);
    if (Backups.EncodingBackup.Holds(s.Key))
        Backups.EncodingBackup.Erase(s.Key);
}

void TFileRun::SweepTemporaries(const std::string& path)
{
    const std::string directory = DirectoryPart(path);
    if (Swept.insert(directory).second)
        RemoveStaleTemporaries(directory.empty() ? "." : directory);
}

void TFileRun::EndStep(const std::string& failure)
{
    // A step that ended normally or was stopped has told its end already.
    if (failure.empty())
        return;
    RunMessages.push_back(failure);
    if (Events)
        Events->RunFailed(failure);
}

void TFileRun::End(bool stopped)
{
    if (Events)
        Events->RunDone(stopped);
}

bool TFileRun::Run(const std::atomic<bool>* stop)
{
    const std::vector<TMaskPair> steps = Settings.Steps;
    CheckMasks(steps);
    const auto stopRequested = [stop] { return stop && stop->load(); };
    for (const TMaskPair& pair : steps) {
        auto replacer = BeginStep(pair);
        bool finished = false;
        try {
            finished = DriveReplacer(*replacer, stopRequested);
        } catch (const std::exception& e) {
            EndStep(e.what());
            End(false);
            throw;
        }
        EndStep();
        if (!finished) {
            End(true);
            return false;
        }
    }
    End(false);
    return true;
}

long long TFileRun::Total() const
{
    long long total = 0;
    for (const TFileOutcome& f : Files)
        total += f.Count;
    return total;
}

bool TFileRun::AllDone() const
{
    for (const TFileOutcome& f : Files)
        if (!f.Error.empty() || f.Stopped)
            return false;
    return RunMessages.empty();
}

} // namespace tekstovar
