#include "common/error.h"
#include "mainwindow/filelistfile.h"
#include "platform/winunicode.h"

#include <gtest/gtest.h>

using namespace tekstovar;

TEST(FileListFile, ThreeLinesPerEntryInWin)
{
    const std::vector<TListEntry> entries = {{"отчёт.txt", "/дом/", 1}, {"b.txt", "/x/", 0}};
    const std::string bytes = FormatFileList(entries);
    EXPECT_EQ(bytes, Utf8ToWin("отчёт.txt\r\n/дом/\r\n1\r\nb.txt\r\n/x/\r\n0\r\n"));
    std::vector<TListEntry> read;
    ParseFileList(bytes, "list.QZL", [&](TListEntry e) { read.push_back(e); });
    ASSERT_EQ(read.size(), 2u);
    EXPECT_EQ(read[0].Name, "отчёт.txt");
    EXPECT_EQ(read[0].Directory, "/дом/");
    EXPECT_EQ(read[0].Encoding, 1);
    EXPECT_EQ(FormatFileList({}), "");
    EXPECT_THROW(FormatFileList({{"日本.txt", "/", 0}}), TError);
}

TEST(FileListFile, BrokenListsStopWithTheMessage)
{
    const std::string message = "Файл /l.QZL Не Является Списком Файлов \"Текстовара\"";
    for (const std::string bytes : {"a\r\n/d/\r\n0\r\nb\r\n", "a\n/d/\nKOI\n", "a\r/d/\r7\r", "a\r\n/d/\r\n-1\r\n"}) {
        std::vector<std::string> added;
        try {
            ParseFileList(bytes, "/l.QZL", [&](TListEntry e) { added.push_back(e.Name); });
            ADD_FAILURE() << "no error for " << bytes;
        } catch (const TError& e) {
            EXPECT_EQ(e.what(), message);
        }
    }
    // Entries before the fault were handed over and stay.
    std::vector<std::string> added;
    EXPECT_THROW(
        ParseFileList("a\r\n/d/\r\n0\r\nb\r\n", "/l.QZL", [&](TListEntry e) { added.push_back(e.Name); }), TError);
    EXPECT_EQ(added, std::vector<std::string>{"a"});
}

TEST(FileListFile, SortComparison)
{
    EXPECT_LT(CompareListColumns(0, "a.txt", "B.txt"), 0);
    EXPECT_EQ(CompareListColumns(0, "ABC", "abc"), 0);
    EXPECT_NE(CompareListColumns(0, "Ж", "ж"), 0); // only a..z ignore case
    EXPECT_LT(CompareListColumns(3, "9", "10"), 0);
    EXPECT_EQ(CompareListColumns(3, "", "10"), 0);
    EXPECT_GT(CompareListColumns(4, "12", "3"), 0);
}
