#include "library/lexemlist.h"

#include "library/librarystore.h"
#include "platform/qstrings.h"
#include "platform/winunicode.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHeaderView>

#include <algorithm>

namespace tekstovar {

namespace {

// Room left beside the two columns for the list's frame and scroll bar.
constexpr int FrameAllowance = 20;

} // namespace

TLexemList::TLexemList(QWidget* parent) : QTreeWidget(parent)
{
    setColumnCount(2);
    setHeaderLabels({QStringLiteral("Описание"), QStringLiteral("Лексема")});
    header()->setSectionsClickable(false);
    header()->setSectionsMovable(false);
    header()->setStretchLastSection(false);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setAllColumnsShowFocus(true);
    setSortingEnabled(false);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDropIndicatorShown(false);
}

void TLexemList::Fill(const std::vector<TLibLexem>& lexems, std::optional<int> selected)
{
    clear();
    QList<QTreeWidgetItem*> items;
    items.reserve(static_cast<qsizetype>(lexems.size()));
    for (const TLibLexem& lexem : lexems)
        items.append(new QTreeWidgetItem(QStringList{WinToQString(lexem.Description), WinToQString(lexem.Lexem)}));
    addTopLevelItems(items);
    SelectIndex(selected);
}

std::optional<int> TLexemList::SelectedIndex() const
{
    const QList<QTreeWidgetItem*> items = selectedItems();
    if (items.isEmpty())
        return std::nullopt;
    return indexOfTopLevelItem(items.front());
}

void TLexemList::SelectIndex(std::optional<int> index)
{
    QTreeWidgetItem* item = index ? topLevelItem(*index) : nullptr;
    if (!item) {
        clearSelection();
        return;
    }
    setCurrentItem(item);
    item->setSelected(true);
    scrollToItem(item);
}

void TLexemList::resizeEvent(QResizeEvent* event)
{
    QTreeWidget::resizeEvent(event);
    setColumnWidth(1, LexemColumnWidth);
    setColumnWidth(0, std::max(0, width() - LexemColumnWidth - FrameAllowance));
}

bool TLexemList::Accepts(const QDropEvent* event) const
{
    return AcceptsDrop && AcceptsDrop(event->mimeData(), event->source());
}

void TLexemList::dragEnterEvent(QDragEnterEvent* event)
{
    if (Accepts(event))
        event->acceptProposedAction();
    else
        event->ignore();
}

void TLexemList::dragMoveEvent(QDragMoveEvent* event)
{
    if (Accepts(event))
        event->acceptProposedAction();
    else
        event->ignore();
}

void TLexemList::dropEvent(QDropEvent* event)
{
    if (!Accepts(event)) {
        event->ignore();
        return;
    }
    if (QTreeWidgetItem* item = itemAt(event->position().toPoint()))
        SelectIndex(indexOfTopLevelItem(item));
    event->acceptProposedAction();
    emit PairDropped();
}

} // namespace tekstovar
