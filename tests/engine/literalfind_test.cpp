// The vectorised literal search against the standard library's on generated
// texts: small alphabets make near misses everywhere, and needles sit at the
// very start and end, across block boundaries, and nowhere.

#include "engine/literalfind.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

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
