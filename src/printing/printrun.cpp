#include "printing/printrun.h"

#include "core/clientlist.h"
#include "core/database.h"
#include "core/error.h"
#include "core/helpers.h"
#include "core/query.h"
#include "core/schema.h"
#include "core/settings.h"
#include "core/statement.h"
#include "core/tableview.h"

#include <QRegularExpression>

#include <functional>

#include <sqlite3.h>

namespace kartevo {

namespace {

QString PicturePath(const TBeall &settings, EnvelopeKind kind)
{
    switch (kind) {
    case EnvelopeKind::C6:
        return settings.i1;
    case EnvelopeKind::LA4:
        return settings.i2;
    case EnvelopeKind::LC5:
        break;
    }
    return settings.i3;
}

bool SenderExists(Database &db, qint64 key)
{
    Statement statement(db, QStringLiteral("SELECT 1 FROM tulajdonos WHERE tulajdonos=:k"));
    statement.bind(QStringLiteral(":k"), key);
    return statement.step();
}

qint64 RequireCurrentClient(const PrintContext &context)
{
    if (!context.currentClient)
        throw Error(QStringLiteral("Nincs kiválasztott ügyfél: az ügyféllista üres."));
    return *context.currentClient;
}

void PrintOne(PrintHost &host, const PrintContext &context, Stationery stationery, qint64 client,
              qint64 sender, bool direct)
{
    switch (stationery) {
    case Stationery::EnvelopeC6:
        PrintBoritek(host, context, EnvelopeKind::C6, client, sender, direct);
        return;
    case Stationery::EnvelopeLA4:
        PrintBoritek(host, context, EnvelopeKind::LA4, client, sender, direct);
        return;
    case Stationery::EnvelopeLC5:
        PrintBoritek(host, context, EnvelopeKind::LC5, client, sender, direct);
        return;
    case Stationery::Registered:
        PrintAjanlott(host, context, client, sender, direct);
        return;
    }
}

// One read transaction over the jobs of a run. Each job reads its client and its sender with a
// few statements; outside a transaction the engine takes and drops its file lock, looks for a
// hot journal and reads the file's header for every one of them (some forty file-system calls
// an envelope). Inside one, the lock is taken once. Nothing is written under it: the run's
// marks are cleared after it ends.
class ReadTransaction {
public:
    explicit ReadTransaction(Database &db) : m_db(db)
    {
        if (sqlite3_get_autocommit(db.handle()) != 0) {
            m_db.exec(QStringLiteral("BEGIN"));
            m_own = true;
        }
    }
    ~ReadTransaction()
    {
        if (!m_own)
            return;
        try {
            m_db.exec(QStringLiteral("ROLLBACK"));
        } catch (const Error &) {
            // Only a read lock to let go of: the connection drops it by itself.
        }
    }
    ReadTransaction(const ReadTransaction &) = delete;
    ReadTransaction &operator=(const ReadTransaction &) = delete;

private:
    Database &m_db;
    bool m_own = false;
};

} // namespace

// ---------------------------------------------------------------------------------------------
// Print jobs. Each builds its own report instance; nothing carries over between clients.
// ---------------------------------------------------------------------------------------------

namespace {

// Every job prints with the printer alignment of its stationery.
void Output(PrintHost &host, const PrintContext &context, report::Report &report, bool direct)
{
    report.applyCalibration(context.settings.calibration);
    host.output(report, direct);
}

} // namespace

void PrintBoritek(PrintHost &host, const PrintContext &context, EnvelopeKind kind, qint64 client,
                  qint64 sender, bool direct)
{
    report::Report report = MakeBoritek(kind);
    context.pictures.load(report, PicturePath(context.settings, kind));
    SetStationeryData(report, context.db, client, sender);
    Output(host, context, report, direct);
}

void PrintAjanlott(PrintHost &host, const PrintContext &context, qint64 client, qint64 sender, bool direct)
{
    report::Report report = MakeAjanlott();
    SetStationeryData(report, context.db, client, sender);
    Output(host, context, report, direct);
}

void PrintCsekk(PrintHost &host, const PrintContext &context, qint64 client, qint64 sender,
                qint64 amount, const QString &, bool direct)
{
    report::Report report = MakeCsekk(amount);
    SetStationeryData(report, context.db, client, sender);
    Output(host, context, report, direct);
}

void PrintCsekk2(PrintHost &host, const PrintContext &context, qint64 client, qint64 sender,
                 qint64, const QString &message, bool direct)
{
    report::Report report = MakeCsekk2(message);
    SetStationeryData(report, context.db, client, sender);
    Output(host, context, report, direct);
}

void PrintUtanvet(PrintHost &host, const PrintContext &context, qint64 client, qint64 sender,
                  qint64 amount, bool direct)
{
    report::Report report = MakeUtanvet(amount);
    SetStationeryData(report, context.db, client, sender);
    Output(host, context, report, direct);
}

// ---------------------------------------------------------------------------------------------
// Commands
// ---------------------------------------------------------------------------------------------

int ChooseSender(PrintHost &host, Database &db, const TBeall &settings)
{
    if (settings.Only1Sender && SenderExists(db, settings.Sender))
        return settings.Sender;
    return host.pickSender(-1);
}

int ChooseChequeSender(PrintHost &host, const TBeall &settings)
{
    if (settings.Only1Sender)
        return settings.Sender;
    return host.pickSender(settings.Sender);
}

QString ConfirmationText(int count)
{
    return QStringLiteral("Összesen ") + QString::number(count) + QStringLiteral(" tétel nyomtatása, folytassam?");
}

void CheckSortField(const QString &sortField)
{
    static const QRegularExpression column(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    if (!column.match(sortField).hasMatch())
        throw Error(QStringLiteral("Érvénytelen rendezési oszlop: %1").arg(sortField));
}

QStringList MarkedClientsSql(const std::optional<QString> &filterGroup, const QString &sortField)
{
    CheckSortField(sortField);
    QStringList lines = {QStringLiteral("SELECT * FROM ugyfel"), QStringLiteral("WHERE ugyfel>0"),
                         QStringLiteral("ORDER BY 1;")};
    QString clause = QStringLiteral("(jelolve='I')");
    if (filterGroup)
        clause += QStringLiteral(" AND (csoport=") + SqlQuoted(*filterGroup) + QLatin1Char(')');
    SetWhereLine(lines, clause);
    SetOrderByLine(lines, sortField);
    return lines;
}

QString StationeryNoun(Stationery stationery)
{
    switch (stationery) {
    case Stationery::EnvelopeC6:
    case Stationery::EnvelopeLA4:
    case Stationery::EnvelopeLC5:
        break;
    case Stationery::Registered:
        return QStringLiteral("ajánlott nyomtatvány");
    }
    return QStringLiteral("boríték");
}

QString RunSummaryText(const QString &noun, const RunSummary &summary)
{
    QString text = QStringLiteral("%1 %2 elkészült (%3 oldal)").arg(summary.clients).arg(noun).arg(summary.pages);
    if (summary.marked)
        text += summary.marksCleared ? QStringLiteral("; a kijelölések törölve") : QStringLiteral("; a kijelölések megmaradtak");
    return text;
}

namespace {

// The clients of the run's scope in print order. Scope "Mindenkinek" asks first (nullopt when
// declined) and leaves the list on its last row; the current scope gives the current client,
// or 0 when there is none and requireCurrent is false.
std::optional<QList<qint64>> ScopeClients(PrintHost &host, const PrintContext &context, bool requireCurrent)
{
    QList<qint64> keys;
    switch (context.scope) {
    case scope::Everyone: {
        TableView *clients = context.clients;
        const int count = clients ? clients->recordCount() : 0;
        if (!host.askYesNo(ConfirmationText(count), QStringLiteral("Megerősítés")))
            return std::nullopt;
        for (int row = 0; row < count; ++row) {
            clients->moveTo(row);
            keys.append(clients->asInteger(QStringLiteral("ugyfel")));
        }
        return keys;
    }
    case scope::Marked: {
        Query marked(context.db);
        marked.setSql(MarkedClientsSql(context.filterGroup, context.sortField));
        marked.open();
        for (int row = 0; row < marked.recordCount(); ++row) {
            marked.moveTo(row);
            keys.append(marked.asInteger(QStringLiteral("ugyfel")));
        }
        marked.close();
        return keys;
    }
    default:
        keys.append(requireCurrent ? RequireCurrentClient(context) : context.currentClient.value_or(0));
        return keys;
    }
}

using Job = std::function<void(PrintHost &, qint64, bool)>;

// One job per client, reporting progress as jobs [first, first + keys) of total. False when
// the user stopped the run; summary.pages counts the jobs output.
// (summary.clients is the number of first-side jobs.) The jobs read under one read transaction,
// let go of however the loop ends.
bool PrintEach(PrintHost &host, const PrintContext &context, const QList<qint64> &keys, int first, int total,
               RunSummary &summary, const Job &job)
{
    const ReadTransaction reads(context.db);
    for (int index = 0; index < keys.size(); ++index) {
        if (!host.progress(first + index, total))
            return false;
        job(host, keys.at(index), true);
        ++summary.pages;
    }
    return true;
}

// The end of a complete marked run: the jobs are delivered, then every mark goes (also those of
// clients outside the filter group) and the list is read again.
void FinishMarkedRun(PrintHost &host, const PrintContext &context, RunSummary &summary)
{
    host.deliver();
    try {
        context.db.exec(QStringLiteral("UPDATE ugyfel SET jelolve='N';"));
    } catch (const Error &error) {
        throw Error(QStringLiteral("A nyomtatványok elkészültek, de a nyomtatási kijelölések nem törölhetők, "
                                   "így a következő nyomtatás újra kinyomtatja őket: %1")
                        .arg(error.message()));
    }
    summary.marksCleared = true;
    if (context.clients) {
        context.clients->close();
        context.clients->open();
    }
}

// Collects the jobs of a run instead of outputting them; everything else goes to the real host.
class CollectingHost final : public PrintHost {
public:
    explicit CollectingHost(PrintHost &host) : m_host(host) {}

    QList<report::Report> jobs;

    bool askYesNo(const QString &message, const QString &caption) override { return m_host.askYesNo(message, caption); }
    int pickSender(int positionOn) override { return m_host.pickSender(positionOn); }
    bool editCheque(QString &amountText, QString &message) override { return m_host.editCheque(amountText, message); }
    bool inputAmount(qint64 &amount) override { return m_host.inputAmount(amount); }
    void output(const report::Report &report, bool) override { jobs.append(report); }
    PreviewChoice previewRun(const QList<report::Report> &) override { return PreviewChoice::Closed; }

private:
    PrintHost &m_host;
};

// The preview of a run over the clients: every front, then every back, as they would print.
PrintHost::PreviewChoice PreviewJobs(PrintHost &host, const QList<qint64> &keys, const Job &front, const Job &back)
{
    CollectingHost collector(host);
    for (const qint64 key : keys)
        front(collector, key, false);
    if (back) {
        for (const qint64 key : keys)
            back(collector, key, false);
    }
    return host.previewRun(collector.jobs);
}

// Runs jobs over the clients of the scope; a run over several clients is printed directly, as
// is a run printed from its preview. A non-null second job runs for every client after the
// turn-over question.
RunSummary RunOverScope(PrintHost &host, const PrintContext &context, bool requireCurrent, const Job &front,
                        const Job &back = {})
{
    RunSummary summary;
    const std::optional<QList<qint64>> keys = ScopeClients(host, context, requireCurrent);
    if (!keys)
        return summary;
    if (context.preview && PreviewJobs(host, *keys, front, back) != PrintHost::PreviewChoice::Print)
        return summary;
    const bool single = context.scope != scope::Everyone && context.scope != scope::Marked;
    summary.marked = context.scope == scope::Marked;
    const bool direct = single && !context.preview ? bool(context.settings.UsePrinter) : true;
    const int total = int(keys->size()) * (back ? 2 : 1);
    const auto report = [&](int done) {
        if (!single)
            host.progress(done, total);
    };
    if (single) {
        front(host, keys->first(), direct);
        ++summary.pages;
    }
    const bool frontsDone = single || PrintEach(host, context, *keys, 0, total, summary, front);
    summary.clients = summary.pages;
    if (!frontsDone)
        return summary;
    if (back) {
        if (!host.askYesNo(QStringLiteral("Helyezze vissza fordítva a csekket, nyomtatáshoz nyomja meg az \"Igen\" gombot."),
                           QStringLiteral("Folytatás")))
            return summary;
        if (single) {
            back(host, keys->first(), direct);
            ++summary.pages;
        } else if (!PrintEach(host, context, *keys, int(keys->size()), total, summary, back)) {
            return summary;
        }
    }
    report(total);
    if (summary.marked)
        FinishMarkedRun(host, context, summary);
    return summary;
}

} // namespace

RunSummary RunScopedPrint(PrintHost &host, const PrintContext &context, Stationery stationery)
{
    const int sender = ChooseSender(host, context.db, context.settings);
    if (sender == -1)
        return {};
    return RunOverScope(host, context, false, [&](PrintHost &target, qint64 client, bool direct) {
        PrintOne(target, context, stationery, client, sender, direct);
    });
}

qint64 ParseChequeAmount(const QString &text)
{
    bool ok = false;
    const qint64 amount = text.trimmed().toLongLong(&ok);
    if (!ok || amount < 0 || amount > 2147483647)
        throw Error(QStringLiteral("\"%1\" nem érvényes egész szám (0 és 2147483647 között).").arg(text));
    return amount;
}

RunSummary RunChequePrint(PrintHost &host, const PrintContext &context)
{
    const int sender = ChooseChequeSender(host, context.settings);
    if (sender == -1)
        return {};
    QString amountText = QStringLiteral("0");
    QString message;
    if (!host.editCheque(amountText, message))
        return {};
    if (context.scope != scope::Everyone && context.scope != scope::Marked)
        RequireCurrentClient(context);
    const qint64 amount = ParseChequeAmount(amountText);
    return RunOverScope(
        host, context, true,
        [&](PrintHost &target, qint64 client, bool direct) {
            PrintCsekk(target, context, client, sender, amount, message, direct);
        },
        [&](PrintHost &target, qint64 client, bool direct) {
            PrintCsekk2(target, context, client, sender, amount, message, direct);
        });
}

RunSummary RunCodPrint(PrintHost &host, const PrintContext &context)
{
    const int sender = ChooseSender(host, context.db, context.settings);
    if (sender == -1)
        return {};
    qint64 amount = 1000;
    if (!host.inputAmount(amount))
        return {};
    return RunOverScope(host, context, true, [&](PrintHost &target, qint64 client, bool direct) {
        PrintUtanvet(target, context, client, sender, amount, direct);
    });
}

} // namespace kartevo
