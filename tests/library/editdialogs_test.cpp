#include "library/editdialogs.h"
#include "library/librarystore.h"
#include "support/testdialogs.h"

#include <QApplication>
#include <QClipboard>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <functional>
#include <string>

#include <gtest/gtest.h>

namespace tekstovar {
namespace {

using test::TTestDialogs;

// Shows the dialog and plays the user in it; its own keys (Enter, Esc)
// close it as they would in its modal loop.
int ExecWith(QDialog& dialog, const std::function<void()>& user) { return test::PlayDialog(dialog, user); }

// The next widget Tab moves to: labels are in the chain but take no focus.
QWidget* NextTab(QWidget* w)
{
    do
        w = w->nextInFocusChain();
    while (!(w->focusPolicy() & Qt::TabFocus));
    return w;
}

TEST(EditDialogs, PairDialogLayoutAndTabOrder)
{
    TTestDialogs dialogs;
    TPairEditFrm dialog(dialogs);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Пара Замены"));
    EXPECT_EQ(dialog.size(), QSize(409, 121));
    EXPECT_EQ(dialog.CommentEdt->geometry().topLeft(), QPoint(96, 8));
    EXPECT_EQ(dialog.MaskEdt->geometry().topLeft(), QPoint(96, 32));
    EXPECT_EQ(dialog.ReplaceEdt->geometry().topLeft(), QPoint(96, 56));
    EXPECT_EQ(dialog.ReplaceEdt->width(), 305);
    EXPECT_EQ(dialog.OkBtn->geometry(), QRect(216, 88, 89, 25));
    EXPECT_EQ(dialog.CancelBtn->geometry(), QRect(312, 88, 89, 25));
    EXPECT_EQ(dialog.OkBtn->text(), QStringLiteral("Угу"));
    EXPECT_EQ(dialog.CancelBtn->text(), QStringLiteral("Отмена"));
    EXPECT_EQ(NextTab(dialog.CommentEdt), dialog.MaskEdt);
    EXPECT_EQ(NextTab(dialog.MaskEdt), dialog.ReplaceEdt);
    EXPECT_EQ(NextTab(dialog.ReplaceEdt), dialog.OkBtn);
    EXPECT_EQ(NextTab(dialog.OkBtn), dialog.CancelBtn);
}

TEST(EditDialogs, LexemDialogLayout)
{
    TTestDialogs dialogs;
    TLexemEditFrm dialog(dialogs);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Лексема"));
    EXPECT_EQ(dialog.size(), QSize(409, 97));
    EXPECT_EQ(dialog.LexemEdt->geometry().topLeft(), QPoint(96, 32));
    EXPECT_EQ(dialog.OkBtn->geometry(), QRect(216, 64, 89, 25));
    EXPECT_EQ(dialog.CancelBtn->geometry(), QRect(312, 64, 89, 25));
    EXPECT_EQ(NextTab(dialog.LexemEdt), dialog.OkBtn);
}

// Every caption stands whole left of its box, whatever the font: with a
// large one the boxes move right and the dialog widens.
TEST(EditDialogs, CaptionsAreNotCut)
{
    auto expectWhole = [](QDialog& dialog, const char* font) {
        for (const QLabel* label : dialog.findChildren<QLabel*>()) {
            const QString caption = label->text();
            EXPECT_GE(label->width(), label->fontMetrics().horizontalAdvance(caption)) << font << caption.toStdString();
            EXPECT_GE(label->x(), 0) << font << caption.toStdString();
            ASSERT_TRUE(label->buddy());
            EXPECT_LT(label->geometry().right(), label->buddy()->x()) << font << caption.toStdString();
            EXPECT_LE(label->buddy()->geometry().right(), dialog.width()) << font;
        }
        for (const QPushButton* button : dialog.findChildren<QPushButton*>())
            EXPECT_LE(button->geometry().right(), dialog.width()) << font;
    };
    TTestDialogs dialogs;
    const QFont original = QApplication::font();
    for (const int size : {0, 16}) {
        if (size)
            QApplication::setFont(QFont(original.family(), size));
        TPairEditFrm pair(dialogs);
        TLexemEditFrm lexem(dialogs);
        const std::string font = "font size " + std::to_string(QFontInfo(pair.font()).pointSize());
        expectWhole(pair, font.c_str());
        expectWhole(lexem, font.c_str());
    }
    QApplication::setFont(original);
}

// Enter in any box is the default button: the texts are taken as typed,
// empty ones included, up to the longest the settings file keeps whole. A
// longer one keeps the dialog open with the message, its box focused, until
// the user shortens it.
TEST(EditDialogs, EnterAcceptsTextsTheSettingsFileKeepsWhole)
{
    TTestDialogs dialogs;
    TPairEditFrm dialog(dialogs);
    dialog.CommentEdt->setText(QStringLiteral("Комментарий."));
    dialog.MaskEdt->setText(QStringLiteral("a"));
    const QString longest(static_cast<qsizetype>(TLibraryStore::MaxTextLength), u'ж');
    int result = ExecWith(dialog, [&] {
        EXPECT_EQ(dialog.focusWidget(), dialog.CommentEdt);
        dialog.CommentEdt->clear();
        dialog.MaskEdt->clear();
        dialog.ReplaceEdt->setText(longest);
        QTest::keyClick(dialog.MaskEdt, Qt::Key_Return);
    });
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_TRUE(dialog.CommentEdt->text().isEmpty());
    EXPECT_TRUE(dialog.MaskEdt->text().isEmpty());
    EXPECT_EQ(dialog.ReplaceEdt->text(), longest);
    EXPECT_TRUE(dialogs.Errors.isEmpty());

    // One character more, or a line break that the library keeps as \n.
    for (const QString& tooLong : {longest + u'ж', longest.left(longest.size() - 1) + u'\n'}) {
        dialogs.Errors.clear();
        result = ExecWith(dialog, [&] {
            dialog.MaskEdt->setText(tooLong);
            QTest::keyClick(dialog.CommentEdt, Qt::Key_Return);
            EXPECT_TRUE(dialog.isVisible());
            EXPECT_EQ(dialog.focusWidget(), dialog.MaskEdt);
            dialog.MaskEdt->backspace();
            QTest::mouseClick(dialog.OkBtn, Qt::LeftButton);
        });
        EXPECT_EQ(result, QDialog::Accepted);
        EXPECT_EQ(dialogs.Errors,
            QStringList{QStringLiteral("Маска Поиска Длиннее 2045 Знаков Не Поместится В Файл Настроек.")});
    }
}

// However long a pasted text, the box keeps it whole: the library's message
// says it is too long, not a silent cut.
TEST(EditDialogs, BoxesTakeAPastedTextWhole)
{
    TTestDialogs dialogs;
    TLexemEditFrm dialog(dialogs);
    const QString huge(40000, u'ж');
    QApplication::clipboard()->setText(huge);
    ExecWith(dialog, [&] {
        dialog.LexemEdt->setFocus();
        QTest::keyClick(dialog.LexemEdt, Qt::Key_V, Qt::ControlModifier);
        EXPECT_EQ(dialog.LexemEdt->text(), huge);
        QTest::keyClick(dialog.LexemEdt, Qt::Key_Return);
        EXPECT_TRUE(dialog.isVisible());
    });
    EXPECT_EQ(dialogs.Errors.size(), 1);
}

TEST(EditDialogs, EscapeCancelAndCloseBoxReject)
{
    TTestDialogs dialogs;
    TLexemEditFrm dialog(dialogs);
    EXPECT_EQ(ExecWith(dialog, [&] { QTest::keyClick(dialog.LexemEdt, Qt::Key_Escape); }), QDialog::Rejected);
    EXPECT_EQ(ExecWith(dialog, [&] { dialog.CancelBtn->click(); }), QDialog::Rejected);
    EXPECT_EQ(ExecWith(dialog, [&] { dialog.close(); }), QDialog::Rejected);
    EXPECT_EQ(ExecWith(dialog, [&] { dialog.OkBtn->click(); }), QDialog::Accepted);
}

} // namespace
} // namespace tekstovar
