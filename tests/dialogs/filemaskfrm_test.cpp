#include "dialogs/filemaskfrm.h"
#include "support/tempdir.h"
#include "support/testdialogs.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace tekstovar {
namespace {

using test::TTempDir;
using Masks = std::vector<std::string>;

// Counts the key presses that reach a widget, so a test can tell whether a
// child consumed one.
class TKeyRecorder : public QObject {
public:
    int Presses(int key) const { return static_cast<int>(std::count(Keys.begin(), Keys.end(), key)); }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress)
            Keys.push_back(static_cast<QKeyEvent*>(event)->key());
        return false;
    }

private:
    std::vector<int> Keys;
};

class FileMaskFrmTest : public testing::Test {
protected:
    TTempDir Dir;
    test::TTestDialogs Dialogs;
    std::string IniPath = Dir.Path("QZ.Ini");

    void Store(const std::string& extensions) const
    {
        Dir.Write("QZ.Ini", "[General]\r\nExtensions=" + extensions + "\r\n");
    }

    // The value of Extensions as it stands in the file, bytes as written.
    std::string Stored() const
    {
        std::string file = TTempDir::Read(IniPath);
        std::size_t at = file.find("Extensions=");
        if (at == std::string::npos)
            return "<missing>";
        at += 11;
        return file.substr(at, file.find_first_of("\r\n", at) - at);
    }

    std::unique_ptr<TFileMaskFrm> Open()
    {
        auto dialog = std::make_unique<TFileMaskFrm>(Dialogs, IniPath);
        Edit = dialog->findChild<QLineEdit*>(QStringLiteral("MaskEdt"));
        List = dialog->findChild<QListWidget*>(QStringLiteral("MaskLst"));
        Add = dialog->findChild<QPushButton*>(QStringLiteral("AddBtn"));
        Del = dialog->findChild<QPushButton*>(QStringLiteral("DelBtn"));
        Ok = dialog->findChild<QPushButton*>(QStringLiteral("OkBtn"));
        return dialog;
    }

    void Select(int row) { List->setCurrentRow(row, QItemSelectionModel::ClearAndSelect); }
    int Selected() const { return List->selectedItems().isEmpty() ? -1 : List->row(List->selectedItems().first()); }

    QLineEdit* Edit = nullptr;
    QListWidget* List = nullptr;
    QPushButton* Add = nullptr;
    QPushButton* Del = nullptr;
    QPushButton* Ok = nullptr;
};

TEST_F(FileMaskFrmTest, FixedSizeCaptionsAndControls)
{
    auto dialog = Open();
    ASSERT_TRUE(Edit && List && Add && Del && Ok);
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Маски Файлов"));
    EXPECT_EQ(dialog->minimumSize(), QSize(265, 191));
    EXPECT_EQ(dialog->maximumSize(), QSize(265, 191));
    EXPECT_EQ(Add->text(), QStringLiteral("Добавить"));
    EXPECT_EQ(Del->text(), QStringLiteral("Удалить"));
    EXPECT_EQ(Ok->text(), QStringLiteral("Угу"));
    // No default button: Enter must reach the edit, not press a button.
    for (QPushButton* button : {Add, Del, Ok})
        EXPECT_FALSE(button->isDefault() || button->autoDefault()) << button->objectName().toStdString();
    bool labelFound = false;
    for (QLabel* label : dialog->findChildren<QLabel*>())
        labelFound |= label->text() ==
            QStringLiteral("При Добавлении  В Список Файлов Целых Директорий, Из Них "
                           "Будут Добавляться Только Файлы, Подходящие Под Данные Маски:");
    EXPECT_TRUE(labelFound);
}

TEST_F(FileMaskFrmTest, LoadingSplitsAtEveryComma)
{
    struct TCase {
        std::string Stored;
        Masks Expected;
    };
    const TCase cases[] = {
        {"*.txt,,*.htm", {"*.txt", "", "*.htm"}},
        {"*.txt,*.htm,", {"*.txt", "*.htm"}},
        {",*.txt", {"", "*.txt"}},
        {"*.a , *.b", {"*.a ", " *.b"}},
        {"", {}},
        {",", {""}},
    };
    for (const TCase& c : cases) {
        Store(c.Stored);
        EXPECT_EQ(Open()->Masks(), c.Expected) << "stored: " << c.Stored;
    }
}

TEST_F(FileMaskFrmTest, MissingKeyOrFileGivesTheDefaultList)
{
    const Masks defaults = {"*.txt", "*.html", "*.css", "*.log", "*.htm"};
    EXPECT_EQ(Open()->Masks(), defaults);
    Dir.Write("QZ.Ini", "[General]\r\nOther=1\r\n");
    auto dialog = Open();
    EXPECT_EQ(dialog->Masks(), defaults);
    EXPECT_EQ(List->count(), 5);
    dialog->accept();
    EXPECT_EQ(Stored(), "*.txt,*.html,*.css,*.log,*.htm");
}

TEST_F(FileMaskFrmTest, ClosingWritesBackWhatWasLoaded)
{
    Store("*.txt,,*.htm");
    Open()->accept();
    EXPECT_EQ(Stored(), "*.txt,,*.htm");

    Store("*.txt,*.htm,");
    Open()->accept();
    EXPECT_EQ(Stored(), "*.txt,*.htm");

    Store("");
    Open()->accept();
    EXPECT_EQ(Stored(), "");
}

TEST_F(FileMaskFrmTest, RussianMasksKeepTheirWinBytes)
{
    const std::string win = "*.\xF2\xE5\xEA\xF1\xF2"; // *.текст in Windows-1251
    Store(win + ",*.txt");
    auto dialog = Open();
    EXPECT_EQ(List->item(0)->text(), QStringLiteral("*.текст"));
    EXPECT_EQ(dialog->Masks(), (Masks{win, "*.txt"}));
    Edit->setText(QStringLiteral("*.ёж"));
    Add->click();
    dialog->accept();
    EXPECT_EQ(Stored(), win + ",*.txt,*.\xB8\xE6");
}

// Kept in WIN, such a character would become the wildcard '?'.
TEST_F(FileMaskFrmTest, AMaskWithCharactersWinLacksIsRefused)
{
    Store("*.txt");
    auto dialog = Open();
    dialog->show();
    // Typed as an input method would: one key event a character.
    for (const QChar c : QStringLiteral("*.日本日?"))
        QTest::sendKeyEvent(QTest::Click, Edit, Qt::Key_unknown, QString(c), Qt::NoModifier);
    QTest::keyClick(Edit, Qt::Key_Return);
    EXPECT_EQ(dialog->Masks(), (Masks{"*.txt"}));
    ASSERT_EQ(Dialogs.Errors.size(), 1);
    EXPECT_EQ(Dialogs.Errors[0], QStringLiteral("Маска *.日本日? Не Добавлена: В Кодировке WIN Нет Знаков 日本."));
    EXPECT_EQ(Edit->text(), QStringLiteral("*.日本日?")) << "left to be mended";
    dialog->accept();
    EXPECT_EQ(Stored(), "*.txt");
}

TEST_F(FileMaskFrmTest, AddAppendsTheTypedTextAndKeepsIt)
{
    Store("*.txt");
    auto dialog = Open();
    Edit->setText(QStringLiteral("*.md"));
    Add->click();
    Add->click();
    EXPECT_EQ(dialog->Masks(), (Masks{"*.txt", "*.md", "*.md"}));
    EXPECT_EQ(Edit->text(), QStringLiteral("*.md"));

    Edit->clear();
    Add->click();
    EXPECT_EQ(dialog->Masks().size(), 3u) << "an empty edit adds nothing";

    Edit->setText(QStringLiteral(" *.a b "));
    Add->click();
    EXPECT_EQ(dialog->Masks().back(), " *.a b ") << "masks are taken as typed";
}

TEST_F(FileMaskFrmTest, EnterInTheEditAddsAndGoesNoFurther)
{
    Store("*.txt");
    auto dialog = Open();
    dialog->show();
    TKeyRecorder recorder;
    dialog->installEventFilter(&recorder);

    // A key the edit does not take travels up to the dialog: the recorder
    // sees what escapes the edit.
    QTest::keyClick(Edit, Qt::Key_F5);
    ASSERT_EQ(recorder.Presses(Qt::Key_F5), 1);

    Edit->setText(QStringLiteral("*.htm"));
    QTest::keyClick(Edit, Qt::Key_Return);
    QTest::keyClick(Edit, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(dialog->Masks(), (Masks{"*.txt", "*.htm", "*.htm"}));
    EXPECT_EQ(recorder.Presses(Qt::Key_Return) + recorder.Presses(Qt::Key_Enter), 0);
    EXPECT_TRUE(dialog->isVisible()) << "Enter closed the dialog";
}

TEST_F(FileMaskFrmTest, DeleteSelectsTheFollowingItemOrTheNewLast)
{
    Store("a,b,c,d");
    auto dialog = Open();
    List->clearSelection();
    Del->click();
    EXPECT_EQ(dialog->Masks().size(), 4u) << "nothing selected, nothing removed";
    EXPECT_EQ(Selected(), -1);

    Select(1);
    Del->click();
    EXPECT_EQ(dialog->Masks(), (Masks{"a", "c", "d"}));
    EXPECT_EQ(Selected(), 1) << "c follows b";

    Select(2);
    Del->click();
    EXPECT_EQ(dialog->Masks(), (Masks{"a", "c"}));
    EXPECT_EQ(Selected(), 1) << "the new last item";

    Del->click();
    Del->click();
    EXPECT_TRUE(dialog->Masks().empty());
    EXPECT_EQ(Selected(), -1) << "removing the only item leaves nothing selected";
    Del->click(); // nothing left: no change, no crash
    EXPECT_TRUE(dialog->Masks().empty());
}

TEST_F(FileMaskFrmTest, DeleteKeyInTheListRemovesTheSelectedItem)
{
    Store("a,b,c");
    auto dialog = Open();
    dialog->show();
    Select(0);
    QTest::keyClick(List, Qt::Key_Delete);
    EXPECT_EQ(dialog->Masks(), (Masks{"b", "c"}));
    EXPECT_EQ(Selected(), 0);
    QTest::keyClick(Edit, Qt::Key_Delete); // in the edit the key edits text only
    EXPECT_EQ(dialog->Masks(), (Masks{"b", "c"}));
}

TEST_F(FileMaskFrmTest, EveryWayOfClosingWrites)
{
    Store("*.txt");
    {
        auto dialog = Open();
        dialog->show();
        Edit->setText(QStringLiteral("*.ok"));
        Add->click();
        Ok->click();
        EXPECT_FALSE(dialog->isVisible());
        EXPECT_EQ(dialog->result(), QDialog::Accepted);
        EXPECT_EQ(Stored(), "*.txt,*.ok");
    }
    {
        auto dialog = Open();
        dialog->show();
        Select(0);
        Del->click();
        dialog->close(); // the title bar's close box
        EXPECT_FALSE(dialog->isVisible());
        EXPECT_EQ(Stored(), "*.ok");
    }
    {
        auto dialog = Open();
        dialog->show();
        Edit->setText(QStringLiteral("*.esc"));
        Add->click();
        QTest::keyClick(List, Qt::Key_Escape);
        EXPECT_FALSE(dialog->isVisible());
        EXPECT_EQ(Stored(), "*.ok,*.esc");
    }
}

TEST_F(FileMaskFrmTest, EachCloseWritesTheListAsItIsThen)
{
    Store("a");
    auto dialog = Open();
    dialog->show();
    dialog->accept();
    EXPECT_EQ(Stored(), "a");
    // The dialog lives for the whole program and is opened again.
    dialog->show();
    Edit->setText(QStringLiteral("b"));
    Add->click();
    dialog->accept();
    EXPECT_EQ(Stored(), "a,b");
}

// The dialog closes all the same and the masks stay for the session, but the
// user learns that they were not kept.
TEST_F(FileMaskFrmTest, AFailedWriteIsShownAndTheMasksStay)
{
    IniPath = Dir.Path("missing/dir/QZ.Ini");
    auto dialog = Open();
    dialog->show();
    Edit->setText(QStringLiteral("*.md"));
    Add->click();
    EXPECT_NO_THROW(dialog->accept());
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_FALSE(TTempDir::Exists(IniPath));
    ASSERT_EQ(Dialogs.Errors.size(), 1);
    EXPECT_TRUE(Dialogs.Errors[0].contains(QString::fromStdString(IniPath))) << Dialogs.Errors[0].toStdString();
    EXPECT_EQ(dialog->Masks().back(), "*.md");
}

} // namespace
} // namespace tekstovar
