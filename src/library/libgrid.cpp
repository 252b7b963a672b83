#include "library/libgrid.h"

#include "library/librarystore.h"
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

// Offsets inside a pair cell: the comment on top, a line under it, then the
// search mask and the replace mask, each clipped above so that the one
// above is not overdrawn.
constexpr int CommentTop = 1;
constexpr int LineTop = 13;
constexpr int MaskTop = 16;
constexpr int MaskClip = 15;
constexpr int ReplaceTop = 31;
constexpr int ReplaceClip = 30;
constexpr int MaskIndent = 20;
constexpr int ExtentMargin = 30;
// Eight points on a 96 dpi screen: the rows are laid out for it.
constexpr int GridFontPixels = 11;

const QColor Silver(192, 192, 192);

void DrawTextAt(QPainter* painter, int x, int top, const QString& text)
{
    painter->drawText(QPoint(x, top + painter->fontMetrics().ascent()), text);
}

class TLibPairDelegate : public QStyledItemDelegate {
public:
    explicit TLibPairDelegate(TLibGrid* grid) : QStyledItemDelegate(grid), Grid(grid) { }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        painter->save();
        painter->setClipRect(option.rect);
        if (index.column() == 0)
            PaintNumber(painter, option, index);
        else
            PaintPair(painter, option, index);
        painter->restore();
    }

private:
    static void PaintNumber(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index)
    {
        const QRect r = option.rect;
        const QPalette& p = option.palette;
        painter->fillRect(r, p.button());
        // A raised frame one pixel inside the cell.
        painter->setPen(p.color(QPalette::Light));
        painter->drawLine(r.left() + 1, r.bottom(), r.left() + 1, r.top() + 1);
        painter->drawLine(r.left() + 1, r.top() + 1, r.right(), r.top() + 1);
        painter->setPen(p.color(QPalette::Dark));
        painter->drawLine(r.right(), r.top() + 1, r.right(), r.bottom());
        painter->drawLine(r.right(), r.bottom(), r.left() + 1, r.bottom());
        const QVariant number = index.data(Qt::DisplayRole);
        if (number.isValid()) {
            painter->setPen(p.color(QPalette::ButtonText));
            DrawTextAt(painter, r.left() + 2, r.top() + 2, number.toString());
        }
    }

    void PaintPair(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
    {
        const QRect r = option.rect;
        const QPalette& p = option.palette;
        const bool selected = option.state & QStyle::State_Selected;
        painter->fillRect(r, selected ? p.highlight() : p.base());
        if (index.data(TLibPairModel::EndRowRole).toBool()) {
            painter->setPen(p.color(QPalette::Disabled, QPalette::Text));
            DrawTextAt(painter, r.left() + 2, r.top() + 2, QStringLiteral("Конец Списка"));
            return;
        }
        const QColor text = selected ? p.color(QPalette::HighlightedText) : p.color(QPalette::Text);
        const QColor line = selected ? p.color(QPalette::HighlightedText) : Silver;

        QFont bold = option.font;
        bold.setBold(true);
        painter->setFont(bold);
        painter->setPen(text);
        DrawTextAt(painter, r.left() + 2, r.top() + CommentTop, index.data(TLibPairModel::CommentRole).toString());

        painter->setFont(option.font);
        painter->setPen(line);
        painter->drawLine(r.left(), r.top() + LineTop, r.right(), r.top() + LineTop);

        painter->setPen(text);
        const int x = r.left() - Grid->ScrollPosition() + MaskIndent;
        painter->setClipRect(QRect(r.left(), r.top() + MaskClip, r.width(), r.height() - MaskClip));
        DrawTextAt(painter, x, r.top() + MaskTop, index.data(TLibPairModel::MaskRole).toString());
        painter->setClipRect(QRect(r.left(), r.top() + ReplaceClip, r.width(), r.height() - ReplaceClip));
        DrawTextAt(painter, x, r.top() + ReplaceTop, index.data(TLibPairModel::ReplaceRole).toString());
    }

    TLibGrid* Grid;
};

} // namespace

// --- The model ----------------------------------------------------------------

TLibPairModel::TLibPairModel(const TLibraryStore& store, QObject* parent)
    : QAbstractTableModel(parent), Store(store) { }

int TLibPairModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(Store.PairCount()) + 1;
}

int TLibPairModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 2; }

QVariant TLibPairModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return QVariant();
    const auto row = static_cast<std::size_t>(index.row());
    const bool endRow = row >= Store.PairCount();
    if (role == EndRowRole)
        return endRow;
    if (endRow)
        return index.column() == 1 && role == Qt::DisplayRole ? QVariant(QStringLiteral("Конец Списка")) : QVariant();
    if (index.column() == 0)
        return role == Qt::DisplayRole ? QVariant(QString::number(index.row() + 1)) : QVariant();
    switch (role) {
    case Qt::DisplayRole:
    case CommentRole: return WinToQString(Store.Comments()[row]);
    case MaskRole: return WinToQString(Store.Masks()[row]);
    case ReplaceRole: return WinToQString(Store.Replaces()[row]);
    case Qt::ToolTipRole:
        return WinToQString(Store.Comments()[row]) + QLatin1Char('\n') + WinToQString(Store.Masks()[row]) +
            QLatin1Char('\n') + WinToQString(Store.Replaces()[row]);
    default: return QVariant();
    }
}

Qt::ItemFlags TLibPairModel::flags(const QModelIndex& index) const
{
    // The numbers' column is fixed: it is never selected.
    if (!index.isValid() || index.column() == 0)
        return Qt::ItemIsEnabled;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

void TLibPairModel::Reload()
{
    beginResetModel();
    endResetModel();
}

// --- The grid -----------------------------------------------------------------

TLibGrid::TLibGrid(const TLibraryStore& store, QWidget* parent)
    : QTableView(parent), Pairs(new TLibPairModel(store, this))
{
    QFont small = font();
    small.setPixelSize(GridFontPixels);
    setFont(small);
    setModel(Pairs);
    setItemDelegate(new TLibPairDelegate(this));
    horizontalHeader()->hide();
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setMinimumSectionSize(0);
    verticalHeader()->setDefaultSectionSize(RowHeight);
    horizontalHeader()->setMinimumSectionSize(0);
    setColumnWidth(0, NumberColumnWidth);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setWordWrap(false);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDropIndicatorShown(false);
    SelectCell(0);
}

void TLibGrid::Reload()
{
    const int row = SelectedRow();
    Pairs->Reload();
    setColumnWidth(0, NumberColumnWidth);
    setColumnWidth(1, std::max(0, viewport()->width() - NumberColumnWidth));
    UpdateExtent();
    SelectCell(std::clamp(row, 0, PairCount()));
}

int TLibGrid::SelectedRow() const
{
    int top = -1;
    if (selectionModel())
        for (const QModelIndex& index : selectionModel()->selectedIndexes())
            if (top < 0 || index.row() < top)
                top = index.row();
    if (top < 0)
        top = currentIndex().row();
    return std::clamp(top, 0, PairCount());
}

void TLibGrid::SelectCell(int row)
{
    const QModelIndex cell = Pairs->index(std::clamp(row, 0, PairCount()), 1);
    selectionModel()->setCurrentIndex(cell, QItemSelectionModel::ClearAndSelect);
    scrollTo(cell);
}

void TLibGrid::SetScrollPosition(int position)
{
    if (position == Scroll)
        return;
    Scroll = position;
    viewport()->update();
}

void TLibGrid::UpdateExtent()
{
    // Over every pair, not only the rows in sight, so that the range does not
    // change while the grid scrolls up and down.
    const QFontMetrics metrics(font());
    const int width = columnWidth(1);
    int extent = 0;
    for (int row = 0; row < PairCount(); ++row)
        for (int role : {TLibPairModel::MaskRole, TLibPairModel::ReplaceRole})
            extent = std::max(
                extent, metrics.horizontalAdvance(Pairs->index(row, 1).data(role).toString()) - width + ExtentMargin);
    if (extent == Extent)
        return;
    Extent = extent;
    emit ScrollExtentChanged(Extent);
}

void TLibGrid::resizeEvent(QResizeEvent* event)
{
    QTableView::resizeEvent(event);
    setColumnWidth(1, std::max(0, viewport()->width() - NumberColumnWidth));
    UpdateExtent();
}

// --- Dragging out -------------------------------------------------------------

void TLibGrid::mousePressEvent(QMouseEvent* event)
{
    const QModelIndex index = indexAt(event->position().toPoint());
    Pressed = false;
    if (index.isValid() && index.column() == 0)
        return; // the fixed column takes no clicks
    QTableView::mousePressEvent(event);
    if (event->button() == Qt::LeftButton && index.isValid() && index.row() < PairCount()) {
        Pressed = true;
        PressPos = event->position().toPoint();
    }
}

void TLibGrid::mouseMoveEvent(QMouseEvent* event)
{
    if (Pressed && (event->buttons() & Qt::LeftButton) &&
        (event->position().toPoint() - PressPos).manhattanLength() >= QApplication::startDragDistance()) {
        Pressed = false;
        StartDrag();
        return;
    }
    if (!Pressed)
        QTableView::mouseMoveEvent(event);
}

void TLibGrid::mouseReleaseEvent(QMouseEvent* event)
{
    Pressed = false;
    QTableView::mouseReleaseEvent(event);
}

void TLibGrid::StartDrag()
{
    // The drag names only its kind: the scenario window asks the library for
    // the selected pair when it is dropped.
    auto* drag = new QDrag(this);
    auto* data = new QMimeData;
    data->setData(LibraryPairMimeType(), QByteArray::number(SelectedRow()));
    drag->setMimeData(data);
    drag->exec(Qt::CopyAction);
}

// --- Dropping in --------------------------------------------------------------

bool TLibGrid::Accepts(const QDropEvent* event) const
{
    return AcceptsDrop && AcceptsDrop(event->mimeData(), event->source());
}

int TLibGrid::TargetRow(const QPoint& pos) const { return std::max(rowAt(pos.y()), 0); }

void TLibGrid::dragEnterEvent(QDragEnterEvent* event)
{
    if (Accepts(event))
        event->acceptProposedAction();
    else
        event->ignore();
}

void TLibGrid::dragMoveEvent(QDragMoveEvent* event)
{
    if (!Accepts(event)) {
        event->ignore();
        return;
    }
    SelectCell(TargetRow(event->position().toPoint()));
    event->acceptProposedAction();
}

void TLibGrid::dropEvent(QDropEvent* event)
{
    if (!Accepts(event)) {
        event->ignore();
        return;
    }
    SelectCell(TargetRow(event->position().toPoint()));
    event->acceptProposedAction();
    emit PairDropped();
}

} // namespace tekstovar
