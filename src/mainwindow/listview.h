#pragma once

#include <QStringList>
#include <QTreeWidget>

namespace tekstovar {

// The file list's view: a list of rows that also takes files and
// directories dropped from a file manager.
class TListView : public QTreeWidget {
    Q_OBJECT
public:
    explicit TListView(QWidget* parent = nullptr);

signals:
    // Local paths of the dropped items, in the order they were dropped.
    void FilesDropped(const QStringList& paths);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
};

} // namespace tekstovar
