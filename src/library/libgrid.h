#pragma once

#include "library/libdrop.h"

#include <QAbstractTableModel>
#include <QPoint>
#include <QTableView>

namespace tekstovar {

class TLibraryStore;

// The pairs of a library as two columns: the row number and the pair. The
// last row is the end row, which holds no pair.
class TLibPairModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum TRole { CommentRole = Qt::UserRole, MaskRole, ReplaceRole, EndRowRole };

    explicit TLibPairModel(const TLibraryStore& store, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // The store has changed: every row is read again.
    void Reload();

private:
    const TLibraryStore& Store;
};

// The grid of library pairs: a fixed column of row numbers and a column
// holding comment, search mask and replace mask one above the other, the
// masks shifted by the window's scroll bar. It drags its pairs out and takes
// pairs dropped from the scenario grid.
class TLibGrid : public QTableView {
    Q_OBJECT
public:
    static constexpr int NumberColumnWidth = 20;
    static constexpr int RowHeight = 45;

    explicit TLibGrid(const TLibraryStore& store, QWidget* parent = nullptr);

    // Reads the store again, keeping the selection on the same row.
    void Reload();
    int PairCount() const { return Pairs->rowCount() - 1; }
    // The top row of the selection (the current row without one), never
    // beyond the end row.
    int SelectedRow() const;
    // Makes column 1 of the row the selection.
    void SelectCell(int row);

    int ScrollPosition() const { return Scroll; }
    void SetScrollPosition(int position);
    // How far the widest mask reaches past column 1, plus a margin: the scroll
    // bar's range.
    int ScrollExtent() const { return Extent; }

    // Set by the window: whether a drag may be dropped here.
    TDropCheck AcceptsDrop;

signals:
    void ScrollExtentChanged(int extent);
    // A scenario pair was dropped; the selection is on the row under the
    // pointer.
    void PairDropped();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void UpdateExtent();
    void StartDrag();
    bool Accepts(const QDropEvent* event) const;
    // The row under a drop point; outside every row counts as row 0.
    int TargetRow(const QPoint& pos) const;

    TLibPairModel* Pairs;
    int Scroll = 0;
    int Extent = 0;
    bool Pressed = false;
    QPoint PressPos;
};

} // namespace tekstovar
