#include "engine/maskcheck.h"

#include "encodings/codepages.h"
#include "engine/messages.h"
#include "engine/replacemask.h"
#include "engine/searchmaskparser.h"
#include "platform/winunicode.h"

#include <algorithm>

namespace tekstovar {

std::string MaskPairFault(std::string_view search, std::string_view replace)
{
    if (search.empty())
        return {}; // nothing is searched, nothing replaced
    std::string fault;
    const auto lexems = ParseSearchMaskText(search, EncodingWin, fault);
    if (!fault.empty())
        return fault;
    const TReplaceProgram program = CompileReplaceMask(replace, lexems.size(), "\n");
    const bool fails = std::any_of(program.Ops.begin(), program.Ops.end(),
        [](const TReplaceOp& op) { return op.Kind == TReplaceOp::TKind::Fail; });
    return fails ? messages::BadReplaceMask : std::string();
}

std::string MaskFaultQuestion(std::string_view search, std::string_view replace, const std::string& fault)
{
    return fault + "\nМаска Поиска: " + WinToUtf8(search) + "\nМаска Замены: " + WinToUtf8(replace) +
        "\nВсё Равно Заменить?";
}

} // namespace tekstovar
