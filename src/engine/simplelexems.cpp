#include "engine/simplelexems.h"

#include "encodings/codepages.h"
#include "encodings/lettercase.h"
#include "encodings/recode.h"
#include "engine/arithmetic.h"

#include <cstring>

namespace tekstovar {

namespace {

TCharSet WinLetters()
{
    TCharSet s;
    for (int c = 'A'; c <= 'Z'; ++c) {
        s.Add(static_cast<unsigned char>(c));
        s.Add(static_cast<unsigned char>(c + 32));
    }
    for (int k = 1; k <= LetterCount; ++k)
        s.Add(LetterByte(EncodingWin, k));
    return s;
}

TCharSet CharsOf(std::string_view chars)
{
    TCharSet s;
    for (char c : chars)
        s.Add(static_cast<unsigned char>(c));
    return s;
}

} // namespace

TTextLexem::TTextLexem(std::string text, int maskPos, bool positive, bool repeated, bool ignoreCase, int encoding)
    : TLexem(maskPos, positive, repeated, encoding), Text(std::move(text)), IgnoreCase(ignoreCase)
{
    if (IgnoreCase)
        WinUpperString(Text);
    else
        RecodeString(Text, EncodingWin, Encoding);
    MatchLength = static_cast<TPos>(Text.size());
}

bool TTextLexem::Test(std::string_view text, TPos p)
{
    const auto length = static_cast<TPos>(Text.size());
    if (p < 1 || TextSize(text) - p + 1 < length)
        return false;
    const char* at = text.data() + (p - 1);
    if (!IgnoreCase)
        return std::memcmp(at, Text.data(), Text.size()) == 0;
    const auto& keys = CaselessKeys(Encoding);
    for (std::size_t i = 0; i < Text.size(); ++i)
        if (keys[static_cast<unsigned char>(at[i])] != static_cast<unsigned char>(Text[i]))
            return false;
    return true;
}

TLeadingChars TTextLexem::OwnLeadingChars() const
{
    TLeadingChars lead;
    lead.Any = false;
    if (!IgnoreCase) {
        lead.Chars.Add(static_cast<unsigned char>(Text[0]));
        lead.Literal = Text;
        return lead;
    }
    const auto& keys = CaselessKeys(Encoding);
    for (int b = 0; b < 256; ++b)
        if (keys[b] == static_cast<unsigned char>(Text[0]))
            lead.Chars.Add(static_cast<unsigned char>(b));
    return lead;
}

TSymbolLexem::TSymbolLexem(int maskPos, bool positive, bool repeated, int encoding)
    : TLexem(maskPos, positive, repeated, encoding)
{
    MatchLength = 1;
}

void TSymbolLexem::SetWinChars(const TCharSet& winChars)
{
    Chars = winChars;
    RecodeCharSet(Chars, EncodingWin, Encoding);
    AnyChar = Chars.Empty();
}

TLeadingChars TSymbolLexem::OwnLeadingChars() const
{
    return AnyChar ? TLeadingChars::AnyChar() : TLeadingChars::Of(Chars);
}

TLetterLexem::TLetterLexem(int maskPos, bool positive, bool repeated, int encoding)
    : TSymbolLexem(maskPos, positive, repeated, encoding)
{
    static const TCharSet letters = WinLetters();
    SetWinChars(letters);
}

TDigitLexem::TDigitLexem(int maskPos, bool positive, bool repeated, int encoding)
    : TSymbolLexem(maskPos, positive, repeated, encoding)
{
    SetWinChars(CharsOf("0123456789"));
}

void TDigitLexem::Modify(std::string& text, std::string_view modifier)
{
    if (auto result = ApplyArithmetic(text, modifier))
        text = std::move(*result);
}

TSignLexem::TSignLexem(int maskPos, bool positive, bool repeated, int encoding)
    : TSymbolLexem(maskPos, positive, repeated, encoding)
{
    SetWinChars(CharsOf("!\"'(),-.:;?"));
}

TBlankLexem::TBlankLexem(int maskPos, bool positive, bool repeated, int encoding)
    : TSymbolLexem(maskPos, positive, repeated, encoding)
{
    SetWinChars(CharsOf(" \t"));
}

TCRLFLexem::TCRLFLexem(int maskPos, bool positive, bool repeated, int encoding)
    : TLexem(maskPos, positive, repeated, encoding)
{
    MatchLength = 1;
}

bool TCRLFLexem::Test(std::string_view text, TPos p)
{
    const unsigned char c = CharAt(text, p);
    if (c != '\n' && c != '\r')
        return false;
    const unsigned char next = CharAt(text, p + 1);
    // LF CR is one break only when that CR does not begin a CR LF of its own.
    const bool pair = (c == '\r' && next == '\n') || (c == '\n' && next == '\r' && CharAt(text, p + 2) != '\n');
    MatchLength = pair ? 2 : 1;
    return true;
}

TLeadingChars TCRLFLexem::OwnLeadingChars() const { return TLeadingChars::Of(CharsOf("\r\n")); }

} // namespace tekstovar
