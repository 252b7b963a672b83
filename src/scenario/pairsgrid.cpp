#include "scenario/pairsgrid.h"

#include "platform/dragformats.h"
#include "platform/qstrings.h"
#include "platform/winunicode.h"

#include <QApplication>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>

#include <algorithm>

namespace tekstovar {

namespace {

constexpr int NumberColumnWidth = 20;
constexpr int RowHeight = 30;
constexpr int SearchRole = Qt::UserRole;
constexpr int ReplaceRole = Qt::UserRole + 1;

// Draws every cell itself: the numbers' column as raised fixed cells, the
// masks' column with both masks shifted by the scroll position. The system's
// window colours are Qt's Base and Text, its button highlight and shadow
// Light and Dark, its grey text the disabled Text.
class TPairDelegate : public QStyledItemDelegate {
public:
    explicit TPairDelegate(TPairsGrid* grid) : QStyledItemDelegate(grid), Grid(grid) { }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        painter->save();
        painter->setFont(option.font);
        if (index.column() == 0)
            PaintNumber(*painter, option, index);
        else
            PaintPair(*painter, option, index);
        painter->restore();
    }

private:
    static bool IsEndRow(const QModelIndex& index) { return index.row() == index.model()->rowCount() - 1; }

    // Text placed by its top-left corner.
    static void Text(QPainter& painter, const QStyleOptionViewItem& option, int x, int y, const QString& text)
    {
        painter.drawText(QPoint(x, y + option.fontMetrics.ascent()), text);
    }

    static void PaintNumber(QPainter& painter, const QStyleOptionViewItem& option, const QModelIndex& index)
    {
        const QRect r = option.rect;
        const QPalette& p = option.palette;
        painter.fillRect(r, p.button());
        // One pixel inside on the left and top, on the last pixel on the
        // right and bottom; each stroke stops short of its end point.
        painter.setPen(p.color(QPalette::Light));
        painter.drawLine(r.left() + 1, r.bottom(), r.left() + 1, r.top() + 1);
        painter.drawLine(r.left() + 1, r.top() + 1, r.right() - 1, r.top() + 1);
        painter.setPen(p.color(QPalette::Dark));
        painter.drawLine(r.right(), r.top() + 1, r.right(), r.bottom() - 1);
        painter.drawLine(r.right(), r.bottom(), r.left() + 2, r.bottom());
        if (IsEndRow(index))
            return;
        painter.setClipRect(r);
        painter.setPen(p.color(QPalette::ButtonText));
        Text(painter, option, r.left() + 2, r.top() + 2, QString::number(index.row() + 1));
    }

    void PaintPair(QPainter& painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
    {
        const QRect r = option.rect;
        const QPalette& p = option.palette;
        const bool selected = option.state & QStyle::State_Selected;
        painter.fillRect(r, selected ? p.highlight() : p.base());
        painter.setClipRect(r);
        if (IsEndRow(index)) {
            painter.setPen(p.color(QPalette::Disabled, QPalette::Text));
            Text(painter, option, r.left() + 2, r.top() + 2, QStringLiteral("Конец Списка"));
            return;
        }
        painter.setPen(p.color(selected ? QPalette::HighlightedText : QPalette::Text));
        const int x = r.left() - Grid->ScrollPosition + 2;
        Text(painter, option, x, r.top() + 2, index.data(SearchRole).toString());
        const int middle = (r.top() + r.bottom() + 1) / 2;
        painter.setClipRect(QRect(r.left(), middle, r.width(), r.bottom() - middle + 1));
        Text(painter, option, x, middle + 2, index.data(ReplaceRole).toString());
    }

    TPairsGrid* Grid;
};

} // namespace

TPairsGrid::TPairsGrid(QWidget* parent) : QTableWidget(parent)
{
    setColumnCount(2);
    horizontalHeader()->hide();
    // The style's smallest section would be wider than the numbers' column.
    horizontalHeader()->setMinimumSectionSize(0);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(RowHeight);
    setColumnWidth(0, NumberColumnWidth);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setItemDelegate(new TPairDelegate(this));
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
}

QString TPairsGrid::MimeType() { return ScenarioPairMimeType(); }

void TPairsGrid::SetPairs(const std::vector<TMaskPair>& pairs)
{
    const int rows = static_cast<int>(pairs.size()) + 1;
    setRowCount(rows);
    for (int row = 0; row < rows; ++row) {
        auto* pair = new QTableWidgetItem;
        if (row + 1 < rows) {
            const QString search = WinToQString(pairs[static_cast<std::size_t>(row)].Search);
            const QString replace = WinToQString(pairs[static_cast<std::size_t>(row)].Replace);
            pair->setData(SearchRole, search);
            pair->setData(ReplaceRole, replace);
            pair->setToolTip(search + QStringLiteral("\n") + replace);
        }
        setItem(row, 1, pair);
    }
}

void TPairsGrid::SelectRow(int row)
{
    clearSelection();
    setCurrentCell(row, 1);
    selectRow(row);
}

bool TPairsGrid::viewportEvent(QEvent* event)
{
    // The viewport also narrows when the vertical scroll bar appears.
    if (event->type() == QEvent::Resize)
        setColumnWidth(1, std::max(0, viewport()->width() - NumberColumnWidth));
    return QTableWidget::viewportEvent(event);
}

void TPairsGrid::MeasureExtent()
{
    const QFontMetrics metrics(font());
    const int width = columnWidth(1);
    Extent = 0;
    const int first = rowAt(0);
    if (first < 0)
        return;
    int last = rowAt(viewport()->height() - 1);
    if (last < 0)
        last = rowCount() - 1;
    last = std::min(last, rowCount() - 2); // the end row holds no masks
    for (int row = first; row <= last; ++row) {
        const QTableWidgetItem* pair = item(row, 1);
        if (!pair)
            continue;
        for (const int role : {SearchRole, ReplaceRole})
            Extent = std::max(Extent, metrics.horizontalAdvance(pair->data(role).toString()) - width + 20);
    }
}

void TPairsGrid::paintEvent(QPaintEvent* event)
{
    // Before the cells, so that a scroll position the new extent clamps is
    // the one they are drawn with.
    MeasureExtent();
    emit ScrollExtentMeasured(Extent);
    QTableWidget::paintEvent(event);
}

void TPairsGrid::mousePressEvent(QMouseEvent* event)
{
    QTableWidget::mousePressEvent(event);
    const QModelIndex index = indexAt(event->position().toPoint());
    Pressed = event->button() == Qt::LeftButton && index.column() == 1 && index.row() < rowCount() - 1;
    if (Pressed) {
        DragRow = index.row();
        PressPos = event->position().toPoint();
    }
}

void TPairsGrid::mouseMoveEvent(QMouseEvent* event)
{
    if (!Pressed || !(event->buttons() & Qt::LeftButton) ||
        (event->position().toPoint() - PressPos).manhattanLength() < QApplication::startDragDistance()) {
        QTableWidget::mouseMoveEvent(event);
        return;
    }
    Pressed = false;
    auto* drag = new QDrag(this);
    auto* data = new QMimeData;
    data->setData(MimeType(), QByteArray::number(DragRow));
    drag->setMimeData(data);
    // The library may take the pair as a copy; here it is always a move.
    drag->exec(Qt::MoveAction | Qt::CopyAction, Qt::MoveAction);
}

int TPairsGrid::TargetRow(const QPoint& pos) const
{
    const int row = rowAt(pos.y());
    return row < 0 ? 0 : row;
}

TPairsGrid::TDrop TPairsGrid::DropKind(const QDropEvent& event) const
{
    TDrop kind = TDrop::None;
    const QMimeData* data = event.mimeData();
    // A pair of this grid only from this grid: another program's drag of the
    // same kind names no row here. The window knows the library's grid.
    if (event.source() == this && data->hasFormat(MimeType()))
        kind = TDrop::Move;
    else if (data->hasFormat(LibraryPairMimeType()))
        kind = TDrop::Library;
    return kind != TDrop::None && TakesDrop && TakesDrop(kind, event.source()) ? kind : TDrop::None;
}

void TPairsGrid::dragEnterEvent(QDragEnterEvent* event) { dragMoveEvent(event); }

void TPairsGrid::dragMoveEvent(QDragMoveEvent* event)
{
    const TDrop kind = DropKind(*event);
    if (kind == TDrop::None) {
        event->ignore();
        return;
    }
    // The cell under the pointer becomes the selection, in the masks' column.
    SelectRow(TargetRow(event->position().toPoint()));
    if (kind == TDrop::Move) {
        event->setDropAction(Qt::MoveAction);
        event->accept();
    } else {
        event->acceptProposedAction();
    }
}

void TPairsGrid::dropEvent(QDropEvent* event)
{
    const TDrop kind = DropKind(*event);
    if (kind == TDrop::None) {
        event->ignore();
        return;
    }
    const int row = TargetRow(event->position().toPoint());
    if (kind == TDrop::Move) {
        event->setDropAction(Qt::MoveAction);
        event->accept();
        emit PairDropped(row);
    } else {
        event->acceptProposedAction();
        emit LibraryPairDropped(row);
    }
}

} // namespace tekstovar
