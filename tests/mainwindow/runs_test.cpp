#include "app/program.h"
#include "encodings/codepages.h"
#include "encodings/recode.h"
#include "encodings/utf8.h"
#include "engine/maskedreplacer.h"
#include "engine/replacerthread.h"
#include "mainwindow/listview.h"
#include "mainwindow/mainfrm.h"
#include "mainwindow/mainfrmui.h"
#include "platform/dispatcher.h"
#include "platform/winunicode.h"
#include "support/mainui.h"
#include "support/tempdir.h"
#include "support/testdialogs.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTextEdit>
#include <QToolButton>

#include <filesystem>
#include <sys/stat.h>

#include <gtest/gtest.h>

namespace tekstovar {
namespace {

using test::TTempDir;
using test::TTestDialogs;

class RunsTest : public ::testing::Test {
protected:
    TTempDir Home;
    TTempDir Files;
    TTestDialogs Dialogs;
    std::unique_ptr<TProgram> Program;

    // The worker's calls reach the window through a plain queue that the
    // test serves: the same order as Qt's event queue, and visible to
    // ThreadSanitizer, which cannot see into Qt's own locks.
    TQueueDispatcher* Queue = nullptr;

    void SetUp() override
    {
        Program = std::make_unique<TProgram>(Dialogs, Home.Path());
        auto queue = std::make_unique<TQueueDispatcher>();
        Queue = queue.get();
        Main().UseDispatcher(std::move(queue));
    }
    TMainFrm& Main() { return Program->MainFrm(); }
    test::TMainUi Ui() { return test::TMainUi(Main()); }

    // Serves the event loop until the run's end handler has made the window
    // idle again.
    bool WaitIdle()
    {
        QDeadlineTimer deadline(20000);
        while (!Main().Idle() && !deadline.hasExpired()) {
            Queue->ServeUntil([&] { return Main().Idle() || deadline.hasExpired(); });
            QCoreApplication::processEvents();
        }
        Queue->RunPending();
        return Main().Idle();
    }

    void Go(const QString& search, const QString& replace)
    {
        Ui().MaskCbx->setEditText(search);
        Ui().ReplaceCbx->setEditText(replace);
        QTest::mouseClick(Ui().GoBtn, Qt::LeftButton);
    }

    QString Count(int row) { return Ui().Entry(row)->text(3); }
    QString Page(int row) { return Ui().Entry(row)->text(2); }
};

TEST_F(RunsTest, ContentsRunWithBackupsRecodingLogAndRestore)
{
    Main().Settings().Logging = true;
    Main().Settings().LogFileName = Home.Path("QZ.Log");
    std::string koi = Utf8ToWin("кот и кот");
    RecodeString(koi, EncodingWin, EncodingKoi);
    const std::vector<std::string> originals = {Utf8ToWin("кот"), koi, Utf8ToWin("пёс")};
    Main().AddFile(Files.Write("a.txt", originals[0]), 0);
    Main().AddFile(Files.Write("b.txt", originals[1]), 1);
    Main().AddFile(Files.Write("c.txt", originals[2]), 0);
    Ui().ReCodeChk->click();
    Ui().EncodingCbx->setCurrentIndex(EncodingKoi);
    Go(QStringLiteral("кот"), QStringLiteral("кит"));
    EXPECT_FALSE(Main().Idle());
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(Ui().EntirePBr->maximum(), 30);
    EXPECT_EQ(Count(0), QStringLiteral("1"));
    EXPECT_EQ(Count(1), QStringLiteral("2"));
    EXPECT_EQ(Count(2), QStringLiteral("0"));
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(Page(i), QStringLiteral("KOI"));
    std::string expected = Utf8ToWin("кит и кит");
    RecodeString(expected, EncodingWin, EncodingKoi);
    EXPECT_EQ(TTempDir::Read(Main().FilePaths()[1]), expected);
    EXPECT_EQ(Main().ActiveReplacer(), nullptr);
    EXPECT_EQ(Ui().SummaryLbl->text(), QStringLiteral("Файлов: 3, Изменено: 3, Замен: 3, Пропущено: 0"));
    EXPECT_TRUE(Ui().FailuresBtn->isHidden());
    // The pair went to the top of the histories when the run started.
    ASSERT_EQ(Ui().MaskCbx->count(), 1);
    EXPECT_EQ(Ui().MaskCbx->itemText(0), QStringLiteral("кот"));
    EXPECT_EQ(Ui().ReplaceCbx->itemText(0), QStringLiteral("кит"));
    // The log: the empty line, the date, the mode, two masks, a line a file.
    const std::string log = TTempDir::Read(Home.Path("QZ.Log"));
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 8);
    EXPECT_NE(log.find(Utf8ToWin("Замена В Содержимом Файлов\r\n")), std::string::npos);
    EXPECT_NE(log.find(Main().FilePaths()[1] + "\t2\r\n"), std::string::npos);

    QTest::mouseClick(Ui().RestoreBtn, Qt::LeftButton);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(
            TTempDir::Read(Main().FilePaths()[static_cast<std::size_t>(i)]), originals[static_cast<std::size_t>(i)]);
        EXPECT_EQ(Count(i), QString());
    }
    EXPECT_EQ(Page(0), QStringLiteral("WIN"));
    EXPECT_EQ(Page(1), QStringLiteral("KOI"));
    EXPECT_EQ(Ui().SummaryLbl->text(), QStringLiteral("Возвращено: 3, Не Удалось Вернуть: 0"));
    // Restored once: a second press changes nothing.
    QTest::mouseClick(Ui().RestoreBtn, Qt::LeftButton);
    EXPECT_EQ(TTempDir::Read(Main().FilePaths()[0]), originals[0]);
    EXPECT_EQ(Ui().SummaryLbl->text(), QStringLiteral("Возвращено: 0, Не Удалось Вернуть: 0"));
}

// The run does its work all the same; the user learns at its end, once, that
// the log he asked for was not written.
TEST_F(RunsTest, ALogThatCannotBeWrittenIsToldAtTheEnd)
{
    Main().Settings().Logging = true;
    Main().Settings().LogFileName = Home.Path("missing/QZ.Log");
    Main().AddFile(Files.Write("a.txt", "ab"), 0);
    Main().AddFile(Files.Write("b.txt", "a"), 0);
    Go(QStringLiteral("a"), QStringLiteral("c"));
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(TTempDir::Read(Files.Path("a.txt")), "cb");
    EXPECT_EQ(TTempDir::Read(Files.Path("b.txt")), "c");
    ASSERT_EQ(Dialogs.Errors.size(), 1);
    EXPECT_TRUE(Dialogs.Errors[0].contains(QString::fromStdString(Home.Path("missing/QZ.Log"))))
        << Dialogs.Errors[0].toStdString();

    // A log that works again says nothing.
    Main().Settings().LogFileName = Home.Path("QZ.Log");
    Go(QStringLiteral("c"), QStringLiteral("d"));
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(Dialogs.Errors.size(), 1);
}

// With logging off the log path is not even looked at, whatever it holds.
TEST_F(RunsTest, WithLoggingOffNoLogIsTouched)
{
    Main().Settings().Logging = false;
    Main().Settings().LogFileName = Home.Path("日本/QZ.Log");
    Main().AddFile(Files.Write("a.txt", "a"), 0);
    Go(QStringLiteral("a"), QStringLiteral("b"));
    ASSERT_TRUE(WaitIdle());
    Ui().TasksPgC->setCurrentIndex(1);
    Ui().ClipboardMmo->setPlainText(QStringLiteral("a"));
    Go(QStringLiteral("a"), QStringLiteral("b"));
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(TTempDir::Read(Files.Path("a.txt")), "b");
    EXPECT_EQ(Ui().ClipboardMmo->toPlainText(), QStringLiteral("b"));
    EXPECT_TRUE(Dialogs.Errors.isEmpty()) << Dialogs.Errors.join(u'\n').toStdString();
}

// A range of 0..0 is Qt's busy animation: no command leaves a bar in it.
TEST_F(RunsTest, TheProgressBarsNeverStayBusy)
{
    Main().AddFile(Files.Write("a.txt", "a"), 0);
    for (QPushButton* button : {Ui().RestoreBtn, Ui().EraseBtn}) {
        QTest::mouseClick(button, Qt::LeftButton);
        EXPECT_GE(Ui().EntirePBr->maximum(), 1) << button->objectName().toStdString();
    }
    Ui().TasksPgC->setCurrentIndex(1);
    Ui().ClipboardMmo->clear();
    Go(QStringLiteral("a"), QStringLiteral("b"));
    ASSERT_TRUE(WaitIdle());
    EXPECT_GE(Ui().FilePBr->maximum(), 1);
    EXPECT_GE(Ui().EntirePBr->maximum(), 1);
}

TEST_F(RunsTest, WithoutBackupsNothingIsRecordedAndEraseDeletesBackups)
{
    Main().AddFile(Files.Write("a.txt", "aaa"), 0);
    Ui().BackUpChk->setChecked(false);
    Go(QStringLiteral("a"), QStringLiteral("b"));
    ASSERT_TRUE(WaitIdle());
    EXPECT_FALSE(TTempDir::Exists(Files.Path("a.tx_")));
    Ui().BackUpChk->setChecked(true);
    Go(QStringLiteral("b"), QStringLiteral("c"));
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(TTempDir::Read(Files.Path("a.tx_")), "bbb");
    QTest::mouseClick(Ui().EraseBtn, Qt::LeftButton);
    EXPECT_FALSE(TTempDir::Exists(Files.Path("a.tx_")));
    EXPECT_EQ(Ui().SummaryLbl->text(), QStringLiteral("Удалено Копий: 1, Не Удалось Удалить: 0"));
    QTest::mouseClick(Ui().RestoreBtn, Qt::LeftButton);
    EXPECT_EQ(TTempDir::Read(Files.Path("a.txt")), "ccc");
}

TEST_F(RunsTest, NamesRunAndItsRestore)
{
    Main().AddFile(Files.Write("a.txt", "1"), 0);
    Main().AddFile(Files.Write("x.txt", "2"), 0);
    Ui().ReNameRbt->setChecked(true);
    Go(QStringLiteral("a."), QStringLiteral("b."));
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(Ui().Entry(0)->text(0), QStringLiteral("b.txt"));
    EXPECT_EQ(Main().FilePaths()[0], Files.Path("b.txt"));
    EXPECT_EQ(Count(0), QStringLiteral("1"));
    EXPECT_EQ(Count(1), QStringLiteral("0"));
    EXPECT_TRUE(TTempDir::Exists(Files.Path("b.txt")));

    QTest::mouseClick(Ui().RestoreBtn, Qt::LeftButton);
    EXPECT_EQ(Ui().Entry(0)->text(0), QStringLiteral("a.txt"));
    EXPECT_EQ(Main().FilePaths()[0], Files.Path("a.txt"));
    EXPECT_EQ(TTempDir::Read(Files.Path("a.txt")), "1");
    EXPECT_FALSE(TTempDir::Exists(Files.Path("b.txt")));
    // The entry can be removed: the lists are in step.
    Ui().FilesLvw->clearSelection();
    Ui().Entry(0)->setSelected(true);
    QTest::mouseClick(Ui().DelBtn, Qt::LeftButton);
    EXPECT_EQ(Main().EntryCount(), 1);
    EXPECT_TRUE(Dialogs.Errors.isEmpty());
}

TEST_F(RunsTest, ANameThatOnlyChangedItsCaseComesBack)
{
    Main().AddFile(Files.Write("a.txt", "1"), 0);
    Ui().ReNameRbt->setChecked(true);
    Go(QStringLiteral("a.txt"), QStringLiteral("A.txt"));
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(Ui().Entry(0)->text(0), QStringLiteral("A.txt"));
    QTest::mouseClick(Ui().RestoreBtn, Qt::LeftButton);
    // The file is present under its earlier name, and only there.
    EXPECT_EQ(TTempDir::Read(Files.Path("a.txt")), "1");
    EXPECT_FALSE(TTempDir::Exists(Files.Path("A.txt")));
    EXPECT_EQ(Main().FilePaths()[0], Files.Path("a.txt"));
}

TEST_F(RunsTest, ANameWhoseBackupCopyVanishedStays)
{
    Main().AddFile(Files.Write("a.txt", "1"), 0);
    Ui().ReNameRbt->setChecked(true);
    Go(QStringLiteral("a"), QStringLiteral("b"));
    ASSERT_TRUE(WaitIdle());
    std::filesystem::remove(Files.Path("a.tx_"));
    QTest::mouseClick(Ui().RestoreBtn, Qt::LeftButton);
    EXPECT_EQ(Ui().Entry(0)->text(0), QStringLiteral("b.txt"));
    EXPECT_TRUE(TTempDir::Exists(Files.Path("b.txt")));
    EXPECT_FALSE(TTempDir::Exists(Files.Path("a.txt")));
}

// A backup whose copy has gone brings back neither the contents nor the code
// page the run left: the list must not claim the old page for new contents.
TEST_F(RunsTest, ABackupCopyThatVanishedKeepsTheCodePage)
{
    Main().AddFile(Files.Write("a.txt", Utf8ToWin("кот")), EncodingWin);
    Ui().ReCodeChk->click();
    Ui().EncodingCbx->setCurrentIndex(EncodingKoi);
    Go(QStringLiteral("т"), QStringLiteral("т"));
    ASSERT_TRUE(WaitIdle());
    ASSERT_EQ(Page(0), QStringLiteral("KOI"));
    std::filesystem::remove(Files.Path("a.tx_"));
    QTest::mouseClick(Ui().RestoreBtn, Qt::LeftButton);
    EXPECT_EQ(Page(0), QStringLiteral("KOI"));
    EXPECT_EQ(Ui().SummaryLbl->text(), QStringLiteral("Возвращено: 0, Не Удалось Вернуть: 1"));
    ASSERT_EQ(Dialogs.Errors.size(), 1);
    EXPECT_TRUE(Dialogs.Errors[0].contains(QString::fromStdString(Files.Path("a.txt"))));
}

TEST_F(RunsTest, StopDuringALongContentsRunLosesNothing)
{
    std::string big;
    for (int i = 0; i < 400000; ++i)
        big += "ab ";
    Main().AddFile(Files.Write("big.txt", big), 0);
    Main().AddFile(Files.Write("small.txt", "ab"), 0);
    Go(QStringLiteral("\\-b\\?"), QStringLiteral("x"));
    ASSERT_FALSE(Main().Idle());
    EXPECT_FALSE(Main().close()); // refused while running
    // The stop comes once the big file is under way.
    QDeadlineTimer deadline(20000);
    const int started = static_cast<int>(big.size()) + 1; // the file bar's range, once it starts
    Queue->ServeUntil([&] { return Ui().FilePBr->maximum() == started || deadline.hasExpired(); });
    QTest::mouseClick(Ui().StopBtn, Qt::LeftButton);
    EXPECT_TRUE(Main().Idle());
    EXPECT_EQ(Main().ActiveReplacer(), nullptr);
    EXPECT_TRUE(Ui().SummaryLbl->text().startsWith(QStringLiteral("Остановлено. Файлов: 2, ")));
    const std::string now = TTempDir::Read(Files.Path("big.txt"));
    // Either untouched or completely replaced, never half.
    EXPECT_TRUE(now == big || now.size() < big.size() / 2);
    if (now == big) {
        // The file the stop fell in counts nothing and has no backup.
        EXPECT_EQ(Count(0), QStringLiteral("0"));
        EXPECT_FALSE(TTempDir::Exists(Files.Path("big.tx_")));
    }
    EXPECT_EQ(TTempDir::Read(Files.Path("small.txt")).size() <= 2, true);
    QTest::mouseClick(Ui().RestoreBtn, Qt::LeftButton);
    EXPECT_EQ(TTempDir::Read(Files.Path("big.txt")), big);
}

// An older backup beside a file is neither put back in place of this run's
// nor deleted: "Вернуть" brings back the state before this run, "Удалить"
// removes only this run's backup.
TEST_F(RunsTest, AnOlderBackupIsNeitherRestoredNorDeleted)
{
    Main().AddFile(Files.Write("a.txt", "before"), 0);
    Files.Write("a.tx_", "older");
    Go(QStringLiteral("e"), QStringLiteral("E"));
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(TTempDir::Read(Files.Path("a.txt")), "bEforE");
    QTest::mouseClick(Ui().RestoreBtn, Qt::LeftButton);
    EXPECT_EQ(TTempDir::Read(Files.Path("a.txt")), "before");
    EXPECT_EQ(TTempDir::Read(Files.Path("a.tx_")), "older");
    Go(QStringLiteral("e"), QStringLiteral("E"));
    ASSERT_TRUE(WaitIdle());
    QTest::mouseClick(Ui().EraseBtn, Qt::LeftButton);
    EXPECT_EQ(TTempDir::Read(Files.Path("a.tx_")), "older");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Files.Path()), {}), 2);
}

// What is not a regular file neither blocks the window when it is added nor
// is touched by a run; why it was left reaches its entry, the summary and the
// list of the files left.
TEST_F(RunsTest, SpecialFilesNeitherBlockNorChange)
{
    const std::string fifo = Files.Path("fifo.txt");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    Main().AddFile(fifo, EncodingDetect); // detection reads its head: it must not wait for a writer
    Main().AddFile(Files.Write("a.txt", "a"), 0);
    Main().AddFile(Files.Write("x.txt", "x"), 0);
    Dialogs.Errors.clear();
    Go(QStringLiteral("a"), QStringLiteral("b"));
    ASSERT_TRUE(WaitIdle());
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));
    EXPECT_EQ(Count(0), QStringLiteral("—"));
    EXPECT_FALSE(Ui().Entry(0)->toolTip(3).isEmpty());
    EXPECT_EQ(Count(1), QStringLiteral("1"));
    EXPECT_TRUE(Ui().Entry(1)->toolTip(3).isEmpty());
    EXPECT_EQ(Count(2), QStringLiteral("0"));
    EXPECT_EQ(Ui().SummaryLbl->text(), QStringLiteral("Файлов: 3, Изменено: 1, Замен: 1, Пропущено: 1"));
    ASSERT_FALSE(Ui().FailuresBtn->isHidden());
    QTest::mouseClick(Ui().FailuresBtn, Qt::LeftButton);
    ASSERT_EQ(Dialogs.Messages.size(), 1);
    EXPECT_TRUE(Dialogs.Messages[0].contains(QString::fromStdString(fifo)));
    EXPECT_TRUE(Dialogs.Messages[0].contains(Ui().Entry(0)->toolTip(3)));
    EXPECT_TRUE(Dialogs.Errors.isEmpty());

    // A command that leaves nothing behind takes the button away.
    QTest::mouseClick(Ui().RestoreBtn, Qt::LeftButton);
    EXPECT_EQ(Ui().SummaryLbl->text(), QStringLiteral("Возвращено: 1, Не Удалось Вернуть: 0"));
    EXPECT_TRUE(Ui().FailuresBtn->isHidden());
}

// Text typed into the memo survives a visit to the other page; only a
// clipboard that changed since is fetched again.
TEST_F(RunsTest, TypedClipboardTextSurvivesAPageChange)
{
    QApplication::clipboard()->setText(QStringLiteral("one"));
    QTabBar* tabs = Ui().TasksPgC->findChild<QTabBar*>();
    ASSERT_NE(tabs, nullptr);
    auto show = [&](int page) { QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(page).center()); };
    show(1);
    ASSERT_EQ(Ui().ClipboardMmo->toPlainText(), QStringLiteral("one"));
    Ui().ClipboardMmo->moveCursor(QTextCursor::End);
    QTest::keyClicks(Ui().ClipboardMmo, QStringLiteral(" more"));
    show(0);
    show(1);
    EXPECT_EQ(Ui().ClipboardMmo->toPlainText(), QStringLiteral("one more"));
    QApplication::clipboard()->setText(QStringLiteral("two"));
    show(0);
    show(1);
    EXPECT_EQ(Ui().ClipboardMmo->toPlainText(), QStringLiteral("two"));
}

TEST_F(RunsTest, ClipboardRunRecodeAndRestore)
{
    QApplication::clipboard()->setText(
        QStringLiteral("Съешь же ещё этих мягких французских булок, да выпей чаю\n1 2 3"));
    Ui().TasksPgC->setCurrentIndex(1);
    EXPECT_TRUE(Ui().ClipboardMmo->toPlainText().startsWith(QStringLiteral("Съешь")));
    EXPECT_EQ(Ui().ClipEncodingCbx->currentText(), QStringLiteral("WIN"));
    Go(QStringLiteral("\\9"), QStringLiteral("<\\1>"));
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(Ui().ReplaceCountEdt->text(), QStringLiteral("3"));
    EXPECT_EQ(Ui().SummaryLbl->text(), QStringLiteral("Замен: 3"));
    EXPECT_TRUE(Ui().ClipboardMmo->toPlainText().endsWith(QStringLiteral("\n<1> <2> <3>")));
    EXPECT_EQ(QApplication::clipboard()->text(), Ui().ClipboardMmo->toPlainText());

    // Recoding only: an empty search mask and a target.
    Ui().ReCodeChk->click();
    Ui().EncodingCbx->setCurrentIndex(EncodingKoi);
    Go(QString(), QString());
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(Ui().ClipEncodingCbx->currentText(), QStringLiteral("KOI"));
    EXPECT_EQ(Ui().ReplaceCountEdt->text(), QStringLiteral("0"));

    // The first backup stays: restoring brings the fetched text and page back.
    QTest::mouseClick(Ui().RestoreBtn, Qt::LeftButton);
    EXPECT_EQ(Ui().SummaryLbl->text(), QStringLiteral("Текст Возвращён"));
    EXPECT_TRUE(Ui().ClipboardMmo->toPlainText().endsWith(QStringLiteral("\n1 2 3")));
    EXPECT_EQ(Ui().ClipEncodingCbx->currentText(), QStringLiteral("WIN"));
}

// Characters WIN lacks are named before the clipboard run turns them into
// '?', and "Вернуть" brings back every one of them, on the clipboard too.
TEST_F(RunsTest, ClipboardCharsOutsideWinAreNamedAndComeBack)
{
    const QString original = QStringLiteral("текст\nnaïve café ✓ текст");
    QApplication::clipboard()->setText(original);
    QTest::mouseClick(
        Ui().TasksPgC->tabBar(), Qt::LeftButton, {}, Ui().TasksPgC->tabBar()->tabRect(ClipboardPage).center());
    ASSERT_EQ(Ui().ClipboardMmo->toPlainText(), original);
    Dialogs.ConfirmAnswers.push_back(false);
    Go(QStringLiteral("текст"), QStringLiteral("ТЕКСТ"));
    ASSERT_TRUE(WaitIdle());
    ASSERT_EQ(Dialogs.Confirms.size(), 1);
    EXPECT_FALSE(Dialogs.Confirms[0].YesByDefault);
    EXPECT_TRUE(Dialogs.Confirms[0].Text.contains(QStringLiteral("«ïé✓»"))) << Dialogs.Confirms[0].Text.toStdString();
    EXPECT_TRUE(Dialogs.Confirms[0].Text.contains(QStringLiteral("Строка 2, Позиция 3")));
    EXPECT_EQ(Ui().ClipboardMmo->toPlainText(), original);
    EXPECT_EQ(Ui().ReplaceCountEdt->text(), QStringLiteral("0"));

    Dialogs.ConfirmAnswers.push_back(true);
    Go(QStringLiteral("текст"), QStringLiteral("ТЕКСТ"));
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(Ui().ClipboardMmo->toPlainText(), QStringLiteral("ТЕКСТ\nna?ve caf? ? ТЕКСТ"));
    QApplication::clipboard()->setText(QStringLiteral("something else"));
    QTest::mouseClick(Ui().RestoreBtn, Qt::LeftButton);
    EXPECT_EQ(Ui().ClipboardMmo->toPlainText(), original);
    EXPECT_EQ(QApplication::clipboard()->text(), original);
}

TEST_F(RunsTest, StopDuringALongClipboardRunChangesNothing)
{
    QString text;
    for (int i = 0; i < 200000; ++i)
        text += QStringLiteral("ab ");
    Ui().TasksPgC->setCurrentIndex(1);
    Ui().ClipboardMmo->setPlainText(text);
    Go(QStringLiteral("\\-b\\?"), QStringLiteral("x"));
    QTest::mouseClick(Ui().StopBtn, Qt::LeftButton);
    EXPECT_TRUE(Main().Idle());
    Queue->RunPending();
    EXPECT_EQ(Ui().ClipboardMmo->toPlainText(), text);
    EXPECT_EQ(Ui().ReplaceCountEdt->text(), QStringLiteral("0"));
}

// A text of 499 characters ends on a multiple of 500, where the engine
// notifies the end before the text is finished and again after: the end is
// taken once, with the whole result.
TEST_F(RunsTest, AClipboardRunEndsOnceWhateverTheTextLength)
{
    Main().Settings().Logging = true;
    Main().Settings().LogFileName = Home.Path("QZ.Log");
    Ui().TasksPgC->setCurrentIndex(1);
    Ui().ClipboardMmo->setPlainText(QString(498, u'x') + u'z');
    Ui().ReCodeChk->click();
    Ui().EncodingCbx->setCurrentIndex(EncodingKoi);
    Go(QStringLiteral("x"), QStringLiteral("y"));
    EXPECT_FALSE(Ui().RefreshBtn->isEnabled());
    // The page cannot be changed under the run.
    QTabBar* tabs = Ui().TasksPgC->findChild<QTabBar*>();
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(0).center());
    EXPECT_EQ(Ui().TasksPgC->currentIndex(), 1);
    ASSERT_TRUE(WaitIdle());
    EXPECT_TRUE(Ui().RefreshBtn->isEnabled());
    const std::string log = TTempDir::Read(Home.Path("QZ.Log"));
    const std::string countLine = Utf8ToWin("Количество Замен:") + "\t498\r\n";
    EXPECT_EQ(log.find(countLine), log.size() - countLine.size());
    EXPECT_EQ(log.find(Utf8ToWin("Количество Замен:")), log.rfind(Utf8ToWin("Количество Замен:")));
    EXPECT_EQ(Ui().ClipboardMmo->toPlainText(), QString(498, u'y') + u'z');
    EXPECT_EQ(Ui().ClipEncodingCbx->currentText(), QStringLiteral("KOI"));
    EXPECT_EQ(Ui().ReplaceCountEdt->text(), QStringLiteral("498"));
}

// The engine notifies the end of a 499-character text twice, the first time
// from its last step, before the text is finished. A stop that comes right
// then does not stop the run, which finishes its text: the memo shows the
// result and its count together, never a count without its text.
TEST_F(RunsTest, AStopAsAClipboardRunFinishesShowsNoCountItDidNotApply)
{
    // The stop comes with the worker's second call to the window, on the
    // worker, as a click on "Стоп" would ask it.
    struct TStoppingQueue : TQueueDispatcher {
        TMainFrm* Main = nullptr;
        int Posts = 0; // on the worker only
        void Post(std::function<void()> call) override
        {
            if (++Posts == 2 && Main->ActiveReplacer() && Main->ActiveReplacer()->Thread)
                Main->ActiveReplacer()->Thread->Terminate();
            TQueueDispatcher::Post(std::move(call));
        }
    };
    auto queue = std::make_unique<TStoppingQueue>();
    queue->Main = &Main();
    Queue = queue.get();
    Main().UseDispatcher(std::move(queue));
    Ui().TasksPgC->setCurrentIndex(1);
    const QString text = QString(498, u'a') + u'x';
    Ui().ClipboardMmo->setPlainText(text);
    Go(QStringLiteral("a"), QStringLiteral("b"));
    ASSERT_TRUE(WaitIdle());
    if (Ui().ClipboardMmo->toPlainText() == text)
        EXPECT_EQ(Ui().ReplaceCountEdt->text(), QStringLiteral("0"));
    else {
        EXPECT_EQ(Ui().ClipboardMmo->toPlainText(), QString(498, u'b') + u'x');
        EXPECT_EQ(Ui().ReplaceCountEdt->text(), QStringLiteral("498"));
    }
}

// A pair the engine would fault on is asked about first, No by default;
// No writes nothing.
TEST_F(RunsTest, AFaultyReplaceMaskIsAskedAboutBeforeAnythingIsWritten)
{
    Main().AddFile(Files.Write("a.txt", "ab"), 0);
    Dialogs.ConfirmAnswers.push_back(false);
    Go(QStringLiteral("a\\Tb"), QStringLiteral("\\5"));
    EXPECT_TRUE(Main().Idle());
    ASSERT_EQ(Dialogs.Confirms.size(), 1);
    EXPECT_FALSE(Dialogs.Confirms[0].YesByDefault);
    EXPECT_TRUE(
        Dialogs.Confirms[0].Text.startsWith(QStringLiteral("Неверный Формат Строки Замены\nМаска Поиска: a\\Tb")));
    EXPECT_EQ(TTempDir::Read(Files.Path("a.txt")), "ab");

    // Yes runs it, and the fault the engine met is in the summary.
    Dialogs.ConfirmAnswers.push_back(true);
    Go(QStringLiteral("a\\Tb"), QStringLiteral("\\5"));
    ASSERT_TRUE(WaitIdle());
    EXPECT_TRUE(Ui().SummaryLbl->text().endsWith(QStringLiteral(". Неверный Формат Строки Замены")))
        << Ui().SummaryLbl->text().toStdString();
}

// The code page belongs to the contents: undoing a names run leaves the one
// a content recode set, and undoing the recode brings back the first.
TEST_F(RunsTest, UndoingANamesRunKeepsTheContentsCodePage)
{
    const std::string text = Utf8ToWin("Съешь же ещё этих мягких французских булок");
    Main().AddFile(Files.Write("a.txt", text), EncodingWin);
    QTest::mouseClick(Ui().ReCodeChk, Qt::LeftButton);
    Ui().EncodingCbx->setCurrentIndex(EncodingKoi);
    Go(QString(), QString());
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(Ui().Entry(0)->text(2), QStringLiteral("KOI"));
    QTest::mouseClick(Ui().ReCodeChk, Qt::LeftButton);
    QTest::mouseClick(Ui().ReNameRbt, Qt::LeftButton);
    Go(QStringLiteral("a.txt"), QStringLiteral("b.txt"));
    ASSERT_TRUE(WaitIdle());
    ASSERT_TRUE(std::filesystem::exists(Files.Path("b.txt")));

    QTest::mouseClick(Ui().RestoreBtn, Qt::LeftButton);
    EXPECT_TRUE(std::filesystem::exists(Files.Path("a.txt")));
    EXPECT_EQ(Ui().Entry(0)->text(2), QStringLiteral("KOI"));
    QTest::mouseClick(Ui().ReContentRbt, Qt::LeftButton);
    QTest::mouseClick(Ui().RestoreBtn, Qt::LeftButton);
    EXPECT_EQ(Ui().Entry(0)->text(2), QStringLiteral("WIN"));
    EXPECT_EQ(TTempDir::Read(Files.Path("a.txt")), text);
}

// A UTF-8 file is detected, replaced in as UTF-8 and brought back whole; one
// with a character WIN lacks is left as it is, with why.
TEST_F(RunsTest, AUtf8FileIsDetectedReplacedAndRestored)
{
    const std::string original = std::string(Utf8Bom) + "Привет, мир\r\nмир\r\n";
    const std::string emoji = "мир 😀";
    Main().AddFile(Files.Write("u.txt", original), EncodingDetect);
    Main().AddFile(Files.Write("e.txt", emoji), EncodingDetect);
    EXPECT_EQ(Ui().Entry(0)->text(2), QStringLiteral("UTF"));
    Go(QStringLiteral("мир"), QStringLiteral("свет"));
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(TTempDir::Read(Files.Path("u.txt")), std::string(Utf8Bom) + "Привет, свет\r\nсвет\r\n");
    EXPECT_EQ(Count(0), QStringLiteral("2"));
    EXPECT_EQ(TTempDir::Read(Files.Path("e.txt")), emoji);
    EXPECT_EQ(Count(1), QStringLiteral("—"));
    EXPECT_TRUE(Ui().Entry(1)->toolTip(3).contains(QStringLiteral("U+1F600")));
    QTest::mouseClick(Ui().RestoreBtn, Qt::LeftButton);
    EXPECT_EQ(TTempDir::Read(Files.Path("u.txt")), original);
    EXPECT_EQ(Ui().Entry(0)->text(2), QStringLiteral("UTF"));
}

// On the clipboard page UTF takes the memo's own characters: a text WIN can
// hold is replaced in, one it cannot is refused whole with the character.
TEST_F(RunsTest, ClipboardInUtf8)
{
    Ui().TasksPgC->setCurrentIndex(ClipboardPage);
    Ui().ClipEncodingCbx->setCurrentIndex(EncodingUtf);
    Ui().ClipboardMmo->setPlainText(QStringLiteral("мир\nмир"));
    Go(QStringLiteral("мир"), QStringLiteral("свет"));
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(Ui().ClipboardMmo->toPlainText(), QStringLiteral("свет\nсвет"));
    EXPECT_EQ(Ui().ReplaceCountEdt->text(), QStringLiteral("2"));

    Ui().ClipboardMmo->setPlainText(QStringLiteral("мир ✓"));
    Dialogs.Errors.clear();
    Go(QStringLiteral("мир"), QStringLiteral("свет"));
    ASSERT_TRUE(WaitIdle());
    EXPECT_TRUE(Dialogs.Confirms.isEmpty()); // the refusal says it all
    EXPECT_EQ(Ui().ClipboardMmo->toPlainText(), QStringLiteral("мир ✓"));
    ASSERT_EQ(Dialogs.Errors.size(), 1);
    EXPECT_TRUE(Dialogs.Errors[0].contains(QStringLiteral("«✓»"))) << Dialogs.Errors[0].toStdString();
}

// "Просмотр" runs the masks without writing: counts in the list, the
// changes in the preview window, and on disk no byte, time, backup or log.
TEST_F(RunsTest, APreviewShowsTheChangesAndWritesNothing)
{
    Main().Settings().Logging = true;
    Main().Settings().LogFileName = Home.Path("QZ.Log");
    std::string koi = Utf8ToWin("строка\nкот и кот\n");
    RecodeString(koi, EncodingWin, EncodingKoi);
    Main().AddFile(Files.Write("a.txt", koi), EncodingKoi);
    Main().AddFile(Files.Write("b.txt", "none"), EncodingWin);
    const auto stamp = std::filesystem::last_write_time(Files.Path("a.txt"));
    Ui().MaskCbx->setEditText(QStringLiteral("кот"));
    Ui().ReplaceCbx->setEditText(QStringLiteral("кит"));
    QTest::mouseClick(Ui().PreviewBtn, Qt::LeftButton);
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(TTempDir::Read(Files.Path("a.txt")), koi);
    EXPECT_EQ(std::filesystem::last_write_time(Files.Path("a.txt")), stamp);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Files.Path()), {}), 2); // no backup
    EXPECT_FALSE(std::filesystem::exists(Home.Path("QZ.Log")));
    EXPECT_EQ(Count(0), QStringLiteral("2"));
    EXPECT_EQ(Count(1), QStringLiteral("0"));
    EXPECT_EQ(Page(0), QStringLiteral("KOI"));
    EXPECT_TRUE(Ui().SummaryLbl->text().startsWith(QStringLiteral("Просмотр, Ничего Не Записано.")));

    auto* preview = Main().findChild<QWidget*>(QStringLiteral("PreviewFrm"));
    ASSERT_TRUE(preview && preview->isVisible());
    auto* files = test::Control<QListWidget>(*preview, "FilesLst");
    ASSERT_EQ(files->count(), 1);
    EXPECT_EQ(files->item(0)->text(), QStringLiteral("a.txt: 2"));
    const QString changes = test::Control<QTextEdit>(*preview, "ChangesMmo")->toPlainText();
    EXPECT_TRUE(changes.contains(QStringLiteral("     2 - кот и кот"))) << changes.toStdString();
    EXPECT_TRUE(changes.contains(QStringLiteral("     2 + кит и кит"))) << changes.toStdString();

    // The run that follows counts the same; the preview of the files as
    // they were goes.
    Go(QStringLiteral("кот"), QStringLiteral("кит"));
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(Count(0), QStringLiteral("2"));
    EXPECT_FALSE(preview->isVisible());
    EXPECT_EQ(files->count(), 0);
}

// A names preview lists old and new names, and a name another file has as
// refused, renaming nothing.
TEST_F(RunsTest, ANamesPreviewMarksACollision)
{
    Main().AddFile(Files.Write("a.txt", "1"), EncodingWin);
    Main().AddFile(Files.Write("aa.txt", "2"), EncodingWin);
    Files.Write("b.txt", "taken");
    QTest::mouseClick(Ui().ReNameRbt, Qt::LeftButton);
    Ui().MaskCbx->setEditText(QStringLiteral("a."));
    Ui().ReplaceCbx->setEditText(QStringLiteral("b."));
    QTest::mouseClick(Ui().PreviewBtn, Qt::LeftButton);
    ASSERT_TRUE(WaitIdle());
    auto* files = test::Control<QListWidget>(*Main().findChild<QWidget*>(QStringLiteral("PreviewFrm")), "FilesLst");
    ASSERT_EQ(files->count(), 2);
    EXPECT_TRUE(files->item(0)->text().contains(QStringLiteral("имя уже занято")))
        << files->item(0)->text().toStdString();
    EXPECT_TRUE(files->item(1)->text().endsWith(QStringLiteral("aa.txt → ab.txt")))
        << files->item(1)->text().toStdString();
    EXPECT_TRUE(std::filesystem::exists(Files.Path("a.txt")));
    EXPECT_TRUE(std::filesystem::exists(Files.Path("aa.txt")));
    EXPECT_FALSE(std::filesystem::exists(Files.Path("ab.txt")));
    EXPECT_EQ(Ui().Entry(1)->text(0), QStringLiteral("aa.txt"));
}

// "Стоп" during the preview of a large file: the window comes back at once
// and nothing on disk changed.
TEST_F(RunsTest, StopDuringAPreviewOfALargeFile)
{
    std::string big;
    for (int i = 0; i < 400000; ++i)
        big += "ab ";
    Main().AddFile(Files.Write("big.txt", big), 0);
    Ui().MaskCbx->setEditText(QStringLiteral("\\-b\\?"));
    Ui().ReplaceCbx->setEditText(QStringLiteral("x"));
    QTest::mouseClick(Ui().PreviewBtn, Qt::LeftButton);
    ASSERT_FALSE(Main().Idle());
    QDeadlineTimer deadline(20000);
    const int started = static_cast<int>(big.size()) + 1;
    Queue->ServeUntil([&] { return Ui().FilePBr->maximum() == started || deadline.hasExpired(); });
    QTest::mouseClick(Ui().StopBtn, Qt::LeftButton);
    EXPECT_TRUE(Main().Idle());
    EXPECT_TRUE(Ui().SummaryLbl->text().startsWith(QStringLiteral("Просмотр, Ничего Не Записано. Остановлено.")))
        << Ui().SummaryLbl->text().toStdString();
    EXPECT_EQ(TTempDir::Read(Files.Path("big.txt")), big);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Files.Path()), {}), 1);
}

TEST_F(RunsTest, AMalformedMaskStartsNothing)
{
    Main().AddFile(Files.Write("a.txt", "a"), 0);
    Go(QStringLiteral("\\(a"), QStringLiteral("b"));
    EXPECT_TRUE(Main().Idle());
    ASSERT_EQ(Dialogs.Errors.size(), 1);
    EXPECT_TRUE(Dialogs.Errors[0].startsWith(QStringLiteral("Отсутствует Закрывающая Пара")));
    EXPECT_EQ(TTempDir::Read(Files.Path("a.txt")), "a");
}

} // namespace
} // namespace tekstovar
