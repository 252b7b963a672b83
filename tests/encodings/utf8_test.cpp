#include "common/error.h"
#include "encodings/codepages.h"
#include "encodings/detect.h"
#include "encodings/pagedtext.h"
#include "encodings/unicodepages.h"
#include "encodings/utf8.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

namespace tekstovar {
namespace {

// Prose in a byte page: a character the page lacks (quotes, dashes) is '?'.
std::string Lossy(const std::string& utf8, int page)
{
    std::string out;
    for (std::size_t i = 0; i < utf8.size();) {
        const std::optional<char32_t> c = NextUtf8(utf8, i);
        if (!c) {
            ++i;
            continue;
        }
        out += static_cast<char>(PageFromUnicode(page, *c).value_or('?'));
    }
    return out;
}

// A UTF-8 text in a byte page; every character must be there.
std::string InPage(const std::string& utf8, int page)
{
    std::string out = utf8;
    EXPECT_FALSE(Utf8ToPage(out, 0, page).has_value()) << utf8;
    return out;
}

TEST(Utf8, EveryByteOfEveryPageGoesToUtf8AndBack)
{
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    for (int page = 0; page < EncodingCount; ++page) {
        const std::string utf8 = PageToUtf8(all, page);
        EXPECT_EQ(InPage(utf8, page), all) << EncodingNames[page];
        // The letters are the Russian letters the page's letter table names.
        for (int k = 1; k <= LetterCount; ++k) {
            const char32_t letter = k == 7 ? U'Ё'
                : k == 40                  ? U'ё'
                : k < 7                    ? U'А' + k - 1
                : k <= CaseDistance        ? U'А' + k - 2
                : k < 40                   ? U'а' + k - 34
                                           : U'а' + k - 35;
            EXPECT_EQ(PageToUnicode(page, LetterByte(page, k)), letter) << EncodingNames[page] << " " << k;
        }
    }
    EXPECT_EQ(PageToUnicode(EncodingWin, 0x98), U'\u0098');
    // Every WIN character in UTF-8 comes back as it was.
    const std::string win = PageToUtf8(all, EncodingWin);
    EXPECT_EQ(PageToUtf8(InPage(win, EncodingWin), EncodingWin), win);
}

TEST(Utf8, MalformedSequencesAreRefused)
{
    for (const std::string bad : {"\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xF5\x80\x80\x80",
             "\x80", "\xC3", "\xE2\x82", "\xC3\x28"}) {
        std::size_t i = 0;
        EXPECT_FALSE(NextUtf8(bad, i).has_value()) << testing::PrintToString(bad);
        EXPECT_EQ(i, 0u);
    }
    std::size_t i = 0;
    EXPECT_EQ(NextUtf8("\xF0\x9F\x98\x80!", i), U'\U0001F600');
    EXPECT_EQ(i, 4u);
}

TEST(Utf8, WhatLooksLikeUtf8)
{
    const std::string privet = "\xD0\x9F\xD1\x80\xD0\xB8"; // "При"
    EXPECT_TRUE(LooksLikeUtf8(privet, false));
    EXPECT_TRUE(LooksLikeUtf8(std::string(Utf8Bom) + "plain", false));
    EXPECT_FALSE(LooksLikeUtf8("plain ASCII", false));
    EXPECT_FALSE(LooksLikeUtf8("", true));
    // A sequence cut at the end counts only in a head cut from a longer text,
    // and only beside a whole one.
    EXPECT_TRUE(LooksLikeUtf8(privet + "\xD0", true));
    EXPECT_FALSE(LooksLikeUtf8(privet + "\xD0", false));
    EXPECT_FALSE(LooksLikeUtf8("abc\xD0", true));
    EXPECT_FALSE(LooksLikeUtf8(privet + "\xD0 ", true));
}

// Texts in Russian prose: the help pages, and Russian manual pages when the
// machine has them.
std::vector<std::string> RussianProse()
{
    std::vector<std::string> texts;
    for (const auto& entry : std::filesystem::directory_iterator(TEKSTOVAR_HELP_DIR)) {
        if (entry.path().extension() != ".html")
            continue;
        std::ifstream in(entry.path());
        std::stringstream text;
        text << in.rdbuf();
        // Tags out: only the words.
        std::string words;
        bool inTag = false;
        for (char c : text.str()) {
            if (c == '<')
                inTag = true;
            else if (c == '>')
                inTag = false;
            else if (!inTag)
                words += c;
        }
        texts.push_back(words);
    }
    return texts;
}

std::vector<std::string> Split(const std::string& text, char by)
{
    std::vector<std::string> parts;
    std::stringstream in(text);
    for (std::string part; std::getline(in, part, by);)
        if (part.find('\xD0') != std::string::npos || part.find('\xD1') != std::string::npos)
            parts.push_back(part); // with Cyrillic
    return parts;
}

TEST(Utf8, DetectionOnRussianProse)
{
    const std::vector<std::string> texts = RussianProse();
    ASSERT_GE(texts.size(), 5u);
    std::size_t heads = 0;
    std::array<std::size_t, EncodingCount> lines{}, lineHits{}, words{}, wordHits{};
    for (const std::string& utf8 : texts) {
        for (const std::string& line : Split(utf8, '\n')) {
            EXPECT_EQ(DetectEncoding(line), EncodingUtf) << line;
            for (const std::string& word : Split(line, ' '))
                EXPECT_EQ(DetectEncoding(word), EncodingUtf) << word;
        }
        EXPECT_EQ(DetectEncodingOfHead(utf8), EncodingUtf);
        for (int page = 0; page < EncodingCount; ++page) {
            const std::string bytes = Lossy(utf8, page);
            for (std::size_t at = 0; at + DetectionLength <= bytes.size(); at += DetectionLength, ++heads) {
                EXPECT_NE(DetectEncodingOfHead(bytes.substr(at)), EncodingUtf) << EncodingNames[page];
            }
            for (const std::string& line : Split(utf8, '\n')) {
                const std::string inPage = Lossy(line, page);
                ++lines[page];
                lineHits[page] += DetectEncoding(inPage) == EncodingUtf;
                for (const std::string& word : Split(line, ' ')) {
                    ++words[page];
                    wordHits[page] += DetectEncoding(Lossy(word, page)) == EncodingUtf;
                }
                // A paragraph-sized line of prose is never taken for UTF-8.
                if (line.size() >= 300) {
                    EXPECT_NE(DetectEncoding(inPage), EncodingUtf) << EncodingNames[page] << ": " << line;
                }
            }
        }
    }
    EXPECT_GT(heads, 20u);
    for (int page = 0; page < EncodingCount; ++page)
        std::cout << EncodingNames[page] << ": taken for UTF-8 " << lineHits[page] << " of " << lines[page]
                  << " lines, " << wordHits[page] << " of " << words[page] << " words\n";
}

TEST(PagedText, BytePagesPassAsTheyAre)
{
    const TPagedText koi = ToEngine("\xF0\xD2\xC9", EncodingKoi, EncodingWin);
    EXPECT_EQ(koi.Bytes, "\xF0\xD2\xC9");
    EXPECT_EQ(koi.EnginePage, EncodingKoi);
    EXPECT_EQ(koi.EngineTarget, EncodingWin);
    EXPECT_EQ(FromEngine("x", koi), "x");
    // Into UTF-8: the engine works in the page, the result comes out UTF-8.
    const TPagedText toUtf = ToEngine("\xF0\xD2\xC9", EncodingKoi, EncodingUtf);
    EXPECT_EQ(toUtf.EngineTarget, EncodingNone);
    EXPECT_EQ(FromEngine(toUtf.Bytes, toUtf), "\xD0\x9F\xD1\x80\xD0\xB8");
}

TEST(PagedText, Utf8GoesThroughWinOrTheTargetPage)
{
    const std::string text = std::string(Utf8Bom) + "\xD0\x9F\xD1\x80\xD0\xB8 \xE2\x94\x80"; // "При ─"
    // "─" is in KOI but not in WIN: recoding into KOI goes, staying UTF-8
    // does not, and says which character and where.
    const TPagedText koi = ToEngine(text, EncodingUtf, EncodingKoi);
    EXPECT_EQ(koi.EnginePage, EncodingKoi);
    EXPECT_EQ(FromEngine(koi.Bytes, koi), "\xF0\xD2\xC9 \x80"); // the byte-order mark stays behind
    try {
        ToEngine(text, EncodingUtf, EncodingNone);
        FAIL();
    } catch (const TError& e) {
        EXPECT_EQ(
            std::string(e.what()), "Символа «─» (U+2500, строка 1, позиция 5) нет в WIN: текст оставлен как есть");
    }
    const TPagedText win = ToEngine(std::string(Utf8Bom) + "\xD0\x9F\r\n", EncodingUtf, EncodingUtf);
    EXPECT_EQ(win.Bytes, "\xCF\r\n");
    EXPECT_EQ(FromEngine("\xCF\xCF\r\n", win), std::string(Utf8Bom) + "\xD0\x9F\xD0\x9F\r\n");
    try {
        ToEngine("ab\ncd\xD0\xD0", EncodingUtf, EncodingNone);
        FAIL();
    } catch (const TError& e) {
        EXPECT_EQ(std::string(e.what()),
            "Неверная последовательность UTF-8 (строка 2, позиция 3, байт 6): текст оставлен как есть");
    }
}

} // namespace
} // namespace tekstovar
