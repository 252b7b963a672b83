#include "library/editdialogs.h"

namespace tekstovar {

TPairEditFrm::TPairEditFrm(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("PairEditFrm"));
    setWindowTitle(QStringLiteral("Пара"));
}

TLexemEditFrm::TLexemEditFrm(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("LexemEditFrm"));
    setWindowTitle(QStringLiteral("Лексема"));
}

} // namespace tekstovar
