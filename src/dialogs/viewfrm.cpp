#include "dialogs/viewfrm.h"

namespace tekstovar {

TViewFrm::TViewFrm(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("ViewFrm"));
    setWindowTitle(QStringLiteral("Маски"));
    resize(414, 377);
}

} // namespace tekstovar
