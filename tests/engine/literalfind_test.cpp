// The vectorised scans against plain loops and the standard library on generated
// texts: small alphabets make near misses everywhere, and needles sit at the
// very start and end, across block boundaries, and nowhere.

#include "engine/leadingscan.h"
#include "engine/literalfind.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

using namespace tekstovar;

TEST(LiteralFind, FindsWhatStringFindFinds)
{
    std::mt19937 random(1251);
    const std::string alphabets[] = {"ab", "abc\xEA\xFF", std::string("\0\x80x", 3)};
    int checked = 0;
    for (const std::string& alphabet : alphabets)
        for (std::size_t size : {0, 1, 15, 16, 17, 31, 33, 64, 100, 257}) {
            std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
            std::string text;
            for (std::size_t i = 0; i < size; ++i)
                text += alphabet[pick(random)];
            for (std::size_t length = 1; length <= 20; ++length)
                for (int trial = 0; trial < 8; ++trial) {
                    std::string needle;
                    if (trial < 3 && length <= size) {
                        // Taken from the text: at the start, the end, or anywhere.
                        const std::size_t at = trial == 0 ? 0
                            : trial == 1                  ? size - length
                                         : std::uniform_int_distribution<std::size_t>(0, size - length)(random);
                        needle = text.substr(at, length);
                    } else
                        for (std::size_t i = 0; i < length; ++i)
                            needle += alphabet[pick(random)];
                    for (std::size_t from = 0; from <= std::min<std::size_t>(size, 3); ++from) {
                        const std::string_view hay = std::string_view(text).substr(from);
                        ASSERT_EQ(FindLiteral(hay, needle), hay.find(needle))
                            << "size " << size << ", needle " << needle.size() << ", from " << from;
                        ++checked;
                    }
                }
        }
    EXPECT_GT(checked, 10000);
}

TEST(LiteralFind, TheLeadingScanStopsAtTheFirstByteOfItsSet)
{
    // Sets of one range, of a few, of too many to take as ranges, and the
    // top and bottom bytes, over texts with every byte value.
    std::vector<TCharSet> sets(5);
    for (int b = '0'; b <= '9'; ++b)
        sets[0].Add(static_cast<unsigned char>(b));
    for (int b : {int{'A'}, int{'Z'}, int{'a'}, 0xA8, 0xC0, 0xFF, 0xB8})
        sets[1].Add(static_cast<unsigned char>(b));
    for (int b = 1; b < 256; b += 17)
        sets[2].Add(static_cast<unsigned char>(b));
    sets[3].Add(0);
    sets[3].Add(255);
    sets[4].Add(' ');
    sets[4].Add('\t');
    std::mt19937 random(866);
    for (const TCharSet& set : sets) {
        const TLeadingScan scan(TLeadingChars::Of(set));
        for (int trial = 0; trial < 200; ++trial) {
            const std::size_t size = std::uniform_int_distribution<std::size_t>(0, 300)(random);
            const int rarity = std::uniform_int_distribution<int>(1, 400)(random);
            std::string text;
            for (std::size_t i = 0; i < size; ++i) {
                auto b = static_cast<unsigned char>(std::uniform_int_distribution<int>(0, 255)(random));
                // Mostly bytes outside the set, so that stretches are long.
                while (set.Has(b) && std::uniform_int_distribution<int>(0, rarity)(random) != 0)
                    b = static_cast<unsigned char>(b + 1);
                text += static_cast<char>(b);
            }
            for (TPos from = 1; from <= TextSize(text) + 1; from += 1 + from / 4) {
                TPos expected = from;
                while (expected <= TextSize(text) &&
                    (!set.Has(CharAt(text, expected)) ||
                        (expected > 1 && text[expected - 1] == '\n' && text[expected - 2] == '\r')))
                    ++expected;
                ASSERT_EQ(scan.Next(text, from), expected) << "trial " << trial << ", from " << from;
            }
        }
    }
}
