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

#include <optional>
#include <vector>

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

// The first owner of each key, the keys side by side in one block of memory: an import of
// 100,000 rows looks up two keys of every row and keeps them all, and a hash of strings each
// of its own would fetch three places of memory for every key and free 200,000 strings.
template <typename T>
class FirstOwners {
public:
    // The owner of the key; a key not there yet becomes the owner's, and none is given.
    std::optional<T> findOrAdd(QStringView key, T owner)
    {
        if (key.isEmpty())
            return std::nullopt;
        if ((m_entries.size() + 1) * 2 > m_slots.size())
            grow();
        const size_t hash = qHash(key, m_seed);
        Slot &slot = m_slots[place(key, hash)];
        if (slot.entry != kEmpty)
            return m_entries[slot.entry].owner;
        slot = {Tag(hash), quint32(m_entries.size())};
        m_entries.push_back({m_text.size(), key.size(), owner});
        m_text.append(key);
        return std::nullopt;
    }
    std::optional<T> owner(QStringView key) const
    {
        if (key.isEmpty() || m_slots.empty())
            return std::nullopt;
        const Slot &slot = m_slots[place(key, qHash(key, m_seed))];
        return slot.entry == kEmpty ? std::nullopt : std::optional<T>(m_entries[slot.entry].owner);
    }

private:
    static constexpr quint32 kEmpty = 0xffffffff;
    struct Slot {
        quint32 tag = 0; // high bits of the key's hash: most other keys differ in them
        quint32 entry = kEmpty;
    };
    struct Entry {
        qsizetype from;
        qsizetype length;
        T owner;
    };
    static quint32 Tag(size_t hash) { return quint32(quint64(hash) >> 32); }
    QStringView text(const Entry &entry) const { return QStringView(m_text).sliced(entry.from, entry.length); }

    // The place of the key's slot, or of the empty one where it would go.
    size_t place(QStringView key, size_t hash) const
    {
        const size_t mask = m_slots.size() - 1;
        for (size_t i = hash & mask;; i = (i + 1) & mask) {
            const Slot &slot = m_slots[i];
            if (slot.entry == kEmpty || (slot.tag == Tag(hash) && text(m_entries[slot.entry]) == key))
                return i;
        }
    }
    void grow()
    {
        m_slots.assign(std::max<size_t>(1024, m_slots.size() * 2), Slot());
        for (quint32 entry = 0; entry < m_entries.size(); ++entry) {
            const size_t hash = qHash(text(m_entries[entry]), m_seed);
            m_slots[place(text(m_entries[entry]), hash)] = {Tag(hash), entry};
        }
    }

    size_t m_seed = QHashSeed::globalSeed();
    std::vector<Slot> m_slots; // a power of two, at most half of them taken
    std::vector<Entry> m_entries;
    QString m_text;
};

// Keys of what is already there: the first client or row of each name key and address key.
template <typename T>
struct DuplicateKeys {
    FirstOwners<T> names;
    FirstOwners<T> addresses;
    // Gives the owner of the name key, or else of the address key, and takes the keys that are
    // not there yet for the new owner.
    std::optional<T> findOrAdd(const RowKeys &keys, T owner)
    {
        const std::optional<T> byName = names.findOrAdd(keys.name, owner);
        const std::optional<T> byAddress = addresses.findOrAdd(keys.address, owner);
        return byName ? byName : byAddress;
    }
    std::optional<T> find(const RowKeys &keys) const
    {
        const std::optional<T> byName = names.owner(keys.name);
        return byName ? byName : addresses.owner(keys.address);
    }
};

// Runs a prepared statement that has no result and can run again.
void Run(Statement &statement)
{
    statement.exec();
    statement.reset();
}

} // namespace

struct ImportPlanner::State {
    const ImportMapping &mapping;
    int widths[kClientFieldCount] = {};
    PostalTowns towns;
    DuplicateKeys<qint64> clients;
    DuplicateKeys<int> rows;
};

ImportPlanner::ImportPlanner(Database &db, const ImportMapping &mapping)
{
    if (!mapping.givesName())
        throw Error(QStringLiteral("Nem derül ki, melyik oszlop az ügyfelek neve: válassza ki a név oszlopát "
                                   "(vagy a cégnév, családi név és utónév oszlopát)."));
    d.reset(new State{mapping, {}, PostalTowns(db), {}, {}});
    const QStringList clientColumns = db.columnNames(QStringLiteral("ugyfel"));
    const QList<int> clientWidths = db.columnWidths(QStringLiteral("ugyfel"));
    for (int i = 0; i < kClientFieldCount; ++i)
        d->widths[i] = clientWidths.value(clientColumns.indexOf(QLatin1String(kFieldColumns[i]), 0));
    d->widths[FieldGroup] =
        std::min(d->widths[FieldGroup], db.columnWidth(QStringLiteral("csoport"), QStringLiteral("csoport")));
    Statement read(db, QStringLiteral("SELECT ugyfel, ugyfel_nev, cim_irsz, cim_cim FROM ugyfel ORDER BY ugyfel"));
    while (read.step())
        d->clients.findOrAdd(RowKeys(read.column(1).toString(), read.column(2).toString(), read.column(3).toString()),
                             read.column(0).toLongLong());
}

ImportPlanner::~ImportPlanner() = default;

bool ImportPlanner::plan(int sourceRow, const QStringList &cells, PlannedRow &row)
{
    row = PlannedRow();
    row.sourceRow = sourceRow;
    row.fields = MapRow(d->mapping, cells);
    if (std::all_of(row.fields.begin(), row.fields.end(), [](const QString &v) { return v.isEmpty(); }))
        return false;
    for (int i = 0; i < kClientFieldCount; ++i) {
        if (d->widths[i] > 0 && row.fields[size_t(i)].size() > d->widths[i]) {
            row.fields[size_t(i)] = CutToWidth(row.fields[size_t(i)], d->widths[i]);
            ++row.cutValues;
        }
    }
    const QString &code = row.fields[FieldPostalCode];
    const QString &town = row.fields[FieldTown];
    row.townMismatch = !town.isEmpty() && d->towns.townDisagrees(code, town);
    const RowKeys keys(row.fields[FieldName], code, row.fields[FieldStreet]);
    const std::optional<int> earlierRow = d->rows.findOrAdd(keys, sourceRow);
    row.duplicateClient = d->clients.find(keys).value_or(0);
    if (row.duplicateClient == 0)
        row.duplicateRow = earlierRow.value_or(-1);
    return true;
}

ImportPlan PlanImport(Database &db, const SourceTable &table, const ImportMapping &mapping)
{
    ImportPlanner planner(db, mapping);
    ImportPlan plan;
    plan.rows.reserve(table.rows.size());
    PlannedRow row;
    for (int index = mapping.header ? 1 : 0; index < table.rows.size(); ++index) {
        if (!planner.plan(index, table.rows.at(index), row))
            continue;
        plan.cutValues += row.cutValues;
        plan.townMismatches += row.townMismatch ? 1 : 0;
        plan.duplicates += row.isDuplicate() ? 1 : 0;
        plan.rows.append(std::move(row));
    }
    return plan;
}

QString RowFindingText(const PlannedRow &row)
{
    // Put together piece by piece: the batch import writes one for most rows of a large file.
    QString found;
    const auto add = [&found](QStringView text) {
        if (!found.isEmpty())
            found += u' ';
        found += text;
    };
    if (row.townMismatch)
        add(u"A helység nem ehhez az irányítószámhoz tartozik.");
    if (row.duplicateClient != 0)
        add(QStringLiteral("Már szerepel: ") + QString::number(row.duplicateClient) + QStringLiteral(". ügyfél."));
    else if (row.duplicateRow >= 0)
        add(QStringLiteral("Ugyanaz, mint a fájl ") + QString::number(row.duplicateRow + 1) + QStringLiteral(". sora."));
    if (row.cutValues > 0)
        add(QString::number(row.cutValues) + QStringLiteral(" érték levágva."));
    return found;
}

QString ImportOutcomeText(const ImportOutcome &outcome)
{
    return QStringLiteral("%1 ügyfél és %2 új csoport betöltve; %3 duplikátum kihagyva; %4 érték levágva")
        .arg(outcome.clients)
        .arg(outcome.groups)
        .arg(outcome.skipped)
        .arg(outcome.cut);
}

struct ImportWriter::State {
    State(Database &db, const QString &source, bool skipDuplicates)
        : db(db)
        , skipDuplicates(skipDuplicates)
        , insertClient(db, InsertClientStatement(keyFields))
        , insertGroup(db, QStringLiteral("INSERT INTO csoport (csoport, csoports) VALUES (?, ?)"))
        , recorder(db, source)
        , load(db, QStringLiteral("ugyfel"))
        , key(NextId(db, QStringLiteral("ugyfel")))
    {
        Statement read(db, QStringLiteral("SELECT csoport FROM csoport"));
        while (read.step())
            groups.insert(GroupMatchKey(read.column(0).toString()));
    }

    // The INSERT of a client: key, mark, the six fields and the sort keys, with the field each
    // sort key is made from.
    static QString InsertClientStatement(QList<int> &keyFields)
    {
        QStringList columns = {QStringLiteral("ugyfel"), QStringLiteral("jelolve")};
        for (const char *column : kFieldColumns)
            columns.append(QLatin1String(column));
        for (const SortKeyColumn &sortKey : ClientSortKeyColumns()) {
            for (int i = 0; i < kClientFieldCount; ++i) {
                if (sortKey.column == QLatin1String(kFieldColumns[i])) {
                    columns.append(sortKey.key);
                    keyFields.append(i);
                }
            }
        }
        const QStringList marks(columns.size(), QStringLiteral("?"));
        return QStringLiteral("INSERT INTO ugyfel (%1) VALUES (%2)")
            .arg(columns.join(QStringLiteral(", ")), marks.join(QStringLiteral(", ")));
    }

    Database &db;
    bool skipDuplicates;
    QList<int> keyFields;
    Statement insertClient;
    Statement insertGroup;
    ImportRecorder recorder;
    ImportedClients added;
    BulkLoad load;
    qint64 key;
    QSet<QString> groups;     // the group list's names, as imports compare them
    QSet<QString> seenGroups; // the names met so far, as they are written
    TextParameters texts;
    qint64 rows = 0;
    ImportOutcome outcome;
    bool open = true;
};

// Begins the transaction of the writer; nothing may be open already.
Database &BeginImport(Database &db)
{
    if (sqlite3_get_autocommit(db.handle()) == 0)
        throw Error(QStringLiteral("Az importálás nem indítható egy folyamatban lévő tranzakción belül."));
    db.exec(QStringLiteral("BEGIN"));
    return db;
}

ImportWriter::ImportWriter(Database &db, const QString &source, bool skipDuplicates)
{
    BeginImport(db);
    try {
        d.reset(new State(db, source, skipDuplicates));
    } catch (...) {
        if (sqlite3_get_autocommit(db.handle()) == 0)
            RunSQL(db, QStringLiteral("ROLLBACK"));
        throw;
    }
}

ImportWriter::~ImportWriter()
{
    if (d && d->open)
        abandon();
}

void ImportWriter::expect(qint64 rows)
{
    d->added.reserve(rows);
    d->load.adding(rows);
}

void ImportWriter::write(const PlannedRow &row)
{
    ++d->rows;
    if (d->skipDuplicates && row.isDuplicate()) {
        ++d->outcome.skipped;
        return;
    }
    // Rows that come one by one set the index aside once they outnumber the clients there.
    if (d->rows % 1024 == 0)
        d->load.adding(d->rows);
    TextParameters &texts = d->texts;
    texts.clear();
    texts.add(u"N");
    for (const QString &field : row.fields)
        texts.add(field);
    try {
        d->insertClient.bind(1, d->key);
        texts.bindTo(d->db, d->insertClient, 2);
        // The sort keys from the fields' UTF-8 text (the texts after the mark).
        char keys[kClientFieldCount][kSortKeyUtf8Size];
        for (int i = 0; i < d->keyFields.size(); ++i) {
            const qsizetype size = SortKeyOfUtf8(texts.utf8(1 + d->keyFields.at(i)), keys[i]);
            BindUtf8(d->db, d->insertClient, 2 + 1 + kClientFieldCount + i, QByteArrayView(keys[i], size));
        }
        Run(d->insertClient);
    } catch (const Error &e) {
        d->insertClient.reset();
        throw Error(QStringLiteral("A fájl %1. sora nem tölthető be: %2\nEgy ügyfél sem került be.")
                        .arg(row.sourceRow + 1)
                        .arg(e.message()));
    }
    // The texts after the mark are the six fields.
    d->added.add(d->key, {texts.utf8(1), texts.utf8(2), texts.utf8(3), texts.utf8(4), texts.utf8(5), texts.utf8(6)});
    ++d->key;
    ++d->outcome.clients;
    d->outcome.cut += row.cutValues;
    const QString &group = row.fields[FieldGroup];
    // A name seen before (most rows) needs no key made.
    if (group.isEmpty() || d->seenGroups.contains(group))
        return;
    d->seenGroups.insert(group);
    const QString groupKey = GroupMatchKey(group);
    if (d->groups.contains(groupKey))
        return;
    d->insertGroup.bind(1, group);
    d->insertGroup.bind(2, SortKey(group));
    Run(d->insertGroup);
    d->groups.insert(groupKey);
    d->recorder.addGroup(group);
    ++d->outcome.groups;
}

ImportOutcome ImportWriter::finish(bool dryRun)
{
    try {
        d->load.finish();
        if (!dryRun)
            d->recorder.addClients(d->added);
        // An import that stored nothing leaves no record to take back.
        d->db.exec(dryRun || d->outcome.clients == 0 ? QStringLiteral("ROLLBACK") : QStringLiteral("COMMIT"));
        d->open = false;
    } catch (...) {
        abandon();
        throw;
    }
    return d->outcome;
}

void ImportWriter::abandon()
{
    d->open = false;
    if (sqlite3_get_autocommit(d->db.handle()) == 0)
        RunSQL(d->db, QStringLiteral("ROLLBACK"));
}

const ImportOutcome &ImportWriter::outcome() const
{
    return d->outcome;
}

ImportOutcome RunImport(Database &db, const ImportPlan &plan, bool skipDuplicates, const QString &source,
                        const ImportProgress &progress, bool dryRun)
{
    ImportWriter writer(db, source, skipDuplicates);
    writer.expect(plan.rows.size());
    int done = 0;
    for (const PlannedRow &row : plan.rows) {
        writer.write(row);
        if (progress && !progress(++done, int(plan.rows.size()))) {
            writer.abandon();
            return ImportOutcome{0, 0, 0, 0, true};
        }
    }
    return writer.finish(dryRun);
}

} // namespace kartevo
