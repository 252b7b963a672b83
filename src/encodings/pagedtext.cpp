#include "encodings/pagedtext.h"

#include "common/error.h"
#include "encodings/codepages.h"
#include "encodings/unicodepages.h"
#include "encodings/utf8.h"

#include <optional>

namespace tekstovar {

TPagedText ToEngine(std::string text, int page, int target)
{
    TPagedText paged;
    if (page != EncodingUtf) {
        paged.Bytes = std::move(text);
        paged.EnginePage = page;
        if (target == EncodingUtf)
            paged.OutPage = EncodingUtf;
        else
            paged.EngineTarget = target;
        return paged;
    }
    // Into the target's page at once when there is one: a character that
    // page holds and WIN does not still goes.
    paged.EnginePage = IsEncoding(target) ? target : EncodingWin;
    paged.OutPage = IsEncoding(target) ? EncodingNone : EncodingUtf;
    const bool bom = std::string_view(text).starts_with(Utf8Bom);
    paged.Bom = bom && paged.OutPage == EncodingUtf;
    // In place: a text as large as memory allows must not need twice that.
    if (const std::optional<TUtf8Stop> stop = Utf8ToPage(text, bom ? Utf8Bom.size() : 0, paged.EnginePage))
        throw TError(Utf8StopMessage(*stop, paged.EnginePage));
    // The page's text is shorter than its UTF-8 (by nearly half for Russian):
    // the room it no longer needs goes back before the engine takes more.
    text.shrink_to_fit();
    paged.Bytes = std::move(text);
    return paged;
}

std::string FromEngine(std::string result, const TPagedText& paged)
{
    if (paged.OutPage != EncodingUtf)
        return result;
    std::string utf8 = paged.Bom ? std::string(Utf8Bom) : std::string();
    utf8 += PageToUtf8(result, paged.EnginePage);
    return utf8;
}

} // namespace tekstovar
