#include "mainwindow/maskboxes.h"

#include "dialogs/viewfrm.h"
#include "engine/messages.h"
#include "support/testdialogs.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QBoxLayout>
#include <QClipboard>
#include <QComboBox>
#include <QDrag>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include <memory>

namespace tekstovar {
namespace {

using test::TTestDialogs;

QString Q(const char* utf8) { return QString::fromUtf8(utf8); }

QComboBox* MaskBox(const char* name, QWidget* parent)
{
    // As the main window makes its boxes.
    auto* box = new QComboBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setMaxVisibleItems(10);
    return box;
}

QStringList Items(const QComboBox* box)
{
    QStringList items;
    for (int i = 0; i < box->count(); ++i)
        items.append(box->itemText(i));
    return items;
}

QStringList L(std::initializer_list<const char*> items)
{
    QStringList list;
    for (const char* item : items)
        list.append(Q(item));
    return list;
}

// The point of a line edit at which a click puts the caret before the
// character `position`.
QPoint PointOf(QLineEdit* edit, int position)
{
    const int caret = edit->cursorPosition();
    edit->setCursorPosition(position);
    const QPoint point = edit->inputMethodQuery(Qt::ImCursorRectangle).toRect().center();
    edit->setCursorPosition(caret);
    return point;
}

class MaskBoxesTest : public testing::Test {
protected:
    TTestDialogs Dialogs;
    TSettings Settings;
    QWidget Window;
    QComboBox* MaskCbx = MaskBox("MaskCbx", &Window);
    QComboBox* ReplaceCbx = MaskBox("ReplaceCbx", &Window);
    QToolButton* ViewMaskBtn = new QToolButton(&Window);
    QToolButton* ViewReplaceBtn = new QToolButton(&Window);
    TViewFrm View{Dialogs, &Window};
    TMaskBoxes Boxes{MaskCbx, ReplaceCbx, ViewMaskBtn, ViewReplaceBtn, Settings, View, Dialogs};
    std::unique_ptr<QMimeData> Dragged;
    QObject* DragSource = nullptr;

    MaskBoxesTest()
    {
        auto* layout = new QVBoxLayout(&Window);
        for (QWidget* w : std::initializer_list<QWidget*>{MaskCbx, ViewMaskBtn, ReplaceCbx, ViewReplaceBtn})
            layout->addWidget(w);
        Window.resize(400, 200);
        Window.show();
        Boxes.RunDrag = [this](QDrag& drag) {
            Dragged = std::make_unique<QMimeData>();
            for (const QString& format : drag.mimeData()->formats())
                Dragged->setData(format, drag.mimeData()->data(format));
            DragSource = drag.source();
        };
    }

    void Run(const char* mask, const char* replace)
    {
        MaskCbx->setEditText(Q(mask));
        ReplaceCbx->setEditText(Q(replace));
        Boxes.PutPairOnTop();
    }

    void Fill(std::initializer_list<const char*> masks, std::initializer_list<const char*> replaces)
    {
        MaskCbx->addItems(L(masks));
        ReplaceCbx->addItems(L(replaces));
    }

    // Picks an entry from the box's drop-down list with the mouse.
    void Choose(QComboBox* box, int index)
    {
        box->showPopup();
        QAbstractItemView* view = box->view();
        const QRect item = view->visualRect(view->model()->index(index, 0));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, item.center());
    }

    void Press(Qt::Key key, Qt::KeyboardModifiers modifiers) { QTest::keyClick(MaskCbx, key, modifiers); }

    // Enter, move and drop at `point` of a box's edit; whether the drop
    // was accepted.
    static bool Drop(QComboBox* box, const QPoint& point, const QMimeData* data, bool* entered = nullptr)
    {
        QDragEnterEvent enter(point, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(box->lineEdit(), &enter);
        if (entered)
            *entered = enter.isAccepted();
        QDragMoveEvent move(point, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(box->lineEdit(), &move);
        QDropEvent drop(QPointF(point), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(box->lineEdit(), &drop);
        return drop.isAccepted();
    }
};

TEST_F(MaskBoxesTest, APairUsedAgainMovesToTheTopOnce)
{
    Run("a", "1");
    Run("b", "2");
    Run("a", "1");
    EXPECT_EQ(Items(MaskCbx), L({"a", "b"}));
    EXPECT_EQ(Items(ReplaceCbx), L({"1", "2"}));
    // The same search mask with another replace mask, or another letter
    // case, is another pair.
    Run("a", "9");
    Run("A", "9");
    EXPECT_EQ(Items(MaskCbx), L({"A", "a", "a", "b"}));
    EXPECT_EQ(Items(ReplaceCbx), L({"9", "9", "1", "2"}));
    EXPECT_EQ(MaskCbx->currentText(), Q("A"));
    EXPECT_EQ(ReplaceCbx->currentText(), Q("9"));
    // A pair with one half empty counts; two empty halves do not.
    Run("", "x");
    Run("", "");
    EXPECT_EQ(Items(MaskCbx), L({"", "A", "a", "a", "b"}));
    EXPECT_EQ(Items(ReplaceCbx), L({"x", "9", "9", "1", "2"}));
}

TEST_F(MaskBoxesTest, HistoryLengthThreeDropsTheOldestPairFromBoth)
{
    Settings.HistoryLength = 3;
    Run("m1", "r1");
    Run("m2", "r2");
    Run("m3", "r3");
    Run("m4", "r4");
    EXPECT_EQ(Items(MaskCbx), L({"m4", "m3", "m2"}));
    EXPECT_EQ(Items(ReplaceCbx), L({"r4", "r3", "r2"}));
    EXPECT_EQ(MaskCbx->currentText(), Q("m4"));
    EXPECT_EQ(ReplaceCbx->currentText(), Q("r4"));
}

// What a hand-edited settings file can hold.
TEST_F(MaskBoxesTest, LoadedHistoriesChangeOnlyAsMuchAsARunNeeds)
{
    // Longer than the length: one entry goes per run.
    Settings.HistoryLength = 3;
    Fill({"a", "b", "c", "d", "e"}, {"1", "2", "3", "4", "5"});
    Run("new", "0");
    EXPECT_EQ(Items(MaskCbx), L({"new", "a", "b", "c", "d"}));
    EXPECT_EQ(Items(ReplaceCbx), L({"0", "1", "2", "3", "4"}));

    // A pair listed twice: only the first copy moves.
    Settings.HistoryLength = 20;
    MaskCbx->clear();
    ReplaceCbx->clear();
    Fill({"a", "b", "a"}, {"1", "2", "1"});
    Run("a", "1");
    EXPECT_EQ(Items(MaskCbx), L({"a", "b", "a"}));
    EXPECT_EQ(Items(ReplaceCbx), L({"1", "2", "1"}));

    // A shorter replace history: its missing items pair with nothing.
    MaskCbx->clear();
    ReplaceCbx->clear();
    Fill({"a", "b", "c"}, {"1"});
    Run("c", "");
    EXPECT_EQ(Items(MaskCbx), L({"c", "a", "b", "c"}));
    EXPECT_EQ(Items(ReplaceCbx), L({"", "1"}));
}

TEST_F(MaskBoxesTest, HistoryLengthZeroKeepsTheHistoryEmptyAndTheTexts)
{
    Settings.HistoryLength = 0;
    Run("m", "r");
    Run("m", "r");
    EXPECT_EQ(MaskCbx->count(), 0);
    EXPECT_EQ(ReplaceCbx->count(), 0);
    EXPECT_EQ(MaskCbx->currentText(), Q("m"));
    EXPECT_EQ(ReplaceCbx->currentText(), Q("r"));
}

TEST_F(MaskBoxesTest, LinkedPairsChooseTheOtherHalf)
{
    Fill({"m1", "m2", "m3"}, {"r1", "r2", "r3"});
    MaskCbx->setEditText(Q("typed"));
    ReplaceCbx->setEditText(Q("typed"));
    Choose(MaskCbx, 2);
    EXPECT_EQ(MaskCbx->currentText(), Q("m3"));
    EXPECT_EQ(ReplaceCbx->currentText(), Q("r3"));
    Choose(ReplaceCbx, 0);
    EXPECT_EQ(ReplaceCbx->currentText(), Q("r1"));
    EXPECT_EQ(MaskCbx->currentText(), Q("m1"));
    // Starting a run changes the current items but chooses nothing.
    Run("m2", "other");
    EXPECT_EQ(ReplaceCbx->currentText(), Q("other"));
}

// Only a pick from the list chooses a pair: Enter on a text that matches an
// entry but for case, a prefix the box could complete, and leaving the box
// keep what the user typed in both boxes.
TEST_F(MaskBoxesTest, TypedMasksSurviveEnterCompletionAndFocusChanges)
{
    Fill({"abc", "m2"}, {"r1", "r2"});
    MaskCbx->setEditText(QString());
    ReplaceCbx->setEditText(Q("mine"));
    MaskCbx->setFocus();
    QTest::keyClicks(MaskCbx, QStringLiteral("ab"));
    EXPECT_EQ(MaskCbx->currentText(), Q("ab"));
    QTest::keyClicks(MaskCbx, QStringLiteral("C"));
    QTest::keyClick(MaskCbx, Qt::Key_Return);
    EXPECT_EQ(MaskCbx->currentText(), Q("abC"));
    EXPECT_EQ(ReplaceCbx->currentText(), Q("mine"));
    ReplaceCbx->setFocus();
    QTest::keyClick(ReplaceCbx, Qt::Key_Enter);
    MaskCbx->setFocus();
    EXPECT_EQ(MaskCbx->currentText(), Q("abC"));
    EXPECT_EQ(ReplaceCbx->currentText(), Q("mine"));
}

// A mask is one line: a pasted line break becomes \n in the box itself.
TEST_F(MaskBoxesTest, PastedLineBreaksBecomeBackslashN)
{
    QApplication::clipboard()->setText(Q("a\r\nb\nc"));
    MaskCbx->setEditText(Q("x"));
    MaskCbx->setFocus();
    MaskCbx->lineEdit()->end(false);
    QTest::keyClick(MaskCbx, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(MaskCbx->currentText(), Q("xa\\nb\\nc"));
    QTest::keyClicks(MaskCbx, QStringLiteral("d"));
    EXPECT_EQ(MaskCbx->currentText(), Q("xa\\nb\\ncd"));
}

TEST_F(MaskBoxesTest, WithoutLinkedPairsTheBoxesAreIndependent)
{
    Settings.LinkedPairs = false;
    Fill({"m1", "m2", "m3"}, {"r1", "r2", "r3"});
    ReplaceCbx->setEditText(Q("typed"));
    Choose(MaskCbx, 2);
    EXPECT_EQ(MaskCbx->currentText(), Q("m3"));
    EXPECT_EQ(ReplaceCbx->currentText(), Q("typed"));
    Choose(ReplaceCbx, 1);
    EXPECT_EQ(ReplaceCbx->currentText(), Q("r2"));
    EXPECT_EQ(MaskCbx->currentText(), Q("m3"));
}

// Lexems of this mask, 0-based as the box counts: ab 0-1, \9 2-3, cd 4-5,
// \9 6-7, ef 8-9.
const char* const FiveLexems = "ab\\9cd\\9ef";

TEST_F(MaskBoxesTest, ImmediateKeyAppendsTheReferencesOfCaretAndSelection)
{
    MaskCbx->setEditText(Q(FiveLexems));
    ReplaceCbx->setEditText(Q("r"));
    MaskCbx->lineEdit()->setCursorPosition(1);
    Press(Qt::Key_W, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(ReplaceCbx->currentText(), Q("r\\1"));
    // From inside lexem 2 over the beginnings of lexems 3 and 4.
    MaskCbx->lineEdit()->setSelection(3, 4);
    Press(Qt::Key_W, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(ReplaceCbx->currentText(), Q("r\\1\\2\\3\\4"));
    // The same selection made backwards.
    MaskCbx->lineEdit()->setSelection(7, -4);
    Press(Qt::Key_W, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(ReplaceCbx->currentText(), Q("r\\1\\2\\3\\4\\2\\3\\4"));
    EXPECT_EQ(MaskCbx->currentText(), Q(FiveLexems));
    EXPECT_FALSE(Dragged);
    EXPECT_TRUE(Dialogs.Errors.isEmpty());
}

TEST_F(MaskBoxesTest, KeysFollowTheSettings)
{
    MaskCbx->setEditText(Q(FiveLexems));
    MaskCbx->lineEdit()->setCursorPosition(5);
    Settings.ImmedAutoLexemKey = 0x8051; // Alt+Q
    Press(Qt::Key_W, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(ReplaceCbx->currentText(), QString());
    Press(Qt::Key_Q, Qt::AltModifier);
    EXPECT_EQ(ReplaceCbx->currentText(), Q("\\3"));
    // One combination for both: the drag starts and the text is appended.
    Settings.AutoLexemKey = 0x8051;
    Press(Qt::Key_Q, Qt::AltModifier);
    EXPECT_EQ(ReplaceCbx->currentText(), Q("\\3\\3"));
    ASSERT_TRUE(Dragged);
    EXPECT_EQ(Dragged->text(), Q("\\3"));
}

TEST_F(MaskBoxesTest, DragKeyDropsTheReferencesWhereTheyAreDropped)
{
    MaskCbx->setEditText(Q(FiveLexems));
    MaskCbx->lineEdit()->setCursorPosition(5);
    ReplaceCbx->setEditText(Q("abcd"));
    Press(Qt::Key_W, Qt::ControlModifier);
    EXPECT_EQ(Boxes.AutoLexemText(), Q("\\3"));
    ASSERT_TRUE(Dragged);
    EXPECT_EQ(DragSource, MaskCbx);
    EXPECT_EQ(Dragged->text(), Q("\\3"));
    EXPECT_EQ(ReplaceCbx->currentText(), Q("abcd"));

    // Onto the search mask: taken over it, but dropping does nothing.
    bool entered = false;
    EXPECT_FALSE(Drop(MaskCbx, PointOf(MaskCbx->lineEdit(), 2), Dragged.get(), &entered));
    EXPECT_TRUE(entered);
    EXPECT_EQ(MaskCbx->currentText(), Q(FiveLexems));

    // Between b and c, the caret and a selection being elsewhere.
    ReplaceCbx->lineEdit()->setSelection(3, 1);
    EXPECT_TRUE(Drop(ReplaceCbx, PointOf(ReplaceCbx->lineEdit(), 2), Dragged.get(), &entered));
    EXPECT_TRUE(entered);
    EXPECT_EQ(ReplaceCbx->currentText(), Q("ab\\3cd"));
    EXPECT_EQ(ReplaceCbx->lineEdit()->cursorPosition(), 4);
    EXPECT_EQ(Window.focusWidget(), ReplaceCbx);
}

TEST_F(MaskBoxesTest, ForeignDragsAreRefusedByBothBoxes)
{
    ReplaceCbx->setEditText(Q("abcd"));
    QMimeData plain;
    plain.setText(Q("\\1"));
    for (QComboBox* box : {MaskCbx, ReplaceCbx}) {
        bool entered = true;
        EXPECT_FALSE(Drop(box, PointOf(box->lineEdit(), 1), &plain, &entered));
        EXPECT_FALSE(entered);
    }
    // References dragged out of another widget.
    QLineEdit other;
    StartLexemDrag(&other, Q("\\1"), Boxes.RunDrag);
    ASSERT_TRUE(Dragged);
    bool entered = true;
    EXPECT_FALSE(Drop(ReplaceCbx, PointOf(ReplaceCbx->lineEdit(), 1), Dragged.get(), &entered));
    EXPECT_FALSE(entered);
    EXPECT_EQ(ReplaceCbx->currentText(), Q("abcd"));
    EXPECT_EQ(MaskCbx->currentText(), QString());
}

TEST_F(MaskBoxesTest, MalformedMaskShowsTheParsersMessageOnly)
{
    MaskCbx->setEditText(Q("ab\\{c"));
    ReplaceCbx->setEditText(Q("r"));
    Press(Qt::Key_W, Qt::ControlModifier);
    Press(Qt::Key_W, Qt::ControlModifier | Qt::ShiftModifier);
    const QString message = ErrorText(Q(messages::UnclosedBracket));
    EXPECT_EQ(Dialogs.Errors, QStringList({message, message}));
    EXPECT_FALSE(Dragged);
    EXPECT_TRUE(Boxes.AutoLexemText().isEmpty());
    EXPECT_EQ(ReplaceCbx->currentText(), Q("r"));
}

TEST_F(MaskBoxesTest, EitherViewButtonEditsBothMasks)
{
    QFont maskFont(Q("Courier New"), 13);
    maskFont.setBold(true);
    MaskCbx->setFont(maskFont);
    MaskCbx->setEditText(Q("ab\\n\\9cd"));
    ReplaceCbx->setEditText(Q("x\\\\ny"));
    Settings.ImmedAutoLexemKey = 0x2074; // Shift+F5
    Dialogs.ExecAnswers.push_back([&](QDialog& dialog) {
        return test::PlayDialog(dialog, [&] {
            EXPECT_EQ(View.MaskMmo->toPlainText(), Q("ab\n\\9cd"));
            EXPECT_EQ(View.ReplaceMmo->toPlainText(), Q("x\\\ny"));
            EXPECT_EQ(View.MaskMmo->font().pointSize(), 13);
            EXPECT_TRUE(View.MaskMmo->font().bold());
            // The editor's keys are the settings': on the \ after the break.
            QTextCursor caret(View.MaskMmo->document());
            caret.setPosition(3);
            View.MaskMmo->setTextCursor(caret);
            QTest::keyClick(View.MaskMmo, Qt::Key_F5, Qt::ShiftModifier);
            View.MaskMmo->moveCursor(QTextCursor::End);
            QTest::keyClick(View.MaskMmo, Qt::Key_Return);
            QTest::mouseClick(View.OkBtn, Qt::LeftButton);
        });
    });
    QTest::mouseClick(ViewReplaceBtn, Qt::LeftButton);
    EXPECT_FALSE(View.isVisible());
    EXPECT_EQ(MaskCbx->currentText(), Q("ab\\n\\9cd\\n"));
    EXPECT_EQ(ReplaceCbx->currentText(), Q("x\\\\ny\\3"));

    Dialogs.ExecAnswers.push_back([&](QDialog& dialog) {
        return test::PlayDialog(dialog, [&] {
            View.MaskMmo->setPlainText(Q("changed"));
            QTest::keyClick(View.MaskMmo, Qt::Key_Escape);
        });
    });
    QTest::mouseClick(ViewMaskBtn, Qt::LeftButton);
    EXPECT_FALSE(View.isVisible());
    EXPECT_EQ(MaskCbx->currentText(), Q("ab\\n\\9cd\\n"));
    EXPECT_EQ(ReplaceCbx->currentText(), Q("x\\\\ny\\3"));
}

} // namespace
} // namespace tekstovar
