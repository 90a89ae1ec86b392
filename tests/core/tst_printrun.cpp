// The print run with a fake host: sender choice, scopes, the confirmation, the marked run and
// its clearing of marks, the cheque and cash-on-delivery runs, errors stopping a run.
#include "core/database.h"
#include "core/error.h"
#include "core/settings.h"
#include "core/statement.h"
#include "core/tableview.h"
#include "printing/printrun.h"
#include "testfiles.h"
#include "testfolders.h"

#include <QTemporaryDir>
#include <QTest>

using namespace kartevo;
using kartevo::test::DemoDatabase;

namespace {

// One output job as the fake saw it.
struct Job {
    QString report;
    qint64 client = -1; // ugyfel of the client row; 0 when there is none
    QString sender;     // tulajdonos_nev
    bool direct = false;
    report::Report data;
};

class FakeHost final : public PrintHost {
public:
    QStringList questions;
    bool answer = true;
    QList<int> pickerCalls;
    int pickerAnswer = 2;
    bool chequeAccepted = true;
    QString chequeAmount = QStringLiteral("1500");
    QString chequeMessage;
    int chequeDialogs = 0;
    bool amountAccepted = true;
    qint64 offeredAmount = -1;
    qint64 typedAmount = 1000;
    int failAtJob = -1; // output throws at this job (counted from 0)
    int cancelAtJob = -1; // the user stops the run before this job (counted from 0)
    QList<Job> jobs;
    QList<QPair<int, int>> progressCalls;
    Database *db = nullptr;         // where deliver() counts the marks
    bool deliveryFails = false;
    int jobsWhenDelivered = -1;
    int marksWhenDelivered = -1;
    PreviewChoice previewChoice = PreviewChoice::Closed;
    QList<QList<Job>> previews; // the jobs of each preview shown
    int jobsWhenPreviewed = -1;  // jobs output before the preview

    PreviewChoice previewRun(const QList<report::Report> &reports) override
    {
        jobsWhenPreviewed = int(jobs.size());
        QList<Job> shown;
        for (const report::Report &report : reports)
            shown.append(Describe(report, false));
        previews.append(shown);
        return previewChoice;
    }

    void deliver() override
    {
        jobsWhenDelivered = int(jobs.size());
        if (db)
            marksWhenDelivered = test::SqlValue(*db, QStringLiteral("SELECT count(*) FROM ugyfel WHERE jelolve='I'")).toInt();
        if (deliveryFails)
            throw Error(QStringLiteral("a PDF nem írható"));
    }

    bool progress(int done, int total) override
    {
        progressCalls.append({done, total});
        return done != cancelAtJob;
    }

    bool askYesNo(const QString &message, const QString &caption) override
    {
        questions.append(caption + QStringLiteral(": ") + message);
        return answer;
    }
    int pickSender(int positionOn) override
    {
        pickerCalls.append(positionOn);
        return pickerAnswer;
    }
    bool editCheque(QString &amountText, QString &message) override
    {
        ++chequeDialogs;
        amountText = chequeAmount;
        message = chequeMessage;
        return chequeAccepted;
    }
    bool inputAmount(qint64 &amount) override
    {
        offeredAmount = amount;
        if (amountAccepted)
            amount = typedAmount;
        return amountAccepted;
    }
    void output(const report::Report &report, bool direct) override
    {
        if (jobs.size() == failAtJob)
            throw Error(QStringLiteral("a nyomtató elfogyott"));
        jobs.append(Describe(report, direct));
    }

    static Job Describe(const report::Report &report, bool direct)
    {
        Job job;
        job.report = report.name;
        const report::DataSource *client = report.source(QStringLiteral("Qry"));
        job.client = client && !client->rows.isEmpty() ? client->value(0, QStringLiteral("ugyfel")).toLongLong() : 0;
        const report::DataSource *sender = report.source(QStringLiteral("Tbl"));
        job.sender = sender ? sender->value(0, QStringLiteral("tulajdonos_nev")) : QString();
        job.direct = direct;
        job.data = report;
        return job;
    }

    static QList<qint64> Clients(const QList<Job> &list)
    {
        QList<qint64> keys;
        for (const Job &job : list)
            keys.append(job.client);
        return keys;
    }
    QList<qint64> clients() const { return Clients(jobs); }
};

QVariant Scalar(Database &db, const QString &sql)
{
    return test::SqlValue(db, sql);
}

// The client list of the main window: one group or all, ordered by the name's sort key.
std::unique_ptr<TableView> ClientTable(Database &db, const QString &group = {})
{
    auto table = std::make_unique<TableView>(db, QStringLiteral("ugyfel"));
    if (!group.isEmpty())
        table->setFilter(QStringLiteral("csoport='%1'").arg(group));
    table->setOrder(QStringLiteral("ugyfel_nevs"));
    table->open();
    return table;
}

} // namespace

class TestPrintRun : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Envelope senders: the default one without asking when it exists, otherwise the list.
    void senderChoice_data()
    {
        QTest::addColumn<bool>("only1");
        QTest::addColumn<int>("sender");
        QTest::addColumn<QList<int>>("pickerCalls");
        QTest::addColumn<QString>("printedSender");
        QTest::newRow("default exists") << true << 1 << QList<int>{} << QStringLiteral("Minta Iroda Kft.");
        QTest::newRow("default deleted") << true << 9 << QList<int>{-1} << QStringLiteral("Példa Könyvelő Bt.");
        QTest::newRow("always ask") << false << 1 << QList<int>{-1} << QStringLiteral("Példa Könyvelő Bt.");
    }
    void senderChoice()
    {
        QFETCH(bool, only1);
        QFETCH(int, sender);
        QFETCH(QList<int>, pickerCalls);
        QFETCH(QString, printedSender);
        DemoDatabase demo;
        TBeall settings;
        settings.Only1Sender = only1;
        settings.Sender = sender;
        FakeHost host;
        host.pickerAnswer = 2;
        PrintContext context(demo.db, settings);
        context.currentClient = 5;
        for (Stationery stationery : {Stationery::EnvelopeC6, Stationery::Registered}) {
            host.jobs.clear();
            host.pickerCalls.clear();
            RunScopedPrint(host, context, stationery);
            QCOMPARE(host.pickerCalls, pickerCalls);
            QCOMPARE(host.jobs.size(), 1);
            QCOMPARE(host.jobs.first().sender, printedSender);
        }
    }

    void cancelledSenderPrintsNothing()
    {
        DemoDatabase demo;
        TBeall settings;
        settings.Only1Sender = false;
        FakeHost host;
        host.pickerAnswer = -1;
        auto table = ClientTable(demo.db);
        PrintContext context(demo.db, settings);
        context.clients = table.get();
        context.currentClient = 1;
        demo.db.exec(QStringLiteral("UPDATE ugyfel SET jelolve='I' WHERE ugyfel IN (1, 2)"));
        for (int scope : {scope::Current, scope::Everyone, scope::Marked}) {
            context.scope = scope;
            RunScopedPrint(host, context, Stationery::EnvelopeLA4);
        }
        RunCodPrint(host, context);
        RunChequePrint(host, context);
        QVERIFY(host.jobs.isEmpty());
        QVERIFY(host.questions.isEmpty());
        QCOMPARE(host.chequeDialogs, 0);
        QCOMPARE(host.offeredAmount, -1);
        // The marks stay: the marked run never started.
        QCOMPARE(Scalar(demo.db, QStringLiteral("SELECT count(*) FROM ugyfel WHERE jelolve='I'")).toInt(), 2);
    }

    // "Aktuális": one job for the current client, previewed or printed as UsePrinter says.
    void currentClient_data()
    {
        QTest::addColumn<bool>("usePrinter");
        QTest::addColumn<bool>("hasCurrent");
        QTest::newRow("preview") << false << true;
        QTest::newRow("printer") << true << true;
        QTest::newRow("empty list") << true << false;
    }
    void currentClient()
    {
        QFETCH(bool, usePrinter);
        QFETCH(bool, hasCurrent);
        DemoDatabase demo;
        TBeall settings;
        settings.UsePrinter = usePrinter;
        FakeHost host;
        PrintContext context(demo.db, settings);
        if (hasCurrent)
            context.currentClient = 9;
        RunScopedPrint(host, context, Stationery::EnvelopeLC5);
        QVERIFY(host.questions.isEmpty());
        QCOMPARE(host.jobs.size(), 1);
        QCOMPARE(host.jobs.first().report, QStringLiteral("qrBoritek3"));
        QCOMPARE(host.jobs.first().direct, usePrinter);
        QCOMPARE(host.jobs.first().client, hasCurrent ? 9 : 0);
        if (hasCurrent) // Kiss Anna is her own contact: no contact line.
            QCOMPARE(host.jobs.first().data.source(QStringLiteral("Qry"))->value(0, QStringLiteral("ui2")), QString());
    }

    // "Mindenkinek": the question with the list's row count, then every row printed directly.
    void everyone_data()
    {
        QTest::addColumn<QString>("group");
        QTest::addColumn<bool>("answer");
        QTest::addColumn<int>("count");
        QTest::newRow("group yes") << QStringLiteral("Önkormányzatok") << true << 5;
        QTest::newRow("group no") << QStringLiteral("Önkormányzatok") << false << 5;
        QTest::newRow("empty list") << QStringLiteral("Nincs ilyen") << true << 0;
    }
    void everyone()
    {
        QFETCH(QString, group);
        QFETCH(bool, answer);
        QFETCH(int, count);
        DemoDatabase demo;
        TBeall settings;
        settings.UsePrinter = false; // the whole list always goes to the printer
        auto table = ClientTable(demo.db, group);
        QList<qint64> listed;
        for (int row = 0; row < table->recordCount(); ++row) {
            table->moveTo(row);
            listed.append(table->asInteger(QStringLiteral("ugyfel")));
        }
        table->moveTo(0);
        FakeHost host;
        host.answer = answer;
        PrintContext context(demo.db, settings);
        context.clients = table.get();
        context.scope = scope::Everyone;
        RunScopedPrint(host, context, Stationery::EnvelopeC6);
        QCOMPARE(host.questions, QStringList{QStringLiteral("Megerősítés: Összesen %1 tétel nyomtatása, folytassam?").arg(count)});
        if (!answer || count == 0) {
            QVERIFY(host.jobs.isEmpty());
            return;
        }
        QCOMPARE(host.clients(), listed);
        for (const Job &job : std::as_const(host.jobs))
            QVERIFY(job.direct);
        QCOMPARE(table->currentRow(), count - 1);
    }

    void markedQueryText()
    {
        QCOMPARE(MarkedClientsSql(QStringLiteral("Vevők"), QStringLiteral("ugyfel_nev")),
                 (QStringList{QStringLiteral("SELECT * FROM ugyfel"), QStringLiteral("WHERE (jelolve='I') AND (csoport='Vevők')"),
                              QStringLiteral("ORDER BY ugyfel_nev;")}));
        QCOMPARE(MarkedClientsSql(std::nullopt, QStringLiteral("cim_varos")).mid(1),
                 (QStringList{QStringLiteral("WHERE (jelolve='I')"), QStringLiteral("ORDER BY cim_varos;")}));
        QCOMPARE(MarkedClientsSql(QStringLiteral("O'Brien"), QStringLiteral("ugyfel_nev")).at(1),
                 QStringLiteral("WHERE (jelolve='I') AND (csoport='O''Brien')"));
        QVERIFY_THROWS_EXCEPTION(Error, MarkedClientsSql(std::nullopt, QStringLiteral("ugyfel_nev; DROP TABLE ugyfel")));
    }

    // "Csak a kijelölteknek": the marked clients of the filter group in the order of the sort
    // column's values, printed directly without a question; then no client is marked anywhere.
    void marked()
    {
        DemoDatabase demo;
        // Partnerek: 22 Zalai, 1 Almási, 14 Óbudai; Szállítók: 2 Bakonyi.
        demo.db.exec(QStringLiteral("UPDATE ugyfel SET jelolve='I' WHERE ugyfel IN (22, 1, 14, 2)"));
        TBeall settings;
        settings.UsePrinter = false;
        auto table = ClientTable(demo.db, QStringLiteral("Partnerek"));
        FakeHost host;
        PrintContext context(demo.db, settings);
        context.clients = table.get();
        context.scope = scope::Marked;
        context.filterGroup = QStringLiteral("Partnerek");
        RunScopedPrint(host, context, Stationery::Registered);
        QVERIFY(host.questions.isEmpty());
        // Stored values, not the folded sort key: "Óbudai" sorts after "Zalai".
        QCOMPARE(host.clients(), (QList<qint64>{1, 22, 14}));
        for (const Job &job : std::as_const(host.jobs)) {
            QVERIFY(job.direct);
            QCOMPARE(job.report, QStringLiteral("qrAjanlott"));
        }
        QCOMPARE(Scalar(demo.db, QStringLiteral("SELECT count(*) FROM ugyfel WHERE jelolve<>'N'")).toInt(), 0);
        // The list was read again: it shows the cleared marks.
        QVERIFY(table->isOpen());
        for (int row = 0; row < table->recordCount(); ++row) {
            table->moveTo(row);
            QCOMPARE(table->asString(QStringLiteral("jelolve")), QStringLiteral("N"));
        }
    }

    void markedWithoutMarksStillClears()
    {
        DemoDatabase demo;
        demo.db.exec(QStringLiteral("UPDATE ugyfel SET jelolve='I' WHERE ugyfel=2")); // Szállítók
        TBeall settings;
        FakeHost host;
        PrintContext context(demo.db, settings);
        context.scope = scope::Marked;
        context.filterGroup = QStringLiteral("Partnerek");
        RunScopedPrint(host, context, Stationery::EnvelopeC6);
        QVERIFY(host.jobs.isEmpty());
        QVERIFY(host.questions.isEmpty());
        QCOMPARE(Scalar(demo.db, QStringLiteral("SELECT jelolve FROM ugyfel WHERE ugyfel=2")).toString(), QStringLiteral("N"));
    }

    // An error in a job ends the command: earlier jobs stay output, nothing after it runs and
    // the marks of the clients not yet printed stay.
    void errorStopsTheRun()
    {
        DemoDatabase demo;
        demo.db.exec(QStringLiteral("UPDATE ugyfel SET jelolve='I' WHERE ugyfel IN (1, 3, 5)"));
        TBeall settings;
        FakeHost host;
        host.failAtJob = 1;
        PrintContext context(demo.db, settings);
        context.scope = scope::Marked;
        QVERIFY_THROWS_EXCEPTION(Error, RunScopedPrint(host, context, Stationery::EnvelopeC6));
        QCOMPARE(host.clients(), QList<qint64>{1});
        QCOMPARE(Scalar(demo.db, QStringLiteral("SELECT count(*) FROM ugyfel WHERE jelolve='I'")).toInt(), 3);
    }

    // The run reports its progress before every job and at the end; stopping it between two
    // jobs keeps what was printed and every mark, as an error does.
    void progressAndStoppingAMarkedRun()
    {
        DemoDatabase demo;
        demo.db.exec(QStringLiteral("UPDATE ugyfel SET jelolve='I' WHERE ugyfel IN (1, 3, 5)"));
        TBeall settings;
        PrintContext context(demo.db, settings);
        context.scope = scope::Marked;

        FakeHost complete;
        RunScopedPrint(complete, context, Stationery::EnvelopeC6);
        QCOMPARE(complete.progressCalls, (QList<QPair<int, int>>{{0, 3}, {1, 3}, {2, 3}, {3, 3}}));

        demo.db.exec(QStringLiteral("UPDATE ugyfel SET jelolve='I' WHERE ugyfel IN (1, 3, 5)"));
        FakeHost stopped;
        stopped.cancelAtJob = 2;
        RunScopedPrint(stopped, context, Stationery::EnvelopeC6);
        QCOMPARE(stopped.clients(), (QList<qint64>{1, 3}));
        QCOMPARE(Scalar(demo.db, QStringLiteral("SELECT count(*) FROM ugyfel WHERE jelolve='I'")).toInt(), 3);
    }

    // The marks go only after every job was delivered; a delivery that fails keeps them, and a
    // clearing that cannot be written (another program holds the database) is an error.
    void marksGoOnlyAfterDelivery()
    {
        DemoDatabase demo;
        const QString marks = QStringLiteral("UPDATE ugyfel SET jelolve='I' WHERE ugyfel IN (1, 3, 5)");
        const QString markCount = QStringLiteral("SELECT count(*) FROM ugyfel WHERE jelolve='I'");
        demo.db.exec(marks);
        TBeall settings;
        PrintContext context(demo.db, settings);
        context.scope = scope::Marked;

        FakeHost delivered;
        delivered.db = &demo.db;
        RunScopedPrint(delivered, context, Stationery::EnvelopeC6);
        QCOMPARE(delivered.jobsWhenDelivered, 3);
        QCOMPARE(delivered.marksWhenDelivered, 3);
        QCOMPARE(Scalar(demo.db, markCount).toInt(), 0);

        demo.db.exec(marks);
        FakeHost failing;
        failing.deliveryFails = true;
        QVERIFY_THROWS_EXCEPTION(Error, RunScopedPrint(failing, context, Stationery::EnvelopeC6));
        QCOMPARE(Scalar(demo.db, markCount).toInt(), 3);

        Database other;
        other.open(demo.db.path());
        other.exec(QStringLiteral("BEGIN IMMEDIATE"));
        FakeHost locked;
        try {
            RunScopedPrint(locked, context, Stationery::EnvelopeC6);
            QFAIL("a mark reset that cannot be written passed as success");
        } catch (const Error &error) {
            QVERIFY2(error.message().contains(QStringLiteral("nem törölhetők")), qPrintable(error.message()));
        }
        other.exec(QStringLiteral("ROLLBACK"));
        QCOMPARE(locked.jobs.size(), 3);
        QCOMPARE(Scalar(demo.db, markCount).toInt(), 3);
    }

    // An envelope picture that cannot be read stops the command before that client prints.
    void unreadablePictureStopsBeforePrinting()
    {
        DemoDatabase demo;
        QTemporaryDir dir;
        const QString broken = dir.filePath(QStringLiteral("logo.bmp"));
        test::WriteBytes(broken, "BM nem kép");
        TBeall settings;
        settings.i2 = broken;
        settings.i1 = dir.filePath(QStringLiteral("nincs.jpg")); // missing: ignored
        FakeHost host;
        PrintContext context(demo.db, settings);
        context.currentClient = 1;
        RunScopedPrint(host, context, Stationery::EnvelopeC6);
        QCOMPARE(host.jobs.size(), 1);
        QVERIFY_THROWS_EXCEPTION(Error, RunScopedPrint(host, context, Stationery::EnvelopeLA4));
        QCOMPARE(host.jobs.size(), 1);
    }

    void cheque_data()
    {
        QTest::addColumn<bool>("only1");
        QTest::addColumn<bool>("turnOver");
        QTest::addColumn<bool>("usePrinter");
        QTest::newRow("both sides printed") << true << true << true;
        QTest::newRow("front only") << true << false << true;
        QTest::newRow("previews, sender list") << false << true << false;
    }
    void cheque()
    {
        QFETCH(bool, only1);
        QFETCH(bool, turnOver);
        QFETCH(bool, usePrinter);
        DemoDatabase demo;
        TBeall settings;
        settings.Only1Sender = only1;
        settings.Sender = 1;
        settings.UsePrinter = usePrinter;
        settings.Path = QStringLiteral("x");
        FakeHost host;
        host.answer = turnOver;
        host.pickerAnswer = 2;
        host.chequeAmount = QStringLiteral("1500");
        host.chequeMessage = QStringLiteral("1\n2\n3\n4\n5\n");
        PrintContext context(demo.db, settings);
        context.currentClient = 4;
        context.scope = scope::Current;
        RunChequePrint(host, context);
        QCOMPARE(host.pickerCalls, only1 ? QList<int>{} : QList<int>{1});
        QCOMPARE(host.questions,
                 QStringList{QStringLiteral("Folytatás: Helyezze vissza fordítva a csekket, nyomtatáshoz nyomja meg az \"Igen\" gombot.")});
        QCOMPARE(host.jobs.size(), turnOver ? 2 : 1);
        QCOMPARE(host.jobs.at(0).report, QStringLiteral("qrCsekk"));
        QCOMPARE(host.jobs.at(0).client, 4);
        QCOMPARE(host.jobs.at(0).direct, usePrinter);
        QCOMPARE(host.jobs.at(0).data.item(QStringLiteral("QRLabel1"))->caption, QStringLiteral("    1 5 0 0 "));
        QCOMPARE(host.jobs.at(0).data.item(QStringLiteral("QRLabel4"))->caption, QStringLiteral("egyezer ötszáz"));
        if (turnOver) {
            QCOMPARE(host.jobs.at(1).report, QStringLiteral("qrCsekk2"));
            QCOMPARE(host.jobs.at(1).direct, usePrinter);
            QCOMPARE(host.jobs.at(1).data.item(QStringLiteral("QRLabel4"))->caption, host.chequeMessage);
            QCOMPARE(host.jobs.at(1).sender, only1 ? QStringLiteral("Minta Iroda Kft.") : QStringLiteral("Példa Könyvelő Bt."));
        }
    }

    // A text far longer than its column (put in by SQL) reaches the report cut to the column's
    // declared width, so laying it out costs no more than a full column.
    void longFieldsAreCutToTheirColumns_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("field");
        QTest::addColumn<int>("width");
        QTest::addColumn<QString>("first"); // the letter the stored text starts with
        QTest::newRow("client name") << QStringLiteral("Qry") << QStringLiteral("ugyfel_nev") << 75 << QStringLiteral("N");
        QTest::newRow("contact line") << QStringLiteral("Qry") << QStringLiteral("ui2") << 75 << QStringLiteral("K");
        QTest::newRow("town") << QStringLiteral("Qry") << QStringLiteral("cim_varos") << 25 << QStringLiteral("V");
        QTest::newRow("street") << QStringLiteral("Qry") << QStringLiteral("cim_cim") << 75 << QStringLiteral("C");
        QTest::newRow("postal code") << QStringLiteral("Qry") << QStringLiteral("cim_irsz") << 8 << QStringLiteral("I");
        QTest::newRow("sender name") << QStringLiteral("Tbl") << QStringLiteral("tulajdonos_nev") << 75 << QStringLiteral("T");
        QTest::newRow("sender address") << QStringLiteral("Tbl") << QStringLiteral("varoscim") << 75 << QStringLiteral("A");
        QTest::newRow("sender postal code") << QStringLiteral("Tbl") << QStringLiteral("irsz") << 8 << QStringLiteral("P");
    }
    void longFieldsAreCutToTheirColumns()
    {
        QFETCH(QString, source);
        QFETCH(QString, field);
        QFETCH(int, width);
        QFETCH(QString, first);
        DemoDatabase demo;
        // A letter and a million characters, "Ő1" over and over; the sort keys are left alone.
        const QString million = QStringLiteral("replace(hex(zeroblob(250000)), '0', 'Ő1')");
        demo.db.exec(QStringLiteral("UPDATE ugyfel SET ugyfel_nev='N'||%1, kapcsolat='K'||%1, cim_varos='V'||%1, "
                                    "cim_cim='C'||%1, cim_irsz='I'||%1 WHERE ugyfel=4;"
                                    "UPDATE tulajdonos SET tulajdonos_nev='T'||%1, varoscim='A'||%1, irsz='P'||%1 "
                                    "WHERE tulajdonos=1;")
                         .arg(million));
        TBeall settings;
        FakeHost host;
        PrintContext context(demo.db, settings);
        context.currentClient = 4;
        RunChequePrint(host, context);
        QCOMPARE(host.jobs.size(), 2);
        for (const Job &job : std::as_const(host.jobs)) {
            const report::DataSource *data = job.data.source(source);
            QVERIFY(data);
            QCOMPARE(data->value(0, field), first + QStringLiteral("Ő1").repeated(width).left(width - 1));
        }
        // The database keeps what it holds.
        QCOMPARE(test::SqlValue(demo.db, QStringLiteral("SELECT length(ugyfel_nev) FROM ugyfel WHERE ugyfel=4")).toInt(),
                 1000001);
    }

    // The cheque takes Sender as it is, even when no such sender exists (empty sender items).
    void chequeSenderIsNotLookedUp()
    {
        DemoDatabase demo;
        TBeall settings;
        settings.Sender = 77;
        FakeHost host;
        PrintContext context(demo.db, settings);
        context.currentClient = 4;
        RunChequePrint(host, context);
        QVERIFY(host.pickerCalls.isEmpty());
        QCOMPARE(host.jobs.size(), 2);
        QCOMPARE(host.jobs.first().sender, QString());
    }

    void chequeRefusals_data()
    {
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QString>("amount");
        QTest::addColumn<bool>("hasClient");
        QTest::addColumn<bool>("fails");
        QTest::newRow("cancelled") << false << QStringLiteral("1500") << true << false;
        QTest::newRow("empty amount") << true << QString() << true << true;
        QTest::newRow("too large") << true << QStringLiteral("2147483648") << true << true;
        QTest::newRow("largest") << true << QStringLiteral("2147483647") << true << false;
        QTest::newRow("empty client list") << true << QStringLiteral("1500") << false << true;
    }
    void chequeRefusals()
    {
        QFETCH(bool, accepted);
        QFETCH(QString, amount);
        QFETCH(bool, hasClient);
        QFETCH(bool, fails);
        DemoDatabase demo;
        TBeall settings;
        FakeHost host;
        host.chequeAccepted = accepted;
        host.chequeAmount = amount;
        PrintContext context(demo.db, settings);
        if (hasClient)
            context.currentClient = 4;
        if (fails) {
            QVERIFY_THROWS_EXCEPTION(Error, RunChequePrint(host, context));
            QVERIFY(host.jobs.isEmpty());
            QVERIFY(host.questions.isEmpty());
        } else {
            RunChequePrint(host, context);
            QCOMPARE(host.jobs.size(), accepted ? 2 : 0);
        }
    }

    void cod()
    {
        DemoDatabase demo;
        TBeall settings;
        settings.UsePrinter = false;
        FakeHost host;
        host.typedAmount = 1000;
        PrintContext context(demo.db, settings);
        context.currentClient = 6;
        context.scope = scope::Current;
        RunCodPrint(host, context);
        QCOMPARE(host.offeredAmount, 1000);
        QCOMPARE(host.jobs.size(), 1);
        QCOMPARE(host.jobs.first().report, QStringLiteral("qrUtanvet"));
        QCOMPARE(host.jobs.first().client, 6);
        QVERIFY(!host.jobs.first().direct);
        QCOMPARE(host.jobs.first().data.item(QStringLiteral("QRLabel1"))->caption, QStringLiteral("    1 0 0 0 "));
        QCOMPARE(host.jobs.first().data.item(QStringLiteral("QRLabel4"))->caption, QStringLiteral("egyezer "));

        host.jobs.clear();
        host.amountAccepted = false;
        RunCodPrint(host, context);
        QVERIFY(host.jobs.isEmpty());

        host.amountAccepted = true;
        context.currentClient.reset();
        QVERIFY_THROWS_EXCEPTION(Error, RunCodPrint(host, context));
        QVERIFY(host.jobs.isEmpty());
    }

    // The money order and the cash-on-delivery form for the marked clients: one amount for the
    // run, every front in print order, the turn-over question once, every back in the same
    // order; the marks go only when the whole run was delivered.
    void formsForMarkedClients_data()
    {
        QTest::addColumn<bool>("cheque");
        QTest::addColumn<bool>("turnOver");
        QTest::newRow("money order, both sides") << true << true;
        QTest::newRow("money order, back refused") << true << false;
        QTest::newRow("cash on delivery") << false << true;
    }
    void formsForMarkedClients()
    {
        QFETCH(bool, cheque);
        QFETCH(bool, turnOver);
        DemoDatabase demo;
        demo.db.exec(QStringLiteral("UPDATE ugyfel SET jelolve='I' WHERE ugyfel IN (22, 1, 14, 2)"));
        TBeall settings;
        settings.UsePrinter = false;
        settings.Only1Sender = true;
        settings.Sender = 1;
        auto table = ClientTable(demo.db, QStringLiteral("Partnerek"));
        FakeHost host;
        host.db = &demo.db;
        host.answer = turnOver;
        host.chequeAmount = QStringLiteral("1500");
        host.typedAmount = 1500;
        host.chequeMessage = QStringLiteral("tagdíj");
        PrintContext context(demo.db, settings);
        context.clients = table.get();
        context.scope = scope::Marked;
        context.filterGroup = QStringLiteral("Partnerek");
        const RunSummary summary = cheque ? RunChequePrint(host, context) : RunCodPrint(host, context);

        const QList<qint64> order{1, 22, 14};
        const bool complete = !cheque || turnOver;
        QCOMPARE(host.clients(), cheque && turnOver ? order + order : order);
        for (int index = 0; index < host.jobs.size(); ++index) {
            const Job &job = host.jobs.at(index);
            QVERIFY(job.direct);
            const bool front = index < order.size();
            QCOMPARE(job.report, !cheque ? QStringLiteral("qrUtanvet") : front ? QStringLiteral("qrCsekk") : QStringLiteral("qrCsekk2"));
            if (front)
                QCOMPARE(job.data.item(QStringLiteral("QRLabel4"))->caption, QStringLiteral("egyezer ötszáz"));
            else
                QCOMPARE(job.data.item(QStringLiteral("QRLabel4"))->caption, QStringLiteral("tagdíj"));
        }
        QCOMPARE(host.questions.size(), cheque ? 1 : 0);
        QCOMPARE(summary.clients, 3);
        QCOMPARE(summary.pages, int(host.jobs.size()));
        QVERIFY(summary.marked);
        QCOMPARE(summary.marksCleared, complete);
        QCOMPARE(host.jobsWhenDelivered, complete ? int(host.jobs.size()) : -1);
        QCOMPARE(Scalar(demo.db, QStringLiteral("SELECT count(*) FROM ugyfel WHERE jelolve='I'")).toInt(), complete ? 0 : 4);
    }

    // A run with a preview shows every job as one document before anything is output. Closing
    // the preview prints nothing and keeps the marks; printing from it outputs every job once,
    // straight to the printer (money-order backs after the turn-over question), and the marks
    // go only after delivery.
    void previewOfARun_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("scope");
        QTest::addColumn<bool>("print");
        for (const char *kind : {"envelope", "cheque", "cod"}) {
            for (const bool print : {false, true}) {
                QTest::addRow("%s, marked, %s", kind, print ? "printed" : "closed")
                    << QString::fromLatin1(kind) << scope::Marked << print;
            }
        }
        QTest::newRow("envelope, current, printed") << QStringLiteral("envelope") << scope::Current << true;
        QTest::newRow("cheque, current, closed") << QStringLiteral("cheque") << scope::Current << false;
    }
    void previewOfARun()
    {
        QFETCH(QString, kind);
        QFETCH(int, scope);
        QFETCH(bool, print);
        DemoDatabase demo;
        demo.db.exec(QStringLiteral("UPDATE ugyfel SET jelolve='I' WHERE ugyfel IN (22, 1, 14, 2)"));
        TBeall settings;
        settings.UsePrinter = false; // a single client would otherwise be previewed job by job
        settings.Only1Sender = true;
        settings.Sender = 1;
        auto table = ClientTable(demo.db, QStringLiteral("Partnerek"));
        table->moveTo(0);
        FakeHost host;
        host.db = &demo.db;
        host.previewChoice = print ? PrintHost::PreviewChoice::Print : PrintHost::PreviewChoice::Closed;
        PrintContext context(demo.db, settings);
        context.clients = table.get();
        context.currentClient = table->asInteger(QStringLiteral("ugyfel"));
        context.scope = scope;
        context.filterGroup = QStringLiteral("Partnerek");
        context.preview = true;
        const bool cheque = kind == QLatin1String("cheque");
        const RunSummary summary = cheque ? RunChequePrint(host, context)
                                   : kind == QLatin1String("cod") ? RunCodPrint(host, context)
                                                                  : RunScopedPrint(host, context, Stationery::EnvelopeC6);

        const QList<qint64> order = scope == scope::Marked ? QList<qint64>{1, 22, 14} : QList<qint64>{*context.currentClient};
        const QList<qint64> expected = cheque ? order + order : order;
        QCOMPARE(host.previews.size(), 1);
        QCOMPARE(host.jobsWhenPreviewed, 0);
        QCOMPARE(FakeHost::Clients(host.previews.first()), expected);
        if (cheque) {
            // Fronts first, then the backs with the message.
            QCOMPARE(host.previews.first().first().report, QStringLiteral("qrCsekk"));
            QCOMPARE(host.previews.first().last().report, QStringLiteral("qrCsekk2"));
        }
        const int marks = int(Scalar(demo.db, QStringLiteral("SELECT count(*) FROM ugyfel WHERE jelolve='I'")).toInt());
        if (!print) {
            QVERIFY(host.jobs.isEmpty());
            QVERIFY(host.questions.isEmpty());
            QCOMPARE(summary.pages, 0);
            QCOMPARE(host.jobsWhenDelivered, -1);
            QCOMPARE(marks, 4);
            return;
        }
        QCOMPARE(host.clients(), expected);
        for (const Job &job : std::as_const(host.jobs))
            QVERIFY(job.direct);
        QCOMPARE(host.questions.size(), cheque ? 1 : 0);
        QCOMPARE(summary.pages, int(expected.size()));
        if (scope == scope::Marked) {
            QCOMPARE(host.jobsWhenDelivered, int(expected.size()));
            QCOMPARE(host.marksWhenDelivered, 4);
            QVERIFY(summary.marksCleared);
            QCOMPARE(marks, 0);
        } else {
            QCOMPARE(marks, 4);
        }
    }

    // The summary line after a run, for the kinds and scopes.
    void runSummary_data()
    {
        QTest::addColumn<QString>("noun");
        QTest::addColumn<int>("clients");
        QTest::addColumn<int>("pages");
        QTest::addColumn<bool>("marked");
        QTest::addColumn<bool>("cleared");
        QTest::addColumn<QString>("text");
        QTest::newRow("envelopes, marked") << StationeryNoun(Stationery::EnvelopeC6) << 3 << 3 << true << true
                                           << QStringLiteral("3 boríték elkészült (3 oldal); a kijelölések törölve");
        QTest::newRow("stopped marked run") << StationeryNoun(Stationery::EnvelopeLC5) << 1 << 1 << true << false
                                            << QStringLiteral("1 boríték elkészült (1 oldal); a kijelölések megmaradtak");
        QTest::newRow("registered, everyone") << StationeryNoun(Stationery::Registered) << 12 << 12 << false << false
                                              << QStringLiteral("12 ajánlott nyomtatvány elkészült (12 oldal)");
        QTest::newRow("money order, current") << QStringLiteral("csekk") << 1 << 2 << false << false
                                              << QStringLiteral("1 csekk elkészült (2 oldal)");
    }
    void runSummary()
    {
        QFETCH(QString, noun);
        QFETCH(int, clients);
        QFETCH(int, pages);
        QFETCH(bool, marked);
        QFETCH(bool, cleared);
        QFETCH(QString, text);
        RunSummary summary;
        summary.clients = clients;
        summary.pages = pages;
        summary.marked = marked;
        summary.marksCleared = cleared;
        QCOMPARE(RunSummaryText(noun, summary), text);
    }

    // A run over many clients reads them under one lock of the database, which it lets go of
    // however the run ends: afterwards another program can write at once.
    void runLetsGoOfTheDatabase_data()
    {
        QTest::addColumn<int>("scope");
        QTest::addColumn<int>("failAt");
        QTest::addColumn<int>("cancelAt");
        QTest::newRow("everyone") << scope::Everyone << -1 << -1;
        QTest::newRow("everyone, a job fails") << scope::Everyone << 1 << -1;
        QTest::newRow("everyone, stopped") << scope::Everyone << -1 << 1;
        QTest::newRow("marked") << scope::Marked << -1 << -1;
        QTest::newRow("marked, a job fails") << scope::Marked << 1 << -1;
        QTest::newRow("marked, stopped") << scope::Marked << -1 << 1;
    }
    void runLetsGoOfTheDatabase()
    {
        QFETCH(int, scope);
        QFETCH(int, failAt);
        QFETCH(int, cancelAt);
        DemoDatabase demo;
        demo.db.exec(QStringLiteral("UPDATE ugyfel SET jelolve='I' WHERE ugyfel IN (1, 3, 5)"));
        TBeall settings;
        auto table = ClientTable(demo.db);
        FakeHost host;
        host.failAtJob = failAt;
        host.cancelAtJob = cancelAt;
        PrintContext context(demo.db, settings);
        context.clients = table.get();
        context.scope = scope;
        try {
            RunScopedPrint(host, context, Stationery::EnvelopeC6);
            QCOMPARE(failAt, -1);
        } catch (const Error &) {
            QVERIFY(failAt >= 0);
        }
        QVERIFY(!host.jobs.isEmpty());
        Database other;
        other.open(demo.db.path());
        other.exec(QStringLiteral("UPDATE ugyfel SET kapcsolat='másik program' WHERE ugyfel=2"));
        QCOMPARE(Scalar(demo.db, QStringLiteral("SELECT kapcsolat FROM ugyfel WHERE ugyfel=2")).toString(),
                 QStringLiteral("másik program"));
        const bool cleared = scope == scope::Marked && failAt < 0 && cancelAt < 0;
        QCOMPARE(Scalar(demo.db, QStringLiteral("SELECT count(*) FROM ugyfel WHERE jelolve='I'")).toInt(), cleared ? 0 : 3);
    }
};

QTEST_MAIN(TestPrintRun)
#include "tst_printrun.moc"
