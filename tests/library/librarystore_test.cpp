#include "library/librarystore.h"

#include "common/error.h"
#include "settings/inifile.h"
#include "support/errorof.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

namespace tekstovar {
namespace {

using test::ErrorOf;
using test::TTempDir;

// WIN bytes of the Russian words the tests use.
const std::string Ko = "\xCA\xEE"; // "Ко"
const std::string ko = "\xEA\xEE"; // "ко"
const std::string KoshkaCap = "\xCA\xCE\xD8\xCA\xC0"; // "КОШКА"
const std::string Koshka = "\xEA\xEE\xF8\xEA\xE0"; // "кошка"

std::vector<std::string> Descriptions(const TLibraryStore& store)
{
    std::vector<std::string> out;
    for (const TLibLexem& lexem : store.Lexems())
        out.push_back(lexem.Description);
    return out;
}

// ---- storage in the settings file ----

TEST(LibraryStorage, TextsWithBlanksStopsAndQuotesSurviveARoundTrip)
{
    TTempDir dir;
    std::string path = dir.Path("QZ.Ini");
    const std::vector<std::string> texts = {
        "  lead", "trail  ", ".dot", "dot.", "\"quoted\"", "\"", ".", "", " . ", "'single'", "..", "a\"", Koshka + " "};
    TLibraryStore saved;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const std::string& other = texts[texts.size() - 1 - i];
        saved.AppendPair(texts[i], other, "c" + texts[i]);
        saved.AppendLexem({other, texts[i]});
    }
    saved.WriteLibrary(path);

    TLibraryStore loaded;
    TLibMergeCount added = loaded.ReadLibrary(path);
    EXPECT_EQ(loaded.Masks(), saved.Masks());
    EXPECT_EQ(loaded.Replaces(), saved.Replaces());
    EXPECT_EQ(loaded.Comments(), saved.Comments());
    EXPECT_EQ(loaded.Lexems(), saved.Lexems());
    EXPECT_EQ(added.Pairs, static_cast<int>(texts.size()));
    EXPECT_EQ(added.Lexems, static_cast<int>(texts.size()));
}

TEST(LibraryStorage, WritesWrappedKeysInOrderThenCountAndKeepsOtherSections)
{
    TTempDir dir;
    std::string path = dir.Write("QZ.Ini", "[General]\r\nLogName=x.log\r\n[PairLibrary]\r\nStale=1\r\n");
    TLibraryStore store;
    store.AppendPair("m0", "r0", "c0");
    store.AppendPair("m1", "", "c1");
    store.AppendLexem({"d0", "l0"});
    store.WriteLibrary(path);

    std::string text = TTempDir::Read(path);
    std::vector<std::string> order = {"[PairLibrary]", "MaskStr0=.m0.", "ReplaceStr0=.r0.", "CommentStr0=.c0.",
        "MaskStr1=.m1.", "ReplaceStr1=..", "CommentStr1=.c1.", "Count=2", "[LexemLibrary]", "LexemStr0=.l0.",
        "CommentStr0=.d0.", "Count=1"};
    std::size_t at = 0;
    for (const std::string& piece : order) {
        std::size_t found = text.find(piece, at);
        ASSERT_NE(found, std::string::npos) << piece << " missing or out of order in\n" << text;
        at = found + piece.size();
    }
    EXPECT_EQ(text.find("Stale"), std::string::npos);
    IniFile ini(path);
    EXPECT_EQ(ini.ReadString("General", "LogName", ""), "x.log");
}

TEST(LibraryStorage, RewritingAShorterLibraryLeavesNoOldKeys)
{
    TTempDir dir;
    std::string path = dir.Path("QZ.Ini");
    TLibraryStore store;
    store.AppendPair("m0", "r0", "c0");
    store.AppendPair("m1", "r1", "c1");
    store.AppendLexem({"d0", "l0"});
    store.AppendLexem({"d1", "l1"});
    store.WriteLibrary(path);
    store.DeletePair(1);
    store.DeleteLexem(0);
    store.WriteLibrary(path);

    IniFile ini(path);
    EXPECT_FALSE(ini.TryReadString("PairLibrary", "MaskStr1"));
    EXPECT_FALSE(ini.TryReadString("LexemLibrary", "LexemStr1"));
    EXPECT_EQ(ini.ReadInteger("PairLibrary", "Count", -1), 1);
    TLibraryStore loaded;
    loaded.ReadLibrary(path);
    EXPECT_EQ(loaded.Masks(), std::vector<std::string>({"m0"}));
    EXPECT_EQ(loaded.Lexems(), std::vector<TLibLexem>({{"d1", "l1"}}));
}

TEST(LibraryStorage, AFailedWriteLeavesTheFileAsItWas)
{
    TTempDir dir;
    std::string before = "[PairLibrary]\r\nCount=1\r\nMaskStr0=.keep.\r\n";
    std::string path = dir.Write("QZ.Ini", before);
    TLibraryStore store;
    store.AppendPair("ok", "ok", "ok");
    store.AppendLexem({"line\r\nbreak", "x"});
    EXPECT_THROW(store.WriteLibrary(path), TError);
    EXPECT_EQ(TTempDir::Read(path), before);

    TLibraryStore nowhere;
    nowhere.AppendPair("m", "r", "c");
    EXPECT_THROW(nowhere.WriteLibrary(dir.Path("missing/dir/QZ.Ini")), TError);
}

TEST(LibraryStorage, HandWrittenValuesWithoutStopsAreRead)
{
    TTempDir dir;
    std::string path = dir.Write("lib.ini",
        "[PairLibrary]\r\nCount=1\r\nMaskStr0=plain\r\nReplaceStr0=\"quoted\"\r\nCommentStr0=x\r\n"
        "[LexemLibrary]\r\nCount=1\r\nLexemStr0=.[a-z].\r\nCommentStr0=Latin\r\n");
    TLibraryStore store;
    store.ReadLibrary(path);
    ASSERT_EQ(store.PairCount(), 1u);
    EXPECT_EQ(store.Masks()[0], "plain");
    EXPECT_EQ(store.Replaces()[0], "quoted");
    EXPECT_EQ(store.Comments()[0], "x");
    EXPECT_EQ(store.Lexems(), std::vector<TLibLexem>({{"Latin", "[a-z]"}}));
}

// ---- reading and merging ----

TEST(LibraryMerge, ReadingTheSameFileTwiceAddsNothing)
{
    TTempDir dir;
    std::string path = dir.Path("QZLib.Tmp");
    TLibraryStore source;
    source.AppendPair("a", "1", "first");
    source.AppendPair("b", "2", "second");
    source.AppendLexem({"one", "x"});
    source.AppendLexem({"two", "y"});
    source.WriteLibrary(path);

    TLibraryStore store;
    TLibMergeCount first = store.ReadLibrary(path);
    TLibMergeCount second = store.ReadLibrary(path);
    EXPECT_EQ(first.Pairs, 2);
    EXPECT_EQ(first.Lexems, 2);
    EXPECT_EQ(second.Pairs, 0);
    EXPECT_EQ(second.Lexems, 0);
    EXPECT_EQ(store.PairCount(), 2u);
    EXPECT_EQ(store.Lexems().size(), 2u);
}

TEST(LibraryMerge, MaskComparedIgnoringCaseReplaceAndCommentExactly)
{
    TTempDir dir;
    std::string path = dir.Path("lib.ini");
    TLibraryStore file;
    file.AppendPair("ABC" + KoshkaCap, "r", "c"); // same pair, other case of the mask: skipped
    file.AppendPair("x", "r", "c");
    file.AppendPair("X", "r", "C"); // comment differs in case: added
    file.AppendPair("y", "r", "c");
    file.AppendPair("Y", "R", "c"); // replace differs in case: added
    file.WriteLibrary(path);

    TLibraryStore store;
    store.AppendPair("abc" + Koshka, "r", "c");
    TLibMergeCount added = store.ReadLibrary(path);
    EXPECT_EQ(added.Pairs, 4);
    EXPECT_EQ(store.Masks(), std::vector<std::string>({"abc" + Koshka, "x", "X", "y", "Y"}));
    EXPECT_EQ(store.Comments(), std::vector<std::string>({"c", "c", "C", "c", "c"}));
}

TEST(LibraryMerge, OnlyTheFirstPairWithAnEqualMaskIsCompared)
{
    TTempDir dir;
    std::string path = dir.Path("lib.ini");
    TLibraryStore file;
    file.AppendPair("m", "second", "c");
    file.AppendPair("M", "first", "c");
    file.WriteLibrary(path);

    TLibraryStore store;
    store.AppendPair("m", "first", "c");
    store.AppendPair("m", "second", "c");
    TLibMergeCount added = store.ReadLibrary(path);
    EXPECT_EQ(added.Pairs, 1);
    EXPECT_EQ(store.Replaces(), std::vector<std::string>({"first", "second", "second"}));
}

TEST(LibraryMerge, LexemDescriptionComparedIgnoringCaseLexemExactly)
{
    TTempDir dir;
    std::string path = dir.Path("lib.ini");
    TLibraryStore file;
    file.AppendLexem({KoshkaCap, "[0-9]"}); // same, description in capitals: skipped
    file.AppendLexem({Koshka, "[0-9]+"}); // other lexem text: added
    file.AppendLexem({"Digits", "[A-Z]"}); // lexem differs in case only: added
    file.WriteLibrary(path);

    TLibraryStore store;
    store.AppendLexem({Koshka, "[0-9]"});
    store.AppendLexem({"DIGITS", "[a-z]"});
    TLibMergeCount added = store.ReadLibrary(path);
    EXPECT_EQ(added.Lexems, 2);
    EXPECT_EQ(Descriptions(store), std::vector<std::string>({Koshka, "DIGITS", Koshka, "Digits"}));
    EXPECT_EQ(store.Lexems()[2].Lexem, "[0-9]+");
}

TEST(LibraryMerge, FileWithoutTheSectionsAddsNothing)
{
    TTempDir dir;
    std::string page = dir.Write("QZLib.Tmp", "<html><body>Not found</body></html>\r\n[General]\r\nCount=5\r\n");
    TLibraryStore store;
    store.AppendPair("m", "r", "c");
    TLibMergeCount added = store.ReadLibrary(page);
    EXPECT_EQ(added.Pairs, 0);
    EXPECT_EQ(added.Lexems, 0);
    EXPECT_EQ(store.PairCount(), 1u);

    TLibMergeCount none = store.ReadLibrary(dir.Path("absent.ini"));
    EXPECT_EQ(none.Pairs, 0);
    EXPECT_EQ(none.Lexems, 0);
    EXPECT_TRUE(store.Lexems().empty());
}

TEST(LibraryMerge, CountLargerThanItsKeysReadsOnlyThePresentEntries)
{
    TTempDir dir;
    std::string path = dir.Write("QZ.Ini",
        "[PairLibrary]\r\nCount=5\r\nMaskStr0=.m0.\r\nReplaceStr0=.r0.\r\nCommentStr0=.c0.\r\n"
        "MaskStr3=.m3.\r\n"
        "[LexemLibrary]\r\nCount=2000000000\r\nLexemStr0=.l0.\r\nCommentStr0=.d0.\r\n");
    TLibraryStore store;
    TLibMergeCount added = store.ReadLibrary(path);
    EXPECT_EQ(added.Pairs, 2);
    EXPECT_EQ(store.Masks(), std::vector<std::string>({"m0", "m3"}));
    // A key missing beside present ones reads as an empty text.
    EXPECT_EQ(store.Replaces(), std::vector<std::string>({"r0", ""}));
    EXPECT_EQ(store.Comments(), std::vector<std::string>({"c0", ""}));
    EXPECT_EQ(added.Lexems, 1);
    EXPECT_EQ(store.Lexems(), std::vector<TLibLexem>({{"d0", "l0"}}));
}

// Keys are matched by name, not looked for index by index: however far apart
// they lie below Count, all are read, and at once.
TEST(LibraryMerge, SparseKeysUnderAHugeCountAreAllRead)
{
    TTempDir dir;
    std::string text = "[PairLibrary]\r\nCount=2000000000\r\n";
    std::vector<std::string> masks;
    for (long long i = 0; i < 2000; ++i) {
        const std::string index = std::to_string(i * 999983);
        masks.push_back("m" + index);
        text += "MaskStr" + index + "=.m" + index + ".\r\nmaskstr0" + index + "=.leading zero.\r\n";
    }
    text += "MaskStr2000000000=.at Count.\r\n";
    TLibraryStore store;
    store.ReadLibrary(dir.Write("QZ.Ini", text));
    EXPECT_EQ(store.Masks(), masks);
}

// Merging compares with the first equal mask through an index, not by
// walking the library: 100 000 pairs took minutes, now well under a second.
TEST(LibraryMerge, AHundredThousandPairsMergeInSeconds)
{
    TTempDir dir;
    constexpr int count = 100000;
    std::string text = "[PairLibrary]\r\nCount=" + std::to_string(count) + "\r\n";
    for (int i = 0; i < count; ++i)
        text += "MaskStr" + std::to_string(i) + "=.m" + std::to_string(i) + ".\r\n";
    const std::string path = dir.Write("QZLib.Tmp", text);
    const auto start = std::chrono::steady_clock::now();
    TLibraryStore store;
    const TLibMergeCount first = store.ReadLibrary(path);
    const TLibMergeCount again = store.ReadLibrary(path);
    const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(first.Pairs, count);
    EXPECT_EQ(again.Pairs, 0);
    // Generous for sanitizer builds on a busy machine.
    EXPECT_LT(seconds, 30.0);
}

TEST(LibraryMerge, BadCountReadsAsEmpty)
{
    TTempDir dir;
    const std::string bytes =
        "[PairLibrary]\r\nCount=many\r\nMaskStr0=.m0.\r\n[LexemLibrary]\r\nCount=-3\r\nLexemStr0=.l0.\r\n";
    std::string path = dir.Write("QZ.Ini", bytes);
    TLibraryStore store;
    TLibMergeCount added = store.ReadLibrary(path);
    EXPECT_EQ(added.Pairs, 0);
    EXPECT_EQ(added.Lexems, 0);
    EXPECT_EQ(TTempDir::Read(path), bytes); // reading never touches the file
}

// A text the settings file would give back cut is never taken: its entry is
// left out and named, the rest merged.
TEST(LibraryMerge, TextsTooLongToKeepAreLeftOutAndNamed)
{
    TTempDir dir;
    const std::string longest(TLibraryStore::MaxTextLength, 'x');
    const std::string path = dir.Write("QZLib.Tmp",
        "[PairLibrary]\r\nCount=4\r\n"
        "MaskStr0=." +
            longest +
            ".\r\nCommentStr0=.fits.\r\n"
            "MaskStr1=.m.\r\nReplaceStr1=." +
            longest + "y.\r\nCommentStr1=." + Koshka +
            ".\r\n"
            "MaskStr2=" +
            longest +
            "yz\r\n"
            "MaskStr3=.m3.\r\nCommentStr3=." +
            std::string(3000, 'c') +
            ".\r\n"
            "[LexemLibrary]\r\nCount=2\r\nLexemStr0=." +
            longest +
            "y.\r\nCommentStr0=.d.\r\n"
            "LexemStr1=.l.\r\nCommentStr1=." +
            longest + ".\r\n");
    TLibraryStore store;
    const TLibMergeCount added = store.ReadLibrary(path);
    EXPECT_EQ(store.Masks(), std::vector<std::string>{longest});
    EXPECT_EQ(store.Lexems(), (std::vector<TLibLexem>{{longest, "l"}}));
    EXPECT_EQ(added.Pairs, 1);
    EXPECT_EQ(added.Lexems, 1);
    EXPECT_EQ(added.Refused, 4);
    EXPECT_EQ(added.RefusedMessage,
        "Не Приняты Записи Библиотеки С Текстом Длиннее 2045 Знаков: Файл Настроек Их Не Вместит\n"
        "Пара 1 «кошка»\nПара 2 «»\nПара 3 «" +
            std::string(40, 'c') + "»\nЛексема 0 «d»");

    // What was taken comes back whole.
    store.WriteLibrary(dir.Path("QZ.Ini"));
    TLibraryStore again;
    EXPECT_EQ(again.ReadLibrary(dir.Path("QZ.Ini")).Refused, 0);
    EXPECT_EQ(again.Masks(), store.Masks());
    EXPECT_EQ(again.Lexems(), store.Lexems());
}

// ---- refresh ----

TEST(LibraryRefresh, PairsAreReplacedByTheFilesLexemsMergedIn)
{
    TTempDir dir;
    std::string path = dir.Path("QZ.Ini");
    TLibraryStore store;
    store.AppendPair("kept", "r", "c");
    store.AppendPair("deleted", "r", "c");
    store.AppendLexem({"saved", "s"});
    store.AppendLexem({"gone", "g"});
    store.WriteLibrary(path);

    store.DeletePair(1);
    store.AddPair(0, "new pair", "");
    store.DeleteLexem(1);
    store.AddLexem(std::nullopt, "new lexem", "");
    TLibMergeCount added = store.Refresh(path);

    EXPECT_EQ(store.Masks(), std::vector<std::string>({"kept", "deleted"}));
    EXPECT_EQ(added.Pairs, 2);
    EXPECT_EQ(Descriptions(store), std::vector<std::string>({TLibraryStore::NewComment, "saved", "gone"}));
    EXPECT_EQ(added.Lexems, 1);
}

// ---- sorting ----

TEST(LibrarySort, PairsAlternateAscendingAndDescending)
{
    TLibraryStore store;
    store.AppendPair("mb", "rb", "b");
    store.AppendPair("mB", "rB", "B");
    store.AppendPair("ma", "ra", "a");
    EXPECT_EQ(store.PairSortOrder(), 1);
    store.SortPairs();
    EXPECT_EQ(store.Comments(), std::vector<std::string>({"a", "B", "b"}));
    EXPECT_EQ(store.Masks(), std::vector<std::string>({"ma", "mB", "mb"}));
    EXPECT_EQ(store.Replaces(), std::vector<std::string>({"ra", "rB", "rb"}));
    EXPECT_EQ(store.PairSortOrder(), -1);
    store.SortPairs();
    EXPECT_EQ(store.Comments(), std::vector<std::string>({"B", "b", "a"}));
    EXPECT_EQ(store.Masks(), std::vector<std::string>({"mB", "mb", "ma"}));
    EXPECT_EQ(store.PairSortOrder(), 1);
}

TEST(LibrarySort, LexemsAlternateAscendingAndDescending)
{
    TLibraryStore store;
    store.AppendLexem({"b", "1"});
    store.AppendLexem({"B", "2"});
    store.AppendLexem({"a", "3"});
    store.SortLexems();
    std::vector<std::string> up = Descriptions(store);
    EXPECT_EQ(up[0], "a");
    EXPECT_EQ(store.Lexems()[0].Lexem, "3");
    EXPECT_TRUE((up == std::vector<std::string>{"a", "b", "B"}) || (up == std::vector<std::string>{"a", "B", "b"}));
    EXPECT_EQ(store.LexemSortOrder(), -1);
    store.SortLexems();
    EXPECT_EQ(Descriptions(store).back(), "a");
    EXPECT_EQ(store.LexemSortOrder(), 1);
}

TEST(LibrarySort, ComparisonFoldsOnlyLatinLetters)
{
    EXPECT_EQ(LatinFoldedCompare("abc", "ABC"), 0);
    EXPECT_LT(LatinFoldedCompare("ab", "abc"), 0);
    EXPECT_GT(LatinFoldedCompare("b", "A"), 0);
    EXPECT_LT(LatinFoldedCompare("Z", "["), 0); // "z" folds to "Z", below "["
    EXPECT_LT(LatinFoldedCompare("z", "_"), 0);
    // Russian letters by code: capitals (0xC0..) before small ones, not folded.
    EXPECT_LT(LatinFoldedCompare(KoshkaCap, Koshka), 0);
    EXPECT_GT(LatinFoldedCompare("\xE0", "\xDF"), 0); // "а" after "Я"
    EXPECT_GT(LatinFoldedCompare("\xC0", "z"), 0); // bytes compared unsigned
}

TEST(LibrarySort, CaselessEqualityCoversRussianLetters)
{
    EXPECT_TRUE(WinEqualCaseless(Koshka, KoshkaCap));
    EXPECT_TRUE(WinEqualCaseless("\xB8", "\xA8")); // ё and Ё
    EXPECT_TRUE(WinEqualCaseless("aBc", "AbC"));
    EXPECT_FALSE(WinEqualCaseless("ab", "abc"));
    EXPECT_FALSE(WinEqualCaseless("[", "{"));
    EXPECT_FALSE(WinEqualCaseless("\xE5", "\xB8")); // е is not ё
}

// ---- prefix search ----

TEST(LibrarySearch, CommentPrefixIsCaseSensitive)
{
    TLibraryStore store;
    store.AppendPair("m0", "r0", "abc");
    store.AppendPair("m1", "r1", Koshka);
    store.AppendPair("m2", "r2", Ko + "\xF2"); // "Кот"
    store.AppendPair("m3", "r3", Ko + "\xE7\xE0"); // "Коза"
    EXPECT_EQ(store.FindPairByComment(Ko), 2u);
    EXPECT_EQ(store.FindPairByComment(ko), 1u);
    EXPECT_EQ(store.FindPairByComment(Ko + "\xE7"), 3u);
    EXPECT_FALSE(store.FindPairByComment("ABC"));
    EXPECT_FALSE(store.FindPairByComment(""));
    EXPECT_FALSE(store.FindPairByComment("abcd"));
}

TEST(LibrarySearch, LexemDescriptionPrefixIsCaseSensitive)
{
    TLibraryStore store;
    store.AppendLexem({Ko + "\xF2", "1"});
    store.AppendLexem({ko + "\xF2", "2"});
    EXPECT_EQ(store.FindLexemByDescription(ko), 1u);
    EXPECT_EQ(store.FindLexemByDescription(Ko), 0u);
    EXPECT_FALSE(store.FindLexemByDescription("\xCA\xCE"));
    EXPECT_FALSE(store.FindLexemByDescription(""));
}

// ---- adding, deleting, selecting ----

TEST(LibraryEdit, AddPairInsertsBeforeTheRowOrAtTheEnd)
{
    TLibraryStore store;
    EXPECT_FALSE(store.AddPair(0, "", ""));
    EXPECT_EQ(store.PairCount(), 0u);
    EXPECT_EQ(store.AddPair(0, "a", ""), 0u);
    EXPECT_EQ(store.AddPair(1, "", "z"), 1u); // on the end row: appended
    EXPECT_EQ(store.AddPair(1, "mid", "r"), 1u);
    EXPECT_EQ(store.Masks(), std::vector<std::string>({"a", "mid", ""}));
    EXPECT_EQ(store.Replaces(), std::vector<std::string>({"", "r", "z"}));
    EXPECT_EQ(store.Comments(), std::vector<std::string>(3, TLibraryStore::NewComment));
    EXPECT_EQ(TLibraryStore::NewComment, "\xCA\xEE\xEC\xEC\xE5\xED\xF2\xE0\xF0\xE8\xE9.");
}

TEST(LibraryEdit, AddLexemUsesOnlyTheSearchMask)
{
    TLibraryStore store;
    EXPECT_FALSE(store.AddLexem(std::nullopt, "", ""));
    EXPECT_EQ(store.AddLexem(std::nullopt, "", "replace only"), 0u);
    EXPECT_EQ(store.Lexems()[0].Lexem, "");
    EXPECT_EQ(store.AddLexem(std::nullopt, "first", ""), 0u);
    EXPECT_EQ(store.AddLexem(1, "second", "r"), 1u);
    EXPECT_EQ(store.AddLexem(99, "last", ""), 3u);
    std::vector<std::string> lexems;
    for (const TLibLexem& lexem : store.Lexems())
        lexems.push_back(lexem.Lexem);
    EXPECT_EQ(lexems, std::vector<std::string>({"first", "second", "", "last"}));
}

// Every way in refuses a text the settings file would cut, and changes
// nothing; the longest one that fits is taken.
TEST(LibraryEdit, TextsTooLongToKeepAreRefusedEveryWayIn)
{
    const std::string longest(TLibraryStore::MaxTextLength, 'x');
    const std::string tooLong = longest + "y";
    TLibraryStore store;
    store.AppendPair("m", "r", "c");
    store.AppendLexem({"d", "l"});
    const TLibraryStore before = store;
    EXPECT_EQ(ErrorOf([&] { store.AddPair(0, tooLong, ""); }),
        "Маска Поиска Длиннее 2045 Знаков Не Поместится В Файл Настроек");
    EXPECT_EQ(ErrorOf([&] { store.AddPair(0, "", tooLong); }),
        "Маска Замены Длиннее 2045 Знаков Не Поместится В Файл Настроек");
    EXPECT_EQ(ErrorOf([&] { store.SetPair(0, "m", "r", tooLong); }),
        "Комментарий Длиннее 2045 Знаков Не Поместится В Файл Настроек");
    EXPECT_EQ(ErrorOf([&] { store.AddLexem(std::nullopt, tooLong, ""); }),
        "Лексема Длиннее 2045 Знаков Не Поместится В Файл Настроек");
    EXPECT_EQ(ErrorOf([&] {
        store.SetLexem(0, {tooLong, "l"});
    }),
        "Комментарий Длиннее 2045 Знаков Не Поместится В Файл Настроек");
    EXPECT_NE(ErrorOf([&] { store.SetLexem(0, {"d", tooLong}); }), "no error");
    EXPECT_NE(ErrorOf([&] { store.AppendPair(tooLong, "r", "c"); }), "no error");
    EXPECT_NE(ErrorOf([&] { store.AppendLexem({"d", tooLong}); }), "no error");
    EXPECT_EQ(store.Masks(), before.Masks());
    EXPECT_EQ(store.Replaces(), before.Replaces());
    EXPECT_EQ(store.Comments(), before.Comments());
    EXPECT_EQ(store.Lexems(), before.Lexems());

    EXPECT_EQ(store.AddPair(0, longest, longest), 0u);
    EXPECT_TRUE(store.SetPair(0, longest, longest, longest));
    EXPECT_EQ(store.AddLexem(std::nullopt, longest, ""), 0u);
    EXPECT_TRUE(store.SetLexem(0, {longest, longest}));
}

TEST(LibraryEdit, EndRowHoldsNothing)
{
    TLibraryStore store;
    store.AppendPair("m", "r", "c");
    EXPECT_EQ(store.SelectedMask(0), "m");
    EXPECT_EQ(store.SelectedReplace(0), "r");
    EXPECT_EQ(store.SelectedMask(1), "");
    EXPECT_EQ(store.SelectedReplace(1), "");
    EXPECT_FALSE(store.DeletePair(1));
    EXPECT_FALSE(store.SetPair(1, "x", "y", "z"));
    EXPECT_FALSE(store.DeleteLexem(0));
    EXPECT_FALSE(store.SetLexem(0, {"d", "l"}));
    EXPECT_TRUE(store.SetPair(0, "x", "y", "z"));
    EXPECT_EQ(store.Comments()[0], "z");
    EXPECT_TRUE(store.DeletePair(0));
    EXPECT_EQ(store.PairCount(), 0u);
    EXPECT_TRUE(store.Replaces().empty());
    EXPECT_TRUE(store.Comments().empty());
}

} // namespace
} // namespace tekstovar
