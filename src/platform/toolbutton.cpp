#include "platform/toolbutton.h"

#include <QToolBar>
#include <QToolButton>

namespace tekstovar {

QToolButton* AddToolButton(QToolBar* bar, const char* name, const QString& hint, QStyle::StandardPixmap icon)
{
    auto* button = new QToolButton(bar);
    button->setObjectName(QString::fromLatin1(name));
    button->setToolTip(hint);
    // An icon alone says nothing to a screen reader.
    button->setAccessibleName(hint);
    button->setIcon(bar->style()->standardIcon(icon));
    bar->addWidget(button);
    return button;
}

} // namespace tekstovar
