#include "core/clientlist.h"

#include "core/database.h"
#include "core/schema.h"
#include "core/statement.h"

namespace kartevo {

namespace {

const QString kKeyField = QStringLiteral("ugyfel");

// n / 100 rounded to the nearest whole number, halves to the even one (n >= 0).
int DivideBy100HalfEven(int n)
{
    int quotient = n / 100;
    const int remainder = n % 100;
    if (remainder > 50 || (remainder == 50 && quotient % 2 != 0))
        ++quotient;
    return quotient;
}

} // namespace

ClientList::ClientList(Database &db, QObject *parent)
    : QObject(parent), m_db(db), m_table(db, QStringLiteral("ugyfel"))
{
    m_table.beforePost = [](TableView &clients) { ApplyClientWriteRule(clients); };
}

const QList<ClientColumn> &ClientList::Columns()
{
    static const QList<ClientColumn> columns = {
        {QStringLiteral("jelolve"), QStringLiteral("nyom."), 0},
        {QStringLiteral("ugyfel_nev"), QStringLiteral("ügyfél"), 27},
        {QStringLiteral("kapcsolat"), QStringLiteral("kapcsolattartó"), 18},
        {QStringLiteral("cim_irsz"), QStringLiteral("irsz."), 14},
        {QStringLiteral("cim_varos"), QStringLiteral("város"), 10},
        {QStringLiteral("cim_cim"), QStringLiteral("cím"), 14},
        {QStringLiteral("csoport"), QStringLiteral("csoport"), 17},
    };
    return columns;
}

QHash<QString, QString> ClientList::ColumnTitles()
{
    QHash<QString, QString> titles;
    for (const ClientColumn &column : Columns())
        titles.insert(column.field, column.title);
    return titles;
}

QList<int> ClientList::ColumnWidths(int gridWidth)
{
    // Whole-number arithmetic, so that 501 × 27 % is exactly 135.27 and a half is a half.
    const int room = qMax(0, gridWidth - 99);
    QList<int> widths;
    for (const ClientColumn &column : Columns())
        widths.append(column.percent == 0 ? MarkColumnWidth : DivideBy100HalfEven(room * column.percent));
    return widths;
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

qint64 ClientList::currentKey() const
{
    if (!m_table.isOpen() || m_table.recordCount() == 0)
        return 0;
    return m_table.asInteger(kKeyField);
}

void ClientList::reopenAt(qint64 key)
{
    m_table.close();
    m_table.open();
    if (key != 0 && !m_table.locateValue(kKeyField, key))
        m_table.last();
}

void ClientList::sortBy(const QString &field, const QString &title)
{
    m_sortField = field;
    m_sortCaption = title;
    const qint64 current = currentKey();
    m_table.close();
    m_table.setOrder(OrderColumn(field));
    reopenAt(current);
    Q_EMIT sortChanged(field, title);
}

bool ClientList::search(const QString &text)
{
    if (!m_table.isOpen())
        return text.isEmpty();
    return m_table.locateNearest(m_sortField, text);
}

void ClientList::setGroupFilter(const QString &group)
{
    m_filterGroup = group;
    m_grouped = true;
    m_table.close();
    m_table.setFilter(QStringLiteral("csoport=") + SqlQuoted(group));
    m_table.open();
    m_table.first();
}

void ClientList::clearGroupFilter()
{
    m_filterGroup.clear();
    m_grouped = false;
    m_table.close();
    m_table.setFilter(QString());
    m_table.open();
    m_table.first();
}

void ClientList::deleteCurrent()
{
    m_table.deleteRow();
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

QString ClientList::NoFilterText()
{
    return QStringLiteral("<nincs szűrés>");
}

QStringList ClientList::GroupFilterEntries(Database &db)
{
    return QStringList{NoFilterText()} + GroupNames(db);
}

int ClientList::GroupFilterIndex(const QStringList &entries, const QString &remembered)
{
    for (int i = 0; i < entries.size(); ++i) {
        if (entries.at(i).compare(remembered, Qt::CaseInsensitive) == 0)
            return i;
    }
    return 0;
}

QChar ClientList::SearchStartChar(QChar typed)
{
    const QChar lower = typed.toLower();
    const char16_t c = lower.unicode();
    if ((c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z'))
        return lower;
    switch (c) {
    case u'á': case u'é': case u'í': case u'ó': case u'ö':
    case u'ő': case u'ú': case u'ü': case u'ű':
        return lower;
    default:
        return {};
    }
}

int ClientList::LargerFontSize(int size)
{
    return size < 10 ? size + 1 : size;
}

int ClientList::SmallerFontSize(int size)
{
    return size > 8 ? size - 1 : size;
}

QString SqlQuoted(const QString &text)
{
    QString quoted = text;
    quoted.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

} // namespace kartevo
