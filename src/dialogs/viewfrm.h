#pragma once

#include <QDialog>

namespace tekstovar {

// The multi-line editor of the two masks, opened by the buttons beside the
// main window's mask boxes. For now an empty window that other windows can
// already create and show.
class TViewFrm : public QDialog {
    Q_OBJECT
public:
    explicit TViewFrm(QWidget* parent = nullptr);
};

} // namespace tekstovar
