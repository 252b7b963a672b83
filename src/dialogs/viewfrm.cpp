#include "dialogs/viewfrm.h"

namespace tekstovar {

TViewFrm::TViewFrm(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("ViewFrm"));
    setWindowTitle(QStringLiteral("Маска"));
    resize(414, 377);
}

} // namespace tekstovar
