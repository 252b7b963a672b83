#include "filerun/filerun.h"

#include "common/error.h"
#include "encodings/codepages.h"
#include "engine/filemaskedreplacer.h"
#include "engine/filenamereplacer.h"
#include "platform/fileio.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>

namespace tekstovar {

namespace {

std::string NamePart(const std::string& path) { return path.substr(path.rfind('/') + 1); }

std::string DirectoryPart(const std::string& path)
{
    auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

} // namespace

TFileRun::TFileRun(std::vector<std::string> paths, std::vector<std::string> encodings, TFileRunOptions options)
    : Paths(std::move(paths)), Encodings(std::move(encodings)), Options(std::move(options)), RunLog(Options.LogFile),
      Keys(Paths.size()), Files(Paths.size())
{
    Encodings.resize(Paths.size());
    ContentBackup.SetRoot(Options.BackupRoot);
    NameBackup.SetRoot(Options.BackupRoot);
    for (std::size_t i = 0; i < Paths.size(); ++i) {
        Files[i].Path = Paths[i];
        Files[i].NewName = NamePart(Paths[i]);
    }
}

void TFileRun::Run(const std::vector<TMaskPair>& steps)
{
    for (const TMaskPair& pair : steps)
        TMaskedReplacer("", pair.Search, "", EncodingWin, EncodingNone); // throws for a malformed mask
    for (std::size_t k = 0; k < steps.size(); ++k)
        RunStep(steps[k], k == 0);
}

void TFileRun::Log(const std::function<void()>& write)
{
    try {
        write();
    } catch (const TError& e) {
        RunMessages.push_back(e.what()); // a log that cannot be written does not stop the run
    }
}

void TFileRun::RunStep(const TMaskPair& pair, bool first)
{
    Log([&] { RunLog.Header(Options.Names, pair.Search, pair.Replace, std::time(nullptr)); });
    const bool backup = first && Options.Backup;
    if (Options.Names) {
        TFileNameMaskedReplacer r(pair.Search, pair.Replace, Paths, Encodings, Options.Target);
        r.OnProgress = [&](TMaskedReplacer& x) {
            const std::size_t f = r.FileIndex();
            if (r.AtRunEnd())
                return;
            if (x.GetPosition() == 0 && backup)
                NameBackup.Backup(&Keys[f], Paths[f], Options.OverwriteBackup); // a failure keeps the name
            if (r.AtFileEnd())
                FileDone(f, r.ReplaceCount(), r.FileError(), r.NewName());
        };
        r.Run();
        // The next step works on the new names.
        for (std::size_t f = 0; f < Paths.size(); ++f)
            Paths[f] = DirectoryPart(Paths[f]) + Files[f].NewName;
    } else {
        TFileMaskedReplacer r(pair.Search, pair.Replace, Paths, Encodings, Options.Target);
        r.OnProgress = [&](TMaskedReplacer& x) {
            const std::size_t f = r.FileIndex();
            if (r.AtRunEnd())
                return;
            if (x.GetPosition() == 0 && backup) {
                // A backup left by an earlier run is replaced only when asked.
                const std::string old = ContentBackup.BackupPath(Paths[f]);
                std::error_code error;
                if (Options.OverwriteBackup && old != Paths[f] && std::filesystem::is_regular_file(old, error))
                    ContentBackup.DeleteAndPrune(old);
                ContentBackup.Backup(&Keys[f], Paths[f], Options.OverwriteBackup); // a failure skips the file
            }
            if (r.AtFileEnd())
                FileDone(f, r.ReplaceCount(), r.FileError(), Files[f].NewName);
        };
        r.Run();
    }
}

void TFileRun::FileDone(std::size_t file, long long count, const std::string& error, const std::string& newName)
{
    TFileOutcome& outcome = Files[file];
    if (!error.empty()) {
        if (outcome.Error.empty())
            outcome.Error = error;
        return;
    }
    const std::string oldPath = Paths[file];
    outcome.Count += count;
    outcome.NewName = newName;
    // Once recoded, the file is in the target page for the next step.
    if (Options.Target != EncodingNone)
        Encodings[file] = std::string(EncodingNames[Options.Target]);
    if (Options.Names)
        Log([&] { RunLog.NameLine(oldPath, newName, count); });
    else
        Log([&] { RunLog.ContentLine(oldPath, count); });
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
        if (!f.Error.empty())
            return false;
    return RunMessages.empty();
}

void RestoreFileFromBackup(const std::string& path, const std::string& backupRoot)
{
    TFileBackup store;
    store.SetRoot(backupRoot);
    const std::string backup = store.BackupPath(path);
    std::error_code error;
    if (!std::filesystem::is_regular_file(backup, error))
        throw TError("Нет резервной копии " + backup + " для " + path);
    if (DirectoryPart(backup) == DirectoryPart(path)) {
        // One rename puts the backup in the file's place: never a moment
        // without either.
        if (std::rename(backup.c_str(), path.c_str()) != 0)
            throw TError("Не удаётся восстановить " + path + ": " + std::strerror(errno));
        return;
    }
    WriteFileReplacing(path, ReadFileBytes(backup));
    store.DeleteAndPrune(backup);
}

} // namespace tekstovar
