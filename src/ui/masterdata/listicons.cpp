#include "ui/masterdata/listicons.h"

#include "ui/common/resources.h"

#include <QString>

namespace kartevo {

QIcon ListIcon(int index)
{
    EnsureResources();
    const char *name = nullptr;
    switch (index) {
    case 0:
        name = "icons/uj";
        break;
    case 1:
        name = "icons/szerkeszt";
        break;
    case 2:
        name = "icons/torol";
        break;
    case 7:
        name = "icons/bezar";
        break;
    case 8:
        name = "keres";
        break;
    case 21:
        name = "elfogad";
        break;
    default:
        return {};
    }
    return QIcon(QStringLiteral(":/kartevo/") + QLatin1String(name) + QStringLiteral(".svg"));
}

} // namespace kartevo
