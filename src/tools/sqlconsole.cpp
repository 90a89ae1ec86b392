#include "tools/sqlconsole.h"

#include "core/codec.h"
#include "core/database.h"
#include "core/error.h"
#include "core/helpers.h"
#include "core/inputfile.h"
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
    // One pass over the text: a ";" inside a string literal, a quoted name or a comment never
    // ends a statement, so SQLite is asked only about the others (a trigger's body holds
    // complete-looking statements that end only at its END;). Asking about every ";" made a long
    // unclosed literal cost the square of its length.
    QStringList statements;
    qsizetype start = 0;
    enum class State { Code, Quoted, LineComment, BlockComment } state = State::Code;
    QChar closing;
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar ch = text.at(i);
        switch (state) {
        case State::Quoted:
            if (ch == closing)
                state = State::Code; // a doubled quote reopens at once on the next character
            continue;
        case State::LineComment:
            if (ch == u'\n')
                state = State::Code;
            continue;
        case State::BlockComment:
            if (ch == u'*' && i + 1 < size && text.at(i + 1) == u'/') {
                state = State::Code;
                ++i;
            }
            continue;
        case State::Code:
            break;
        }
        if (ch == u'\'' || ch == u'"' || ch == u'`' || ch == u'[') {
            state = State::Quoted;
            closing = ch == u'[' ? QChar(u']') : ch;
        } else if (ch == u'-' && i + 1 < size && text.at(i + 1) == u'-') {
            state = State::LineComment;
        } else if (ch == u'/' && i + 1 < size && text.at(i + 1) == u'*') {
            state = State::BlockComment;
            ++i;
        } else if (ch == u';') {
            const QString candidate = text.mid(start, i + 1 - start);
            if (sqlite3_complete(candidate.toUtf8().constData())) {
                statements.append(candidate);
                start = i + 1;
            }
        }
    }
    if (rest)
        *rest = text.mid(start);
    return statements;
}

bool IsBlankSqlText(Database &db, const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    sqlite3_stmt *statement = nullptr;
    const int rc = sqlite3_prepare_v2(db.handle(), utf8.constData(), int(utf8.size()), &statement, nullptr);
    sqlite3_finalize(statement);
    return rc == SQLITE_OK && statement == nullptr;
}

QString IncompleteScriptText(int line)
{
    return QStringLiteral("A parancsfájl %1. sorától kezdődő szöveg nem teljes utasítás (hiányzik a \";\" vagy egy "
                          "idézőjel), ezért nem futott le.")
        .arg(line);
}

QString OpenTransactionText()
{
    return QStringLiteral("A parancsfájl lezáratlan tranzakciót hagyott: visszavonva.");
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
    const QByteArray bytes = ReadInputFile(fileName);
    // UTF-16 (with or without its byte-order mark) is full of zero bytes; code page 1250 text has
    // none, and SQLite would end the text at the first one.
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF"))
        throw Error(QStringLiteral("Az SQL fájl UTF-16 kódolású, nem olvasható be (a program Windows-1250 "
                                   "szöveget vár): %1").arg(fileName));
    if (bytes.contains('\0'))
        throw Error(QStringLiteral("Az SQL fájl nulla bájtot tartalmaz, nem szöveges fájl: %1").arg(fileName));
    return SplitTextLines(FromCp1250(bytes)).join(QLatin1Char('\n'));
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
    // Whatever a script says, the schema is never written by hand (writable_schema) and the
    // journal is never switched off: a typing error must not be able to corrupt the file.
    if (db.handle())
        sqlite3_db_config(db.handle(), SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
}

void SqlConsole::close()
{
    m_query.close();
    m_query.setSql(QStringList());
}

// Watches the engine while a run of the console lasts.
class SqlConsole::Watch {
public:
    explicit Watch(SqlConsole &console) : m_console(console), m_db(console.m_query.database().handle())
    {
        m_console.m_stopped = false;
        if (m_db && m_console.m_keepGoing)
            sqlite3_progress_handler(m_db, 20000, &Watch::step, &m_console);
    }
    ~Watch()
    {
        if (m_db)
            sqlite3_progress_handler(m_db, 0, nullptr, nullptr);
    }

private:
    static int step(void *context)
    {
        auto *console = static_cast<SqlConsole *>(context);
        if (!console->m_stopped && !console->m_keepGoing())
            console->m_stopped = true;
        return console->m_stopped ? 1 : 0;
    }

    SqlConsole &m_console;
    sqlite3 *m_db;
};

QString SqlConsole::StoppedText()
{
    return QStringLiteral("A futás leállítva.");
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
    const Watch watch(*this);
    try {
        m_query.open();
        outcome.ok = true;
    } catch (const Error &e) {
        m_query.close();
        outcome.message = m_stopped ? StoppedText() : SqlErrorText(e.message());
    }
    return outcome;
}

SqlConsole::Outcome SqlConsole::runScript(const QString &text, const Progress &progress)
{
    close();
    Outcome outcome;
    const QString script = TrimSqlText(text);
    QString rest;
    const QStringList statements = SplitSqlScript(script, &rest);
    const int total = int(statements.size());
    if (progress)
        progress(0, total);
    const Watch watch(*this);
    for (const QString &statement : statements) {
        m_query.setSql(statement);
        try {
            m_query.exec();
        } catch (const Error &e) {
            outcome.message = m_stopped ? StoppedText() : SqlErrorText(e.message());
            break;
        }
        ++outcome.executed;
        if (progress)
            progress(outcome.executed, total);
    }
    m_query.setSql(QStringList());
    const bool stopped = outcome.executed < total;
    if (!stopped && !IsBlankSqlText(m_query.database(), rest)) {
        const QString before = script.left(script.size() - rest.size());
        // The line to look at is the first one of the text that was not run, past its blanks
        // and comments.
        qsizetype firstText = 0;
        for (;;) {
            while (firstText < rest.size() && rest.at(firstText).isSpace())
                ++firstText;
            if (rest.mid(firstText, 2) == QLatin1String("--")) {
                const qsizetype end = rest.indexOf(u'\n', firstText);
                firstText = end < 0 ? rest.size() : end;
            } else if (rest.mid(firstText, 2) == QLatin1String("/*") && rest.indexOf(QLatin1String("*/"), firstText + 2) > 0) {
                firstText = rest.indexOf(QLatin1String("*/"), firstText + 2) + 2;
            } else {
                break;
            }
        }
        const int line = int(before.count(u'\n') + rest.left(firstText).count(u'\n')) + 1;
        outcome.message = IncompleteScriptText(line);
    }
    // A transaction the script opened and did not end would keep every later change of the
    // program uncommitted, to be lost at close: it is taken back here and the user is told.
    Database &db = m_query.database();
    if (db.handle() && !sqlite3_get_autocommit(db.handle())) {
        sqlite3_exec(db.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
        outcome.message = outcome.message.isEmpty() ? OpenTransactionText()
                                                    : outcome.message + QStringLiteral("\r\n") + OpenTransactionText();
    }
    outcome.ok = outcome.message.isEmpty();
    if (outcome.ok)
        outcome.message = SqlDoneText();
    return outcome;
}

} // namespace kartevo
