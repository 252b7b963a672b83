// What the runs of the fast matcher remember about failed starts must leave
// every result as plain matching finds it, on texts long enough that failed
// runs are long, unevenly spaced and met again from other starts.

#include "engine/searchtree.h"
#include "replacerun.h"

#include <gtest/gtest.h>

#include <random>

using namespace tekstovar;
using namespace tekstovar::test;

namespace {

// Masks whose runs fail far from where they began: a run of groups that
// rarely meet their follower, items of uneven lengths, runs within runs.
const char* const Masks[] = {
    "\\{\\*a\\}c",
    "\\{\\*\\_\\}\\.",
    "\\+[a\\Tbb\\]x",
    "\\{\\+{\\?\\?\\}x\\}c",
    "\\{\\*\\{\\*a\\}b\\}c",
    "\\-{\\*a\\}c",
    "b\\{\\*\\_\\}\\+9",
    "\\{\\+[ab\\Tba\\]\\_\\}x",
    // The follower can match at a start known to fail, as that start's own
    // run does not try it there.
    "\\{\\{\\*\\?\\}c\\}d",
    "\\{\\{\\*\\?\\}\\[a\\Tc\\]\\}b",
    // A success answered from memory: the follower's length is that of its
    // match at the end, and the end itself is no start known to succeed.
    "\\{\\*\\[c\\Tdd\\]\\}b",
    "\\{\\+{\\?\\?\\}\\[c\\Tdd\\]\\}b",
};

// size characters of alphabet, with each rare character at about one place
// in rarity (none when rarity is 0), so that both failures and matches come.
std::string Generate(
    std::mt19937& random, std::size_t size, const std::string& alphabet, const std::string& rare, std::size_t rarity)
{
    std::string text;
    std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
    std::uniform_int_distribution<std::size_t> chance(0, rarity > 0 ? rarity - 1 : 0);
    std::uniform_int_distribution<std::size_t> pickRare(0, rare.empty() ? 0 : rare.size() - 1);
    for (std::size_t i = 0; i < size; ++i)
        text += rarity > 0 && !rare.empty() && chance(random) == 0 ? rare[pickRare(random)] : alphabet[pick(random)];
    return text;
}

// Texts of a few thousand characters: several progress intervals, and runs
// over all of it where nothing matches; then many short ones.
std::vector<std::string> Texts()
{
    std::mt19937 random(1251);
    std::vector<std::string> texts;
    std::string ab;
    for (int i = 0; i < 600; ++i)
        ab += "ab";
    texts.push_back(ab);
    texts.push_back(ab + "c");
    texts.push_back("c" + ab + "x");
    std::string words = Generate(random, 1100, "abbb  \t", "", 0);
    texts.push_back(words);
    texts.push_back(words + ".");
    texts.push_back(std::string(300, 'b') + " a." + std::string(300, 'x') + "\tb.");
    texts.push_back(Generate(random, 900, "abcd", "", 0));
    for (const std::size_t rarity : {0, 60, 600}) {
        texts.push_back(Generate(random, 1100, "ab", "cx ", rarity));
        texts.push_back(Generate(random, 1100, "aabb \t", "c.x9", rarity));
        texts.push_back(Generate(random, 1000, "abx", "c.9 ", rarity));
    }
    // Short ones, where the few starts asked again are the ones that count.
    std::uniform_int_distribution<std::size_t> length(1, 14);
    for (int i = 0; i < 300; ++i)
        texts.push_back(Generate(random, length(random), i % 2 ? "abc" : "abcd", "", 0));
    return texts;
}

} // namespace

TEST(RunMemory, FastMatchingFindsWhatPlainMatchingFinds)
{
    const std::vector<std::string> texts = Texts();
    for (const char* mask : Masks)
        for (std::size_t t = 0; t < texts.size(); ++t) {
            SCOPED_TRACE(std::string(mask) + ", text " + std::to_string(t));
            // Replacing with the run itself shows where each match began and
            // how long its first part was, not only that something matched.
            const TRunResult plain = Replace(texts[t], mask, "<\\1|\\2>", 0, -1, true);
            const TRunResult fast = Replace(texts[t], mask, "<\\1|\\2>");
            EXPECT_EQ(fast.Result, plain.Result);
            EXPECT_EQ(fast.Count, plain.Count);
            EXPECT_EQ(fast.Matches, plain.Matches);
            EXPECT_EQ(fast.Error, plain.Error);
            EXPECT_EQ(fast.Progress, plain.Progress);
        }
}

TEST(RunMemory, RefusedStartsFailUnderPlainMatching)
{
    // Every start the memory of the outermost run refuses after a whole
    // replacement, asked directly: a remembered start that could match would
    // hide matches that a later, overlapping scan must find.
    const std::vector<std::string> texts = Texts();
    for (const char* mask : {Masks[0], Masks[1], Masks[2], Masks[3]})
        for (std::size_t t = 0; t < texts.size(); ++t) {
            SCOPED_TRACE(std::string(mask) + ", text " + std::to_string(t));
            const std::string& text = texts[t];
            TMaskedReplacer fast(text, mask, "", 0, -1);
            TMaskedReplacer plain(text, mask, "", 0, -1, {.PlainMatching = true});
            RunReplacer(fast);
            auto* pair = dynamic_cast<TStrictPair*>(fast.SearchTree());
            ASSERT_NE(pair, nullptr);
            int refused = 0;
            for (TPos p = 1; p <= TextSize(text) + 1; ++p)
                if (pair->Remembers(p)) {
                    ++refused;
                    EXPECT_FALSE(plain.SearchTree()->Match(text, p)) << "at " << p;
                }
            // The whole run over "ab", and over the words without a sign.
            if ((mask == Masks[0] && t == 0) || (mask == Masks[1] && t == 3)) {
                EXPECT_GT(refused, 300);
            }
        }
}

TEST(RunMemory, AnotherTextStartsWithNothingRemembered)
{
    // The same trees over a text where the starts refused before do match.
    std::string ab;
    for (int i = 0; i < 1000; ++i)
        ab += "ab";
    std::string abc = ab;
    for (std::size_t i = 3; i < abc.size(); i += 7)
        abc[i] = 'c';
    for (const char* mask : {"\\{\\*a\\}c", "\\+[a\\Tbb\\]x"}) {
        SCOPED_TRACE(mask);
        TMaskedReplacer r(ab, mask, "<\\1>", 0, -1);
        RunReplacer(r);
        r.SetText(abc);
        EXPECT_EQ(RunReplacer(r), Replace(abc, mask, "<\\1>", 0, -1, true));
    }
}
