// What a run over files may and may not do to them: the same bytes as over
// standard input, nothing rewritten without a change, one backup path for one
// file, one pass over one file however it is named, links worked on through,
// and no device or pipe touched.
#include "clitest.h"

#include <sys/stat.h>

namespace tekstovar {
namespace {

class CliSafetyTest : public CliTest { };

TEST_F(CliSafetyTest, FileAndStandardInputGiveTheSameBytes)
{
    for (const char* brk : {"\n", "\r\n", "\r", ""}) {
        const std::string text = Utf8ToWin("кот;пёс" + std::string(brk) + "ёж;уж" + brk);
        for (const std::vector<std::string>& to : {std::vector<std::string>{}, {"--to", "KOI"}}) {
            SCOPED_TRACE(testing::PrintToString(text) + (to.empty() ? "" : " to KOI"));
            std::vector<std::string> args = {"-s", ";", "-r", "x\\ny", "--from", "WIN"};
            args.insert(args.end(), to.begin(), to.end());
            const TRun piped = Run(args, text);
            EXPECT_EQ(piped.Status, 0);
            EXPECT_NE(piped.Out, text);
            Make("t.txt", text);
            args.push_back(P("t.txt"));
            EXPECT_EQ(Run(args).Status, 0);
            EXPECT_EQ(ReadBytes(Dir / "t.txt"), piped.Out);
        }
    }
}

TEST_F(CliSafetyTest, UnchangedFilesAreNotRewrittenNorBackedUp)
{
    const fs::path same = Make("u/same.txt", "no number here");
    Make("u/changed.txt", "n=1");
    fs::last_write_time(same, fs::last_write_time(same) - 24h * 3650);
    const auto mtime = fs::last_write_time(same);
    struct stat before { };
    ASSERT_EQ(::stat(same.c_str(), &before), 0);
    for (const std::vector<std::string>& backup :
        {std::vector<std::string>{"--backup"}, {"--backup-root", P("root")}}) {
        SCOPED_TRACE(backup.back());
        std::vector<std::string> args = {"-s", "\\+9", "-r", "\\+1"};
        args.insert(args.end(), backup.begin(), backup.end());
        args.push_back(P("u"));
        const TRun run = Run(args);
        EXPECT_EQ(run.Status, 0) << run.Err;
        struct stat after { };
        ASSERT_EQ(::stat(same.c_str(), &after), 0);
        EXPECT_EQ(after.st_ino, before.st_ino);
        EXPECT_EQ(fs::last_write_time(same), mtime);
        EXPECT_FALSE(fs::exists(Dir / "u/same.tx_"));
        EXPECT_FALSE(fs::exists(P("root") + same.string()));
    }
    // What did change got its backups, so the runs did back files up.
    EXPECT_EQ(ReadBytes(Dir / "u/changed.tx_"), "n=1");
    EXPECT_EQ(ReadBytes(P("root") + P("u/changed.txt")), "n=2");
}

TEST_F(CliSafetyTest, OneBackupPathHoldsOneFile)
{
    // a.txt and a.txy both map to a.tx_ beside them: the second stays as it is.
    Make("b/a.txt", "AAA1");
    Make("b/a.txy", "BBB1");
    const TRun beside = Run({"-s", "1", "-r", "2", "--backup", P("b/a.txt"), P("b/a.txy")});
    EXPECT_EQ(beside.Status, 3);
    EXPECT_NE(beside.Err.find(P("b/a.txy")), std::string::npos) << beside.Err;
    EXPECT_EQ(ReadBytes(Dir / "b/a.txt"), "AAA2");
    EXPECT_EQ(ReadBytes(Dir / "b/a.txy"), "BBB1");
    EXPECT_EQ(ReadBytes(Dir / "b/a.tx_"), "AAA1");

    // Below a root the absolute path is mirrored: two relative a.txt from
    // different directories never meet.
    for (const char* d : {"r1", "r2"}) {
        Make(std::string(d) + "/a.txt", std::string(d) + " 1");
        Cwd = Dir / d;
        EXPECT_EQ(Run({"-s", "1", "-r", "2", "--backup-root", P("root"), "a.txt"}).Status, 0);
    }
    for (const char* d : {"r1", "r2"}) {
        SCOPED_TRACE(d);
        EXPECT_EQ(ReadBytes(P("root") + P(std::string(d) + "/a.txt")), std::string(d) + " 1");
        Cwd = Dir / d;
        EXPECT_EQ(Run({"--restore", "--backup-root", P("root"), "a.txt"}).Status, 0);
        EXPECT_EQ(ReadBytes(Dir / d / "a.txt"), std::string(d) + " 1");
    }
    Cwd.clear();

    // A root of "/" would make every file its own backup: refused, unchanged.
    Make("s.txt", "1");
    const TRun slash = Run({"-s", "1", "-r", "2", "--backup-root", "/", P("s.txt")});
    EXPECT_EQ(slash.Status, 3);
    EXPECT_NE(slash.Err.find(P("s.txt")), std::string::npos) << slash.Err;
    EXPECT_EQ(ReadBytes(Dir / "s.txt"), "1");
}

// Beside the files, a.txt and a.txy share a.tx_: which one it holds is
// known to no one, so neither takes it; it stays for the user.
TEST_F(CliSafetyTest, RestoreNeverPutsAnotherFilesBackupIntoAFile)
{
    Make("a.txt", "AAA1");
    Make("a.txy", "BBB1");
    Run({"-s", "1", "-r", "2", "--backup", P("a.txt"), P("a.txy")});
    const TRun refused = Run({"--restore", P("a.txy"), P("a.txt")});
    EXPECT_EQ(refused.Status, 3);
    EXPECT_NE(refused.Err.find(P("a.tx_")), std::string::npos) << refused.Err;
    EXPECT_EQ(ReadBytes(Dir / "a.txy"), "BBB1");
    EXPECT_EQ(ReadBytes(Dir / "a.txt"), "AAA2");
    EXPECT_EQ(ReadBytes(Dir / "a.tx_"), "AAA1");
    fs::remove(Dir / "a.txy");
    EXPECT_EQ(Run({"--restore", P("a.txt")}).Status, 0);
    EXPECT_EQ(ReadBytes(Dir / "a.txt"), "AAA1");
}

TEST_F(CliSafetyTest, LinksAndSpellingsLeadToOneFile)
{
    // Named four ways, the file is replaced in once: each "a" doubled once.
    Make("d/a.txt", "a-a");
    fs::create_symlink("d/a.txt", Dir / "ln.txt");
    Cwd = Dir;
    const TRun once = Run({"-s", "a", "-r", "aa", "d/a.txt", "./d/a.txt", P("d/a.txt"), "ln.txt"});
    EXPECT_EQ(once.Status, 0) << once.Err;
    EXPECT_EQ(once.Out, "d/a.txt\t2\n");
    EXPECT_EQ(ReadBytes(Dir / "d/a.txt"), "aa-aa");
    Cwd.clear();

    // A link's target is rewritten and backed up; the link stays a link.
    Make("d/t.txt", "tgt");
    fs::create_symlink("t.txt", Dir / "d/l.txt");
    const auto isLinkToTarget = [&] {
        return fs::is_symlink(Dir / "d/l.txt") && fs::read_symlink(Dir / "d/l.txt") == "t.txt";
    };
    const TRun run = Run({"-s", "t", "-r", "T", "--backup", P("d/l.txt")});
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_TRUE(isLinkToTarget());
    EXPECT_EQ(ReadBytes(Dir / "d/t.txt"), "TgT");
    EXPECT_EQ(ReadBytes(Dir / "d/t.tx_"), "tgt");
    EXPECT_FALSE(fs::exists(fs::symlink_status(Dir / "d/l.tx_")));
    const TRun restore = Run({"--restore", P("d/l.txt")});
    EXPECT_EQ(restore.Status, 0) << restore.Err;
    EXPECT_TRUE(isLinkToTarget());
    EXPECT_EQ(ReadBytes(Dir / "d/t.txt"), "tgt");
    EXPECT_FALSE(fs::exists(Dir / "d/t.tx_"));
}

TEST_F(CliSafetyTest, PipesAndDevicesAreRefusedAtOnce)
{
    Limit = 5s; // a run blocked on the pipe fails instead of hanging
    Make("p/ok.txt", "a");
    ASSERT_EQ(::mkfifo(P("p/pipe.txt").c_str(), 0600), 0);
    const TRun run = Run({"-s", "a", "-r", "b", "--backup", P("p/pipe.txt"), P("p/ok.txt")});
    EXPECT_EQ(run.Status, 3);
    EXPECT_NE(run.Err.find(P("p/pipe.txt")), std::string::npos) << run.Err;
    EXPECT_EQ(ReadBytes(Dir / "p/ok.txt"), "b");
    EXPECT_TRUE(fs::is_fifo(Dir / "p/pipe.txt"));
    EXPECT_FALSE(fs::exists(Dir / "p/pipe.tx_"));

    // Nor does a restore put a file in a pipe's place.
    Make("p/pipe.tx_", "x");
    EXPECT_EQ(Run({"--restore", P("p/pipe.txt")}).Status, 3);
    EXPECT_TRUE(fs::is_fifo(Dir / "p/pipe.txt"));
    EXPECT_EQ(ReadBytes(Dir / "p/pipe.tx_"), "x");

    // /dev/null holds nothing a mask could match, so even a faulty run would
    // not write there; it must be refused all the same.
    struct stat before { };
    ASSERT_EQ(::stat("/dev/null", &before), 0);
    const bool stray = fs::exists("/dev/nul_");
    const TRun null = Run({"-s", "a", "-r", "b", "--from", "WIN", "--backup", "/dev/null"});
    EXPECT_EQ(null.Status, 3);
    EXPECT_NE(null.Err.find("/dev/null"), std::string::npos) << null.Err;
    struct stat after { };
    ASSERT_EQ(::stat("/dev/null", &after), 0);
    EXPECT_TRUE(S_ISCHR(after.st_mode));
    EXPECT_EQ(after.st_rdev, before.st_rdev);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_TRUE(stray || !fs::exists("/dev/nul_"));
}

} // namespace
} // namespace tekstovar
