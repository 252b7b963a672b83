// What a run over files must never do to a user's files: rewrite what did not
// change, lose a backup, keep a stale one in place of its own, work on one
// file twice, or touch what is not a regular file.
#include "encodings/codepages.h"
#include "encodings/recode.h"
#include "filerun/filerun.h"
#include "platform/fileio.h"
#include "platform/winunicode.h"
#include "support/addressspace.h"
#include "support/fullfile.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace tekstovar;
using namespace tekstovar::test;

namespace {

namespace fs = std::filesystem;

struct TStat {
    ino_t Inode = 0;
    timespec Modified{};
    nlink_t Links = 0;
};

TStat StatOf(const std::string& path)
{
    struct stat st { };
    EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
    return {st.st_ino, st.st_mtim, st.st_nlink};
}

// Every file below dir (relative path -> bytes), links not followed.
std::map<std::string, std::string> Tree(const std::string& dir)
{
    std::map<std::string, std::string> tree;
    for (const auto& entry : fs::recursive_directory_iterator(dir))
        if (!entry.is_directory() || entry.is_symlink())
            tree[fs::relative(entry.path(), dir).string()] =
                entry.is_symlink() ? "-> " + fs::read_symlink(entry.path()).string() : TTempDir::Read(entry.path());
    return tree;
}

// A run over listed files with the window's kind of backups (keys of its own).
struct TListRun {
    std::vector<char> Keys;
    std::vector<TRunFile> Files;
    TListRun(const std::vector<std::string>& paths, const std::vector<std::string>& pages) : Keys(paths.size())
    {
        for (std::size_t i = 0; i < paths.size(); ++i)
            Files.push_back({paths[i], pages[i], &Keys[i]});
    }
    const TFileRun& Run(TRunBackups& backups, TFileRunOptions options, const std::vector<TMaskPair>& steps)
    {
        options.Steps = steps;
        Last = std::make_unique<TFileRun>(Files, options, backups);
        Last->Run();
        return *Last;
    }
    std::unique_ptr<TFileRun> Last;
};

} // namespace

// Each file writes its own line break for "\n"; one without any gets LF.
TEST(FileRunSafety, EachFileWritesItsOwnLineBreak)
{
    TTempDir dir;
    const std::vector<std::string> paths = {dir.Write("lf.txt", "a;b\nc"), dir.Write("crlf.txt", "a;b\r\nc"),
        dir.Write("cr.txt", "a;b\rc"), dir.Write("none.txt", "a;b")};
    TRunBackups backups;
    TFileRun run({{paths[0], "WIN"}, {paths[1], "WIN"}, {paths[2], "WIN"}, {paths[3], "WIN"}},
        {.Steps = {{";", "\\n"}}}, backups);
    run.Run();
    EXPECT_EQ(TTempDir::Read(paths[0]), "a\nb\nc");
    EXPECT_EQ(TTempDir::Read(paths[1]), "a\r\nb\r\nc");
    EXPECT_EQ(TTempDir::Read(paths[2]), "a\rb\rc");
    EXPECT_EQ(TTempDir::Read(paths[3]), "a\nb");
}

// Names are searched as names, in WIN, whatever the page of the contents,
// and recoding never recodes a name.
TEST(FileRunSafety, NamesAreReplacedAsNames)
{
    TTempDir dir;
    std::string koi = Utf8ToWin("вложенный текст");
    RecodeString(koi, EncodingWin, EncodingKoi);
    const std::vector<std::string> paths = {dir.Write("файл_lf.txt", koi), dir.Write("вложенный.txt", koi)};
    TRunBackups backups;
    TFileRun run({{paths[0], "KOI"}, {paths[1], "DOS"}},
        {.Steps = {{"lf", Utf8ToWin("лф")}, {Utf8ToWin("вложенный"), Utf8ToWin("найденный")}},
            .Names = true,
            .Target = EncodingMac},
        backups);
    run.Run();
    EXPECT_EQ(run.Outcomes()[0].NewName, "файл_лф.txt");
    EXPECT_EQ(run.Outcomes()[1].NewName, "найденный.txt");
    EXPECT_EQ(TTempDir::Read(dir.Path("файл_лф.txt")), koi); // contents untouched
    EXPECT_EQ(run.Outcomes()[0].Encoding, "KOI");
}

// A file whose result equals its bytes keeps its inode, time and links, and
// gets no backup; changed ones are backed up right before their first write.
TEST(FileRunSafety, NothingIsRewrittenOrBackedUpThatDidNotChange)
{
    TTempDir dir;
    const std::string same = dir.Write("same.txt", "xyz 123"), changed = dir.Write("changed.txt", "abc");
    fs::create_hard_link(same, dir.Path("same-link.txt"));
    const TStat before = StatOf(same);
    ::usleep(20000);
    TRunBackups backups;
    TListRun list({same, changed}, {"WIN", "WIN"});
    // Recoding ASCII changes no byte either.
    const TFileRun& run = list.Run(backups, {.Target = EncodingKoi, .Backup = true}, {{"a", "b"}, {"q", "w"}});
    const TStat after = StatOf(same);
    EXPECT_EQ(after.Inode, before.Inode);
    EXPECT_EQ(after.Modified.tv_nsec, before.Modified.tv_nsec);
    EXPECT_EQ(after.Links, 2u);
    EXPECT_FALSE(TTempDir::Exists(dir.Path("same.tx_")));
    EXPECT_EQ(TTempDir::Read(dir.Path("changed.tx_")), "abc");
    EXPECT_FALSE(run.Outcomes()[0].Changed);
    EXPECT_TRUE(run.Outcomes()[1].Changed);
    EXPECT_EQ(run.Outcomes()[0].Encoding, "KOI"); // all it holds is in KOI as it is
}

// Clears the way for backups once the second step is over.
struct TUnblockAfterStep : TFileRunEvents {
    std::string Blocker;
    void StepDone(int step, bool) override
    {
        std::error_code ignored;
        if (step == 1 && !Blocker.empty())
            std::filesystem::remove(Blocker, ignored);
    }
};

// The first step does nothing to a file, the second changes it: its backup
// is made then, and holds the state before the run. A file whose backup
// cannot be made is changed by no later step either, even once it could be.
TEST(FileRunSafety, BackupsComeRightBeforeTheFirstChange)
{
    for (const bool root : {false, true}) {
        SCOPED_TRACE(root);
        TTempDir dir;
        const std::vector<std::string> paths = {dir.Write("d/a.txt", "one"), dir.Write("e/b.txt", "two")};
        TUnblockAfterStep unblock;
        if (root) // b.txt's backup directory cannot be made: a file stands in the way
            unblock.Blocker = dir.Write("bak" + dir.Path("e"), "in the way");
        TRunBackups backups;
        TListRun list(paths, {"WIN", "WIN"});
        TFileRun run(list.Files,
            {.Steps = {{"", ""}, {"o", "0"}, {"t", "T"}}, .Backup = true, .BackupRoot = root ? dir.Path("bak") : ""},
            backups, &unblock);
        run.Run();
        EXPECT_EQ(TTempDir::Read(paths[0]), "0ne");
        EXPECT_EQ(TTempDir::Read(paths[1]), root ? "two" : "Tw0");
        EXPECT_EQ(run.Outcomes()[1].Error.empty(), !root);
        for (std::size_t i = 0; i < paths.size(); ++i)
            EXPECT_EQ(backups.Restore(&list.Keys[i], false, paths[i]).Error, "");
        EXPECT_EQ(Tree(dir.Path("d")), (std::map<std::string, std::string>{{"a.txt", "one"}}));
        EXPECT_EQ(Tree(dir.Path("e")), (std::map<std::string, std::string>{{"b.txt", "two"}}));
    }
}

// Backups an earlier session left are neither restored in place of this
// run's nor destroyed; only this run's backup goes with "Удалить".
TEST(FileRunSafety, StaleBackupsStayAndNeverStandInForThisRunsBackup)
{
    TTempDir dir;
    const std::string a = dir.Write("a.txt", "before"), a2 = dir.Write("a.txy", "other");
    dir.Write("a.tx_", "stale");
    TRunBackups backups;
    TListRun list({a, a2}, {"WIN", "WIN"});
    list.Run(backups, {.Backup = true}, {{"e", "E"}});
    EXPECT_EQ(TTempDir::Read(a), "bEforE");
    EXPECT_EQ(TTempDir::Read(dir.Path("a.tx_")), "stale");
    backups.Erase(&list.Keys[1], false); // a.txy's own backup, not a.txt's nor the stale one
    EXPECT_EQ(backups.Restore(&list.Keys[0], false, a).Error, "");
    EXPECT_EQ(Tree(dir.Path()),
        (std::map<std::string, std::string>{{"a.tx_", "stale"}, {"a.txt", "before"}, {"a.txy", "othEr"}}));

    // Asked to overwrite, the stale one gives way, once the new one exists,
    // but never another file's backup of this run.
    list.Run(backups, {.Backup = true, .OverwriteBackup = true}, {{"r", "R"}});
    EXPECT_EQ(TTempDir::Read(dir.Path("a.tx_")), "before");
    for (std::size_t i = 0; i < 2; ++i)
        backups.Restore(&list.Keys[i], false, list.Files[i].Path);
    EXPECT_EQ(Tree(dir.Path()), (std::map<std::string, std::string>{{"a.txt", "before"}, {"a.txy", "othEr"}}));
}

// A write that fails leaves the file as it was and takes its backup back.
TEST(FileRunSafety, AFailedWriteLeavesNoBackup)
{
    TTempDir dir;
    const std::string a = dir.Write("a.txt", std::string(100, 'a'));
    TRunBackups backups;
    TListRun list({a}, {"WIN"});
    TFileSizeLimit full(4096);
    const TFileRun& run = list.Run(backups, {.Backup = true}, {{"a", std::string(100, 'b')}});
    EXPECT_FALSE(run.Outcomes()[0].Error.empty());
    EXPECT_EQ(Tree(dir.Path()), (std::map<std::string, std::string>{{"a.txt", std::string(100, 'a')}}));
    EXPECT_FALSE(backups.ContentBackup.Holds(&list.Keys[0]));
    EXPECT_FALSE(backups.EncodingBackup.Holds(&list.Keys[0]));
}

// A restore that cannot put the backup back deletes nothing and keeps the
// entry for a later try.
TEST(FileRunSafety, ARestoreThatFailsKeepsFileAndBackup)
{
    TTempDir dir;
    const std::string a = dir.Write("a.txt", "old");
    TRunBackups backups;
    TListRun list({a}, {"WIN"});
    list.Run(backups, {.Backup = true}, {{"old", "new"}});
    // Something that cannot be replaced by a file took the file's place.
    fs::remove(a);
    dir.Write("a.txt/inside", "kept");
    const auto outcome = backups.Restore(&list.Keys[0], false, a);
    EXPECT_NE(outcome.Error.find("a.txt"), std::string::npos);
    EXPECT_TRUE(backups.ContentBackup.Holds(&list.Keys[0]));
    EXPECT_EQ(TTempDir::Read(dir.Path("a.txt/inside")), "kept");
    EXPECT_EQ(TTempDir::Read(dir.Path("a.tx_")), "old");
    fs::remove_all(a);
    EXPECT_EQ(backups.Restore(&list.Keys[0], false, a).Error, "");
    EXPECT_EQ(Tree(dir.Path()), (std::map<std::string, std::string>{{"a.txt", "old"}}));
}

// Undo and accept of what has no backup are answered "nothing to do" and
// touch nothing; no caller has to catch a missing key.
TEST(RunBackups, WhatWasNotBackedUpIsNothingToDo)
{
    TTempDir dir;
    const std::string a = dir.Write("a.txt", "old");
    TRunBackups backups;
    TListRun list({a}, {"WIN"});
    list.Run(backups, {.Backup = true}, {{"old", "new"}});
    const void* key = &list.Keys[0];
    EXPECT_TRUE(backups.Holds(key, false));
    EXPECT_FALSE(backups.Holds(key, true));
    EXPECT_FALSE(backups.Restore(key, true, a).Held);
    EXPECT_FALSE(backups.Erase(key, true).Held);
    EXPECT_EQ(Tree(dir.Path()), (std::map<std::string, std::string>{{"a.txt", "new"}, {"a.tx_", "old"}}));
    EXPECT_TRUE(backups.Erase(key, false).Held);
    EXPECT_FALSE(backups.Holds(key, false));

    // The clipboard's text comes back with its code page, once.
    int clipboard = 0;
    EXPECT_FALSE(backups.RestoreClipboard(&clipboard).Held);
    EXPECT_FALSE(backups.EraseClipboard(&clipboard));
    backups.ClipboardBackup.Backup(&clipboard, "before", false);
    backups.EncodingBackup.Backup(&clipboard, "DOS", false);
    const auto restored = backups.RestoreClipboard(&clipboard);
    EXPECT_TRUE(restored.Held);
    EXPECT_EQ(restored.Text, "before");
    EXPECT_EQ(restored.Encoding, "DOS");
    EXPECT_FALSE(backups.RestoreClipboard(&clipboard).Held);
    backups.ClipboardBackup.Backup(&clipboard, "again", false);
    backups.EncodingBackup.Backup(&clipboard, "KOI", false);
    EXPECT_TRUE(backups.EraseClipboard(&clipboard));
    EXPECT_FALSE(backups.ClipboardBackup.Holds(&clipboard) || backups.EncodingBackup.Holds(&clipboard));
}

// One file named several ways is worked on once; a link is worked on
// through, the link stays; what is not a regular file is never opened.
TEST(FileRunSafety, OneFileOnceLinksThroughSpecialFilesNever)
{
    TTempDir dir;
    const std::string a = dir.Write("d/a.txt", "a");
    fs::create_symlink("d/a.txt", dir.Path("link.txt"));
    const std::string fifo = dir.Path("fifo.txt");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string relative = fs::relative(a, fs::current_path()).string();
    TRunBackups backups;
    TListRun list(
        {a, dir.Path("d/./a.txt"), dir.Path("link.txt"), relative, fifo}, {"WIN", "WIN", "WIN", "WIN", "WIN"});
    const TFileRun& run = list.Run(backups, {.Backup = true}, {{"a", "aa"}});
    EXPECT_EQ(TTempDir::Read(a), "aa");
    EXPECT_TRUE(fs::is_symlink(dir.Path("link.txt")));
    EXPECT_EQ(run.Outcomes()[0].Count, 1);
    for (std::size_t i = 1; i < 5; ++i)
        EXPECT_FALSE(run.Outcomes()[i].Error.empty()) << i;
    EXPECT_TRUE(fs::is_fifo(fifo));

    // Through the link alone: the target is rewritten and backed up.
    TListRun linked({dir.Path("link.txt")}, {"WIN"});
    linked.Run(backups, {.Backup = true}, {{"aa", "b"}});
    EXPECT_EQ(TTempDir::Read(a), "b");
    EXPECT_EQ(fs::read_symlink(dir.Path("link.txt")), "d/a.txt");
    backups.Restore(&linked.Keys[0], false, dir.Path("link.txt"));
    EXPECT_EQ(TTempDir::Read(a), "aa");
    EXPECT_TRUE(fs::is_symlink(dir.Path("link.txt")));
}

// Where the file system refuses the atomic rename that never replaces, a
// names run still renames, and still never replaces.
TEST(FileRunSafety, RenamesWithoutTheAtomicNoReplace)
{
    for (const TRenameFallback fallback : {TRenameFallback::Link, TRenameFallback::CheckThenRename}) {
        TTempDir dir;
        const std::vector<std::string> paths = {dir.Write("a1.txt", "1"), dir.Write("a2.txt", "2")};
        ForceRenameFallbackForTests(fallback);
        TRunBackups backups;
        TFileRun run({{paths[0], "WIN"}, {paths[1], "WIN"}}, {.Steps = {{"\\9", ""}}, .Names = true}, backups);
        run.Run();
        ForceRenameFallbackForTests(TRenameFallback::None);
        EXPECT_EQ(Tree(dir.Path()), (std::map<std::string, std::string>{{"a.txt", "1"}, {"a2.txt", "2"}}));
        EXPECT_FALSE(run.Outcomes()[1].Error.empty());
    }
}

// A file too large for memory is left alone with its reason; the run goes on.
// One whose result alone would not fit is written all the same.
TEST(FileRunSafety, AFileTooLargeForMemoryIsSkipped)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer's allocator aborts instead of failing";
#endif
    TTempDir dir;
    const std::string big = dir.Write("big.txt", std::string(16 << 20, 'a'));
    const std::string small = dir.Write("small.txt", "a");
    // In a child, with `room` bytes of address space left: a limit must not
    // reach the tests.
    const auto runWithRoom = [&](std::size_t room, const std::string& expectedError) {
        const pid_t child = ::fork();
        if (child == 0) {
            LeaveAddressSpace(room);
            TRunBackups backups;
            TFileRun run({{big, "WIN"}, {small, "WIN"}}, {.Steps = {{"a", "bbbbbbbbbb"}}}, backups);
            run.Run();
            const std::string& error = run.Outcomes()[0].Error;
            const bool ok = (expectedError.empty() ? error.empty() : error.find(expectedError) != std::string::npos) &&
                run.Outcomes()[1].Error.empty() && TTempDir::Read(small) == "bbbbbbbbbb";
            ::_exit(ok ? 0 : 1);
        }
        int status = 0;
        return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    };
    // The text cannot be read: the file is left, the run goes on.
    EXPECT_TRUE(runWithRoom(8u << 20, "памяти"));
    EXPECT_EQ(fs::file_size(big), 16u << 20);
    EXPECT_EQ(TTempDir::Read(big).substr(0, 4), "aaaa");
    // The text fits, its 160 MB result would not: it goes to the file in
    // pieces as it is made.
    dir.Write("small.txt", "a");
    EXPECT_TRUE(runWithRoom(96u << 20, ""));
    EXPECT_EQ(fs::file_size(big), 160u << 20);
    EXPECT_EQ(TTempDir::Read(big).substr(0, 10), "bbbbbbbbbb");
}

// Undoing a rename whose copy has vanished keeps the renamed file, even when
// another file has taken the old name meanwhile.
TEST(FileRunSafety, ANamesUndoWithoutItsCopyDeletesNothing)
{
    TTempDir dir;
    const std::string a = dir.Write("a.txt", "renamed");
    TRunBackups backups;
    TListRun list({a}, {"WIN"});
    const TFileRun& run = list.Run(backups, {.Names = true, .Backup = true}, {{"a", "b"}});
    ASSERT_EQ(run.Outcomes()[0].Current, dir.Path("b.txt"));
    std::filesystem::remove(dir.Path("a.tx_"));
    dir.Write("a.txt", "new one");
    const auto outcome = backups.Restore(&list.Keys[0], true, run.Outcomes()[0].Current);
    EXPECT_EQ(outcome.Path, dir.Path("b.txt"));
    EXPECT_EQ(Tree(dir.Path()), (std::map<std::string, std::string>{{"a.txt", "new one"}, {"b.txt", "renamed"}}));
}
