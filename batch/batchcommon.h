#pragma once

// What the command families of kartevo-batch share: the output streams, the session, the
// parsing of options and the choice of clients.

#include "batch/commands.h"
#include "core/error.h"
#include "core/session.h"
#include "core/tableview.h"
#include "core/calibration.h"
#include "printing/gridprint.h"

#include <QHash>
#include <QSet>
#include <QStringList>
#include <QTextStream>

#include <initializer_list>
#include <memory>
#include <optional>

namespace kartevo::batch {

QTextStream &out();
QTextStream &err();

// What every command gets: its own arguments and the global options.
struct Context {
    QStringList args;
    QString databaseOverride;
    QString languageOverride; // --lang: the language file of this run instead of the Lang setting
};

class UsageError : public Error {
public:
    using Error::Error;
};

// its windows. Throws Error with "Nem létező adatbázis: PATH" when there is no database file.
// With openDatabase false the session's connection stays closed: the commands that copy or
// replace the database file as a whole work on any database, a damaged one included.
std::unique_ptr<Session> openSession(const Context &context, bool openDatabase = true);


// Options of the printing commands: "--name value" pairs and "--flag" switches.
struct PrintOptions {
    QHash<QString, QString> values;
    QSet<QString> flags;
    QStringList words;

    QString value(const char *name) const { return values.value(QLatin1String(name)); }
    bool has(const char *name) const
    {
        return values.contains(QLatin1String(name)) || flags.contains(QLatin1String(name));
    }
};

PrintOptions parsePrintOptions(const QString &command, const QStringList &args,
                               std::initializer_list<const char *> valued,
                               std::initializer_list<const char *> switches);
qint64 keyOption(const QString &command, const PrintOptions &options, const char *name);
QString requiredOption(const QString &command, const PrintOptions &options, const char *name);
QString sortOption(const QString &command, const PrintOptions &options);
std::optional<PrintOffset> offsetOption(const QString &command, const PrintOptions &options);
Calibration runCalibration(const TBeall &settings, const std::optional<PrintOffset> &offset);
bool rowExists(Database &db, const QString &sql, const QVariant &value);
qint64 clientOption(Database &db, const QString &command, const PrintOptions &options);
std::optional<QString> groupOption(Database &db, const QString &command, const PrintOptions &options);
std::unique_ptr<TableView> openClientList(Database &db, const std::optional<QString> &group, const QString &sort);
// --separator semicolon|comma|tab|bar of the delimited files; ";" when not given.
QChar separatorOption(const QString &command, const PrintOptions &options);
void checkScopeOptions(const QString &command, const PrintOptions &options);
// A --marked run with no marked client (of the group) fails with "Nincs kijelölt ügyfél"
// instead of writing an empty file.
void requireMarkedClients(Database &db, const std::optional<QString> &group);
const QList<std::pair<QString, GridPrintColumn>> &clientGridColumns();

// The commands, by family.
int runWords(Context &context);
int runInfo(Context &context);
int runSql(Context &context);
int runCheck(Context &context);
int runEnvelope(Context &context);
int runRegistered(Context &context);
int runLabels(Context &context);
int runCod(Context &context);
int runCheque(Context &context);
int runList(Context &context);
int runCalibrationSheet(Context &context);
int runImport(Context &context);
int runExport(Context &context);
int runBackup(Context &context);
int runBackups(Context &context);
int runRestore(Context &context);

} // namespace kartevo::batch
