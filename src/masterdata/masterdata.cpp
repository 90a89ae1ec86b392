#include "masterdata/masterdata.h"

#include "core/dataset.h"
#include "core/database.h"
#include "core/error.h"
#include "core/helpers.h"
#include "core/schema.h"
#include "core/statement.h"
#include "core/tableview.h"

#include <QLocale>
#include <QRegularExpression>

namespace kartevo {

QStringList TownsForPostalCode(Database &db, const QString &postalCode)
{
    // Rows of equal codes come in the order they were added, as the postal-code list shows them.
    Statement statement(db, QStringLiteral("SELECT varos FROM irsz WHERE irsz = ? ORDER BY rowid"));
    statement.bind(1, postalCode);
    QStringList towns;
    while (statement.step()) {
        const QVariant town = statement.column(0);
        towns.append(town.isNull() ? QString() : town.toString());
    }
    return towns;
}

QString ClientSaveRefusal(const DataSet &clients)
{
    if (clients.asString(QStringLiteral("ugyfel_nev")).trimmed().isEmpty())
        return QStringLiteral("Az ügyfél nevét meg kell adni.");
    return {};
}

void ApplyGroupWriteRule(TableView &groups)
{
    groups.setValue(QStringLiteral("csoports"), SortKey(groups.value(QStringLiteral("csoport"))));
}

namespace {

const QString kGroupTable = QStringLiteral("csoport");

// A savepoint: a transaction of its own, or a part of the caller's. Rolled back unless
// committed.
class Transaction {
public:
    explicit Transaction(Database &db) : m_db(db) { m_db.exec(QStringLiteral("SAVEPOINT lista")); }
    ~Transaction()
    {
        if (m_open) {
            try {
                m_db.exec(QStringLiteral("ROLLBACK TO lista; RELEASE lista"));
            } catch (...) {
            }
        }
    }
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;

    void commit()
    {
        m_db.exec(QStringLiteral("RELEASE lista"));
        m_open = false;
    }

private:
    Database &m_db;
    bool m_open = true;
};

// Gives the clients of a group another group; a NULL name leaves them without one.
void MoveGroupClients(Database &db, const QVariant &from, const QVariant &to)
{
    Statement statement(db, QStringLiteral("UPDATE ugyfel SET csoport = ?, csoports = ? WHERE csoport = ?"));
    statement.bind(1, to);
    statement.bind(2, SortKey(to));
    statement.bind(3, from);
    statement.exec();
}

// The group name of the current row as it is stored, before the edits.
QVariant StoredGroupName(TableView &groups)
{
    Statement statement(groups.database(), QStringLiteral("SELECT csoport FROM csoport WHERE rowid = ?"));
    statement.bind(1, groups.value(QStringLiteral("rowid")));
    return statement.step() ? statement.column(0) : QVariant();
}

bool IsGroupList(const TableView &list)
{
    return list.tableName().compare(kGroupTable, Qt::CaseInsensitive) == 0;
}

} // namespace

void SaveListRow(TableView &list)
{
    try {
        Transaction transaction(list.database());
        if (IsGroupList(list) && list.state() == DataSet::State::Edit) {
            const QVariant oldName = StoredGroupName(list);
            const QVariant newName = list.value(QStringLiteral("csoport"));
            if (!oldName.isNull() && oldName.toString() != NullToStr(newName))
                MoveGroupClients(list.database(), oldName, newName);
        }
        list.post();
        transaction.commit();
    } catch (const Error &e) {
        throw Error(KeyConflictMessage(e.message()));
    }
}

namespace {

qint64 GroupClientCount(const TableView &list)
{
    if (!IsGroupList(list) || list.recordCount() == 0)
        return 0;
    Statement statement(list.database(), QStringLiteral("SELECT COUNT(*) FROM ugyfel WHERE csoport = ?"));
    statement.bind(1, list.value(QStringLiteral("csoport")));
    return statement.step() ? statement.column(0).toLongLong() : 0;
}

} // namespace

QString DeleteQuestion(const TableView &list)
{
    if (const qint64 clients = GroupClientCount(list); clients > 0)
        return QStringLiteral("A csoporthoz %1 ügyfél tartozik. Valóban törli?").arg(clients);
    return QStringLiteral("Valóban töröljem a sort?");
}

bool IsUsedGroup(const TableView &list)
{
    return GroupClientCount(list) > 0;
}

void DeleteListRow(TableView &list)
{
    Transaction transaction(list.database());
    if (IsGroupList(list) && list.recordCount() > 0)
        MoveGroupClients(list.database(), list.value(QStringLiteral("csoport")), QVariant());
    list.deleteRow();
    transaction.commit();
}

QString KeyConflictMessage(const QString &engineMessage)
{
    static const QString unique = QStringLiteral("UNIQUE constraint failed: ");
    if (!engineMessage.startsWith(unique))
        return engineMessage;
    const QString columns = engineMessage.mid(unique.size()).trimmed();
    static const QList<std::pair<QString, QString>> messages = {
        {QStringLiteral("csoport.csoport"), QStringLiteral("Ilyen nevű csoport már van.")},
        {QStringLiteral("tulajdonos.tulajdonos"), QStringLiteral("Ilyen kulcsú feladó már van.")},
        {QStringLiteral("irsz.id"), QStringLiteral("Ilyen azonosítójú irányítószám már van.")},
        {QStringLiteral("irsz.irsz, irsz.varos"), QStringLiteral("Ilyen irányítószám és város már van.")},
        {QStringLiteral("cimke.id"), QStringLiteral("Ilyen azonosítójú címke már van.")},
        {QStringLiteral("cimke.cimke"), QStringLiteral("Ilyen nevű címke már van.")},
    };
    for (const auto &[key, message] : messages) {
        if (columns.compare(key, Qt::CaseInsensitive) == 0)
            return message;
    }
    return QStringLiteral("Ilyen adat már van (%1).").arg(columns);
}

void PositionOnStart(DataSet &list, const QString &column, const QVariant &start)
{
    const bool emptyText = start.typeId() == QMetaType::QString && start.toString().isEmpty();
    if (emptyText || !start.isValid() || !list.locateValue(column, start))
        list.first();
}

bool SearchList(DataSet &list, const QString &column, const QString &text)
{
    return list.locateNearest(column, text);
}

std::optional<QChar> SearchStartChar(QChar typed)
{
    const QChar c = typed.toLower();
    if ((c >= QLatin1Char('0') && c <= QLatin1Char('9')) || (c >= QLatin1Char('a') && c <= QLatin1Char('z')))
        return c;
    static const QString accented = QStringLiteral("áéíóöőúüű");
    if (accented.contains(c))
        return c;
    return std::nullopt;
}

QList<int> ListColumnWidths(const QList<double> &fractions, int gridWidth, int reserved)
{
    QList<int> widths;
    const int available = gridWidth - reserved;
    for (double fraction : fractions)
        widths.append(int(available * fraction)); // truncated towards zero, as the layout wants
    return widths;
}

bool IsNumberChar(QChar c, bool wholeNumber)
{
    if ((c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('+') || c == QLatin1Char('-'))
        return true;
    return !wholeNumber
        && (c == QLatin1Char('e') || c == QLatin1Char('E') || c == QLatin1Char('.') || c == QLatin1Char(','));
}

std::optional<QVariant> ParseNumberField(const QString &text, bool wholeNumber)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return QVariant();
    if (wholeNumber) {
        static const QRegularExpression integer(QStringLiteral("^[+-]?[0-9]+$"));
        if (!integer.match(trimmed).hasMatch())
            return std::nullopt;
        bool ok = false;
        const qint64 value = trimmed.toLongLong(&ok);
        if (!ok)
            return std::nullopt;
        return QVariant(value);
    }
    static const QRegularExpression real(
        QStringLiteral("^[+-]?([0-9]+([.,][0-9]*)?|[.,][0-9]+)([eE][+-]?[0-9]+)?$"));
    if (!real.match(trimmed).hasMatch())
        return std::nullopt;
    QString normal = trimmed;
    normal.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double value = QLocale::c().toDouble(normal, &ok);
    if (!ok || !qIsFinite(value))
        return std::nullopt;
    return QVariant(value);
}

QString NotANumberMessage(const QString &text)
{
    return QStringLiteral("'%1' nem érvényes szám.").arg(text);
}

QString ListNumberText(double value, int decimals)
{
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(value, 'f', decimals);
}

LabelFormat LabelFormatOf(const DataSet &list)
{
    LabelFormat format;
    format.felsomargo = list.asFloat(QStringLiteral("felsomargo"));
    format.szelsomargo = list.asFloat(QStringLiteral("szelsomargo"));
    format.cimkemagas = list.asFloat(QStringLiteral("cimkemagas"));
    format.oszlop = int(list.asInteger(QStringLiteral("oszlop")));
    return format;
}

GroupEvents &GroupEvents::instance()
{
    static GroupEvents events;
    return events;
}

} // namespace kartevo
