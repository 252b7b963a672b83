// The fast paths (skipping to positions where the mask can begin, remembered
// runs) against plain matching on generated masks and texts: every result,
// count, message and notification must agree.
#include "common/error.h"
#include "replacerun.h"

#include <gtest/gtest.h>

#include <random>

using namespace tekstovar;
using namespace tekstovar::test;

namespace {

class TMaskGenerator {
public:
    explicit TMaskGenerator(unsigned seed) : Random(seed) { }

    // A search mask and the number of runs in it (plain matching costs about
    // the text length to the power runs + 1).
    std::string SearchMask(int& runs)
    {
        runs = 0;
        std::string mask;
        int items = Pick(1, 4);
        for (int i = 0; i < items; ++i)
            mask += Item(runs, 0);
        return mask;
    }

    std::string ReplaceMask()
    {
        static const char* const masks[] = {"", "[\\1]", "\\c", "\\+1", "\\-1", "\\1\\1", "<\\\"x\"1>", "\\2;-",
            "\\\"\\1\"1", "\\\"*3\"1", "\\n", "\\5", "\\\"[\\c]\"2", "\\+2\\1", "x\\", "\\\"\\1\\1\"3"};
        return masks[Pick(0, std::size(masks) - 1)];
    }

    std::string Text(int maxLength)
    {
        static const std::string alphabet = std::string("aabb1 2x<>\r\n\n.") + "\xE6\xC6\xF1";
        std::string text;
        int length = Pick(0, maxLength);
        for (int i = 0; i < length; ++i)
            text += alphabet[Pick(0, alphabet.size() - 1)];
        return text;
    }

    int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(Random); }

private:
    std::string Item(int& runs, int depth)
    {
        static const char* const plain[] = {"a", "b", "ab", "1", "x", "<", ">", "\xE6", "\\?", "\\A", "\\9", "\\.",
            "\\_", "\\n", "\\T", "\\!a", "\\!\xC6", "\\[a\\Tbb\\]", "\\{\\n\\}", "\\[b\\T\\n\\]"};
        int kind = Pick(0, depth < 2 ? 9 : 6);
        std::string prefix;
        if (Pick(0, 4) == 0)
            prefix += '-';
        if (Pick(0, 3) == 0) {
            prefix += '+';
            ++runs;
        }
        if (kind <= 5) {
            std::string item = plain[Pick(0, std::size(plain) - 1)];
            if (item[0] == '\\' && !prefix.empty())
                item.insert(1, prefix);
            return item;
        }
        if (kind == 6) {
            ++runs;
            return "\\" + prefix + "*";
        }
        static const char* const brackets[] = {"[]", "{}", "()"};
        const char* pair = brackets[kind - 7];
        if (pair[0] == '(')
            ++runs;
        std::string inner;
        int children = Pick(0, 3);
        for (int i = 0; i < children; ++i) {
            if (i > 0 && pair[0] == '[')
                inner += "\\T";
            inner += Item(runs, depth + 1);
        }
        return "\\" + prefix + pair[0] + inner + "\\" + pair[1];
    }

    std::mt19937 Random;
};

struct TOutcome {
    bool Failed = false;
    std::string Message;
    TRunResult Run;
    bool operator==(const TOutcome&) const = default;
};

TOutcome Outcome(
    const std::string& text, const std::string& search, const std::string& replace, int source, int target, bool plain)
{
    TOutcome outcome;
    try {
        outcome.Run = Replace(text, search, replace, source, target, plain);
    } catch (const TError& e) {
        outcome.Failed = true;
        outcome.Message = e.what();
    }
    return outcome;
}

int MaxTextLength(int runs)
{
    switch (runs) {
    case 0: return 1600;
    case 1: return 1100;
    case 2: return 90;
    default: return 30;
    }
}

} // namespace

TEST(FastPathsAgreeWithPlainMatching, GeneratedMasksAndTexts)
{
    TMaskGenerator generator(20261207);
    int compared = 0;
    int matched = 0;
    for (int i = 0; i < 3000; ++i) {
        int runs = 0;
        std::string search = generator.SearchMask(runs);
        if (runs > 4)
            continue;
        std::string replace = generator.ReplaceMask();
        std::string text = generator.Text(MaxTextLength(runs));
        int source = generator.Pick(0, 4);
        int target = generator.Pick(-1, 4);
        TOutcome fast = Outcome(text, search, replace, source, target, false);
        TOutcome plain = Outcome(text, search, replace, source, target, true);
        ASSERT_EQ(fast, plain) << "search \"" << search << "\" replace \"" << replace << "\" text \"" << text
                               << "\" source " << source << " target " << target;
        ++compared;
        if (!fast.Failed && fast.Run.Matches > 0)
            ++matched;
    }
    // The generator must produce work for the comparison to mean anything.
    EXPECT_GT(compared, 2000);
    EXPECT_GT(matched, compared / 3);
}

TEST(FastPathsAgreeWithPlainMatching, LiteralsAcrossProgressBoundaries)
{
    // Literal leads are searched for as a whole; notifications must still
    // come where a position-by-position scan makes them.
    std::string text;
    for (int i = 0; i < 3000; ++i)
        text += (i % 37 == 0) ? "\r\nab" : (i % 11 == 0 ? "a" : "xy");
    for (const std::string search : {"ab", "\\nab", "a", "\\!TAB", "y\\+x", "\\[ab\\Tx\\]"}) {
        auto fast = Replace(text, search, "<\\c>", 0, -1, false);
        auto plain = Replace(text, search, "<\\c>", 0, -1, true);
        EXPECT_EQ(fast, plain) << search;
        EXPECT_GT(fast.Count, 0) << search;
        EXPECT_GT(fast.Progress.size(), 4u) << search;
    }
}

TEST(FastPathsAgreeWithPlainMatching, RunsWithUnevenSteps)
{
    // Runs whose steps differ in length are where a remembered failure is
    // easiest to get wrong; small alphabets make the near misses common.
    static const char* const items[] = {
        "\\+[a\\Tbb\\]", "\\+[ab\\Tb\\]", "\\+n", "\\+{a\\?\\}", "x", "b", "\\+[\\n\\Ta\\]", "\\*", "a", "\\-+b"};
    static const std::string alphabet = "aabbx\r\n";
    std::mt19937 random(7);
    auto pick = [&random](std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(random); };
    int matched = 0;
    for (int i = 0; i < 4000; ++i) {
        std::string search;
        for (std::size_t k = 0, n = 1 + pick(3); k < n; ++k)
            search += items[pick(std::size(items))];
        std::string text;
        for (std::size_t k = 0, n = pick(40); k < n; ++k)
            text += alphabet[pick(alphabet.size())];
        auto fast = Replace(text, search, "<\\1>", 0, -1, false);
        auto plain = Replace(text, search, "<\\1>", 0, -1, true);
        ASSERT_EQ(fast, plain) << "search \"" << search << "\" text \"" << text << "\"";
        matched += fast.Matches > 0;
    }
    EXPECT_GT(matched, 1000);
}
