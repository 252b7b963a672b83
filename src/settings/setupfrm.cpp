#include "settings/setupfrm.h"

namespace tekstovar {

TSetupFrm::TSetupFrm(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("SetupFrm"));
    setWindowTitle(QStringLiteral("Настройка"));
}

} // namespace tekstovar
