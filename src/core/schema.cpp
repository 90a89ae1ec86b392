#include "core/schema.h"

#include "core/codec.h"
#include "core/database.h"
#include "core/error.h"
#include "core/statement.h"
#include "core/tableview.h"

#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <cstring>

namespace kartevo {

namespace {


bool ContainsName(const QStringList &names, const QString &name)
{
    return names.contains(name, Qt::CaseInsensitive);
}

bool IsMissingKey(const QVariant &key)
{
    if (!key.isValid() || key.isNull())
        return true;
    const QString text = key.toString().trimmed();
    if (text.isEmpty())
        return true;
    bool ok = false;
    const double number = text.toDouble(&ok);
    return ok && number == 0;
}

} // namespace

void RunSQL(Database &db, const QString &statement)
{
    try {
        db.exec(statement);
    } catch (const Error &) {
        // Deliberately silent: the caller runs changes that may be in place already.
    }
}

qint64 NextId(Database &db, const QString &column, const QString &table)
{
    const QString from = table.isEmpty() ? column : table;
    Statement statement(db, QStringLiteral("SELECT MAX(") + column + QStringLiteral(") AS maxid FROM ")
                                + from + QLatin1Char(';'));
    const qint64 max = statement.step() ? statement.column(0).toLongLong() : 0;
    return max + 1;
}

namespace {

// The folded letter of a character whose capital is one character (ASCII and Latin-1/Latin
// Extended-A letters), or 0 for every other character: those go the full way through toUpper.
char16_t FoldLetter(char16_t ch)
{
    // ß and ŉ become two letters in capitals; µ and the signs below 0xC0 are left to toUpper.
    if (ch < 0xC0 || ch > 0x17F || ch == 0xDF || ch == 0x149)
        return 0;
    const char16_t upper = QChar::toUpper(ch);
    switch (upper) {
    case 0x00C1:
        return u'A';
    case 0x00C9:
        return u'E';
    case 0x00CD:
        return u'I';
    case 0x00D3:
    case 0x0150:
    case 0x00D6:
        return u'O';
    case 0x00DA:
    case 0x0170:
    case 0x00DC:
        return u'U';
    default:
        return upper;
    }
}

char16_t FoldSimple(char16_t ch)
{
    if (ch < 0x80)
        return ch >= u'a' && ch <= u'z' ? char16_t(ch - (u'a' - u'A')) : ch;
    // The letters up to U+017F from a table made once (four keys per imported client).
    static const auto folded = [] {
        std::array<char16_t, 0x180> table{};
        for (char16_t letter = 0x80; letter < 0x180; ++letter)
            table[letter] = FoldLetter(letter);
        return table;
    }();
    return ch < folded.size() ? folded[ch] : 0;
}

// Every character through toUpper, then the accents of the Hungarian capitals taken off.
QString FoldAccentsFully(const QString &text)
{
    QString folded = text.toUpper();
    for (QChar &ch : folded) {
        switch (ch.unicode()) {
        case 0x00C1: // Á
            ch = QLatin1Char('A');
            break;
        case 0x00C9: // É
            ch = QLatin1Char('E');
            break;
        case 0x00CD: // Í
            ch = QLatin1Char('I');
            break;
        case 0x00D3: // Ó
        case 0x0150: // Ő
        case 0x00D6: // Ö
            ch = QLatin1Char('O');
            break;
        case 0x00DA: // Ú
        case 0x0170: // Ű
        case 0x00DC: // Ü
            ch = QLatin1Char('U');
            break;
        default:
            break;
        }
    }
    return folded;
}

} // namespace

QString FoldAccents(const QString &text)
{
    // Most texts are letters whose capital is one letter, folded one by one without upper-casing
    // the whole text; any other character sends the whole text the full way.
    if (text.isEmpty())
        return text;
    QString folded(text.size(), Qt::Uninitialized);
    char16_t *out = reinterpret_cast<char16_t *>(folded.data());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t ch = FoldSimple(text.at(i).unicode());
        if (ch == 0)
            return FoldAccentsFully(text);
        out[i] = ch;
    }
    return folded;
}

QString SortKey(const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return QStringLiteral("");
    return SortKeyOfText(value.toString());
}

QString SortKeyOfText(QStringView text)
{
    // Most keys are made of letters whose capital is one letter: then the key is the first 20
    // characters folded one by one, without upper-casing the whole text (an import computes
    // four keys per client).
    const qsizetype length = std::min<qsizetype>(text.size(), kSortKeyLength);
    QString key(length, Qt::Uninitialized);
    char16_t *out = reinterpret_cast<char16_t *>(key.data());
    for (qsizetype i = 0; i < length; ++i) {
        const char16_t folded = FoldSimple(text.at(i).unicode());
        if (folded == 0)
            return FoldAccentsFully(text.toString()).left(kSortKeyLength);
        out[i] = folded;
    }
    return key;
}

namespace {

// SortKeyOfUtf8 the whole way: the key's characters decoded, folded and encoded again.
qsizetype SortKeyOfUtf8Fully(QByteArrayView text, char *out)
{
    qsizetype end = 0;
    for (int count = 0; count < kSortKeyLength && end < text.size(); ++count) {
        ++end;
        while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
            ++end;
    }
    const QByteArray key = SortKeyOfText(QString::fromUtf8(text.first(end))).toUtf8();
    const qsizetype size = std::min<qsizetype>(key.size(), kSortKeyUtf8Size);
    std::memcpy(out, key.constData(), size_t(size));
    return size;
}

} // namespace

qsizetype SortKeyOfUtf8(QByteArrayView text, char *out)
{
    // Letter by letter while every letter folds by itself: FoldSimple folds only characters
    // below U+0180, which take one or two bytes, folded or not.
    const auto *at = reinterpret_cast<const unsigned char *>(text.data());
    const unsigned char *const end = at + text.size();
    char *to = out;
    for (int count = 0; count < kSortKeyLength && at < end; ++count) {
        char16_t ch = *at;
        int length = 1;
        if (ch >= 0x80) {
            if ((ch & 0xE0) != 0xC0 || end - at < 2)
                return SortKeyOfUtf8Fully(text, out);
            ch = char16_t(((ch & 0x1F) << 6) | (at[1] & 0x3F));
            length = 2;
        }
        const char16_t folded = FoldSimple(ch);
        if (folded == 0)
            return SortKeyOfUtf8Fully(text, out);
        if (folded < 0x80) {
            *to++ = char(folded);
        } else {
            *to++ = char(0xC0 | (folded >> 6));
            *to++ = char(0x80 | (folded & 0x3F));
        }
        at += length;
    }
    return to - out;
}

const QList<SortKeyColumn> &ClientSortKeyColumns()
{
    static const QList<SortKeyColumn> columns = {
        {QStringLiteral("ugyfel_nev"), QStringLiteral("ugyfel_nevs")},
        {QStringLiteral("cim_varos"), QStringLiteral("cim_vaross")},
        {QStringLiteral("kapcsolat"), QStringLiteral("kapcsolats")},
        {QStringLiteral("csoport"), QStringLiteral("csoports")},
    };
    return columns;
}

void ApplyClientWriteRule(TableView &clients)
{
    for (const SortKeyColumn &column : ClientSortKeyColumns()) {
        // csoports comes with the schema upgrade; the other keys are in every client table.
        if (column.key == QLatin1String("csoports") && clients.fieldIndex(column.key) < 0)
            continue;
        const QVariant value = clients.fieldIndex(column.column) >= 0 ? clients.value(column.column) : QVariant();
        clients.setValue(column.key, SortKey(value));
    }
    if (IsMissingKey(clients.value(QStringLiteral("ugyfel"))))
        clients.setValue(QStringLiteral("ugyfel"), NextId(clients.database(), QStringLiteral("ugyfel")));
}

const QList<std::pair<QString, QString>> &ImportLogTables()
{
    static const QList<std::pair<QString, QString>> tables = {
        {QStringLiteral("betoltes"),
         QStringLiteral("CREATE TABLE betoltes (betoltes INTEGER PRIMARY KEY, idopont CHAR(19), forras CHAR(255));")},
        {QStringLiteral("betoltes_ugyfel"),
         QStringLiteral("CREATE TABLE betoltes_ugyfel (betoltes INTEGER, ugyfel INTEGER, ujjlenyomat CHAR(40), "
                        "PRIMARY KEY (betoltes, ugyfel));")},
        // One row per import: its clients' keys and fingerprints in a BLOB (betoltes_ugyfel
        // holds the records of earlier versions, a row per client).
        {QStringLiteral("betoltes_ugyfelek"),
         QStringLiteral("CREATE TABLE betoltes_ugyfelek (betoltes INTEGER PRIMARY KEY, ugyfelek BLOB);")},
        {QStringLiteral("betoltes_csoport"),
         QStringLiteral("CREATE TABLE betoltes_csoport (betoltes INTEGER, csoport CHAR(50), "
                        "PRIMARY KEY (betoltes, csoport));")},
        {QStringLiteral("betoltes_terkep"),
         QStringLiteral("CREATE TABLE betoltes_terkep (fejlec CHAR(40), terkep CHAR(255), PRIMARY KEY (fejlec));")},
    };
    return tables;
}

QStringList UpgradeSchema(Database &db, const QString &cimkeSqlPath)
{
    QStringList run;
    // A change that is in place already fails and is skipped. When the database cannot be
    // written at all (another program's lock, a read-only file, a full disk) the change is
    // skipped too, and the first such failure is kept: without the client columns the program
    // cannot go on, so their absence then stops the upgrade with that reason.
    QString fault;
    const auto runSql = [&db, &run, &fault](const QString &statement) {
        run.append(statement);
        try {
            db.exec(statement);
        } catch (const Error &e) {
            if (!db.fileFault())
                return true;
            if (fault.isEmpty())
                fault = e.message();
            return false;
        }
        return true;
    };
    const QString clientTable = QStringLiteral("ugyfel");

    // 1. The label formats.
    QStringList tables = db.tableNames();
    if (!ContainsName(tables, QStringLiteral("cimke"))) {
        const QStringList lines = ReadCp1250Lines(cimkeSqlPath);
        // One transaction: several hundred single-row inserts would each wait for the disk.
        // A transaction the caller has opened is left to the caller.
        const bool ownTransaction = sqlite3_get_autocommit(db.handle()) != 0;
        bool written = !ownTransaction || runSql(QStringLiteral("BEGIN;"));
        for (const QString &line : lines) {
            if (written && !line.trimmed().isEmpty())
                written = runSql(line);
        }
        if (ownTransaction && written)
            written = runSql(QStringLiteral("COMMIT;"));
        // Half the label formats are no use: a failed write takes them all back.
        if (ownTransaction && !written && sqlite3_get_autocommit(db.handle()) == 0)
            RunSQL(db, QStringLiteral("ROLLBACK;"));
    }

    // 2. The mark of the clients.
    QStringList columns = db.columnNames(clientTable);
    if (!ContainsName(columns, QStringLiteral("jelolve"))) {
        if (runSql(QStringLiteral("ALTER TABLE ugyfel ADD jelolve CHAR(1);")))
            runSql(QStringLiteral("UPDATE ugyfel SET jelolve='N';"));
    }

    // 3.-4. The group of the clients and its sort key.
    columns = db.columnNames(clientTable);
    if (!ContainsName(columns, QStringLiteral("csoport")))
        runSql(QStringLiteral("ALTER TABLE ugyfel ADD csoport CHAR(50);"));
    if (!ContainsName(columns, QStringLiteral("csoports")))
        runSql(QStringLiteral("ALTER TABLE ugyfel ADD csoports CHAR(50);"));

    // 5. The list of groups.
    tables = db.tableNames();
    if (!ContainsName(tables, QStringLiteral("csoport")))
        runSql(QStringLiteral("CREATE TABLE csoport (csoport CHAR(50), csoports CHAR(50), PRIMARY KEY (csoport));"));

    // 6. The record of the imports (what the last one added, for taking it back) and the
    // remembered column mappings of imported files.
    tables = db.tableNames();
    for (const auto &[table, create] : ImportLogTables()) {
        if (!ContainsName(tables, table))
            runSql(create);
    }

    if (!fault.isEmpty()) {
        columns = db.columnNames(clientTable);
        for (const char *column : {"jelolve", "csoport", "csoports"}) {
            if (!ContainsName(columns, QLatin1String(column)))
                throw Error(QStringLiteral("Az adatbázis szerkezete nem frissíthető: ") + fault);
        }
    }
    return run;
}

} // namespace kartevo
