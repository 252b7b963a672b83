#include "common/error.h"
#include "encodings/codepages.h"
#include "engine/containers.h"
#include "engine/messages.h"
#include "engine/searchmaskparser.h"
#include "engine/simplelexems.h"
#include "replacerun.h"

#include <gtest/gtest.h>

using namespace tekstovar;
using namespace tekstovar::test;

namespace {

TMaskedReplacer Parse(const std::string& mask, int encoding = 0) { return TMaskedReplacer("", mask, "", encoding, -1); }

template <class T> T* As(TLexem* lexem)
{
    auto* typed = dynamic_cast<T*>(lexem);
    EXPECT_NE(typed, nullptr);
    return typed;
}

} // namespace

TEST(SearchMaskParser, TextRunsAndTheirPositions)
{
    auto r = Parse("ab\\Tcd");
    ASSERT_EQ(r.Lexems().size(), 2u);
    EXPECT_EQ(As<TTextLexem>(r.LexemAt(0))->Text, "ab");
    EXPECT_EQ(r.LexemAt(0)->MaskPos, 1);
    EXPECT_EQ(As<TTextLexem>(r.LexemAt(1))->Text, "cd");
    EXPECT_EQ(r.LexemAt(1)->MaskPos, 5);

    // An escaped backslash is one run character for two mask characters.
    auto escaped = Parse("a\\\\b\\9");
    ASSERT_EQ(escaped.Lexems().size(), 2u);
    EXPECT_EQ(As<TTextLexem>(escaped.LexemAt(0))->Text, "a\\b");
    EXPECT_EQ(escaped.LexemAt(0)->MaskPos, 2);
    EXPECT_EQ(escaped.LexemAt(1)->MaskPos, 5);

    // An escaped ordinary character starts a new run, placed by where it ends.
    auto split = Parse("ab\\xcd");
    ASSERT_EQ(split.Lexems().size(), 2u);
    EXPECT_EQ(As<TTextLexem>(split.LexemAt(1))->Text, "xcd");
    EXPECT_EQ(split.LexemAt(1)->MaskPos, 4);
}

TEST(SearchMaskParser, PrefixesAndClasses)
{
    auto r = Parse("x\\+9y\\-+A");
    ASSERT_EQ(r.Lexems().size(), 4u);
    auto* digits = As<TDigitLexem>(r.LexemAt(1));
    EXPECT_TRUE(digits->Repeated);
    EXPECT_TRUE(digits->Positive);
    auto* letters = As<TLetterLexem>(r.LexemAt(3));
    EXPECT_TRUE(letters->Repeated);
    EXPECT_FALSE(letters->Positive);
    EXPECT_EQ(letters->MaskPos, 6);

    // Flags stay in force across \T and an escaped character until a lexem is placed.
    auto caseless = Parse("\\!Tabc");
    ASSERT_EQ(caseless.Lexems().size(), 1u);
    auto* text = As<TTextLexem>(caseless.LexemAt(0));
    EXPECT_TRUE(text->IgnoreCase);
    EXPECT_EQ(text->Text, "ABC");
    EXPECT_EQ(As<TTextLexem>(Parse("\\!" + W("прЁт")).LexemAt(0))->Text, W("ПРЁТ"));
}

TEST(SearchMaskParser, TextsAndClassesAreTakenIntoTheTextsCodePage)
{
    auto koi = Parse(W("мир") + "\\A", EncodingKoi);
    EXPECT_EQ(As<TTextLexem>(koi.LexemAt(0))->Text, "\xCD\xC9\xD2");
    auto* letter = As<TLetterLexem>(koi.LexemAt(1));
    EXPECT_TRUE(letter->Chars.Has(0xE1)); // KOI А
    EXPECT_TRUE(letter->Chars.Has(0xA3)); // KOI ё
    EXPECT_FALSE(letter->Chars.Has(0xB8)); // WIN ё is no KOI letter
    // A caseless text stays in WIN capitals: it is compared through the page's letters.
    EXPECT_EQ(As<TTextLexem>(Parse("\\!" + W("мир"), EncodingKoi).LexemAt(0))->Text, W("МИР"));
}

TEST(SearchMaskParser, ContainersAndRepetition)
{
    auto set = Parse("\\[a\\9\\]");
    ASSERT_EQ(set.Lexems().size(), 1u);
    auto* s = As<TSetLexem>(set.LexemAt(0));
    EXPECT_EQ(s->Items.size(), 2u);
    EXPECT_FALSE(s->Repeatable);
    EXPECT_TRUE(As<TSetLexem>(Parse("\\[a\\+9\\]").LexemAt(0))->Repeatable);

    // A nested group that turns out to repeat makes its parent a run too.
    EXPECT_TRUE(As<TSetLexem>(Parse("\\[\\[\\+9\\]\\]").LexemAt(0))->Repeatable);
    EXPECT_TRUE(As<TBlockLexem>(Parse("\\{x\\[\\*\\]\\}").LexemAt(0))->Repeatable);
    EXPECT_TRUE(As<TSetLexem>(Parse("\\[\\{\\(a\\)\\}\\]").LexemAt(0))->Repeatable);
    EXPECT_FALSE(As<TSetLexem>(Parse("\\[\\{ab\\}\\]").LexemAt(0))->Repeatable);

    auto context = Parse("<\\(\\9\\)>");
    ASSERT_EQ(context.Lexems().size(), 3u);
    EXPECT_EQ(As<TContext>(context.LexemAt(1))->Items.size(), 1u);
}

TEST(SearchMaskParser, TrailingBackslashIsTheTerminatorCharacter)
{
    for (const std::string mask : {"ab\\", "ab\\+-"}) {
        auto r = Parse(mask);
        ASSERT_EQ(r.Lexems().size(), 2u) << mask;
        auto* last = As<TTextLexem>(r.LexemAt(1));
        EXPECT_EQ(last->Text, std::string(1, '\0'));
        EXPECT_EQ(last->MaskPos, static_cast<int>(mask.size()) + 1);
        EXPECT_EQ(last->Repeated, mask.size() > 3);
    }
}

TEST(SearchMaskParser, BracketFaults)
{
    try {
        Parse("\\(abc");
        FAIL() << "an unclosed bracket must fail";
    } catch (const TError& e) {
        EXPECT_STREQ(e.what(), messages::UnclosedBracket);
    }

    auto r = Parse("\\[\\)\\]");
    ASSERT_EQ(r.Lexems().size(), 1u);
    EXPECT_TRUE(As<TSetLexem>(r.LexemAt(0))->Items.empty());
    EXPECT_EQ(r.ErrorText(), std::string(messages::NoOpeningContext) + "3)");

    // The position is the one before the command: after any prefixes.
    EXPECT_EQ(Parse("ab\\+]").ErrorText(), std::string(messages::NoOpeningSet) + "4)");
    EXPECT_EQ(Parse("\\}x").ErrorText(), std::string(messages::NoOpeningBlock) + "1)");
    // The last fault wins; the flags of a failed close stay for the next lexem.
    auto flags = Parse("\\+)\\]a");
    EXPECT_EQ(flags.ErrorText(), std::string(messages::NoOpeningSet) + "4)");
    ASSERT_EQ(flags.Lexems().size(), 1u);
    EXPECT_TRUE(flags.LexemAt(0)->Repeated);
}

TEST(SearchMaskParser, EmptyMaskKeepsNothing)
{
    auto r = Parse("");
    EXPECT_TRUE(r.Lexems().empty());
    EXPECT_EQ(r.SearchTree(), nullptr);
    EXPECT_THROW(r.LexemAt(0), TError);
}

TEST(SearchMaskParser, RefusesMasksBeyondTheStackLimits)
{
    std::string deep;
    for (int i = 0; i < MaxBracketNesting; ++i)
        deep += "\\{";
    deep += "x";
    for (int i = 0; i < MaxBracketNesting; ++i)
        deep += "\\}";
    EXPECT_NO_THROW(Parse(deep));
    EXPECT_THROW(Parse("\\(" + deep + "\\)"), TError);

    std::string runs;
    for (int i = 0; i < MaxRunsAndBrackets + 1; ++i)
        runs += "\\*";
    EXPECT_THROW(Parse(runs), TError);
    EXPECT_NO_THROW(Parse(runs.substr(2)));
}
