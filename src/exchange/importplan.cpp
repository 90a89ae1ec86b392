#include "exchange/importplan.h"

#include "core/bulkload.h"
#include "core/database.h"
#include "core/error.h"
#include "core/schema.h"
#include "core/statement.h"
#include "core/tableview.h"
#include "exchange/csvimport.h"
#include "exchange/importlog.h"
#include "exchange/textparameters.h"
#include "masterdata/addresscheck.h"

#include <QHash>
#include <QSet>

#include <sqlite3.h>

namespace kartevo {

namespace {

const char *const kFieldColumns[kClientFieldCount] = {"ugyfel_nev", "kapcsolat", "cim_irsz",
                                                      "cim_varos",  "cim_cim",   "csoport"};

QString AddressKey(const QString &postalCode, const QString &street)
{
    const QString code = postalCode.trimmed();
    const QString key = StreetKey(street);
    return code.isEmpty() || key.isEmpty() ? QString() : code + u'\x1f' + key;
}

// The keys a row or a client is compared by: its name key, and its postal code with street key.
struct RowKeys {
    QString name;
    QString address;
    RowKeys(const QString &name, const QString &postalCode, const QString &street)
        : name(NameKey(name)), address(AddressKey(postalCode, street))
    {
    }
};

// Keys of what is already there: the first client or row of each name key and address key.
template <typename T>
struct DuplicateKeys {
    QHash<QString, T> names;
    QHash<QString, T> addresses;
    void add(const RowKeys &keys, T owner)
    {
        if (!keys.name.isEmpty() && !names.contains(keys.name))
            names.insert(keys.name, owner);
        if (!keys.address.isEmpty() && !addresses.contains(keys.address))
            addresses.insert(keys.address, owner);
    }
    std::optional<T> find(const RowKeys &keys) const
    {
        if (!keys.name.isEmpty()) {
            const auto found = names.constFind(keys.name);
            if (found != names.cend())
                return *found;
        }
        if (!keys.address.isEmpty()) {
            const auto found = addresses.constFind(keys.address);
            if (found != addresses.cend())
                return *found;
        }
        return std::nullopt;
    }
};

// Runs a prepared statement that has no result and can run again.
void Run(Statement &statement)
{
    statement.exec();
    statement.reset();
}

} // namespace

ImportPlan PlanImport(Database &db, const SourceTable &table, const ImportMapping &mapping)
{
    if (!mapping.givesName())
        throw Error(QStringLiteral("Nem derül ki, melyik oszlop az ügyfelek neve: válassza ki a név oszlopát "
                                   "(vagy a cégnév, családi név és utónév oszlopát)."));
    ImportPlan plan;
    const QStringList clientColumns = db.columnNames(QStringLiteral("ugyfel"));
    const QList<int> clientWidths = db.columnWidths(QStringLiteral("ugyfel"));
    int widths[kClientFieldCount];
    for (int i = 0; i < kClientFieldCount; ++i)
        widths[i] = clientWidths.value(clientColumns.indexOf(QLatin1String(kFieldColumns[i]), 0));
    widths[FieldGroup] = std::min(widths[FieldGroup], db.columnWidth(QStringLiteral("csoport"), QStringLiteral("csoport")));

    const PostalTowns towns(db);
    DuplicateKeys<qint64> clients;
    {
        Statement read(db, QStringLiteral("SELECT ugyfel, ugyfel_nev, cim_irsz, cim_cim FROM ugyfel ORDER BY ugyfel"));
        while (read.step())
            clients.add(RowKeys(read.column(1).toString(), read.column(2).toString(), read.column(3).toString()),
                        read.column(0).toLongLong());
    }
    DuplicateKeys<int> rows;

    plan.rows.reserve(table.rows.size());
    for (int index = mapping.header ? 1 : 0; index < table.rows.size(); ++index) {
        PlannedRow row;
        row.sourceRow = index;
        row.fields = MapRow(mapping, table.rows.at(index));
        if (std::all_of(row.fields.begin(), row.fields.end(), [](const QString &v) { return v.isEmpty(); }))
            continue;
        for (int i = 0; i < kClientFieldCount; ++i) {
            if (widths[i] > 0 && row.fields[size_t(i)].size() > widths[i]) {
                row.fields[size_t(i)] = CutToWidth(row.fields[size_t(i)], widths[i]);
                ++row.cutValues;
            }
        }
        const QString &code = row.fields[FieldPostalCode];
        const QString &town = row.fields[FieldTown];
        row.townMismatch = !town.isEmpty() && towns.hasCode(code) && !towns.townMatches(code, town);
        const RowKeys keys(row.fields[FieldName], code, row.fields[FieldStreet]);
        row.duplicateClient = clients.find(keys).value_or(0);
        if (row.duplicateClient == 0)
            row.duplicateRow = rows.find(keys).value_or(-1);
        rows.add(keys, index);

        plan.cutValues += row.cutValues;
        plan.townMismatches += row.townMismatch ? 1 : 0;
        plan.duplicates += row.isDuplicate() ? 1 : 0;
        plan.rows.append(std::move(row));
    }
    return plan;
}

QString RowFindingText(const PlannedRow &row)
{
    QStringList found;
    if (row.townMismatch)
        found.append(QStringLiteral("A helység nem ehhez az irányítószámhoz tartozik."));
    if (row.duplicateClient != 0)
        found.append(QStringLiteral("Már szerepel: %1. ügyfél.").arg(row.duplicateClient));
    else if (row.duplicateRow >= 0)
        found.append(QStringLiteral("Ugyanaz, mint a fájl %1. sora.").arg(row.duplicateRow + 1));
    if (row.cutValues > 0)
        found.append(QStringLiteral("%1 érték levágva.").arg(row.cutValues));
    return found.join(u' ');
}

QString ImportOutcomeText(const ImportOutcome &outcome)
{
    return QStringLiteral("%1 ügyfél és %2 új csoport betöltve; %3 duplikátum kihagyva; %4 érték levágva")
        .arg(outcome.clients)
        .arg(outcome.groups)
        .arg(outcome.skipped)
        .arg(outcome.cut);
}

ImportOutcome RunImport(Database &db, const ImportPlan &plan, bool skipDuplicates, const QString &source,
                        const ImportProgress &progress, bool dryRun)
{
    QStringList columns = {QStringLiteral("ugyfel"), QStringLiteral("jelolve")};
    for (const char *column : kFieldColumns)
        columns.append(QLatin1String(column));
    QList<int> keyFields; // the field each sort key is made from
    for (const SortKeyColumn &key : ClientSortKeyColumns()) {
        for (int i = 0; i < kClientFieldCount; ++i) {
            if (key.column == QLatin1String(kFieldColumns[i])) {
                columns.append(key.key);
                keyFields.append(i);
            }
        }
    }
    const QStringList marks(columns.size(), QStringLiteral("?"));

    ImportOutcome outcome;
    if (sqlite3_get_autocommit(db.handle()) == 0)
        throw Error(QStringLiteral("Az importálás nem indítható egy folyamatban lévő tranzakción belül."));
    db.exec(QStringLiteral("BEGIN"));
    try {
        Statement insertClient(db, QStringLiteral("INSERT INTO ugyfel (%1) VALUES (%2)")
                                       .arg(columns.join(QStringLiteral(", ")), marks.join(QStringLiteral(", "))));
        Statement insertGroup(db, QStringLiteral("INSERT INTO csoport (csoport, csoports) VALUES (?, ?)"));
        QSet<QString> groups;
        {
            Statement read(db, QStringLiteral("SELECT csoport FROM csoport"));
            while (read.step())
                groups.insert(GroupMatchKey(read.column(0).toString()));
        }
        ImportRecorder recorder(db, source);
        BulkLoad load(db, QStringLiteral("ugyfel"), plan.rows.size());
        const qint64 firstKey = NextId(db, QStringLiteral("ugyfel"));
        qint64 key = firstKey;
        TextParameters texts;
        QSet<QString> seenGroups;
        int done = 0;
        for (const PlannedRow &row : plan.rows) {
            ++done;
            if (skipDuplicates && row.isDuplicate()) {
                ++outcome.skipped;
            } else {
                QString sortKeys[kClientFieldCount];
                texts.clear();
                texts.add(u"N");
                for (const QString &field : row.fields)
                    texts.add(field);
                for (int i = 0; i < keyFields.size(); ++i) {
                    sortKeys[i] = SortKey(row.fields[size_t(keyFields.at(i))]);
                    texts.add(sortKeys[i]);
                }
                try {
                    insertClient.bind(1, key);
                    texts.bindTo(db, insertClient, 2);
                    Run(insertClient);
                } catch (const Error &e) {
                    throw Error(QStringLiteral("A fájl %1. sora nem tölthető be: %2\nEgy ügyfél sem került be.")
                                    .arg(row.sourceRow + 1)
                                    .arg(e.message()));
                }
                ++key;
                ++outcome.clients;
                outcome.cut += row.cutValues;
                const QString &group = row.fields[FieldGroup];
                // A name seen before (most rows) needs no key made.
                const bool seen = group.isEmpty() || seenGroups.contains(group);
                if (!seen)
                    seenGroups.insert(group);
                if (!seen && !groups.contains(GroupMatchKey(group))) {
                    insertGroup.bind(1, group);
                    insertGroup.bind(2, SortKey(group));
                    Run(insertGroup);
                    groups.insert(GroupMatchKey(group));
                    recorder.addGroup(group);
                    ++outcome.groups;
                }
            }
            if (progress && !progress(done, int(plan.rows.size()))) {
                RunSQL(db, QStringLiteral("ROLLBACK"));
                return ImportOutcome{0, 0, 0, 0, true};
            }
        }
        load.finish();
        recorder.addClientsFrom(firstKey);
        // An import that stored nothing leaves no record to take back.
        db.exec(dryRun || outcome.clients == 0 ? QStringLiteral("ROLLBACK") : QStringLiteral("COMMIT"));
    } catch (...) {
        if (sqlite3_get_autocommit(db.handle()) == 0)
            RunSQL(db, QStringLiteral("ROLLBACK"));
        throw;
    }
    return outcome;
}

} // namespace kartevo
