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
    LoadEnvelopePicture(report, PicturePath(context.settings, kind));
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

void RunScopedPrint(PrintHost &host, const PrintContext &context, Stationery stationery)
{
    const int sender = ChooseSender(host, context.db, context.settings);
    if (sender == -1)
        return;

    switch (context.scope) {
    case scope::Current:
        PrintOne(host, context, stationery, context.currentClient.value_or(0), sender,
                 context.settings.UsePrinter);
        return;

    case scope::Everyone: {
        TableView *clients = context.clients;
        const int count = clients ? clients->recordCount() : 0;
        if (!host.askYesNo(ConfirmationText(count), QStringLiteral("Megerősítés")))
            return;
        for (int row = 0; row < count; ++row) {
            if (!host.progress(row, count))
                return;
            clients->moveTo(row);
            PrintOne(host, context, stationery, clients->asInteger(QStringLiteral("ugyfel")), sender, true);
        }
        host.progress(count, count);
        return;
    }

    case scope::Marked: {
        Query marked(context.db);
        marked.setSql(MarkedClientsSql(context.filterGroup, context.sortField));
        marked.open();
        QList<qint64> keys;
        for (int row = 0; row < marked.recordCount(); ++row) {
            marked.moveTo(row);
            keys.append(marked.asInteger(QStringLiteral("ugyfel")));
        }
        marked.close();
        const int count = int(keys.size());
        for (int done = 0; done < count; ++done) {
            if (!host.progress(done, count))
                return;
            PrintOne(host, context, stationery, keys.at(done), sender, true);
        }
        host.progress(count, count);
        host.deliver();
        // Every mark goes, also those of clients outside the filter group.
        try {
            context.db.exec(QStringLiteral("UPDATE ugyfel SET jelolve='N';"));
        } catch (const Error &error) {
            throw Error(QStringLiteral("A nyomtatványok elkészültek, de a nyomtatási kijelölések nem törölhetők, "
                                       "így a következő nyomtatás újra kinyomtatja őket: %1")
                            .arg(error.message()));
        }
        if (context.clients) {
            context.clients->close();
            context.clients->open();
        }
        return;
    }

    default:
        return;
    }
}

qint64 ParseChequeAmount(const QString &text)
{
    bool ok = false;
    const qint64 amount = text.trimmed().toLongLong(&ok);
    if (!ok || amount < 0 || amount > 2147483647)
        throw Error(QStringLiteral("\"%1\" nem érvényes egész szám (0 és 2147483647 között).").arg(text));
    return amount;
}

void RunChequePrint(PrintHost &host, const PrintContext &context)
{
    const int sender = ChooseChequeSender(host, context.settings);
    if (sender == -1)
        return;
    QString amountText = QStringLiteral("0");
    QString message;
    if (!host.editCheque(amountText, message))
        return;
    const qint64 client = RequireCurrentClient(context);
    const qint64 amount = ParseChequeAmount(amountText);
    const bool direct = context.settings.UsePrinter;
    PrintCsekk(host, context, client, sender, amount, message, direct);
    if (!host.askYesNo(QStringLiteral("Helyezze vissza fordítva a csekket, nyomtatáshoz nyomja meg az \"Igen\" gombot."),
                       QStringLiteral("Folytatás")))
        return;
    PrintCsekk2(host, context, client, sender, amount, message, direct);
}

void RunCodPrint(PrintHost &host, const PrintContext &context)
{
    const int sender = ChooseSender(host, context.db, context.settings);
    if (sender == -1)
        return;
    qint64 amount = 1000;
    if (!host.inputAmount(amount))
        return;
    const qint64 client = RequireCurrentClient(context);
    PrintUtanvet(host, context, client, sender, amount, context.settings.UsePrinter);
}

} // namespace kartevo
