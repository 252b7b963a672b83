// tekstovar-cli over files and directories: contents and names, backups and
// restore, scenarios, the log, and files that cannot be processed.
#include "clitest.h"

namespace tekstovar {
namespace {

class CliFileTest : public CliTest { };

TEST_F(CliFileTest, ContentsOfADirectoryTree)
{
    Make("tree/a.txt", "a1 b22");
    Make("tree/sub/b.txt", "7");
    Make("tree/.hidden/c.txt", "8");
    Make("tree/d.dat", "9");
    Make("tree/e.TXT", "10");
    const TRun run = Run({"-s", "\\+9", "-r", "<\\+1>", P("tree")});
    EXPECT_EQ(run.Status, 0) << run.Err;
    // The subdirectory's files first, then the directory's own; masks ignore case.
    EXPECT_EQ(run.Out, P("tree/sub/b.txt") + "\t1\n" + P("tree/a.txt") + "\t2\n" + P("tree/e.TXT") + "\t1\n");
    EXPECT_EQ(run.Err, "replacements: 4\n");
    EXPECT_EQ(ReadBytes(Dir / "tree/a.txt"), "a<2> b<23>");
    EXPECT_EQ(ReadBytes(Dir / "tree/.hidden/c.txt"), "8");
    EXPECT_EQ(ReadBytes(Dir / "tree/d.dat"), "9");

    const TRun masked = Run({"-s", "9", "-r", "x", "--masks", "*.dat", P("tree")});
    EXPECT_EQ(masked.Out, P("tree/d.dat") + "\t1\n");
}

TEST_F(CliFileTest, EachFileInItsOwnCodePageAndRecoded)
{
    Make("koi.txt", InPage("Кот и кот", EncodingKoi));
    Make("dos.txt", InPage("кот", EncodingDos));
    const TRun run = Run({"-s", "кот", "-r", "пёс", "--to", "WIN", P("koi.txt"), P("dos.txt")});
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(ReadBytes(Dir / "koi.txt"), Utf8ToWin("Кот и пёс"));
    EXPECT_EQ(ReadBytes(Dir / "dos.txt"), Utf8ToWin("пёс"));

    // --from overrides detection for every file.
    Make("win.txt", Utf8ToWin("кот"));
    const TRun forced = Run({"-s", "кот", "-r", "x", "--from", "KOI", P("win.txt")});
    EXPECT_EQ(forced.Out, P("win.txt") + "\t0\n");
}

TEST_F(CliFileTest, BackupAndRestore)
{
    for (const std::string root : {"", "bak"}) {
        SCOPED_TRACE(root);
        Make("d/a.txt", "one 1");
        Make("d/b.txt", "two 2");
        std::vector<std::string> extra;
        if (!root.empty())
            extra = {"--backup-root", P(root)};
        auto args = [&](std::vector<std::string> a) {
            a.insert(a.end(), extra.begin(), extra.end());
            a.push_back(P("d"));
            return a;
        };
        const TRun first = Run(args({"-s", "\\+9", "-r", "\\+1", "--backup"}));
        EXPECT_EQ(first.Status, 0) << first.Err;
        EXPECT_EQ(first.Out, P("d/a.txt") + "\t1\n" + P("d/b.txt") + "\t1\n");
        // A second run keeps the first backup unless told to overwrite it.
        EXPECT_EQ(Run(args({"-s", "\\+9", "-r", "\\+1", "--backup"})).Status, 0);
        EXPECT_EQ(ReadBytes(Dir / "d/a.txt"), "one 3");
        const TRun restore = Run(args({"--restore"}));
        EXPECT_EQ(restore.Status, 0) << restore.Err;
        EXPECT_EQ(restore.Out, P("d/a.txt") + "\n" + P("d/b.txt") + "\n");
        EXPECT_EQ(ReadBytes(Dir / "d/a.txt"), "one 1");
        EXPECT_EQ(ReadBytes(Dir / "d/b.txt"), "two 2");

        Run(args({"-s", "\\+9", "-r", "\\+1", "--backup"}));
        Run(args({"-s", "\\+9", "-r", "\\+1", "--backup", "--overwrite-backup"}));
        Run(args({"--restore"}));
        EXPECT_EQ(ReadBytes(Dir / "d/a.txt"), "one 2");

        // Nothing left to restore: reported, the file left alone.
        const TRun none = Run(args({"--restore"}));
        EXPECT_EQ(none.Status, 3);
        EXPECT_NE(none.Err.find("a.txt"), std::string::npos);
        EXPECT_EQ(ReadBytes(Dir / "d/a.txt"), "one 2");
        std::vector<std::string> left;
        for (const auto& entry : fs::recursive_directory_iterator(Dir))
            if (entry.is_regular_file() && entry.path().filename().string().rfind("std", 0) != 0)
                left.push_back(entry.path().filename().string());
        std::sort(left.begin(), left.end());
        EXPECT_EQ(left, (std::vector<std::string>{"a.txt", "b.txt"}));
        fs::remove_all(Dir / "d");
    }
}

TEST_F(CliFileTest, NamesWithBackups)
{
    Make("n/a.txt", "1");
    Make("n/a.bak", "taken");
    Make("n/b.txt", "2");
    const TRun run = Run({"-s", ".txt", "-r", ".bak", "--names", "--backup", P("n")});
    EXPECT_EQ(run.Status, 3); // a.bak exists: a.txt keeps its name
    EXPECT_EQ(run.Out, P("n/b.txt") + "\tb.bak\t1\n");
    EXPECT_NE(run.Err.find("a.txt"), std::string::npos);
    EXPECT_EQ(ReadBytes(Dir / "n/b.bak"), "2");
    EXPECT_EQ(ReadBytes(Dir / "n/a.txt"), "1");
    EXPECT_EQ(ReadBytes(Dir / "n/a.bak"), "taken");
    EXPECT_EQ(ReadBytes(Dir / "n/b.tx_"), "2"); // the copy under the old name's backup path
}

TEST_F(CliFileTest, FilesThatCannotBeProcessedAreNamedAndTheOthersDone)
{
    Make("ok.txt", "aa");
    const TRun run = Run({"-s", "a", "-r", "b", P("missing.txt"), P("ok.txt"), P("no-dir")});
    EXPECT_EQ(run.Status, 3);
    EXPECT_EQ(run.Out, P("ok.txt") + "\t2\n");
    EXPECT_NE(run.Err.find("missing.txt"), std::string::npos);
    EXPECT_NE(run.Err.find("no-dir"), std::string::npos);
    EXPECT_EQ(Lines(run.Err).back(), "replacements: 2");
    EXPECT_EQ(ReadBytes(Dir / "ok.txt"), "bb");

    const TRun bad = Run({"-s", "\\(a", "-r", "b", P("ok.txt")});
    EXPECT_EQ(bad.Status, 1);
    EXPECT_EQ(bad.Out, "");
    EXPECT_EQ(ReadBytes(Dir / "ok.txt"), "bb");
}

TEST_F(CliFileTest, LogInWinWithCrLf)
{
    Make("отчёт.txt", "a1");
    const TRun run = Run({"-s", "\\+9", "-r", "\\+1", "--log", P("run.log"), P("отчёт.txt")});
    EXPECT_EQ(run.Status, 0) << run.Err;
    const std::string log = ReadBytes(Dir / "run.log");
    const auto lines = Lines(log);
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0], "\r");
    EXPECT_EQ(lines[2], Utf8ToWin("Замена В Содержимом Файлов") + "\r");
    EXPECT_EQ(lines[3], Utf8ToWin("Маска Поиска:") + "\\+9\r");
    EXPECT_EQ(lines[5], Utf8ToWin(P("отчёт.txt")) + "\t1\r");
}

TEST_F(CliFileTest, ScenarioOverStandardInputAndOverFiles)
{
    // Two pairs and an odd last line, which is ignored.
    File("steps.QZB", "\\+9\r\n<\\+1>\n<\\+9>\r[\\2]\r\nleft over");
    const TRun text = Run({"--scenario", P("steps.QZB")}, "a1 b2");
    EXPECT_EQ(text.Status, 0) << text.Err;
    EXPECT_EQ(text.Out, "a[2] b[3]");
    EXPECT_EQ(text.Err, "replacements: 4\n");

    Make("s/x.txt", "7");
    const TRun files = Run({"--scenario", P("steps.QZB"), "--backup", P("s")});
    EXPECT_EQ(files.Out, P("s/x.txt") + "\t2\n");
    EXPECT_EQ(ReadBytes(Dir / "s/x.txt"), "[8]");
    Run({"--restore", P("s")});
    EXPECT_EQ(ReadBytes(Dir / "s/x.txt"), "7"); // the state before the first step

    const TRun missing = Run({"--scenario", P("none.QZB")}, "x");
    EXPECT_EQ(missing.Status, 1);

    // A scenario without steps gives the text back as it is.
    File("empty.QZB", "");
    const TRun none = Run({"--scenario", P("empty.QZB")}, "a1 b2");
    EXPECT_EQ(none.Status, 0) << none.Err;
    EXPECT_EQ(none.Out, "a1 b2");
}

// A dry run prints what a run prints and exits as it would, and writes
// nothing: no file, backup, rename or log; a scenario's steps see each
// other's results.
TEST_F(CliFileTest, ADryRunWritesNothing)
{
    Make("a.txt", "a1");
    Make("b.txt", "none");
    Make("c.txt", "");
    const auto stamp = fs::last_write_time(Dir / "a.txt");
    File("steps.QZB", "\\+9\r\n<\\+1>\r\n<\\+9>\r\n[\\2]\r\n");
    const std::vector<std::string> args = {
        "--scenario", P("steps.QZB"), "--backup", "--log", P("run.log"), P("a.txt"), P("b.txt"), P("missing.txt")};
    std::vector<std::string> dry = args;
    dry.insert(dry.begin(), "--dry-run");
    const TRun preview = Run(dry);
    EXPECT_EQ(preview.Out, P("a.txt") + "\t2\n" + P("b.txt") + "\t0\n");
    EXPECT_EQ(preview.Status, 3); // the missing file, as for a real run
    EXPECT_EQ(ReadBytes(Dir / "a.txt"), "a1");
    EXPECT_EQ(fs::last_write_time(Dir / "a.txt"), stamp);
    EXPECT_FALSE(fs::exists(Dir / "run.log"));
    EXPECT_FALSE(fs::exists(Dir / "a.tx_"));

    const TRun real = Run(args);
    EXPECT_EQ(real.Out, preview.Out);
    EXPECT_EQ(real.Status, preview.Status);
    EXPECT_EQ(ReadBytes(Dir / "a.txt"), "a[2]");

    // Names: a new name another file has is refused as the real run would.
    Make("n/x.txt", "1");
    Make("n/y.txt", "2");
    const TRun names = Run({"--dry-run", "--names", "-s", "x.", "-r", "y.", P("n")});
    EXPECT_EQ(names.Status, 3);
    EXPECT_NE(names.Err.find("y.txt"), std::string::npos) << names.Err;
    EXPECT_TRUE(fs::exists(Dir / "n/x.txt"));
    const TRun free = Run({"--dry-run", "--names", "-s", "x.", "-r", "z.", P("n/x.txt")});
    EXPECT_EQ(free.Out, P("n/x.txt") + "\tz.txt\t1\n");
    EXPECT_TRUE(fs::exists(Dir / "n/x.txt"));
    EXPECT_FALSE(fs::exists(Dir / "n/z.txt"));
}

// --diff prints what would change, in UTF-8, naming each side's page.
TEST_F(CliFileTest, DiffOfARecodingRun)
{
    Make("k.txt", Utf8ToWin("один\nдва\nтри\n"));
    const TRun diff = Run({"--diff", "--from", "WIN", "--to", "KOI", "-s", "два", "-r", "2", P("k.txt")});
    EXPECT_EQ(diff.Status, 0) << diff.Err;
    EXPECT_EQ(diff.Out,
        "--- " + P("k.txt") + "\t(WIN)\n+++ " + P("k.txt") + "\t(KOI)\n@@ -1,3 +1,3 @@\n один\n-два\n+2\n три\n");
    EXPECT_EQ(ReadBytes(Dir / "k.txt"), Utf8ToWin("один\nдва\nтри\n"));
    EXPECT_EQ(Run({"--diff", "--names", "-s", "a", P("k.txt")}).Status, 2);
    EXPECT_EQ(Run({"--dry-run", "-s", "a"}, "a").Status, 2);
}

} // namespace
} // namespace tekstovar
