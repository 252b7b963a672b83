#include "app/program.h"
#include "library/lexemlist.h"
#include "library/libfrm.h"
#include "library/libgrid.h"
#include "library/librarystore.h"
#include "mainwindow/listview.h"
#include "mainwindow/mainfrm.h"
#include "platform/dragformats.h"
#include "platform/winunicode.h"
#include "scenario/batchfrm.h"
#include "support/mainui.h"
#include "support/mousedrag.h"
#include "support/tempdir.h"
#include "support/testdialogs.h"

#include <QApplication>
#include <QLineEdit>
#include <QMimeData>
#include <QTabBar>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

namespace tekstovar {
namespace {

using test::DragWithTheMouse;

std::vector<std::string> Win(std::initializer_list<const char*> utf8)
{
    std::vector<std::string> texts;
    for (const char* text : utf8)
        texts.push_back(Utf8ToWin(text));
    return texts;
}

// Pairs dragged with the mouse between the scenario grid and the library,
// with a real drag of this process: its source is the widget it began on.
class LibDragTest : public ::testing::Test {
protected:
    test::TTempDir Home;
    test::TTestDialogs Dialogs;
    std::unique_ptr<TProgram> Program;

    void SetUp() override
    {
        TLibraryStore store;
        store.AppendPair("a", "1", "A");
        store.AppendPair("b", "2", "B");
        store.AppendPair("c", "3", "C");
        store.AppendLexem({"L1", "x"});
        store.AppendLexem({"L2", "y"});
        store.WriteLibrary(Home.Path("QZ.Ini"));
        Program = std::make_unique<TProgram>(Dialogs, Home.Path());
        Batch().setGeometry(0, 0, 350, 400);
        Lib().setGeometry(400, 0, 350, 400);
        Batch().show();
        Lib().show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&Batch()));
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&Lib()));
        // The program wires the two windows; the drags below use its wiring.
        ASSERT_TRUE(Lib().ScenarioPair);
        ASSERT_TRUE(Batch().LibraryPair);
    }

    TBatchFrm& Batch() { return Program->BatchFrm(); }
    TLibFrm& Lib() { return Program->LibFrm(); }
    QWidget* Scenario() { return Batch().PairsGrid->viewport(); }
    QWidget* Library() { return Lib().LibGrid->viewport(); }
    QPoint ScenarioRow(int row)
    {
        return Batch().PairsGrid->visualRect(Batch().PairsGrid->model()->index(row, 1)).center();
    }
    QPoint LibraryRow(int row) { return Lib().LibGrid->visualRect(Lib().LibGrid->model()->index(row, 1)).center(); }
};

TEST_F(LibDragTest, PairsGoBothWaysBetweenTheScenarioAndTheLibrary)
{
    Batch().SetPairLines(Win({"кот", "пёс"}));
    QStringList seen;
    Dialogs.ExecAnswers.push_back([&](QDialog& dialog) {
        for (const QLineEdit* box : dialog.findChildren<QLineEdit*>())
            seen.append(box->text());
        return int(QDialog::Rejected);
    });
    ASSERT_TRUE(DragWithTheMouse(Scenario(), ScenarioRow(0), Library(), LibraryRow(2)));
    EXPECT_EQ(Lib().Store().Masks(), Win({"a", "b", "кот", "c"}));
    EXPECT_EQ(Lib().Store().Replaces(), Win({"1", "2", "пёс", "3"}));
    EXPECT_EQ(Lib().LibGrid->SelectedRow(), 2);
    EXPECT_EQ(seen, (QStringList{QStringLiteral("Комментарий."), QStringLiteral("кот"), QStringLiteral("пёс")}));
    EXPECT_EQ(Batch().PairCount(), 1); // the scenario keeps its pair

    // Dropped below the last row, the pair goes before row 0.
    const QPoint below(LibraryRow(0).x(), Library()->height() - 5);
    ASSERT_EQ(Lib().LibGrid->rowAt(below.y()), -1);
    ASSERT_TRUE(DragWithTheMouse(Scenario(), ScenarioRow(0), Library(), below));
    EXPECT_EQ(Lib().Store().Masks(), Win({"кот", "a", "b", "кот", "c"}));

    // The scenario takes the library's pair under the press.
    ASSERT_TRUE(DragWithTheMouse(Library(), LibraryRow(2), Scenario(), ScenarioRow(1)));
    EXPECT_EQ(Batch().PairLines(), Win({"кот", "пёс", "b", "2"}));
    // The end row has no pair to drag.
    EXPECT_FALSE(DragWithTheMouse(Library(), LibraryRow(5), Scenario(), ScenarioRow(0)));

    // On the lexem list a scenario pair becomes a lexem of its search mask,
    // at the item it falls on.
    QTest::mouseClick(Lib().TabSet1, Qt::LeftButton, {}, Lib().TabSet1->tabRect(TLibFrm::LexemPage).center());
    TLexemList& list = *Lib().LexemLVw;
    ASSERT_TRUE(DragWithTheMouse(
        Scenario(), ScenarioRow(1), list.viewport(), list.visualItemRect(list.topLevelItem(1)).center()));
    ASSERT_EQ(Lib().Store().Lexems().size(), 3u);
    EXPECT_EQ(Lib().Store().Lexems()[1].Lexem, "b");
    EXPECT_EQ(Dialogs.Executed.back(), QStringLiteral("Лексема"));
}

TEST_F(LibDragTest, OnlyTheScenarioGridsPairsAreTaken)
{
    Batch().SetPairLines(Win({"кот", "пёс"}));
    // A library pair dropped on the library itself.
    ASSERT_TRUE(DragWithTheMouse(Library(), LibraryRow(0), Library(), LibraryRow(2)));
    // Without the scenario window to ask.
    Lib().ScenarioPair = nullptr;
    ASSERT_TRUE(DragWithTheMouse(Scenario(), ScenarioRow(0), Library(), LibraryRow(1)));
    EXPECT_EQ(Lib().Store().PairCount(), 3u);
    EXPECT_TRUE(Dialogs.Executed.isEmpty());

    // The scenario's pair type from anything but the scenario grid: from the
    // library's own views, another window, or another process (no source).
    Lib().ScenarioPair = [this] { return Batch().DraggedPair(); };
    QMimeData data;
    data.setData(ScenarioPairMimeType(), "0");
    EXPECT_TRUE(Lib().AcceptsScenarioDrop(&data, Batch().PairsGrid));
    EXPECT_FALSE(Lib().AcceptsScenarioDrop(&data, Lib().LibGrid));
    EXPECT_FALSE(Lib().AcceptsScenarioDrop(&data, Lib().LexemLVw));
    EXPECT_FALSE(Lib().AcceptsScenarioDrop(&data, test::TMainUi(Program->MainFrm()).FilesLvw));
    EXPECT_FALSE(Lib().AcceptsScenarioDrop(&data, nullptr));

    // Likewise the scenario takes library pairs from the library's grid only.
    ASSERT_TRUE(Batch().IsLibraryGrid);
    EXPECT_TRUE(Batch().IsLibraryGrid(Lib().LibGrid));
    EXPECT_FALSE(Batch().IsLibraryGrid(Lib().LexemLVw));
    EXPECT_FALSE(Batch().IsLibraryGrid(Batch().PairsGrid));
    EXPECT_FALSE(Batch().IsLibraryGrid(nullptr));
}

} // namespace
} // namespace tekstovar
