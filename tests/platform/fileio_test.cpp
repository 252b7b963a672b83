#include "platform/fileio.h"
#include "platform/pathparts.h"

#include "support/errorof.h"
#include "support/fullfile.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

namespace tekstovar {
namespace {

using test::ErrorOf;
using test::TTempDir;
using TNames = std::set<std::string>;
namespace fs = std::filesystem;

#if defined(__SANITIZE_ADDRESS__)
constexpr bool Sanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool Sanitized = true;
#else
constexpr bool Sanitized = false;
#endif
#else
constexpr bool Sanitized = false;
#endif

// A read that blocks ends the test run here instead of at the CTest timeout.
struct TNoHang {
    TNoHang() { ::alarm(30); }
    ~TNoHang() { ::alarm(0); }
};

mode_t Mode(const std::string& path)
{
    struct stat st { };
    EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
    return st.st_mode & 07777;
}

std::string LinkOf(const std::string& path)
{
    std::error_code error;
    return fs::read_symlink(path, error).string();
}

TNames Names(const std::string& directory)
{
    TNames names;
    for (const auto& entry : fs::directory_iterator(directory))
        names.insert(entry.path().filename().string());
    return names;
}

TNames Temporaries(const std::string& directory)
{
    TNames found;
    for (const std::string& name : Names(directory))
        if (name.starts_with(".tekstovar-"))
            found.insert(name);
    return found;
}

std::map<std::string, std::string> Attributes(const std::string& path)
{
    std::map<std::string, std::string> found;
    std::string names(4096, '\0');
    const ssize_t size = ::listxattr(path.c_str(), names.data(), names.size());
    for (std::size_t at = 0; size > 0 && at < static_cast<std::size_t>(size); at = names.find('\0', at) + 1) {
        std::string value(4096, '\0');
        const ssize_t length = ::getxattr(path.c_str(), names.c_str() + at, value.data(), value.size());
        value.resize(length < 0 ? 0 : static_cast<std::size_t>(length));
        found[names.c_str() + at] = value;
    }
    return found;
}

// Whether the user nobody could open the file for reading (root only).
bool NobodyCanRead(const std::string& path)
{
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(2);
        ::_exit(::open(path.c_str(), O_RDONLY) >= 0 ? 1 : 0);
    }
    int status = 0;
    EXPECT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) != 2) << "could not become nobody";
    return WIFEXITED(status) && WEXITSTATUS(status) == 1;
}

std::string NotRegular(const char* what, const std::string& path)
{
    return std::string(what) + " " + path + ": это не обычный файл";
}

TEST(ReadFile, RefusesWhatIsNotARegularFileWithoutBlocking)
{
    TNoHang guard;
    TTempDir dir;
    const std::string fifo = dir.Path("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string fifoLink = dir.Path("fifo-link");
    fs::create_symlink("fifo", fifoLink);
    const std::string sub = dir.Path("sub");
    fs::create_directory(sub);
    for (const std::string& path : {fifo, fifoLink, sub, std::string("/dev/null")}) {
        EXPECT_EQ(ErrorOf([&] { ReadFileBytes(path); }), NotRegular("Не удаётся прочитать файл", path));
        EXPECT_EQ(ErrorOf([&] { ReadFileHead(path, 10); }), NotRegular("Не удаётся прочитать файл", path));
    }
    EXPECT_TRUE(fs::is_fifo(fifo));

    fs::create_symlink("text", dir.Path("text-link"));
    dir.Write("text", "abcdef");
    EXPECT_EQ(ReadFileBytes(dir.Path("text-link")), "abcdef");
    EXPECT_EQ(ReadFileHead(dir.Path("text-link"), 4), "abcd");
    const std::string none = dir.Path("none");
    EXPECT_EQ(ErrorOf([&] { ReadFileBytes(none); }), "Не удаётся открыть файл " + none + ": " + std::strerror(ENOENT));

    // Standard input is a pipe and still reads.
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    ASSERT_EQ(::write(ends[1], "piped", 5), 5);
    ::close(ends[1]);
    EXPECT_EQ(ReadDescriptor(ends[0], "standard input"), "piped");
    ::close(ends[0]);
}

TEST(ReadFile, TooLargeForMemoryIsAnError)
{
    if (Sanitized)
        GTEST_SKIP() << "the sanitizer's allocator aborts instead of failing";
    TTempDir dir;
    const std::string big = dir.Write("big", "");
    fs::resize_file(big, 8ull << 30); // sparse: costs no disk
    rlimit limit{};
    ASSERT_EQ(::getrlimit(RLIMIT_AS, &limit), 0);
    const rlimit saved = limit;
    limit.rlim_cur = 4ull << 30; // whatever the process has, far below the file
    ASSERT_EQ(::setrlimit(RLIMIT_AS, &limit), 0);
    const std::string error = ErrorOf([&] { ReadFileBytes(big); });
    ::setrlimit(RLIMIT_AS, &saved);
    EXPECT_EQ(error, "Файл слишком велик для памяти: " + big);
}

TEST(WriteFileReplacing, KeepsLinksAndModes)
{
    TTempDir dir;
    const std::string real = dir.Write("sub/real.txt", "old");
    fs::permissions(real, fs::perms(0640));
    fs::create_symlink("sub/real.txt", dir.Path("link"));
    fs::create_symlink("link", dir.Path("chain"));
    WriteFileReplacing(dir.Path("chain"), "new");
    EXPECT_EQ(LinkOf(dir.Path("chain")), "link");
    EXPECT_EQ(LinkOf(dir.Path("link")), "sub/real.txt");
    EXPECT_EQ(TTempDir::Read(real), "new");
    EXPECT_EQ(Mode(real), 0640u);

    const std::string secret = dir.Write("secret", "old");
    fs::permissions(secret, fs::perms(0600));
    WriteFileReplacing(secret, "new");
    EXPECT_EQ(TTempDir::Read(secret), "new");
    EXPECT_EQ(Mode(secret), 0600u);

    // A link to nowhere yet: the file is made where it points.
    fs::create_symlink("sub/later.txt", dir.Path("dangling"));
    const mode_t umask = ::umask(027);
    WriteFileReplacing(dir.Path("dangling"), "later");
    WriteFileReplacing(dir.Path("fresh"), "fresh");
    ::umask(umask);
    EXPECT_EQ(LinkOf(dir.Path("dangling")), "sub/later.txt");
    EXPECT_EQ(TTempDir::Read(dir.Path("sub/later.txt")), "later");
    EXPECT_EQ(Mode(dir.Path("fresh")), 0640u);

    EXPECT_EQ(Temporaries(dir.Path("sub")), TNames{});
    EXPECT_EQ(Temporaries(dir.Path(".")), TNames{});
}

TEST(WriteFileReplacing, KeepsAttributesAndTakesNoAclFromTheDirectory)
{
    TTempDir dir;
    const std::string file = dir.Write("sub/a.txt", "old");
    fs::permissions(file, fs::perms(0640));
    // A default ACL set after the file was made: only new files inherit it,
    // the temporary one among them. Owner rwx, user 1 rwx, group r-x, mask
    // rwx, others r-x, each entry (tag, permissions, id) little-endian.
    std::string acl = {2, 0, 0, 0};
    const int entries[][3] = {{1, 7, -1}, {2, 7, 1}, {4, 5, -1}, {0x10, 7, -1}, {0x20, 5, -1}};
    for (const auto& [tag, bits, id] : entries)
        acl += {char(tag), 0, char(bits), 0, char(id), char(id >> 8), char(id >> 16), char(id >> 24)};
    if (::setxattr(file.c_str(), "user.test", "kept", 4, 0) != 0 ||
        ::setxattr(dir.Path("sub").c_str(), "system.posix_acl_default", acl.data(), acl.size(), 0) != 0)
        GTEST_SKIP() << "the temporary directory's file system refuses attributes or ACLs: " << std::strerror(errno);
    EXPECT_EQ(WriteFileReplacing(file, "new"), "");
    EXPECT_EQ(TTempDir::Read(file), "new");
    EXPECT_EQ(Mode(file), 0640u);
    EXPECT_EQ(Attributes(file), (std::map<std::string, std::string>{{"user.test", "kept"}}));
    // A file that is new takes the directory's ACL as any new file would.
    WriteFileReplacing(dir.Path("sub/new.txt"), "new");
    EXPECT_TRUE(Attributes(dir.Path("sub/new.txt")).contains("system.posix_acl_access"));
}

TEST(WriteFileReplacing, RefusesWhatIsNotARegularFile)
{
    TTempDir dir;
    const std::string fifo = dir.Path("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string fifoLink = dir.Path("fifo-link");
    fs::create_symlink("fifo", fifoLink);
    const std::string sub = dir.Path("sub");
    fs::create_directory(sub);
    TNames names{"fifo", "fifo-link", "sub"};
    std::vector<std::string> paths{fifo, fifoLink, sub};
    // A device node of its own (root only): a fault here must not replace
    // one of the system's.
    const std::string device = dir.Path("device");
    if (::mknod(device.c_str(), S_IFCHR | 0600, ::makedev(1, 3)) == 0) {
        names.insert("device");
        paths.push_back(device);
    }
    for (const std::string& path : paths)
        EXPECT_EQ(ErrorOf([&] { WriteFileReplacing(path, "x"); }), NotRegular("Не удаётся записать файл", path));
    EXPECT_TRUE(fs::is_fifo(fifo));
    EXPECT_EQ(LinkOf(fifoLink), "fifo");
    EXPECT_TRUE(fs::is_directory(sub));
    EXPECT_TRUE(!names.contains("device") || fs::is_character_file(device));
    EXPECT_EQ(Names(dir.Path(".")), names);
}

TEST(WriteFileReplacing, AFailedWriteLeavesTheOldFile)
{
    TTempDir dir;
    const std::string file = dir.Write("a.txt", "old");
    std::string error;
    {
        test::TFileSizeLimit full(1000);
        ASSERT_TRUE(full.Active);
        error = ErrorOf([&] { WriteFileReplacing(file, std::string(5000, 'x')); });
    }
    EXPECT_EQ(error, "Не удаётся записать файл " + file + ": " + std::strerror(EFBIG));
    EXPECT_EQ(TTempDir::Read(file), "old");
    EXPECT_EQ(Names(dir.Path(".")), TNames{"a.txt"});
}

TEST(TempFile, IsPrivateUntilCommittedAndGoesUnlessCommitted)
{
    TTempDir dir;
    fs::permissions(dir.Path(), fs::perms(0755)); // others may look in, so only the file's mode keeps them out
    const std::string target = dir.Path("t.txt");
    {
        const mode_t umask = ::umask(0); // no help from the umask either
        TTempFile temp(target);
        ::umask(umask);
        // Private before its first byte.
        struct stat fresh { };
        ASSERT_EQ(::stat(temp.Path().c_str(), &fresh), 0);
        EXPECT_EQ(fresh.st_mode & 07777, 0600u);
        EXPECT_EQ(fresh.st_size, 0);
        if (::geteuid() == 0) {
            EXPECT_FALSE(NobodyCanRead(temp.Path()));
        }
        EXPECT_EQ(fs::path(temp.Path()).parent_path(), fs::path(target).parent_path());
        const std::string stem = ".tekstovar-" + std::to_string(::getpid()) + "-";
        const std::string name = fs::path(temp.Path()).filename().string();
        EXPECT_TRUE(name.starts_with(stem) && name.size() > stem.size() &&
            std::all_of(name.begin() + stem.size(), name.end(), [](char c) { return c >= '0' && c <= '9'; }))
            << name;
        temp.Write("abc");
        struct stat st { };
        ASSERT_EQ(::fstat(temp.Fd(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, 0600u);
        temp.SetMode(0644);
        if (::geteuid() == 0) {
            EXPECT_TRUE(NobodyCanRead(temp.Path())); // the check itself can tell
        }
        temp.Commit(true);
        EXPECT_FALSE(TTempDir::Exists(temp.Path()));
    }
    EXPECT_EQ(TTempDir::Read(target), "abc");
    EXPECT_EQ(Mode(target), 0644u);

    std::string abandoned;
    {
        TTempFile temp(target);
        temp.Write("zzz");
        abandoned = temp.Path();
        EXPECT_TRUE(TTempDir::Exists(abandoned));
    }
    EXPECT_FALSE(TTempDir::Exists(abandoned));

    {
        TTempFile temp(target);
        temp.Write("new");
        EXPECT_EQ(
            ErrorOf([&] { temp.Commit(false); }), "Не удаётся записать файл " + target + ": " + std::strerror(EEXIST));
        EXPECT_FALSE(TTempDir::Exists(temp.Path()));
    }
    EXPECT_EQ(TTempDir::Read(target), "abc");
    EXPECT_EQ(Names(dir.Path(".")), TNames{"t.txt"});
}

TEST(RenameNoReplace, NeverReplacesOnAnyPath)
{
    struct TReset {
        ~TReset() { ForceRenameFallbackForTests(TRenameFallback::None); }
    } reset;
    for (TRenameFallback fallback : {TRenameFallback::None, TRenameFallback::Link, TRenameFallback::CheckThenRename}) {
        SCOPED_TRACE(static_cast<int>(fallback));
        ForceRenameFallbackForTests(fallback);
        TTempDir dir;
        const std::string a = dir.Write("a", "A");
        const std::string b = dir.Write("b", "B");
        const std::string d = dir.Path("d");
        fs::create_directory(d);
        fs::create_symlink("b", dir.Path("l"));
        std::string error;
        EXPECT_FALSE(RenameNoReplace(a, b, error));
        EXPECT_EQ(error, std::strerror(EEXIST));
        EXPECT_FALSE(RenameNoReplace(d, b, error));
        EXPECT_EQ(error, std::strerror(EEXIST));
        EXPECT_FALSE(RenameNoReplace(dir.Path("none"), dir.Path("x"), error));
        EXPECT_EQ(error, std::strerror(ENOENT));

        EXPECT_TRUE(RenameNoReplace(a, dir.Path("c"), error)) << error;
        EXPECT_TRUE(RenameNoReplace(d, dir.Path("e"), error)) << error;
        EXPECT_TRUE(RenameNoReplace(dir.Path("l"), dir.Path("m"), error)) << error;
        EXPECT_EQ(Names(dir.Path(".")), (TNames{"b", "c", "e", "m"}));
        EXPECT_EQ(TTempDir::Read(dir.Path("c")), "A");
        EXPECT_EQ(TTempDir::Read(b), "B");
        EXPECT_TRUE(fs::is_directory(dir.Path("e")));
        EXPECT_EQ(LinkOf(dir.Path("m")), "b");
    }
}

TEST(RemoveStaleTemporaries, RemovesOnlyThoseOfGoneProcesses)
{
    std::ifstream pidMax("/proc/sys/kernel/pid_max");
    long long highest = 0;
    ASSERT_TRUE(pidMax >> highest);
    const std::string gone = std::to_string(highest + 1); // no process can have it
    const std::string self = std::to_string(::getpid());
    TTempDir dir;
    const TNames kept{".tekstovar-" + self + "-1", ".tekstovar-1-7", ".tekstovar-x", ".tekstovar-" + gone + "-12a",
        ".tekstovar-" + gone + "-", ".tekstovar--1", ".tekstovar-" + gone + "-1-2", "tekstovar-" + gone + "-1",
        "x.tekstovar-" + gone + "-1"};
    for (const std::string& name : kept)
        dir.Write(name, "kept");
    dir.Write(".tekstovar-" + gone + "-123", "stale");
    fs::create_directory(dir.Path(".tekstovar-" + gone + "-5"));
    EXPECT_EQ(RemoveStaleTemporaries(dir.Path(".")), 1u);
    TNames expected = kept;
    expected.insert(".tekstovar-" + gone + "-5");
    EXPECT_EQ(Names(dir.Path(".")), expected);
    EXPECT_EQ(RemoveStaleTemporaries(dir.Path("none")), 0u);
}

TEST(PathParts, SplitAtTheLastSlash)
{
    const std::vector<std::array<std::string, 3>> cases = {
        {"/home/u/a.txt", "/home/u/", "a.txt"},
        {"a.txt", "", "a.txt"},
        {"/a", "/", "a"},
        {"dir/", "dir/", ""},
        {"", "", ""},
        {"a//b", "a//", "b"},
    };
    for (const auto& [path, directory, name] : cases) {
        EXPECT_EQ(DirectoryPart(path), directory) << path;
        EXPECT_EQ(NamePart(path), name) << path;
    }
}

} // namespace
} // namespace tekstovar
