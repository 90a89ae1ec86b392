// kartevo-batch import with a column mapping, its trial run and its undo, on the demo clients.
#include "batchrunner.h"
#include "testfolders.h"
#include "workbooks.h"

#include <QTemporaryDir>
#include <QTest>

using namespace kartevo;
using namespace kartevo::test;
using namespace Qt::StringLiterals;

namespace {

// A list as a spreadsheet program saves it: its own order, a header, quotes and a repeated row.
const QByteArray kList = "\xEF\xBB\xBF"
                         "Irsz,Város,Cégnév,Vezetéknév,Keresztnév,Utca,Csoport\r\n"
                         "6720,Szeged,\"Alma, Körte Kft.\",Kiss,Ödön,\"Fő u. 1.\",Vevő\r\n"
                         "1051,Szeged,,Nagy,Éva,\"Az \"\"Ég\"\" u. 2.\",Vevő\r\n"
                         "6720,Szeged,\"Alma, Körte kft\",Kiss,Ödön,\"Fő u. 1.\",Vevő\r\n";

} // namespace

class TestBatchImport : public QObject {
    Q_OBJECT

    static QVariant Scalar(const Folders &folders, const QString &sql)
    {
        Database db;
        db.open(folders.DataFolder + u"/Kartevo.sqb"_s);
        return SqlValue(db, sql);
    }

private Q_SLOTS:
    void importsByTheGuessAndTakesItBack()
    {
        Installation inst;
        const Folders folders = DemoFolders(inst);
        const QString file = inst.dir.filePath(u"lista.csv"_s);
        WriteBytes(file, kList);

        BatchResult result = RunBatch({u"import"_s, file, u"--map"_s, u"auto"_s, u"--dry-run"_s}, inst.dataHome());
        QCOMPARE(result.code, 0);
        QCOMPARE(result.out, u"Mapping: postal=1,town=2,street=6,group=7,company=3,person=4+5,header\n"
                             "Row 3: Nagy Éva - A helység nem ehhez az irányítószámhoz tartozik.\n"
                             "Row 4: Alma, Körte kft - Ugyanaz, mint a fájl 2. sora.\n"
                             "Dry run, nothing written: 3 ügyfél és 1 új csoport betöltve; 0 duplikátum kihagyva; "
                             "0 érték levágva\n"_s);
        QCOMPARE(Scalar(folders, u"SELECT count(*) FROM ugyfel"_s).toInt(), 30);

        result = RunBatch({u"import"_s, file, u"--map"_s, u"auto"_s, u"--skip-duplicates"_s}, inst.dataHome());
        QCOMPARE(result.code, 0);
        QVERIFY(result.out.endsWith(u"2 ügyfél és 1 új csoport betöltve; 1 duplikátum kihagyva; 0 érték levágva\n"_s));
        QCOMPARE(Scalar(folders, u"SELECT group_concat(ugyfel_nev || '/' || kapcsolat || '/' || cim_cim, '|') FROM ugyfel "
                                 "WHERE ugyfel > 30"_s).toString(),
                 u"Alma, Körte Kft./Kiss Ödön/Fő u. 1.|Nagy Éva//Az \"Ég\" u. 2."_s);

        result = RunBatch({u"import"_s, u"--undo-last"_s}, inst.dataHome());
        QCOMPARE(result.code, 0);
        QCOMPARE(result.out, u"2 ügyfél és 1 csoport törölve (%1).\n"_s.arg(file));
        QCOMPARE(Scalar(folders, u"SELECT count(*) FROM ugyfel"_s).toInt(), 30);
        QCOMPARE(RunBatch({u"import"_s, u"--undo-last"_s}, inst.dataHome()).code, 1);
    }

    void importsByHand()
    {
        Installation inst;
        const Folders folders = DemoFolders(inst);
        const QString file = inst.dir.filePath(u"lista.csv"_s);
        WriteBytes(file, kList);
        const BatchResult result =
            RunBatch({u"import"_s, file, u"--map"_s, u"name=3,contact=4+5,postal=1,town=2,street=6,header"_s}, inst.dataHome());
        QCOMPARE(result.code, 0);
        QVERIFY(result.out.endsWith(u"3 ügyfél és 0 új csoport betöltve; 0 duplikátum kihagyva; 0 érték levágva\n"_s));
        QCOMPARE(Scalar(folders, u"SELECT ugyfel_nev || '/' || kapcsolat || '/' || csoport FROM ugyfel "
                                 "WHERE ugyfel = 32"_s).toString(),
                 u"/Nagy Éva/"_s);
    }

    // A workbook longer than the rows its mapping is guessed from: the findings of the whole
    // sheet, in the order of its rows, then the counts; the second time every row is a duplicate.
    void importsALongWorkbook()
    {
        Installation inst;
        const Folders folders = DemoFolders(inst);
        QByteArray sheet = "<row><c t=\"inlineStr\"><is><t>Név</t></is></c><c t=\"inlineStr\"><is><t>Irányítószám</t></is></c>"
                           "<c t=\"inlineStr\"><is><t>Település</t></is></c><c t=\"inlineStr\"><is><t>Cím</t></is></c></row>";
        for (int row = 2; row <= 101; ++row) {
            // Row 101 repeats row 2; row 100 has a town of another postal code.
            const QByteArray number = QByteArray::number(row == 101 ? 2 : row);
            sheet += "<row><c t=\"inlineStr\"><is><t>Ügyfél " + number + "</t></is></c><c><v>6720</v></c><c t=\"inlineStr\"><is><t>"
                + (row == 100 ? "Győr" : "Szeged") + "</t></is></c><c t=\"inlineStr\"><is><t>Fő utca " + number + ".</t></is></c></row>";
        }
        const QString file = inst.dir.filePath(u"lista.xlsx"_s);
        QVERIFY(WriteZip(file, Workbook(sheet + "</sheetData>")));

        BatchResult result = RunBatch({u"import"_s, file}, inst.dataHome());
        QCOMPARE(result.code, 0);
        QCOMPARE(result.out, u"Mapping: name=1,postal=2,town=3,street=4,header\n"
                             "Row 100: Ügyfél 100 - A helység nem ehhez az irányítószámhoz tartozik.\n"
                             "Row 101: Ügyfél 2 - Ugyanaz, mint a fájl 2. sora.\n"
                             "100 ügyfél és 0 új csoport betöltve; 0 duplikátum kihagyva; 0 érték levágva\n"_s);
        QCOMPARE(Scalar(folders, u"SELECT count(*) FROM ugyfel WHERE cim_irsz = '6720' AND ugyfel_nev LIKE 'Ügyfél %'"_s).toInt(), 100);

        result = RunBatch({u"import"_s, file, u"--skip-duplicates"_s}, inst.dataHome());
        QCOMPARE(result.code, 0);
        QVERIFY2(result.out.endsWith(u"0 ügyfél és 0 új csoport betöltve; 100 duplikátum kihagyva; 0 érték levágva\n"_s),
                 qPrintable(result.out));
        QCOMPARE(result.out.count(u"Már szerepel"_s), 100);
    }

    // What cannot be read or mapped fails with the reason and changes nothing.
    void refusesWhatCannotBeMapped_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("reason");
        QTest::newRow("no name column") << QByteArray("1;2\n3;4\n") << QStringList{u"--map"_s, u"auto"_s}
                                        << u"Nem derül ki, melyik oszlop"_s;
        QTest::newRow("column beyond the file") << kList << QStringList{u"--map"_s, u"name=9"_s} << u"9. oszlopa"_s;
        QTest::newRow("damaged spreadsheet") << QByteArray("PK\x03\x04garbage") << QStringList{} << u""_s;
        QTest::newRow("neither text nor spreadsheet") << QByteArray("N\0v;C\0m\n", 9) << QStringList{u"--map"_s, u"auto"_s}
                                                      << u"nem is táblázat vagy névjegy: FILE"_s;
    }
    void refusesWhatCannotBeMapped()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, options);
        QFETCH(QString, reason);
        Installation inst;
        const Folders folders = DemoFolders(inst);
        const QString file = inst.dir.filePath(u"lista.csv"_s);
        WriteBytes(file, bytes);
        const BatchResult result = RunBatch(QStringList{u"import"_s, file} + options, inst.dataHome());
        QCOMPARE(result.code, 1);
        // FILE in the reason stands for the file's path.
        QVERIFY2(result.err.contains(QString(reason).replace(u"FILE"_s, file)) && !result.err.isEmpty(),
                 qPrintable(result.err));
        QCOMPARE(Scalar(folders, u"SELECT count(*) FROM ugyfel"_s).toInt(), 30);
        QCOMPARE(Scalar(folders, u"SELECT count(*) FROM betoltes"_s).toInt(), 0);
    }

    void badArguments_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("unknown mapping word") << QStringList{u"import"_s, u"a.csv"_s, u"--map"_s, u"nev=1"_s};
        QTest::newRow("empty mapping") << QStringList{u"import"_s, u"a.csv"_s, u"--map"_s, u""_s};
        QTest::newRow("sheet 0") << QStringList{u"import"_s, u"a.xlsx"_s, u"--sheet"_s, u"0"_s};
        QTest::newRow("unknown encoding") << QStringList{u"import"_s, u"a.csv"_s, u"--encoding"_s, u"latin2"_s};
        QTest::newRow("undo with a file") << QStringList{u"import"_s, u"a.csv"_s, u"--undo-last"_s};
        QTest::newRow("trial of the fixed order") << QStringList{u"import"_s, u"LISTA"_s, u"--dry-run"_s};
        QTest::newRow("sheet of delimited text")
            << QStringList{u"import"_s, u"LISTA"_s, u"--map"_s, u"auto"_s, u"--sheet"_s, u"2"_s};
    }
    void badArguments()
    {
        QFETCH(QStringList, args);
        Installation inst;
        DemoFolders(inst);
        if (args.at(1) == u"LISTA"_s) {
            args[1] = inst.dir.filePath(u"lista.csv"_s);
            WriteBytes(args[1], kList);
        }
        const BatchResult result = RunBatch(args, inst.dataHome());
        QCOMPARE(result.code, 2);
    }
};

QTEST_GUILESS_MAIN(TestBatchImport)
#include "tst_batchimport.moc"
