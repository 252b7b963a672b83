#pragma once

#include <QString>
#include <QStyle>

class QToolBar;
class QToolButton;

namespace tekstovar {

// A tool bar button with its control name, hint and one of the style's
// standard icons, added at the end of the bar.
QToolButton* AddToolButton(QToolBar* bar, const char* name, const QString& hint, QStyle::StandardPixmap icon);

} // namespace tekstovar
