#include "encodings/utf8.h"
#include "engine/filemaskedreplacer.h"
#include "engine/filenamereplacer.h"
#include "replacerun.h"
#include "support/fullfile.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace tekstovar;
using namespace tekstovar::test;

namespace {

// What the owner of a file run sees in each notification.
struct TFileEvent {
    std::size_t File;
    TPos Position;
    long long Count;
    std::string Error;
    bool operator==(const TFileEvent&) const = default;
};

std::vector<TFileEvent> RunFiles(TFileMaskedReplacer& r)
{
    std::vector<TFileEvent> events;
    r.OnProgress = [&events](TMaskedReplacer& x) {
        auto& f = static_cast<TFileMaskedReplacer&>(x);
        events.push_back({f.FileIndex(), f.GetPosition(), f.ReplaceCount(), f.FileError()});
    };
    r.Run();
    return events;
}

std::string InPage(const std::string& utf8, int page)
{
    std::string s = W(utf8);
    RecodeString(s, EncodingWin, page);
    return s;
}

std::string ReplaceAll(const std::string& s, const std::string& from, const std::string& to)
{
    std::string result;
    std::size_t done = 0;
    for (std::size_t at = s.find(from); at != std::string::npos; at = s.find(from, done)) {
        result.append(s, done, at - done).append(to);
        done = at + from.size();
    }
    return result.append(s, done);
}

} // namespace

TEST(FileReplacer, EachFileInItsOwnCodePage)
{
    TTempDir dir;
    std::vector<std::string> paths = {dir.Write("a.txt", InPage("Кот и кот", EncodingKoi)),
        dir.Write("b.txt", InPage("кот кот", EncodingDos)), dir.Write("c.txt", W("кот")), dir.Write("d.txt", W("кот"))};
    std::vector<std::string> pages = {"KOI", "DOS", "WIN", "win"};
    TFileMaskedReplacer r(W("кот"), W("пёс\\c"), paths, pages, EncodingNone);
    auto events = RunFiles(r);

    EXPECT_EQ(TTempDir::Read(paths[0]), InPage("Кот и пёс1", EncodingKoi));
    EXPECT_EQ(TTempDir::Read(paths[1]), InPage("пёс1 пёс2", EncodingDos));
    EXPECT_EQ(TTempDir::Read(paths[2]), W("пёс1"));
    // An unknown page name: no conversion at all, the WIN mask as it stands.
    EXPECT_EQ(TTempDir::Read(paths[3]), W("пёс1"));

    std::vector<TFileEvent> expected = {{0, 0, 0, ""}, {0, 10, 1, ""}, {1, 0, 0, ""}, {1, 8, 2, ""}, {2, 0, 0, ""},
        {2, 4, 1, ""}, {3, 0, 0, ""}, {3, 4, 1, ""}, {4, 4, 1, ""}};
    EXPECT_EQ(events, expected);
    EXPECT_TRUE(r.Finished());
}

TEST(FileReplacer, RecodesIntoTheTarget)
{
    TTempDir dir;
    std::vector<std::string> paths = {
        dir.Write("a.txt", InPage("Привет, мир", EncodingKoi)), dir.Write("b.txt", InPage("мир", EncodingIso))};
    std::vector<std::string> pages = {"KOI", "ISO"};
    TFileMaskedReplacer r(W("мир"), W("свет"), paths, pages, EncodingWin);
    RunFiles(r);
    EXPECT_EQ(TTempDir::Read(paths[0]), W("Привет, свет"));
    EXPECT_EQ(TTempDir::Read(paths[1]), W("свет"));

    // An empty search mask only recodes.
    std::vector<std::string> win = {"WIN", "WIN"};
    TFileMaskedReplacer recode("", "", paths, win, EncodingMac);
    RunFiles(recode);
    EXPECT_EQ(TTempDir::Read(paths[0]), InPage("Привет, свет", EncodingMac));
}

TEST(FileReplacer, EmptyFilesAndLargeFiles)
{
    TTempDir dir;
    std::string large;
    for (int i = 0; i < 150000; ++i)
        large += "line " + std::to_string(i) + "\r\n";
    ASSERT_GT(large.size(), 1u << 20);
    std::vector<std::string> paths = {dir.Write("empty.txt", ""), dir.Write("large.txt", large)};
    std::vector<std::string> pages = {"WIN", "WIN"};
    // A mask that matches the empty text inserts its replacement once.
    TFileMaskedReplacer r("\\*", "[\\1]", paths, pages, EncodingNone);
    auto events = RunFiles(r);
    EXPECT_EQ(TTempDir::Read(paths[0]), "[]");
    EXPECT_EQ(TTempDir::Read(paths[1]), "[" + large + "]");
    EXPECT_EQ(events[1], (TFileEvent{0, 1, 1, ""}));

    std::vector<std::string> largeOnly = {paths[1]};
    TFileMaskedReplacer digits("\\+9", "<\\+1>", largeOnly, pages, EncodingNone);
    RunFiles(digits);
    std::string result = TTempDir::Read(paths[1]);
    EXPECT_EQ(result.substr(0, 19), "[line <1>\r\nline <2>");
    EXPECT_EQ(result.substr(result.size() - 16), "line <150000>\r\n]");
}

TEST(FileReplacer, UnreadableFilesAreSkippedAndReported)
{
    TTempDir dir;
    std::vector<std::string> paths = {dir.Path("missing.txt"), dir.Write("b.txt", "aaa"), dir.Path("sub")};
    std::filesystem::create_directory(paths[2]);
    std::vector<std::string> pages = {"WIN", "WIN", "WIN"};
    TFileMaskedReplacer r("a", "b", paths, pages, EncodingNone);
    auto events = RunFiles(r);
    ASSERT_EQ(events.size(), 5u);
    EXPECT_EQ(events[0].File, 0u);
    EXPECT_NE(events[0].Error.find("missing.txt"), std::string::npos);
    EXPECT_EQ(events[2], (TFileEvent{1, 4, 3, ""}));
    EXPECT_EQ(events[3].File, 2u);
    EXPECT_FALSE(events[3].Error.empty());
    EXPECT_FALSE(TTempDir::Exists(paths[0]));
    EXPECT_EQ(TTempDir::Read(paths[1]), "bbb");
    EXPECT_TRUE(r.Finished());
}

TEST(FileReplacer, AFailedWriteKeepsTheOldContents)
{
    TTempDir dir;
    std::vector<std::string> paths = {dir.Write("a.txt", std::string(100, 'a')), dir.Write("b.txt", "aaa")};
    std::vector<std::string> pages = {"WIN", "WIN"};
    TFileMaskedReplacer r("a", std::string(100, 'b'), paths, pages, EncodingNone);
    std::vector<TFileEvent> events;
    {
        TFileSizeLimit full(4096); // the long result fails to write
        events = RunFiles(r);
    }

    EXPECT_EQ(TTempDir::Read(paths[0]), std::string(100, 'a'));
    EXPECT_EQ(TTempDir::Read(paths[1]), std::string(300, 'b'));
    ASSERT_EQ(events.size(), 5u);
    EXPECT_NE(events[1].Error.find("a.txt"), std::string::npos);
    EXPECT_EQ(events[3].Error, "");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 2); // no temporary left
}

TEST(FileReplacer, RewritingKeepsPermissionBits)
{
    TTempDir dir;
    std::vector<std::string> paths = {dir.Write("a.sh", "echo a")};
    ::chmod(paths[0].c_str(), 0751);
    std::vector<std::string> pages = {"WIN"};
    TFileMaskedReplacer r("a", "b", paths, pages, EncodingNone);
    RunFiles(r);
    struct stat st { };
    ASSERT_EQ(::stat(paths[0].c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0751u);
    EXPECT_EQ(TTempDir::Read(paths[0]), "echo b");
    // No temporary file is left behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
}

TEST(FileReplacer, AStopInsideAFileLeavesItAsItWas)
{
    TTempDir dir;
    std::string text(5000, 'a');
    std::vector<std::string> paths = {dir.Write("a.txt", text), dir.Write("b.txt", text)};
    std::vector<std::string> pages = {"WIN", "WIN"};
    TFileMaskedReplacer r("a", "b", paths, pages, EncodingNone);
    std::vector<TFileEvent> events;
    r.OnProgress = [&](TMaskedReplacer& x) {
        auto& f = static_cast<TFileMaskedReplacer&>(x);
        events.push_back({f.FileIndex(), f.GetPosition(), f.ReplaceCount(), f.FileError()});
        // Whatever a backup does at the start of a file: here it moves it away.
        if (f.GetPosition() == 0)
            std::filesystem::rename(paths[f.FileIndex()], paths[f.FileIndex()] + "_");
    };
    ASSERT_TRUE(r.Start());
    while (events.size() < 3)
        r.Step();
    r.SetReplaceCount(0);
    bool finishedInLastNotification = true;
    r.OnProgress = [&](TMaskedReplacer& x) {
        finishedInLastNotification = x.Finished();
        events.push_back({r.FileIndex(), x.GetPosition(), x.ReplaceCount(), r.FileError()});
    };
    r.EndRun();
    EXPECT_FALSE(finishedInLastNotification);
    EXPECT_EQ(TTempDir::Read(paths[0]), text);
    EXPECT_EQ(TTempDir::Read(paths[0] + "_"), text);
    EXPECT_EQ(TTempDir::Read(paths[1]), text);
    EXPECT_EQ(events.back().File, 0u);
}

TEST(FileNameReplacer, RenamesTheNamePartOnly)
{
    TTempDir dir;
    std::vector<std::string> paths = {dir.Write("x.txt.d/b.txt", "1"), dir.Write("x.txt.d/c.txt", "2")};
    std::vector<std::string> pages = {"WIN", "WIN"};
    TFileNameMaskedReplacer r(".txt", ".bak", paths, pages, EncodingNone);
    std::vector<std::string> names;
    r.OnProgress = [&](TMaskedReplacer& x) {
        auto& f = static_cast<TFileNameMaskedReplacer&>(x);
        if (x.GetPosition() > x.Size() && !f.Finished())
            names.push_back(f.NewName() + "|" + std::to_string(f.ReplaceCount()));
    };
    r.Run();
    EXPECT_EQ(names, (std::vector<std::string>{"b.bak|1", "c.bak|1"}));
    EXPECT_EQ(TTempDir::Read(dir.Path("x.txt.d/b.bak")), "1");
    EXPECT_EQ(TTempDir::Read(dir.Path("x.txt.d/c.bak")), "2");
    EXPECT_FALSE(TTempDir::Exists(paths[0]));
}

TEST(FileNameReplacer, NamesThatCannotBeGivenAreKept)
{
    TTempDir dir;
    auto run = [](const std::string& search, const std::string& replace, std::vector<std::string> paths) {
        std::vector<std::string> pages(paths.size(), "WIN");
        TFileNameMaskedReplacer r(search, replace, paths, pages, EncodingNone);
        std::vector<std::string> outcomes;
        r.OnProgress = [&](TMaskedReplacer& x) {
            auto& f = static_cast<TFileNameMaskedReplacer&>(x);
            if (x.GetPosition() > x.Size() && !f.Finished())
                outcomes.push_back(f.NewName() + "|" + std::to_string(f.ReplaceCount()) + "|" +
                    (f.FileError().empty() ? "ok" : "kept"));
        };
        r.Run();
        return outcomes;
    };
    // Both become a.txt: the first gets it, the second keeps its name.
    EXPECT_EQ(run("\\9", "", {dir.Write("a1.txt", "1"), dir.Write("a2.txt", "2")}),
        (std::vector<std::string>{"a.txt|1|ok", "a2.txt|0|kept"}));
    EXPECT_EQ(TTempDir::Read(dir.Path("a.txt")), "1");
    EXPECT_EQ(TTempDir::Read(dir.Path("a2.txt")), "2");
    // No name at all, or a name with a "/", is never given.
    EXPECT_EQ(run("x.txt", "", {dir.Write("x.txt", "3")}), (std::vector<std::string>{"x.txt|0|kept"}));
    EXPECT_EQ(run("y", "../", {dir.Write("y.txt", "4")}), (std::vector<std::string>{"y.txt|0|kept"}));
    EXPECT_EQ(run("z.txt", "..", {dir.Write("z.txt", "4")}), (std::vector<std::string>{"z.txt|0|kept"}));
    // A name WIN cannot hold is not searched.
    EXPECT_EQ(run("txt", "doc", {dir.Write("日本.txt", "5")}), (std::vector<std::string>{"日本.txt|0|kept"}));
    EXPECT_TRUE(TTempDir::Exists(dir.Path("日本.txt")));
    EXPECT_TRUE(TTempDir::Exists(dir.Path("y.txt")));
}

TEST(FileNameReplacer, RussianNamesAndTheirCodePage)
{
    TTempDir dir;
    // On disk names are UTF-8; the replacer sees them in WIN.
    std::vector<std::string> paths = {dir.Write("отчёт.txt", "1")};
    std::vector<std::string> pages = {"WIN"};
    TFileNameMaskedReplacer r(W("отчёт"), W("Итог"), paths, pages, EncodingNone);
    r.Run();
    EXPECT_EQ(TTempDir::Read(dir.Path("Итог.txt")), "1");
}

namespace {

std::string Utf(const std::string& s) { return s; } // the test's own text is UTF-8

} // namespace

// A UTF-8 file is replaced in, with or without its byte-order mark and with
// its own line breaks, and stays UTF-8; each page's file goes into UTF-8
// whole.
TEST(FileReplacer, Utf8FilesAreReplacedInAndRecodedInto)
{
    TTempDir dir;
    const std::string bom(Utf8Bom);
    std::vector<std::string> paths = {dir.Write("lf.txt", Utf("Привет, мир\nмир\n")),
        dir.Write("bom.txt", bom + Utf("мир\r\nМир\r\n")), dir.Write("koi.txt", InPage("мир", EncodingKoi))};
    std::vector<std::string> pages = {"UTF", "UTF", "KOI"};
    TFileMaskedReplacer r(W("мир"), W("свет\\n"), paths, pages, EncodingUtf);
    const std::vector<TFileEvent> events = RunFiles(r);
    EXPECT_EQ(TTempDir::Read(paths[0]), Utf("Привет, свет\n\nсвет\n\n"));
    EXPECT_EQ(TTempDir::Read(paths[1]), bom + Utf("свет\r\n\r\nМир\r\n"));
    EXPECT_EQ(TTempDir::Read(paths[2]), Utf("свет\n"));
    for (const TFileEvent& e : events)
        EXPECT_EQ(e.Error, "");

    // Into a byte page: what the target holds goes, "─" included.
    std::vector<std::string> one = {dir.Write("box.txt", bom + Utf("мир ─"))};
    std::vector<std::string> utf = {"UTF"};
    TFileMaskedReplacer toKoi(W("мир"), W("МИР"), one, utf, EncodingKoi);
    RunFiles(toKoi);
    EXPECT_EQ(TTempDir::Read(one[0]), InPage("МИР", EncodingKoi) + " \x80");
}

// A UTF-8 text the engine's page cannot hold, or one that is not UTF-8,
// is left byte for byte, with the reason.
TEST(FileReplacer, Utf8FilesThatCannotGoStayWhole)
{
    TTempDir dir;
    const std::string emoji = Utf("мир 😀 мир");
    const std::string broken = "\xCF\xF0\xE8\xE2\xE5\xF2"; // WIN marked UTF-8 by hand
    std::vector<std::string> paths = {dir.Write("emoji.txt", emoji), dir.Write("win.txt", broken)};
    std::vector<std::string> pages = {"UTF", "UTF"};
    TFileMaskedReplacer r(W("мир"), W("свет"), paths, pages, EncodingNone);
    const std::vector<TFileEvent> events = RunFiles(r);
    EXPECT_EQ(TTempDir::Read(paths[0]), emoji);
    EXPECT_EQ(TTempDir::Read(paths[1]), broken);
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[0].Error, Utf("Символа «😀» (U+1F600, строка 1, позиция 5) нет в WIN: текст оставлен как есть"));
    EXPECT_EQ(
        events[1].Error, "Неверная последовательность UTF-8 (строка 1, позиция 1, байт 1): текст оставлен как есть");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 2);
}

// Files of several result pieces: the new contents are exact wherever the
// first difference falls, and a file whose result equals it stays the same
// file, whatever its page.
TEST(FileReplacer, LargeFilesAreWrittenInPiecesOnlyWhenChanged)
{
    TTempDir dir;
    std::string prose;
    while (prose.size() < 3 * TMaskedReplacer::ResultPieceSize + 999)
        prose += Utf("мир и слово 12\r\n");
    const std::string win = W(prose);
    const std::string bom(Utf8Bom);
    const auto inode = [](const std::string& path) {
        struct stat st { };
        ::stat(path.c_str(), &st);
        return st.st_ino;
    };
    const struct {
        std::string Name, Bytes, Page, Search, Replace;
        int Target;
        std::string Expected; // empty: unchanged, the same file
    } cases[] = {
        {"tail.txt", win + "x", "WIN", "x", "yy", -1, win + "yy"},
        {"shorter.txt", win + "zz", "WIN", "zz", "", -1, win},
        {"same.txt", win, "WIN", W("мир"), W("мир"), -1, ""},
        {"bom.txt", bom + prose, "UTF", W("слово"), W("дело"), -1, bom + Utf(ReplaceAll(prose, "слово", "дело"))},
        {"utfsame.txt", bom + prose, "UTF", W("мир"), W("мир"), -1, ""},
        {"tokoi.txt", prose, "UTF", "12", "3", EncodingKoi, InPage(ReplaceAll(prose, "12", "3"), EncodingKoi)},
        {"fromkoi.txt", InPage(prose, EncodingKoi), "KOI", "", "", EncodingUtf, prose},
        // UTF-8 into KOI that comes out as the same bytes: left alone.
        {"ascii.txt", std::string(3 * TMaskedReplacer::ResultPieceSize, 'a'), "UTF", "zzz", "y", EncodingKoi, ""},
        {"empty.txt", "", "UTF", "zzz", "y", EncodingKoi, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        std::vector<std::string> paths = {dir.Write(c.Name, c.Bytes)};
        std::vector<std::string> pages = {c.Page};
        const auto before = inode(paths[0]);
        TFileMaskedReplacer r(c.Search, c.Replace, paths, pages, c.Target);
        const std::vector<TFileEvent> events = RunFiles(r);
        ASSERT_FALSE(events.empty());
        EXPECT_EQ(events.back().Error, "");
        EXPECT_TRUE(TTempDir::Read(paths[0]) == (c.Expected.empty() ? c.Bytes : c.Expected));
        if (c.Expected.empty()) {
            EXPECT_EQ(inode(paths[0]), before);
        }
        std::filesystem::remove(paths[0]);
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 0); // no temporary left
    }
}
