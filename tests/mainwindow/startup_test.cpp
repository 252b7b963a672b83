#include "app/application.h"
#include "app/program.h"
#include "encodings/codepages.h"
#include "encodings/recode.h"
#include "mainwindow/mainfrm.h"
#include "platform/winunicode.h"
#include "scenario/batchfrm.h"
#include "support/mainui.h"
#include "support/tempdir.h"
#include "support/testdialogs.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace tekstovar {
namespace {

using test::TTempDir;
using test::TTestDialogs;

// The program as main() starts it: its windows, then the paths of its
// command line.
void Start(
    std::unique_ptr<TProgram>& program, TTestDialogs& dialogs, const TTempDir& home, std::vector<std::string> arguments)
{
    program = std::make_unique<TProgram>(dialogs, home.Path() + "/");
    arguments.insert(arguments.begin(), "tekstovar");
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    AddPaths(program->MainFrm(), PathArguments(static_cast<int>(argv.size()), argv.data()));
}

std::vector<std::string> Rows(const TMainFrm& main)
{
    const test::TMainUi ui(main);
    std::vector<std::string> rows;
    for (int i = 0; i < main.EntryCount(); ++i)
        rows.push_back(ui.Entry(i)->text(1).toStdString() + ui.Entry(i)->text(0).toStdString() + "|" +
            ui.Entry(i)->text(2).toStdString());
    return rows;
}

// Files and a directory named on the command line join the automatic list in
// their order, each as the add commands add it: its code page detected, the
// directory's files that match the masks, no duplicates, and one message for
// the files that cannot be read. An empty argument names nothing.
TEST(Startup, FilesAndADirectoryOnTheCommandLineJoinTheList)
{
    TTempDir home;
    TTempDir files;
    const std::string dir = files.Path(); // ends with "/"
    home.Write("QZ.Ini", "[General]\r\nAutoSaveFileList=1\r\n");
    home.Write("QZ.QZL", "listed.txt\r\n" + dir + "\r\n3\r\n");
    std::string koi = Utf8ToWin("Съешь же ещё этих мягких французских булок, да выпей чаю.");
    RecodeString(koi, EncodingWin, EncodingKoi);
    files.Write("a.txt", koi);
    const std::string win = Utf8ToWin("Просто текст в кодировке Windows, как его пишут.");
    files.Write("b c.htm", win);
    files.Write("tree/inner/d.log", win);
    files.Write("tree/e.txt", win);
    files.Write("tree/f.bin", "not matched by the masks");
    // Relative to the current directory, as a shell passes them.
    const std::string relative = std::filesystem::relative(dir + "a.txt").string();

    TTestDialogs dialogs;
    std::unique_ptr<TProgram> program;
    Start(program, dialogs, home,
        {relative, dir + "b c.htm", "", dir + "tree/", dir + "listed.txt", dir + "gone.txt", dir + "lost.txt"});
    EXPECT_EQ(Rows(program->MainFrm()),
        (std::vector<std::string>{dir + "listed.txt|ISO", dir + "a.txt|KOI", dir + "b c.htm|WIN",
            dir + "tree/inner/d.log|WIN", dir + "tree/e.txt|WIN", dir + "gone.txt|WIN", dir + "lost.txt|WIN"}));
    // Two files that cannot be read, one message, as "Добавить" gives it.
    ASSERT_EQ(dialogs.Errors.size(), 1);
    EXPECT_TRUE(dialogs.Errors[0].contains(QString::fromStdString(dir + "lost.txt")));
    EXPECT_TRUE(dialogs.Errors[0].startsWith(QStringLiteral("Не удалось определить кодировку файлов")));
    EXPECT_TRUE(dialogs.Errors[0].contains(QString::fromStdString(dir + "gone.txt")));
}

// Every window shows the program's own icon, in the sizes the theme has.
TEST(Startup, TheWindowsShowTheProgramsIcon)
{
    TTempDir home;
    TTestDialogs dialogs;
    std::unique_ptr<TProgram> program;
    Start(program, dialogs, home, {});
    const QIcon icon = program->MainFrm().windowIcon();
    EXPECT_EQ(icon.cacheKey(), QApplication::windowIcon().cacheKey());
    EXPECT_EQ(program->BatchFrm().windowIcon().cacheKey(), icon.cacheKey());
    const QList<QSize> sizes = icon.availableSizes();
    for (int side : {16, 32, 48, 256})
        EXPECT_TRUE(sizes.contains(QSize(side, side))) << side;
    EXPECT_TRUE(dialogs.Errors.isEmpty());
}

} // namespace
} // namespace tekstovar
