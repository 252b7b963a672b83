#include "settings/settings.h"
#include "support/errorof.h"

#include "common/error.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

#include <functional>

namespace tekstovar {
namespace {

using test::ErrorOf;

using test::TTempDir;
using TStrings = std::vector<std::string>;

const std::string ProgramDir = "/opt/tekstovar/";

TSettings LoadFrom(const std::string& path)
{
    IniFile ini(path);
    return LoadSettings(ini, ProgramDir);
}

// The file written from a load without a file holds every default, in the
// order the keys are written.
TEST(SaveSettings, NoFileGivesEveryDefaultWrittenInOrder)
{
    TTempDir dir;
    IniFile ini(dir.Path("QZ.Ini"));
    TSettings s = LoadSettings(ini, ProgramDir);
    EXPECT_FALSE(TTempDir::Exists(ini.Path()));
    EXPECT_TRUE(s.MaskHistory.empty());
    EXPECT_TRUE(s.ReplaceHistory.empty());
    s.MaskHistory = {" x ", ""};
    s.ReplaceHistory = {"y", "z"};
    SaveSettings(ini, s);
    EXPECT_EQ(TTempDir::Read(ini.Path()),
        "[MaskHistory]\r\nString0=. x .\r\nString1=..\r\nCount=2\r\n\r\n"
        "[ReplaceHistory]\r\nString0=.y.\r\nString1=.z.\r\nCount=2\r\n\r\n"
        "[General]\r\nBackUp=1\r\nOverwriteBackup=0\r\nDetectDuplicates=1\r\nWorkDir=/opt/tekstovar/\r\n"
        "LinkedPairs=1\r\nDetectEncoding=1\r\nDefaultEncoding=0\r\nRenameOperation=0\r\nLogging=0\r\n"
        "LogFileName=/opt/tekstovar/QZ.Log\r\nAutoSaveSettings=1\r\nAutoSaveFileList=0\r\nAutoSaveBatch=0\r\n"
        "BackupRoot=\r\nReCode=0\r\n\r\n"
        "[View]\r\nHistoryLength=20\r\nMaximized=0\r\nLeft=0\r\nTop=0\r\nWidth=427\r\nHeight=410\r\n"
        "BatchLeft=427\r\nBatchTop=0\r\nBatchWidth=350\r\nBatchHeight=260\r\nShowBatch=0\r\n"
        "LibLeft=427\r\nLibTop=260\r\nLibWidth=350\r\nLibHeight=260\r\nShowLib=0\r\n"
        "Column0=95\r\nColumn1=150\r\nColumn2=70\r\nColumn3=55\r\n"
        "MaskFontName=Courier New\r\nMaskFontColor=8388608\r\nMaskFontSize=8\r\nMaskFontBold=0\r\n"
        "MaskFontItalic=0\r\nMaskFontUnderline=0\r\nMaskFontStrikeOut=0\r\n"
        "ReplaceFontName=Courier New\r\nReplaceFontColor=128\r\nReplaceFontSize=8\r\nReplaceFontBold=0\r\n"
        "ReplaceFontItalic=0\r\nReplaceFontUnderline=0\r\nReplaceFontStrikeOut=0\r\n"
        "ClearListPrompt=1\r\nAutoLexemKey=16471\r\nImmedAutoLexemKey=24663\r\nActivePage=0\r\n"
        "BatchReplacesTable=1\r\n");
}

TEST(SaveSettings, EveryKeyRoundTrips)
{
    TTempDir dir;
    TSettings s;
    s.WorkDir = "/home/пользователь/тексты/";
    s.LinkedPairs = false;
    s.DetectEncoding = false;
    s.DefaultEncoding = 3;
    s.Backup = false;
    s.OverwriteBackup = true;
    s.DetectDuplicates = false;
    s.Logging = true;
    s.LogFileName = "/var/log/журнал.log";
    s.BackupRoot = "/mnt/копии/";
    s.AutoSaveSettings = false;
    s.AutoSaveFileList = true;
    s.AutoSaveBatch = true;
    s.ReCode = true;
    s.RenameOperation = true;
    s.Left = -20;
    s.Top = 30;
    s.Width = 800;
    s.Height = 600;
    s.BatchLeft = 900;
    s.BatchTop = 40;
    s.BatchWidth = 351;
    s.BatchHeight = 262;
    s.ShowBatch = true;
    s.LibLeft = 910;
    s.LibTop = 400;
    s.LibWidth = 352;
    s.LibHeight = 263;
    s.ShowLib = true;
    s.Columns = {10, 20, 30, 40};
    s.MaskFont = {"Моноширинный", 255, 12, true, true, true, true};
    s.ReplaceFont = {"DejaVu Sans Mono", 65280, 14, true, false, true, false};
    s.HistoryLength = 7;
    s.ClearListPrompt = false;
    s.AutoLexemKey = 0xC041; // Alt+Ctrl+A: above the signed 16-bit range
    s.ImmedAutoLexemKey = 0x6041;
    s.ActivePage = 1;
    s.BatchReplacesTable = false;
    // "Маска" in WIN bytes, blanks, quotes, stops and an empty entry.
    s.MaskHistory = {"\xCC\xE0\xF1\xEA\xE0", " lead", "trail ", "\"q\"", ".", ""};
    s.ReplaceHistory = {"", "'s'", "..", "a.", "\\n", " "};

    IniFile ini(dir.Path("QZ.Ini"));
    SaveSettings(ini, s);
    const std::string file = TTempDir::Read(ini.Path());
    // Paths go into the file as WIN bytes.
    EXPECT_NE(file.find("\r\nLogFileName=/var/log/\xE6\xF3\xF0\xED\xE0\xEB.log\r\n"), std::string::npos);
    EXPECT_NE(file.find("\r\nMaskFontName=\xCC\xEE\xED\xEE\xF8\xE8\xF0\xE8\xED\xED\xFB\xE9\r\n"), std::string::npos);
    EXPECT_TRUE(LoadFrom(ini.Path()) == s);

    // Maximized: the flag is written, the bounds from before stay.
    TSettings maximized = s;
    maximized.Maximized = true;
    maximized.Left = maximized.Top = 0;
    maximized.Width = 1920;
    maximized.Height = 1080;
    SaveSettings(ini, maximized);
    const TSettings loaded = LoadFrom(ini.Path());
    EXPECT_TRUE(loaded.Maximized);
    EXPECT_EQ((std::array{loaded.Left, loaded.Top, loaded.Width, loaded.Height}), (std::array{-20, 30, 800, 600}));
    const std::string file2 = TTempDir::Read(ini.Path());
    EXPECT_NE(file2.find("\r\nMaximized=1\r\n"), std::string::npos);
    EXPECT_NE(file2.find("\r\nWidth=800\r\n"), std::string::npos);
    EXPECT_EQ(file2.find("1920"), std::string::npos);
}

TEST(LoadSettings, ComputedDefaultsFollowWhatWasReadBefore)
{
    TTempDir dir;
    const TSettings s =
        LoadFrom(dir.Write("QZ.Ini", "[View]\r\nLeft=100\r\nTop=50\r\nWidth=300\r\nBatchHeight=300\r\n"));
    // The main window never gets narrower than 427, and its neighbours move with it.
    EXPECT_EQ(s.Width, 427);
    EXPECT_EQ(s.Height, 410);
    EXPECT_EQ(s.BatchLeft, 527);
    EXPECT_EQ(s.BatchTop, 50);
    EXPECT_EQ(s.LibLeft, 527);
    EXPECT_EQ(s.LibTop, 350);

    const TSettings given = LoadFrom(dir.Write("given.ini", "[View]\r\nTop=50\r\nBatchLeft=5\r\nLibTop=6\r\n"));
    EXPECT_EQ(given.BatchLeft, 5);
    EXPECT_EQ(given.LibTop, 6);
    EXPECT_EQ(given.LibLeft, 427);

    IniFile columns(dir.Write("columns.ini", "[View]\r\nColumn2=33\r\n"));
    EXPECT_EQ(LoadSettings(columns, "/p", {1, 2, 3, 4}).Columns, (std::array{1, 2, 33, 4}));
    // The directory defaults get their separator.
    EXPECT_EQ(LoadSettings(columns, "/p").LogFileName, "/p/QZ.Log");
}

TEST(LoadSettings, HandWrittenHistories)
{
    TTempDir dir;
    const TSettings s = LoadFrom(dir.Write("QZ.Ini",
        "[MaskHistory]\r\nCount=3\r\nString0=plain entry\r\n"
        "[replacehistory]\r\ncount=3\r\nstring0=.starts with a stop\r\nSTRING1=ends with a stop.\r\n"
        "String2=\".both.\"\r\nString3=beyond Count\r\n"));
    EXPECT_EQ(s.MaskHistory, (TStrings{"plain entry", "", ""}));
    EXPECT_EQ(s.ReplaceHistory, (TStrings{"starts with a stop", "ends with a stop", "both"}));
}

// A hand-edited Count builds no more entries than the history keeps.
TEST(LoadSettings, HistoryCountIsCutToTheHistoryLength)
{
    TTempDir dir;
    const std::string histories = "[MaskHistory]\r\nCount=100000\r\nString0=.a.\r\nString1=.b.\r\nString2=.c.\r\n"
                                  "[ReplaceHistory]\r\nCount=2000000000\r\nString1=.B.\r\n";
    const TSettings two = LoadFrom(dir.Write("two.ini", "[View]\r\nHistoryLength=2\r\n" + histories));
    EXPECT_EQ(two.MaskHistory, (TStrings{"a", "b"}));
    EXPECT_EQ(two.ReplaceHistory, (TStrings{"", "B"}));
    const TSettings none = LoadFrom(dir.Write("none.ini", "[View]\r\nHistoryLength=0\r\n" + histories));
    EXPECT_TRUE(none.MaskHistory.empty());
    const TSettings huge = LoadFrom(dir.Write("huge.ini", "[View]\r\nHistoryLength=2147483647\r\n" + histories));
    EXPECT_EQ(huge.MaskHistory.size(), 100000u);
}

// Paths the reader would trim or unquote come back as they were, however
// often they are saved.
TEST(SaveSettings, QuotesAndBlanksAtAPathsEndsSurviveSaves)
{
    TTempDir dir;
    TSettings s;
    s.WorkDir = "'quoted'";
    s.LogFileName = "\"log\"";
    s.BackupRoot = " /blank/";
    IniFile ini(dir.Path("QZ.Ini"));
    for (int save = 0; save < 2; ++save) {
        SaveSettings(ini, s);
        const TSettings loaded = LoadFrom(ini.Path());
        EXPECT_EQ(loaded.WorkDir, s.WorkDir);
        EXPECT_EQ(loaded.LogFileName, s.LogFileName);
        EXPECT_EQ(loaded.BackupRoot, s.BackupRoot);
    }
}

// A pair the file would cut is not saved at all: the longest that fits
// comes back whole, the pair one byte longer is gone with its partner.
TEST(SaveSettings, HistoryPairsTheFileWouldCutAreLeftOut)
{
    TTempDir dir;
    TSettings s;
    const std::string fits(IniFile::MaxValueLength - 2, 'm');
    const std::string over(IniFile::MaxValueLength - 1, 'r');
    s.MaskHistory = {fits, "short", "x"};
    s.ReplaceHistory = {"a", over, "y"};
    IniFile ini(dir.Path("QZ.Ini"));
    SaveSettings(ini, s);
    const TSettings loaded = LoadFrom(ini.Path());
    EXPECT_EQ(loaded.MaskHistory, (TStrings{fits, "x"}));
    EXPECT_EQ(loaded.ReplaceHistory, (TStrings{"a", "y"}));
}

// Hand-edited bounds: no window larger than the desktop (the main window
// no smaller than its minimum), its top edge and 40 pixels of its width on
// it; bounds that fit stay as they are.
TEST(LoadSettings, WindowsAreFittedToTheDesktop)
{
    TTempDir dir;
    IniFile ini(dir.Write("QZ.Ini",
        "[View]\r\nLeft=-2000000000\r\nTop=2000000000\r\nWidth=1000000\r\nHeight=16777215\r\n"
        "BatchLeft=2000000000\r\nBatchTop=-9\r\nBatchWidth=-5\r\nBatchHeight=100\r\n"
        "LibLeft=-1000\r\nLibTop=70\r\nLibWidth=300\r\nLibHeight=200\r\n"));
    const TDesktop desktop{-100, 20, 1920, 1080};
    const TSettings s = LoadSettings(ini, ProgramDir, DefaultColumnWidths, desktop);
    using TBounds = std::array<int, 4>;
    EXPECT_EQ((TBounds{s.Left, s.Top, s.Width, s.Height}), (TBounds{-100 - 1920 + 40, 20 + 1080 - 40, 1920, 1080}));
    EXPECT_EQ((TBounds{s.BatchLeft, s.BatchTop, s.BatchWidth, s.BatchHeight}), (TBounds{1819, 20, 0, 100}));
    EXPECT_EQ((TBounds{s.LibLeft, s.LibTop, s.LibWidth, s.LibHeight}), (TBounds{-360, 70, 300, 200}));
    // A desktop smaller than the main window's minimum still gets it whole.
    const TSettings small = LoadSettings(ini, ProgramDir, DefaultColumnWidths, TDesktop{0, 0, 320, 240});
    EXPECT_EQ((TBounds{small.Left, small.Top, small.Width, small.Height}), (TBounds{-387, 200, 427, 410}));
    // Without screens to ask, sizes stay within what window systems place.
    const TSettings unknown = LoadSettings(ini, ProgramDir);
    EXPECT_EQ(unknown.Width, 32767);
    EXPECT_EQ(unknown.Height, 32767);
}

TEST(SaveSettings, ShrunkHistoryLeavesOldKeysUnread)
{
    TTempDir dir;
    IniFile ini(dir.Path("QZ.Ini"));
    TSettings s;
    for (int i = 0; i < 20; ++i) {
        s.MaskHistory.push_back("m" + std::to_string(i));
        s.ReplaceHistory.push_back("r" + std::to_string(i));
    }
    SaveSettings(ini, s);
    s.MaskHistory.resize(5);
    s.ReplaceHistory.resize(5);
    SaveSettings(ini, s);
    const std::string file = TTempDir::Read(ini.Path());
    EXPECT_NE(file.find("String19=.m19.\r\nCount=5\r\n"), std::string::npos);
    EXPECT_NE(file.find("String19=.r19.\r\nCount=5\r\n"), std::string::npos);
    const TSettings loaded = LoadFrom(ini.Path());
    EXPECT_EQ(loaded.MaskHistory, (TStrings{"m0", "m1", "m2", "m3", "m4"}));
    EXPECT_EQ(loaded.ReplaceHistory, (TStrings{"r0", "r1", "r2", "r3", "r4"}));
}

TEST(LoadSettings, UnusableValuesReadAsDefaults)
{
    TTempDir dir;
    const TSettings s = LoadFrom(dir.Write("QZ.Ini",
        "[General]\r\nDefaultEncoding=7\r\nLogging=yes\r\nDetectEncoding=on\r\n"
        "[View]\r\nActivePage=2\r\nAutoLexemKey=70000\r\nImmedAutoLexemKey=-1\r\nHistoryLength=-3\r\n"
        "MaskFontColor=-16777208\r\nMaskFontSize=0\r\nColumn1=-5\r\nHeight=0x10\r\n"
        "[MaskHistory]\r\nCount=3\r\nString0=.a.\r\nString1=.b.\r\nString2=.c.\r\n"
        "[ReplaceHistory]\r\nCount=1\r\nString0=.A.\r\n"));
    EXPECT_EQ(s.DefaultEncoding, 0);
    EXPECT_FALSE(s.Logging);
    EXPECT_TRUE(s.DetectEncoding);
    EXPECT_EQ(s.ActivePage, 0);
    EXPECT_EQ(s.AutoLexemKey, 16471);
    EXPECT_EQ(s.ImmedAutoLexemKey, 24663);
    EXPECT_EQ(s.HistoryLength, 20);
    EXPECT_EQ(s.MaskFont.Color, 8388608);
    EXPECT_EQ(s.MaskFont.Size, 8);
    EXPECT_EQ(s.Columns[1], 150);
    EXPECT_EQ(s.Height, 410);
    // Entries pair by position: the longer history is cut to the shorter.
    EXPECT_EQ(s.MaskHistory, TStrings{"a"});
    EXPECT_EQ(s.ReplaceHistory, TStrings{"A"});

    const TSettings edges = LoadFrom(dir.Write("edges.ini",
        "[General]\r\nDefaultEncoding=4\r\n[View]\r\nActivePage=1\r\nAutoLexemKey=0x4057\r\nImmedAutoLexemKey=65535\r\n"
        "HistoryLength=0\r\n[MaskHistory]\r\nCount=-4\r\n[ReplaceHistory]\r\nCount=2\r\n"));
    EXPECT_EQ(edges.DefaultEncoding, 4);
    EXPECT_EQ(edges.ActivePage, 1);
    EXPECT_EQ(edges.AutoLexemKey, 16471);
    EXPECT_EQ(edges.ImmedAutoLexemKey, 65535);
    EXPECT_EQ(edges.HistoryLength, 0);
    EXPECT_TRUE(edges.MaskHistory.empty());
    EXPECT_TRUE(edges.ReplaceHistory.empty());
}

TEST(SaveSettings, HandWrittenKeysAreReplacedInPlace)
{
    TTempDir dir;
    const std::string path = dir.Write("QZ.Ini",
        "; my settings\r\n[general]\r\nbackup=0\r\nExtensions=*.txt\r\nbackuproot=/mnt/b\r\n"
        "[Elsewhere]\r\nkeep=me\r\n");
    IniFile ini(path);
    TSettings s = LoadSettings(ini, ProgramDir);
    EXPECT_FALSE(s.Backup);
    EXPECT_EQ(s.BackupRoot, "/mnt/b/");
    s.Backup = true;
    s.BackupRoot = "/x";
    SaveSettings(ini, s);
    const std::string file = TTempDir::Read(path);
    EXPECT_EQ(file.rfind("; my settings\r\n[general]\r\nBackUp=1\r\nExtensions=*.txt\r\nBackupRoot=/x/\r\n"
                         "OverwriteBackup=0\r\n",
                  0),
        0u);
    EXPECT_NE(file.find("\r\n[Elsewhere]\r\nkeep=me\r\n"), std::string::npos);
}

// A value the file cannot hold never blocks the rest: it keeps the file's
// earlier value and is named.
TEST(SaveSettings, PathsWinCannotHoldAreLeftOutAndTheRestWritten)
{
    TTempDir dir;
    const std::string path = dir.Write("QZ.Ini", "[General]\r\nWorkDir=/old/\r\n");
    IniFile ini(path);
    TSettings s;
    s.MaskHistory = {"new"};
    s.ReplaceHistory = {"entry"};
    s.WorkDir = "/home/日本/";
    s.BackupRoot = "/mnt/\xFF/"; // not UTF-8 at all
    s.LogFileName = "/var/log/x.log";
    const std::vector<std::string> left = SaveSettings(ini, s);
    ASSERT_EQ(left.size(), 2u);
    EXPECT_EQ(left[0],
        "Рабочий каталог «/home/日本/» содержит символы, которых нет в кодировке WIN, и не может быть записан в файл "
        "настроек");
    EXPECT_EQ(ini.ReadString("General", "WorkDir", "-"), "/old/");
    EXPECT_EQ(ini.ReadString("General", "LogFileName", "-"), "/var/log/x.log");
    EXPECT_EQ(ini.ReadString("MaskHistory", "String0", "-"), ".new.");
    EXPECT_TRUE(SaveSettings(ini, TSettings()).empty());
}

TEST(SaveSettings, WriteFailureNamesTheFile)
{
    TTempDir dir;
    const std::string path = dir.Write("not-a-directory", "") + "/QZ.Ini";
    IniFile ini(path);
    EXPECT_EQ(ErrorOf([&] { SaveSettings(ini, TSettings()); }), "Unable to write to " + path);
}

TEST(ApplyHistoryLength, CutsBothHistoriesOrChangesNothing)
{
    TSettings s;
    s.MaskHistory = {"m0", "m1", "m2", "m3", "m4"};
    s.ReplaceHistory = {"r0", "r1", "r2", "r3", "r4"};
    for (const char* bad : {"", "abc", "3x", "1.5", "-1", "99999999999"}) {
        EXPECT_FALSE(ApplyHistoryLength(s, bad)) << bad;
        EXPECT_EQ(s.HistoryLength, 20);
        EXPECT_EQ(s.MaskHistory.size(), 5u);
    }
    EXPECT_TRUE(ApplyHistoryLength(s, "30"));
    EXPECT_EQ(s.HistoryLength, 30);
    EXPECT_EQ(s.MaskHistory.size(), 5u);
    EXPECT_TRUE(ApplyHistoryLength(s, " 2 "));
    EXPECT_EQ(s.HistoryLength, 2);
    EXPECT_EQ(s.MaskHistory, (TStrings{"m0", "m1"}));
    EXPECT_EQ(s.ReplaceHistory, (TStrings{"r0", "r1"}));
    EXPECT_TRUE(ApplyHistoryLength(s, "0"));
    EXPECT_TRUE(s.MaskHistory.empty());
    EXPECT_TRUE(s.ReplaceHistory.empty());

    // The search-mask history decides; the other loses entries while it has any.
    s.MaskHistory = {"m0", "m1", "m2", "m3"};
    s.ReplaceHistory = {"r0", "r1"};
    EXPECT_TRUE(ApplyHistoryLength(s, "1"));
    EXPECT_EQ(s.MaskHistory, TStrings{"m0"});
    EXPECT_TRUE(s.ReplaceHistory.empty());
}

} // namespace
} // namespace tekstovar
