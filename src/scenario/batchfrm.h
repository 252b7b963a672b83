#pragma once

#include "platform/toolwindow.h"

namespace tekstovar {

// The scenario window: a tool window beside the main window holding the
// table of mask pairs run as steps. Its table comes with the scenarios.
class TBatchFrm : public TToolWindow {
    Q_OBJECT
public:
    explicit TBatchFrm(QWidget* parent = nullptr);
};

} // namespace tekstovar
