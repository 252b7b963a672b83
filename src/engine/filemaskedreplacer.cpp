#include "engine/filemaskedreplacer.h"

#include "common/error.h"
#include "platform/fileio.h"

#include <filesystem>

namespace tekstovar {

bool TFileMaskedReplacer::Start()
{
    InFile = false;
    return TFileListReplacer::Start();
}

void TFileMaskedReplacer::BeginFile()
{
    FileErrorText.clear();
    std::string contents;
    try {
        contents = ReadFileBytes(Paths[FileIndex()]);
    } catch (const TError& e) {
        // Left untouched and reported; the run goes on with the next file.
        FileErrorText = e.what();
        SetText("");
        SetResult("");
        SetReplaceCount(0);
        NotifyFileEnd();
        return;
    }
    SetText(std::move(contents));
    PrepareForFile();
    bool work = false;
    try {
        work = TMaskedReplacer::Start(); // the owner backs the file up here
    } catch (const TError& e) {
        // No backup, no change: the file is left as it is and reported.
        FileErrorText = e.what();
        SetReplaceCount(0);
        NotifyFileEnd();
        return;
    }
    if (work)
        InFile = true;
    else
        EndFile();
}

void TFileMaskedReplacer::Step()
{
    if (Finished())
        return;
    if (!InFile) {
        BeginFile();
        if (!InFile)
            return;
    }
    // An empty file still gets its one step: a mask that matches the empty
    // text inserts its replacement.
    TMaskedReplacer::Step();
    if (TMaskedReplacer::Finished()) {
        TMaskedReplacer::FinishText();
        InFile = false;
        EndFile();
    }
}

void TFileMaskedReplacer::EndFile()
{
    try {
        WriteFileReplacing(Paths[FileIndex()], Result());
    } catch (const TError& e) {
        FileErrorText = e.what(); // the old contents stay
    }
    NotifyFileEnd();
}

void TFileMaskedReplacer::AfterRunEnd()
{
    if (!InFile)
        return;
    // Stopped inside a file: it was not written, so it must still be at its
    // path with its old contents, whatever its backup did with it.
    const std::string& path = Paths[FileIndex()];
    std::error_code error;
    if (!std::filesystem::exists(path, error) && !error) {
        try {
            WriteFileReplacing(path, Text());
        } catch (const TError& e) {
            FileErrorText = e.what();
        }
    }
    InFile = false;
}

} // namespace tekstovar
