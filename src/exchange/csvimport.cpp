#include "exchange/csvimport.h"

#include "core/bulkload.h"
#include "core/codec.h"
#include "core/database.h"
#include "core/helpers.h"
#include "core/inputfile.h"
#include "core/schema.h"
#include "core/statement.h"
#include "core/tableview.h"
#include "exchange/importlog.h"
#include "exchange/textparameters.h"

#include <QFile>
#include <QSet>
#include <QStringDecoder>

#include <cstring>
#include <optional>

#include <sqlite3.h>

namespace kartevo {

namespace {

// The client columns of fields 1 to 6 of a line.
const char *const kFieldColumns[] = {"ugyfel_nev", "kapcsolat", "cim_irsz", "cim_varos", "cim_cim", "csoport"};
constexpr int kFieldCount = 6;
constexpr int kGroupField = 5;

} // namespace

QString GroupMatchKey(const QString &name)
{
    QString key = name;
    for (QChar &ch : key) {
        if (ch >= u'A' && ch <= u'Z')
            ch = QChar(ch.unicode() + ('a' - 'A'));
    }
    return key;
}

namespace {

// Fields 1 to kFieldCount of a line as DelimitedField reads them (no quoting), found in one pass:
// a field beyond the line's last separator is empty.
void SplitFields(QByteArrayView line, char separator, QByteArrayView (&fields)[kFieldCount])
{
    const char *start = line.data();
    const char *const end = start + line.size();
    int field = 0;
    // Each field ends at the next separator (memchr), the last one asked for too.
    for (; field < kFieldCount && start; ++field) {
        const auto *stop = static_cast<const char *>(std::memchr(start, separator, size_t(end - start)));
        fields[field] = QByteArrayView(start, stop ? stop : end);
        start = stop ? stop + 1 : nullptr;
    }
    for (; field < kFieldCount; ++field)
        fields[field] = QByteArrayView();
}

// CutToWidth for UTF-8 text: its first `width` characters.
QByteArrayView CutUtf8(QByteArrayView text, int width)
{
    if (width <= 0 || text.size() <= width)
        return text;
    qsizetype end = 0;
    for (int count = 0; end < text.size(); ++end) {
        // A character starts at every byte that does not go on one.
        if ((static_cast<unsigned char>(text[end]) & 0xC0) != 0x80 && count++ == width)
            break;
    }
    return text.first(end);
}

// Runs a prepared statement that has no result and can run again.
void Run(Statement &statement)
{
    statement.exec();
    statement.reset();
}

} // namespace

ImportText DecodeImportBytes(const QByteArray &bytes)
{
    static const QByteArray bom("\xEF\xBB\xBF");
    const bool hasBom = bytes.startsWith(bom);
    const QByteArray body = hasBom ? bytes.mid(bom.size()) : bytes;
    bool ascii = true;
    for (const char c : body) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            ascii = false;
            break;
        }
    }
    if (hasBom || !ascii) {
        QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
        QString text = decoder.decode(body);
        if (!decoder.hasError())
            return {text, QString::fromLatin1(Utf8EncodingName), {}};
    }
    ImportText read{FromCp1250(body), QString::fromLatin1(Cp1250EncodingName), {}};
    if (ascii)
        return read;
    // Which lines are UTF-8: a file whose lines were saved by two programs reads wrong in part
    // whichever way it is read, so the user is told where to look.
    int firstForeign = 0;
    bool someUtf8 = false;
    int line = 0;
    for (const QByteArray &bytesOfLine : body.split('\n')) {
        ++line;
        bool beyondAscii = false;
        for (const char c : bytesOfLine)
            beyondAscii = beyondAscii || static_cast<unsigned char>(c) >= 0x80;
        if (!beyondAscii)
            continue;
        QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
        const QString ignored = decoder.decode(bytesOfLine);
        if (decoder.hasError()) {
            if (firstForeign == 0)
                firstForeign = line;
        } else {
            someUtf8 = true;
        }
    }
    if (hasBom || someUtf8)
        read.warning = QStringLiteral("A fájl %1, de a(z) %2. sora nem UTF-8: az egész fájl %3 kódolással olvasva, "
                                      "ellenőrizze az ékezeteket.")
                           .arg(hasBom ? QStringLiteral("UTF-8 jellel kezdődik") : QStringLiteral("UTF-8 sorokat is tartalmaz"))
                           .arg(firstForeign)
                           .arg(QString::fromLatin1(Cp1250EncodingName));
    return read;
}

ImportUtf8 DecodeImportBytesToUtf8(QByteArrayView bytes)
{
    const bool hasBom = bytes.startsWith("\xEF\xBB\xBF");
    const QByteArrayView body = bytes.sliced(hasBom ? 3 : 0);
    switch (ClassifyUtf8(body)) {
    case Utf8Kind::Ascii: // the same in both encodings; named as DecodeImportBytes names it
        return {body, {}, QString::fromLatin1(hasBom ? Utf8EncodingName : Cp1250EncodingName), {}};
    case Utf8Kind::Utf8:
        return {body, {}, QString::fromLatin1(Utf8EncodingName), {}};
    case Utf8Kind::Invalid:
        break;
    }
    const ImportText read = DecodeImportBytes(QByteArray::fromRawData(bytes.data(), bytes.size()));
    ImportUtf8 converted{{}, read.text.toUtf8(), read.encoding, read.warning};
    converted.text = converted.converted;
    return converted;
}

QByteArray ReadImportBytes(const QString &fileName)
{
    QByteArray bytes = ReadInputFile(fileName);
    // Text files hold no zero bytes; a database, a picture or a worksheet does, and would
    // otherwise turn into clients made of its bytes.
    if (bytes.contains('\0'))
        throw Error(QStringLiteral("Ez a fájl nem szöveges fájl, nem tölthető be: %1").arg(fileName));
    return bytes;
}

ImportText ReadImportFile(const QString &fileName)
{
    return DecodeImportBytes(ReadImportBytes(fileName));
}

QChar ImportSeparator(int choice)
{
    switch (choice) {
    case 1:
        return u',';
    case 2:
        return u'\t';
    default:
        return u';';
    }
}

ImportSummary ImportClients(Database &db, const QStringList &lines, QChar separator, bool firstLineNames,
                            const std::function<void(int line)> &progress, const QString &recordAs)
{
    QList<QByteArray> utf8;
    utf8.reserve(lines.size());
    for (const QString &line : lines)
        utf8.append(line.toUtf8());
    return ImportClientLines(db, QList<QByteArrayView>(utf8.begin(), utf8.end()), char(separator.unicode()),
                             firstLineNames, progress, recordAs);
}

ImportSummary ImportClientLines(Database &db, const QList<QByteArrayView> &lines, char separator, bool firstLineNames,
                            const std::function<void(int line)> &progress, const QString &recordAs)
{
    ImportSummary summary;
    const int first = firstLineNames ? 1 : 0;
    if (lines.size() <= first)
        return summary;

    // Widths of the columns a field goes into, and of the group list's name.
    const QStringList clientColumns = db.columnNames(QStringLiteral("ugyfel"));
    const QList<int> clientWidths = db.columnWidths(QStringLiteral("ugyfel"));
    int widths[kFieldCount];
    for (int i = 0; i < kFieldCount; ++i)
        widths[i] = clientWidths.value(clientColumns.indexOf(QLatin1String(kFieldColumns[i]), 0));
    const int groupWidth = db.columnWidth(QStringLiteral("csoport"), QStringLiteral("csoport"));

    QStringList columns = {QStringLiteral("ugyfel"), QStringLiteral("jelolve")};
    for (const char *column : kFieldColumns)
        columns.append(QLatin1String(column));
    QList<int> keyFields; // the field each sort key is made from
    for (const SortKeyColumn &key : ClientSortKeyColumns()) {
        columns.append(key.key);
        for (int i = 0; i < kFieldCount; ++i) {
            if (key.column == QLatin1String(kFieldColumns[i]))
                keyFields.append(i);
        }
    }
    QStringList marks(columns.size(), QStringLiteral("?"));
    Statement insertClient(db, QStringLiteral("INSERT INTO ugyfel (%1) VALUES (%2)")
                                   .arg(columns.join(QStringLiteral(", ")), marks.join(QStringLiteral(", "))));
    Statement insertGroup(db, QStringLiteral("INSERT INTO csoport (csoport, csoports) VALUES (?, ?)"));

    QSet<QString> groups;
    {
        Statement read(db, QStringLiteral("SELECT csoport FROM csoport"));
        while (read.step())
            groups.insert(GroupMatchKey(read.column(0).toString()));
    }
    // The group names met so far as the lines spell them: most lines repeat one.
    QSet<QByteArray> groupsMet;

    // One transaction for the whole file (a caller's own transaction is used as it is). A client
    // is one INSERT, which the engine takes back by itself when it fails (a savepoint around it
    // would only cost a fifth of the import's time), so the rows before it stay.
    const bool ownTransaction = sqlite3_get_autocommit(db.handle()) != 0;
    if (ownTransaction)
        db.exec(QStringLiteral("BEGIN"));
    // A commit that fails (another program reads the file, the disk is full) leaves the
    // transaction open; it is taken back, so that nothing of the import stays half done.
    std::optional<BulkLoad> load;
    try {
        // Only in a transaction of its own: a caller's transaction may go on after it.
        load.emplace(db, QStringLiteral("ugyfel"));
        if (ownTransaction)
            load->adding(lines.size() - first);
    } catch (const Error &) {
        if (ownTransaction && sqlite3_get_autocommit(db.handle()) == 0)
            RunSQL(db, QStringLiteral("ROLLBACK"));
        throw;
    }
    // What is kept of the import, for taking it back.
    ImportedClients added;
    QStringList addedGroups;
    const auto record = [&] {
        if (recordAs.isEmpty() || summary.clients == 0)
            return;
        ImportRecorder recorder(db, recordAs);
        recorder.addClients(added);
        for (const QString &group : std::as_const(addedGroups))
            recorder.addGroup(group);
    };
    const auto finish = [&](const QString &before, int line) {
        if (!ownTransaction) {
            record();
            return;
        }
        try {
            record();
            load->finish();
            db.exec(QStringLiteral("COMMIT"));
        } catch (const Error &e) {
            if (sqlite3_get_autocommit(db.handle()) == 0)
                RunSQL(db, QStringLiteral("ROLLBACK"));
            throw ImportError(before + e.message() + QStringLiteral("\nEgy ügyfél sem került be."), ImportSummary{}, line);
        }
    };

    qint64 key = NextId(db, QStringLiteral("ugyfel"));
    if (!recordAs.isEmpty())
        added.reserve(lines.size() - first);
    char keyBytes[kFieldCount][kSortKeyUtf8Size];
    for (int index = first; index < lines.size(); ++index) {
        QByteArrayView fields[kFieldCount];
        SplitFields(lines.at(index), separator, fields);
        for (int i = 0; i < kFieldCount; ++i)
            fields[i] = CutUtf8(fields[i], widths[i]);
        QByteArrayView sortKeys[kFieldCount];
        for (int i = 0; i < keyFields.size(); ++i)
            sortKeys[i] = QByteArrayView(keyBytes[i], SortKeyOfUtf8(fields[keyFields.at(i)], keyBytes[i]));

        try {
            insertClient.bind(1, key);
            BindUtf8(db, insertClient, 2, "N");
            for (int i = 0; i < kFieldCount; ++i)
                BindUtf8(db, insertClient, 3 + i, fields[i]);
            for (int i = 0; i < keyFields.size(); ++i)
                BindUtf8(db, insertClient, 3 + kFieldCount + i, sortKeys[i]);
            Run(insertClient);
        } catch (const Error &e) {
            insertClient.reset();
            const QString message = QStringLiteral("A(z) %1. sor nem tölthető be: %2").arg(index + 1).arg(e.message());
            if (sqlite3_get_autocommit(db.handle()) != 0 && ownTransaction) {
                // The engine gave up the whole transaction (disk full, I/O error).
                throw ImportError(message + QStringLiteral("\nEgy ügyfél sem került be."), ImportSummary{}, index + 1);
            }
            finish(message + QLatin1Char('\n'), index + 1);
            throw ImportError(message, summary, index + 1);
        }
        ++summary.clients;
        if (!recordAs.isEmpty())
            added.add(key, {fields[0], fields[1], fields[2], fields[3], fields[4], fields[5]});

        // A name met before was added then, or was there (or could not be stored: it is not
        // tried again).
        const QByteArrayView groupBytes = CutUtf8(fields[kGroupField], groupWidth);
        if (!groupBytes.isEmpty() && !groupsMet.contains(QByteArray::fromRawData(groupBytes.data(), groupBytes.size()))) {
            groupsMet.insert(groupBytes.toByteArray());
            const QString group = QString::fromUtf8(groupBytes);
            if (!groups.contains(GroupMatchKey(group))) {
                try {
                    insertGroup.bind(1, group);
                    insertGroup.bind(2, SortKey(group));
                    Run(insertGroup);
                    groups.insert(GroupMatchKey(group));
                    addedGroups.append(group);
                    ++summary.groups;
                } catch (const Error &) {
                    // A group that cannot be stored is left out; its clients keep their group name.
                    insertGroup.reset();
                }
            }
        }
        ++key;
        if (progress)
            progress(index);
    }
    finish(QString(), int(lines.size()));
    return summary;
}

} // namespace kartevo
