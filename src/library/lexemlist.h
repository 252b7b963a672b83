#pragma once

#include "library/libdrop.h"

#include <QTreeWidget>

#include <optional>
#include <vector>

namespace tekstovar {

struct TLibLexem;

// The lexems of the library as a report list: description and lexem text,
// one whole row selected at a time. It is no drag source; it takes pairs
// dropped from the scenario grid, whose search mask becomes a lexem.
class TLexemList : public QTreeWidget {
    Q_OBJECT
public:
    static constexpr int LexemColumnWidth = 100;

    explicit TLexemList(QWidget* parent = nullptr);

    // Shows these lexems and selects the item at `selected`, if any.
    void Fill(const std::vector<TLibLexem>& lexems, std::optional<int> selected);
    std::optional<int> SelectedIndex() const;
    void SelectIndex(std::optional<int> index);

    // Set by the window: whether a drag may be dropped here.
    TDropCheck AcceptsDrop;

signals:
    // A scenario pair was dropped; the item under the pointer, if any, is
    // selected.
    void PairDropped();

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    bool Accepts(const QDropEvent* event) const;
};

} // namespace tekstovar
