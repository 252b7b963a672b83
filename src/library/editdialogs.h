#pragma once

#include <QDialog>

namespace tekstovar {

// The edit dialogs of a library pair and of a library lexem; their fields
// come with the library.
class TPairEditFrm : public QDialog {
    Q_OBJECT
public:
    explicit TPairEditFrm(QWidget* parent = nullptr);
};

class TLexemEditFrm : public QDialog {
    Q_OBJECT
public:
    explicit TLexemEditFrm(QWidget* parent = nullptr);
};

} // namespace tekstovar
