#include "scenario/batchfixture.h"

#include "encodings/recode.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QRadioButton>
#include <QTextEdit>

namespace tekstovar {
namespace {

using test::TTempDir;

TEST_F(BatchTest, WithoutTheStepTableTheCountsAreStillKept)
{
    Main().Settings().BatchReplacesTable = false;
    Main().AddFile(Files.Write("one.txt", "aab"), 0);
    Main().AddFile(Files.Write("two.txt", "b"), 0);
    Batch().SetPairLines(Win({"a", "b", "b", "c"}));
    Run();
    EXPECT_EQ(Ui().FilesLvw->columnCount(), 4);
    EXPECT_EQ(TTempDir::Read(Files.Path("one.txt")), "ccc");
    // "Замены" shows the last step; the hidden sub-items hold every step.
    EXPECT_EQ(Cell(0, 3), QStringLiteral("3"));
    EXPECT_EQ((QStringList{Cell(0, 4), Cell(0, 5), Cell(1, 4), Cell(1, 5)}),
        (QStringList{QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("0"), QStringLiteral("1")}));
    ClickRow(0);
    EXPECT_EQ(Cell(0, 3), QStringLiteral("2"));
    EXPECT_EQ(Cell(1, 3), QStringLiteral("0"));

    // With the table back on, a new run gets its columns.
    Main().Settings().BatchReplacesTable = true;
    Run();
    ASSERT_EQ(Ui().FilesLvw->columnCount(), 6);
    EXPECT_EQ(Header(5), QStringLiteral("Шаг 2"));
}

// Every pair is checked before the first step: a fault is asked about with
// No as the default, and No writes nothing at all.
TEST_F(BatchTest, APairTheEngineWouldFaultOnIsAskedAboutFirst)
{
    Main().AddFile(Files.Write("f.txt", "ab"), 0);
    Batch().SetPairLines(Win({"a", "x", "b", "\\3"}));
    Dialogs.ConfirmAnswers.push_back(false);
    QTest::mouseClick(Batch().GoBtn, Qt::LeftButton);
    EXPECT_FALSE(Batch().Running());
    ASSERT_EQ(Dialogs.Confirms.size(), 1);
    EXPECT_FALSE(Dialogs.Confirms[0].YesByDefault);
    EXPECT_TRUE(Dialogs.Confirms[0].Text.startsWith(QStringLiteral("Шаг 2: Неверный Формат Строки Замены")));
    EXPECT_EQ(TTempDir::Read(Files.Path("f.txt")), "ab");

    Dialogs.ConfirmAnswers.push_back(true);
    Run();
    EXPECT_EQ(Dialogs.Confirms.size(), 2);
    EXPECT_EQ(TTempDir::Read(Files.Path("f.txt")), "x");
}

TEST_F(BatchTest, AScenarioWithoutPairsOnlyClearsTheLastCounts)
{
    Main().AddFile(Files.Write("f.txt", "ab"), 0);
    Batch().SetPairLines(Win({"a", "b", "b", "c"}));
    Run();
    ASSERT_EQ(Ui().FilesLvw->columnCount(), 6);
    // An odd line is no pair either.
    Batch().SetPairLines(Win({"c"}));
    Run();
    ExpectUnlocked();
    EXPECT_TRUE(Dialogs.Errors.isEmpty());
    EXPECT_EQ(TTempDir::Read(Files.Path("f.txt")), "cc");
    EXPECT_EQ(Cell(0, 3), QString());
    EXPECT_FALSE(HasCell(0, 4));
    // No step column is left over counts that are gone.
    EXPECT_EQ(Ui().FilesLvw->columnCount(), 4);
    ClickRow(0);
    EXPECT_EQ(Cell(0, 3), QString());

    Ui().TasksPgC->setCurrentIndex(1);
    Ui().ClipboardMmo->setPlainText(QStringLiteral("a"));
    Ui().ReplaceCountEdt->setText(QStringLiteral("7"));
    Run();
    EXPECT_EQ(Batch().RunTarget(), TStepTarget::Clipboard);
    EXPECT_TRUE(Batch().StepCounts().empty());
    EXPECT_EQ(Ui().ReplaceCountEdt->text(), QString());
    EXPECT_EQ(Ui().ClipboardMmo->toPlainText(), QStringLiteral("a"));
}

// The stop comes when the worker of the second step has finished and told
// the list so, but the step's end has not yet reached the scenario.
TEST_F(BatchTest, AStopAfterAStepsWorkerFinishedLeavesNoColumnWithoutCounts)
{
    Main().AddFile(Files.Write("f.txt", "ab"), 0);
    Batch().SetPairLines(Win({"a", "b", "b", "c", "c", "d"}));
    QTest::mouseClick(Batch().GoBtn, Qt::LeftButton);
    QDeadlineTimer deadline(30000);
    Queue->ServeUntil([&] { return Ui().FilesLvw->columnCount() == 6 || deadline.hasExpired(); });
    ASSERT_EQ(Batch().StepIndex(), 1);
    ASSERT_EQ(Header(5), QStringLiteral("Шаг 2"));
    QTest::mouseClick(Batch().StopBtn, Qt::LeftButton);
    Queue->RunPending();
    ExpectUnlocked();
    // The finished step keeps what it did; only the first step is counted,
    // and every column has its counts.
    EXPECT_EQ(TTempDir::Read(Files.Path("f.txt")), "cc");
    EXPECT_EQ(Ui().FilesLvw->columnCount(), 5);
    EXPECT_EQ(Cell(0, 4), QStringLiteral("1"));
    EXPECT_FALSE(HasCell(0, 5));
    ClickRow(0);
    ClickRow(1);
    EXPECT_EQ(Cell(0, 3), QStringLiteral("1"));

    // The same on the clipboard: the text of the finished step stays, its
    // count is not one of the steps'.
    Ui().TasksPgC->setCurrentIndex(1);
    Ui().ClipboardMmo->setPlainText(QStringLiteral("ab"));
    QTest::mouseClick(Batch().GoBtn, Qt::LeftButton);
    deadline = QDeadlineTimer(30000);
    Queue->ServeUntil([&] {
        return (Batch().StepIndex() == 1 && Ui().ClipboardMmo->toPlainText() == QStringLiteral("cc")) ||
            deadline.hasExpired();
    });
    ASSERT_EQ(Batch().StepIndex(), 1);
    QTest::mouseClick(Batch().StopBtn, Qt::LeftButton);
    Queue->RunPending();
    ExpectUnlocked();
    EXPECT_EQ(Batch().StepCounts(), (std::vector<std::string>{"1"}));
    EXPECT_EQ(Ui().ClipboardMmo->toPlainText(), QStringLiteral("cc"));
    EXPECT_EQ(Ui().FilePBr->value(), 0);
}

// A file whose backup cannot be made is left alone in the first step; the
// later steps, which take no backups, must leave it alone too, or "Вернуть"
// could not undo them.
TEST_F(BatchTest, AFileWithoutBackupStaysUntouchedInLaterSteps)
{
    // Below the backup root, a file stands where one.txt's directory should.
    TTempDir root;
    Main().SetBackupRoot(root.Path() + "/");
    const std::string one = Files.Write("sub/one.txt", "ab");
    root.Write(Files.Path("sub").substr(1), "in the way");
    Main().AddFile(one, 0);
    Main().AddFile(Files.Write("two.txt", "ab"), 0);
    ASSERT_TRUE(Ui().BackUpChk->isChecked());
    Batch().SetPairLines(Win({"a", "b", "b", "c"}));
    Run();
    ExpectUnlocked();
    EXPECT_EQ(TTempDir::Read(one), "ab");
    EXPECT_EQ(TTempDir::Read(Files.Path("two.txt")), "cc");
    // No count for the file left alone, in either step.
    EXPECT_EQ(Cell(0, 4), QString());
    EXPECT_EQ(Cell(0, 5), QString());
    EXPECT_EQ(Cell(1, 5), QStringLiteral("2"));
    QTest::mouseClick(Ui().RestoreBtn, Qt::LeftButton);
    EXPECT_EQ(TTempDir::Read(one), "ab");
    EXPECT_EQ(TTempDir::Read(Files.Path("two.txt")), "ab");
}

// A file the first step leaves as it is gets its backup right before a later
// step changes it, so "Вернуть" still brings back the state before the run;
// a file no step changes gets none.
TEST_F(BatchTest, AFileFirstChangedInALaterStepIsBackedUpThen)
{
    Main().AddFile(Files.Write("a.txt", "xy"), 0);
    Main().AddFile(Files.Write("b.txt", "zz"), 0);
    Batch().SetPairLines(Win({"q", "w", "x", "X", "y", "Y"}));
    Run();
    EXPECT_EQ(TTempDir::Read(Files.Path("a.txt")), "XY");
    EXPECT_FALSE(TTempDir::Exists(Files.Path("b.tx_")));
    QTest::mouseClick(Ui().RestoreBtn, Qt::LeftButton);
    EXPECT_EQ(TTempDir::Read(Files.Path("a.txt")), "xy");
    EXPECT_FALSE(TTempDir::Exists(Files.Path("a.tx_")));
}

// Each file step reads the list anew: the second step sees the code page the
// first one recoded into, so it neither misses its matches nor recodes twice.
TEST_F(BatchTest, EachFileStepSeesTheCodePageAndNamesTheStepBeforeLeft)
{
    Main().AddFile(Files.Write("я.txt", Utf8ToWin("яблоко")), 0);
    Ui().ReCodeChk->setChecked(true);
    Ui().EncodingCbx->setCurrentIndex(1); // KOI
    Batch().SetPairLines(Win({"я", "ю", "ю", "Ю"}));
    Run();
    std::string expected = Utf8ToWin("Юблоко");
    RecodeString(expected, 0, 1);
    EXPECT_EQ(TTempDir::Read(Files.Path("я.txt")), expected);
    EXPECT_EQ(Batch().StepEncodings(), (std::vector<std::string>{"KOI"}));
    EXPECT_EQ(Cell(0, 2), QStringLiteral("KOI"));
    EXPECT_EQ((QStringList{Cell(0, 4), Cell(0, 5)}), (QStringList{QStringLiteral("1"), QStringLiteral("1")}));
    EXPECT_EQ(Batch().StepReplacer(), nullptr); // released once the run is over

    Ui().ReCodeChk->setChecked(false);
    Ui().ReNameRbt->setChecked(true);
    Main().AddFile(Files.Write("яма.txt", ""), 0);
    Run();
    EXPECT_TRUE(TTempDir::Exists(Files.Path("Юма.txt")));
    // The second step worked on the name the first one gave.
    ASSERT_EQ(Batch().StepPaths().size(), 2u);
    EXPECT_EQ(Batch().StepPaths()[1], Files.Path("юма.txt"));
}

TEST_F(BatchTest, ALogThatCannotBeWrittenIsToldOncePerScenario)
{
    Main().Settings().Logging = true;
    Main().Settings().LogFileName = Home.Path("missing/QZ.Log");
    Main().AddFile(Files.Write("f.txt", "a"), 0);
    Batch().SetPairLines(Win({"a", "b", "b", "c", "c", "d"}));
    Run();
    EXPECT_EQ(TTempDir::Read(Files.Path("f.txt")), "d");
    EXPECT_EQ(Dialogs.Errors.size(), 1);
    Run();
    EXPECT_EQ(Dialogs.Errors.size(), 2); // a new scenario tells again
}

// A preview of the scenario: every step on what the one before would have
// left, its counts in the step columns, the result of all steps in the
// preview window, and nothing written.
TEST_F(BatchTest, APreviewOfTheScenarioWritesNothing)
{
    Main().AddFile(Files.Write("one.txt", "aab\n"), 0);
    const auto stamp = std::filesystem::last_write_time(Files.Path("one.txt"));
    Batch().SetPairLines(Win({"a", "b", "b", "c"}));
    QTest::mouseClick(Batch().PreviewBtn, Qt::LeftButton);
    ASSERT_TRUE(WaitRun());
    ExpectUnlocked();
    EXPECT_EQ(TTempDir::Read(Files.Path("one.txt")), "aab\n");
    EXPECT_EQ(std::filesystem::last_write_time(Files.Path("one.txt")), stamp);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Files.Path()), {}), 1);
    ASSERT_EQ(Ui().FilesLvw->columnCount(), 6);
    EXPECT_EQ((QStringList{Cell(0, 4), Cell(0, 5)}), (QStringList{QStringLiteral("2"), QStringLiteral("3")}));
    auto* preview = Main().findChild<QWidget*>(QStringLiteral("PreviewFrm"));
    ASSERT_TRUE(preview && preview->isVisible());
    const QString changes = test::Control<QTextEdit>(*preview, "ChangesMmo")->toPlainText();
    EXPECT_TRUE(changes.contains(QStringLiteral("1 - aab"))) << changes.toStdString();
    EXPECT_TRUE(changes.contains(QStringLiteral("1 + ccc"))) << changes.toStdString();

    // A run after it writes as usual.
    Run();
    EXPECT_EQ(TTempDir::Read(Files.Path("one.txt")), "ccc\n");
}

} // namespace
} // namespace tekstovar
