#include "scenario/batchfrm.h"

namespace tekstovar {

TBatchFrm::TBatchFrm(QWidget* parent) : TToolWindow(parent)
{
    setObjectName(QStringLiteral("BatchFrm"));
    setWindowTitle(QStringLiteral("Сценарий"));
}

} // namespace tekstovar
