#pragma once

#include "printing/report.h"
#include "printing/stationery.h"

#include <QString>

#include <optional>

namespace kartevo {

class Database;
class TableView;
struct TBeall;

// What a print command asks of the outside world: questions, the sender list, the dialogs that
// take an amount, and the output of each print job. The desktop program answers with windows
// and the printer, the batch tool with its arguments and a PDF file, tests with a fake.
class PrintHost {
public:
    virtual ~PrintHost() = default;
    // A Yes/No question; true for "Yes".
    virtual bool askYesNo(const QString &message, const QString &caption) = 0;
    // The sender list in selection mode, positioned on the given key (-1: on nothing). Returns
    // the chosen sender key, or -1 when the user cancelled.
    virtual int pickSender(int positionOn) = 0;
    // The cheque dialog: false when cancelled. The amount comes back as typed.
    virtual bool editCheque(QString &amountText, QString &message) = 0;
    // The amount input of the cash-on-delivery form (caption "Összeg", prompt "Add meg az
    // összeget"): false when cancelled, otherwise the amount accepted.
    virtual bool inputAmount(qint64 &amount) = 0;
    // One print job: direct sends it to the printer, otherwise it is previewed (and this call
    // returns when the preview is closed). Throws Error when the job cannot be output.
    virtual void output(const report::Report &report, bool direct) = 0;
    // Progress of a run over several clients: called before each job (done = jobs output so
    // far) and once at the end (done = total). Returning false stops the run like an error
    // does: the jobs already output stay, nothing after runs and the marks are kept.
    virtual bool progress(int done, int total)
    {
        Q_UNUSED(done);
        Q_UNUSED(total);
        return true;
    }
    // Called when every job of a marked run has been output, before the marks are cleared: a
    // host that collects its jobs (into one file) delivers them here. Throws Error when they
    // cannot be delivered; the marks then stay.
    virtual void deliver() {}

    // What the user did with the preview of a whole run.
    enum class PreviewChoice { Closed, Print };
    // Shows every job of a run as one document, its pages in print order, before anything is
    // output (a run with a preview: PrintContext::preview). Print: the user asked to print from
    // the preview, and the run then outputs its jobs as a direct run does; Closed: nothing prints
    // and the marks stay.
    virtual PreviewChoice previewRun(const QList<report::Report> &jobs) = 0;
};

// The entries of the print scope box of the client list, by index.
namespace scope {
constexpr int Current = 0;  // "Aktuális"
constexpr int Everyone = 1; // "Mindenkinek"
constexpr int Marked = 2;   // "Csak a kijelölteknek"
} // namespace scope

// The state of the client list that a print command reads.
struct PrintContext {
    PrintContext(Database &database, const TBeall &settingsRecord) : db(database), settings(settingsRecord) {}

    Database &db;
    const TBeall &settings;
    // The client list as loaded (group filter applied, in the list's sort order). Scope
    // "Mindenkinek" walks it and is left on its last row; the marked run reloads it at its end.
    // May be null when there is no list (the batch tool's single-client commands).
    TableView *clients = nullptr;
    // The key of the list's current client; empty when the list has no current row.
    std::optional<qint64> currentClient;
    int scope = scope::Current;
    // The group of the group filter; empty when the list is not filtered (a group may have an
    // empty name, so this is not the same as an empty text).
    std::optional<QString> filterGroup;
    QString sortField = QStringLiteral("ugyfel_nev");
    // The envelope pictures, read once for the whole run.
    mutable EnvelopePictures pictures;
    // The whole run is first shown as one document (PrintHost::previewRun) and prints only when
    // the user prints from there; then every job goes straight to the printer, whatever the
    // scope and the UsePrinter setting.
    bool preview = false;
};

// Stationery printed one client per job by the scoped commands.
enum class Stationery { EnvelopeC6, EnvelopeLA4, EnvelopeLC5, Registered };

// The per-client print jobs: build a fresh report, prepare it, open its queries and output it.
void PrintBoritek(PrintHost &host, const PrintContext &context, EnvelopeKind kind, qint64 client,
                  qint64 sender, bool direct);
void PrintAjanlott(PrintHost &host, const PrintContext &context, qint64 client, qint64 sender, bool direct);
void PrintCsekk(PrintHost &host, const PrintContext &context, qint64 client, qint64 sender,
                qint64 amount, const QString &message, bool direct);
void PrintCsekk2(PrintHost &host, const PrintContext &context, qint64 client, qint64 sender,
                 qint64 amount, const QString &message, bool direct);
void PrintUtanvet(PrintHost &host, const PrintContext &context, qint64 client, qint64 sender,
                  qint64 amount, bool direct);

// The sender of the envelopes, the registered-mail form and the cash-on-delivery form: the
// default sender when Only1Sender is set and it exists, otherwise the sender list. -1: cancelled.
int ChooseSender(PrintHost &host, Database &db, const TBeall &settings);
// The cheque's sender: Sender unchanged when Only1Sender is set, otherwise the sender list
// positioned on Sender. -1: cancelled.
int ChooseChequeSender(PrintHost &host, const TBeall &settings);

// The question of the "Mindenkinek" scope.
QString ConfirmationText(int count);

// Throws Error when the sort field of a query is not a plain column name.
void CheckSortField(const QString &sortField);

// The marked-client query's text for a run: "SELECT * FROM ugyfel" / "WHERE <clause>" /
// "ORDER BY <sort field>;". Throws Error when the sort field is not a plain column name.
QStringList MarkedClientsSql(const std::optional<QString> &filterGroup, const QString &sortField);

// What a run printed: how many clients, how many pages (jobs), whether it was a marked run and
// whether its marks were cleared.
struct RunSummary {
    int clients = 0;
    int pages = 0;
    bool marked = false;
    bool marksCleared = false;
};

// The run's summary line: "3 boríték elkészült (3 oldal); a kijelölések törölve" (a marked run)
// or without the marks part. The noun names the stationery ("boríték", "csekk" …).
QString RunSummaryText(const QString &noun, const RunSummary &summary);
// The noun of the summary line for the stationery of a scoped run.
QString StationeryNoun(Stationery stationery);
// The nouns of the summary lines of the money order and the cash-on-delivery runs.
inline QString ChequeNoun() { return QStringLiteral("csekk"); }
inline QString CodNoun() { return QStringLiteral("utánvételi lap"); }

// The scoped commands aBoritek1, aBoritek2, aBoritek3 and aAjanlott. Errors of a job end the
// whole command (the jobs before it stay output) by throwing Error. A marked run clears the
// marks only after every job was delivered; a run that fails or is stopped keeps them, and a
// clearing that cannot be written is an error of its own.
RunSummary RunScopedPrint(PrintHost &host, const PrintContext &context, Stationery stationery);

// aCsekk: sender, the cheque dialog (one amount and message for the whole run), the front of
// every client of the scope, the turn-over question, then every back in the same order. Throws
// Error when the amount cannot be read or there is no current client (nothing printed then).
// A marked run clears the marks only when both sides of every client were delivered.
RunSummary RunChequePrint(PrintHost &host, const PrintContext &context);

// aUtanvet: sender, the amount, the cash-on-delivery form for every client of the scope; marks
// as for the envelopes.
RunSummary RunCodPrint(PrintHost &host, const PrintContext &context);

// The amount typed in the cheque dialog: decimal digits from 0 to 2147483647. Throws Error for
// an empty or too large number.
qint64 ParseChequeAmount(const QString &text);

} // namespace kartevo
