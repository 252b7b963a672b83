#include "scenario/batchfixture.h"

#include "dialogs/helpfrm.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QRadioButton>

namespace tekstovar {
namespace {

using test::TTempDir;

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

    // A dropped path is taken whole, however long.
    const std::string folder(200, 'd');
    const std::string deep = Files.Write(
        folder + "/" + folder + "/" + folder + "/" + folder + "/" + folder + "/" + folder + "/d.QZB", "c\r\nd\r\n");
    ASSERT_GT(deep.size(), 1200u);
    DropFiles({QString::fromStdString(deep)});
    EXPECT_EQ(Batch().PairLines(), Win({"c", "d"}));
}

TEST_F(BatchTest, AddDeleteUseAndMove)
{
    // Nothing comes from two empty mask boxes; one empty mask is a pair.
    QTest::mouseClick(Batch().AddBtn, Qt::LeftButton);
    EXPECT_EQ(Batch().PairCount(), 0);
    Ui().MaskCbx->setEditText(QStringLiteral("к"));
    QTest::mouseClick(Batch().AddBtn, Qt::LeftButton);
    Ui().MaskCbx->setEditText(QStringLiteral("1"));
    Ui().ReplaceCbx->setEditText(QStringLiteral("2"));
    QTest::mouseClick(Batch().AddBtn, Qt::LeftButton); // the end row is selected: appended
    Batch().PairsGrid->selectRow(0);
    Ui().MaskCbx->setEditText(QStringLiteral("0"));
    QTest::mouseClick(Batch().AddBtn, Qt::LeftButton); // before row 0
    EXPECT_EQ(Batch().PairLines(), Win({"0", "2", "к", "", "1", "2"}));
    EXPECT_EQ(Batch().PairsGrid->currentRow(), 1); // still on the pair "к"
    EXPECT_EQ(Batch().CountLbl->text(), QStringLiteral("Всего Пар: 3"));

    Batch().PairsGrid->selectRow(2);
    Batch().PairsGridDblClick();
    EXPECT_EQ(Ui().MaskCbx->currentText(), QStringLiteral("1"));
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

// A drag of the given kind over the grid's viewport: enter and move at one
// point, then the drop there. Returns whether the grid took the drag.
bool DragOnGrid(TPairsGrid& grid, const QString& kind, const QPoint& at, bool drop = true)
{
    QMimeData data;
    data.setData(kind, QByteArray());
    QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(grid.viewport(), &enter);
    if (!enter.isAccepted())
        return false;
    QDragMoveEvent move(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(grid.viewport(), &move);
    if (drop) {
        QDropEvent dropped(QPointF(at), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(grid.viewport(), &dropped);
    }
    return move.isAccepted();
}

QPoint RowPoint(TPairsGrid& grid, int row) { return grid.visualRect(grid.model()->index(row, 1)).center(); }

TEST_F(BatchTest, LibraryPairsAreDroppedBeforeTheRowUnderThePointer)
{
    Batch().resize(350, 400);
    Batch().show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&Batch()));
    TPairsGrid& grid = *Batch().PairsGrid;
    Batch().SetPairLines(Win({"0", "0", "1", "1"}));
    const QString library = LibraryPairMimeType();
    // The program's library grid is the only source: a drag that names none
    // (another program's) is refused.
    EXPECT_FALSE(DragOnGrid(grid, library, RowPoint(grid, 1)));
    EXPECT_EQ(Batch().PairCount(), 2);
    // The drags made up below name no source either; they stand for the
    // library's own.
    Batch().IsLibraryGrid = [](const QObject*) { return true; };
    // Without a library to ask, its pairs are not taken.
    Batch().LibraryPair = nullptr;
    EXPECT_FALSE(DragOnGrid(grid, library, RowPoint(grid, 1)));
    EXPECT_EQ(Batch().PairCount(), 2);

    TDraggedPair offered{Utf8ToWin("л"), Utf8ToWin("м")};
    int asked = 0;
    Batch().LibraryPair = [&] {
        ++asked;
        return offered;
    };
    // Hovering selects the row under the pointer; the pair goes before it and
    // the selection stays on the pair that was there.
    EXPECT_TRUE(DragOnGrid(grid, library, RowPoint(grid, 1), false));
    EXPECT_EQ(grid.currentRow(), 1);
    EXPECT_EQ(asked, 0);
    EXPECT_TRUE(DragOnGrid(grid, library, RowPoint(grid, 1)));
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(Batch().PairLines(), Win({"0", "0", "л", "м", "1", "1"}));
    EXPECT_EQ(grid.currentRow(), 2);
    EXPECT_EQ(Batch().CountLbl->text(), QStringLiteral("Всего Пар: 3"));
    // The end row appends; a point below every row counts as row 0.
    offered = {"e", ""};
    DragOnGrid(grid, library, RowPoint(grid, 3));
    offered = {"", "f"};
    DragOnGrid(grid, library, QPoint(30, grid.viewport()->height() - 2));
    EXPECT_EQ(Batch().PairLines(), Win({"", "f", "0", "0", "л", "м", "1", "1", "e", ""}));
    // A pair with both masks empty adds nothing.
    offered = {};
    DragOnGrid(grid, library, RowPoint(grid, 0));
    EXPECT_EQ(Batch().PairCount(), 5);

    // A pair of this grid counts only when it comes from this very grid: a
    // drag that names no source (another program's) is refused.
    Batch().SetPairLines(Win({"0", "0", "1", "1"}));
    grid.DragRow = 0;
    EXPECT_FALSE(DragOnGrid(grid, TPairsGrid::MimeType(), RowPoint(grid, 2)));
    EXPECT_EQ(Batch().PairLines(), Win({"0", "0", "1", "1"}));
    EXPECT_EQ(TPairsGrid::MimeType(), ScenarioPairMimeType());

    // Nothing is taken while the scenario runs.
    Main().AddFile(Files.Write("f.txt", "0"), 0);
    QTest::mouseClick(Batch().GoBtn, Qt::LeftButton);
    ASSERT_TRUE(Batch().Running());
    offered = {"x", "y"};
    EXPECT_FALSE(DragOnGrid(grid, library, RowPoint(grid, 0)));
    ASSERT_TRUE(WaitRun());
    EXPECT_EQ(Batch().PairLines(), Win({"0", "0", "1", "1"}));
}

TEST_F(BatchTest, KeysAddDeleteAndRun)
{
    Batch().show();
    Batch().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Batch()));
    TPairsGrid& grid = *Batch().PairsGrid;
    grid.setFocus();
    Ui().MaskCbx->setEditText(QStringLiteral("а"));
    Ui().ReplaceCbx->setEditText(QStringLiteral("б"));
    QTest::keyClick(&grid, Qt::Key_Insert);
    Ui().MaskCbx->setEditText(QStringLiteral("в"));
    grid.SelectRow(0);
    QTest::keyClick(&grid, Qt::Key_Insert);
    EXPECT_EQ(Batch().PairLines(), Win({"в", "б", "а", "б"}));
    QTest::keyClick(&grid, Qt::Key_Delete); // the selection stayed on "а"
    EXPECT_EQ(Batch().PairLines(), Win({"в", "б"}));

    // F9 runs when it is let go, not when it is pressed.
    Main().AddFile(Files.Write("f.txt", Utf8ToWin("вв")), 0);
    QTest::keyPress(&grid, Qt::Key_F9);
    EXPECT_FALSE(Batch().Running());
    QTest::keyRelease(&grid, Qt::Key_F9);
    EXPECT_TRUE(Batch().Running());
    EXPECT_FALSE(Batch().GoBtn->isEnabled());
    QTest::keyClick(&grid, Qt::Key_Delete); // the grid is locked with the run
    EXPECT_EQ(Batch().PairCount(), 1);
    ASSERT_TRUE(WaitRun());
    EXPECT_EQ(TTempDir::Read(Files.Path("f.txt")), Utf8ToWin("бб"));
    EXPECT_EQ(Cell(0, 4), QStringLiteral("2"));
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
    EXPECT_FALSE(Ui().TasksPgC->isEnabled());
    EXPECT_FALSE(Batch().GoBtn->isEnabled());
    EXPECT_TRUE(Batch().StopBtn->isEnabled());
    ASSERT_TRUE(WaitRun());
    ExpectUnlocked();
    EXPECT_TRUE(Dialogs.Errors.isEmpty());

    EXPECT_EQ(TTempDir::Read(Files.Path("one.txt")), "dddddd");
    EXPECT_EQ(TTempDir::Read(Files.Path("two.txt")), "dd dd");
    ASSERT_EQ(Ui().FilesLvw->columnCount(), 7);
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
    EXPECT_EQ(Ui().FilesLvw->columnCount(), 5);
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
    Ui().ReNameRbt->setChecked(true);
    Run();
    EXPECT_EQ(Ui().Entry(0)->text(0), QStringLiteral("c1c.txt"));
    EXPECT_TRUE(TTempDir::Exists(Files.Path("c1c.txt")));
    EXPECT_EQ(TTempDir::Read(Files.Path("c1c.txt")), "xa"); // the contents stay
    QTest::mouseClick(Ui().RestoreBtn, Qt::LeftButton);
    EXPECT_TRUE(TTempDir::Exists(Files.Path("a1a.txt")));
    EXPECT_EQ(Ui().Entry(0)->text(0), QStringLiteral("a1a.txt"));

    Ui().TasksPgC->setCurrentIndex(1);
    Ui().ClipboardMmo->setPlainText(QStringLiteral("ab"));
    Run();
    EXPECT_EQ(Batch().RunTarget(), TStepTarget::Clipboard);
    EXPECT_EQ(Ui().ClipboardMmo->toPlainText(), QStringLiteral("cc"));
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("cc"));
    EXPECT_EQ(Batch().StepCounts(), (std::vector<std::string>{"1", "2"}));
    EXPECT_EQ(Ui().ReplaceCountEdt->text(), QStringLiteral("2"));
    ClickRow(0);
    EXPECT_EQ(Ui().ReplaceCountEdt->text(), QStringLiteral("1"));
    ClickRow(2);
    EXPECT_EQ(Ui().ReplaceCountEdt->text(), QStringLiteral("1"));
    QTest::mouseClick(Ui().RestoreBtn, Qt::LeftButton);
    EXPECT_EQ(Ui().ClipboardMmo->toPlainText(), QStringLiteral("ab"));
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
    EXPECT_EQ(Ui().FilePBr->value(), 0);
    EXPECT_EQ(Ui().EntirePBr->value(), 0);
    EXPECT_EQ(Cell(0, 4), QStringLiteral("200000"));
    EXPECT_EQ(Cell(1, 4), QStringLiteral("1"));
    EXPECT_FALSE(Ui().Entry(0)->data(5, Qt::DisplayRole).isValid());
    EXPECT_FALSE(Ui().Entry(1)->data(5, Qt::DisplayRole).isValid());
    // The third step did not run.
    EXPECT_EQ(TTempDir::Read(Files.Path("small.txt")).find('q'), std::string::npos);

    QTest::mouseClick(Ui().RestoreBtn, Qt::LeftButton);
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
    EXPECT_FALSE(Ui().Entry(0)->data(5, Qt::DisplayRole).isValid());
}

} // namespace
} // namespace tekstovar
