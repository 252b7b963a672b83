#include "engine/filelistreplacer.h"

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

void TFileListReplacer::PrepareForFile()
{
    // A name that is none of the five pages means no conversion at all.
    const int encoding = FileIndexValue < Encodings.size() ? EncodingByName(Encodings[FileIndexValue]) : EncodingNone;
    std::string mask = BaseReplaceMask;
    RecodeString(mask, EncodingWin, encoding);
    SetReplaceMask(std::move(mask));
    AssignSourceEncoding(encoding);
    ParseSearchMask();
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
