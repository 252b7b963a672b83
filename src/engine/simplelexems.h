#pragma once

#include "engine/lexem.h"

namespace tekstovar {

// \* : any run of characters.
class TStarLexem : public TLexem {
public:
    using TLexem::TLexem;
    bool Test(std::string_view, TPos) override { return true; }
    bool IsRepeated() const override { return true; }
};

// Literal text; with IgnoreCase, Text is held in WIN upper case.
class TTextLexem : public TLexem {
public:
    TTextLexem(std::string text, int maskPos, bool positive, bool repeated, bool ignoreCase, int encoding);

    std::string Text;
    bool IgnoreCase;

    bool Test(std::string_view text, TPos p) override;
    TLeadingChars OwnLeadingChars() const override;
};

// \? and the character classes: one character out of Chars (empty = any).
class TSymbolLexem : public TLexem {
public:
    TSymbolLexem(int maskPos, bool positive, bool repeated, int encoding);

    TCharSet Chars;

    bool Test(std::string_view text, TPos p) override
    {
        if (p == 0 || text.empty())
            return false;
        return AnyChar || Chars.Has(CharAt(text, p));
    }
    TLeadingChars OwnLeadingChars() const override;

protected:
    // Takes a class written in WIN terms into the text's code page.
    void SetWinChars(const TCharSet& winChars);

private:
    bool AnyChar = true;
};

class TLetterLexem : public TSymbolLexem {
public:
    TLetterLexem(int maskPos, bool positive, bool repeated, int encoding);
};

class TDigitLexem : public TSymbolLexem {
public:
    TDigitLexem(int maskPos, bool positive, bool repeated, int encoding);
    // Arithmetic on the matched number: \+1, \-1, \"*12"1, \"/2"1.
    void Modify(std::string& text, std::string_view modifier) override;
};

class TSignLexem : public TSymbolLexem {
public:
    TSignLexem(int maskPos, bool positive, bool repeated, int encoding);
};

class TBlankLexem : public TSymbolLexem {
public:
    TBlankLexem(int maskPos, bool positive, bool repeated, int encoding);
};

// \n : one line break, CR LF, LF CR, CR or LF.
class TCRLFLexem : public TLexem {
public:
    TCRLFLexem(int maskPos, bool positive, bool repeated, int encoding);
    bool Test(std::string_view text, TPos p) override;
    TLeadingChars OwnLeadingChars() const override;
};

} // namespace tekstovar
