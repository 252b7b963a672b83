#include "app/placement.h"

#include <algorithm>
#include <cstdlib>

namespace tekstovar {

namespace {

// As much of the title bar as must be on a screen to take the window by it.
constexpr int Grip = 40;

bool TitleBarOn(const QRect& bounds, const QRect& screen)
{
    if (bounds.top() < screen.top() || bounds.top() > screen.bottom())
        return false;
    const int overlap = std::min(bounds.right(), screen.right()) - std::max(bounds.left(), screen.left()) + 1;
    return overlap >= std::min(Grip, bounds.width());
}

long long Area(const QRect& r) { return r.isEmpty() ? 0 : static_cast<long long>(r.width()) * r.height(); }

long long Distance(const QRect& a, const QRect& b)
{
    const QPoint d = a.center() - b.center();
    return static_cast<long long>(d.x()) * d.x() + static_cast<long long>(d.y()) * d.y();
}

} // namespace

QRect PlaceOnScreens(const QRect& bounds, const QList<QRect>& screens)
{
    if (screens.isEmpty() ||
        std::any_of(screens.begin(), screens.end(), [&](const QRect& s) { return TitleBarOn(bounds, s); }))
        return bounds;
    const QRect target = *std::min_element(screens.begin(), screens.end(), [&](const QRect& a, const QRect& b) {
        const long long overlapA = Area(a & bounds);
        const long long overlapB = Area(b & bounds);
        if (overlapA != overlapB)
            return overlapA > overlapB;
        return Distance(a, bounds) < Distance(b, bounds);
    });
    QRect placed(bounds.topLeft(), bounds.size().boundedTo(target.size()));
    placed.moveLeft(std::clamp(placed.left(), target.left(), target.right() + 1 - placed.width()));
    placed.moveTop(std::clamp(placed.top(), target.top(), target.bottom() + 1 - placed.height()));
    return placed;
}

} // namespace tekstovar
