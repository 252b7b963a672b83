#include "engine/filemaskedreplacer.h"

#include "common/error.h"
#include "platform/fileio.h"
#include "platform/quoting.h"

#include <filesystem>
#include <new>

namespace tekstovar {

bool TFileMaskedReplacer::Start()
{
    InFile = false;
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
        contents = ReadFileBytes(Paths[FileIndex()]);
    } catch (const TError& e) {
        AbandonFile(e.what()); // left untouched and reported; the run goes on
        return;
    }
    SetText(std::move(contents));
    PrepareForFile(FileEncoding());
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

void TFileMaskedReplacer::EndFile()
{
    // Nothing is rewritten that did not change: its inode, times and links stay.
    if (Result() != Text() && MayChangeFile()) {
        try {
            FileWarningValue = WriteFileReplacing(Paths[FileIndex()], Result());
            FileChangedValue = true;
        } catch (const TError& e) {
            FileErrorValue = e.what(); // the old contents stay
        }
    }
    NotifyFileEnd();
}

void TFileMaskedReplacer::AfterRunEnd()
{
    if (!InFile)
        return;
    // Stopped inside a file: it was not written, so it must still be at its
    // path with its old contents, whatever else happened to it.
    const std::string& path = Paths[FileIndex()];
    std::error_code error;
    if (!std::filesystem::exists(path, error) && !error) {
        try {
            WriteFileReplacing(path, Text());
        } catch (const TError& e) {
            FileErrorValue = e.what();
        }
    }
    InFile = false;
}

} // namespace tekstovar
