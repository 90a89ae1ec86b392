#include "tools/sqlconsole.h"

#include "core/codec.h"
#include "core/error.h"
#include "core/helpers.h"
#include "core/outputfile.h"

#include <QIODevice>

#include <sqlite3.h>

namespace kartevo {

QString TrimSqlText(const QString &text)
{
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && text.at(start).unicode() <= u' ')
        ++start;
    while (end > start && text.at(end - 1).unicode() <= u' ')
        --end;
    return text.mid(start, end - start);
}

bool IsSelectText(const QString &text)
{
    return TrimSqlText(text).startsWith(QLatin1String("SELECT"), Qt::CaseInsensitive);
}

QStringList SplitSqlScript(const QString &text, QString *rest)
{
    QStringList statements;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) != u';')
            continue;
        // Only a ";" can end a statement; SQLite tells whether this one does.
        const QString candidate = text.mid(start, i + 1 - start);
        if (sqlite3_complete(candidate.toUtf8().constData())) {
            statements.append(candidate);
            start = i + 1;
        }
    }
    if (rest)
        *rest = text.mid(start);
    return statements;
}

QString SqlErrorText(const QString &engineMessage)
{
    return QStringLiteral("SQL hiba:\r\n") + engineMessage;
}

QString SqlDoneText()
{
    return QStringLiteral("SQL futtatás kész.");
}

QString ReadSqlFile(const QString &fileName)
{
    return ReadCp1250Lines(fileName).join(QLatin1Char('\n'));
}

void WriteSqlFile(const QString &fileName, const QString &text)
{
    OutputFile file(fileName);
    const QByteArray bytes = ToCp1250(JoinLines(text, QStringLiteral("\r\n")));
    file.device().write(bytes);
    file.commit();
}

SqlConsole::SqlConsole(Database &db)
    : m_query(db)
{
}

void SqlConsole::close()
{
    m_query.close();
    m_query.setSql(QStringList());
}

SqlConsole::Outcome SqlConsole::run(const QString &text, const Progress &progress)
{
    return IsSelectText(text) ? runQuery(text) : runScript(text, progress);
}

SqlConsole::Outcome SqlConsole::runQuery(const QString &text)
{
    close();
    Outcome outcome;
    outcome.isQuery = true;
    m_query.setSql(text);
    try {
        m_query.open();
        outcome.ok = true;
    } catch (const Error &e) {
        m_query.close();
        outcome.message = SqlErrorText(e.message());
    }
    return outcome;
}

SqlConsole::Outcome SqlConsole::runScript(const QString &text, const Progress &progress)
{
    close();
    Outcome outcome;
    const QStringList statements = SplitSqlScript(TrimSqlText(text));
    const int total = int(statements.size());
    if (progress)
        progress(0, total);
    for (const QString &statement : statements) {
        m_query.setSql(statement);
        try {
            m_query.exec();
        } catch (const Error &e) {
            outcome.message = SqlErrorText(e.message());
            return outcome;
        }
        ++outcome.executed;
        if (progress)
            progress(outcome.executed, total);
    }
    m_query.setSql(QStringList());
    outcome.ok = true;
    outcome.message = SqlDoneText();
    return outcome;
}

} // namespace kartevo
