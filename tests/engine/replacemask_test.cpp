#include "encodings/recode.h"
#include "engine/arithmetic.h"
#include "engine/maskcheck.h"
#include "engine/masktext.h"
#include "engine/messages.h"
#include "replacerun.h"

#include <gtest/gtest.h>

using namespace tekstovar;
using namespace tekstovar::test;

namespace {

const std::string Bad = messages::BadReplaceMask;

} // namespace

TEST(ReplaceMask, ReferencesAndLiterals)
{
    auto r = Replace("a 12 b 345", "\\+9", "[\\1]");
    EXPECT_EQ(r.Result, "a [12] b [345]");
    EXPECT_EQ(r.Count, 2);

    EXPECT_EQ(Replace("x", "x", "").Result, "");
    EXPECT_EQ(Replace("x", "x", "").Count, 1);
    EXPECT_EQ(Replace("ab", "a\\Tb", "\\2\\1;0\\\\x").Result, "ba0\\x");

    // \10 is lexem 10, not lexem 1 and a zero.
    std::string mask;
    for (char c = 'a'; c <= 'j'; ++c)
        mask += std::string(1, c) + "\\T";
    EXPECT_EQ(Replace("abcdefghij", mask, "\\10\\1;0").Result, "ja0");

    // A modifier that changes nothing for the lexem's class is still read.
    EXPECT_EQ(Replace("q", "q", "\\xy1").Result, "q");
    EXPECT_EQ(Replace("q", "q", "\\a\\\"b1").Result, "q");
}

TEST(ReplaceMask, ControlCharactersAndCounter)
{
    EXPECT_EQ(Replace("a", "a", "\\r\\l\\t\\n").Result, "\r\n\t\n");
    EXPECT_EQ(Replace("a\nb", "a", "\\n").Result, "\n\nb");
    EXPECT_EQ(Replace("a\n\rb", "a", "\\n").Result, "\n\r\n\rb");
    EXPECT_EQ(Replace("a\rb", "a", "\\n").Result, "\r\rb");
    EXPECT_EQ(Replace("x.x.", "x", "\\c\\c").Result, "12.34.");
    // A modifier before a command other than a reference has no effect.
    EXPECT_EQ(Replace("x", "x", "\\+c\\\"q\"t").Result, "1\t");
    // After a quoted modifier any character is a command; others are dropped.
    EXPECT_EQ(Replace("x", "x", "<\\\"m\"z>").Result, "<>");
}

TEST(ReplaceMask, CaseModifiersFollowTheLexemsCodePage)
{
    EXPECT_EQ(Replace(W("ж"), "\\A", "\\+1").Result, W("Ж"));
    EXPECT_EQ(Replace("b", "\\A", "\\+1").Result, "B");
    EXPECT_EQ(Replace(W("ЁЖb"), "\\+A", "\\-1").Result, W("ёжb"));
    std::string koi = W("жук");
    RecodeString(koi, EncodingWin, EncodingKoi);
    std::string expected = W("ЖУК");
    RecodeString(expected, EncodingWin, EncodingKoi);
    EXPECT_EQ(Replace(koi, "\\+A", "\\+1", EncodingKoi).Result, expected);
    // Modified references count one each match.
    EXPECT_EQ(Replace("ab", "\\A", "\\+1").Count, 2);
}

TEST(ReplaceMask, Arithmetic)
{
    EXPECT_EQ(Replace("9", "\\+9", "\\+1").Result, "10");
    EXPECT_EQ(Replace("0", "\\+9", "\\-1").Result, "-1");
    EXPECT_EQ(Replace("7", "\\+9", "\\\"*12\"1").Result, "84");
    EXPECT_EQ(Replace("-7", "-\\+9", "\\\"/2\"2").Result, "3"); // the digits only
    EXPECT_EQ(Replace("12", "\\+9", "\\\"/0\"1").Result, "12");
    EXPECT_EQ(Replace("007", "\\+9", "\\=1").Result, "7");
    EXPECT_EQ(Replace("12", "\\+9", "\\\"+x\"1").Result, "12");
    EXPECT_EQ(Replace("99999999999", "\\+9", "\\+1").Result, "99999999999");

    // Results outside 32 bits leave the number as it was.
    EXPECT_EQ(ApplyArithmetic("2147483647", "+"), std::nullopt);
    EXPECT_EQ(ApplyArithmetic("2147483646", "+"), "2147483647");
    EXPECT_EQ(ApplyArithmetic("-2147483648", "/-1"), std::nullopt);
    EXPECT_EQ(ApplyArithmetic("65536", "*65536"), std::nullopt);
    EXPECT_EQ(ApplyArithmetic("-7", "/2"), "-3");
    EXPECT_EQ(ApplyArithmetic("5", ""), std::nullopt);
    EXPECT_EQ(Replace("2147483647", "\\+9", "\\+1").Result, "2147483647");
}

TEST(ReplaceMask, FaultsKeepWhatWasBuilt)
{
    auto beyond = Replace("abc", "a\\Tb\\Tc", "<\\1\\5>");
    EXPECT_EQ(beyond.Result, "<a");
    EXPECT_EQ(beyond.Error, Bad);
    EXPECT_EQ(beyond.Count, 1);

    for (const std::string mask : {"x\\+", "x\\\"+\"", "x\\\"abc", "x\\", "x\\0", "x\\99999999999"}) {
        auto r = Replace("a", "a", mask);
        EXPECT_EQ(r.Result, "x") << mask;
        EXPECT_EQ(r.Error, Bad) << mask;
    }
    // The message stays after later, faultless matches.
    EXPECT_EQ(Replace("aa", "a", "\\c\\0").Error, Bad);
    EXPECT_EQ(Replace("aa", "a", "\\c\\0").Result, "12");
}

TEST(ReplaceMask, ContextsRunANestedReplacement)
{
    auto r = Replace("<a1b22>", "<\\(\\9\\)>", "<\\\"[\\1]\"2>");
    EXPECT_EQ(r.Result, "<a[1]b[2][2]>");
    EXPECT_EQ(r.Count, 3);

    // Without a modifier every match inside is removed and counted.
    auto removed = Replace("(a1b22)", "(\\(\\9\\))", "\\2");
    EXPECT_EQ(removed.Result, "ab");
    EXPECT_EQ(removed.Count, 3);

    // A context without children returns its text, and made no replacement.
    EXPECT_EQ(Replace("[abc]", "[\\(\\)]", "\\2").Result, "abc");
    EXPECT_EQ(Replace("[abc]", "[\\(\\)]", "\\2").Count, 0);

    // Another modified reference makes the match count one more.
    auto both = Replace("<12>", "<\\(\\9\\)>", "\\+1\\\"x\"2");
    EXPECT_EQ(both.Result, "<xx");
    EXPECT_EQ(both.Count, 3);

    // Inside, \n is the line break of the whole text, not of the matched
    // fragment, and other breaks stay; references count the context's
    // children.
    EXPECT_EQ(Replace("[a\nb]", "[\\(\\n\\)]", "\\\"\\n\\n\"2").Result, "a\n\nb");
    EXPECT_EQ(Replace("\n[a b\r\nc]", "[\\(\\_\\)]", "\\\"\\n\"2").Result, "\na\nb\r\nc");
    EXPECT_EQ(Replace("[ab]", "[\\(a\\Tb\\)]", "\\\"\\2\\1\"2").Result, "ba");

    // A fault in the nested mask is reported, not lost.
    auto fault = Replace("[ab]", "[\\(a\\)]", "\\\"\\5\"2");
    EXPECT_EQ(fault.Error, Bad);
    EXPECT_EQ(fault.Result, "b");
}

TEST(ReplaceMask, ReferencesForRange)
{
    TMaskedReplacer r("", "ab\\9cd", "", 0, -1);
    EXPECT_EQ(r.ReferencesForRange(2, 3), "\\1\\2");
    EXPECT_EQ(r.ReferencesForRange(1, 6), "\\1\\2\\3");
    EXPECT_EQ(r.ReferencesForRange(5, 1), "\\3");
    EXPECT_EQ(r.ReferencesForRange(3, 1), "\\2");
    TMaskedReplacer empty("", "", "", 0, -1);
    EXPECT_EQ(empty.ReferencesForRange(1, 5), "\\1");
}

TEST(ReplaceMask, LineBreakEscapes)
{
    EXPECT_EQ(LineBreaksToEscapes("a\r\nb\r\n"), "a\\nb\\n");
    EXPECT_EQ(LineBreaksToEscapes("a\r"), "a\\n");
    EXPECT_EQ(LineBreaksToEscapes("a\nb"), "a\nb");
    EXPECT_EQ(EscapesToLineBreaks("a\\nb"), "a\r\nb");
    EXPECT_EQ(EscapesToLineBreaks("a\\\\nb"), "a\\\r\nb");
    EXPECT_EQ(EscapesToLineBreaks("a\\"), "a\\");
    EXPECT_EQ(EscapesToLineBreaks(LineBreaksToEscapes("x\r\ny")), "x\r\ny");
}

// The check before a run names exactly the fault the run itself would leave,
// and nothing for a sound pair.
TEST(MaskPairFault, NamesWhatTheRunWouldFaultOn)
{
    const std::string text = "ab ab";
    const std::pair<const char*, const char*> pairs[] = {
        {"a\\Tb", "\\2\\1"}, // sound
        {"a\\Tb", "\\3"}, // past the three lexems
        {"a\\Tb", "x\\0y"}, // lexem 0
        {"a\\Tb", "\\99999999999"}, // too large
        {"a\\Tb", "x\\ab"}, // a modifier that reaches the end
        {"ab\\)", "x"}, // a closing bracket without its opening one
        {"", "\\5"}, // nothing searched: nothing to fault on
    };
    int faults = 0;
    for (const auto& [search, replace] : pairs) {
        const std::string fault = MaskPairFault(search, replace);
        EXPECT_EQ(fault, Replace(text, search, replace).Error) << search << " -> " << replace;
        faults += fault.empty() ? 0 : 1;
    }
    EXPECT_EQ(faults, 5);
    EXPECT_EQ(MaskPairFault("a\\Tb", "\\3"), Bad);
}
