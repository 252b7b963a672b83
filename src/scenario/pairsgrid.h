#pragma once

#include "scenario/scenariofile.h"

#include <QTableWidget>

#include <functional>
#include <vector>

namespace tekstovar {

// The scenario's grid: a fixed column of row numbers and a column showing
// both masks of a pair, one above the other, shifted left by the window's
// scroll bar; the last row is the end row where pairs are appended. It drags
// its pairs and takes drops of its own pairs (moves) and of library pairs.
class TPairsGrid : public QTableWidget {
    Q_OBJECT
public:
    enum class TDrop { None, Move, Library };

    explicit TPairsGrid(QWidget* parent = nullptr);
    static QString MimeType();

    // One row a pair (WIN masks) and the end row.
    void SetPairs(const std::vector<TMaskPair>& pairs);
    // The whole row becomes the selection and the masks' cell the current one.
    void SelectRow(int row);

    // The row of the pair being dragged from here, set by the press that may
    // start the drag.
    int DragRow = -1;
    // How far the masks are shifted left, in pixels.
    int ScrollPosition = 0;
    // The widest amount by which a mask in view is wider than its column,
    // plus 20; measured whenever the grid is drawn, so it follows resizes,
    // font changes and the rows scrolled into view.
    int ScrollExtent() const { return Extent; }
    // Whether the window takes a drop of this kind, from the widget the drag
    // began on (none for another program's), now; nothing is taken while it
    // is unset.
    std::function<bool(TDrop, const QObject* source)> TakesDrop;

    // The row a drop at this point of the viewport goes before: the row
    // under it, row 0 outside every row.
    int TargetRow(const QPoint& pos) const;

signals:
    // A pair of this grid was dropped on `row`.
    void PairDropped(int row);
    // A library pair was dropped on `row`.
    void LibraryPairDropped(int row);
    // The grid has been drawn with this extent.
    void ScrollExtentMeasured(int extent);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    // The masks' column takes the viewport's width beside the numbers.
    bool viewportEvent(QEvent* event) override;

private:
    TDrop DropKind(const QDropEvent& event) const;
    void MeasureExtent();

    QPoint PressPos;
    bool Pressed = false;
    int Extent = 0;
};

} // namespace tekstovar
