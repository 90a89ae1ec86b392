#include "core/clientlist.h"

#include "core/database.h"
#include "core/schema.h"
#include "core/statement.h"

namespace kartevo {

ClientList::ClientList(Database &db, QObject *parent)
    : QObject(parent), m_db(db), m_table(db, QStringLiteral("ugyfel"))
{
    m_table.beforePost = [](TableView &clients) { ApplyClientWriteRule(clients); };
}

QString ClientList::OrderColumn(const QString &field)
{
    if (field == QLatin1String("ugyfel_nev"))
        return QStringLiteral("ugyfel_nevs");
    if (field == QLatin1String("kapcsolat"))
        return QStringLiteral("kapcsolats");
    if (field == QLatin1String("cim_varos"))
        return QStringLiteral("cim_vaross");
    if (field == QLatin1String("csoport"))
        return QStringLiteral("csoports");
    return field;
}

void ClientList::sortBy(const QString &field, const QString &title)
{
    m_sortField = field;
    m_sortCaption = title;
    const qint64 current = m_table.isOpen() && m_table.recordCount() > 0
                               ? m_table.asInteger(QStringLiteral("ugyfel"))
                               : 0;
    m_table.close();
    m_table.setOrder(OrderColumn(field));
    m_table.open();
    if (current != 0 && !m_table.locateValue(QStringLiteral("ugyfel"), current))
        m_table.last();
    Q_EMIT sortChanged(field, title);
}

bool ClientList::search(const QString &text)
{
    if (!m_table.isOpen() || m_table.recordCount() == 0)
        return false;
    if (m_table.locate(m_sortField, text))
        return true;
    m_table.last();
    return false;
}

void ClientList::setGroupFilter(const QString &group)
{
    m_filterGroup = group;
    m_table.close();
    m_table.setFilter(group.isEmpty() ? QString() : QStringLiteral("csoport=") + SqlQuoted(group));
    m_table.open();
    m_table.first();
}

QString ClientList::counterText() const
{
    return QString::asprintf("%d / %d", m_table.isOpen() ? m_table.recordCount() : 0,
                             m_table.isOpen() ? m_table.recNo() : 0);
}

QStringList ClientList::GroupNames(Database &db)
{
    QStringList names;
    Statement statement(db, QStringLiteral("SELECT csoport FROM csoport ORDER BY csoports"));
    while (statement.step())
        names.append(statement.column(0).toString());
    return names;
}

QString SqlQuoted(const QString &text)
{
    QString quoted = text;
    quoted.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

} // namespace kartevo
