// The SQL script splitter of the console and of kartevo-batch sql (TrimSqlText, IsSelectText,
// SplitSqlScript). The input is an SQL file's text. The statements and the rest put together
// are the text itself; every statement ends in ";" and is complete to SQLite, and no shorter
// piece of it ending in ";" is.

#include "fuzzcheck.h"

#include "tools/sqlconsole.h"

#include <sqlite3.h>

using namespace kartevo;
using namespace kartevo::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(Bytes(data, size));

    const QString trimmed = TrimSqlText(text);
    FUZZ_CHECK(text.contains(trimmed), text);
    FUZZ_CHECK(TrimSqlText(trimmed) == trimmed, text);
    FUZZ_CHECK(trimmed.isEmpty() || (trimmed.front().unicode() > u' ' && trimmed.back().unicode() > u' '), text);
    FUZZ_CHECK(IsSelectText(text) == trimmed.startsWith(QLatin1String("select"), Qt::CaseInsensitive), text);

    QString rest;
    const QStringList statements = SplitSqlScript(trimmed, &rest);
    FUZZ_CHECK(statements.join(QString()) + rest == trimmed, trimmed);
    for (const QString &statement : statements) {
        FUZZ_CHECK(statement.endsWith(u';'), statement);
        FUZZ_CHECK(sqlite3_complete(statement.toUtf8().constData()), statement);
        // It ends at the first ";" that completes it.
        for (qsizetype i = statement.indexOf(u';'); i >= 0 && i + 1 < statement.size();
             i = statement.indexOf(u';', i + 1)) {
            FUZZ_CHECK(!sqlite3_complete(statement.left(i + 1).toUtf8().constData()), statement);
        }
    }
    return 0;
}
