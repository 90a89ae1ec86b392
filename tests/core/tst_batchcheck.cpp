// kartevo-batch check on the demo clients with a few planted faults.
#include "batchrunner.h"
#include "testfolders.h"

#include <QTemporaryDir>
#include <QTest>

using namespace kartevo;
using namespace kartevo::test;

namespace {

// Client 1 lives at 1011, which is not Szeged's; client 31 is client 2 once more, typed without
// accents and with another company-form spelling.
const char *const PlantedFaults =
    "UPDATE ugyfel SET cim_varos = 'Szeged' WHERE ugyfel = 1;"
    "INSERT INTO ugyfel (ugyfel, ugyfel_nev, cim_irsz, cim_varos, cim_cim, jelolve) "
    "VALUES (31, 'Bakonyi epito bt', '8200', 'Veszprem', 'Jókai utca 1.', 'N');";

// Every client row as text: what a check must leave as it was.
QString ClientRows(const Folders &folders)
{
    Database db;
    db.open(folders.DataFolder + QStringLiteral("/Kartevo.sqb"));
    Statement rows(db, QStringLiteral("SELECT * FROM ugyfel ORDER BY rowid"));
    QString text;
    while (rows.step()) {
        for (int column = 0; column < rows.columnCount(); ++column)
            text += rows.column(column).toString() + u'|';
        text += u'\n';
    }
    return text;
}

} // namespace

class TestBatchCheck : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void check_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("expected");
        const QString mismatch = QStringLiteral("1\ttown-mismatch\tA helység nem ehhez az irányítószámhoz tartozik.\t\n");
        const QString duplicates = QStringLiteral("2\tduplicate-name\tUgyanez a név: 31. ügyfél.\t31\n"
                                                  "31\tduplicate-name\tUgyanez a név: 2. ügyfél.\t2\n");
        QTest::newRow("everything") << QStringList() << mismatch + duplicates;
        QTest::newRow("addresses only") << QStringList{QStringLiteral("--addresses-only")} << mismatch;
        QTest::newRow("duplicates only") << QStringList{QStringLiteral("--duplicates-only")} << duplicates;
    }
    void check()
    {
        QFETCH(QStringList, options);
        QFETCH(QString, expected);
        Installation inst;
        const Folders folders = DemoFolders(inst, QLatin1String(PlantedFaults));
        const QString before = ClientRows(folders);
        const BatchResult result = RunBatch(QStringList{QStringLiteral("check")} + options, inst.dataHome());
        QCOMPARE(result.err, QString());
        QCOMPARE(result.code, 0);
        QCOMPARE(result.out, expected);
        QCOMPARE(ClientRows(folders), before);
    }

    void badArguments_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("both scopes") << QStringList{QStringLiteral("check"), QStringLiteral("--duplicates-only"),
                                                    QStringLiteral("--addresses-only")};
        QTest::newRow("a word") << QStringList{QStringLiteral("check"), QStringLiteral("mind")};
        QTest::newRow("unknown option") << QStringList{QStringLiteral("check"), QStringLiteral("--fix")};
    }
    void badArguments()
    {
        QFETCH(QStringList, args);
        Installation inst;
        DemoFolders(inst);
        QCOMPARE(RunBatch(args, inst.dataHome()).code, 2);
    }
};

QTEST_GUILESS_MAIN(TestBatchCheck)
#include "tst_batchcheck.moc"
