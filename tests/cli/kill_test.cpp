// tekstovar-cli ended from outside: killed outright at random moments, or
// stopped by SIGINT and SIGTERM; and what the next run or restore finds.
#include "clitest.h"

#include <climits>
#include <cmath>
#include <map>
#include <random>
#include <set>

namespace tekstovar {
namespace {

constexpr unsigned Seed = 20261208;
constexpr int KillsPerMode = 25;

bool IsTemporary(const fs::path& path) { return path.filename().string().starts_with(".tekstovar-"); }

// WIN text of about `size` bytes, CR LF lines, with numbers or without.
std::string Text(std::size_t size, bool numbers, std::mt19937& random)
{
    static const std::string prose = Utf8ToWin(Prose);
    std::string text;
    while (text.size() < size) {
        text += prose.substr(random() % 200, 150 + random() % 300);
        if (numbers)
            text += std::to_string(random() % 1000);
        text += "\r\n";
    }
    return text;
}

class CliKillTest : public CliTest {
protected:
    void SetUp() override
    {
        CliTest::SetUp();
        // Kills test the order of the steps, not the disk: on tmpfs a sync
        // costs nothing, and many runs fit in a few seconds.
        std::error_code error;
        if (fs::is_directory("/dev/shm", error) && ::access("/dev/shm", W_OK) == 0) {
            fs::remove_all(Dir);
            Dir = fs::path("/dev/shm") / Dir.filename();
            fs::remove_all(Dir, error);
            ASSERT_TRUE(fs::create_directories(Dir));
        }
    }

    const std::vector<std::string> Masks = {"-s", "\\+9", "-r", "<\\+1>", "--from", "WIN"};
    std::vector<std::string> Files; // as the binary names them
    std::map<std::string, std::string> Original;
    std::map<std::string, std::string> Expected;
    std::string Root; // empty: backups beside the files

    pid_t Start(const std::vector<std::string>& args)
    {
        const int in = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
        const pid_t pid = CliTest::Start(args, in, Dir / "stdout.bin", Dir / "stderr.bin");
        ::close(in);
        return pid;
    }

    // Files of a few KB to 200 KB in a few directories, a third without a
    // number; the expected results come from a whole run over a copy.
    void MakeTree(int count, std::mt19937& random)
    {
        const char* directories[] = {"", "a/", "b/", "b/c/"};
        for (int i = 0; i < count; ++i) {
            const std::string name = std::string("tree/") + directories[i % 4] + "f" + std::to_string(i) + ".txt";
            const auto size = static_cast<std::size_t>(std::exp(std::uniform_real_distribution(7.0, 12.2)(random)));
            Make(name, Original[P(name)] = Text(size, i % 3 != 0, random));
            Files.push_back(P(name));
        }
        fs::copy(Dir / "tree", Dir / "expected", fs::copy_options::recursive);
        std::vector<std::string> args = Masks;
        args.push_back(P("expected"));
        const TRun run = Run(args);
        ASSERT_EQ(run.Status, 0) << run.Err;
        for (const std::string& file : Files)
            Expected[file] = ReadBytes(P("expected") + file.substr(P("tree").size()));
        fs::remove_all(Dir / "expected");
    }

    std::string BackupOf(const std::string& file) const
    {
        if (!Root.empty())
            return Root + file; // the absolute path mirrored below the root
        std::string backup = file;
        backup.back() = '_';
        return backup;
    }

    // Every file old or new, every backup whole, nothing else but (if
    // allowed) temporaries. Returns the files that have a backup; changed
    // counts the files holding their result.
    std::set<std::string> CheckTree(bool temporaries, int& changed)
    {
        std::map<std::string, std::string> owners;
        for (const std::string& file : Files)
            owners[BackupOf(file)] = file;
        std::set<std::string> backedUp;
        changed = 0;
        std::vector<fs::path> places = {Dir / "tree"};
        if (!Root.empty() && fs::exists(Root))
            places.push_back(Root);
        for (const fs::path& place : places)
            for (const auto& entry : fs::recursive_directory_iterator(place)) {
                if (entry.is_directory())
                    continue;
                const std::string path = entry.path().string();
                const std::string bytes = ReadBytes(path);
                if (IsTemporary(path))
                    EXPECT_TRUE(temporaries) << "temporary left: " << path;
                else if (Original.contains(path)) {
                    EXPECT_TRUE(bytes == Original[path] || bytes == Expected[path]) << "neither old nor new: " << path;
                    changed += bytes != Original[path];
                } else if (owners.contains(path)) {
                    EXPECT_TRUE(bytes == Original[owners[path]]) << "backup incomplete: " << path;
                    backedUp.insert(owners[path]);
                } else
                    ADD_FAILURE() << "unexpected file: " << path;
            }
        return backedUp;
    }

    // Restore brings every byte back and leaves neither backups nor
    // temporaries; files without a backup are reported and left alone.
    void RestoreAndCheck(const std::set<std::string>& backedUp)
    {
        std::vector<std::string> args = {"--restore"};
        if (!Root.empty())
            args.insert(args.end(), {"--backup-root", Root});
        args.push_back(P("tree"));
        const TRun restore = Run(args);
        EXPECT_EQ(restore.Status, backedUp.size() == Files.size() ? 0 : 3) << restore.Err;
        const auto restored = Lines(restore.Out);
        EXPECT_EQ(std::set<std::string>(restored.begin(), restored.end()), backedUp);
        int changed = 0;
        EXPECT_TRUE(CheckTree(false, changed).empty()) << "backups left after the restore";
        EXPECT_EQ(changed, 0) << "files not brought back";
    }
};

TEST_F(CliKillTest, KilledRunsLeaveOldOrNewFilesAndWholeBackupsThatRestoreEveryByte)
{
    std::mt19937 random(Seed);
    ASSERT_NO_FATAL_FAILURE(MakeTree(300, random));
    for (const std::string root : {"", "root"}) {
        Root = root.empty() ? "" : P(root);
        std::vector<std::string> args = Masks;
        if (Root.empty())
            args.push_back("--backup");
        else
            args.insert(args.end(), {"--backup-root", Root});
        args.push_back(P("tree"));

        // A whole run first: it passes the checks, and it tells how long a
        // run takes, so that the kills spread over all of it.
        const auto begin = std::chrono::steady_clock::now();
        const TRun whole = Run(args);
        const auto length =
            std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - begin);
        ASSERT_EQ(whole.Status, 0) << whole.Err;
        int changed = 0;
        RestoreAndCheck(CheckTree(false, changed));
        ASSERT_EQ(changed, 200);

        int midway = 0;
        for (int kill = 0; kill < KillsPerMode && !HasFailure(); ++kill) {
            const auto delay = std::chrono::microseconds(random() % (length.count() + 1));
            SCOPED_TRACE("seed " + std::to_string(Seed) + (Root.empty() ? ", backups beside" : ", backup root") +
                ", kill " + std::to_string(kill) + " after " + std::to_string(delay.count()) + " us");
            const pid_t pid = Start(args);
            ASSERT_GT(pid, 0);
            std::this_thread::sleep_for(delay);
            ::kill(pid, SIGKILL);
            WaitFor(pid);
            const std::set<std::string> backedUp = CheckTree(true, changed);
            midway += changed > 0 && changed < 200;
            RestoreAndCheck(backedUp);
        }
        // Otherwise the kills all fell before or after the run, proving nothing.
        EXPECT_GT(midway, 0) << (Root.empty() ? "backups beside" : "backup root");
    }
}

TEST_F(CliKillTest, StopSignalsLeaveTheFileUnderWayAsItWas)
{
    std::mt19937 random(Seed);
    // Big files after a small one: the signal comes once the small one is
    // done and falls in one of them, whichever the machine's speed.
    const std::string big = Text(16 << 20, true, random);
    const std::string result = Run(Masks, big).Out;
    ASSERT_NE(result, big);
    for (const int signal : {SIGINT, SIGTERM}) {
        SCOPED_TRACE(signal);
        fs::remove_all(Dir / "s");
        std::vector<std::string> args = Masks;
        args.insert(args.end(), {"--backup", P("s/first.txt")});
        for (const char* name : {"s/big1.txt", "s/big2.txt", "s/big3.txt"}) {
            Make(name, big);
            args.push_back(P(name));
        }
        Make("s/first.txt", "n=1");
        const pid_t pid = Start(args);
        ASSERT_GT(pid, 0);
        const auto limit = std::chrono::steady_clock::now() + 10s;
        while (ReadBytes(Dir / "s/first.txt") == "n=1" && std::chrono::steady_clock::now() < limit)
            std::this_thread::sleep_for(200us);
        ::kill(pid, signal);
        const int status = WaitFor(pid);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 128 + signal);
        const std::string err = ReadBytes(Dir / "stderr.bin");
        EXPECT_NE(err.find("tekstovar-cli: interrupted\n"), std::string::npos) << err;
        EXPECT_TRUE(Lines(err).back().starts_with("replacements: ")) << err;

        EXPECT_EQ(ReadBytes(Dir / "s/first.txt"), "n=<2>");
        EXPECT_EQ(ReadBytes(Dir / "s/big3.txt"), big) << "the signal came too late to stop the run";
        for (const char* name : {"s/big1.txt", "s/big2.txt"}) {
            const std::string now = ReadBytes(Dir / name);
            EXPECT_TRUE(now == big || now == result) << name;
            const std::string stopped = P(name) + ": stopped, left as it was";
            EXPECT_TRUE(err.find(stopped) == std::string::npos || now == big) << name << " was stopped yet written";
        }
        for (const auto& entry : fs::directory_iterator(Dir / "s"))
            EXPECT_FALSE(IsTemporary(entry.path())) << entry.path();
    }
}

// A temporary of a run killed outright goes with the next run that writes
// beside it; one whose process lives may be under way and stays.
TEST_F(CliKillTest, StaleTemporariesGoWithTheNextRun)
{
    std::ifstream limit("/proc/sys/kernel/pid_max");
    long long pidMax = 0;
    limit >> pidMax;
    ASSERT_GT(pidMax, 0);
    ASSERT_LE(pidMax, INT_MAX);
    const std::string dead = ".tekstovar-" + std::to_string(pidMax) + "-123"; // no process has this pid
    const std::string alive = ".tekstovar-" + std::to_string(::getpid()) + "-456";
    Make("d/" + dead, "partial");
    Make("d/" + alive, "under way");
    Make("d/a.txt", "1");
    Make("root" + P("d/" + dead), "partial");

    const TRun run = Run({"-s", "1", "-r", "2", "--backup-root", P("root"), P("d/a.txt")});
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(ReadBytes(Dir / "d/a.txt"), "2");
    EXPECT_FALSE(fs::exists(Dir / "d" / dead));
    EXPECT_FALSE(fs::exists(P("root") + P("d/" + dead)));
    EXPECT_EQ(ReadBytes(Dir / "d" / alive), "under way");
}

} // namespace
} // namespace tekstovar
