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
    // The room the shorter text no longer needs stays: giving it back would
    // copy the text, and for a moment hold it twice.
    paged.Bytes = std::move(text);
    return paged;
}

std::string FromEngine(std::string result, const TPagedText& paged)
{
    if (paged.OutPage != EncodingUtf)
        return result;
    return FromEnginePiece(result, paged, true);
}

std::string FromEnginePiece(std::string_view piece, const TPagedText& paged, bool first)
{
    if (paged.OutPage != EncodingUtf)
        return std::string(piece);
    std::string utf8 = paged.Bom && first ? std::string(Utf8Bom) : std::string();
    utf8 += PageToUtf8(piece, paged.EnginePage);
    return utf8;
}

} // namespace tekstovar
