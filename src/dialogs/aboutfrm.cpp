#include "dialogs/aboutfrm.h"

#include "dialogs/centre.h"
#include "platform/dialogs.h"

#include <QBoxLayout>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QUrl>

#include <functional>

namespace tekstovar {

namespace {

// A label that acts as a link as a whole: blue, underlined, with the hand
// pointer; a left click anywhere on it follows the link.
class TLinkLabel : public QLabel {
public:
    TLinkLabel(const QString& text, std::function<void()> follow, QWidget* parent)
        : QLabel(text, parent), Follow(std::move(follow))
    {
        QFont linkFont = font();
        linkFont.setUnderline(true);
        setFont(linkFont);
        QPalette colours = palette();
        colours.setColor(QPalette::WindowText, Qt::blue);
        setPalette(colours);
        setCursor(Qt::PointingHandCursor);
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    }

protected:
    void mouseReleaseEvent(QMouseEvent* event) override
    {
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
            Follow();
        QLabel::mouseReleaseEvent(event);
    }

private:
    std::function<void()> Follow;
};

struct THelper {
    const char* Nickname;
    const char* Address;
    const char* Help;
};

constexpr THelper Helpers[] = {
    {"Помощник 1", "helper1@example.org", "Проверка Кодировок"},
    {"Помощник 2", "helper2@example.org", "Испытания Масок"},
    {"Помощник 3", "helper3@example.org", "Частоты Русских Букв"},
    {"Помощник 4", "helper4@example.org", "Идеи И Подсказка"},
};

QFrame* Rule(QWidget* parent)
{
    auto* rule = new QFrame(parent);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);
    return rule;
}

QLabel* Text(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignHCenter);
    return label;
}

} // namespace

TAboutFrm::TAboutFrm(TDialogs& dialogs, QWidget* parent) : QDialog(parent), Dialogs(dialogs)
{
    setObjectName(QStringLiteral("AboutFrm"));
    setWindowTitle(QStringLiteral("Автор"));
    setModal(true);

    auto* frame = new QFrame(this);
    frame->setFrameStyle(QFrame::Panel | QFrame::Raised);
    auto* inside = new QVBoxLayout(frame);

    auto* product = new QLabel(QStringLiteral("Текстовар"), frame);
    product->setObjectName(QStringLiteral("ProductLbl"));
    QFont productFont(QStringLiteral("Times New Roman"));
    productFont.setPixelSize(32);
    product->setFont(productFont);
    QPalette blue = product->palette();
    blue.setColor(QPalette::WindowText, Qt::blue);
    product->setPalette(blue);
    product->setAlignment(Qt::AlignHCenter);
    inside->addWidget(product);
    inside->addWidget(Rule(frame));

    inside->addWidget(Text(QStringLiteral("Сделано Мастерской Текстовара"), frame));
    inside->addWidget(Text(QStringLiteral("Версия 3.1"), frame));
    inside->addWidget(Rule(frame));

    inside->addWidget(Text(QStringLiteral("Все Вопросы/Наезды/Идеи Мылом"), frame));
    auto* mail = new TLinkLabel(
        QString::fromUtf8(MailAddress),
        [this] { Dialogs.OpenUrl(QUrl(QStringLiteral("mailto:") + QString::fromUtf8(MailAddress))); }, frame);
    mail->setObjectName(QStringLiteral("MailLbl"));
    inside->addWidget(mail, 0, Qt::AlignHCenter);
    inside->addWidget(Rule(frame));

    inside->addWidget(Text(QStringLiteral("Душевное Спасибо Людям, Помогавшим В Разработке:"), frame));
    auto* people = new QGridLayout;
    int row = 0;
    for (const THelper& helper : Helpers) {
        QString address = QString::fromUtf8(helper.Address);
        auto* nickname = new TLinkLabel(
            QString::fromUtf8(helper.Nickname),
            [this, address] { Dialogs.OpenUrl(QUrl(QStringLiteral("mailto:") + address)); }, frame);
        nickname->setObjectName(QStringLiteral("PeopleLbl%1").arg(row + 1));
        nickname->setToolTip(address);
        people->addWidget(nickname, row, 0);
        people->addWidget(new QLabel(QStringLiteral("— ") + QString::fromUtf8(helper.Help), frame), row, 1);
        ++row;
    }
    people->setColumnStretch(1, 1);
    inside->addLayout(people);
    inside->addWidget(Rule(frame));

    inside->addWidget(Text(QStringLiteral("Обновления, Новости И Советы — На Странице:"), frame));
    auto* page = new TLinkLabel(
        QString::fromUtf8(PageAddress), [this] { Dialogs.OpenUrl(QUrl(QString::fromUtf8(PageAddress))); }, frame);
    page->setObjectName(QStringLiteral("PageLbl"));
    inside->addWidget(page, 0, Qt::AlignHCenter);
    inside->addStretch();

    auto* ok = new QPushButton(QStringLiteral("Угу"), this);
    ok->setObjectName(QStringLiteral("OkBtn"));
    ok->setDefault(true);
    // Escape closes through reject(), which makes the button the cancel one
    // as well.
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addWidget(frame, 1);
    layout->addWidget(ok, 0, Qt::AlignHCenter);

    setFixedSize(377, 414);
    CentreOnScreen(this);
}

} // namespace tekstovar
