#include "encodings/codepages.h"
#include "encodings/detect.h"
#include "encodings/lettercase.h"
#include "encodings/recode.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <string_view>

namespace tekstovar {
namespace {

using namespace std::literals;

// The 66 letters in the library's order, and the order of the small letters
// in the 0xC0..0xDF block of KOI8-R (its capitals repeat it at 0xE0..0xFF).
constexpr std::u32string_view Alphabet = U"АБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯабвгдеёжзийклмнопрстуфхцчшщъыьэюя";
constexpr std::u32string_view KoiSmallOrder = U"юабцдефгхийклмнопярстужвьызшэщчъ";

// The code of a Russian letter in page e, worked out from the published
// layouts rather than from the library's tables, so that the two check each
// other.
unsigned char PublishedCode(int e, char32_t c)
{
    const bool capital = c == U'Ё' || (c >= U'А' && c <= U'Я');
    const bool yo = c == U'Ё' || c == U'ё';
    switch (e) {
    case EncodingWin:
        if (yo)
            return capital ? 0xA8 : 0xB8;
        return static_cast<unsigned char>(0xC0 + (c - U'А'));
    case EncodingKoi:
        if (yo)
            return capital ? 0xB3 : 0xA3;
        if (capital)
            return static_cast<unsigned char>(0xE0 + KoiSmallOrder.find(c + 0x20));
        return static_cast<unsigned char>(0xC0 + KoiSmallOrder.find(c));
    case EncodingDos:
        if (yo)
            return capital ? 0xF0 : 0xF1;
        if (capital)
            return static_cast<unsigned char>(0x80 + (c - U'А'));
        if (c <= U'п')
            return static_cast<unsigned char>(0xA0 + (c - U'а'));
        return static_cast<unsigned char>(0xE0 + (c - U'р'));
    case EncodingIso:
        if (yo)
            return capital ? 0xA1 : 0xF1;
        return static_cast<unsigned char>(0xB0 + (c - U'А'));
    case EncodingMac:
        if (yo)
            return capital ? 0xDD : 0xDE;
        if (capital)
            return static_cast<unsigned char>(0x80 + (c - U'А'));
        if (c == U'я')
            return 0xDF;
        return static_cast<unsigned char>(0xE0 + (c - U'а'));
    }
    ADD_FAILURE() << "no page " << e;
    return 0;
}

// Letter position 1..66 of byte b in page e by the published layout, 0 for
// any other byte.
int PublishedPosition(int e, unsigned char b)
{
    for (std::size_t i = 0; i < Alphabet.size(); ++i)
        if (PublishedCode(e, Alphabet[i]) == b)
            return static_cast<int>(i) + 1;
    return 0;
}

// Text of ASCII characters and Russian letters, stored in page e.
std::string Encode(std::u32string_view text, int e)
{
    std::string out;
    for (char32_t c : text) {
        if (c < 0x80)
            out += static_cast<char>(c);
        else if (Alphabet.find(c) != std::u32string_view::npos)
            out += static_cast<char>(PublishedCode(e, c));
        else
            ADD_FAILURE() << "character U+" << std::hex << static_cast<unsigned>(c) << " has no place here";
    }
    return out;
}

std::string AllBytes()
{
    std::string s;
    for (int b = 0; b < 256; ++b)
        s += static_cast<char>(b);
    return s;
}

TEST(CodePages, LetterTablesFollowThePublishedPages)
{
    for (int e = 0; e < EncodingCount; ++e) {
        SCOPED_TRACE(EncodingNames[e]);
        ASSERT_EQ(EncodingLetters[e].size(), static_cast<std::size_t>(LetterCount));
        std::set<unsigned char> distinct;
        for (int k = 1; k <= LetterCount; ++k) {
            const auto code = static_cast<unsigned char>(EncodingLetters[e][k - 1]);
            EXPECT_EQ(code, PublishedCode(e, Alphabet[k - 1])) << "letter position " << k;
            EXPECT_EQ(LetterByte(e, k), code) << "letter position " << k;
            distinct.insert(code);
        }
        EXPECT_EQ(distinct.size(), 66u);
        // Every other byte value is no letter of the page.
        for (int b = 0; b < 256; ++b)
            EXPECT_EQ(
                LetterPosition(e, static_cast<unsigned char>(b)), PublishedPosition(e, static_cast<unsigned char>(b)))
                << "byte " << b;
    }
}

TEST(CodePages, WellKnownCodes)
{
    const std::string koi = Encode(U"АБВабвЪъЁё", EncodingKoi);
    EXPECT_EQ(koi, "\xE1\xE2\xF7\xC1\xC2\xD7\xFF\xDF\xB3\xA3"s);
    EXPECT_EQ(EncodingLetters[EncodingKoi].substr(0, 3), "\xE1\xE2\xF7"s);
    EXPECT_EQ(EncodingLetters[EncodingWin][0], '\xC0');
    EXPECT_EQ(EncodingLetters[EncodingWin][65], '\xFF');
    // MAC keeps я apart from the other small letters, and DOS splits them in two.
    EXPECT_EQ(EncodingLetters[EncodingMac][65], '\xDF');
    EXPECT_EQ(EncodingLetters[EncodingDos][33 + 17], '\xE0'); // р
    EXPECT_EQ(EncodingNames[EncodingWin], "WIN");
    EXPECT_EQ(EncodingNames[EncodingMac], "MAC");
}

TEST(CodePages, LetterWeights)
{
    EXPECT_EQ(LetterWeights[0], 0);
    EXPECT_EQ(LetterWeights[1], 1221); // А
    EXPECT_EQ(LetterWeights[49], 2600); // о, the most frequent
    for (int k = 1; k <= CaseDistance; ++k)
        EXPECT_EQ(LetterWeights[k], LetterWeights[k + CaseDistance] * 2 / 3) << "capital at " << k;
}

TEST(CodePages, EncodingByNameIsExact)
{
    EXPECT_EQ(EncodingByName("WIN"), EncodingWin);
    EXPECT_EQ(EncodingByName("KOI"), EncodingKoi);
    EXPECT_EQ(EncodingByName("DOS"), EncodingDos);
    EXPECT_EQ(EncodingByName("ISO"), EncodingIso);
    EXPECT_EQ(EncodingByName("MAC"), EncodingMac);
    for (std::string_view other :
        {""sv, "mac"sv, "Mac"sv, "MAC "sv, " WIN"sv, "WI"sv, "WINDOWS"sv, "KOI8-R"sv, std::string_view("DOS\0", 4)})
        EXPECT_EQ(EncodingByName(other), EncodingNone) << "'" << other << "'";
}

TEST(Recode, PrivetBetweenWinAndKoi)
{
    const std::string win = "\xCF\xF0\xE8\xE2\xE5\xF2"; // Привет
    std::string text = win;
    RecodeString(text, EncodingWin, EncodingKoi);
    EXPECT_EQ(text, "\xF0\xD2\xC9\xD7\xC5\xD4"s);
    RecodeString(text, EncodingKoi, EncodingWin);
    EXPECT_EQ(text, win);
    text = win;
    RecodeString(text, EncodingWin, EncodingDos);
    EXPECT_EQ(text, "\x8F\xE0\xA8\xA2\xA5\xE2"s);
}

// Every pair of pages: each letter goes to the same letter of the target,
// every other byte stays, and each byte is looked up once by its old value
// (WIN а = 0xE0 becomes KOI 0xC1, while the WIN Б = 0xC1 beside it becomes
// 0xE2, not a second conversion of the first).
TEST(Recode, EveryPairOfPagesOverAllBytes)
{
    const std::string all = AllBytes();
    for (int from = 0; from < EncodingCount; ++from)
        for (int to = 0; to < EncodingCount; ++to) {
            SCOPED_TRACE(std::string(EncodingNames[from]) + " -> " + std::string(EncodingNames[to]));
            std::string expected;
            for (int b = 0; b < 256; ++b) {
                const int k = PublishedPosition(from, static_cast<unsigned char>(b));
                expected += static_cast<char>(k ? PublishedCode(to, Alphabet[k - 1]) : b);
            }
            std::string text = all;
            RecodeString(text, from, to);
            ASSERT_EQ(text, expected);
            const auto& table = RecodeTable(from, to);
            for (int b = 0; b < 256; ++b) {
                EXPECT_EQ(RecodeChar(static_cast<char>(b), from, to), expected[b]) << "byte " << b;
                EXPECT_EQ(table[b], static_cast<unsigned char>(expected[b])) << "byte " << b;
            }
        }
}

TEST(Recode, InvalidOrEqualIndexesChangeNothing)
{
    const std::string all = AllBytes();
    TCharSet set;
    set.Add(0xC0);
    set.Add('a');
    set.Add(0xE0);
    const std::pair<int, int> pairs[] = {{-1, EncodingKoi}, {EncodingKoi, -1}, {5, EncodingWin}, {EncodingWin, 5},
        {-1, -1}, {EncodingWin, EncodingWin}, {EncodingMac, EncodingMac}, {-100, 100}};
    for (auto [from, to] : pairs) {
        SCOPED_TRACE(std::to_string(from) + " -> " + std::to_string(to));
        std::string text = all;
        RecodeString(text, from, to);
        EXPECT_EQ(text, all);
        for (int b = 0; b < 256; ++b) {
            ASSERT_EQ(RecodeChar(static_cast<char>(b), from, to), static_cast<char>(b));
            ASSERT_EQ(RecodeTable(from, to)[b], b);
        }
        TCharSet copy = set;
        RecodeCharSet(copy, from, to);
        EXPECT_EQ(copy, set);
    }
}

TEST(Recode, NonLettersPassEvenWhenTheyAreLettersOfTheTarget)
{
    // WIN 0xB3 is the Ukrainian і; KOI reads the same byte as Ё.
    EXPECT_EQ(RecodeChar('\xB3', EncodingWin, EncodingKoi), '\xB3');
    EXPECT_EQ(RecodeChar('\xB3', EncodingKoi, EncodingWin), '\xA8');
    std::string text = "\xB3";
    RecodeString(text, EncodingWin, EncodingKoi);
    RecodeString(text, EncodingKoi, EncodingWin);
    EXPECT_EQ(text, "\xA8"s) << "there and back is not always the identity";

    EXPECT_EQ(RecodeChar('\xD8', EncodingWin, EncodingMac), '\x98'); // Ш
    EXPECT_EQ(RecodeChar('\x98', EncodingMac, EncodingWin), '\xD8');
    for (int from = 0; from < EncodingCount; ++from)
        for (int to = 0; to < EncodingCount; ++to)
            EXPECT_EQ(RecodeChar('?', from, to), '?');
}

TEST(Recode, CharSets)
{
    TCharSet set;
    set.Add('a');
    set.Add(0xC0);
    RecodeCharSet(set, EncodingWin, EncodingDos);
    TCharSet expected;
    expected.Add('a');
    expected.Add(0x80);
    EXPECT_EQ(set, expected);

    // WIN Ё goes to KOI 0xB3, where the non-letter WIN 0xB3 stays: one member.
    TCharSet pair;
    pair.Add(0xA8);
    pair.Add(0xB3);
    RecodeCharSet(pair, EncodingWin, EncodingKoi);
    TCharSet single;
    single.Add(0xB3);
    EXPECT_EQ(pair, single);

    // Of all bytes, only the WIN codes of Ё and ё lose their place in KOI.
    TCharSet all = TCharSet::All();
    RecodeCharSet(all, EncodingWin, EncodingKoi);
    for (int b = 0; b < 256; ++b)
        EXPECT_EQ(all.Has(static_cast<unsigned char>(b)), b != 0xA8 && b != 0xB8) << "byte " << b;
}

// Ordinary Russian text of a few sentences, capitals and small letters.
constexpr std::u32string_view Prose = U"Мороз и солнце; день чудесный! Ещё ты дремлешь, друг прелестный. "
                                      U"Пора, красавица, проснись: открой сомкнуты негой взоры навстречу "
                                      U"северной Авроры, звездою севера явись! Вечор, ты помнишь, вьюга злилась, "
                                      U"на мутном небе мгла носилась.";

TEST(Detect, ProseInEachPageIsThatPage)
{
    for (int e = 0; e < EncodingCount; ++e)
        EXPECT_EQ(DetectEncoding(Encode(Prose, e)), e) << EncodingNames[e];
}

TEST(Detect, TextsWithoutLettersAreWin)
{
    EXPECT_EQ(DetectEncoding(""), EncodingWin);
    EXPECT_EQ(DetectEncoding("Hello, world! 12345\r\n"), EncodingWin);
    std::string low;
    for (int b = 0; b < 128; ++b)
        low += static_cast<char>(b);
    EXPECT_EQ(DetectEncoding(low), EncodingWin);
}

TEST(Detect, TiesGoToTheLowerIndex)
{
    // DOS and MAC share the capitals but Ё: the same bytes score alike.
    const std::string capitals = Encode(U"ПРИВЕТ, МИР! СЪЕШЬ ЖЕ ЭТИХ БУЛОК", EncodingMac);
    EXPECT_EQ(capitals, Encode(U"ПРИВЕТ, МИР! СЪЕШЬ ЖЕ ЭТИХ БУЛОК", EncodingDos));
    EXPECT_EQ(DetectEncoding(capitals), EncodingDos);

    // WIN and MAC share а..ю: a text of those alone is WIN.
    const std::string small = Encode(U"привет, мир! съешь же этих булок, выпей чаю", EncodingMac);
    EXPECT_EQ(small, Encode(U"привет, мир! съешь же этих булок, выпей чаю", EncodingWin));
    EXPECT_EQ(DetectEncoding(small), EncodingWin);

    // Add я, and MAC pulls ahead of WIN.
    EXPECT_EQ(DetectEncoding(Encode(U"моя семья", EncodingMac)), EncodingMac);
}

TEST(Detect, LettersOfOnePageOutweighNoise)
{
    // Latin text and pseudo-graphics around a short KOI phrase count nothing.
    std::string text = "+----------+ Log file, version 2.1 ";
    text += Encode(U"Привет из Москвы", EncodingKoi);
    text += " | 0123456789 | \r\n";
    EXPECT_EQ(DetectEncoding(text), EncodingKoi);
}

TEST(Detect, OfHeadLooksAtTheDetectionLengthOnly)
{
    const std::string koi = Encode(Prose, EncodingKoi);
    std::string head = koi;
    while (head.size() < DetectionLength)
        head += koi;
    head.resize(DetectionLength);
    std::string text = head;
    while (text.size() < 4 * DetectionLength)
        text += Encode(Prose, EncodingDos);
    EXPECT_EQ(DetectEncoding(text), EncodingDos);
    EXPECT_EQ(DetectEncodingOfHead(text), EncodingKoi);
    EXPECT_EQ(DetectEncodingOfHead(head.substr(0, 40)), EncodingKoi);
}

TEST(LetterCase, WinUpper)
{
    for (int b = 0; b < 256; ++b) {
        int expected = b;
        if (b >= 'a' && b <= 'z')
            expected = b - 32;
        const int k = PublishedPosition(EncodingWin, static_cast<unsigned char>(b));
        if (k > CaseDistance)
            expected = PublishedCode(EncodingWin, Alphabet[k - 1 - CaseDistance]);
        EXPECT_EQ(static_cast<unsigned char>(WinUpperChar(static_cast<char>(b))), expected) << "byte " << b;
    }
    std::string s = "\xB8\xE6, \xB3\xA2 abc"; // ёж, іў abc
    WinUpperString(s);
    EXPECT_EQ(s, "\xA8\xC6, \xB3\xA2 ABC"s);
}

TEST(LetterCase, UpperAndLowerInEachPage)
{
    const std::string all = AllBytes();
    for (int e = 0; e < EncodingCount; ++e) {
        SCOPED_TRACE(EncodingNames[e]);
        std::string upper;
        std::string lower;
        for (int b = 0; b < 256; ++b) {
            int up = b >= 'a' && b <= 'z' ? b - 32 : b;
            int down = b >= 'A' && b <= 'Z' ? b + 32 : b;
            const int k = PublishedPosition(e, static_cast<unsigned char>(b));
            if (k > CaseDistance)
                up = PublishedCode(e, Alphabet[k - 1 - CaseDistance]);
            else if (k > 0)
                down = PublishedCode(e, Alphabet[k - 1 + CaseDistance]);
            upper += static_cast<char>(up);
            lower += static_cast<char>(down);
        }
        std::string text = all;
        UpperCaseString(text, e);
        EXPECT_EQ(text, upper);
        text = all;
        LowerCaseString(text, e);
        EXPECT_EQ(text, lower);
    }
    // No page at all: the WIN rules.
    std::string text = "\xE0\xC0 aA";
    UpperCaseString(text, EncodingNone);
    EXPECT_EQ(text, "\xC0\xC0 AA"s);
    LowerCaseString(text, 5);
    EXPECT_EQ(text, "\xE0\xE0 aa"s);
}

// A text byte of page e matches a WIN mask byte m ignoring case when both are
// the same Russian letter in either case, or when neither is a Russian letter
// and they agree but for the case of a..z. A non-letter of page e that has the
// code of a WIN letter (the DOS box-drawing 0xC0 has that of А) matches no
// mask byte at all.
TEST(LetterCase, CaselessKeysMatchTheSameLetterOnly)
{
    auto latinUpper = [](int b) { return b >= 'a' && b <= 'z' ? b - 32 : b; };
    for (int e = 0; e < EncodingCount; ++e) {
        SCOPED_TRACE(EncodingNames[e]);
        const auto& keys = CaselessKeys(e);
        int wrong = 0;
        for (int b = 0; b < 256 && wrong < 10; ++b) {
            const int k = PublishedPosition(e, static_cast<unsigned char>(b));
            if (k > 0) {
                EXPECT_EQ(keys[b], PublishedCode(EncodingWin, Alphabet[(k - 1) % CaseDistance])) << "byte " << b;
            }
            for (int m = 0; m < 256; ++m) {
                const int km = PublishedPosition(EncodingWin, static_cast<unsigned char>(m));
                const bool same = k > 0 ? km > 0 && (k - 1) % CaseDistance == (km - 1) % CaseDistance
                                        : km == 0 && latinUpper(b) == latinUpper(m);
                const auto maskKey = static_cast<unsigned char>(WinUpperChar(static_cast<char>(m)));
                if ((keys[b] == maskKey) != same) {
                    ADD_FAILURE() << "text byte " << b << " against mask byte " << m << ": expected "
                                  << (same ? "a match" : "no match");
                    ++wrong;
                }
            }
        }
    }
    EXPECT_NE(CaselessKeys(EncodingDos)[0xC0], CaselessKeys(EncodingWin)[0xC0]);
    EXPECT_EQ(CaselessKeys(EncodingDos)[0x80], 0xC0); // DOS А
    EXPECT_EQ(CaselessKeys(EncodingKoi)[0xA3], 0xA8); // KOI ё
    EXPECT_EQ(CaselessKeys(-1)[0xE0], 0xC0); // no page: WIN
}

} // namespace
} // namespace tekstovar
