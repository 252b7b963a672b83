#include "library/libfrm.h"

namespace tekstovar {

TLibFrm::TLibFrm(QWidget* parent) : TToolWindow(parent)
{
    setObjectName(QStringLiteral("LibFrm"));
    setWindowTitle(QStringLiteral("Библиотека"));
}

} // namespace tekstovar
