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

// The fingerprint of a client's six imported fields: the SHA-1, in hexadecimal, of the fields'
// UTF-8 text joined with the unit separator (0x1F). An SQL function, so that the engine hands
// over its own UTF-8 text and a large import is recorded, and checked, by one statement.
void FingerprintFunction(sqlite3_context *context, int argc, sqlite3_value **argv)
{
    // One hash object per thread, started again for every client: an import makes one
    // fingerprint per client.
    thread_local QCryptographicHash hash(QCryptographicHash::Sha1);
    hash.reset();
    for (int i = 0; i < argc; ++i) {
        if (i > 0)
            hash.addData(QByteArrayView("\x1f", 1));
        const auto *text = reinterpret_cast<const char *>(sqlite3_value_text(argv[i]));
        hash.addData(QByteArrayView(text, text ? sqlite3_value_bytes(argv[i]) : 0));
    }
    const QByteArrayView digest = hash.resultView();
    char hex[40];
    for (qsizetype i = 0; i < digest.size() && i < 20; ++i) {
        const auto byte = static_cast<unsigned char>(digest[i]);
        hex[2 * i] = "0123456789abcdef"[byte >> 4];
        hex[2 * i + 1] = "0123456789abcdef"[byte & 0xF];
    }
    sqlite3_result_text(context, hex, int(2 * std::min<qsizetype>(digest.size(), 20)), SQLITE_TRANSIENT);
}

// Makes kartevo_ujjlenyomat(six fields) known to the connection.
void AddFingerprintFunction(Database &db)
{
    // Defining it again while a statement runs is refused with SQLITE_BUSY; it is there then.
    const int result = sqlite3_create_function_v2(db.handle(), "kartevo_ujjlenyomat", 6,
                                                  SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                                                  FingerprintFunction, nullptr, nullptr, nullptr);
    if (result != SQLITE_OK && result != SQLITE_BUSY)
        throw Error(db.errorMessage());
}

const QString kFingerprintOfClient = QStringLiteral("kartevo_ujjlenyomat(%1)").arg(kClientFields);

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

struct ImportRecorder::Statements {
    Database &db;
    qint64 record = 0;
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
        db, record, Statement(db, QStringLiteral("INSERT OR IGNORE INTO betoltes_csoport (betoltes, csoport) VALUES (?, ?)"))});
}

ImportRecorder::~ImportRecorder() = default;

void ImportRecorder::addClientsFrom(qint64 firstClient)
{
    Database &db = m_statements->db;
    AddFingerprintFunction(db);
    Statement insert(db, QStringLiteral("INSERT INTO betoltes_ugyfel (betoltes, ugyfel, ujjlenyomat) "
                                        "SELECT ?, ugyfel, %1 FROM ugyfel WHERE ugyfel >= ?")
                             .arg(kFingerprintOfClient));
    insert.bind(1, m_statements->record);
    insert.bind(2, firstClient);
    insert.exec();
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
        recorder.addClientsFrom(baseline.nextClient);
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
    AddFingerprintFunction(db);
    Statement clients(db, QStringLiteral("SELECT r.ujjlenyomat IS %1, u.ugyfel_nev FROM betoltes_ugyfel r "
                                         "JOIN ugyfel u ON u.ugyfel = r.ugyfel WHERE r.betoltes = ? ORDER BY u.ugyfel")
                              .arg(kFingerprintOfClient));
    clients.bind(1, found.record);
    while (clients.step()) {
        ++found.clients;
        if (clients.column(0).toInt() == 0)
            found.edited.append(clients.column(1).toString());
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
