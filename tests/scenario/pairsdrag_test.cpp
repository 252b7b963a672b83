#include "scenario/batchfixture.h"
#include "support/mousedrag.h"

#include <QApplication>
#include <QDrag>
#include <QTimer>

#include <optional>

namespace tekstovar {
namespace {

using test::DragWithTheMouse;

// Stands in for the library's pair grid: it drags a library pair and takes
// the scenario's pairs, asking the scenario window for them as the library
// does.
class TLibraryStandIn : public QWidget {
public:
    std::function<TDraggedPair()> ScenarioPair;
    std::optional<TDraggedPair> Taken;

    TLibraryStandIn()
    {
        setAcceptDrops(true);
        setGeometry(500, 0, 200, 200);
    }

protected:
    void mousePressEvent(QMouseEvent*) override { Pressed = true; }
    void mouseMoveEvent(QMouseEvent*) override
    {
        if (!Pressed)
            return;
        Pressed = false;
        auto* drag = new QDrag(this);
        auto* data = new QMimeData;
        data->setData(LibraryPairMimeType(), QByteArray());
        drag->setMimeData(data);
        drag->exec(Qt::CopyAction);
    }
    void dragEnterEvent(QDragEnterEvent* event) override
    {
        if (event->mimeData()->hasFormat(ScenarioPairMimeType()))
            event->acceptProposedAction();
    }
    void dropEvent(QDropEvent* event) override
    {
        Taken = ScenarioPair();
        event->acceptProposedAction();
    }

private:
    bool Pressed = false;
};

class PairsDragTest : public BatchTest {
protected:
    TLibraryStandIn Library;

    void SetUp() override
    {
        BatchTest::SetUp();
        Batch().setGeometry(0, 0, 350, 400);
        Batch().show();
        Library.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&Batch()));
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&Library));
    }

    TPairsGrid& Grid() { return *Batch().PairsGrid; }
    QPoint RowPoint(int row) { return Grid().visualRect(Grid().model()->index(row, 1)).center(); }
};

TEST_F(PairsDragTest, APairDraggedInTheGridMovesBeforeTheRowItIsDroppedOn)
{
    const std::vector<std::string> four = Win({"0", "0", "1", "1", "2", "2", "3", "3"});
    Batch().SetPairLines(four);
    ASSERT_TRUE(DragWithTheMouse(Grid().viewport(), RowPoint(0), Grid().viewport(), RowPoint(2)));
    EXPECT_EQ(Batch().PairLines(), Win({"1", "1", "2", "2", "0", "0", "3", "3"}));
    EXPECT_EQ(Grid().currentRow(), 3);

    Batch().SetPairLines(four);
    ASSERT_TRUE(DragWithTheMouse(Grid().viewport(), RowPoint(3), Grid().viewport(), RowPoint(1)));
    EXPECT_EQ(Batch().PairLines(), Win({"0", "0", "3", "3", "1", "1", "2", "2"}));

    // A press on the numbers' column starts no drag.
    Batch().SetPairLines(four);
    const QPoint number = Grid().visualRect(Grid().model()->index(0, 0)).center();
    EXPECT_FALSE(DragWithTheMouse(Grid().viewport(), number, Grid().viewport(), RowPoint(2)));
    EXPECT_EQ(Batch().PairLines(), four);
}

TEST_F(PairsDragTest, PairsGoBetweenTheLibraryAndTheScenario)
{
    Batch().SetPairLines(Win({"0", "0", "1", "1"}));
    Batch().LibraryPair = [] { return TDraggedPair{Utf8ToWin("из"), Utf8ToWin("библиотеки")}; };
    Batch().IsLibraryGrid = [this](const QObject* source) { return source == &Library; };
    ASSERT_TRUE(DragWithTheMouse(&Library, QPoint(20, 20), Grid().viewport(), RowPoint(1)));
    EXPECT_EQ(Batch().PairLines(), Win({"0", "0", "из", "библиотеки", "1", "1"}));

    // The library asks for the pair the press picked; the scenario keeps it.
    Library.ScenarioPair = [this] { return Batch().DraggedPair(); };
    ASSERT_TRUE(DragWithTheMouse(Grid().viewport(), RowPoint(1), &Library, QPoint(50, 50)));
    ASSERT_TRUE(Library.Taken.has_value());
    EXPECT_EQ(Library.Taken->Mask, Utf8ToWin("из"));
    EXPECT_EQ(Library.Taken->Replace, Utf8ToWin("библиотеки"));
    EXPECT_EQ(Batch().PairCount(), 3);

    // Without the library to ask, its drag is refused.
    Batch().LibraryPair = nullptr;
    DragWithTheMouse(&Library, QPoint(20, 20), Grid().viewport(), RowPoint(0));
    EXPECT_EQ(Batch().PairCount(), 3);
}

} // namespace
} // namespace tekstovar
