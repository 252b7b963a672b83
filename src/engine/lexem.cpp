#include "engine/lexem.h"

#include "encodings/lettercase.h"

#include <algorithm>

namespace tekstovar {

void TLexem::Modify(std::string& text, std::string_view modifier)
{
    if (modifier == "+")
        UpperCaseString(text, Encoding);
    else if (modifier == "-")
        LowerCaseString(text, Encoding);
}

std::string TLexem::MatchedText(std::string_view text, std::string_view modifier)
{
    std::string_view matched;
    TPos start = MatchStart;
    TPos end = std::min(MatchStart + MatchLength, TextSize(text) + 1);
    if (start >= 1 && end > start)
        matched = text.substr(static_cast<std::size_t>(start - 1), static_cast<std::size_t>(end - start));
    return ModifiedText(matched, modifier);
}

std::string TLexem::ModifiedText(std::string_view matched, std::string_view modifier)
{
    std::string result(matched);
    Modify(result, modifier);
    return result;
}

TLeadingChars TLexem::LeadingChars() const
{
    // A negated lexem matches wherever its own test fails.
    return Positive ? OwnLeadingChars() : TLeadingChars::AnyChar();
}

} // namespace tekstovar
