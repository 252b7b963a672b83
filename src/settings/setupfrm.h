#pragma once

#include <QDialog>

namespace tekstovar {

// The settings dialog; its pages come with the settings dialog itself.
class TSetupFrm : public QDialog {
    Q_OBJECT
public:
    explicit TSetupFrm(QWidget* parent = nullptr);
};

} // namespace tekstovar
