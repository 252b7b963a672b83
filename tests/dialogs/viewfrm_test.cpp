#include "dialogs/viewfrm.h"

#include "common/error.h"
#include "engine/messages.h"
#include "support/testdialogs.h"

#include <QApplication>
#include <QDrag>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace tekstovar {
namespace {

using test::TTestDialogs;

QString Q(const char* utf8) { return QString::fromUtf8(utf8); }

// Lexems of this mask, 0-based as a box counts: ab 0-1, \9 2-3, cd 4-5,
// \9 6-7, ef 8-9.
const char* const FiveLexems = "ab\\9cd\\9ef";

TEST(KeyCombination, TakesTheVirtualKeyAndTheModifiers)
{
    EXPECT_EQ(KeyCombination(Qt::Key_W, Qt::ControlModifier), 16471);
    EXPECT_EQ(KeyCombination(Qt::Key_W, Qt::ControlModifier | Qt::ShiftModifier), 24663);
    EXPECT_EQ(KeyCombination(Qt::Key_F1, Qt::AltModifier), 0x8070);
    EXPECT_EQ(KeyCombination(Qt::Key_Insert, Qt::ControlModifier | Qt::AltModifier), 0xC02D);
    // The key, not the character: Ц and ц sit on W, Shift+1 gives "!".
    EXPECT_EQ(KeyCombination(0x0426, Qt::AltModifier), 0x8057);
    EXPECT_EQ(KeyCombination(0x0446, Qt::NoModifier), 0x57);
    EXPECT_EQ(KeyCombination(Qt::Key_Exclam, Qt::ShiftModifier | Qt::ControlModifier), 0x6031);
    EXPECT_EQ(KeyCombination(Qt::Key_5, Qt::KeypadModifier), 0x65);
    // A modifier alone has no code and never matches a setting.
    EXPECT_EQ(KeyCombination(Qt::Key_Control, Qt::ControlModifier), 0);
    const QKeyEvent press(QEvent::KeyPress, Qt::Key_W, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(KeyCombination(press), 24663);
}

TEST(LexemReferences, CaretAndSelection)
{
    const QString mask = Q(FiveLexems);
    EXPECT_EQ(LexemReferences(mask, 0, 0), Q("\\1"));
    EXPECT_EQ(LexemReferences(mask, 5, 0), Q("\\3"));
    // From inside lexem 2 to the first character of lexem 4.
    EXPECT_EQ(LexemReferences(mask, 3, 4), Q("\\2\\3\\4"));
    // A selection that begins a lexem names it alone, not its predecessor.
    EXPECT_EQ(LexemReferences(mask, 4, 2), Q("\\3"));
    EXPECT_EQ(LexemReferences(mask, 10, 0), Q("\\5"));
    EXPECT_EQ(LexemReferences(QString(), 0, 0), Q("\\1"));
}

TEST(LexemReferences, CountsCharactersNotUtf16Units)
{
    // 😀 is two units in the box and one "?" for the engine: ?ab at 1, \9
    // at 4, cd at 6. Unit 5 is the 9 of \9, mask position 5.
    const QString mask = Q("😀ab\\9cd");
    EXPECT_EQ(LexemReferences(mask, 5, 0), Q("\\2"));
    EXPECT_EQ(LexemReferences(mask, 2, 5), Q("\\1\\2\\3"));
    EXPECT_EQ(LexemReferences(Q("жж\\9"), 2, 0), Q("\\2"));
}

TEST(LexemReferences, MalformedMaskThrowsTheParsersMessage)
{
    try {
        LexemReferences(Q("ab\\(cd"), 0, 0);
        FAIL() << "no error";
    } catch (const TError& e) {
        EXPECT_STREQ(e.what(), messages::UnclosedBracket);
    }
}

TEST(LexemReferences, LineBreaksOfAMultiLineTextCountTwice)
{
    // "ab", a line break, "\9cd": the mask ab\n\9cd with lexems ab at 1, \n
    // at 3, \9 at 5, cd at 7.
    const QString text = Q("ab\n\\9cd");
    EXPECT_EQ(MultiLineLexemReferences(text, 3, 0), Q("\\3"));
    EXPECT_EQ(MultiLineLexemReferences(text, 3, 0), LexemReferences(Q("ab\\n\\9cd"), 4, 0));
    EXPECT_EQ(MultiLineLexemReferences(text, 2, 0), Q("\\2"));
    // From b to c: the end is mapped too.
    EXPECT_EQ(MultiLineLexemReferences(text, 1, 5), Q("\\1\\2\\3\\4"));
    EXPECT_EQ(MultiLineLexemReferences(Q("x\n\n\ny\\9"), 4, 0), Q("\\5"));
}

TEST(MaskText, EscapesAndLineBreaksBothWays)
{
    // \n is a line break; \\n is a backslash at the end of a line, since
    // every backslash-n is converted whatever stands before it.
    EXPECT_EQ(MaskToMultiLine(Q("a\\nb")), Q("a\nb"));
    EXPECT_EQ(MaskToMultiLine(Q("a\\\\nb")), Q("a\\\nb"));
    EXPECT_EQ(MultiLineToMask(Q("a\nb")), Q("a\\nb"));
    EXPECT_EQ(MultiLineToMask(Q("a\\\nb")), Q("a\\\\nb"));
    // Characters that WIN cannot hold stay what they are in the boxes.
    EXPECT_EQ(MaskToMultiLine(Q("ж😀\\n\\t")), Q("ж😀\n\\t"));
    EXPECT_EQ(MultiLineToMask(Q("ж😀\n\n")), Q("ж😀\\n\\n"));
}

// A drag as the targets see it: the data of a captured drag, copied before
// Qt deletes the drag.
std::unique_ptr<QMimeData> CopyOf(const QMimeData& data)
{
    auto copy = std::make_unique<QMimeData>();
    for (const QString& format : data.formats())
        copy->setData(format, data.data(format));
    return copy;
}

// Sends enter, move and drop at `point`; whether the drop was accepted.
bool Drop(QWidget* target, const QPoint& point, const QMimeData* data, bool* entered = nullptr)
{
    QDragEnterEvent enter(point, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    if (entered)
        *entered = enter.isAccepted();
    QDragMoveEvent move(point, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &move);
    QDropEvent drop(QPointF(point), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    return drop.isAccepted();
}

QPoint PointOf(QPlainTextEdit* memo, int position)
{
    QTextCursor cursor(memo->document());
    cursor.setPosition(position);
    return memo->cursorRect(cursor).center();
}

void Select(QPlainTextEdit* memo, int start, int end)
{
    QTextCursor cursor(memo->document());
    cursor.setPosition(start);
    cursor.setPosition(end, QTextCursor::KeepAnchor);
    memo->setTextCursor(cursor);
}

class ViewFrmTest : public testing::Test {
protected:
    TTestDialogs Dialogs;
    TViewFrm Frm{Dialogs};
    std::unique_ptr<QMimeData> Dragged;
    QObject* DragSource = nullptr;

    ViewFrmTest()
    {
        Frm.RunDrag = [this](QDrag& drag) {
            Dragged = CopyOf(*drag.mimeData());
            DragSource = drag.source();
        };
    }

    // Edits the masks with the default keys while `during` acts on the
    // shown window; `during` closes it.
    bool Edit(QString& mask, QString& replace, const std::function<void()>& during)
    {
        Dialogs.ExecAnswers.push_back([&](QDialog& dialog) {
            return test::PlayDialog(dialog, [&] {
                during();
                if (Frm.isVisible())
                    ADD_FAILURE() << "the editor is still open";
            });
        });
        return Frm.Edit(mask, replace, 16471, 24663);
    }

    void Press(QWidget* widget, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(widget, key, modifiers);
    }
};

TEST_F(ViewFrmTest, ActivationPutsTheFocusOnTheSearchMask)
{
    QString mask = Q("m");
    QString replace = Q("r");
    Edit(mask, replace, [&] {
        EXPECT_EQ(Frm.MaskMmo->height(), 138);
        Frm.ReplaceMmo->setFocus();
        EXPECT_EQ(Frm.focusWidget(), Frm.ReplaceMmo);
        QEvent activate(QEvent::WindowActivate);
        QApplication::sendEvent(&Frm, &activate);
        EXPECT_EQ(Frm.focusWidget(), Frm.MaskMmo);
        Frm.reject();
    });
}

TEST_F(ViewFrmTest, LineBreakAndEscapedBackslashComeBackUnchangedOnOk)
{
    QString mask = Q("a\\nb");
    QString replace = Q("a\\\\nb");
    const bool ok = Edit(mask, replace, [&] {
        EXPECT_EQ(Frm.MaskMmo->document()->blockCount(), 2);
        EXPECT_EQ(Frm.MaskMmo->toPlainText(), Q("a\nb"));
        ASSERT_EQ(Frm.ReplaceMmo->document()->blockCount(), 2);
        EXPECT_EQ(Frm.ReplaceMmo->document()->firstBlock().text(), Q("a\\"));
        EXPECT_EQ(Frm.ReplaceMmo->document()->lastBlock().text(), Q("b"));
        QTest::mouseClick(Frm.OkBtn, Qt::LeftButton);
    });
    EXPECT_TRUE(ok);
    EXPECT_EQ(mask, Q("a\\nb"));
    EXPECT_EQ(replace, Q("a\\\\nb"));
}

TEST_F(ViewFrmTest, OkTakesTypedLineBreaksAsEscapes)
{
    QString mask = Q("a\\nb");
    QString replace = Q("r");
    const bool ok = Edit(mask, replace, [&] {
        Frm.MaskMmo->moveCursor(QTextCursor::End);
        Press(Frm.MaskMmo, Qt::Key_Return);
        Frm.MaskMmo->insertPlainText(Q("ж"));
        Frm.ReplaceMmo->moveCursor(QTextCursor::Start);
        Press(Frm.ReplaceMmo, Qt::Key_Return);
        QTest::mouseClick(Frm.OkBtn, Qt::LeftButton);
    });
    EXPECT_TRUE(ok);
    EXPECT_EQ(mask, Q("a\\nb\\nж"));
    EXPECT_EQ(replace, Q("\\nr"));
}

TEST_F(ViewFrmTest, EscapeInEitherMemoAndCancelChangeNothing)
{
    for (int way = 0; way < 3; ++way) {
        SCOPED_TRACE(way);
        QString mask = Q("m\\n");
        QString replace = Q("r");
        const bool ok = Edit(mask, replace, [&] {
            Frm.MaskMmo->setPlainText(Q("changed"));
            Frm.ReplaceMmo->setPlainText(Q("changed"));
            if (way == 0)
                Press(Frm.MaskMmo, Qt::Key_Escape);
            else if (way == 1)
                Press(Frm.ReplaceMmo, Qt::Key_Escape);
            else
                QTest::mouseClick(Frm.CancelBtn, Qt::LeftButton);
        });
        EXPECT_FALSE(ok);
        EXPECT_EQ(mask, Q("m\\n"));
        EXPECT_EQ(replace, Q("r"));
    }
}

TEST_F(ViewFrmTest, ImmediateKeyAppendsTheReferencesEachTime)
{
    QString mask = Q("ab\\n\\9cd");
    QString replace = Q("r");
    Edit(mask, replace, [&] {
        // The caret after the line break, on the \ of \9: lexem 3.
        Select(Frm.MaskMmo, 3, 3);
        Press(Frm.MaskMmo, Qt::Key_W, Qt::ControlModifier | Qt::ShiftModifier);
        Press(Frm.MaskMmo, Qt::Key_W, Qt::ControlModifier | Qt::ShiftModifier);
        EXPECT_EQ(Frm.ReplaceMmo->toPlainText(), Q("r\\3\\3"));
        // From b across the line break to c.
        Select(Frm.MaskMmo, 1, 6);
        Press(Frm.MaskMmo, Qt::Key_W, Qt::ControlModifier | Qt::ShiftModifier);
        EXPECT_EQ(Frm.ReplaceMmo->toPlainText(), Q("r\\3\\3\\1\\2\\3\\4"));
        // The key went on to the memo: Ctrl+Shift+W types nothing.
        EXPECT_EQ(Frm.MaskMmo->toPlainText(), Q("ab\n\\9cd"));
        EXPECT_FALSE(Dragged);
        Press(Frm.ReplaceMmo, Qt::Key_Escape);
    });
}

TEST_F(ViewFrmTest, DragKeyCarriesTheReferencesToTheDropPoint)
{
    QString mask = Q("ab\\n\\9cd");
    QString replace = Q("xy\\nzw");
    const bool ok = Edit(mask, replace, [&] {
        Select(Frm.MaskMmo, 5, 5); // on c: lexem 4
        Press(Frm.MaskMmo, Qt::Key_W, Qt::ControlModifier);
        EXPECT_EQ(Frm.AutoLexemText(), Q("\\4"));
        EXPECT_FALSE(Dragged == nullptr);
        if (!Dragged) {
            Frm.reject();
            return;
        }
        EXPECT_EQ(DragSource, Frm.MaskMmo);
        EXPECT_EQ(Dragged->text(), Q("\\4"));
        EXPECT_EQ(Frm.ReplaceMmo->toPlainText(), Q("xy\nzw")); // nothing until the drop

        // Dropped on the search mask: refused.
        EXPECT_FALSE(Drop(Frm.MaskMmo->viewport(), PointOf(Frm.MaskMmo, 1), Dragged.get()));
        EXPECT_EQ(Frm.MaskMmo->toPlainText(), Q("ab\n\\9cd"));

        // Between z and w, with the caret and a selection elsewhere.
        Select(Frm.ReplaceMmo, 0, 2);
        bool entered = false;
        EXPECT_TRUE(Drop(Frm.ReplaceMmo->viewport(), PointOf(Frm.ReplaceMmo, 4), Dragged.get(), &entered));
        EXPECT_TRUE(entered);
        EXPECT_EQ(Frm.ReplaceMmo->toPlainText(), Q("xy\nz\\4w"));
        EXPECT_EQ(Frm.focusWidget(), Frm.ReplaceMmo);
        QTest::mouseClick(Frm.OkBtn, Qt::LeftButton);
    });
    EXPECT_TRUE(ok);
    EXPECT_EQ(replace, Q("xy\\nz\\4w"));
}

TEST_F(ViewFrmTest, ForeignDragsAreRefused)
{
    QString mask = Q("ab");
    QString replace = Q("xy");
    Edit(mask, replace, [&] {
        QMimeData plain;
        plain.setText(Q("\\1"));
        bool entered = true;
        EXPECT_FALSE(Drop(Frm.ReplaceMmo->viewport(), PointOf(Frm.ReplaceMmo, 1), &plain, &entered));
        EXPECT_FALSE(entered);
        // A lexem drag that left another widget.
        Press(Frm.MaskMmo, Qt::Key_W, Qt::ControlModifier);
        ASSERT_TRUE(Dragged);
        QPlainTextEdit other;
        StartLexemDrag(&other, Q("\\1"), [&](QDrag& d) { Dragged = CopyOf(*d.mimeData()); });
        EXPECT_FALSE(Drop(Frm.ReplaceMmo->viewport(), PointOf(Frm.ReplaceMmo, 1), Dragged.get(), &entered));
        EXPECT_FALSE(entered);
        EXPECT_EQ(Frm.ReplaceMmo->toPlainText(), Q("xy"));
        Frm.reject();
    });
}

TEST_F(ViewFrmTest, MalformedMaskShowsTheParsersMessageAndChangesNothing)
{
    QString mask = Q("a\\nb\\[c");
    QString replace = Q("r");
    Edit(mask, replace, [&] {
        Press(Frm.MaskMmo, Qt::Key_W, Qt::ControlModifier);
        Press(Frm.MaskMmo, Qt::Key_W, Qt::ControlModifier | Qt::ShiftModifier);
        Frm.reject();
    });
    EXPECT_EQ(Dialogs.Errors,
        QStringList({ErrorText(Q(messages::UnclosedBracket)), ErrorText(Q(messages::UnclosedBracket))}));
    EXPECT_FALSE(Dragged);
    EXPECT_TRUE(Frm.AutoLexemText().isEmpty());
    EXPECT_EQ(Frm.ReplaceMmo->toPlainText(), Q("r"));
}

} // namespace
} // namespace tekstovar
