#include "dialogs/helpfrm.h"

#include <QApplication>
#include <QBoxLayout>
#include <QEvent>
#include <QTextBrowser>
#include <QTextDocument>
#include <QToolButton>
#include <QUrl>

// Outside any namespace, as the resource macro requires. The pages live in a
// static library, whose resource object the linker would otherwise drop.
static void InitHelpResources() { Q_INIT_RESOURCE(helppages); }

namespace tekstovar {

namespace {

QToolButton* Button(const QString& caption, const QString& name, QWidget* parent)
{
    auto* button = new QToolButton(parent);
    button->setText(caption);
    button->setObjectName(name);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    return button;
}

} // namespace

QUrl THelpFrm::TopicUrl(const QString& topic)
{
    if (topic == QStringLiteral("Batch"))
        return QUrl(QStringLiteral("qrc:/help/batch.html"));
    if (topic == QStringLiteral("Library"))
        return QUrl(QStringLiteral("qrc:/help/library.html"));
    if (topic == QStringLiteral("Setup"))
        return QUrl(QStringLiteral("qrc:/help/setup.html"));
    return QUrl(QStringLiteral("qrc:/help/contents.html"));
}

THelpFrm::THelpFrm(QWidget* parent) : QWidget(parent, Qt::Window)
{
    InitHelpResources();
    setObjectName(QStringLiteral("HelpFrm"));
    setWindowTitle(QStringLiteral("Подсказка"));

    BackBtn = Button(QStringLiteral("Назад"), QStringLiteral("BackBtn"), this);
    ForwardBtn = Button(QStringLiteral("Вперёд"), QStringLiteral("ForwardBtn"), this);
    ContentsBtn = Button(QStringLiteral("Содержание"), QStringLiteral("ContentsBtn"), this);
    BackBtn->setEnabled(false);
    ForwardBtn->setEnabled(false);

    PageBrw = new QTextBrowser(this);
    PageBrw->setObjectName(QStringLiteral("PageBrw"));
    PageBrw->setAccessibleName(QStringLiteral("Страница Подсказки"));
    // Pages link only to each other; nothing leaves the window.
    PageBrw->setOpenExternalLinks(false);
    // Set once: the document keeps it across pages. Spaces in masks and
    // examples matter, so code keeps them.
    PageBrw->document()->setDefaultStyleSheet(
        QStringLiteral("h1, h2, h3 { color: #1f3f8f; }"
                       "code { font-family: 'DejaVu Sans Mono', 'Courier New', monospace; color: #000080;"
                       " white-space: pre; }"
                       "th { background-color: #e4e9f4; }"
                       "table { margin-top: 4px; margin-bottom: 4px; }"));

    auto* bar = new QHBoxLayout;
    bar->addWidget(BackBtn);
    bar->addWidget(ForwardBtn);
    bar->addWidget(ContentsBtn);
    bar->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addLayout(bar);
    layout->addWidget(PageBrw, 1);

    connect(BackBtn, &QToolButton::clicked, PageBrw, &QTextBrowser::backward);
    connect(ForwardBtn, &QToolButton::clicked, PageBrw, &QTextBrowser::forward);
    connect(ContentsBtn, &QToolButton::clicked, this, [this] { PageBrw->setSource(TopicUrl(QString())); });
    connect(PageBrw, &QTextBrowser::backwardAvailable, BackBtn, &QToolButton::setEnabled);
    connect(PageBrw, &QTextBrowser::forwardAvailable, ForwardBtn, &QToolButton::setEnabled);

    resize(640, 560);
}

void THelpFrm::ShowTopic(const QString& topic)
{
    PageBrw->setSource(TopicUrl(topic));
    JoinModalDialog();
    show();
    raise();
    activateWindow();
}

// A modal dialog blocks every window but its own. Help asked for while one is
// open becomes the dialog's window until the dialog closes, so that it can be
// read, scrolled and clicked beside it.
void THelpFrm::JoinModalDialog()
{
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || modal == this || modal == parentWidget())
        return;
    if (!HomeParent)
        HomeParent = parentWidget();
    else
        parentWidget()->removeEventFilter(this);
    // A window on the screen stays where it is; one never shown is placed
    // by the window manager, as before.
    const bool shown = isVisible();
    const QRect bounds = geometry();
    setParent(modal, windowFlags());
    if (shown)
        setGeometry(bounds);
    modal->installEventFilter(this);
}

void THelpFrm::LeaveModalDialog()
{
    parentWidget()->removeEventFilter(this);
    const bool shown = isVisible();
    const QRect bounds = geometry();
    setParent(HomeParent, windowFlags());
    HomeParent = nullptr;
    setGeometry(bounds);
    if (shown)
        show();
}

bool THelpFrm::eventFilter(QObject* watched, QEvent* event)
{
    // Hidden first, the dialog is never destroyed with this window in it.
    if (HomeParent && watched == parentWidget() && event->type() == QEvent::Hide)
        LeaveModalDialog();
    return QWidget::eventFilter(watched, event);
}

} // namespace tekstovar
