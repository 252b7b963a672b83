#include "app/program.h"
#include "dialogs/filemaskfrm.h"
#include "encodings/codepages.h"
#include "library/libfrm.h"
#include "mainwindow/listview.h"
#include "mainwindow/mainfrm.h"
#include "platform/winunicode.h"
#include "scenario/batchfrm.h"
#include "support/mainui.h"
#include "support/tempdir.h"
#include "support/testdialogs.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDropEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <QUrl>

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

namespace tekstovar {
namespace {

using test::TTempDir;
using test::TTestDialogs;

QString Q(const std::string& s) { return QString::fromStdString(s); }

class MainFrmTest : public ::testing::Test {
protected:
    TTempDir Home;
    TTempDir Files;
    TTestDialogs Dialogs;
    std::unique_ptr<TProgram> Program;

    void Start() { Program = std::make_unique<TProgram>(Dialogs, Home.Path() + "/"); }
    TMainFrm& Main() { return Program->MainFrm(); }
    test::TMainUi Ui() { return test::TMainUi(Main()); }

    // The list's rows as "name|directory|code page".
    std::vector<std::string> Rows()
    {
        std::vector<std::string> rows;
        for (int i = 0; i < Main().EntryCount(); ++i) {
            auto* item = Ui().Entry(i);
            rows.push_back(
                item->text(0).toStdString() + "|" + item->text(1).toStdString() + "|" + item->text(2).toStdString());
        }
        return rows;
    }

    // FilePaths must follow the rows.
    void ExpectPathsInStep()
    {
        ASSERT_EQ(Main().FilePaths().size(), static_cast<std::size_t>(Main().EntryCount()));
        for (int i = 0; i < Main().EntryCount(); ++i)
            EXPECT_EQ(Main().FilePaths()[static_cast<std::size_t>(i)],
                Ui().Entry(i)->text(1).toStdString() + Ui().Entry(i)->text(0).toStdString());
        EXPECT_EQ(Ui().FileCountLbl->text(), QString::number(Main().EntryCount()));
    }

    void SelectRows(std::initializer_list<int> rows)
    {
        Ui().FilesLvw->clearSelection();
        for (int r : rows)
            Ui().Entry(r)->setSelected(true);
    }
};

TEST_F(MainFrmTest, StartsWithTheDefaultsWithoutASettingsFile)
{
    Start();
    TMainFrm& m = Main();
    const test::TMainUi ui(m);
    EXPECT_EQ(m.windowTitle(), QStringLiteral("Текстовар"));
    EXPECT_EQ(m.size(), QSize(427, 410));
    EXPECT_EQ(m.minimumSize(), QSize(427, 410));
    EXPECT_EQ(ui.TasksPgC->currentIndex(), 0);
    EXPECT_EQ(ui.TasksPgC->tabText(0), QStringLiteral("Файлы"));
    EXPECT_EQ(ui.TasksPgC->tabText(1), QStringLiteral("Буфер"));
    EXPECT_EQ(ui.TasksPgC->tabPosition(), QTabWidget::West);
    EXPECT_TRUE(ui.BackUpChk->isChecked());
    EXPECT_FALSE(ui.ReCodeChk->isChecked());
    EXPECT_FALSE(ui.EncodingCbx->isEnabled());
    EXPECT_EQ(ui.EncodingCbx->currentIndex(), -1);
    EXPECT_TRUE(ui.ReContentRbt->isChecked());
    EXPECT_FALSE(ui.StopBtn->isEnabled());
    EXPECT_EQ(ui.MaskCbx->count(), 0);
    EXPECT_EQ(ui.MaskCbx->font().family(), QStringLiteral("Courier New"));
    EXPECT_EQ(ui.MaskCbx->font().pointSize(), 8);
    EXPECT_EQ(ui.FileCountLbl->text(), QStringLiteral("0"));
    EXPECT_EQ(ui.FilesLvw->headerItem()->text(0), QStringLiteral("Файл"));
    EXPECT_EQ(ui.FilesLvw->columnWidth(1), 150);
    EXPECT_EQ(m.Settings().HistoryLength, 20);
    EXPECT_EQ(m.GetBackupRoot(), "");
    EXPECT_TRUE(Dialogs.Errors.isEmpty());
}

// At its smallest the window still shows every control whole: none cut by
// the window's edge or squeezed below the height it needs.
TEST_F(MainFrmTest, EveryControlIsWholeAtTheSmallestSize)
{
    Start();
    TMainFrm& m = Main();
    m.resize(m.minimumSize());
    m.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&m));
    const QRect window = m.rect();
    int checked = 0;
    for (QWidget* w : m.findChildren<QWidget*>()) {
        if (!w->isVisible() || w->isWindow() ||
            !(qobject_cast<QAbstractButton*>(w) || qobject_cast<QComboBox*>(w) || qobject_cast<QLabel*>(w) ||
                qobject_cast<QProgressBar*>(w)))
            continue;
        const QRect r(w->mapTo(&m, QPoint(0, 0)), w->size());
        EXPECT_TRUE(window.contains(r)) << w->objectName().toStdString() << " " << w->metaObject()->className();
        EXPECT_GE(w->height(), w->minimumSizeHint().height()) << w->objectName().toStdString();
        ++checked;
    }
    EXPECT_GT(checked, 20);
    const test::TMainUi ui(m);
    // Tool bar buttons included: none goes into the overflow menu.
    for (QWidget* w : std::initializer_list<QWidget*>{ui.EntirePBr, ui.FilePBr, ui.RestoreBtn, ui.GoBtn, ui.AddBtn,
             ui.PreviewBtn, ui.SetupBtn, ui.CloseBtn})
        EXPECT_TRUE(w->isVisible()) << w->objectName().toStdString();
}

TEST_F(MainFrmTest, AddsFilesAndDirectoryTrees)
{
    Files.Write("tree/a.txt", "1");
    Files.Write("tree/sub/b.txt", std::string(Utf8ToWin("Привет, как дела? Всё хорошо.")));
    Files.Write("tree/.hidden/c.txt", "3");
    Files.Write("tree/.d.txt", "4");
    Files.Write("tree/e.doc", "5");
    Start();
    Main().AddDirectory(Files.Path("tree"));
    const std::string dir = Files.Path("tree") + "/";
    EXPECT_EQ(Rows(),
        (std::vector<std::string>{"b.txt|" + dir + "sub/|WIN", ".d.txt|" + dir + "|WIN", "a.txt|" + dir + "|WIN"}));
    // A path already listed is not added again.
    Main().AddFile(dir + "a.txt", EncodingDetect);
    Main().AddDirectory(Files.Path("tree"));
    EXPECT_EQ(Main().EntryCount(), 3);
    ExpectPathsInStep();

    // Add files through the dialog: the masks offered as filters, WorkDir follows.
    Dialogs.OpenFilesAnswers.push_back({Q(dir + "e.doc")});
    QTest::mouseClick(Ui().AddBtn, Qt::LeftButton);
    EXPECT_EQ(Main().EntryCount(), 4);
    ASSERT_EQ(Dialogs.OpenFilesQuestions.size(), 1);
    EXPECT_TRUE(Dialogs.OpenFilesQuestions[0].Filter.startsWith(QStringLiteral("*.txt (*.txt);;")));
    EXPECT_TRUE(Dialogs.OpenFilesQuestions[0].Filter.endsWith(QStringLiteral("Все Файлы (*)")));
    EXPECT_EQ(Main().Settings().WorkDir, dir);

    // A file that cannot be read for detection gets the default page; one
    // message for the command names it.
    Main().AddFile(dir + "missing.txt", EncodingDetect);
    EXPECT_EQ(Rows().back(), "missing.txt|" + dir + "|WIN");
    ASSERT_EQ(Dialogs.Errors.size(), 1);
    EXPECT_TRUE(Dialogs.Errors[0].contains(QStringLiteral("missing.txt")));
}

// A directory that cannot be read is no code-page question: it is named
// under a heading of its own, in the one message of the command.
TEST_F(MainFrmTest, ADirectoryThatCannotBeReadIsToldAsSuch)
{
    Start();
    Dialogs.DirectoryAnswers.push_back(Q(Files.Path("missing")));
    emit Ui().AddPup->findChild<QAction*>(QStringLiteral("AddDirMim"))->triggered();
    EXPECT_EQ(Main().EntryCount(), 0);
    ASSERT_EQ(Dialogs.Errors.size(), 1);
    EXPECT_TRUE(Dialogs.Errors[0].startsWith(QStringLiteral("Не удалось прочитать директории")));
    EXPECT_TRUE(Dialogs.Errors[0].contains(Q(Files.Path("missing"))));
    EXPECT_FALSE(Dialogs.Errors[0].contains(QStringLiteral("кодировк")));
}

TEST_F(MainFrmTest, DropsAddFilesAndDirectories)
{
    Files.Write("d/x.txt", "x");
    const std::string koi = Files.Write("k.txt", Utf8ToWin("Съешь же ещё этих мягких французских булок."));
    Start();
    // A drop as a file manager makes it: a list of file URLs.
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(Q(Files.Path("d"))), QUrl::fromLocalFile(Q(koi))});
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Ui().FilesLvw->viewport(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Ui().FilesLvw->viewport(), &drop);
    // Taken from the last to the first.
    ASSERT_EQ(Main().EntryCount(), 2);
    EXPECT_EQ(Ui().Entry(0)->text(0), QStringLiteral("k.txt"));
    EXPECT_EQ(Ui().Entry(1)->text(0), QStringLiteral("x.txt"));
    ExpectPathsInStep();
}

TEST_F(MainFrmTest, SortsByEveryColumnBothWaysKeepingPathsInStep)
{
    Start();
    const std::string d1 = Files.Path("b") + "/";
    const std::string d2 = Files.Path("a") + "/";
    // The counts come from a run: 10, 9 and 100 replacements.
    Main().AddFile(Files.Write("b/Zeta.txt", std::string(10, 'a')), 1);
    Main().AddFile(Files.Write("a/alpha.txt", std::string(9, 'a')), 4);
    Main().AddFile(Files.Write("b/beta.txt", std::string(100, 'a')), 0);
    Ui().MaskCbx->setEditText(QStringLiteral("a"));
    Ui().ReplaceCbx->setEditText(QStringLiteral("b"));
    QTest::mouseClick(Ui().GoBtn, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Main().Idle(); }, 10000));
    ASSERT_EQ(Ui().Entry(2)->text(3), QStringLiteral("100"));
    auto names = [&] {
        std::string s;
        for (int i = 0; i < Main().EntryCount(); ++i)
            s += Ui().Entry(i)->text(0).toStdString() + " ";
        return s;
    };
    auto click = [&](int column) { emit Ui().FilesLvw->header()->sectionClicked(column); };
    click(0);
    EXPECT_EQ(names(), "alpha.txt beta.txt Zeta.txt ");
    ExpectPathsInStep();
    click(0);
    EXPECT_EQ(names(), "Zeta.txt beta.txt alpha.txt ");
    ExpectPathsInStep();
    click(1);
    EXPECT_EQ(Ui().Entry(0)->text(0), QStringLiteral("alpha.txt"));
    click(1);
    EXPECT_EQ(Ui().Entry(2)->text(0), QStringLiteral("alpha.txt"));
    click(2);
    EXPECT_EQ(names(), "Zeta.txt alpha.txt beta.txt "); // KOI, MAC, WIN
    click(2);
    EXPECT_EQ(names(), "beta.txt alpha.txt Zeta.txt ");
    click(3);
    EXPECT_EQ(names(), "alpha.txt Zeta.txt beta.txt "); // 9, 10, 100
    click(3);
    EXPECT_EQ(names(), "beta.txt Zeta.txt alpha.txt ");
    ExpectPathsInStep();
}

TEST_F(MainFrmTest, SavesAndLoadsLists)
{
    Start();
    const std::string dir = Files.Path("d") + "/";
    Main().AddFile(dir + "a.txt", 1);
    Main().AddFile(dir + "отчёт.txt", 3);
    const std::string list = Files.Path("list.QZL");
    Dialogs.SaveFileAnswers.push_back(Q(list));
    QTest::mouseClick(Ui().SaveBtn, Qt::LeftButton);
    EXPECT_EQ(TTempDir::Read(list), Utf8ToWin("a.txt\r\n" + dir + "\r\n1\r\nотчёт.txt\r\n" + dir + "\r\n3\r\n"));
    EXPECT_EQ(Dialogs.SaveFileQuestions[0].DefaultSuffix, QStringLiteral("QZL"));

    Main().AddFile(dir + "c.txt", 0);
    Dialogs.OpenFilesAnswers.push_back({Q(list)});
    QTest::mouseClick(Ui().OpenBtn, Qt::LeftButton);
    EXPECT_EQ(Rows(), (std::vector<std::string>{"a.txt|" + dir + "|KOI", "отчёт.txt|" + dir + "|ISO"}));
    ExpectPathsInStep();

    // Four lines: the entry stays, then the message naming the file and line.
    const std::string four = Files.Write("four.QZL", "a.txt\r\n/x/\r\n0\r\nb.txt\r\n");
    Dialogs.OpenFilesAnswers.push_back({Q(four)});
    QTest::mouseClick(Ui().OpenBtn, Qt::LeftButton);
    EXPECT_EQ(Rows(), (std::vector<std::string>{"a.txt|/x/|WIN"}));
    ASSERT_EQ(Dialogs.Errors.size(), 1);
    EXPECT_EQ(Dialogs.Errors[0],
        QStringLiteral("В Списке Файлов ") + Q(four) + QStringLiteral(" Пропущены Испорченные Строки: 4."));
    const std::string word = Files.Write("word.QZL", "a.txt\r\n/x/\r\nKOI\r\n");
    Dialogs.OpenFilesAnswers.push_back({Q(word)});
    QTest::mouseClick(Ui().OpenBtn, Qt::LeftButton);
    EXPECT_EQ(Main().EntryCount(), 0);
    ASSERT_EQ(Dialogs.Errors.size(), 2);
    EXPECT_EQ(Dialogs.Errors[1],
        QStringLiteral("Файл ") + Q(word) + QStringLiteral(" Не Является Списком Файлов \"Текстовара\""));
    ExpectPathsInStep();

    // A file that cannot be read leaves the list as it was.
    Main().AddFile(dir + "c.txt", 0);
    Dialogs.OpenFilesAnswers.push_back({Q(Files.Path("missing.QZL"))});
    QTest::mouseClick(Ui().OpenBtn, Qt::LeftButton);
    EXPECT_EQ(Main().EntryCount(), 1);
    EXPECT_EQ(Dialogs.Errors.size(), 3);
}

// A path that one line of the list cannot hold, or WIN cannot, is named; the
// others are written, by the button and at exit alike, and the window closes.
TEST_F(MainFrmTest, PathsTheListCannotHoldAreNamedAndTheRestIsWritten)
{
    Start();
    Main().Settings().AutoSaveFileList = true;
    const std::string dir = Files.Path("d") + "/";
    for (const char* name : {"a.txt", "two\nlines.txt", "日本.txt", "b.txt"})
        Main().AddFile(dir + name, 1);
    const std::string list = Files.Path("list.QZL");
    Dialogs.SaveFileAnswers.push_back(Q(list));
    QTest::mouseClick(Ui().SaveBtn, Qt::LeftButton);
    const std::string written = "a.txt\r\n" + dir + "\r\n1\r\nb.txt\r\n" + dir + "\r\n1\r\n";
    EXPECT_EQ(TTempDir::Read(list), written);
    EXPECT_EQ(Main().Settings().WorkDir, Files.Path());
    const QString named = Q(" Пути С Переводом Строки Или Знаками, Которых Нет В Кодировке WIN:\n" + dir +
        "two\\nlines.txt\n" + dir + "日本.txt.");
    EXPECT_EQ(Dialogs.Errors, QStringList{QStringLiteral("Не Записаны В Список Файлов ") + Q(list) + named});

    EXPECT_TRUE(Main().close());
    ASSERT_EQ(Dialogs.Errors.size(), 2);
    EXPECT_TRUE(Dialogs.Errors[1].endsWith(named));
    EXPECT_EQ(TTempDir::Read(Home.Path("QZ.QZL")), written);
}

// A list that cannot be written at exit is named, and the user may close
// without it.
TEST_F(MainFrmTest, AListThatCannotBeWrittenAtExitDoesNotKeepTheWindowOpen)
{
    Start();
    Main().Settings().AutoSaveFileList = true;
    Main().AddFile(Files.Path("a.txt"), 0);
    std::filesystem::create_directory(Home.Path("QZ.QZL"));
    Dialogs.ConfirmAnswers.push_back(false);
    EXPECT_FALSE(Main().close());
    ASSERT_EQ(Dialogs.Confirms.size(), 1);
    EXPECT_TRUE(Dialogs.Confirms[0].Text.startsWith(QStringLiteral("Не Удалось Записать Список Файлов:\n")));
    EXPECT_TRUE(Dialogs.Confirms[0].Text.contains(QStringLiteral("QZ.QZL"))) << Dialogs.Confirms[0].Text.toStdString();
    Dialogs.ConfirmAnswers.push_back(true);
    EXPECT_TRUE(Main().close());
    EXPECT_TRUE(std::filesystem::is_directory(Home.Path("QZ.QZL")));
}

// The automatic list that did not load whole is not written over at exit
// with the part that did, whatever the user did to the list since: only a
// list the user saves over it, or a load that takes it whole, ends that.
TEST_F(MainFrmTest, AnAutomaticListThatDidNotLoadWholeIsKept)
{
    Home.Write("QZ.Ini", "[General]\r\nAutoSaveFileList=1\r\n");
    const std::string damaged = "a.txt\r\n/x/\r\n0\r\nstray\r\nb.txt\r\n/x/\r\n1\r\n";
    const std::string list = Home.Write("QZ.QZL", damaged);
    Start();
    EXPECT_EQ(Rows(), (std::vector<std::string>{"a.txt|/x/|WIN", "b.txt|/x/|KOI"}));
    ASSERT_EQ(Dialogs.Errors.size(), 1);
    EXPECT_TRUE(Dialogs.Errors[0].startsWith(QStringLiteral("В Списке Файлов ")));
    EXPECT_TRUE(Dialogs.Errors[0].endsWith(QStringLiteral(
        "QZ.QZL Пропущены Испорченные Строки: 4\nПри Выходе Список Не Будет Записан Поверх Этого Файла.")));
    Main().AddFile(Files.Path("c.txt"), 0);
    ASSERT_TRUE(Main().close());
    EXPECT_EQ(TTempDir::Read(list), damaged);
    Program.reset();

    Start();
    Dialogs.SaveFileAnswers.push_back(Q(list));
    QTest::mouseClick(Ui().SaveBtn, Qt::LeftButton);
    Main().AddFile(Files.Path("c.txt"), 0);
    ASSERT_TRUE(Main().close());
    EXPECT_EQ(TTempDir::Read(list), "a.txt\r\n/x/\r\n0\r\nb.txt\r\n/x/\r\n1\r\nc.txt\r\n" + Files.Path() + "\r\n0\r\n");
    Program.reset();

    // One that is no file at all neither holds up the start nor is replaced.
    std::filesystem::remove(list);
    ASSERT_EQ(::mkfifo(list.c_str(), 0600), 0);
    Dialogs.Errors.clear();
    Start();
    EXPECT_EQ(Main().EntryCount(), 0);
    ASSERT_EQ(Dialogs.Errors.size(), 1);
    EXPECT_TRUE(Dialogs.Errors[0].contains(QStringLiteral("это не обычный файл"))) << Dialogs.Errors[0].toStdString();
    Main().AddFile(Files.Path("c.txt"), 0);
    EXPECT_TRUE(Main().close());
    EXPECT_EQ(Dialogs.Errors.size(), 1);
    EXPECT_TRUE(std::filesystem::is_fifo(list));
}

// Opening a FIFO waits for a writer: the settings file is looked at first and
// refused, and the window neither reads nor writes over it.
TEST_F(MainFrmTest, ASettingsFileThatIsNoFileIsNotWaitedOn)
{
    const std::string ini = Home.Path("QZ.Ini");
    ASSERT_EQ(::mkfifo(ini.c_str(), 0600), 0);
    Start();
    EXPECT_EQ(Main().Settings().HistoryLength, 20);
    ASSERT_FALSE(Dialogs.Errors.isEmpty());
    EXPECT_EQ(Dialogs.Errors[0],
        Q("Не удаётся прочитать файл " + Home.Path() + "/QZ.Ini: это не обычный файл\n") +
            QStringLiteral("Настройки Не Будут Записаны При Выходе."));
    EXPECT_TRUE(Main().close());
    EXPECT_TRUE(std::filesystem::is_fifo(ini));
}

// A hand-edited size of 16777215 pixels takes the offscreen platform down,
// one of 1000000 costs gigabytes: every window is fitted to the screen.
TEST_F(MainFrmTest, HandEditedWindowBoundsAreFittedToTheScreen)
{
    Home.Write("QZ.Ini",
        "[View]\r\nLeft=-2000000000\r\nTop=2000000000\r\nWidth=1000000\r\nHeight=16777215\r\n"
        "BatchLeft=2000000000\r\nBatchWidth=16777215\r\nBatchHeight=1000000\r\n"
        "LibTop=-5000\r\nLibWidth=1000000\r\nLibHeight=16777215\r\n");
    Start();
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const std::initializer_list<QWidget*> windows{&Main(), &Program->BatchFrm(), &Program->LibFrm()};
    for (QWidget* window : windows) {
        const QRect bounds = window->geometry();
        EXPECT_LE(bounds.width(), screen.width()) << window->objectName().toStdString();
        EXPECT_LE(bounds.height(), screen.height()) << window->objectName().toStdString();
        EXPECT_TRUE(screen.intersects(bounds)) << window->objectName().toStdString();
    }
    ASSERT_FALSE(HasFailure());
    for (QWidget* window : windows) {
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window));
    }
}

TEST_F(MainFrmTest, DeleteClearAndCodePageOfASelection)
{
    Start();
    for (const char* name : {"a.txt", "b.txt", "c.txt", "d.txt"})
        Main().AddFile(Files.Path(name), 0);
    SelectRows({1, 2, 3});
    emit Ui().FilesPup->findChild<QAction*>(QStringLiteral("KOI1"))->triggered();
    EXPECT_EQ(Ui().Entry(0)->text(2), QStringLiteral("WIN"));
    EXPECT_EQ(Ui().Entry(1)->text(2), QStringLiteral("KOI"));
    EXPECT_EQ(Ui().Entry(3)->text(2), QStringLiteral("KOI"));

    SelectRows({0, 2});
    QTest::mouseClick(Ui().DelBtn, Qt::LeftButton);
    EXPECT_EQ(Rows().size(), 2u);
    EXPECT_EQ(Ui().Entry(0)->text(0), QStringLiteral("b.txt"));
    ExpectPathsInStep();

    Dialogs.ConfirmAnswers.push_back(false);
    QTest::mouseClick(Ui().ClearBtn, Qt::LeftButton);
    EXPECT_EQ(Main().EntryCount(), 2);
    ASSERT_EQ(Dialogs.Confirms.size(), 1);
    EXPECT_EQ(Dialogs.Confirms[0].Title, QStringLiteral("Confirm"));
    EXPECT_EQ(Dialogs.Confirms[0].Text, QStringLiteral("Очистить Список?"));
    Dialogs.ConfirmAnswers.push_back(true);
    QTest::mouseClick(Ui().ClearBtn, Qt::LeftButton);
    EXPECT_EQ(Main().EntryCount(), 0);
    ExpectPathsInStep();
}

TEST_F(MainFrmTest, ARunLocksTheCommandsAndTheClose)
{
    Start();
    Main().AddFile(Files.Path("a.txt"), 0);
    Main().show();
    Main().SetIdle(false);
    for (QWidget* w : std::initializer_list<QWidget*>{Ui().GoBtn, Ui().RestoreBtn, Ui().EraseBtn, Ui().AddBtn,
             Ui().DelBtn, Ui().ClearBtn, Ui().OpenBtn, Ui().SaveBtn, Ui().BatchBtn, Ui().LibBtn, Ui().SetupBtn,
             Ui().AboutBtn, Ui().CloseBtn, &Program->LibFrm()})
        EXPECT_FALSE(w->isEnabled()) << w->objectName().toStdString();
    EXPECT_TRUE(Ui().StopBtn->isEnabled());
    EXPECT_TRUE(Ui().MaskCbx->isEnabled());
    EXPECT_TRUE(Ui().FilesLvw->isEnabled());
    // The list does not change, whichever way it is asked, and the status
    // line says why.
    SelectRows({0});
    const QString refused = QStringLiteral("Идёт Замена: Список Не Меняется До Её Конца");
    for (const char* name : {"N1", "N6", "N7", "N10", "N13", "N11", "KOI1"}) {
        Ui().SummaryLbl->clear();
        emit Ui().FilesPup->findChild<QAction*>(QString::fromLatin1(name))->triggered();
        EXPECT_EQ(Ui().SummaryLbl->text(), refused) << name;
    }
    Ui().SummaryLbl->clear();
    emit Ui().FilesLvw->header()->sectionClicked(0);
    EXPECT_EQ(Ui().SummaryLbl->text(), refused);
    Ui().SummaryLbl->clear();
    emit Ui().FilesLvw->FilesDropped({Q(Files.Write("b.txt", "b"))});
    EXPECT_EQ(Ui().SummaryLbl->text(), refused);
    EXPECT_EQ(Main().EntryCount(), 1);
    EXPECT_EQ(Ui().Entry(0)->text(2), QStringLiteral("WIN"));
    EXPECT_TRUE(Dialogs.Unanswered.isEmpty());
    EXPECT_FALSE(Main().close());
    EXPECT_TRUE(Main().isVisible());
    EXPECT_EQ(Ui().SummaryLbl->text(), QStringLiteral("Идёт Замена: Остановите Её, Чтобы Закрыть Окно"));
    Main().SetIdle(true);
    EXPECT_TRUE(Ui().GoBtn->isEnabled());
    EXPECT_FALSE(Ui().StopBtn->isEnabled());
    EXPECT_TRUE(Main().close());
}

TEST_F(MainFrmTest, AReplaceOverAnEmptyListSaysWhyItDoesNothing)
{
    Start();
    Ui().MaskCbx->setEditText(QStringLiteral("a"));
    QTest::mouseClick(Ui().GoBtn, Qt::LeftButton);
    EXPECT_TRUE(Main().Idle());
    EXPECT_EQ(Ui().SummaryLbl->text(), QStringLiteral("Список Файлов Пуст: Заменять Не В Чем"));
    EXPECT_EQ(Ui().MaskCbx->count(), 0);
}

TEST_F(MainFrmTest, EverythingIsAsTheUserLeftIt)
{
    Start();
    Main().Settings().AutoSaveFileList = true;
    Main().AddFile(Files.Path("a.txt"), 2);
    Ui().ReNameRbt->setChecked(true);
    Ui().BackUpChk->setChecked(false);
    Ui().ReCodeChk->click();
    Ui().TasksPgC->setCurrentIndex(1);
    Ui().MaskCbx->addItem(QStringLiteral(" мир "));
    Ui().ReplaceCbx->addItem(QString());
    Ui().FilesLvw->setColumnWidth(0, 120);
    Main().resize(500, 450);
    Main().SetBackupRoot(Files.Path("bak"));
    QTest::mouseClick(Ui().BatchBtn, Qt::LeftButton);
    EXPECT_TRUE(Program->BatchFrm().isVisible());
    ASSERT_TRUE(Main().close());
    Program.reset();

    Start();
    EXPECT_EQ(Rows(), (std::vector<std::string>{"a.txt|" + Files.Path() + "|DOS"}));
    EXPECT_TRUE(Ui().ReNameRbt->isChecked());
    EXPECT_FALSE(Ui().BackUpChk->isChecked());
    EXPECT_TRUE(Ui().ReCodeChk->isChecked());
    EXPECT_EQ(Ui().EncodingCbx->currentText(), QStringLiteral("WIN"));
    EXPECT_EQ(Ui().TasksPgC->currentIndex(), 1);
    ASSERT_EQ(Ui().MaskCbx->count(), 1);
    EXPECT_EQ(Ui().MaskCbx->itemText(0), QStringLiteral(" мир "));
    EXPECT_EQ(Ui().ReplaceCbx->count(), 1);
    EXPECT_EQ(Ui().FilesLvw->columnWidth(0), 120);
    EXPECT_EQ(Main().size(), QSize(500, 450));
    EXPECT_EQ(Main().GetBackupRoot(), Files.Path("bak") + "/");
    EXPECT_TRUE(Program->BatchFrm().isVisible());
    EXPECT_TRUE(Ui().BatchBtn->isChecked());
    // Closing the scenario window releases its toggle.
    Program->BatchFrm().close();
    EXPECT_FALSE(Ui().BatchBtn->isChecked());
}

TEST_F(MainFrmTest, ApplySettingsTakesTheDialogsValues)
{
    Start();
    for (int i = 0; i < 6; ++i) {
        Ui().MaskCbx->addItem(QString::number(i));
        Ui().ReplaceCbx->addItem(QStringLiteral("r") + QString::number(i));
    }
    TSettings dialog = Main().Settings();
    dialog.DetectEncoding = false;
    dialog.DefaultEncoding = 2;
    dialog.ClearListPrompt = false;
    dialog.MaskFont = {"DejaVu Sans", 255, 12, true, false, false, false};
    dialog.BackupRoot = Files.Path("bak");
    dialog.Logging = true;
    // A length that is no number keeps the histories; the rest applies.
    Main().ApplySettings(dialog, "many");
    EXPECT_EQ(Ui().MaskCbx->count(), 6);
    EXPECT_EQ(Main().Settings().HistoryLength, 20);
    EXPECT_FALSE(Main().Settings().DetectEncoding);
    EXPECT_TRUE(Main().Settings().Logging);
    EXPECT_EQ(Ui().MaskCbx->font().pointSize(), 12);
    EXPECT_TRUE(Ui().MaskCbx->font().bold());
    EXPECT_EQ(Main().GetBackupRoot(), Files.Path("bak") + "/");
    // A shorter length cuts both histories from the end.
    Main().ApplySettings(dialog, "4");
    EXPECT_EQ(Main().Settings().HistoryLength, 4);
    ASSERT_EQ(Ui().MaskCbx->count(), 4);
    EXPECT_EQ(Ui().ReplaceCbx->itemText(3), QStringLiteral("r3"));
    // Added files now get the default page without detection, and clearing
    // asks nothing.
    Main().AddFile(Files.Write("a.txt", "x"), EncodingDetect);
    EXPECT_EQ(Ui().Entry(0)->text(2), QStringLiteral("DOS"));
    QTest::mouseClick(Ui().ClearBtn, Qt::LeftButton);
    EXPECT_EQ(Main().EntryCount(), 0);
    EXPECT_TRUE(Dialogs.Confirms.isEmpty());
    // Nothing reached the file.
    EXPECT_FALSE(TTempDir::Exists(Home.Path("QZ.Ini")));
}

} // namespace
} // namespace tekstovar
