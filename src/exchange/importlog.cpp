#include "exchange/importlog.h"

#include "core/database.h"
#include "core/error.h"
#include "core/schema.h"
#include "core/statement.h"
#include "exchange/csvimport.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QSet>
#include <QtEndian>

#include <sqlite3.h>

#include <algorithm>
#include <cstring>

namespace kartevo {

namespace {

// The fields of a client as the fingerprints read them.
const QString kClientFields = QStringLiteral("ugyfel_nev, kapcsolat, cim_irsz, cim_varos, cim_cim, csoport");

// Records written by earlier versions keep one row per client in betoltes_ugyfel, with the
// SHA-1, in hexadecimal, of the six fields' UTF-8 text joined with the unit separator (0x1F).
// kartevo_ujjlenyomat(six fields) computes it, to check such a record at the undo.
void Sha1FingerprintFunction(sqlite3_context *context, int argc, sqlite3_value **argv)
{
    thread_local QCryptographicHash hash(QCryptographicHash::Sha1);
    hash.reset();
    for (int i = 0; i < argc; ++i) {
        if (i > 0)
            hash.addData(QByteArrayView("\x1f", 1));
        const auto *text = reinterpret_cast<const char *>(sqlite3_value_text(argv[i]));
        hash.addData(QByteArrayView(text, text ? sqlite3_value_bytes(argv[i]) : 0));
    }
    const QByteArray hex = hash.resultView().toByteArray().toHex();
    sqlite3_result_text(context, hex.constData(), int(hex.size()), SQLITE_TRANSIENT);
}

void AddFingerprintFunction(Database &db)
{
    // Defining it again while a statement runs is refused with SQLITE_BUSY; it is there then.
    const int result = sqlite3_create_function_v2(db.handle(), "kartevo_ujjlenyomat", 6,
                                                  SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                                                  Sha1FingerprintFunction, nullptr, nullptr, nullptr);
    if (result != SQLITE_OK && result != SQLITE_BUSY)
        throw Error(db.errorMessage());
}

// The clients of an import are recorded in one row of betoltes_ugyfelek: a BLOB of 16-byte
// entries in key order, each the client's key and the fingerprint of its six fields, both
// 64-bit little-endian. One row instead of one per client keeps the record a small part of a
// large import's time.
constexpr qsizetype kEntrySize = 16;

// The fingerprint of a client's six fields, 64 bits: each field's length and then its UTF-8
// bytes eight at a time (little-endian, the last ones padded with zeros) mixed in as FNV-1a mixes
// bytes; NULL counts as empty. Every step can be undone, so a change of one field always changes
// the fingerprint.
quint64 FieldsFingerprint(const std::array<QByteArrayView, 6> &fields)
{
    constexpr quint64 kPrime = 0x100000001b3ULL;
    quint64 hash = 0xcbf29ce484222325ULL;
    for (const QByteArrayView field : fields) {
        hash = (hash ^ quint64(field.size())) * kPrime;
        const char *at = field.data();
        qsizetype left = field.size();
        for (; left > 0; at += 8, left -= 8) {
            char bytes[8] = {};
            std::memcpy(bytes, at, size_t(std::min<qsizetype>(left, 8)));
            hash = (hash ^ qFromLittleEndian<quint64>(bytes)) * kPrime;
        }
    }
    return hash;
}

// The six fields from column `first` of a row, valid until the row moves on.
std::array<QByteArrayView, 6> RowFields(sqlite3_stmt *row, int first)
{
    std::array<QByteArrayView, 6> fields;
    for (int i = 0; i < 6; ++i) {
        const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(row, first + i));
        fields[size_t(i)] = QByteArrayView(text, text ? sqlite3_column_bytes(row, first + i) : 0);
    }
    return fields;
}

struct RecordEntry {
    qint64 client;
    quint64 fingerprint;
};

RecordEntry EntryAt(const QByteArray &entries, qsizetype index)
{
    const char *at = entries.constData() + index * kEntrySize;
    return {qFromLittleEndian<qint64>(at), qFromLittleEndian<quint64>(at + 8)};
}

// The compact record of an import (empty when it has none).
QByteArray CompactRecord(Database &db, qint64 record)
{
    Statement read(db, QStringLiteral("SELECT ugyfelek FROM betoltes_ugyfelek WHERE betoltes = ?"));
    read.bind(1, record);
    QByteArray entries = read.step() ? read.column(0).toByteArray() : QByteArray();
    entries.truncate(entries.size() - entries.size() % kEntrySize);
    return entries;
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

void ImportedClients::reserve(qint64 clients)
{
    m_entries.reserve(qsizetype(clients) * kEntrySize);
}

void ImportedClients::add(qint64 client, const std::array<QByteArrayView, 6> &fields)
{
    char entry[kEntrySize];
    qToLittleEndian<qint64>(client, entry);
    qToLittleEndian<quint64>(FieldsFingerprint(fields), entry + 8);
    m_entries.append(entry, kEntrySize);
}

void ImportRecorder::addClients(const ImportedClients &clients)
{
    if (clients.isEmpty())
        return;
    Statement insert(m_statements->db, QStringLiteral("INSERT INTO betoltes_ugyfelek (betoltes, ugyfelek) VALUES (?, ?)"));
    insert.bind(1, m_statements->record);
    const QByteArray &entries = clients.entries();
    if (sqlite3_bind_blob(insert.handle(), 2, entries.constData(), int(entries.size()), SQLITE_STATIC) != SQLITE_OK)
        throw Error(m_statements->db.errorMessage());
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
    // The compact record and the clients of its key range, both in key order, side by side.
    const QByteArray entries = CompactRecord(db, found.record);
    const qsizetype count = entries.size() / kEntrySize;
    if (count > 0) {
        Statement current(db, QStringLiteral("SELECT ugyfel, %1, ugyfel_nev FROM ugyfel "
                                             "WHERE ugyfel BETWEEN ? AND ? ORDER BY ugyfel").arg(kClientFields));
        current.bind(1, EntryAt(entries, 0).client);
        current.bind(2, EntryAt(entries, count - 1).client);
        qsizetype index = 0;
        while (index < count && current.step()) {
            const qint64 client = sqlite3_column_int64(current.handle(), 0);
            while (index < count && EntryAt(entries, index).client < client)
                ++index;
            if (index == count || EntryAt(entries, index).client != client)
                continue;
            ++found.clients;
            if (FieldsFingerprint(RowFields(current.handle(), 1)) != EntryAt(entries, index).fingerprint)
                found.edited.append(current.column(7).toString());
        }
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
        // The compact record's keys, a run of consecutive keys at a time.
        const QByteArray entries = CompactRecord(db, last->record);
        const qsizetype count = entries.size() / kEntrySize;
        Statement removeRun(db, QStringLiteral("DELETE FROM ugyfel WHERE ugyfel BETWEEN ? AND ?"));
        for (qsizetype first = 0; first < count;) {
            qsizetype end = first + 1;
            while (end < count && EntryAt(entries, end).client == EntryAt(entries, end - 1).client + 1)
                ++end;
            removeRun.bind(1, EntryAt(entries, first).client);
            removeRun.bind(2, EntryAt(entries, end - 1).client);
            removeRun.exec();
            clients += db.changes();
            removeRun.reset();
            first = end;
        }

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
        for (const char *table : {"betoltes_ugyfel", "betoltes_ugyfelek", "betoltes_csoport", "betoltes"}) {
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
