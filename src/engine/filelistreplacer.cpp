#include "engine/filelistreplacer.h"

#include "common/error.h"
#include "encodings/codepages.h"
#include "encodings/recode.h"

namespace tekstovar {

TFileListReplacer::TFileListReplacer(std::string searchMask, std::string replaceMask,
    const std::vector<std::string>& paths, const std::vector<std::string>& encodings, int targetEncoding)
    : TMaskedReplacer("", std::move(searchMask), "", EncodingWin, targetEncoding), Paths(paths), Encodings(encodings),
      BaseReplaceMask(std::move(replaceMask))
{
}

bool TFileListReplacer::Start()
{
    FileIndexValue = 0;
    return !Paths.empty();
}

int TFileListReplacer::FileEncoding() const
{
    // A name that is none of the pages means no conversion at all.
    return FileIndexValue < Encodings.size() ? EncodingByName(Encodings[FileIndexValue]) : EncodingNone;
}

void TFileListReplacer::PrepareForFile(int encoding)
{
    std::string mask = BaseReplaceMask;
    RecodeString(mask, EncodingWin, encoding);
    SetReplaceMask(std::move(mask));
    AssignSourceEncoding(encoding);
    ParseSearchMask();
}

bool TFileListReplacer::MayTouchFile()
{
    FileErrorValue.clear();
    FileWarningValue.clear();
    FileChangedValue = false;
    if (SkipFile)
        FileErrorValue = SkipFile(FileIndexValue);
    return FileErrorValue.empty();
}

bool TFileListReplacer::MayChangeFile()
{
    if (!BeforeChange)
        return true;
    try {
        BeforeChange(FileIndexValue);
    } catch (const TError& e) {
        FileErrorValue = e.what();
        return false;
    }
    return true;
}

void TFileListReplacer::NotifyFileEnd()
{
    AtFileEndValue = true;
    TMaskedReplacer::EndRun();
    AtFileEndValue = false;
    ++FileIndexValue;
}

void TFileListReplacer::EndRun()
{
    AtRunEndValue = true;
    Notify();
    AtRunEndValue = false;
    AfterRunEnd();
    FileIndexValue = Paths.size();
}

} // namespace tekstovar
