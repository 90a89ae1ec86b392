// The CSV import: the bytes of the file (DecodeImportBytes: UTF-8 or code page 1250), the lines
// (SplitTextLines), the fields of a line (DelimitedField) and ImportClients itself on a copy of
// the delivered database, inside a transaction that is rolled back after each run.
//
// The first byte chooses the separator and whether the first line holds the names; the rest is
// the file.

#include "fuzzcheck.h"

#include "core/codec.h"
#include "core/database.h"
#include "core/error.h"
#include "core/helpers.h"
#include "core/schema.h"
#include "core/statement.h"
#include "exchange/csvimport.h"

#include <QFile>
#include <QTemporaryDir>

using namespace kartevo;
using namespace kartevo::fuzz;

namespace {

// The most lines a run imports, to keep each run fast.
constexpr qsizetype kImportedLines = 40;

Database &TestDatabase()
{
    static QTemporaryDir dir;
    static Database db;
    if (!db.isOpen()) {
        const QString path = dir.filePath(QStringLiteral("Kartevo.sqb"));
        if (!QFile::copy(QStringLiteral(KARTEVO_BUILD_SHARE_DIR "/Kartevo.sqb"), path))
            Fail("cannot copy the delivered database", path);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        db.open(path);
        // As after the first start: the client table with all its columns.
        UpgradeSchema(db, QStringLiteral(KARTEVO_BUILD_SHARE_DIR "/cimke.sql"));
    }
    return db;
}

qint64 ClientCount(Database &db)
{
    Statement count(db, QStringLiteral("SELECT count(*) FROM ugyfel"));
    count.step();
    return count.column(0).toLongLong();
}

void CheckDecoding(const QByteArray &bytes, const ImportText &text)
{
    const QByteArray bom("\xEF\xBB\xBF");
    const QByteArray body = bytes.startsWith(bom) ? bytes.mid(3) : bytes;
    if (text.encoding == QLatin1String(Utf8EncodingName)) {
        // A second byte-order mark right after the first one goes too.
        FUZZ_CHECK(text.text.toUtf8() == body || (body.startsWith(bom) && text.text.toUtf8() == body.mid(3)),
                   text.text);
    } else {
        FUZZ_CHECK(text.encoding == QLatin1String(Cp1250EncodingName), text.encoding);
        // A byte-order mark before a body that is not UTF-8 is dropped, and the user is told.
        FUZZ_CHECK(text.text == FromCp1250(body), text.text);
        FUZZ_CHECK(!bytes.startsWith(bom) || !text.warning.isEmpty(), text.text);
        // Text that is UTF-8 with letters beyond ASCII is never taken for code page 1250.
        const QString utf8 = QString::fromUtf8(body);
        const bool ascii = std::all_of(body.begin(), body.end(), [](char c) { return uchar(c) < 0x80; });
        FUZZ_CHECK(ascii || utf8.toUtf8() != body, text.text);
    }
}

void CheckLines(const QString &text, const QStringList &lines)
{
    QString normalised = text;
    normalised.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
    if (normalised.endsWith(u'\n'))
        normalised.chop(1);
    FUZZ_CHECK(lines.join(u'\n') == normalised, text);
    FUZZ_CHECK(!text.isEmpty() || lines.isEmpty(), text);
}

void CheckFields(const QString &line, QChar separator)
{
    const QString delimiters(separator);
    const int count = int(line.count(separator)) + 1;
    QStringList fields;
    for (int n = 1; n <= count; ++n)
        fields.append(DelimitedField(delimiters, line, n));
    FUZZ_CHECK(fields.join(separator) == line, line);
    FUZZ_CHECK(DelimitedField(delimiters, line, count + 1).isEmpty(), line);
    FUZZ_CHECK(DelimitedField(delimiters, line, 0).isEmpty(), line);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Input input(data, size);
    const uint8_t choice = input.byte();
    const QChar separator = ImportSeparator(choice % 3);
    const bool firstLineNames = choice & 0x10;
    const QByteArray bytes = input.rest();

    const ImportText text = DecodeImportBytes(bytes);
    CheckDecoding(bytes, text);
    const QStringList lines = SplitTextLines(text.text);
    CheckLines(text.text, lines);
    for (const QString &line : lines)
        CheckFields(line, separator);

    Database &db = TestDatabase();
    const QStringList imported = lines.mid(0, kImportedLines);
    const qint64 before = ClientCount(db);
    db.exec(QStringLiteral("BEGIN"));
    try {
        const ImportSummary summary = ImportClients(db, imported, separator, firstLineNames);
        const qsizetype expected = imported.size() - (firstLineNames && !imported.isEmpty() ? 1 : 0);
        FUZZ_CHECK(summary.clients == expected, text.text);
        FUZZ_CHECK(ClientCount(db) == before + summary.clients, text.text);
    } catch (const ImportError &e) {
        FUZZ_CHECK(e.line >= 1 && e.line <= imported.size(), e.message());
        FUZZ_CHECK(ClientCount(db) == before + e.kept.clients, e.message());
    }
    db.exec(QStringLiteral("ROLLBACK"));
    FUZZ_CHECK(ClientCount(db) == before, text.text);
    return 0;
}
