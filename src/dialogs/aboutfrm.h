#pragma once

#include <QDialog>

namespace tekstovar {

class TDialogs;

// The about box: the product's name and version, the mail address for
// feedback, thanks to the helpers and the web page. The addresses are links
// opened through the dialogs interface.
class TAboutFrm : public QDialog {
    Q_OBJECT
public:
    explicit TAboutFrm(TDialogs& dialogs, QWidget* parent = nullptr);

    static constexpr const char* MailAddress = "tekstovar@example.org";
    static constexpr const char* PageAddress = "https://tekstovar.example.org/";

private:
    TDialogs& Dialogs;
};

} // namespace tekstovar
