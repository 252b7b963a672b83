#include "library/libdrop.h"

#include "platform/dragformats.h"

#include <QMimeData>
#include <QObject>

namespace tekstovar {

bool IsScenarioPairDrag(const QMimeData* data, const QObject* source)
{
    // Qt names the source only for a drag of this process. A drag from
    // elsewhere (another instance of the program) has none, and its pair
    // would be asked of this process's scenario window: it is refused, as is
    // anything that did not begin on the scenario grid. The grid is known by
    // its class name: the library does not link the scenario window.
    return data && data->hasFormat(ScenarioPairMimeType()) && source && source->inherits("tekstovar::TPairsGrid");
}

} // namespace tekstovar
