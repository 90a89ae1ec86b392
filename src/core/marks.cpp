#include "core/marks.h"

#include "core/clientlist.h"
#include "core/schema.h"
#include "core/tableview.h"

namespace kartevo {

namespace {
const QString kMarkField = QStringLiteral("jelolve");
} // namespace

bool IsMarked(const QVariant &jelolve)
{
    return !jelolve.isNull() && jelolve.toString() == MarkedValue;
}

QString ToggleMark(TableView &clients)
{
    clients.edit();
    const QString value = IsMarked(clients.value(kMarkField)) ? UnmarkedValue : MarkedValue;
    try {
        clients.setValue(kMarkField, value);
        clients.post();
    } catch (...) {
        clients.cancel();
        throw;
    }
    return value;
}

QString SetAllMarksStatement(bool mark, bool grouped, const QString &group)
{
    QString statement = mark ? QStringLiteral("UPDATE ugyfel SET jelolve='I' ")
                             : QStringLiteral("UPDATE ugyfel SET jelolve='N' ");
    if (grouped)
        statement += QStringLiteral("WHERE csoport=") + SqlQuoted(group);
    return statement + QLatin1Char(';');
}

void SetAllMarks(ClientList &list, bool mark)
{
    const qint64 current = list.currentKey();
    list.table().close();
    RunSQL(list.database(), SetAllMarksStatement(mark, list.hasGroupFilter(), list.filterGroup()));
    list.reopenAt(current);
}

CellColors MarkCellColors(bool marked, bool selected, bool sortColumn, const CellColors &standard)
{
    if (!marked)
        return standard;
    if (selected)
        return {MarkedSelectedTextColor, standard.background};
    return {MarkedTextColor, sortColumn ? standard.background : MarkedBackgroundColor};
}

} // namespace kartevo
