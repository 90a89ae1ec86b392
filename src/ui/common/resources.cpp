#include "ui/common/resources.h"

#include <QtGlobal>

static void initKartevoResources() { Q_INIT_RESOURCE(kartevo); }

namespace kartevo {

void EnsureResources()
{
    static const bool done = (initKartevoResources(), true);
    Q_UNUSED(done);
}

} // namespace kartevo
