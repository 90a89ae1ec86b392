// kartevo-batch import and export on the demo clients.
#include "batchrunner.h"
#include "core/codec.h"
#include "testfolders.h"

#include <QTemporaryDir>
#include <QTest>

using namespace kartevo;
using namespace kartevo::test;

class TestBatchExchange : public QObject {
    Q_OBJECT

    static QVariant Scalar(const Folders &folders, const QString &sql)
    {
        Database db;
        db.open(folders.DataFolder + QStringLiteral("/Kartevo.sqb"));
        return SqlValue(db, sql);
    }

private Q_SLOTS:
    void import()
    {
        Installation inst;
        const Folders folders = DemoFolders(inst);
        const QString file = inst.dir.filePath(QStringLiteral("uj.csv"));
        WriteBytes(file, QStringLiteral("Név,Kapcsolat\r\nÚj Élet Kft.,Kiss Ödön,1011,Budapest,Fő u. 1.,Új csoport\r\n"
                                        "Második Bt.,,,,,partnerek\r\n").toUtf8());
        const BatchResult result =
            RunBatch({QStringLiteral("import"), file, QStringLiteral("--separator"), QStringLiteral("comma"), QStringLiteral("--header")},
                     inst.dataHome());
        QCOMPARE(result.err, QString());
        QCOMPARE(result.code, 0);
        QCOMPARE(result.out, QStringLiteral("2 client(s) and 1 group(s) added (UTF-8).\n"));
        QCOMPARE(Scalar(folders, QStringLiteral("SELECT ugyfel_nev || '/' || kapcsolat || '/' || csoport FROM ugyfel WHERE ugyfel = 31")).toString(),
                 QStringLiteral("Új Élet Kft./Kiss Ödön/Új csoport"));
        QCOMPARE(Scalar(folders, QStringLiteral("SELECT count(*) FROM csoport")).toInt(), 4);
    }

    void importFailsOnAClient()
    {
        Installation inst;
        const Folders folders = DemoFolders(inst, QStringLiteral(
            "CREATE TRIGGER tilt BEFORE INSERT ON ugyfel WHEN NEW.ugyfel_nev = 'HIBA' BEGIN SELECT RAISE(ABORT, 'tiltva'); END;"));
        const QString file = inst.dir.filePath(QStringLiteral("uj.csv"));
        WriteBytes(file, "Egy\nHIBA\nHarom\n");
        const BatchResult result = RunBatch({QStringLiteral("import"), file}, inst.dataHome());
        QCOMPARE(result.code, 1);
        QCOMPARE(result.out, QStringLiteral("1 client(s) and 0 group(s) added before line 2.\n"));
        QCOMPARE(result.err, QStringLiteral("A(z) 2. sor nem tölthető be: tiltva\n"));
        QCOMPARE(Scalar(folders, QStringLiteral("SELECT count(*) FROM ugyfel")).toInt(), 31);
    }

    void badArguments_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("import without file") << QStringList{QStringLiteral("import")};
        QTest::newRow("unknown separator") << QStringList{QStringLiteral("import"), QStringLiteral("a.csv"),
                                                          QStringLiteral("--separator"), QStringLiteral("colon")};
        QTest::newRow("unknown quote") << QStringList{QStringLiteral("export"), QStringLiteral("a.csv"),
                                                      QStringLiteral("--quote"), QStringLiteral("back")};
    }

    void badArguments()
    {
        QFETCH(QStringList, args);
        Installation inst;
        DemoFolders(inst);
        QCOMPARE(RunBatch(args, inst.dataHome()).code, 2);
    }

    void exports_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QByteArray>("start"); // the file's first bytes, as code page 1250 text
        QTest::addColumn<QString>("contains");
        QTest::newRow("text with labels")
            << QStringLiteral("ugyfelek.csv") << QStringList()
            << ToCp1250(u"ugyfel;ügyfél;kapcsolattartó;irsz.;város;cím;ugyfel_nevs;cim_vaross;kapcsolats;nyom.;csoport;csoports;\r\n1;Almási és Társa Kft.;")
            << QString();
        QTest::newRow("field names, double quote, tab")
            << QStringLiteral("ugyfelek.txt")
            << QStringList{QStringLiteral("--field-names"), QStringLiteral("--quote"), QStringLiteral("double"),
                           QStringLiteral("--separator"), QStringLiteral("tab")}
            << QByteArray("\"ugyfel\"\t\"ugyfel_nev\"\t") << QString();
        QTest::newRow("no header") << QStringLiteral("u.csv") << QStringList{QStringLiteral("--no-header")}
                                   << QByteArray("\r\n1;") << QString();
        QTest::newRow("worksheet") << QStringLiteral("ugyfelek.XLS") << QStringList()
                                   << QByteArray::fromHex("0900040002001000") << QString();
        QTest::newRow("html page") << QStringLiteral("lap/ugyfelek.html") << QStringList() << QByteArray("<html>\r\n")
                                   << QStringLiteral("<strong>kapcsolattartó</strong>|Összesen 30 sor.");
    }

    void exports()
    {
        QFETCH(QString, name);
        QFETCH(QStringList, options);
        QFETCH(QByteArray, start);
        QFETCH(QString, contains);
        Installation inst;
        DemoFolders(inst);
        const QString file = inst.dir.filePath(name);
        const BatchResult result = RunBatch(QStringList{QStringLiteral("export"), file} + options, inst.dataHome());
        QCOMPARE(result.err, QString());
        QCOMPARE(result.code, 0);
        QCOMPARE(result.out, QStringLiteral("30 client(s) written to %1\n").arg(file));
        const QByteArray bytes = ReadBytes(file);
        QCOMPARE(bytes.left(start.size()), start);
        for (const QString &part : contains.split(u'|', Qt::SkipEmptyParts))
            QVERIFY2(FromCp1250(bytes).contains(part), qPrintable(part));
    }
};

QTEST_GUILESS_MAIN(TestBatchExchange)
#include "tst_batchexchange.moc"
