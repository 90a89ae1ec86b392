#include "exchange/importlog.h"

#include "core/database.h"
#include "core/error.h"
#include "core/schema.h"
#include "core/statement.h"
#include "exchange/csvimport.h"

#include <QCryptographicHash>
#include <QDateTime>

#include <sqlite3.h>

namespace kartevo {

namespace {

// The fields of a client as the fingerprint reads them.
const QString kClientFields = QStringLiteral("ugyfel_nev, kapcsolat, cim_irsz, cim_varos, cim_cim, csoport");

std::array<QString, 6> FieldsOf(const Statement &statement, int first)
{
    std::array<QString, 6> fields;
    for (int i = 0; i < 6; ++i)
        fields[size_t(i)] = statement.column(first + i).toString();
    return fields;
}

// Runs the work in a transaction of its own; a failure takes everything back.
template <typename Work>
void InTransaction(Database &db, Work work)
{
    db.exec(QStringLiteral("BEGIN"));
    try {
        work();
        db.exec(QStringLiteral("COMMIT"));
    } catch (...) {
        if (sqlite3_get_autocommit(db.handle()) == 0)
            RunSQL(db, QStringLiteral("ROLLBACK"));
        throw;
    }
}

} // namespace

QString ClientFingerprint(const std::array<QString, 6> &fields)
{
    QStringList parts(fields.begin(), fields.end());
    return QString::fromLatin1(
        QCryptographicHash::hash(parts.join(QChar(0x1f)).toUtf8(), QCryptographicHash::Sha1).toHex());
}

struct ImportRecorder::Statements {
    qint64 record = 0;
    Statement client;
    Statement group;
};

ImportRecorder::ImportRecorder(Database &db, const QString &source)
{
    const qint64 record = NextId(db, QStringLiteral("betoltes"));
    Statement insert(db, QStringLiteral("INSERT INTO betoltes (betoltes, idopont, forras) VALUES (?, ?, ?)"));
    insert.bind(1, record);
    insert.bind(2, QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
    insert.bind(3, source);
    insert.exec();
    m_statements.reset(new Statements{
        record,
        Statement(db, QStringLiteral("INSERT INTO betoltes_ugyfel (betoltes, ugyfel, ujjlenyomat) VALUES (?, ?, ?)")),
        Statement(db, QStringLiteral("INSERT OR IGNORE INTO betoltes_csoport (betoltes, csoport) VALUES (?, ?)"))});
}

ImportRecorder::~ImportRecorder() = default;

void ImportRecorder::addClient(qint64 client, const std::array<QString, 6> &fields)
{
    Statement &insert = m_statements->client;
    insert.bind(1, m_statements->record);
    insert.bind(2, client);
    insert.bind(3, ClientFingerprint(fields));
    insert.exec();
    insert.reset();
}

void ImportRecorder::addGroup(const QString &group)
{
    Statement &insert = m_statements->group;
    insert.bind(1, m_statements->record);
    insert.bind(2, group);
    insert.exec();
    insert.reset();
}

ImportBaseline TakeImportBaseline(Database &db)
{
    ImportBaseline baseline;
    baseline.nextClient = NextId(db, QStringLiteral("ugyfel"));
    Statement read(db, QStringLiteral("SELECT csoport FROM csoport"));
    while (read.step())
        baseline.groups.insert(read.column(0).toString());
    return baseline;
}

void RecordImportSince(Database &db, const ImportBaseline &baseline, const QString &source)
{
    if (NextId(db, QStringLiteral("ugyfel")) <= baseline.nextClient)
        return; // nothing added, nothing to take back
    InTransaction(db, [&] {
        ImportRecorder recorder(db, source);
        Statement clients(db, QStringLiteral("SELECT ugyfel, %1 FROM ugyfel WHERE ugyfel >= ? ORDER BY ugyfel")
                                  .arg(kClientFields));
        clients.bind(1, baseline.nextClient);
        while (clients.step())
            recorder.addClient(clients.column(0).toLongLong(), FieldsOf(clients, 1));
        Statement groups(db, QStringLiteral("SELECT csoport FROM csoport"));
        while (groups.step()) {
            const QString group = groups.column(0).toString();
            if (!baseline.groups.contains(group))
                recorder.addGroup(group);
        }
    });
}

std::optional<LastImport> FindLastImport(Database &db)
{
    Statement last(db, QStringLiteral("SELECT betoltes, forras, idopont FROM betoltes ORDER BY betoltes DESC LIMIT 1"));
    if (!last.step())
        return std::nullopt;
    LastImport found;
    found.record = last.column(0).toLongLong();
    found.source = last.column(1).toString();
    found.when = last.column(2).toString();
    Statement clients(db, QStringLiteral("SELECT r.ujjlenyomat, %1 FROM betoltes_ugyfel r "
                                         "JOIN ugyfel u ON u.ugyfel = r.ugyfel WHERE r.betoltes = ? ORDER BY u.ugyfel")
                              .arg(kClientFields));
    clients.bind(1, found.record);
    while (clients.step()) {
        ++found.clients;
        const std::array<QString, 6> fields = FieldsOf(clients, 1);
        if (ClientFingerprint(fields) != clients.column(0).toString())
            found.edited.append(fields[0]);
    }
    Statement groups(db, QStringLiteral("SELECT count(*) FROM betoltes_csoport r JOIN csoport c ON c.csoport = r.csoport "
                                        "WHERE r.betoltes = ?"));
    groups.bind(1, found.record);
    if (groups.step())
        found.groups = groups.column(0).toInt();
    return found;
}

QString UndoQuestion(const LastImport &last)
{
    QString question = QStringLiteral("Visszavonja a(z) %1 betöltését (%2)? %3 ügyfél törlődik.")
                           .arg(last.source, last.when)
                           .arg(last.clients);
    if (!last.edited.isEmpty())
        question += QStringLiteral("\nA betöltés óta módosított ügyfelek, ezek is törlődnek: %1.")
                        .arg(last.edited.join(QStringLiteral(", ")));
    return question;
}

QString UndoLastImport(Database &db)
{
    const std::optional<LastImport> last = FindLastImport(db);
    if (!last)
        throw Error(QStringLiteral("Nincs visszavonható betöltés."));
    int clients = 0;
    int groups = 0;
    InTransaction(db, [&] {
        Statement removeClients(db, QStringLiteral(
            "DELETE FROM ugyfel WHERE ugyfel IN (SELECT ugyfel FROM betoltes_ugyfel WHERE betoltes = ?)"));
        removeClients.bind(1, last->record);
        removeClients.exec();
        clients = db.changes();

        // A group it made stays while any other client is in it (groups compare as imports compare).
        QSet<QString> used;
        Statement clientGroups(db, QStringLiteral("SELECT DISTINCT csoport FROM ugyfel WHERE csoport IS NOT NULL"));
        while (clientGroups.step())
            used.insert(GroupMatchKey(clientGroups.column(0).toString()));
        Statement madeGroups(db, QStringLiteral("SELECT csoport FROM betoltes_csoport WHERE betoltes = ?"));
        madeGroups.bind(1, last->record);
        Statement removeGroup(db, QStringLiteral("DELETE FROM csoport WHERE csoport = ?"));
        while (madeGroups.step()) {
            const QString group = madeGroups.column(0).toString();
            if (used.contains(GroupMatchKey(group)))
                continue;
            removeGroup.bind(1, group);
            removeGroup.exec();
            groups += db.changes();
            removeGroup.reset();
        }
        for (const char *table : {"betoltes_ugyfel", "betoltes_csoport", "betoltes"}) {
            Statement forget(db, QStringLiteral("DELETE FROM %1 WHERE betoltes = ?").arg(QLatin1String(table)));
            forget.bind(1, last->record);
            forget.exec();
        }
    });
    return QStringLiteral("%1 ügyfél és %2 csoport törölve (%3).").arg(clients).arg(groups).arg(last->source);
}

QString RememberedMapping(Database &db, const QString &headerKey)
{
    Statement read(db, QStringLiteral("SELECT terkep FROM betoltes_terkep WHERE fejlec = ?"));
    read.bind(1, headerKey);
    return read.step() ? read.column(0).toString() : QString();
}

void RememberMapping(Database &db, const QString &headerKey, const QString &mappingText)
{
    Statement write(db, QStringLiteral("INSERT OR REPLACE INTO betoltes_terkep (fejlec, terkep) VALUES (?, ?)"));
    write.bind(1, headerKey);
    write.bind(2, mappingText);
    write.exec();
}

} // namespace kartevo
