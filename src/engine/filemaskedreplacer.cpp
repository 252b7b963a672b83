#include "engine/filemaskedreplacer.h"

#include "common/error.h"
#include "encodings/codepages.h"
#include "platform/fileio.h"
#include "platform/quoting.h"

#include <filesystem>
#include <new>

namespace tekstovar {

bool TFileMaskedReplacer::Start()
{
    InFile = false;
    RunTarget = TargetEncoding();
    return TFileListReplacer::Start();
}

void TFileMaskedReplacer::AbandonFile(std::string why)
{
    FileErrorValue = std::move(why);
    InFile = false;
    // The memory a file too large took is given back before the next one.
    SetText("");
    SetResult("");
    SetReplaceCount(0);
    NotifyFileEnd();
}

void TFileMaskedReplacer::BeginFile()
{
    if (!MayTouchFile()) {
        AbandonFile(FileErrorValue);
        return;
    }
    std::string contents;
    try {
        // A preview's earlier step left the file's new bytes in the store.
        const std::string& path = Paths[FileIndex()];
        if (Preview && Preview->After.contains(path))
            contents = Preview->After.at(path);
        else
            contents = ReadFileBytes(path);
    } catch (const TError& e) {
        AbandonFile(e.what()); // left untouched and reported; the run goes on
        return;
    }
    const int page = FileEncoding();
    Original = page == EncodingUtf ? contents : std::string();
    try {
        Paged = ToEngine(std::move(contents), page, RunTarget);
    } catch (const TError& e) {
        Original.clear();
        AbandonFile(e.what()); // a UTF-8 text the engine's page cannot hold stays whole
        return;
    }
    SetText(std::move(Paged.Bytes));
    AssignTargetEncoding(Paged.EngineTarget);
    PrepareForFile(Paged.EnginePage);
    TakeLineBreakFromText(); // each file writes its own line break
    if (TMaskedReplacer::Start())
        InFile = true;
    else
        EndFile();
}

void TFileMaskedReplacer::Step()
{
    if (Finished())
        return;
    try {
        if (!InFile) {
            BeginFile();
            if (!InFile)
                return;
        }
        // An empty file still gets its one step: a mask that matches the
        // empty text inserts its replacement.
        TMaskedReplacer::Step();
        if (TMaskedReplacer::Finished()) {
            TMaskedReplacer::FinishText();
            InFile = false;
            EndFile();
        }
    } catch (const std::bad_alloc&) {
        // One file too large for memory must not end the run.
        AbandonFile("Недостаточно памяти для файла " + QuoteName(Paths[FileIndex()]));
    }
}

std::string TFileMaskedReplacer::Output()
{
    if (Paged.OutPage != EncodingUtf)
        return Result();
    return FromEngine(Result(), Paged);
}

void TFileMaskedReplacer::EndFile()
{
    const std::string output = Output();
    // What the file held: the engine's text, unless it was taken from UTF-8.
    const std::string& before = FileEncoding() == EncodingUtf ? Original : Text();
    if (Preview) {
        if (output != before) {
            const std::string& path = Paths[FileIndex()];
            Preview->Before.emplace(path, before); // what it held before the first step
            Preview->After[path] = output;
            FileChangedValue = true;
        }
        Original.clear();
        NotifyFileEnd();
        return;
    }
    // Nothing is rewritten that did not change: its inode, times and links stay.
    if (output != before && MayChangeFile()) {
        try {
            FileWarningValue = WriteFileReplacing(Paths[FileIndex()], output);
            FileChangedValue = true;
        } catch (const TError& e) {
            FileErrorValue = e.what(); // the old contents stay
        }
    }
    Original.clear();
    NotifyFileEnd();
}

void TFileMaskedReplacer::AfterRunEnd()
{
    AssignTargetEncoding(RunTarget);
    if (!InFile || Preview)
        return;
    // Stopped inside a file: it was not written, so it must still be at its
    // path with its old contents, whatever else happened to it.
    const std::string& path = Paths[FileIndex()];
    std::error_code error;
    if (!std::filesystem::exists(path, error) && !error) {
        try {
            WriteFileReplacing(path, FileEncoding() == EncodingUtf ? Original : Text());
        } catch (const TError& e) {
            FileErrorValue = e.what();
        }
    }
    InFile = false;
}

} // namespace tekstovar
