#pragma once

#include "platform/toolwindow.h"

namespace tekstovar {

// The library of commented mask pairs and named lexems: a tool window beside
// the main window. Its contents come with the library itself.
class TLibFrm : public TToolWindow {
    Q_OBJECT
public:
    explicit TLibFrm(QWidget* parent = nullptr);
};

} // namespace tekstovar
