#pragma once

#include <QList>
#include <QRect>

namespace tekstovar {

// Where a window with these stored bounds opens, given the screens' available
// areas. Bounds whose top edge lies on a screen for at least 40 pixels (or
// the window's whole width) stay: the user can take the window by its title
// bar. Others, off every screen (the settings fit bounds only to the box
// around all screens, and a screen may have been unplugged since), move
// wholly onto the screen they overlap most, else the nearest, no larger than
// it. Without screens the bounds stay.
QRect PlaceOnScreens(const QRect& bounds, const QList<QRect>& screens);

} // namespace tekstovar
