#pragma once

#include "core/query.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace kartevo {

class Database;

// The text the console runs, with the blanks and control characters around it removed.
QString TrimSqlText(const QString &text);

// Whether the console opens the text as a query: after trimming it begins with SELECT in any
// letter case.
bool IsSelectText(const QString &text);

// The statements of a script, each ending where SQLite takes a statement for complete (a ";"
// outside string literals, quoted names and comments), with the line breaks and blanks before
// it. Text after the last complete statement is returned in rest and is not a statement.
QStringList SplitSqlScript(const QString &text, QString *rest = nullptr);

// Whether the text holds no statement at all (blanks and comments only).
bool IsBlankSqlText(Database &db, const QString &text);
// The messages of a script whose text from line (from 1) on is no complete statement, and of one
// that left a transaction open (which is rolled back).
QString IncompleteScriptText(int line);
QString OpenTransactionText();

// The console's message about a failed query or statement.
QString SqlErrorText(const QString &engineMessage);
// The console's message after a script ran to its end.
QString SqlDoneText();

// Reads an SQL file of the console (code page 1250, any line ends) as the editor's text. Devices,
// lines over MaxInputLine bytes, zero bytes and UTF-16 text are refused with Error.
QString ReadSqlFile(const QString &fileName);
// Writes the editor's text as an SQL file: code page 1250, every line ended by CR LF, through
// OutputFile. Throws Error when it cannot be written.
void WriteSqlFile(const QString &fileName, const QString &text);

// The run of the SQL console on the shared connection: a SELECT text is opened as a query
// whose rows stay in query(); any other text is run as a script, statement by statement, each
// committed by itself, stopping at the first failing one. Text after the last complete
// statement is not run and fails the script; a transaction the script leaves open is rolled back
// and fails it too. The connection refuses writing the schema by hand (SQLite's defensive mode).
class SqlConsole final {
public:
    explicit SqlConsole(Database &db);

    struct Outcome {
        bool isQuery = false;
        bool ok = false;
        int executed = 0;   // statements of a script that ran
        QString message;    // what the user is told: the error, or the script's done text
    };

    // Called before the first statement with (0, total) and after each executed statement with
    // the number done so far; the window moves its progress bar and lets its events run.
    using Progress = std::function<void(int done, int total)>;

    // Called now and then while a statement runs (every few thousand steps of the engine, so a
    // query that never ends can be stopped): false stops the statement with SQLite's interrupt,
    // and the run ends with StoppedText().
    using KeepGoing = std::function<bool()>;
    void setKeepGoing(KeepGoing keepGoing) { m_keepGoing = std::move(keepGoing); }
    static QString StoppedText();

    // The console's run command: a query or a script, as the text says.
    Outcome run(const QString &text, const Progress &progress = {});
    // The two branches on their own; the script runs its trimmed text.
    Outcome runQuery(const QString &text);
    Outcome runScript(const QString &text, const Progress &progress = {});

    Query &query() { return m_query; }
    void close();

private:
    class Watch;

    Query m_query;
    KeepGoing m_keepGoing;
    bool m_stopped = false;
};

} // namespace kartevo
