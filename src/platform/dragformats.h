#pragma once

#include <QString>

#include <functional>
#include <string>

namespace tekstovar {

// Pairs dragged between the scenario grid and the library grid. The drag
// carries only its kind; the dropping window asks the source window for the
// pair, which both keep as WIN bytes.
inline QString ScenarioPairMimeType() { return QStringLiteral("application/x-tekstovar-scenario-pair"); }
inline QString LibraryPairMimeType() { return QStringLiteral("application/x-tekstovar-library-pair"); }

struct TDraggedPair {
    std::string Mask;
    std::string Replace;
};

// Asks the other window for the pair being dragged from it.
using TPairSource = std::function<TDraggedPair()>;

} // namespace tekstovar
