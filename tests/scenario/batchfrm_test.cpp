#include "app/program.h"
#include "dialogs/helpfrm.h"
#include "mainwindow/listview.h"
#include "mainwindow/mainfrm.h"
#include "platform/dispatcher.h"
#include "platform/winunicode.h"
#include "scenario/batchfrm.h"
#include "support/tempdir.h"
#include "support/testdialogs.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace tekstovar {
namespace {

using test::TTempDir;
using test::TTestDialogs;

std::vector<std::string> Win(std::initializer_list<const char*> utf8)
{
    std::vector<std::string> lines;
    for (const char* line : utf8)
        lines.push_back(Utf8ToWin(line));
    return lines;
}

class BatchTest : public ::testing::Test {
protected:
    TTempDir Home;
    TTempDir Files;
    TTestDialogs Dialogs;
    std::unique_ptr<TProgram> Program;
    TQueueDispatcher* Queue = nullptr;

    void SetUp() override { Start(); }

    void Start()
    {
        Program = std::make_unique<TProgram>(Dialogs, Home.Path());
        auto queue = std::make_unique<TQueueDispatcher>();
        Queue = queue.get();
        Main().UseDispatcher(std::move(queue));
    }
    TMainFrm& Main() { return Program->MainFrm(); }
    TBatchFrm& Batch() { return Program->BatchFrm(); }

    // Serves the worker's calls until the scenario has ended.
    bool WaitRun()
    {
        QDeadlineTimer deadline(30000);
        while (Batch().Running() && !deadline.hasExpired()) {
            Queue->ServeUntil([&] { return !Batch().Running() || deadline.hasExpired(); });
            QCoreApplication::processEvents();
        }
        Queue->RunPending();
        return !Batch().Running();
    }

    void Run()
    {
        QTest::mouseClick(Batch().GoBtn, Qt::LeftButton);
        ASSERT_TRUE(WaitRun());
    }

    void ClickRow(int row)
    {
        Batch().PairsGrid->selectRow(row);
        Batch().PairsGridClick();
    }

    QString Cell(int entry, int column) { return Main().Entry(entry)->text(column); }
    QString Header(int column) { return Main().FilesLvw->headerItem()->text(column); }

    // Both windows take commands again.
    void ExpectUnlocked()
    {
        EXPECT_TRUE(Main().GoBtn->isEnabled());
        EXPECT_TRUE(Main().TasksPgC->isEnabled());
        EXPECT_TRUE(Batch().GoBtn->isEnabled());
        EXPECT_TRUE(Batch().PairsGrid->isEnabled());
        EXPECT_FALSE(Batch().StopBtn->isEnabled());
        EXPECT_EQ(Batch().StepIndex(), -1);
        EXPECT_EQ(Main().StepIndex(), -1);
    }

    void DropFiles(const QStringList& paths)
    {
        QMimeData data;
        QList<QUrl> urls;
        for (const QString& path : paths)
            urls.append(QUrl::fromLocalFile(path));
        data.setUrls(urls);
        // The drop goes to the widget that took the drag when it entered.
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&Batch(), &enter);
        ASSERT_TRUE(enter.isAccepted());
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&Batch(), &drop);
    }
};

TEST_F(BatchTest, FileRoundTripKeepsEmptyMasksAndTheOddLine)
{
    EXPECT_EQ(Batch().PairsGrid->rowCount(), 1);
    EXPECT_EQ(Batch().CountLbl->text(), QStringLiteral("Всего Пар: 0"));
    const std::string path = Files.Write("s.QZB", Utf8ToWin("кот\n\n\nпёс\nлишняя\n"));
    Dialogs.OpenFilesAnswers.push_back({QString::fromStdString(path)});
    QTest::mouseClick(Batch().LoadBtn, Qt::LeftButton);
    EXPECT_EQ(Batch().PairLines(), Win({"кот", "", "", "пёс", "лишняя"}));
    EXPECT_EQ(Batch().PairsGrid->rowCount(), 3);
    EXPECT_EQ(Batch().CountLbl->text(), QStringLiteral("Всего Пар: 2"));
    EXPECT_EQ(Main().Settings().WorkDir, Files.Path());
    EXPECT_EQ(Dialogs.OpenFilesQuestions.front().Filter, QStringLiteral("Сценарии Замен (*.QZB);;Все Файлы (*)"));

    const std::string saved = Files.Path("saved.QZB");
    Dialogs.SaveFileAnswers.push_back(QString::fromStdString(saved));
    QTest::mouseClick(Batch().SaveBtn, Qt::LeftButton);
    EXPECT_EQ(TTempDir::Read(saved), Utf8ToWin("кот\r\n\r\n\r\nпёс\r\nлишняя\r\n"));

    // From a file manager: two files are ignored, one is loaded.
    const std::string other = Files.Write("o.QZB", "a\r\nb\r\n");
    DropFiles({QString::fromStdString(other), QString::fromStdString(saved)});
    EXPECT_EQ(Batch().PairCount(), 2);
    DropFiles({QString::fromStdString(other)});
    EXPECT_EQ(Batch().PairLines(), Win({"a", "b"}));

    // A file that cannot be read leaves the scenario as it was.
    Dialogs.OpenFilesAnswers.push_back({QString::fromStdString(Files.Path("missing.QZB"))});
    QTest::mouseClick(Batch().LoadBtn, Qt::LeftButton);
    EXPECT_EQ(Dialogs.Errors.size(), 1);
    EXPECT_EQ(Batch().PairLines(), Win({"a", "b"}));
}

TEST_F(BatchTest, AddDeleteUseAndMove)
{
    // Nothing comes from two empty mask boxes; one empty mask is a pair.
    QTest::mouseClick(Batch().AddBtn, Qt::LeftButton);
    EXPECT_EQ(Batch().PairCount(), 0);
    Main().MaskCbx->setEditText(QStringLiteral("к"));
    QTest::mouseClick(Batch().AddBtn, Qt::LeftButton);
    Main().MaskCbx->setEditText(QStringLiteral("1"));
    Main().ReplaceCbx->setEditText(QStringLiteral("2"));
    QTest::mouseClick(Batch().AddBtn, Qt::LeftButton); // the end row is selected: appended
    Batch().PairsGrid->selectRow(0);
    Main().MaskCbx->setEditText(QStringLiteral("0"));
    QTest::mouseClick(Batch().AddBtn, Qt::LeftButton); // before row 0
    EXPECT_EQ(Batch().PairLines(), Win({"0", "2", "к", "", "1", "2"}));
    EXPECT_EQ(Batch().PairsGrid->currentRow(), 1); // still on the pair "к"
    EXPECT_EQ(Batch().CountLbl->text(), QStringLiteral("Всего Пар: 3"));

    Batch().PairsGrid->selectRow(2);
    Batch().PairsGridDblClick();
    EXPECT_EQ(Main().MaskCbx->currentText(), QStringLiteral("1"));
    Batch().PairsGrid->selectRow(3); // the end row: nothing to delete
    QTest::mouseClick(Batch().DelBtn, Qt::LeftButton);
    Batch().PairsGrid->selectRow(1);
    QTest::mouseClick(Batch().DelBtn, Qt::LeftButton);
    EXPECT_EQ(Batch().PairLines(), Win({"0", "2", "1", "2"}));

    Batch().SetPairLines(Win({"0", "0", "1", "1", "2", "2", "3", "3"}));
    Batch().PairsGrid->DragRow = 0;
    EXPECT_EQ(Batch().DraggedMask(), "0");
    Batch().MovePair(2);
    EXPECT_EQ(Batch().PairLines(), Win({"1", "1", "2", "2", "0", "0", "3", "3"}));
    Batch().SetPairLines(Win({"0", "0", "1", "1", "2", "2", "3", "3"}));
    Batch().PairsGrid->DragRow = 3;
    EXPECT_EQ(Batch().DraggedReplace(), "3");
    Batch().MovePair(1);
    EXPECT_EQ(Batch().PairLines(), Win({"0", "0", "3", "3", "1", "1", "2", "2"}));
    // A pair with both masks empty is lost on the way.
    Batch().SetPairLines(Win({"0", "0", "", "", "2", "2"}));
    Batch().PairsGrid->DragRow = 1;
    Batch().MovePair(0);
    EXPECT_EQ(Batch().PairLines(), Win({"0", "0", "2", "2"}));
    EXPECT_EQ(Batch().PairsGrid->rowCount(), 3);
}

TEST_F(BatchTest, DownloadHelpAndTheAutomaticFile)
{
    QTest::mouseClick(Batch().DownloadBtn, Qt::LeftButton);
    ASSERT_EQ(Dialogs.OpenedUrls.size(), 1);
    EXPECT_EQ(Dialogs.OpenedUrls.front(), QUrl(QStringLiteral("http://tekstovar.example.org/QZ/Lib/")));
    QTest::mouseClick(Batch().HelpBtn, Qt::LeftButton);
    EXPECT_TRUE(Program->HelpFrm().isVisible());

    Program.reset();
    Home.Write("QZ.Ini", "[General]\r\nAutoSaveBatch=1\r\nLibraryServer=http://mirror.test/\r\n");
    Home.Write("QZ.QZB", "x\r\ny\r\n");
    Start();
    EXPECT_EQ(Batch().PairLines(), Win({"x", "y"}));
    QTest::mouseClick(Batch().DownloadBtn, Qt::LeftButton);
    EXPECT_EQ(Dialogs.OpenedUrls.back(), QUrl(QStringLiteral("http://mirror.test/QZ/Lib/")));
    Batch().SetPairLines(Win({"а", "б", "в"}));
    Program.reset();
    EXPECT_EQ(TTempDir::Read(Home.Path("QZ.QZB")), Utf8ToWin("а\r\nб\r\nв\r\n"));
}

TEST_F(BatchTest, EveryStepHasItsColumnAndItsCounts)
{
    Main().AddFile(Files.Write("one.txt", "aab"), 0);
    Main().AddFile(Files.Write("two.txt", "a b"), 0);
    Batch().SetPairLines(Win({"a", "b", "b", "cc", "c", "d"}));
    QTest::mouseClick(Batch().GoBtn, Qt::LeftButton);
    // The main window is locked for the whole run, this one only in part.
    EXPECT_TRUE(Batch().Running());
    EXPECT_FALSE(Main().TasksPgC->isEnabled());
    EXPECT_FALSE(Batch().GoBtn->isEnabled());
    EXPECT_TRUE(Batch().StopBtn->isEnabled());
    ASSERT_TRUE(WaitRun());
    ExpectUnlocked();
    EXPECT_TRUE(Dialogs.Errors.isEmpty());

    EXPECT_EQ(TTempDir::Read(Files.Path("one.txt")), "dddddd");
    EXPECT_EQ(TTempDir::Read(Files.Path("two.txt")), "dd dd");
    ASSERT_EQ(Main().FilesLvw->columnCount(), 7);
    EXPECT_EQ(Header(4), QStringLiteral("Шаг 1"));
    EXPECT_EQ(Header(5), QStringLiteral("Шаг 2"));
    EXPECT_EQ(Header(6), QStringLiteral("Шаг 3"));
    const QStringList one = {Cell(0, 4), Cell(0, 5), Cell(0, 6)};
    const QStringList two = {Cell(1, 4), Cell(1, 5), Cell(1, 6)};
    EXPECT_EQ(one, (QStringList{QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("6")}));
    EXPECT_EQ(two, (QStringList{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("4")}));
    EXPECT_EQ(Cell(0, 3), QStringLiteral("6"));
    EXPECT_EQ(Cell(1, 3), QStringLiteral("4"));
    ClickRow(0);
    EXPECT_EQ(Cell(0, 3), QStringLiteral("2"));
    EXPECT_EQ(Cell(1, 3), QStringLiteral("1"));
    ClickRow(3); // the end row has no step
    EXPECT_EQ(Cell(0, 3), QStringLiteral("2"));

    // A second run of one pair starts from scratch.
    Batch().SetPairLines(Win({"d", "e"}));
    Run();
    EXPECT_EQ(Main().FilesLvw->columnCount(), 5);
    EXPECT_EQ(Cell(0, 4), QStringLiteral("6"));
    ClickRow(1);
    EXPECT_EQ(Cell(0, 3), QStringLiteral("6"));
}

TEST_F(BatchTest, EachStepWorksOnTheResultOfTheOneBefore)
{
    // Later backups would replace earlier ones: only the first step takes any,
    // so a restore goes back to before the whole scenario.
    Main().Settings().OverwriteBackup = true;
    Batch().SetPairLines(Win({"a", "b", "b", "c"}));
    Main().AddFile(Files.Write("a1a.txt", "xa"), 0);
    Main().ReNameRbt->setChecked(true);
    Run();
    EXPECT_EQ(Main().Entry(0)->text(0), QStringLiteral("c1c.txt"));
    EXPECT_TRUE(TTempDir::Exists(Files.Path("c1c.txt")));
    EXPECT_EQ(TTempDir::Read(Files.Path("c1c.txt")), "xa"); // the contents stay
    QTest::mouseClick(Main().RestoreBtn, Qt::LeftButton);
    EXPECT_TRUE(TTempDir::Exists(Files.Path("a1a.txt")));
    EXPECT_EQ(Main().Entry(0)->text(0), QStringLiteral("a1a.txt"));

    Main().TasksPgC->setCurrentIndex(1);
    Main().ClipboardMmo->setPlainText(QStringLiteral("ab"));
    Run();
    EXPECT_EQ(Batch().RunTarget(), 2);
    EXPECT_EQ(Main().ClipboardMmo->toPlainText(), QStringLiteral("cc"));
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("cc"));
    EXPECT_EQ(Batch().StepCounts(), (std::vector<std::string>{"1", "2"}));
    EXPECT_EQ(Main().ReplaceCountEdt->text(), QStringLiteral("2"));
    ClickRow(0);
    EXPECT_EQ(Main().ReplaceCountEdt->text(), QStringLiteral("1"));
    ClickRow(2);
    EXPECT_EQ(Main().ReplaceCountEdt->text(), QStringLiteral("1"));
    QTest::mouseClick(Main().RestoreBtn, Qt::LeftButton);
    EXPECT_EQ(Main().ClipboardMmo->toPlainText(), QStringLiteral("ab"));
}

TEST_F(BatchTest, StopInTheSecondStepKeepsTheFirstAndRunsNoMore)
{
    std::string big;
    for (int i = 0; i < 200000; ++i)
        big += "ab ";
    Main().AddFile(Files.Write("big.txt", big), 0);
    Main().AddFile(Files.Write("small.txt", "ab"), 0);
    // Later backups would replace earlier ones: only the first step takes any.
    Main().Settings().OverwriteBackup = true;
    Batch().SetPairLines(Win({"b", "B", "\\-B\\?", "x", "a", "q"}));
    QTest::mouseClick(Batch().GoBtn, Qt::LeftButton);
    QDeadlineTimer deadline(30000);
    Queue->ServeUntil([&] { return Batch().StepIndex() == 1 || deadline.hasExpired(); });
    ASSERT_EQ(Batch().StepIndex(), 1);
    QTest::mouseClick(Batch().StopBtn, Qt::LeftButton);
    EXPECT_FALSE(Batch().Running());
    Queue->RunPending();
    ExpectUnlocked();
    EXPECT_EQ(Main().FilePBr->value(), 0);
    EXPECT_EQ(Main().EntirePBr->value(), 0);
    EXPECT_EQ(Cell(0, 4), QStringLiteral("200000"));
    EXPECT_EQ(Cell(1, 4), QStringLiteral("1"));
    EXPECT_FALSE(Main().Entry(0)->data(5, Qt::DisplayRole).isValid());
    EXPECT_FALSE(Main().Entry(1)->data(5, Qt::DisplayRole).isValid());
    // The third step did not run.
    EXPECT_EQ(TTempDir::Read(Files.Path("small.txt")).find('q'), std::string::npos);

    QTest::mouseClick(Main().RestoreBtn, Qt::LeftButton);
    EXPECT_TRUE(TTempDir::Read(Files.Path("big.txt")) == big); // no dump of a big text on failure
    EXPECT_EQ(TTempDir::Read(Files.Path("small.txt")), "ab");
}

TEST_F(BatchTest, AMalformedMaskEndsTheRunAfterTheStepsBefore)
{
    Main().AddFile(Files.Write("f.txt", "aa"), 0);
    Batch().SetPairLines(Win({"a", "b", "\\(", "x", "b", "c"}));
    Run();
    ASSERT_EQ(Dialogs.Errors.size(), 1);
    EXPECT_TRUE(Dialogs.Errors.front().contains(QStringLiteral("Закрывающая")));
    ExpectUnlocked();
    EXPECT_EQ(TTempDir::Read(Files.Path("f.txt")), "bb");
    EXPECT_EQ(Cell(0, 4), QStringLiteral("2"));
    EXPECT_FALSE(Main().Entry(0)->data(5, Qt::DisplayRole).isValid());
}

} // namespace
} // namespace tekstovar
