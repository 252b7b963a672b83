#include "platform/directoryfiles.h"

#include "common/error.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fnmatch.h>
#include <functional>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tekstovar {
namespace {

using test::TTempDir;
using TList = std::vector<std::string>;
namespace fs = std::filesystem;

// Paths below `top`, to keep the expectations short.
TList Relative(const std::string& top, const TList& paths)
{
    TList result;
    for (const std::string& path : paths) {
        EXPECT_EQ(path.rfind(top + "/", 0), 0u) << path;
        result.push_back(path.substr(top.size() + 1));
    }
    return result;
}

TEST(FileMasks, StoredListSplitsAtCommasOnly)
{
    EXPECT_EQ(SplitFileMasks(DefaultFileMasks), (TList{"*.txt", "*.html", "*.css", "*.log", "*.htm"}));
    EXPECT_EQ(SplitFileMasks(""), TList{});
    EXPECT_EQ(SplitFileMasks(" *.txt ; *.log"), TList{" *.txt ; *.log"});
    EXPECT_EQ(SplitFileMasks(",*.txt"), (TList{"", "*.txt"}));

    // Two commas in a row keep an empty item and save back unchanged.
    EXPECT_EQ(SplitFileMasks("*.txt,,*.log"), (TList{"*.txt", "", "*.log"}));
    EXPECT_EQ(JoinFileMasks(SplitFileMasks("*.txt,,*.log")), "*.txt,,*.log");
    // A trailing comma gives no empty item and is dropped on saving.
    EXPECT_EQ(SplitFileMasks("*.txt,*.log,"), (TList{"*.txt", "*.log"}));
    EXPECT_EQ(JoinFileMasks(SplitFileMasks("*.txt,*.log,")), "*.txt,*.log");
    EXPECT_EQ(JoinFileMasks({}), "");
}

// On ASCII names the masks behave as fnmatch with case folding does in the
// C locale, which the tests run in.
TEST(FileMasks, AsciiAgreesWithFnmatch)
{
    const TList masks = {"*.txt", "*.TXT", "*.htm", "*.html", "a*", "*", "?", "??.t?t", "*.*", "*a*b*", "a*b*c",
        "[abc]*", "[!abc]*", "[^abc]*", "[a-c].txt", "[]x].txt", "[!]x].txt", "[a-]*", "x[*", "\\*.txt", "[[:digit:]]*",
        "[[:alpha:]][[:alnum:]]*", "*[[:space:]]*", "[\\]]*", ".*", "*.", "a\\?c", "[Z-a]*", "[A-z]*", "[a-Z]*",
        "[!a]*", "[[:punct:]]*"};
    const TList names = {"a.txt", "A.TXT", "b.Txt", "a.html", "a.htm", "ab.txt", "abc", "aXbYc", "x", ".hidden",
        "1.log", "]. txt", "x.txt", "x[y", "*.txt", "a?c", "abc.", "-z", "]", "^b", "d.txt", "_", "`"};
    for (const std::string& mask : masks)
        for (const std::string& name : names)
            EXPECT_EQ(MatchesFileMask(name, mask), ::fnmatch(mask.c_str(), name.c_str(), FNM_CASEFOLD) == 0)
                << "name " << name << ", mask " << mask;
}

TEST(FileMasks, CaseAndCharactersBeyondAscii)
{
    // Only the ASCII letters ignore case.
    EXPECT_TRUE(MatchesFileMask("Отчёт.TXT", "*.txt"));
    EXPECT_TRUE(MatchesFileMask("Отчёт.txt", "Отчёт*"));
    EXPECT_FALSE(MatchesFileMask("Отчёт.txt", "отчёт*"));
    EXPECT_FALSE(MatchesFileMask("a.txt", "A.txtx"));

    // "?" and brackets take a whole UTF-8 character, not one byte of it.
    EXPECT_TRUE(MatchesFileMask("яя.txt", "??.txt"));
    EXPECT_FALSE(MatchesFileMask("яя.txt", "????.txt"));
    EXPECT_TRUE(MatchesFileMask("ёлка.txt", "[аеё]*"));
    EXPECT_FALSE(MatchesFileMask("жук.txt", "[а-е]*"));
    EXPECT_TRUE(MatchesFileMask("вал.txt", "[а-е]*"));
    EXPECT_TRUE(MatchesFileMask("жук.txt", "[!а-е]*"));
    // Ranges go by code point, across the lead bytes of UTF-8: "р" lies in
    // а-я, "ё" (U+0451) after it.
    EXPECT_TRUE(MatchesFileMask("рыба", "[а-я]*"));
    EXPECT_FALSE(MatchesFileMask("ёж", "[а-я]*"));
    // A byte that is not UTF-8 is one character of its own.
    EXPECT_TRUE(MatchesFileMask("\xFF.txt", "?.txt"));
    EXPECT_TRUE(MatchesFileMask("\xD0.txt", "\xD0*"));
    EXPECT_FALSE(MatchesFileMask("\xD0\xAF.txt", "\xD0*")); // "Я" is not its first byte

    // Unlike fnmatch, which tests the classes on the name's own letter, the
    // classes too ignore case.
    EXPECT_TRUE(MatchesFileMask("a", "[[:upper:]]"));
    EXPECT_TRUE(MatchesFileMask("A", "[[:lower:]]"));
    EXPECT_FALSE(MatchesFileMask("Ж", "[[:alpha:]]"));

    // Masks that can match nothing.
    EXPECT_FALSE(MatchesFileMask("a.txt", ""));
    EXPECT_FALSE(MatchesFileMask("a\\", "a\\"));
    EXPECT_FALSE(MatchesFileMask("a", "[[:letter:]]"));
}

class DirectoryFiles : public ::testing::Test {
protected:
    TTempDir Temp;
    std::string Top = Temp.Path("top");

    void Write(const std::string& name) { Temp.Write("top/" + name, name); }
    TList Files(const TList& masks, TList* problems = nullptr) const
    {
        return Relative(Top, FilesOfDirectory(Top, masks, problems));
    }
};

TEST_F(DirectoryFiles, SubdirectoriesFirstThenMaskByMask)
{
    for (const char* name : {"a.txt", "b.log", "c.html", "d.htm", "e.HTM", "f.css", "sub/b.txt", "sub/deep/c.txt",
             "sub/deep/c.log", "other/x.txt", "dir.txt/inner.txt", "plain"})
        Write(name);
    const TList masks = SplitFileMasks(DefaultFileMasks);
    // "*.htm" does not take "c.html": the masks follow fnmatch.
    const TList expected = {"dir.txt/inner.txt", "other/x.txt", "sub/deep/c.txt", "sub/deep/c.log", "sub/b.txt",
        "a.txt", "c.html", "f.css", "b.log", "d.htm", "e.HTM"};
    TList problems;
    EXPECT_EQ(Files(masks, &problems), expected);
    EXPECT_TRUE(problems.empty());

    // A trailing "/" gives the same paths.
    const TList slashed = FilesOfDirectory(Top + "/", masks);
    ASSERT_EQ(slashed.size(), expected.size());
    EXPECT_EQ(slashed.front(), Top + "/dir.txt/inner.txt");
    EXPECT_EQ(Relative(Top, FilesOfDirectory(Top + "//", {"*.css"})), TList{"f.css"});

    EXPECT_EQ(Files({}), TList{});
    EXPECT_EQ(Files({"", "*.none"}), TList{});
}

TEST_F(DirectoryFiles, FileMatchingTwoMasksComesTwice)
{
    for (const char* name : {"a.txt", "b.TXT", "a.log"})
        Write(name);
    EXPECT_EQ(Files({"*.txt", "a*"}), (TList{"a.txt", "b.TXT", "a.log", "a.txt"}));
    EXPECT_EQ(Files({"*.TXT", "*.txt"}), (TList{"a.txt", "b.TXT", "a.txt", "b.TXT"}));
}

TEST_F(DirectoryFiles, HiddenDirectoriesSkippedHiddenFilesKept)
{
    for (const char* name : {".hidden/x.txt", ".git/config.txt", ".note.txt", ".txt", "shown/.deep.txt", "a.txt"})
        Write(name);
    EXPECT_EQ(Files({"*.txt"}), (TList{"shown/.deep.txt", ".note.txt", ".txt", "a.txt"}));
    // A hidden directory given by the user is searched all the same.
    EXPECT_EQ(Relative(Top + "/.hidden", FilesOfDirectory(Top + "/.hidden", {"*.txt"})), TList{"x.txt"});
}

TEST_F(DirectoryFiles, RussianNamesInByteOrder)
{
    for (const char* name : {"Отчёт.TXT", "ёж.txt", "Яблоко.txt", "b.txt", "Папка/Письмо.txt", "Архив/Старое.txt"})
        Write(name);
    EXPECT_EQ(Files({"*.txt"}),
        (TList{"Архив/Старое.txt", "Папка/Письмо.txt", "b.txt", "Отчёт.TXT", "Яблоко.txt", "ёж.txt"}));
    EXPECT_EQ(Files({"??.txt", "Я*"}), (TList{"ёж.txt", "Яблоко.txt"}));
}

TEST_F(DirectoryFiles, LinksToDirectoriesAreNotFollowed)
{
    Write("a.txt");
    Write("real/r.txt");
    fs::create_directory_symlink(Top, Top + "/real/loop");
    fs::create_directory_symlink(Temp.Path("elsewhere"), Top + "/dangling.txt");
    fs::create_symlink("real/r.txt", Top + "/link.txt");
    ASSERT_EQ(::mkfifo((Top + "/pipe.txt").c_str(), 0600), 0);
    TList problems;
    EXPECT_EQ(Files({"*"}, &problems), (TList{"real/r.txt", "a.txt", "link.txt"}));
    EXPECT_TRUE(problems.empty());
}

TEST_F(DirectoryFiles, BadTopDirectoryThrows)
{
    Write("a.txt");
    const auto message = [](const std::string& directory) {
        try {
            FilesOfDirectory(directory, {"*"});
        } catch (const TError& error) {
            return std::string(error.what());
        }
        return std::string("no error");
    };
    EXPECT_NE(message(Top + "/missing").find(Top + "/missing"), std::string::npos);
    EXPECT_NE(message(Top + "/a.txt").find("Не удаётся прочитать директорию " + Top + "/a.txt"), std::string::npos);
    EXPECT_NE(message("").find("Не указана директория"), std::string::npos);
}

// Runs `body` in a child process that, when started by root, gives up root's
// right to read any directory, and returns what the child wrote back.
std::string RunUnprivileged(const std::function<std::string()>& body)
{
    int channel[2];
    if (::pipe(channel) != 0)
        return "pipe failed";
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
        std::string out;
        if (::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)) {
            out = "could not drop root";
        } else {
            try {
                out = body();
            } catch (const std::exception& error) {
                out = std::string("exception: ") + error.what();
            }
        }
        for (std::size_t done = 0; done < out.size();) {
            const ssize_t wrote = ::write(channel[1], out.data() + done, out.size() - done);
            if (wrote <= 0)
                ::_exit(1);
            done += static_cast<std::size_t>(wrote);
        }
        ::_exit(0);
    }
    ::close(channel[1]);
    std::string out;
    char buffer[4096];
    ssize_t got;
    while ((got = ::read(channel[0], buffer, sizeof buffer)) > 0)
        out.append(buffer, static_cast<std::size_t>(got));
    ::close(channel[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        out += " [child failed]";
    return out;
}

std::string Lines(const TList& list)
{
    std::string text;
    for (const std::string& line : list)
        text += line + "\n";
    return text;
}

TEST_F(DirectoryFiles, UnreadableSubdirectoryIsSkippedAndReported)
{
    for (const char* name : {"a.txt", "locked/x.txt", "open/y.txt"})
        Write(name);
    const std::string locked = Top + "/locked";
    fs::permissions(locked, fs::perms::none);

    const std::string walk = RunUnprivileged([&] {
        TList problems;
        const TList files = FilesOfDirectory(Top, {"*.txt"}, &problems);
        return Lines(files) + "--\n" + Lines(problems);
    });
    EXPECT_EQ(walk,
        Top + "/open/y.txt\n" + Top + "/a.txt\n--\nНе удаётся прочитать директорию " + locked +
            ": Permission denied\n");

    // Without a list for the problems the walk still goes on.
    const std::string quiet = RunUnprivileged([&] { return Lines(FilesOfDirectory(Top, {"*.txt"})); });
    EXPECT_EQ(quiet, Top + "/open/y.txt\n" + Top + "/a.txt\n");

    const std::string top = RunUnprivileged([&] {
        FilesOfDirectory(locked, {"*.txt"});
        return std::string("no error");
    });
    EXPECT_EQ(top, "exception: Не удаётся прочитать директорию " + locked + ": Permission denied");

    fs::permissions(locked, fs::perms::owner_all);
}

} // namespace
} // namespace tekstovar
