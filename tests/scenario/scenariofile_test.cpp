#include "scenario/scenariofile.h"
#include "support/errorof.h"

#include "common/error.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

#include <functional>

namespace tekstovar {
namespace {

using test::ErrorOf;

using namespace std::literals;
using test::TTempDir;
using TLines = std::vector<std::string>;

TEST(ScenarioLines, EveryKindOfLineEnd)
{
    EXPECT_EQ(ParseScenarioLines("a\r\nb\nc\rd"), (TLines{"a", "b", "c", "d"}));
    EXPECT_EQ(ParseScenarioLines("a\r\n"), TLines{"a"});
    EXPECT_EQ(ParseScenarioLines("a\n"), TLines{"a"});
    EXPECT_EQ(ParseScenarioLines("a\r"), TLines{"a"});
    // LF then CR are two line ends; CR then CR LF as well.
    EXPECT_EQ(ParseScenarioLines("a\n\rb"), (TLines{"a", "", "b"}));
    EXPECT_EQ(ParseScenarioLines("a\r\r\nb"), (TLines{"a", "", "b"}));
    EXPECT_EQ(ParseScenarioLines("a\n\r"), (TLines{"a", ""}));
}

TEST(ScenarioLines, EmptyLinesKeepTheirPlace)
{
    EXPECT_EQ(ParseScenarioLines(""), TLines{});
    EXPECT_EQ(ParseScenarioLines("\r\n"), TLines{""});
    EXPECT_EQ(ParseScenarioLines("\r\n\r\n"), (TLines{"", ""}));
    EXPECT_EQ(ParseScenarioLines("text\r\n\r\nnext\r\n"), (TLines{"text", "", "next"}));
    EXPECT_EQ(ParseScenarioLines("x\n\n\ny"), (TLines{"x", "", "", "y"}));
}

TEST(ScenarioLines, NulEndsTheText)
{
    EXPECT_EQ(ParseScenarioLines("ab\0cd\r\nef"sv), TLines{"ab"});
    EXPECT_EQ(ParseScenarioLines("a\r\n\0b\r\n"sv), TLines{"a"});
    EXPECT_EQ(ParseScenarioLines("\0a"sv), TLines{});
}

TEST(ScenarioLines, PairsTakeTwoLinesEach)
{
    const TLines five = {"s1", "r1", "s2", "", "odd"};
    const auto pairs = ScenarioPairs(five);
    ASSERT_EQ(pairs.size(), 2u);
    EXPECT_EQ(pairs[0].Search, "s1");
    EXPECT_EQ(pairs[0].Replace, "r1");
    EXPECT_EQ(pairs[1].Search, "s2");
    EXPECT_EQ(pairs[1].Replace, "");
    EXPECT_TRUE(ScenarioPairs({"only"}).empty());
    EXPECT_TRUE(ScenarioPairs({}).empty());
}

TEST(ScenarioLines, FormatEndsEveryLineWithCrLf)
{
    EXPECT_EQ(FormatScenarioLines({}), "");
    EXPECT_EQ(FormatScenarioLines({"a", "", "b"}), "a\r\n\r\nb\r\n");
    for (const std::string& bad : {"a\rb"s, "a\nb"s, "a\0b"s})
        EXPECT_EQ(ErrorOf([&] {
            FormatScenarioLines({"ok", bad});
        }),
            "Строка 2 сценария содержит перевод строки или нулевой байт");
}

TEST(ScenarioFile, EveryOtherByteRoundTrips)
{
    std::string all;
    for (int b = 1; b < 256; ++b)
        if (b != '\r' && b != '\n')
            all += static_cast<char>(b);
    const TLines lines = {all, "", "\xCF\xF0\xE8\xE2\xE5\xF2", "\xFF", "", "odd"};

    TTempDir temp;
    const std::string path = temp.Path("test.QZB");
    WriteScenarioFile(path, lines);
    EXPECT_EQ(TTempDir::Read(path), all + "\r\n\r\n\xCF\xF0\xE8\xE2\xE5\xF2\r\n\xFF\r\n\r\nodd\r\n");
    EXPECT_EQ(ReadScenarioFile(path), lines);
}

TEST(ScenarioFile, LfFileLoadsAsCrLfAndIsSavedWithCrLf)
{
    TTempDir temp;
    const std::string path = temp.Write("lf.QZB", "one\ntwo\n\nfour\nfive");
    const TLines lines = ReadScenarioFile(path);
    EXPECT_EQ(lines, (TLines{"one", "two", "", "four", "five"}));
    EXPECT_EQ(ScenarioPairs(lines).size(), 2u);
    WriteScenarioFile(path, lines);
    EXPECT_EQ(TTempDir::Read(path), "one\r\ntwo\r\n\r\nfour\r\nfive\r\n");
}

TEST(ScenarioFile, FailuresNameTheFile)
{
    TTempDir temp;
    const std::string missing = temp.Path("missing.QZB");
    EXPECT_NE(ErrorOf([&] { ReadScenarioFile(missing); }).find(missing), std::string::npos);
    EXPECT_FALSE(TTempDir::Exists(missing));

    const std::string nowhere = temp.Path("no/such/dir.QZB");
    EXPECT_NE(ErrorOf([&] { WriteScenarioFile(nowhere, {"a", "b"}); }).find(nowhere), std::string::npos);

    // A line that cannot be stored leaves the old file as it was.
    const std::string kept = temp.Write("kept.QZB", "old\r\nfile\r\n");
    EXPECT_EQ(ErrorOf([&] {
        WriteScenarioFile(kept, {"new", "bro\nken"});
    }),
        "Сценарий не записан в файл " + kept + ": Строка 2 сценария содержит перевод строки или нулевой байт");
    EXPECT_EQ(TTempDir::Read(kept), "old\r\nfile\r\n");
}

} // namespace
} // namespace tekstovar
