#include "common/error.h"
#include "encodings/recode.h"
#include "replacerun.h"
#include "support/addressspace.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <new>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace tekstovar;
using namespace tekstovar::test;

namespace {

// A lexem that matches everywhere with length 0: no mask makes one any more,
// but the scan must survive it.
class TEmptyLexem : public TLexem {
public:
    TEmptyLexem() : TLexem(1, true, false, EncodingWin) { }
    bool Test(std::string_view, TPos) override { return true; }
};

// Takes a new text the way the file-list replacers take each file.
class TNextTextReplacer : public TMaskedReplacer {
public:
    using TMaskedReplacer::TMaskedReplacer;
    void Next(std::string text)
    {
        SetText(std::move(text));
        TakeLineBreakFromText();
    }
};

} // namespace

TEST(Replacer, EmptyText)
{
    TMaskedReplacer r("", "x", "y", 0, 1);
    std::vector<TPos> progress;
    r.OnProgress = [&](TMaskedReplacer& x) { progress.push_back(x.GetPosition()); };
    EXPECT_TRUE(r.Start());
    EXPECT_TRUE(r.Finished());
    r.FinishText();
    r.EndRun();
    EXPECT_EQ(r.Result(), "");
    EXPECT_EQ(progress, (std::vector<TPos>{0, 1}));
}

TEST(Replacer, NoWorkLeavesTheText)
{
    for (int target : {-1, 0}) {
        TMaskedReplacer r("abc", "", "", 0, target);
        EXPECT_FALSE(r.Start());
        EXPECT_EQ(r.Result(), "abc");
    }
    auto run = Replace("abc", "", "x", 0, -1);
    EXPECT_EQ(run.Result, "abc");
    EXPECT_EQ(run.Progress, (std::vector<TPos>{4}));
}

TEST(Replacer, RecodingOnly)
{
    std::string win = W("Привет, мир!\r\n");
    std::string koi = win;
    RecodeString(koi, EncodingWin, EncodingKoi);
    auto run = Replace(win, "", "", EncodingWin, EncodingKoi);
    EXPECT_EQ(run.Result, koi);
    EXPECT_EQ(run.Count, 0);
    EXPECT_EQ(run.Progress, (std::vector<TPos>{0, static_cast<TPos>(win.size()) + 1}));
}

TEST(Replacer, RecodesWhileReplacing)
{
    // A KOI text, masks typed in WIN, the result written in WIN.
    std::string koi = W("Кот и кот");
    RecodeString(koi, EncodingWin, EncodingKoi);
    auto run = Replace(koi, W("кот"), W("пёс"), EncodingKoi, EncodingWin);
    EXPECT_EQ(run.Result, W("Кот и пёс"));
    EXPECT_EQ(run.Count, 1);

    // Without a target the result stays in the text's page.
    std::string expected = W("Кот и пёс");
    RecodeString(expected, EncodingWin, EncodingKoi);
    EXPECT_EQ(Replace(koi, W("кот"), W("пёс"), EncodingKoi).Result, expected);
}

TEST(Replacer, CrLfIsOneStep)
{
    EXPECT_EQ(Replace("a\r\nb", "\\?", "x").Result, "xxx");
    EXPECT_EQ(Replace("a\r\nb", "\\?", "x").Count, 3);
    EXPECT_EQ(Replace("\n\r\n", "\\-n", "x").Result, "\n\r\n");

    TMaskedReplacer r("a\r\nb", "", "", 0, -1);
    r.SetPosition(3);
    EXPECT_EQ(r.GetPosition(), 4);
    r.SetPosition(2);
    EXPECT_EQ(r.GetPosition(), 2);
}

TEST(Replacer, ProgressEveryFiveHundredPositions)
{
    auto run = Replace(std::string(1000, 'a'), "x", "y");
    EXPECT_EQ(run.Progress, (std::vector<TPos>{0, 500, 1000, 1001}));

    // A match that jumps over a multiple of 500 makes no notification there.
    auto jump = Replace(std::string(498, 'a') + "xyz" + std::string(10, 'a'), "xyz", "!");
    EXPECT_EQ(jump.Progress, (std::vector<TPos>{0, 512}));

    // The LF of a CR LF on a multiple of 500 is never a position.
    auto crlf = Replace(std::string(498, 'a') + "\r\n" + std::string(10, 'a'), "x", "y");
    EXPECT_EQ(crlf.Progress, (std::vector<TPos>{0, 511}));
}

TEST(Replacer, LargeResultsGrowTheBuffer)
{
    std::string text;
    std::string expected;
    for (int i = 0; i < 50000; ++i) {
        text += i % 7 ? "a" : "b";
        expected += i % 7 ? "<a-a>" : "b";
    }
    auto run = Replace(text, "a", "<\\1-\\1>");
    EXPECT_EQ(run.Result, expected);
    EXPECT_GT(run.Result.size(), 102400u);
    EXPECT_EQ(run.Count, 50000 - 50000 / 7 - 1);
}

TEST(Replacer, ASinkTakesTheSameResultInBoundedPieces)
{
    // Several pieces' worth, with stretches without a match longer than a
    // piece, a match across each piece boundary and Russian letters to recode.
    std::string text;
    for (int i = 0; text.size() < 3 * TMaskedReplacer::ResultPieceSize + 12345; ++i)
        text += i % 9000 < 4000 ? W("слово 12 и <b>тег</b>; ") : std::string("aaaaaaaaaaaaaaaaaaaaaaaa");
    const struct {
        const char* Search;
        const char* Replace;
        int Target;
    } cases[] = {
        {"12", "345678", -1}, // grows
        {"<\\*>", "", -1}, // shrinks
        {"\\+9", "\\+1", EncodingKoi},
        {"", "", EncodingDos}, // recodes only
        {"", "", -1}, // nothing to do
        {"zzz", "y", -1}, // no match at all
        {"a", "a", -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Search);
        const TRunResult whole = Replace(text, c.Search, c.Replace, EncodingWin, c.Target);
        TMaskedReplacer r(text, c.Search, c.Replace, EncodingWin, c.Target);
        std::string joined;
        std::size_t largest = 0;
        r.ResultSink = [&](std::string_view piece) {
            joined += piece;
            largest = std::max(largest, piece.size());
        };
        TRunResult streamed = RunReplacer(r);
        EXPECT_TRUE(streamed.Result.empty());
        streamed.Result = joined;
        EXPECT_EQ(streamed, whole);
        EXPECT_LE(largest, 2 * TMaskedReplacer::ResultPieceSize);

        // Gathered: the text between matches handed over where it lies.
        TMaskedReplacer g(text, c.Search, c.Replace, EncodingWin, c.Target);
        std::string gathered;
        g.ResultGather = [&](const std::vector<std::string_view>& pieces) {
            for (std::string_view piece : pieces)
                gathered += piece;
        };
        TRunResult gatheredRun = RunReplacer(g);
        EXPECT_TRUE(gatheredRun.Result.empty());
        gatheredRun.Result = gathered;
        EXPECT_EQ(gatheredRun, whole);
    }
}

TEST(Replacer, LineBreakOfTheText)
{
    EXPECT_EQ(TMaskedReplacer("abc", "", "", 0, -1).LineBreak(), "\n");
    EXPECT_EQ(TMaskedReplacer("a\nb\r\n", "", "", 0, -1).LineBreak(), "\n");
    EXPECT_EQ(TMaskedReplacer("a\n\rb", "", "", 0, -1).LineBreak(), "\n\r");
    EXPECT_EQ(TMaskedReplacer("a\rb", "", "", 0, -1).LineBreak(), "\r");
    EXPECT_EQ(Replace("a b", " ", "\\n").Result, "a\nb");
    EXPECT_EQ(Replace("a b\r\nc", " ", "\\n").Result, "a\r\nb\r\nc");
}

TEST(Replacer, TakeLineBreakFromTextFollowsEachNewText)
{
    // Outside and inside a context, and in contexts parsed after the break
    // was taken (a file in another code page is parsed again).
    TNextTextReplacer r("<a b>\r\n", "<\\(\\_\\)>", "\\\"\\n\"2\\n", 0, -1);
    EXPECT_EQ(RunReplacer(r).Result, "a\r\nb\r\n\r\n");
    r.Next("<c d>\n");
    EXPECT_EQ(r.LineBreak(), "\n");
    EXPECT_EQ(RunReplacer(r).Result, "c\nd\n\n");
    r.Next("<e f>\r");
    r.ParseSearchMask();
    EXPECT_EQ(RunReplacer(r).Result, "e\rf\r\r");
}

TEST(Replacer, SourceEncodingChangeReparses)
{
    std::string text = W("мир");
    RecodeString(text, EncodingWin, EncodingDos);
    TMaskedReplacer r(text, W("мир"), W("Мир"), EncodingWin, -1);
    r.SetSourceEncoding(EncodingDos);
    auto run = RunReplacer(r);
    std::string expected = W("Мир");
    RecodeString(expected, EncodingWin, EncodingDos);
    EXPECT_EQ(run.Result, expected);
    EXPECT_EQ(r.ReplaceMask(), expected);
}

TEST(Replacer, RunsAgainOnANewText)
{
    TMaskedReplacer r("x1x", "\\*1", "<\\1>", 0, -1);
    EXPECT_EQ(RunReplacer(r).Result, "<x>x");
    r.SetText("yy1");
    auto again = RunReplacer(r);
    EXPECT_EQ(again.Result, "<yy>");
    EXPECT_EQ(again.Count, 1);
}

TEST(Replacer, EmptyMatchNeverStallsTheScan)
{
    TEmptyLexem empty;
    TMaskedReplacer r("abc", std::vector<TLexem*>{&empty}, "x", "\n");
    auto run = RunReplacer(r);
    EXPECT_EQ(run.Result, "xaxbxc");
    EXPECT_EQ(run.Count, 3);
}

TEST(Replacer, CreationFailsOnAnUnclosedBracket)
{
    EXPECT_THROW(TMaskedReplacer("abc", "\\[a", "", 0, -1), TError);
    EXPECT_NO_THROW(TMaskedReplacer("abc", "a\\]", "", 0, -1));
}

// Twenty contexts one inside another over a 4 MB text, each level handing
// the whole text to the next: every level reads its owner's text where it
// lies and hands its result up as it makes it, so the run needs the text and
// its result, not a copy of either per level.
TEST(Replacer, NestedContextsDoNotCopyTheTextPerLevel)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer's allocator aborts instead of failing";
#endif
    std::string search = "\\*";
    std::string replace = "\\1";
    for (int level = 0; level < 20; ++level) {
        search = "\\(" + search + "\\)";
        std::string quoted;
        for (char c : replace)
            quoted += c == '"' ? std::string("\\\"") : std::string(1, c);
        replace = "\\\"" + quoted + "\"1";
    }
    const std::string text(4 << 20, 'a');
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        TMaskedReplacer r(text, search, replace, EncodingWin, EncodingNone);
        LeaveAddressSpace(24u << 20); // a copy per level would take 80 MB
        try {
            r.Run();
        } catch (const std::bad_alloc&) {
            ::_exit(2);
        }
        ::_exit(r.Result() == text && r.ReplaceCount() == 1 ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}
