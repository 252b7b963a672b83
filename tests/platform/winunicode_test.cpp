#include "platform/winunicode.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace tekstovar {
namespace {

using namespace std::literals;

std::string AllBytes()
{
    std::string s;
    for (int b = 0; b < 256; ++b)
        s += static_cast<char>(b);
    return s;
}

TEST(WinUnicode, KnownCharacters)
{
    for (int b = 0; b < 0x80; ++b)
        EXPECT_EQ(WinToUnicode(static_cast<unsigned char>(b)), static_cast<char32_t>(b));
    for (int b = 0xC0; b <= 0xFF; ++b)
        EXPECT_EQ(WinToUnicode(static_cast<unsigned char>(b)), U'А' + (b - 0xC0)) << "byte " << b;
    EXPECT_EQ(WinToUnicode(0xA8), U'Ё');
    EXPECT_EQ(WinToUnicode(0xB8), U'ё');
    EXPECT_EQ(WinToUnicode(0x80), U'Ђ');
    EXPECT_EQ(WinToUnicode(0x88), U'€');
    EXPECT_EQ(WinToUnicode(0xB9), U'№');
    EXPECT_EQ(WinToUnicode(0xB3), U'і');
    EXPECT_EQ(WinToUnicode(0xA0), U'\u00A0');
    // The one byte the page leaves unassigned keeps a character of its own.
    EXPECT_EQ(WinToUnicode(0x98), U'\u0098');
    EXPECT_EQ(WinToUtf8("\x98"), "\xC2\x98"s);
    EXPECT_EQ(Utf8ToWin("\xC2\x98"), "\x98"s);
    EXPECT_EQ(WinFromUnicode(U'\u0098'), '\x98');
}

TEST(WinUnicode, AllBytesRoundTripThroughUtf8)
{
    std::set<char32_t> distinct;
    for (int b = 0; b < 256; ++b) {
        const char32_t c = WinToUnicode(static_cast<unsigned char>(b));
        distinct.insert(c);
        EXPECT_EQ(WinFromUnicode(c), static_cast<char>(b)) << "byte " << b;
    }
    EXPECT_EQ(distinct.size(), 256u);

    const std::string all = AllBytes();
    const std::string utf8 = WinToUtf8(all);
    EXPECT_TRUE(Utf8FitsWin(utf8));
    EXPECT_EQ(Utf8ToWin(utf8), all);
    EXPECT_EQ(WinToUtf8("\xCF\xF0\xE8\xE2\xE5\xF2 \x88\xB9"), "Привет €№");
}

TEST(WinUnicode, CharactersOutsideWinBecomeQuestionMarks)
{
    EXPECT_EQ(WinFromUnicode(U'é'), '?');
    EXPECT_EQ(WinFromUnicode(U'\u0099'), '?'); // only 0x98 borrows its C1 code
    EXPECT_EQ(WinFromUnicode(U'中'), '?');
    EXPECT_EQ(WinFromUnicode(U'\U0001F600'), '?');
    EXPECT_EQ(WinFromUnicode(U'\uFFFD'), '?');
    // One question mark per character, whatever its length in UTF-8.
    EXPECT_EQ(Utf8ToWin("café 中文 \U0001F600!"), "caf? ?? ?!");
    EXPECT_EQ(Utf8ToWin("Съешь €5"),
        "\xD1\xFA\xE5\xF8\xFC \x88"
        "5"s);
    EXPECT_EQ(Utf8ToWin(""), "");
}

TEST(WinUnicode, MalformedUtf8BecomesOneQuestionMarkPerByte)
{
    EXPECT_EQ(Utf8ToWin("\x80"), "?");
    EXPECT_EQ(Utf8ToWin("\xFF\xFE"), "??");
    EXPECT_EQ(Utf8ToWin("ab\xD0"), "ab?"); // cut after the lead byte
    EXPECT_EQ(Utf8ToWin("\xE2\x82"), "??"); // € without its last byte
    EXPECT_EQ(Utf8ToWin("\xD0"
                        "A"),
        "?A"); // the byte after a bad lead is read again
    EXPECT_EQ(Utf8ToWin("\xC0\xAF"), "??"); // overlong
    EXPECT_EQ(Utf8ToWin("\xED\xA0\x80"), "???"); // surrogate
    EXPECT_EQ(Utf8ToWin("\xF4\x90\x80\x80"), "????"); // past U+10FFFF
    EXPECT_EQ(Utf8ToWin("\xD0\x9F\x9F\xD0\x9F"), "\xCF?\xCF"s);
}

TEST(WinUnicode, DecodingStopsAtTheEndOfTheView)
{
    // The bytes after the view would complete the character; they must not
    // be looked at.
    const std::string buffer = "x\xD0\x9F\xE2\x82\xAC";
    EXPECT_EQ(Utf8ToWin(std::string_view(buffer).substr(0, 2)), "x?");
    EXPECT_EQ(Utf8ToWin(std::string_view(buffer).substr(3, 2)), "??");
    EXPECT_FALSE(Utf8FitsWin(std::string_view(buffer).substr(0, 2)));
    EXPECT_TRUE(Utf8FitsWin(buffer));
}

TEST(WinUnicode, Utf8FitsWin)
{
    EXPECT_TRUE(Utf8FitsWin(""));
    EXPECT_TRUE(Utf8FitsWin("plain ASCII?\r\n"));
    EXPECT_TRUE(Utf8FitsWin("Ёлка, ёж, №5 — «кавычки» € \u0098"));
    EXPECT_FALSE(Utf8FitsWin("Ёлка é"));
    EXPECT_FALSE(Utf8FitsWin("中"));
    EXPECT_FALSE(Utf8FitsWin("abc\x80"));
    EXPECT_FALSE(Utf8FitsWin("\xC2"));
}

} // namespace
} // namespace tekstovar
