#include "backups/filebackup.h"
#include "backups/filenamebackup.h"
#include "backups/stringbackup.h"
#include "filetest.h"

#include <gtest/gtest.h>

#include <string>

namespace tekstovar {
namespace {

using testing::ErrorOf;

TEST(StringBackupTest, KeepsAnyTextUntilOverwritten)
{
    std::string allBytes;
    for (int i = 0; i < 256; ++i)
        allBytes += static_cast<char>(i);
    int empty = 0, bytes = 0, big = 0;
    TStringBackup store;
    store.Backup(&empty, "", false);
    store.Backup(&bytes, allBytes, false);
    store.Backup(&big, "KOI", false);
    store.Backup(&big, "DOS", false);
    EXPECT_EQ(store.StoredText(&big), "KOI");
    store.Backup(&big, std::string(1 << 20, '\xE0'), true);
    EXPECT_EQ(store.Restore(&bytes), allBytes);
    EXPECT_EQ(store.Restore(&empty), "");
    EXPECT_EQ(store.Restore(&big), std::string(1 << 20, '\xE0'));
    EXPECT_THROW(store.Restore(&bytes), TMissingKeyError); // restoring forgets
    store.Backup(&bytes, "WIN", false); // and the next backup starts anew
    EXPECT_EQ(store.StoredText(&bytes), "WIN");
}

using UnknownKeyTest = testing::FileTest;

TEST_F(UnknownKeyTest, ThrowsBeforeAnythingChanges)
{
    int kept = 0, unknown = 0;
    TStringBackup strings;
    strings.Backup(&kept, "text", false);
    EXPECT_EQ(ErrorOf([&] { strings.StoredText(&unknown); }), "List index out of bounds (-1)");
    EXPECT_THROW(strings.Forget(&unknown), TMissingKeyError);
    EXPECT_EQ(strings.StoredText(&kept), "text");

    Write(Dir + "a.txt", "current");
    Write(Dir + "a.tx_", "backup");
    TFileBackup content;
    TFileNameBackup names;
    for (TBackup* store :
        {static_cast<TBackup*>(&strings), static_cast<TBackup*>(&content), static_cast<TBackup*>(&names)}) {
        EXPECT_THROW(store->Restore(&unknown), TMissingKeyError);
        EXPECT_THROW(store->Erase(&unknown), TMissingKeyError);
    }
    EXPECT_EQ(Tree(), (testing::TTree{{"a.txt", "current"}, {"a.tx_", "backup"}}));
    EXPECT_EQ(strings.StoredText(&kept), "text");
}

} // namespace
} // namespace tekstovar
