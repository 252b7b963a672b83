#include "encodings/recode.h"
#include "engine/containers.h"
#include "engine/simplelexems.h"
#include "replacerun.h"

#include <gtest/gtest.h>

#include <optional>

using namespace tekstovar;
using namespace tekstovar::test;

namespace {

// Length of the match of the whole mask at p, or nothing.
std::optional<TPos> MatchAt(TMaskedReplacer& r, const std::string& text, TPos p)
{
    if (!r.SearchTree()->Match(text, p))
        return std::nullopt;
    return r.SearchTree()->MatchLength;
}

std::optional<TPos> MatchAt(const std::string& mask, const std::string& text, TPos p = 1, int encoding = 0)
{
    TMaskedReplacer r("", mask, "", encoding, -1);
    return MatchAt(r, text, p);
}

std::string Matched(TMaskedReplacer& r, const std::string& text, std::size_t lexem)
{
    return r.LexemAt(lexem)->MatchedText(text, "");
}

} // namespace

TEST(Matching, RunsAreLazyUnlessNothingFollows)
{
    TMaskedReplacer digits("", "\\+9x", "", 0, -1);
    EXPECT_EQ(MatchAt(digits, "123x", 1), 4);
    EXPECT_EQ(Matched(digits, "123x", 0), "123");

    EXPECT_EQ(MatchAt("\\+9\\9", "123"), 2);
    EXPECT_EQ(MatchAt("a\\*", "abc"), 3);
    EXPECT_EQ(MatchAt("a\\*b", "axbyb"), 3);
    EXPECT_EQ(MatchAt("\\*", "hello"), 5);
    EXPECT_EQ(MatchAt("\\*", "hello", 3), 3);
    EXPECT_EQ(MatchAt("\\+9", "12a"), 2);
    EXPECT_EQ(MatchAt("a\\*b", "axxx"), std::nullopt);

    // A group with a run inside is itself a run: axb, then ab, then the "!".
    TMaskedReplacer group("", "\\{a\\*b\\}!", "", 0, -1);
    EXPECT_EQ(MatchAt(group, "axbab!", 1), 6);
    EXPECT_EQ(Matched(group, "axbab!", 0), "axbab");
    EXPECT_EQ(MatchAt("\\{ab\\}", "ab"), 2);
}

TEST(Matching, NegationCoversOneCharacter)
{
    EXPECT_EQ(MatchAt("\\-9", "x"), 1);
    EXPECT_EQ(MatchAt("\\-9", "5"), std::nullopt);
    EXPECT_EQ(MatchAt("\\-abc", "abd"), 1);
    EXPECT_EQ(MatchAt("\\-abc", "abc"), std::nullopt);
    EXPECT_EQ(MatchAt("\\-[a\\Tb\\]", "z"), 1);
    // Past the end the terminator is read: a negated class matches there.
    EXPECT_EQ(MatchAt("x\\-9", "x"), 2);
}

TEST(Matching, SetsTakeTheFirstChildThatMatches)
{
    EXPECT_EQ(MatchAt("\\[a\\Tb\\]", "b"), 1);
    EXPECT_EQ(MatchAt("\\[a\\Tb\\]", "z"), std::nullopt);
    EXPECT_EQ(MatchAt("\\[ab\\]", "b"), std::nullopt); // one child: the text "ab"
    EXPECT_EQ(MatchAt("\\[ab\\]", "ab"), 2);
    EXPECT_EQ(MatchAt("\\[a\\Tab\\]c", "abc"), std::nullopt); // no retry of "ab"
    EXPECT_EQ(MatchAt("\\[\\]", "a"), std::nullopt);
    EXPECT_EQ(MatchAt("\\[\\[\\+9\\]\\]", "123x"), 3);
}

TEST(Matching, LineBreaks)
{
    EXPECT_EQ(MatchAt("\\n", "\r\n"), 2);
    EXPECT_EQ(MatchAt("\\n", "\n\r"), 2);
    EXPECT_EQ(MatchAt("\\n", "\n"), 1);
    EXPECT_EQ(MatchAt("\\n", "\r"), 1);
    EXPECT_EQ(MatchAt("\\n", "x"), std::nullopt);
    EXPECT_EQ(MatchAt("x\\n", "x"), std::nullopt);
    // LF CR LF: the LF stands alone and CR LF is the next break.
    EXPECT_EQ(MatchAt("\\n", "\n\r\n"), 1);
    EXPECT_EQ(Replace("a\n\r\nb", "\\n", "|").Result, "a||b");
    EXPECT_EQ(Replace("a\n\rb", "\\n", "|").Result, "a|b");
}

TEST(Matching, AnyCharacterAcceptsThePositionAfterTheEnd)
{
    EXPECT_EQ(MatchAt("x\\?", "abx", 3), 2);
    EXPECT_EQ(MatchAt("\\?", ""), std::nullopt);
}

TEST(Matching, CaselessText)
{
    for (const char* text : {"aBc", "ABC", "abc"})
        EXPECT_EQ(MatchAt("\\!abc", text), 3) << text;
    EXPECT_EQ(MatchAt("abc", "aBc"), std::nullopt);
    EXPECT_EQ(MatchAt("abc", "abc"), 3);

    // Russian letters are compared through the text's own code page.
    std::string koi = W("ПрИвЁт");
    RecodeString(koi, EncodingWin, EncodingKoi);
    EXPECT_EQ(MatchAt("\\!" + W("привёт"), koi, 1, EncodingKoi), 6);
    std::string dos = W("ЖУК");
    RecodeString(dos, EncodingWin, EncodingDos);
    EXPECT_EQ(MatchAt("\\!" + W("жук"), dos, 1, EncodingDos), 3);

    // A byte that is no letter of the text's page never passes for one: DOS
    // 0xC0 is a box-drawing character, the code of WIN "А".
    EXPECT_EQ(MatchAt("\\!" + W("а"), "\xC0", 1, EncodingDos), std::nullopt);
    EXPECT_EQ(MatchAt("\\!" + W("а"), "\xA0", 1, EncodingDos), 1); // DOS а
    // Non-letters are compared as themselves, Latin letters without case.
    EXPECT_EQ(MatchAt("\\!\xB3q", "\xB3Q", 1, EncodingWin), 2);
    EXPECT_EQ(MatchAt("\\!\xB3", "\xB3", 1, EncodingKoi), std::nullopt); // KOI Ё
}

TEST(Matching, RememberedRunsAnswerAsAFullEvaluation)
{
    // A failed run of a two-character item must not refuse the start between.
    TMaskedReplacer r("", "\\+aa\\Tx", "", 0, -1);
    EXPECT_EQ(MatchAt(r, "aaax", 1), std::nullopt);
    EXPECT_EQ(MatchAt(r, "aaax", 2), 3);
    EXPECT_EQ(r.LexemAt(0)->MatchStart, 2);
    EXPECT_EQ(r.LexemAt(0)->MatchLength, 2);

    // Uneven steps (a, then bb) visit 1, 2, 4: start 3 was never evaluated.
    TMaskedReplacer uneven("", "\\+[a\\Tbb\\]x", "", 0, -1);
    EXPECT_EQ(MatchAt(uneven, "abbbx", 1), std::nullopt);
    EXPECT_EQ(MatchAt(uneven, "abbbx", 2), std::nullopt);
    EXPECT_EQ(MatchAt(uneven, "abbbx", 3), 3);
    EXPECT_EQ(Replace("abbbx", "\\+[a\\Tbb\\]x", "<\\1>").Result, "ab<bb>");

    // A success answered from memory gives the item the range of this start.
    TMaskedReplacer star("", "\\*x", "", 0, -1);
    EXPECT_EQ(MatchAt(star, "abx", 1), 3);
    EXPECT_EQ(MatchAt(star, "abx", 2), 2);
    EXPECT_EQ(star.LexemAt(0)->MatchStart, 2);
    EXPECT_EQ(star.LexemAt(0)->MatchLength, 1);

    // Starts the failed run passed over fail too.
    TMaskedReplacer none("", "\\*x", "", 0, -1);
    EXPECT_EQ(MatchAt(none, "abcd", 1), std::nullopt);
    EXPECT_EQ(MatchAt(none, "abcd", 3), std::nullopt);
    auto* pair = dynamic_cast<TStrictPair*>(none.SearchTree());
    ASSERT_NE(pair, nullptr);
    EXPECT_EQ(pair->CacheStart, 1);
    EXPECT_EQ(pair->CacheEnd, 5);
}

TEST(Matching, PlainOptionsReachTheTreesOfGroups)
{
    // A group's tree that remembered failed starts under plain matching would
    // check the fast paths against themselves.
    for (const bool plain : {false, true}) {
        SCOPED_TRACE(plain ? "plain" : "fast");
        TMaskedReplacer r("", "\\{\\*x\\}y", "", 0, -1, {.PlainMatching = plain});
        EXPECT_EQ(MatchAt(r, "axz", 1), std::nullopt);
        auto* root = dynamic_cast<TStrictPair*>(r.SearchTree());
        auto* group = dynamic_cast<TBlockLexem*>(r.LexemAt(0));
        ASSERT_TRUE(root && group);
        auto* inner = dynamic_cast<TStrictPair*>(group->Tree.get());
        ASSERT_NE(inner, nullptr);
        EXPECT_EQ(root->CacheStep > 0, !plain);
        EXPECT_EQ(inner->CacheStep > 0, !plain);
    }
}

TEST(Matching, EmptyGroupNeverMatches)
{
    EXPECT_EQ(MatchAt("\\{\\}", "abc"), std::nullopt);
    EXPECT_EQ(MatchAt("a\\{\\}", "a"), std::nullopt);
    EXPECT_EQ(MatchAt("\\-{\\}", "a"), 1);
    EXPECT_EQ(Replace("abc", "\\{\\}", "x").Result, "abc");
}

TEST(Matching, TreeShape)
{
    // a\+9b\*x: block [a, pair(digits, block [b, pair(star, block [x])])]
    TMaskedReplacer r("", "a\\+9b\\*x", "", 0, -1);
    auto* root = dynamic_cast<TStrictBlock*>(r.SearchTree());
    ASSERT_NE(root, nullptr);
    ASSERT_EQ(root->Items.size(), 2u);
    EXPECT_EQ(root->Items[0], r.LexemAt(0));
    auto* digits = dynamic_cast<TStrictPair*>(root->Items[1]);
    ASSERT_NE(digits, nullptr);
    EXPECT_EQ(digits->Item, r.LexemAt(1));
    auto* middle = dynamic_cast<TStrictBlock*>(digits->Follower.get());
    ASSERT_NE(middle, nullptr);
    ASSERT_EQ(middle->Items.size(), 2u);
    auto* star = dynamic_cast<TStrictPair*>(middle->Items[1]);
    ASSERT_NE(star, nullptr);
    auto* last = dynamic_cast<TStrictBlock*>(star->Follower.get());
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(last->Items.size(), 1u);
    EXPECT_EQ(MatchAt(r, "a12bzzx", 1), 7);
}

TEST(Matching, FreeingATreeRestoresItemLengths)
{
    // The run sets the item's length to the whole run; a tree built later
    // over the same lexem must start from the lexem's own length again.
    TDigitLexem digit(1, true, true, EncodingWin);
    {
        auto tree = BuildSearchTree({&digit});
        EXPECT_TRUE(tree->Match("1234", 1));
        EXPECT_EQ(digit.MatchLength, 4);
    }
    EXPECT_EQ(digit.MatchLength, 1);
    auto tree = BuildSearchTree({&digit});
    EXPECT_TRUE(tree->Match("12", 1));
    EXPECT_EQ(tree->MatchLength, 2);
}
