#include "app/program.h"
#include "dialogs/helpfrm.h"
#include "library/lexemlist.h"
#include "library/libfrm.h"
#include "library/libgrid.h"
#include "library/librarystore.h"
#include "mainwindow/mainfrm.h"
#include "platform/dispatcher.h"
#include "platform/winunicode.h"
#include "settings/inifile.h"
#include "support/mainui.h"
#include "support/tempdir.h"
#include "support/testdialogs.h"

#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QStackedWidget>
#include <QTabBar>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <memory>
#include <optional>

namespace tekstovar {
namespace {

using test::TTempDir;
using test::TTestDialogs;

std::string W(const char* utf8) { return Utf8ToWin(utf8); }

using Texts = std::vector<std::string>;

// A one-shot HTTP server on 127.0.0.1 that answers every request with the
// same response, keeps silent, or drips a long body a byte at a time.
class TLibraryServer {
public:
    TLibraryServer()
    {
        QObject::connect(&Server, &QTcpServer::newConnection, [this] {
            while (QTcpSocket* socket = Server.nextPendingConnection())
                QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                    Head += socket->readAll();
                    if (!Head.contains("\r\n\r\n") || Silent)
                        return;
                    Head.clear();
                    if (!Drip) {
                        socket->write(Response);
                        return;
                    }
                    socket->write("HTTP/1.0 200 OK\r\nContent-Length: 1048576\r\n\r\n[");
                    auto* drip = new QTimer(socket);
                    QObject::connect(drip, &QTimer::timeout, socket, [socket] { socket->write(";"); });
                    drip->start(100);
                });
        });
        Listening = Server.listen(QHostAddress::LocalHost);
    }
    void Answer(const QByteArray& body)
    {
        Response = "HTTP/1.0 200 OK\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body;
    }
    std::string Base() const { return "http://127.0.0.1:" + std::to_string(Server.serverPort()); }

    bool Listening = false;
    bool Silent = false;
    bool Drip = false;

private:
    QTcpServer Server;
    QByteArray Head;
    QByteArray Response;
};

const QByteArray PublishedLibrary = "[PairLibrary]\r\nCount=2\r\n"
                                    "MaskStr0=.cat.\r\nReplaceStr0=.dog.\r\nCommentStr0=.animals.\r\n"
                                    "MaskStr1=.one.\r\nReplaceStr1=.two.\r\nCommentStr1=.numbers.\r\n"
                                    "[LexemLibrary]\r\nCount=1\r\nLexemStr0=.[0-9].\r\nCommentStr0=.digit.\r\n";

class LibFrmTest : public ::testing::Test {
protected:
    TTempDir Home;
    TTestDialogs Dialogs;
    std::unique_ptr<TProgram> Program;
    TQueueDispatcher* Queue = nullptr;

    void Start()
    {
        Program = std::make_unique<TProgram>(Dialogs, Home.Path());
        auto queue = std::make_unique<TQueueDispatcher>();
        Queue = queue.get();
        Main().UseDispatcher(std::move(queue));
        Lib().setGeometry(400, 100, 350, 260);
        Lib().show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&Lib()));
    }
    void Activate()
    {
        Lib().activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&Lib()));
    }

    // The library file as the window would have written it.
    void WriteLibrary(const std::vector<std::array<const char*, 3>>& pairs,
        const std::vector<std::array<const char*, 2>>& lexems = {})
    {
        TLibraryStore store;
        for (const auto& [mask, replace, comment] : pairs)
            store.AppendPair(W(mask), W(replace), W(comment));
        for (const auto& [description, lexem] : lexems)
            store.AppendLexem({W(description), W(lexem)});
        store.WriteLibrary(Home.Path("QZ.Ini"));
    }

    TMainFrm& Main() { return Program->MainFrm(); }

    test::TMainUi Ui() { return test::TMainUi(Main()); }
    TLibFrm& Lib() { return Program->LibFrm(); }
    TLibGrid& Grid() { return *Lib().LibGrid; }
    TLexemList& List() { return *Lib().LexemLVw; }

    // The library as "comment|mask|replace" and "description|lexem".
    Texts Pairs()
    {
        const TLibraryStore& s = Lib().Store();
        Texts texts;
        for (std::size_t i = 0; i < s.PairCount(); ++i)
            texts.push_back(WinToUtf8(s.Comments()[i] + '|' + s.Masks()[i] + '|' + s.Replaces()[i]));
        return texts;
    }
    Texts Lexems()
    {
        Texts texts;
        for (const TLibLexem& lexem : Lib().Store().Lexems())
            texts.push_back(WinToUtf8(lexem.Description + '|' + lexem.Lexem));
        return texts;
    }
    // What the grid shows in column 1 of a row.
    QString Shown(int row, int role = TLibPairModel::CommentRole)
    {
        return Grid().model()->index(row, 1).data(role).toString();
    }
    QRect Cell(int row, int column = 1) { return Grid().visualRect(Grid().model()->index(row, column)); }
    QPoint Item(int index) { return List().visualItemRect(List().topLevelItem(index)).center(); }

    void ShowPage(TLibFrm::TPage page)
    {
        QTest::mouseClick(Lib().TabSet1, Qt::LeftButton, {}, Lib().TabSet1->tabRect(page).center());
        ASSERT_EQ(Lib().CurrentPage(), page);
    }

    // Answers the next edit dialog as a user would: notes what its boxes
    // show (top to bottom), types the texts given and closes it.
    void Answer(int result, QStringList* seen = nullptr, const QStringList& texts = {})
    {
        Dialogs.ExecAnswers.push_back([=](QDialog& dialog) {
            const QList<QLineEdit*> boxes = dialog.findChildren<QLineEdit*>();
            if (seen)
                seen->clear();
            for (qsizetype i = 0; i < boxes.size(); ++i) {
                if (seen)
                    seen->append(boxes[i]->text());
                if (i < texts.size())
                    boxes[i]->setText(texts[i]);
            }
            return result;
        });
    }

    void SetMasks(const QString& search, const QString& replace)
    {
        Ui().MaskCbx->setEditText(search);
        Ui().ReplaceCbx->setEditText(replace);
    }
    void Click(QToolButton* button) { QTest::mouseClick(button, Qt::LeftButton); }

    void UseServer(const std::string& base)
    {
        IniFile ini(Home.Path("QZ.Ini"));
        ini.WriteString("General", "LibraryServer", base);
    }
    bool WaitDownload()
    {
        return QTest::qWaitFor([&] { return !Lib().Downloading(); }, 10000);
    }
    // The test's main gave the program a temporary directory of its own,
    // which holds the test's own directories too.
    static bool TempFileLeft()
    {
        return !QDir(QDir::tempPath()).entryList({QStringLiteral("QZLib*")}, QDir::AllEntries | QDir::Hidden).isEmpty();
    }
    // Every control of the window can be used; while a download runs only
    // its button, now a cancel, and the help can.
    bool Usable()
    {
        return Lib().AddBtn->isEnabled() && Lib().SortBtn->isEnabled() && Grid().isEnabled() && List().isEnabled() &&
            Lib().TabSet1->isEnabled() && Lib().EditMim->isEnabled() && Lib().DownloadBtn->isEnabled() &&
            Lib().DownloadBtn->toolTip() == QStringLiteral("Взять Из Интернета");
    }
    bool OnlyCancelUsable()
    {
        return !Lib().AddBtn->isEnabled() && !Lib().DelBtn->isEnabled() && !Lib().RefreshBtn->isEnabled() &&
            !Lib().SearchBtn->isEnabled() && !Lib().SortBtn->isEnabled() && !Grid().isEnabled() &&
            !List().isEnabled() && !Lib().TabSet1->isEnabled() && !Lib().EditMim->isEnabled() &&
            Lib().DownloadBtn->isEnabled() && Lib().DownloadBtn->toolTip() == QStringLiteral("Прервать Закачку");
    }

    // A user's double click: press and release, then the second press.
    static void DoubleClick(QAbstractItemView& view, const QPoint& pos)
    {
        QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, pos);
        QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, pos);
    }
};

TEST_F(LibFrmTest, TheWindowShowsTheLibraryOfTheSettingsFile)
{
    WriteLibrary({{"cat", "dog", "animals"}, {"one", "two", "numbers"}}, {{"digit", "[0-9]"}});
    Start();
    EXPECT_EQ(Grid().model()->rowCount(), 3);
    EXPECT_EQ(Shown(1), QStringLiteral("numbers"));
    EXPECT_EQ(Shown(1, TLibPairModel::ReplaceRole), QStringLiteral("two"));
    EXPECT_EQ(Grid().model()->index(2, 1).data().toString(), QStringLiteral("Конец Списка"));
    EXPECT_EQ(Lib().CountLbl->text(), QStringLiteral("Всего: 2"));
    ASSERT_EQ(List().topLevelItemCount(), 1);
    EXPECT_EQ(List().topLevelItem(0)->text(1), QStringLiteral("[0-9]"));

    // The columns follow the window's width; the tabs switch the pages.
    Lib().resize(500, 300);
    QCoreApplication::processEvents();
    EXPECT_EQ(Grid().rowHeight(0), 45);
    EXPECT_EQ(Grid().columnWidth(0), 20);
    EXPECT_EQ(Grid().columnWidth(1), Grid().viewport()->width() - 20);
    ShowPage(TLibFrm::LexemPage);
    EXPECT_EQ(Lib().LibPgC->currentWidget(), Lib().LexemTab);
    EXPECT_EQ(List().columnWidth(1), 100);
    EXPECT_EQ(List().columnWidth(0), List().width() - 120);
    ShowPage(TLibFrm::PairPage);
    EXPECT_EQ(Lib().LibPgC->currentWidget(), Lib().PairTab);

    // The search bar comes and goes with its button, the edit box focused.
    EXPECT_TRUE(Lib().SearchTBr->isHidden());
    Activate();
    Click(Lib().SearchBtn);
    EXPECT_TRUE(Lib().SearchTBr->isVisible());
    EXPECT_TRUE(Lib().SearchBtn->isChecked());
    EXPECT_TRUE(Lib().SearchEdt->hasFocus());
    EXPECT_GE(Lib().SearchEdt->width(), Lib().SearchTBr->width() - 20); // as wide as the bar
    Click(Lib().SearchBtn);
    EXPECT_TRUE(Lib().SearchTBr->isHidden());
    EXPECT_FALSE(Lib().SearchBtn->isChecked());

    Click(Lib().HelpBtn);
    EXPECT_TRUE(Program->HelpFrm().isVisible());
}

TEST_F(LibFrmTest, AddingPutsTheNewItemAtTheSelectionAndOpensItsDialog)
{
    WriteLibrary({{"a", "1", "A"}, {"b", "2", "B"}});
    Start();
    SetMasks(QString(), QString()); // two empty boxes: nothing added, nothing asked
    Click(Lib().AddBtn);
    EXPECT_EQ(Pairs().size(), 2u);
    EXPECT_TRUE(Dialogs.Executed.isEmpty());

    // Before the selected row; cancelling keeps the default comment.
    SetMasks(QStringLiteral("кот"), QStringLiteral("пёс"));
    Grid().SelectCell(1);
    QStringList seen;
    Answer(QDialog::Rejected, &seen, {QStringLiteral("x"), QStringLiteral("x"), QStringLiteral("x")});
    Click(Lib().AddBtn);
    EXPECT_EQ(Dialogs.Executed, QStringList{QStringLiteral("Пара Замены")});
    EXPECT_EQ(seen, (QStringList{QStringLiteral("Комментарий."), QStringLiteral("кот"), QStringLiteral("пёс")}));
    EXPECT_EQ(Pairs(), (Texts{"A|a|1", "Комментарий.|кот|пёс", "B|b|2"}));
    EXPECT_EQ(Grid().SelectedRow(), 1);
    EXPECT_EQ(Shown(1), QStringLiteral("Комментарий."));
    EXPECT_EQ(Lib().CountLbl->text(), QStringLiteral("Всего: 3"));

    // On the end row the pair is appended; the popup's item adds as well.
    Grid().SelectCell(3);
    SetMasks(QString(), QStringLiteral("з"));
    Answer(QDialog::Accepted, nullptr, {QStringLiteral("Новая")});
    Lib().AddMim->trigger();
    EXPECT_EQ(Pairs().back(), "Новая||з");
    EXPECT_EQ(Grid().SelectedRow(), 3);

    // A lexem is made of the search mask alone, at the selected item or first.
    ShowPage(TLibFrm::LexemPage);
    Answer(QDialog::Rejected, &seen);
    Click(Lib().AddBtn);
    EXPECT_EQ(Dialogs.Executed.back(), QStringLiteral("Лексема"));
    EXPECT_EQ(seen, (QStringList{QStringLiteral("Комментарий."), QString()}));
    EXPECT_EQ(Lexems(), (Texts{"Комментарий.|"}));
    EXPECT_EQ(List().SelectedIndex(), 0);
    SetMasks(QStringLiteral("[0-9]"), QString());
    List().SelectIndex(std::nullopt);
    Answer(QDialog::Accepted, nullptr, {QStringLiteral("цифра")});
    Click(Lib().AddBtn);
    List().SelectIndex(1);
    Answer(QDialog::Rejected);
    SetMasks(QStringLiteral("x"), QString());
    Click(Lib().AddBtn);
    EXPECT_EQ(Lexems(), (Texts{"цифра|[0-9]", "Комментарий.|x", "Комментарий.|"}));
    EXPECT_EQ(List().SelectedIndex(), 1);
    EXPECT_EQ(List().topLevelItem(0)->text(0), QStringLiteral("цифра"));
    EXPECT_TRUE(Dialogs.Unanswered.isEmpty());
}

TEST_F(LibFrmTest, DeletingAndEditingActOnTheSelection)
{
    WriteLibrary({{"a", "1", "A"}, {"b", "2", "B"}, {"c", "3", "C"}}, {{"L1", "x"}, {"L2", "y"}});
    Start();
    Grid().SelectCell(3); // the end row holds nothing to delete or edit
    Click(Lib().DelBtn);
    Lib().EditMimClick();
    EXPECT_EQ(Pairs().size(), 3u);
    EXPECT_TRUE(Dialogs.Executed.isEmpty());
    Grid().SelectCell(1);
    Click(Lib().DelBtn);
    EXPECT_EQ(Pairs(), (Texts{"A|a|1", "C|c|3"}));
    EXPECT_EQ(Grid().SelectedRow(), 1);
    EXPECT_EQ(Lib().CountLbl->text(), QStringLiteral("Всего: 2"));

    // F2 edits from anywhere in the window.
    Activate();
    QStringList seen;
    Answer(QDialog::Accepted, &seen, {QStringLiteral(" к "), QStringLiteral("м"), QString()});
    QTest::keyClick(Lib().TabSet1, Qt::Key_F2);
    EXPECT_EQ(seen, (QStringList{QStringLiteral("C"), QStringLiteral("c"), QStringLiteral("3")}));
    EXPECT_EQ(Pairs(), (Texts{"A|a|1", " к |м|"}));
    EXPECT_EQ(Shown(1), QStringLiteral(" к "));
    // Cancel keeps everything; emptied boxes store empty texts.
    Answer(QDialog::Rejected, nullptr, {QString(), QString(), QString()});
    Lib().EditMim->trigger();
    Grid().SelectCell(0);
    Answer(QDialog::Accepted, nullptr, {QString(), QString(), QString()});
    Lib().EditMim->trigger();
    EXPECT_EQ(Pairs(), (Texts{"||", " к |м|"}));

    ShowPage(TLibFrm::LexemPage);
    List().SelectIndex(std::nullopt); // nothing selected: nothing to do
    Lib().EditMimClick();
    Click(Lib().DelBtn);
    EXPECT_EQ(Dialogs.Executed.size(), 3);
    EXPECT_EQ(Lexems().size(), 2u);
    List().SelectIndex(1);
    Answer(QDialog::Accepted, &seen, {QStringLiteral("Д"), QString()});
    QTest::keyClick(&List(), Qt::Key_F2);
    EXPECT_EQ(seen, (QStringList{QStringLiteral("L2"), QStringLiteral("y")}));
    EXPECT_EQ(Lexems(), (Texts{"L1|x", "Д|"}));
    EXPECT_EQ(List().topLevelItem(1)->text(0), QStringLiteral("Д"));
    Lib().DelMim->trigger();
    EXPECT_EQ(Lexems(), (Texts{"L1|x"}));
    EXPECT_TRUE(Dialogs.Unanswered.isEmpty());
}

TEST_F(LibFrmTest, DoubleClicksUseThePairAndAppendTheLexem)
{
    WriteLibrary({{"кот", "пёс", "A"}, {"b", "2", "B"}}, {{"цифра", "[0-9]"}});
    Start();
    SetMasks(QStringLiteral("старая"), QStringLiteral("старая"));
    DoubleClick(Grid(), Cell(0).center());
    EXPECT_EQ(Ui().MaskCbx->currentText(), QStringLiteral("кот"));
    EXPECT_EQ(Ui().ReplaceCbx->currentText(), QStringLiteral("пёс"));
    DoubleClick(Grid(), Cell(2).center()); // the end row
    EXPECT_EQ(Ui().MaskCbx->currentText(), QStringLiteral("кот"));

    ShowPage(TLibFrm::LexemPage);
    DoubleClick(List(), Item(0));
    EXPECT_EQ(Ui().MaskCbx->currentText(), QStringLiteral("кот[0-9]"));
    EXPECT_EQ(Ui().ReplaceCbx->currentText(), QStringLiteral("пёс"));
}

TEST_F(LibFrmTest, SearchSelectsTheFirstCommentWithThePrefixCaseSensitively)
{
    WriteLibrary({{"1", "", "Альфа"}, {"2", "", "кошка"}, {"3", "", "Кот"}, {"4", "", "Коты"}},
        {{"альфа", "a"}, {"Кот", "k"}, {"кошка", "c"}});
    Start();
    Click(Lib().SearchBtn);
    Lib().SearchEdt->setText(QStringLiteral("К"));
    Lib().SearchEdt->setText(QStringLiteral("Ко"));
    EXPECT_EQ(Grid().SelectedRow(), 2);
    Lib().SearchEdt->setText(QStringLiteral("ко"));
    EXPECT_EQ(Grid().SelectedRow(), 1);
    Lib().SearchEdt->setText(QStringLiteral("Кт")); // nothing matches: the selection stays
    Lib().SearchEdt->clear();
    EXPECT_EQ(Grid().SelectedRow(), 1);

    ShowPage(TLibFrm::LexemPage);
    Lib().SearchEdt->setText(QStringLiteral("Ко"));
    EXPECT_EQ(List().SelectedIndex(), 1);
    Lib().SearchEdt->setText(QStringLiteral("ко"));
    EXPECT_EQ(List().SelectedIndex(), 2);
    Lib().SearchEdt->setText(QStringLiteral("Я"));
    EXPECT_EQ(List().SelectedIndex(), 2);
}

TEST_F(LibFrmTest, SortingAlternatesItsDirection)
{
    WriteLibrary({{"1", "", "b"}, {"2", "", "B"}, {"3", "", "a"}}, {{"b", "1"}, {"B", "2"}, {"a", "3"}});
    Start();
    Click(Lib().SortBtn);
    EXPECT_EQ(Pairs(), (Texts{"a|3|", "B|2|", "b|1|"}));
    EXPECT_EQ(Shown(2, TLibPairModel::MaskRole), QStringLiteral("1"));
    Click(Lib().SortBtn);
    EXPECT_EQ(Pairs(), (Texts{"B|2|", "b|1|", "a|3|"}));
    EXPECT_EQ(Shown(2), QStringLiteral("a"));

    // The lexems have their own direction; the selection goes with its item.
    ShowPage(TLibFrm::LexemPage);
    List().SelectIndex(2);
    Click(Lib().SortBtn);
    EXPECT_EQ(Lexems(), (Texts{"a|3", "b|1", "B|2"}));
    EXPECT_EQ(List().topLevelItem(0)->text(1), QStringLiteral("3"));
    EXPECT_EQ(List().SelectedIndex(), 0);
    Click(Lib().SortBtn);
    EXPECT_EQ(Lexems(), (Texts{"b|1", "B|2", "a|3"}));
    EXPECT_EQ(List().SelectedIndex(), 2);
}

TEST_F(LibFrmTest, RefreshRereadsThePairsAndMergesTheLexems)
{
    WriteLibrary({{"p1", "", "P1"}, {"p2", "", "P2"}}, {{"L1", "1"}, {"L2", "2"}});
    Start();
    Click(Lib().DelBtn); // row 0
    SetMasks(QStringLiteral("p3"), QString());
    Click(Lib().AddBtn); // a pair never saved
    ShowPage(TLibFrm::LexemPage);
    List().SelectIndex(0);
    Click(Lib().DelBtn);
    Click(Lib().AddBtn);
    EXPECT_EQ(Lexems(), (Texts{"Комментарий.|p3", "L2|2"}));

    Click(Lib().RefreshBtn);
    EXPECT_EQ(Pairs(), (Texts{"P1|p1|", "P2|p2|"}));
    EXPECT_EQ(Grid().model()->rowCount(), 3);
    EXPECT_EQ(Lib().CountLbl->text(), QStringLiteral("Всего: 2"));
    EXPECT_EQ(Lexems(), (Texts{"Комментарий.|p3", "L2|2", "L1|1"}));
    EXPECT_EQ(List().topLevelItemCount(), 3);
}

TEST_F(LibFrmTest, ExitWritesBothSectionsAndARestartReadsThemBack)
{
    Start();
    SetMasks(QStringLiteral("m"), QStringLiteral("r"));
    Answer(QDialog::Accepted, nullptr,
        {QStringLiteral(" \"кавычки\" "), QStringLiteral(". точка ."), QStringLiteral("  два  ")});
    Click(Lib().AddBtn);
    // A line break pasted into a box is kept as \n, which the file can hold.
    Answer(QDialog::Accepted, nullptr, {QStringLiteral("две\nстроки"), QStringLiteral("a\r\nb\rc")});
    Click(Lib().AddBtn);
    ShowPage(TLibFrm::LexemPage);
    Answer(QDialog::Accepted, nullptr, {QStringLiteral(".описание."), QStringLiteral("\"x\" ")});
    Click(Lib().AddBtn);

    Program.reset();
    const std::string ini = TTempDir::Read(Home.Path("QZ.Ini"));
    EXPECT_NE(ini.find("[LexemLibrary]"), std::string::npos);
    EXPECT_NE(ini.find(W("CommentStr1=. \"кавычки\" .")), std::string::npos);

    Start();
    EXPECT_EQ(Pairs(), (Texts{"две\\nстроки|a\\nb\\nc|r", " \"кавычки\" |. точка .|  два  "}));
    EXPECT_TRUE(Dialogs.Errors.isEmpty());
    EXPECT_EQ(Lexems(), (Texts{".описание.|\"x\" "}));
}

TEST_F(LibFrmTest, AWriteFailureAtExitIsShown)
{
    WriteLibrary({{"a", "b", "c"}});
    Start();
    // A directory in place of the settings file cannot be written.
    const std::string path = Home.Path("QZ.Ini");
    std::filesystem::remove(path);
    std::filesystem::create_directory(path);
    Program.reset();
    EXPECT_TRUE(Dialogs.Errors.contains(QString::fromStdString("Unable to write to " + path + ".")))
        << Dialogs.Errors.join(QLatin1Char('\n')).toStdString();
}

TEST_F(LibFrmTest, TheGridDrawsThePairsAndMeasuresTheMasks)
{
    WriteLibrary({{"mask", "replace", "comment"}});
    Start();
    Grid().SelectCell(1); // row 0 drawn as a normal cell
    const QRect cell = Cell(0);
    const QRect number = Cell(0, 0);
    const QPalette& palette = Grid().palette();
    QImage image = Grid().viewport()->grab().toImage();
    // The line under the comment is silver across the cell; the fixed
    // column is raised on the button face.
    EXPECT_EQ(image.pixel(cell.left() + 3, cell.top() + 13), qRgb(192, 192, 192));
    EXPECT_EQ(image.pixel(cell.right() - 3, cell.top() + 13), qRgb(192, 192, 192));
    EXPECT_EQ(image.pixel(number.left() + 1, number.center().y()), palette.color(QPalette::Light).rgb());
    EXPECT_EQ(image.pixel(number.right(), number.center().y()), palette.color(QPalette::Dark).rgb());
    EXPECT_EQ(image.pixel(number.left() + 3, number.bottom() - 3), palette.color(QPalette::Button).rgb());
    Grid().SelectCell(0); // selected: the line takes the highlight-text colour
    image = Grid().viewport()->grab().toImage();
    const QRgb line = image.pixel(cell.left() + 3, cell.top() + 13);
    EXPECT_TRUE(line == palette.color(QPalette::Active, QPalette::HighlightedText).rgb() ||
        line == palette.color(QPalette::Inactive, QPalette::HighlightedText).rgb());

    // Short masks need no scrolling, nor does a long comment; a long mask does.
    EXPECT_EQ(Lib().HorScr->maximum(), 0);
    EXPECT_EQ(Lib().HorScr->pageStep(), 0);
    SetMasks(QStringLiteral("x"), QString());
    Answer(QDialog::Accepted, nullptr, {QString(300, QLatin1Char('W'))});
    Click(Lib().AddBtn);
    EXPECT_EQ(Grid().ScrollExtent(), 0);
    const QString longMask = QStringLiteral("W") + QString(200, QLatin1Char('i')) + QStringLiteral("W");
    Answer(QDialog::Accepted, nullptr, {QStringLiteral("c"), QString(), longMask});
    Click(Lib().AddBtn);
    const QFontMetrics metrics(Grid().font());
    auto extent = [&] { return metrics.horizontalAdvance(longMask) - Grid().columnWidth(1) + 30; };
    ASSERT_GT(extent(), 0);
    EXPECT_EQ(Grid().ScrollExtent(), extent());
    EXPECT_EQ(Lib().HorScr->maximum(), extent());
    const int narrow = extent();
    Lib().resize(Lib().width() + 100, Lib().height());
    QCoreApplication::processEvents();
    EXPECT_EQ(Lib().HorScr->maximum(), extent());
    EXPECT_LT(Lib().HorScr->maximum(), narrow);

    // Scrolling shifts the masks but not the comment.
    Grid().SelectCell(2);
    const QRect pair = Cell(0);
    auto band = [&](const QImage& from, int top, int bottom) {
        return from.copy(QRect(pair.left(), pair.top() + top, pair.width(), bottom - top));
    };
    const QImage before = Grid().viewport()->grab().toImage();
    Lib().HorScr->setValue(60);
    const QImage after = Grid().viewport()->grab().toImage();
    EXPECT_EQ(band(before, 0, 13), band(after, 0, 13));
    EXPECT_NE(band(before, 30, 44), band(after, 30, 44));
}

TEST_F(LibFrmTest, DownloadMergesTheServersLibraryOnce)
{
    TLibraryServer server;
    ASSERT_TRUE(server.Listening);
    server.Answer(PublishedLibrary);
    WriteLibrary({{"old", "new", "kept"}});
    UseServer(server.Base());
    Start();
    Activate();
    Click(Lib().DownloadBtn);
    EXPECT_TRUE(OnlyCancelUsable());
    EXPECT_EQ(Lib().StatusLbl->text(), QStringLiteral("Соединение С Сервером..."));
    QTest::keyClick(&Lib(), Qt::Key_F2); // no editing meanwhile
    EXPECT_TRUE(Dialogs.Executed.isEmpty());
    ASSERT_TRUE(WaitDownload());
    EXPECT_EQ(Lib().StatusLbl->text(), QStringLiteral("Закачано Пар:2, Лексем:1"));
    EXPECT_TRUE(Usable());
    EXPECT_EQ(Pairs(), (Texts{"kept|old|new", "animals|cat|dog", "numbers|one|two"}));
    EXPECT_EQ(Shown(2), QStringLiteral("numbers"));
    EXPECT_EQ(Lib().CountLbl->text(), QStringLiteral("Всего: 3"));
    EXPECT_EQ(List().topLevelItemCount(), 1);
    EXPECT_FALSE(TempFileLeft());

    Click(Lib().DownloadBtn);
    ASSERT_TRUE(WaitDownload());
    EXPECT_EQ(Lib().StatusLbl->text(), QStringLiteral("Закачано Пар:0, Лексем:0"));
    EXPECT_EQ(Pairs().size(), 3u);
    EXPECT_TRUE(Dialogs.Messages.isEmpty());
}

TEST_F(LibFrmTest, AFailedDownloadSaysSoAndLeavesTheWindowUsable)
{
    std::string closedBase;
    {
        TLibraryServer closed; // a port that was just free and is no longer listened on
        ASSERT_TRUE(closed.Listening);
        closedBase = closed.Base();
    }
    WriteLibrary({{"old", "new", "kept"}});
    UseServer(closedBase);
    Start();
    Click(Lib().DownloadBtn);
    ASSERT_TRUE(WaitDownload());
    EXPECT_EQ(Dialogs.Messages, QStringList{QStringLiteral("Не Удалось Получить Данные С Сервера")});
    EXPECT_EQ(Lib().StatusLbl->text(), QString());
    EXPECT_TRUE(Usable());
    EXPECT_EQ(Pairs().size(), 1u);
    EXPECT_FALSE(TempFileLeft());

    // A server that never answers is given up after the time-out, one that
    // drips forever at the deadline.
    TLibraryServer silent;
    ASSERT_TRUE(silent.Listening);
    silent.Silent = true;
    UseServer(silent.Base());
    Lib().DownloadTimeoutMs = 300;
    Click(Lib().DownloadBtn);
    EXPECT_TRUE(OnlyCancelUsable());
    ASSERT_TRUE(WaitDownload());
    EXPECT_EQ(Dialogs.Messages.size(), 2);
    EXPECT_EQ(Lib().StatusLbl->text(), QString());
    EXPECT_TRUE(Usable());
    EXPECT_FALSE(TempFileLeft());

    TLibraryServer dripping;
    ASSERT_TRUE(dripping.Listening);
    dripping.Drip = true;
    UseServer(dripping.Base());
    Lib().DownloadDeadlineMs = 600;
    QElapsedTimer clock;
    clock.start();
    Click(Lib().DownloadBtn);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !Lib().Downloading(); }, 5000));
    EXPECT_LT(clock.elapsed(), 5000);
    EXPECT_EQ(Dialogs.Messages.size(), 3);
    EXPECT_EQ(Dialogs.Messages.last(), QStringLiteral("Не Удалось Получить Данные С Сервера"));
    EXPECT_TRUE(Usable());
    EXPECT_EQ(Pairs().size(), 1u);
    EXPECT_FALSE(TempFileLeft());
}

TEST_F(LibFrmTest, ClickingTheDownloadButtonAgainCancelsAtOnce)
{
    TLibraryServer dripping;
    ASSERT_TRUE(dripping.Listening);
    dripping.Drip = true;
    UseServer(dripping.Base());
    WriteLibrary({{"old", "new", "kept"}});
    Start();
    Click(Lib().DownloadBtn);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return Lib().StatusLbl->text() == QStringLiteral("Соединение С Сервером Установлено"); }));
    ASSERT_TRUE(OnlyCancelUsable());

    Click(Lib().DownloadBtn);

    EXPECT_FALSE(Lib().Downloading());
    EXPECT_TRUE(Usable());
    EXPECT_EQ(Lib().StatusLbl->text(), QStringLiteral("Закачка Прервана"));
    EXPECT_TRUE(Dialogs.Messages.isEmpty());
    EXPECT_EQ(Pairs(), (Texts{"kept|old|new"}));
    EXPECT_FALSE(TempFileLeft());
}

TEST_F(LibFrmTest, TextsTooLongToKeepAreLeftOutAndTheUserIsTold)
{
    // Written by hand: the store itself refuses such texts.
    const std::string tooLong(2046, 'x');
    {
        IniFile ini(Home.Path("QZ.Ini"));
        ini.Update([&] {
            ini.WriteString("PairLibrary", "Count", "2");
            ini.WriteString("PairLibrary", "MaskStr0", ".cat.");
            ini.WriteString("PairLibrary", "ReplaceStr0", ".dog.");
            ini.WriteString("PairLibrary", "CommentStr0", ".animals.");
            ini.WriteString("PairLibrary", "MaskStr1", "." + tooLong + ".");
            ini.WriteString("PairLibrary", "CommentStr1", ".verbose pair.");
        });
    }
    TLibraryServer server;
    ASSERT_TRUE(server.Listening);
    server.Answer("[LexemLibrary]\r\nCount=2\r\nLexemStr0=." + QByteArray::fromStdString(tooLong) +
        ".\r\nCommentStr0=.verbose lexem.\r\nLexemStr1=.[0-9].\r\nCommentStr1=.digit.\r\n");
    UseServer(server.Base());

    Start();
    EXPECT_EQ(Pairs(), (Texts{"animals|cat|dog"}));
    ASSERT_EQ(Dialogs.Messages.size(), 1);
    EXPECT_TRUE(Dialogs.Messages[0].contains(QStringLiteral("verbose pair")));

    Click(Lib().DownloadBtn);
    ASSERT_TRUE(WaitDownload());
    EXPECT_EQ(Lib().StatusLbl->text(), QStringLiteral("Закачано Пар:0, Лексем:1"));
    EXPECT_EQ(Lexems(), (Texts{"digit|[0-9]"}));
    ASSERT_EQ(Dialogs.Messages.size(), 2);
    EXPECT_TRUE(Dialogs.Messages[1].contains(QStringLiteral("verbose lexem")));
}

TEST_F(LibFrmTest, ADownloadAndAMainRunEachKeepWhatTheyDisable)
{
    TTempDir files;
    TLibraryServer silent;
    ASSERT_TRUE(silent.Listening);
    silent.Silent = true;
    UseServer(silent.Base());
    Start();
    Main().AddFile(files.Write("f.txt", "aa"), 0);
    SetMasks(QStringLiteral("a"), QStringLiteral("b"));
    auto runEnded = [&] {
        Queue->ServeUntil([&] { return Main().Idle(); });
        return Main().Idle();
    };

    // A run disables the whole window, cancel included; when it ends while
    // the download goes on, only the cancel comes back.
    Lib().DownloadTimeoutMs = 1500;
    Click(Lib().DownloadBtn);
    Main().GoBtnClick();
    ASSERT_FALSE(Main().Idle());
    EXPECT_FALSE(Lib().DownloadBtn->isEnabled());
    ASSERT_TRUE(runEnded());
    ASSERT_TRUE(Lib().Downloading());
    EXPECT_TRUE(OnlyCancelUsable());
    ASSERT_TRUE(WaitDownload());
    EXPECT_TRUE(Usable());

    // A download that ends during a run leaves the window to the run's end.
    Lib().DownloadTimeoutMs = 200;
    Click(Lib().DownloadBtn);
    Main().GoBtnClick();
    ASSERT_FALSE(Main().Idle());
    ASSERT_TRUE(WaitDownload());
    EXPECT_FALSE(Lib().AddBtn->isEnabled());
    EXPECT_FALSE(Lib().DownloadBtn->isEnabled());
    ASSERT_TRUE(runEnded());
    EXPECT_TRUE(Usable());
    EXPECT_EQ(Dialogs.Messages.size(), 2);
    EXPECT_EQ(TTempDir::Read(files.Path("f.txt")), "bb");
}

} // namespace
} // namespace tekstovar
