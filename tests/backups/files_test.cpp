#include "backups/filebackup.h"
#include "backups/filenamebackup.h"
#include "filetest.h"
#include "support/fullfile.h"

#include <gtest/gtest.h>

#include <csignal>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>

namespace tekstovar {
namespace {

namespace fs = std::filesystem;
using FilesTest = testing::FileTest;
using testing::ErrorOf;
using testing::TTree;

ino_t Inode(const std::string& path)
{
    struct stat st { };
    return ::stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

TEST(BackupPathTest, FollowsTheRoot)
{
    TFileBackup store;
    EXPECT_EQ(store.BackupPath("/d/T/a.txt"), "/d/T/a.tx_");
    EXPECT_EQ(store.BackupPath("/d/T/a.tx_"), "/d/T/a.tx__"); // never the file itself
    store.SetRoot("/bak");
    EXPECT_EQ(store.Root(), "/bak/");
    EXPECT_EQ(store.BackupPath("/d/T/a.txt"), "/bak/d/T/a.txt");
    // Spellings of one path share a backup path, and none leads out of the root.
    EXPECT_EQ(store.BackupPath("//d/./T/../T/a.txt"), "/bak/d/T/a.txt");
    EXPECT_EQ(store.BackupPath("/../../etc/passwd"), "/bak/etc/passwd");
    store.SetRoot("/bak/");
    EXPECT_EQ(store.Root(), "/bak/");
    store.SetRoot("");
    EXPECT_EQ(store.BackupPath("/d/a.txt"), "/d/a.tx_");
}

TEST_F(FilesTest, WithoutRootBackupIsASecondNameAndRestoreRenamesBack)
{
    const std::string file = Dir + "a.txt";
    Write(file, "old", 0640);
    const ino_t inode = Inode(file);
    TFileBackup store;
    int key = 0;
    store.Backup(&key, file, false);
    // The file stays at its path until it is replaced: no copying, no gap.
    EXPECT_EQ(Tree(), (TTree{{"a.tx_", "old"}, {"a.txt", "old"}}));
    EXPECT_EQ(Inode(Dir + "a.tx_"), inode);
    EXPECT_EQ(Inode(file), inode);
    Write(file, "new");
    EXPECT_EQ(store.Restore(&key), file);
    EXPECT_EQ(Tree(), (TTree{{"a.txt", "old"}}));
    EXPECT_EQ(Mode(file), 0640u);
}

TEST_F(FilesTest, RootTreeIsCreatedAndPrunedButTheRootStays)
{
    const std::string a = Dir + "src/T/a.txt", b = Dir + "src/U/b.txt", mirror = "bak" + Dir;
    Write(a, "A", 0751);
    Write(b, "B", 0600);
    TFileBackup store;
    store.SetRoot(Dir + "bak");
    int ka = 0, kb = 0;
    store.Backup(&ka, a, false);
    store.Backup(&kb, b, false);
    EXPECT_EQ(Tree(),
        (TTree{
            {mirror + "src/T/a.txt", "A"}, {mirror + "src/U/b.txt", "B"}, {"src/T/a.txt", "A"}, {"src/U/b.txt", "B"}}));
    EXPECT_EQ(Mode(Dir + mirror + "src/T/a.txt"), 0751u);
    Write(a, "A2");
    EXPECT_EQ(store.Restore(&ka), a);
    EXPECT_EQ(Mode(a), 0751u);
    store.Erase(&kb); // accepts the change: the old contents go
    EXPECT_EQ(Tree(), (TTree{{"bak/", ""}, {"src/T/a.txt", "A"}, {"src/U/b.txt", "B"}}));
}

TEST_F(FilesTest, SecondBackupNeedsOverwrite)
{
    const std::string file = Dir + "a.txt";
    Write(file, "v1");
    TFileBackup store;
    int key = 0;
    store.Backup(&key, file, false);
    Write(file, "v2");
    store.Backup(&key, file, false);
    EXPECT_EQ(Tree(), (TTree{{"a.txt", "v2"}, {"a.tx_", "v1"}}));
    store.Backup(&key, file, true);
    EXPECT_EQ(Tree(), (TTree{{"a.tx_", "v2"}, {"a.txt", "v2"}}));
    fs::remove(file);
    store.Backup(&key, file, true); // nothing to take its place: the backup stays
    EXPECT_EQ(Tree(), (TTree{{"a.tx_", "v2"}}));
}

TEST_F(FilesTest, TakenBackupPathIsNeverReplaced)
{
    // An older backup lies in the way: it stays, the new one goes beside it,
    // and a restore brings back the state before this backup.
    const std::string file = Dir + "a.txt";
    Write(Dir + "a.tx_", "older");
    Write(file, "current");
    TFileBackup store;
    int key = 0, otherKey = 0;
    store.Backup(&key, file, false);
    EXPECT_EQ(store.CopyPath(&key), Dir + "a.tx__");
    Write(file, "replaced");
    EXPECT_EQ(store.Restore(&key), file);
    EXPECT_EQ(Tree(), (TTree{{"a.txt", "current"}, {"a.tx_", "older"}}));

    // Two files with one backup path: each gets its own.
    Write(Dir + "a.txx", "other");
    store.Backup(&key, file, false);
    store.Backup(&otherKey, Dir + "a.txx", false);
    EXPECT_EQ(store.CopyPath(&otherKey), Dir + "a.tx___");
    store.Erase(&key); // only this backup goes
    EXPECT_EQ(Tree(), (TTree{{"a.tx_", "older"}, {"a.tx___", "other"}, {"a.txt", "current"}, {"a.txx", "other"}}));

    // Overwrite replaces the older one, once the new one is whole.
    store.Backup(&key, file, true);
    EXPECT_EQ(Read(Dir + "a.tx_"), "current");
}

// Backups found again by path alone: an older one is this file's backup
// unless overwritten, and a path another file's backup holds is refused.
TEST_F(FilesTest, FixedBackupPaths)
{
    const std::string file = Dir + "a.txt";
    Write(Dir + "a.tx_", "older");
    Write(file, "current");
    TFileBackup store;
    store.SetFixedPaths(true);
    int key = 0, otherKey = 0;
    store.Backup(&key, file, false);
    EXPECT_EQ(Tree(), (TTree{{"a.tx_", "older"}, {"a.txt", "current"}}));
    Write(Dir + "a.txy", "other");
    EXPECT_NE(ErrorOf([&] { store.Backup(&otherKey, Dir + "a.txy", false); }).find("a.txy"), std::string::npos);
    EXPECT_FALSE(store.Holds(&otherKey));
    store.Forget(&key);
    store.Backup(&key, file, true);
    EXPECT_EQ(Read(Dir + "a.tx_"), "current");
}

// A symbolic link (to the file itself, or to nothing) or a directory at the
// backup path holds no copy: the backup goes elsewhere, or is refused, and
// never leaves the file's old contents without a copy.
TEST_F(FilesTest, LinksAtTheBackupPathAreNoBackup)
{
    const std::string file = Dir + "a.txt";
    Write(file, "v1");
    fs::create_symlink("a.txt", Dir + "a.tx_");
    TFileBackup store;
    int key = 0;
    store.Backup(&key, file, false);
    // The file rewritten as a run does: a new file renamed over it.
    Write(Dir + "new", "v2");
    fs::rename(Dir + "new", file);
    EXPECT_EQ(store.Restore(&key), file);
    EXPECT_EQ(Read(file), "v1");

    for (const bool dangling : {true, false}) {
        const std::string other = Dir + (dangling ? "b.txt" : "c.txt");
        const std::string backup = Dir + (dangling ? "b.tx_" : "c.tx_");
        Write(other, "old");
        if (dangling)
            fs::create_symlink("nowhere", backup);
        else
            fs::create_directory(backup);
        TFileBackup fixed;
        fixed.SetFixedPaths(true);
        int fixedKey = 0;
        EXPECT_NE(ErrorOf([&] { fixed.Backup(&fixedKey, other, false); }), "");
        EXPECT_FALSE(fixed.Holds(&fixedKey));
    }
}

TEST_F(FilesTest, VanishedBackupIsForgotten)
{
    const std::string file = Dir + "a.txt";
    Write(file, "v1");
    TFileBackup store;
    int key = 0;
    store.Backup(&key, file, false);
    Write(file, "v2");
    fs::remove(Dir + "a.tx_");
    EXPECT_EQ(store.Restore(&key), file);
    EXPECT_EQ(Tree(), (TTree{{"a.txt", "v2"}}));
    EXPECT_THROW(store.StoredText(&key), TMissingKeyError);
    store.Backup(&key, file, false);
    fs::remove(Dir + "a.tx_");
    store.Erase(&key);
    EXPECT_THROW(store.Erase(&key), TMissingKeyError);
}

TEST_F(FilesTest, NameEndingInUnderscoreGetsARealBackup)
{
    const std::string file = Dir + "a.tx_";
    Write(file, "v1");
    TFileBackup content;
    int key = 0;
    content.Backup(&key, file, false);
    EXPECT_EQ(Tree(), (TTree{{"a.tx_", "v1"}, {"a.tx__", "v1"}}));
    Write(file, "v2");
    content.Restore(&key);
    EXPECT_EQ(Tree(), (TTree{{"a.tx_", "v1"}}));

    // A root of "/" mirrors every file onto itself: no step may delete it.
    TFileNameBackup names;
    content.SetRoot("/");
    names.SetRoot("/");
    ASSERT_EQ(content.BackupPath(file), file);
    EXPECT_THROW(content.Backup(&key, file, false), TError); // no backup, so no change
    EXPECT_FALSE(content.Holds(&key));
    names.Backup(&key, file, false);
    EXPECT_EQ(names.CopyPath(&key), file + "_");
    names.Restore(&key);
    names.Backup(&key, file, false);
    names.Erase(&key);
    EXPECT_EQ(Tree(), (TTree{{"a.tx_", "v1"}}));
}

TEST_F(FilesTest, TransferFileMovesOnlyToAFreePlace)
{
    std::string big;
    for (int i = 0; i < 2 * 65536 + 17; ++i)
        big += static_cast<char>(i * 31);
    const std::string source = Dir + "s.bin", oneBlock(65536, 'k');
    Write(source, big, 0604);
    Write(Dir + "taken", "taken");
    TFileBackup store;
    EXPECT_FALSE(store.TransferFile(source, Dir + "taken"));
    EXPECT_TRUE(store.TransferFile(source, Dir + "x/y/s.bin"));
    EXPECT_EQ(Mode(Dir + "x/y/s.bin"), 0604u);
    Write(source, oneBlock);
    EXPECT_TRUE(store.TransferFile(source, Dir + "x/one"));
    Write(source, "s");
    EXPECT_FALSE(store.TransferFile(source, Dir + "taken/sub/t")); // a file where a directory must go
    EXPECT_FALSE(store.TransferFile(Dir + "missing", Dir + "x/m"));
    EXPECT_EQ(Tree(), (TTree{{"s.bin", "s"}, {"taken", "taken"}, {"x/y/s.bin", big}, {"x/one", oneBlock}}));
}

TEST_F(FilesTest, PartlyWrittenCopiesAreRemoved)
{
    const std::string file = Dir + "a.txt", big(300000, 'x');
    Write(file, big);
    TFileBackup content;
    content.SetRoot(Dir + "bak");
    TFileNameBackup names;
    int key = 0;
    std::string contentError, error;
    {
        test::TFileSizeLimit full(100000);
        ASSERT_TRUE(full.Active);
        contentError = ErrorOf([&] { content.Backup(&key, file, false); });
        error = ErrorOf([&] { names.Backup(&key, file, false); });
    }
    EXPECT_EQ(Tree(), (TTree{{"a.txt", big}, {"bak/", ""}}));
    EXPECT_EQ(error, "Не удаётся создать файл " + Dir + "a.tx_");
    EXPECT_THROW(names.StoredText(&key), TMissingKeyError);
    // A content backup that cannot be made is refused, so that the caller
    // leaves the file alone rather than rewrite its only copy.
    EXPECT_EQ(contentError, "Не удаётся сохранить резервную копию " + file + " в " + Dir + "bak" + file);
    EXPECT_THROW(content.StoredText(&key), TMissingKeyError);
}

TEST_F(FilesTest, PruningStopsAtTheRootAndStaysInside)
{
    const std::string root = Dir + "bak/";
    Write(root + "d/e/f", "1");
    Write(root + "d/g", "2");
    TFileBackup store;
    store.SetRoot(root);
    EXPECT_TRUE(store.DeleteAndPrune(root + "d/e/f"));
    EXPECT_EQ(Tree(), (TTree{{"bak/d/g", "2"}}));
    EXPECT_TRUE(store.DeleteAndPrune(root + "d/g"));
    EXPECT_FALSE(store.DeleteAndPrune(root + "d/g"));
    EXPECT_EQ(Tree(), (TTree{{"bak/", ""}}));

    // Never outside the root, not even through a link inside it.
    Write(Dir + "outside/sub/f", "3");
    Write(Dir + "plain/sub/f", "4");
    fs::create_directory_symlink(Dir + "outside", root + "link");
    EXPECT_TRUE(store.DeleteAndPrune(root + "link/sub/f"));
    EXPECT_TRUE(store.DeleteAndPrune(Dir + "plain/sub/f"));
    EXPECT_EQ(Tree(), (TTree{{"outside/sub/", ""}, {"plain/sub/", ""}}));
}

TEST_F(FilesTest, NameRestoreAfterRenamePutsACopyBack)
{
    const std::string a = Dir + "a.txt", b = Dir + "b.txt";
    Write(a, "old", 0640);
    TFileNameBackup names;
    int key = 0;
    names.Backup(&key, a, false);
    EXPECT_EQ(Tree(), (TTree{{"a.txt", "old"}, {"a.tx_", "old"}}));
    fs::rename(a, b);
    Write(b, "edited");
    EXPECT_EQ(names.Restore(&key), a);
    EXPECT_EQ(Tree(), (TTree{{"a.txt", "old"}, {"b.txt", "edited"}})); // b.txt is the caller's to remove
    EXPECT_EQ(Mode(a), 0640u);

    const std::string none = Dir + "none.txt";
    EXPECT_EQ(ErrorOf([&] { names.Backup(&key, none, false); }), "Не удаётся открыть файл " + none);
    names.SetRoot(a); // a file, not a directory
    EXPECT_EQ(ErrorOf([&] { names.Backup(&key, b, false); }), "Не удаётся создать файл " + a + b);
    EXPECT_THROW(names.StoredText(&key), TMissingKeyError);
    names.SetRoot("");
    names.Backup(&key, b, false); // the failures left no trace in the store
    EXPECT_EQ(names.StoredText(&key), b);
}

TEST_F(FilesTest, NameOverwriteReplacesOnlyItsOwnCopy)
{
    const std::string a = Dir + "a.txt", b = Dir + "b.txt";
    Write(a, "v1");
    TFileNameBackup names;
    int key = 0;
    names.Backup(&key, a, false);
    fs::rename(a, b);
    Write(b, "v2");
    names.Backup(&key, b, false);
    EXPECT_EQ(Tree(), (TTree{{"a.tx_", "v1"}, {"b.txt", "v2"}}));
    names.Backup(&key, b, true);
    EXPECT_EQ(names.StoredText(&key), b);
    EXPECT_EQ(Tree(), (TTree{{"b.tx_", "v2"}, {"b.txt", "v2"}}));
    Write(b, "v3");
    names.Backup(&key, b, true); // the new copy is made before the old one goes
    EXPECT_EQ(Tree(), (TTree{{"b.tx__", "v3"}, {"b.txt", "v3"}}));
    names.Erase(&key);
    EXPECT_EQ(Tree(), (TTree{{"b.txt", "v3"}}));
}

// Content and name stores on one file, in both orders, with and without a
// root: neither destroys the other's backup, and restoring gives the right
// bytes.
TEST_F(FilesTest, ContentAndNameBackupsOfOneFileBothSurvive)
{
    for (const std::string& root : {std::string(), Dir + "bak"}) {
        SCOPED_TRACE(root);
        const std::string a = Dir + "a.txt", b = Dir + "b.txt";
        TFileBackup content;
        TFileNameBackup names;
        content.SetRoot(root);
        names.SetRoot(root);
        const std::string backup = content.BackupPath(a).substr(Dir.size());
        TTree restored{{"a.txt", "v1"}};
        if (!root.empty())
            restored["bak/"] = "";
        int key = 0;

        Write(a, "v1");
        content.Backup(&key, a, false);
        Write(a, "v2");
        names.Backup(&key, a, false);
        fs::rename(a, b);
        EXPECT_EQ(Tree(), (TTree{{backup, "v1"}, {backup + "_", "v2"}, {"b.txt", "v2"}}));
        EXPECT_EQ(names.Restore(&key), a);
        fs::remove(b);
        EXPECT_EQ(Read(a), "v2");
        EXPECT_EQ(content.Restore(&key), a);
        EXPECT_EQ(Tree(), restored);

        names.Backup(&key, a, false);
        content.Backup(&key, a, false); // the path is taken: the next one serves
        Write(a, "v2");
        EXPECT_EQ(Tree(), (TTree{{backup, "v1"}, {backup + "_", "v1"}, {"a.txt", "v2"}}));
        EXPECT_EQ(content.Restore(&key), a);
        EXPECT_EQ(names.Restore(&key), a);
        EXPECT_EQ(Tree(), restored);
        fs::remove(a);
        fs::remove_all(Dir + "bak");
    }
}

} // namespace
} // namespace tekstovar
