#include "common/error.h"
#include "filerun/filerun.h"
#include "platform/winunicode.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <sys/stat.h>

using namespace tekstovar;
using namespace tekstovar::test;

namespace {

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t at; (at = text.find("\r\n", start)) != std::string::npos; start = at + 2)
        lines.push_back(text.substr(start, at - start));
    EXPECT_EQ(start, text.size()) << "every line ends with CR LF";
    return lines;
}

std::vector<TRunFile> Listed(const std::vector<std::string>& paths, const std::vector<std::string>& encodings)
{
    std::vector<TRunFile> files;
    for (std::size_t i = 0; i < paths.size(); ++i)
        files.push_back({paths[i], encodings[i], nullptr});
    return files;
}

// A run over files listed in these pages, with backups of its own.
struct TRunWith {
    TRunBackups Backups;
    TFileRun Run;
    TRunWith(const std::vector<std::string>& paths, const std::vector<std::string>& encodings,
        const TFileRunOptions& options, TFileRunEvents* events = nullptr)
        : Run(Listed(paths, encodings), options, Backups, events)
    {
    }
};

} // namespace

// What the listing hands to the run: a link stands for the file it leads to,
// so two names of one file are worked on once; what is no regular file, or
// is not there at all, is told apart.
TEST(FileRun, LookingAtAPathGoesThroughLinks)
{
    TTempDir dir;
    const std::string file = dir.Write("a.txt", "x");
    std::filesystem::create_symlink("a.txt", dir.Path("link.txt"));
    std::filesystem::create_symlink("gone.txt", dir.Path("dangling.txt"));
    std::filesystem::create_directory(dir.Path("sub"));

    const TPathFacts plain = LookAtPath(file);
    EXPECT_TRUE(plain.Found && plain.Regular && !plain.Link);
    const TPathFacts link = LookAtPath(dir.Path("link.txt"));
    EXPECT_TRUE(link.Found && link.Regular && link.Link);
    EXPECT_EQ(link.Identity, plain.Identity);
    EXPECT_EQ(RunIdentity(dir.Path("link.txt"), false), plain.Identity);
    EXPECT_FALSE(LookAtPath(dir.Path("dangling.txt")).Found);
    EXPECT_FALSE(LookAtPath(dir.Path("none.txt")).Found);
    const TPathFacts sub = LookAtPath(dir.Path("sub"));
    EXPECT_TRUE(sub.Found && !sub.Regular);
    EXPECT_EQ(RunIdentity(dir.Path("sub"), false), "");
}

TEST(FileRun, LogHasAHeaderPerStepAndALinePerFile)
{
    TTempDir dir;
    std::vector<std::string> paths = {dir.Write("отчёт.txt", "a1 a22"), dir.Write("b.txt", "x")};
    TFileRunOptions options;
    options.LogFile = dir.Path("QZ.Log");
    options.Steps = {{"\\+9", "#"}, {"a", Utf8ToWin("я")}};
    TRunWith with(paths, {"WIN", "WIN"}, options);
    TFileRun& run = with.Run;
    run.Run();
    ASSERT_TRUE(run.AllDone());
    EXPECT_EQ(TTempDir::Read(paths[0]), Utf8ToWin("я# я#"));
    EXPECT_EQ(run.Outcomes()[0].Count, 4);
    EXPECT_EQ(run.Total(), 4);

    auto lines = Lines(TTempDir::Read(options.LogFile));
    ASSERT_EQ(lines.size(), 14u);
    EXPECT_EQ(lines[0], "");
    EXPECT_EQ(lines[1].size(), 19u); // dd.mm.yyyy hh:mm:ss
    EXPECT_EQ(lines[2], Utf8ToWin("Замена В Содержимом Файлов"));
    EXPECT_EQ(lines[3], Utf8ToWin("Маска Поиска:") + "\\+9");
    EXPECT_EQ(lines[4], Utf8ToWin("Маска Замены:") + "#");
    EXPECT_EQ(lines[5], Utf8ToWin(paths[0]) + "\t2");
    EXPECT_EQ(lines[6], paths[1] + "\t0");
    EXPECT_EQ(lines[11], Utf8ToWin("Маска Замены:") + Utf8ToWin("я"));
    EXPECT_EQ(lines[12], Utf8ToWin(paths[0]) + "\t2");

    // A run over no files has nothing to log, not even its header.
    TRunWith none({}, {}, options);
    none.Run.Run();
    EXPECT_EQ(Lines(TTempDir::Read(options.LogFile)).size(), 14u);
}

TEST(FileRun, NamesFollowTheirFileFromStepToStep)
{
    TTempDir dir;
    std::vector<std::string> paths = {dir.Write("a.txt", "1"), dir.Write("z.txt", "2")};
    TFileRunOptions options;
    options.Names = true;
    options.Backup = true;
    options.LogFile = dir.Path("log");
    options.Steps = {{"a", "b"}, {"b", "c"}};
    TRunWith with(paths, {"WIN", "WIN"}, options);
    TFileRun& run = with.Run;
    run.Run();
    EXPECT_EQ(run.Outcomes()[0].NewName, "c.txt");
    EXPECT_EQ(run.Outcomes()[0].Count, 2);
    EXPECT_EQ(run.Outcomes()[1].NewName, "z.txt");
    EXPECT_EQ(TTempDir::Read(dir.Path("c.txt")), "1");
    // The copy taken before the first step keeps the old name's contents.
    EXPECT_EQ(TTempDir::Read(dir.Path("a.tx_")), "1");
    auto lines = Lines(TTempDir::Read(options.LogFile));
    EXPECT_EQ(lines[2], Utf8ToWin("Замена В Именах Файлов"));
    EXPECT_EQ(lines[5], paths[0] + "\tb.txt\t1");
    EXPECT_EQ(lines[12], dir.Path("b.txt") + "\tc.txt\t1");
}

TEST(FileRun, BackupsComeBeforeTheFirstStepOnly)
{
    for (bool root : {false, true}) {
        TTempDir dir;
        std::vector<std::string> paths = {dir.Write("d/a.txt", "one 1"), dir.Write("d/b.txt", "two 2")};
        TFileRunOptions options;
        options.Backup = true;
        options.BackupRoot = root ? dir.Path("bak") : "";
        options.Steps = {{"\\+9", "\\+1"}, {"\\+9", "\\+1"}, {"o", "0"}};
        TRunWith with(paths, {"WIN", "WIN"}, options);
        TFileRun& run = with.Run;
        run.Run();
        EXPECT_EQ(TTempDir::Read(paths[0]), "0ne 3");
        TFixedPathRestore restore(options.BackupRoot);
        for (const auto& path : paths)
            restore.Restore(path);
        EXPECT_EQ(TTempDir::Read(paths[0]), "one 1");
        EXPECT_EQ(TTempDir::Read(paths[1]), "two 2");
        EXPECT_THROW(restore.Restore(paths[0]), TError); // used up
        if (root) {
            EXPECT_TRUE(std::filesystem::is_empty(dir.Path("bak"))); // pruned, the root kept
        }
    }
}

TEST(FileRun, AFileWhoseBackupCannotBeMadeIsLeftAlone)
{
    TTempDir dir;
    std::vector<std::string> paths = {dir.Write("a.txt", "aaa")};
    TFileRunOptions options;
    options.Backup = true;
    options.BackupRoot = dir.Write("not-a-directory", "x"); // nothing can be created below it
    options.Steps = {{"a", "b"}};
    TRunWith with(paths, {"WIN"}, options);
    TFileRun& run = with.Run;
    run.Run();
    EXPECT_EQ(TTempDir::Read(paths[0]), "aaa");
    EXPECT_FALSE(run.AllDone());
    EXPECT_NE(run.Outcomes()[0].Error.find("a.txt"), std::string::npos);
}

TEST(FileRun, AMalformedMaskInAnyStepChangesNothing)
{
    TTempDir dir;
    std::vector<std::string> paths = {dir.Write("a.txt", "aaa")};
    TRunWith with(paths, {"WIN"}, {.Steps = {{"a", "b"}, {"\\(a", "b"}}});
    EXPECT_THROW(with.Run.Run(), TError);
    EXPECT_EQ(TTempDir::Read(paths[0]), "aaa");
}

TEST(FileRun, AnUnwritableLogIsReportedAndTheRunGoesOn)
{
    TTempDir dir;
    std::vector<std::string> paths = {dir.Write("a.txt", "aaa")};
    TFileRunOptions options;
    options.LogFile = dir.Path("no/such/dir/log");
    options.Steps = {{"a", "b"}};
    TRunWith with(paths, {"WIN"}, options);
    TFileRun& run = with.Run;
    run.Run();
    EXPECT_EQ(TTempDir::Read(paths[0]), "bbb");
    EXPECT_FALSE(run.Messages().empty());
    EXPECT_FALSE(run.AllDone());
}

TEST(FileRun, ALogThatIsAPipeWithoutReaderDoesNotHoldTheRunUp)
{
    TTempDir dir;
    std::vector<std::string> paths = {dir.Write("a.txt", "aaa")};
    TFileRunOptions options;
    options.LogFile = dir.Path("log");
    ASSERT_EQ(::mkfifo(options.LogFile.c_str(), 0600), 0);
    options.Steps = {{"a", "b"}};
    TRunWith with(paths, {"WIN"}, options);
    with.Run.Run();
    EXPECT_EQ(TTempDir::Read(paths[0]), "bbb");
    EXPECT_FALSE(with.Run.Messages().empty());
}

// A mask read from a file may hold raw line breaks: the log keeps one line each.
TEST(FileRun, MasksWithLineBreaksStayOneLogLine)
{
    TTempDir dir;
    std::vector<std::string> paths = {dir.Write("a.txt", "a\r\nb")};
    TFileRunOptions options;
    options.LogFile = dir.Path("log");
    options.Steps = {{"a\r\n", "x\ny"}};
    TRunWith with(paths, {"WIN"}, options);
    with.Run.Run();
    EXPECT_EQ(TTempDir::Read(paths[0]), "x\nyb");
    const auto lines = Lines(TTempDir::Read(options.LogFile));
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[3], Utf8ToWin("Маска Поиска:") + "a\\n");
    EXPECT_EQ(lines[4], Utf8ToWin("Маска Замены:") + "x\\ny");
}

// On generated texts and steps, a dry run counts what the real run then
// counts and leaves in its store what the real run writes.
TEST(FileRun, ADryRunAgreesWithTheRunOnGeneratedTexts)
{
    std::mt19937 random(866);
    const std::vector<TMaskPair> pairs = {{"a", "bb"}, {"\\+9", "<\\+1>"}, {"b\\?", ""}, {"\\9\\9", "\\2\\1"},
        {Utf8ToWin("\\-е"), Utf8ToWin("Е")}, {"<\\*>", "()"}};
    TTempDir dir;
    for (int round = 0; round < 40; ++round) {
        std::vector<TRunFile> files;
        for (int f = 0; f < 3; ++f) {
            std::string text;
            const int length = static_cast<int>(random() % 300);
            for (int i = 0; i < length; ++i)
                text += "ab01<>\n \xE5\xC5"[random() % 10];
            files.push_back({dir.Write("f" + std::to_string(f) + ".txt", text), "WIN", nullptr});
        }
        std::vector<TMaskPair> steps;
        for (int s = 0; s < 1 + static_cast<int>(random() % 3); ++s)
            steps.push_back(pairs[random() % pairs.size()]);
        TRunBackups backups;
        TFileRun preview(files, {.Steps = steps, .DryRun = true}, backups);
        ASSERT_TRUE(preview.Run());
        std::vector<std::string> before;
        for (const TRunFile& f : files)
            before.push_back(TTempDir::Read(f.Path));
        TFileRun run(files, {.Steps = steps}, backups);
        ASSERT_TRUE(run.Run());
        for (std::size_t f = 0; f < files.size(); ++f) {
            EXPECT_EQ(preview.Outcomes()[f].Count, run.Outcomes()[f].Count);
            EXPECT_EQ(preview.Outcomes()[f].Changed, run.Outcomes()[f].Changed);
            const auto after = preview.Preview().After.find(files[f].Path);
            EXPECT_EQ(
                after == preview.Preview().After.end() ? before[f] : after->second, TTempDir::Read(files[f].Path));
        }
    }
}
