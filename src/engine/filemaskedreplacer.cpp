#include "engine/filemaskedreplacer.h"

#include "common/error.h"
#include "encodings/codepages.h"
#include "encodings/recode.h"
#include "platform/fileio.h"

#include <filesystem>

namespace tekstovar {

TFileMaskedReplacer::TFileMaskedReplacer(std::string searchMask, std::string replaceMask,
    const std::vector<std::string>& paths, const std::vector<std::string>& encodings, int targetEncoding)
    : TMaskedReplacer("", std::move(searchMask), "", EncodingWin, targetEncoding), Paths(paths), Encodings(encodings),
      BaseReplaceMask(std::move(replaceMask))
{
}

bool TFileMaskedReplacer::Start()
{
    FileIndexValue = 0;
    InFile = false;
    return !Paths.empty();
}

void TFileMaskedReplacer::BeginFile()
{
    FileErrorText.clear();
    std::string contents;
    try {
        contents = ReadFileBytes(Paths[FileIndexValue]);
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
    const int encoding = FileIndexValue < Encodings.size() ? EncodingByName(Encodings[FileIndexValue]) : EncodingNone;
    std::string mask = BaseReplaceMask;
    RecodeString(mask, EncodingWin, encoding);
    SetReplaceMask(std::move(mask));
    AssignSourceEncoding(encoding);
    ParseSearchMask(); // fresh lexems and tree for every file, in its page
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

void TFileMaskedReplacer::NotifyFileEnd()
{
    AtFileEndValue = true;
    TMaskedReplacer::EndRun();
    AtFileEndValue = false;
    ++FileIndexValue;
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
        WriteFileReplacing(Paths[FileIndexValue], Result());
    } catch (const TError& e) {
        FileErrorText = e.what(); // the old contents stay
    }
    NotifyFileEnd();
}

void TFileMaskedReplacer::EndRun()
{
    AtRunEndValue = true;
    Notify();
    AtRunEndValue = false;
    if (InFile) {
        // Stopped inside a file: it was not written, so it must still be at
        // its path with its old contents, whatever its backup did with it.
        const std::string& path = Paths[FileIndexValue];
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
    FileIndexValue = Paths.size();
}

} // namespace tekstovar
