#pragma once

#include <functional>

class QMimeData;
class QObject;

namespace tekstovar {

// Asked by the library's views whether a drag may be dropped on them.
using TDropCheck = std::function<bool(const QMimeData* data, const QObject* source)>;

// Whether a drag brings a pair from the scenario grid of this process: it
// carries the scenario's pair type and began on that grid.
bool IsScenarioPairDrag(const QMimeData* data, const QObject* source);

} // namespace tekstovar
