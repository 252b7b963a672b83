#pragma once

#include "encodings/charset.h"
#include "engine/position.h"

#include <string>
#include <string_view>

namespace tekstovar {

// What a match starting at a position needs to see there, so that the scan
// can pass over positions where it cannot begin.
struct TLeadingChars {
    bool Any = true; // no restriction known
    TCharSet Chars; // when !Any: the first character must be one of these
    std::string Literal; // when not empty: the whole text must start here

    static TLeadingChars AnyChar() { return {}; }
    static TLeadingChars Of(const TCharSet& chars) { return {false, chars, {}}; }
};

// How the search trees of one mask match, fixed when the mask is parsed and
// the trees are built.
struct TSearchOptions {
    // Every position and every run evaluated in full, nothing skipped or
    // remembered: the small matcher the fast paths are checked against.
    bool PlainMatching = false;
};

// One element of a parsed search mask, and the base of the search tree nodes.
class TLexem {
public:
    TLexem(int maskPos, bool positive, bool repeated, int encoding)
        : Positive(positive), Repeated(repeated), Encoding(encoding), MaskPos(maskPos)
    {
    }
    TLexem(const TLexem&) = delete;
    TLexem& operator=(const TLexem&) = delete;
    virtual ~TLexem() = default;

    bool Positive;
    bool Repeated;
    int Encoding;
    int MaskPos;
    TPos MatchStart = 0;
    TPos MatchLength = 0;

    // The lexem's own test at 1-based position p.
    virtual bool Test(std::string_view text, TPos p) = 0;
    virtual bool IsRepeated() const { return Repeated; }
    // Applies a replace-mask modifier to the text this lexem matched.
    virtual void Modify(std::string& text, std::string_view modifier);

    // The test compared with Positive; a negated lexem covers one character.
    virtual bool Match(std::string_view text, TPos p) final
    {
        if (Test(text, p) != Positive)
            return false;
        MatchStart = p;
        if (!Positive)
            MatchLength = 1;
        return true;
    }
    virtual std::string MatchedText(std::string_view text, std::string_view modifier) final;
    // The matched text with the modifier applied (Modify on a copy).
    virtual std::string ModifiedText(std::string_view matched, std::string_view modifier);

    // Characters at which Match can succeed (a conservative answer is fine).
    virtual TLeadingChars LeadingChars() const;
    // Own leading characters of a positive lexem; Any by default.
    virtual TLeadingChars OwnLeadingChars() const { return TLeadingChars::AnyChar(); }
    // Forgets what the search trees below this lexem remember about a text.
    virtual void ForgetText() { }
    // The line break of the text being replaced, which \n in a nested
    // replacement writes.
    virtual void SetLineBreak(std::string_view) { }
};

} // namespace tekstovar
