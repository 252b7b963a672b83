#include "scenario/batchfixture.h"

#include <QImage>
#include <QLabel>
#include <QScrollBar>

#include <functional>

namespace tekstovar {
namespace {

// The scenario grid drawn offscreen, with a palette whose every colour can
// be told apart.
class PairsGridTest : public BatchTest {
protected:
    const QColor Base{255, 255, 255};
    const QColor Text{0, 0, 0};
    const QColor Highlight{0, 0, 255};
    const QColor HighlightedText{255, 255, 0};
    const QColor Button{200, 200, 200};
    const QColor ButtonText{160, 0, 0};
    const QColor Light{0, 255, 0};
    const QColor Dark{255, 0, 255};
    const QColor Grey{128, 128, 128};

    void SetUp() override
    {
        BatchTest::SetUp();
        QPalette p = Grid().palette();
        p.setColor(QPalette::Base, Base);
        p.setColor(QPalette::Text, Text);
        p.setColor(QPalette::Highlight, Highlight);
        p.setColor(QPalette::HighlightedText, HighlightedText);
        p.setColor(QPalette::Button, Button);
        p.setColor(QPalette::ButtonText, ButtonText);
        p.setColor(QPalette::Light, Light);
        p.setColor(QPalette::Dark, Dark);
        p.setColor(QPalette::Disabled, QPalette::Text, Grey);
        Grid().setPalette(p);
        Batch().resize(350, 260);
        Batch().show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&Batch()));
    }

    TPairsGrid& Grid() { return *Batch().PairsGrid; }
    QImage Render() { return Grid().viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32); }
    QRect CellRect(int row, int column) { return Grid().visualRect(Grid().model()->index(row, column)); }
    QColor At(const QImage& image, int x, int y) { return image.pixelColor(x, y); }

    // How many pixels of the area meet the test.
    static int Count(const QImage& image, const QRect& area, const std::function<bool(const QColor&)>& test)
    {
        int count = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                count += test(image.pixelColor(x, y)) ? 1 : 0;
        return count;
    }
    static QRect Upper(const QRect& cell) { return QRect(cell.left(), cell.top(), cell.width(), cell.height() / 2); }
    static QRect Lower(const QRect& cell)
    {
        const int middle = (cell.top() + cell.bottom() + 1) / 2;
        return QRect(cell.left(), middle, cell.width(), cell.bottom() - middle + 1);
    }

    // Resizes the window and lets the grid follow.
    void ResizeBy(int dx)
    {
        const int before = Grid().columnWidth(1);
        Batch().resize(Batch().width() + dx, Batch().height());
        QCoreApplication::processEvents();
        ASSERT_EQ(Grid().columnWidth(1), before + dx);
    }
};

TEST_F(PairsGridTest, CellsAreDrawnByTheirState)
{
    Batch().SetPairLines(Win({"кот", "", "", "пёс"}));
    Grid().SelectRow(0);
    const QImage image = Render();
    EXPECT_EQ(Batch().CountLbl->text(), QStringLiteral("Всего Пар: 2"));
    EXPECT_EQ(Grid().columnWidth(1), Grid().viewport()->width() - 20);

    // The numbers' column: raised fixed cells, whatever the selection.
    const QRect fixed = CellRect(0, 0);
    EXPECT_EQ(At(image, fixed.left(), fixed.center().y()), Button);
    EXPECT_EQ(At(image, fixed.center().x(), fixed.top()), Button);
    EXPECT_EQ(At(image, fixed.left() + 1, fixed.bottom()), Light);
    EXPECT_EQ(At(image, fixed.left() + 1, fixed.top() + 1), Light);
    EXPECT_EQ(At(image, fixed.right() - 1, fixed.top() + 1), Light);
    EXPECT_EQ(At(image, fixed.right(), fixed.top() + 1), Dark);
    EXPECT_EQ(At(image, fixed.right(), fixed.center().y()), Dark);
    EXPECT_EQ(At(image, fixed.left() + 2, fixed.bottom()), Dark);
    const auto numberInk = [&](const QColor& c) { return c.green() < 150 && c != Light && c != Dark; };
    const auto inside = [](const QRect& cell) { return cell.adjusted(2, 2, -1, -1); };
    EXPECT_GT(Count(image, inside(CellRect(0, 0)), numberInk), 0);
    EXPECT_GT(Count(image, inside(CellRect(1, 0)), numberInk), 0);
    EXPECT_EQ(Count(image, inside(CellRect(2, 0)), [&](const QColor& c) { return c != Button; }), 0);

    // A selected pair: highlight text on highlight; only the search mask.
    const QRect selected = CellRect(0, 1);
    EXPECT_EQ(At(image, selected.right() - 1, selected.bottom() - 1), Highlight);
    EXPECT_GT(Count(image, Upper(selected), [](const QColor& c) { return c.red() > 128; }), 0);
    EXPECT_EQ(Count(image, Lower(selected), [&](const QColor& c) { return c != Highlight; }), 0);
    // A pair not selected: text on base; only the replace mask, in the lower
    // half of the cell.
    const QRect normal = CellRect(1, 1);
    EXPECT_EQ(At(image, normal.right() - 1, normal.top() + 1), Base);
    EXPECT_EQ(Count(image, Upper(normal), [&](const QColor& c) { return c != Base; }), 0);
    EXPECT_GT(Count(image, Lower(normal), [](const QColor& c) { return c.lightness() < 100; }), 0);
    // The end row: "Конец Списка" in grey, nothing darker.
    const QRect end = CellRect(2, 1);
    EXPECT_GT(Count(image, end, [&](const QColor& c) { return c != Base; }), 0);
    EXPECT_EQ(Count(image, end, [](const QColor& c) { return c.red() < 120 || c.blue() < 120; }), 0);
}

TEST_F(PairsGridTest, TheScrollBarReachesTheEndOfTheWidestMaskInView)
{
    const QString wide(60, QChar(u'Ш'));
    std::vector<std::string> lines = Win({"a", "b", "c", ""});
    lines[3] = Utf8ToWin(wide.toStdString());
    Batch().SetPairLines(lines);
    Render();
    const auto expected = [&] {
        return QFontMetrics(Grid().font()).horizontalAdvance(wide) - Grid().columnWidth(1) + 20;
    };
    ASSERT_GT(expected(), 0);
    EXPECT_EQ(Batch().HorScr->maximum(), expected());
    EXPECT_EQ(Batch().HorScr->pageStep(), 0);

    // A wider window leaves less to scroll; a larger font more.
    const int before = Batch().HorScr->maximum();
    ResizeBy(100);
    Render();
    EXPECT_EQ(Batch().HorScr->maximum(), before - 100);
    QFont large = Grid().font();
    large.setPointSize(large.pointSize() * 2);
    Grid().setFont(large);
    Render();
    EXPECT_EQ(Batch().HorScr->maximum(), expected());
    EXPECT_GT(Batch().HorScr->maximum(), before);

    // A position beyond a lower maximum is pulled back, and the masks follow.
    Batch().HorScr->setValue(Batch().HorScr->maximum());
    ResizeBy(50);
    Render();
    EXPECT_EQ(Batch().HorScr->value(), Batch().HorScr->maximum());
    EXPECT_EQ(Grid().ScrollPosition, Batch().HorScr->value());

    // Short masks need no scrolling.
    Batch().SetPairLines(Win({"a", "b"}));
    Render();
    EXPECT_EQ(Batch().HorScr->maximum(), 0);
    EXPECT_EQ(Grid().ScrollPosition, 0);

    // What counts is the masks in view: a wide one scrolled out of sight
    // does not, until it is scrolled in.
    lines.clear();
    for (int i = 0; i < 30; ++i)
        lines.insert(lines.end(), {"a", "b"});
    lines.insert(lines.end(), {"c", Utf8ToWin(wide.toStdString())});
    Batch().SetPairLines(lines);
    Grid().scrollToTop();
    Render();
    EXPECT_EQ(Batch().HorScr->maximum(), 0);
    Grid().scrollToBottom();
    Render();
    EXPECT_EQ(Batch().HorScr->maximum(), expected());
}

TEST_F(PairsGridTest, ScrollingShiftsTheMasksAndNotTheNumbers)
{
    const QString wide(60, QChar(u'Ж'));
    Batch().SetPairLines({Utf8ToWin(wide.toStdString()), "x"});
    Grid().SelectRow(1);
    const QImage before = Render();
    ASSERT_GT(Batch().HorScr->maximum(), 7);
    Batch().HorScr->setValue(7);
    EXPECT_EQ(Grid().ScrollPosition, 7);
    const QImage after = Render();

    const QRect cell = CellRect(0, 1);
    bool moved = false;
    for (int y = cell.top(); y <= cell.bottom(); ++y) {
        for (int x = cell.left(); x + 7 <= cell.right(); ++x) {
            ASSERT_EQ(At(after, x, y), At(before, x + 7, y)) << x << "," << y;
            moved = moved || At(after, x, y) != At(before, x, y);
        }
    }
    EXPECT_TRUE(moved);
    const QRect number = CellRect(0, 0);
    EXPECT_EQ(after.copy(number), before.copy(number));
}

} // namespace
} // namespace tekstovar
