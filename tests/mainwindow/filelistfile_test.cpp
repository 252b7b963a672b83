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
}

// A path that would come back as another one (a line break splits the
// entry, WIN has no such character) is left out; the rest is written.
TEST(FileListFile, EntriesThatWouldNotReadBackAreLeftOut)
{
    const std::vector<TListEntry> entries = {{"a.txt", "/d/", 0}, {"two\nlines.txt", "/d/", 1}, {"b.txt", "/d\r/", 2},
        {"日本.txt", "/d/", 3}, {"c.txt", "/d/", 4}};
    std::vector<std::size_t> refused;
    const std::string bytes = FormatFileList(entries, &refused);
    EXPECT_EQ(bytes, "a.txt\r\n/d/\r\n0\r\nc.txt\r\n/d/\r\n4\r\n");
    EXPECT_EQ(refused, (std::vector<std::size_t>{1, 2, 3}));
    EXPECT_THROW(FormatFileList(entries), TError);
    EXPECT_EQ(RefusedEntriesMessage("/l.QZL", {entries[1], entries[2]}),
        "Не Записаны В Список Файлов /l.QZL Пути С Переводом Строки Или Знаками, Которых Нет В Кодировке WIN:\n"
        "/d/two\\nlines.txt\n/d\\r/b.txt");
}

// Reading goes on past a damaged entry: one message lists the lines skipped.
TEST(FileListFile, ReadingGoesOnPastDamagedLines)
{
    auto read = [](const std::string& bytes, std::vector<std::string>& names) {
        names.clear();
        try {
            ParseFileList(bytes, "/l.QZL", [&](TListEntry e) { names.push_back(e.Name + "|" + e.Directory); });
        } catch (const TError& e) {
            return std::string(e.what());
        }
        return std::string();
    };
    std::vector<std::string> names;
    // A stray line, an entry with a code page 9, a last entry cut short.
    EXPECT_EQ(read("a\r\n/d/\r\n0\r\nstray\r\nb\r\n/e/\r\n1\r\nc\r\n/f/\r\n9\r\nd\r\n/g/\r\n2\r\ne\r\n", names),
        "В Списке Файлов /l.QZL Пропущены Испорченные Строки: 4, 8-10, 14");
    EXPECT_EQ(names, (std::vector<std::string>{"a|/d/", "b|/e/", "d|/g/"}));
    // A lost line costs the entry it belonged to only.
    EXPECT_EQ(read("a\n0\nb\n/e/\n1\n", names), "В Списке Файлов /l.QZL Пропущены Испорченные Строки: 1-2");
    EXPECT_EQ(names, (std::vector<std::string>{"b|/e/"}));
    // Nothing that forms an entry: no list at all.
    for (const std::string bytes : {"a\n/d/\nKOI\n", "a\r/d/\r7\r", "a\r\n/d/\r\n-1\r\n", "x"}) {
        EXPECT_EQ(read(bytes, names), "Файл /l.QZL Не Является Списком Файлов \"Текстовара\"") << bytes;
        EXPECT_TRUE(names.empty());
    }
    EXPECT_EQ(read("", names), "");
}

TEST(FileListFile, SortComparison)
{
    EXPECT_LT(CompareListColumns(0, "a.txt", "B.txt"), 0);
    EXPECT_EQ(CompareListColumns(0, "ABC", "abc"), 0);
    EXPECT_NE(CompareListColumns(0, "Ж", "ж"), 0); // only a..z ignore case
    // WIN order: Ё 0xA8, ё 0xB8, then А..Я 0xC0.., then а..я 0xE0..
    EXPECT_LT(CompareListColumns(1, "ёлка", "ящик"), 0);
    EXPECT_LT(CompareListColumns(0, "Ёж", "ёж"), 0);
    EXPECT_LT(CompareListColumns(0, "ё", "Аист"), 0);
    EXPECT_LT(CompareListColumns(0, "Яма", "ад"), 0);
    EXPECT_LT(CompareListColumns(0, "z", "Ё"), 0);
    // Characters WIN lacks come after all of them, apart from each other.
    EXPECT_GT(CompareListColumns(0, "日.txt", "я.txt"), 0);
    EXPECT_LT(CompareListColumns(0, "日", "本"), 0);
    EXPECT_LT(CompareListColumns(0, "я", "я日"), 0);
    EXPECT_NE(CompareListColumns(2, "\xFF", "\xFE"), 0);
    EXPECT_LT(CompareListColumns(3, "9", "10"), 0);
    EXPECT_EQ(CompareListColumns(3, "", "10"), 0);
    EXPECT_GT(CompareListColumns(4, "12", "3"), 0);
}
