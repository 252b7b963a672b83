#include "platform/quoting.h"

#include "platform/winunicode.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace tekstovar {
namespace {

using TCases = std::vector<std::pair<std::string, std::string>>;

TEST(QuoteName, OnlyNamesThatNeedItAndEveryByteThatMustNotStand)
{
    const TCases cases = {
        {"plain name.txt", "plain name.txt"}, {"отчёт 2026.txt", "отчёт 2026.txt"}, {"日本.txt", "日本.txt"},
        {"a\nb", "\"a\\nb\""}, {"t\tr\r", "\"t\\tr\\r\""}, {"q\"u\\o", "\"q\\\"u\\\\o\""},
        {"ж\x01\x1B\x7F", "\"ж\\001\\033\\177\""}, {"c1\xC2\x85", "\"c1\\302\\205\""}, // U+0085, a line break to some
        {"koi\xE0", "\"koi\\340\""}, // not UTF-8: a byte of another page
        {"cut\xE6\x97", "\"cut\\346\\227\""}, // a character cut short
        {"long\xC0\xAF", "\"long\\300\\257\""}, // an overlong "/"
        {"half\xED\xA0\x80", "\"half\\355\\240\\200\""}, // a surrogate
    };
    for (const auto& [name, printed] : cases)
        EXPECT_EQ(QuoteName(name), printed) << testing::PrintToString(name);
    EXPECT_EQ(QuoteName("a/b", true), "\"a/b\"");
    EXPECT_EQ(QuoteName("", true), "\"\"");
    // A message keeps its quoted names as they are and loses only its breaks.
    EXPECT_EQ(OneLine("file \"a\\nb\": x\ny\xE0"), "file \"a\\nb\": x\\ny\\340");
}

TEST(QuoteName, TheLogsFormIsWinAndKeepsWhatWinLacks)
{
    const TCases cases = {
        {"отчёт.txt", Utf8ToWin("отчёт.txt")},
        {"why?.txt", "why?.txt"},
        {"日本.txt", "\"\\u65E5\\u672C.txt\""},
        {"ж😀", "\"" + Utf8ToWin("ж") + "\\U0001F600\""},
        {"a\nb", "\"a\\nb\""},
        {"q\"\\", "\"q\\\"\\\\\""},
        {"\xC2\x98", "\"\\u0098\""}, // a C1 control WIN happens to have a byte for
        {"koi\xE0", "\"koi\\340\""},
    };
    for (const auto& [name, printed] : cases)
        EXPECT_EQ(QuoteNameWin(name), printed) << testing::PrintToString(name);
    EXPECT_EQ(OneLineWin("нет 日\r\n\\"), Utf8ToWin("нет ") + "\\u65E5\\r\\n\\");
}

} // namespace
} // namespace tekstovar
