#include "core/database.h"
#include "core/helpers.h"
#include "core/schema.h"
#include "core/statement.h"
#include "exchange/csvimport.h"
#include "exchange/importlog.h"
#include "exchange/importplan.h"
#include "masterdata/addresscheck.h"
#include "testfiles.h"
#include "workbooks.h"

#include <QCryptographicHash>
#include <QTemporaryDir>
#include <QTest>

using namespace kartevo;
using namespace kartevo::test;
using namespace Qt::StringLiterals;

namespace {

// A new user's database with two clients and one group.
struct Office {
    Office()
    {
        path = DeliveredDatabase(dir);
        db.open(path);
        UpgradeSchema(db, QStringLiteral(KARTEVO_SOURCE_DIR "/data/cimke.sql"));
        db.exec(u"INSERT INTO ugyfel (ugyfel, ugyfel_nev, cim_irsz, cim_varos, cim_cim, csoport, jelolve) VALUES "
                "(1, 'Alma Kft.', '6720', 'Szeged', 'Fő utca 1.', 'Partner', 'N'), "
                "(2, 'Kiss Anna', '1051', 'Budapest', 'Kert u. 2.', NULL, 'N');"
                "INSERT INTO csoport (csoport, csoports) VALUES ('Partner', 'PARTNER');"_s);
    }
    void reopen()
    {
        db.close();
        db.open(path);
    }
    QTemporaryDir dir;
    QString path;
    Database db;
};

SourceTable Table(const QList<QStringList> &rows)
{
    SourceTable table;
    table.rows = rows;
    return table;
}

// A file with a header: name, postal code, town, street, group.
const ImportMapping kMapping = ParseMappingText(u"name=1,postal=2,town=3,street=4,group=5,header"_s);

const SourceTable kFile = Table({
    {u"Név"_s, u"Irsz"_s, u"Város"_s, u"Cím"_s, u"Csoport"_s},
    {u"alma kft"_s, u"6720"_s, u"Szeged"_s, u"Fő u. 9."_s, u""_s},             // the name of client 1
    {u"Béla Bt."_s, u"1051"_s, u"Szeged"_s, u"Vár u. 1."_s, u"Szállító"_s},   // 1051 is not Szeged
    {u"Kovács Péter"_s, u"7621"_s, u"Pécs"_s, u"Ady u. 1."_s, u"szállító"_s},
    {u"Kovacs Peter"_s, u"7621"_s, u"Pécs"_s, u"Ady u. 3."_s, u"Új"_s},        // the name of the row above
    {u"Nagy Éva"_s, u"1051"_s, u"Budapest"_s, u"kert u 2"_s, u""_s},        // the address of client 2
    {QString(80, u'x'), u"9021"_s, u"Győr"_s, u"Fő tér 1."_s, u"Új"_s},         // a name longer than 75
    {u""_s, u""_s, u""_s, u""_s, u""_s},                                       // nothing: no client
});

QStringList Clients(Database &db, qint64 from = 0)
{
    QStringList rows;
    Statement read(db, u"SELECT ugyfel, ugyfel_nev, cim_irsz, cim_varos, cim_cim, csoport, jelolve, ugyfel_nevs "
                       "FROM ugyfel WHERE ugyfel >= ? ORDER BY ugyfel"_s);
    read.bind(1, from);
    while (read.step()) {
        QStringList cells;
        for (int i = 0; i < 8; ++i)
            cells.append(read.column(i).toString());
        rows.append(cells.join(u'|'));
    }
    return rows;
}

QStringList Groups(Database &db)
{
    QStringList groups;
    Statement read(db, u"SELECT csoport FROM csoport ORDER BY csoport"_s);
    while (read.step())
        groups.append(read.column(0).toString());
    return groups;
}

// The rows as a workbook's sheet of inline strings, what follows the rows after them.
ZipParts WorkbookOf(const QList<QStringList> &rows, const QByteArray &after = "</sheetData>")
{
    QByteArray sheet;
    for (const QStringList &row : rows) {
        sheet += "<row>";
        for (const QString &cell : row) {
            sheet += cell.isEmpty() ? QByteArray("<c/>")
                                    : "<c t=\"inlineStr\"><is><t>" + cell.toHtmlEscaped().toUtf8() + "</t></is></c>";
        }
        sheet += "</row>";
    }
    return Workbook(sheet + after);
}

// What an import without a preview told on the way: the planned rows (source row, findings),
// "restarted" where it started again, "backup" where it was to make its copy.
struct DirectRecord {
    DirectImport imported;
    QStringList told;
};

// Skips the duplicates.
DirectRecord ImportDirectly(Database &db, const QString &file, const QString &mapping, int headRows)
{
    DirectRecord record;
    DirectImportOptions options;
    options.headRows = headRows;
    options.skipDuplicates = true;
    options.chooseMapping = [&](const SourceTable &, bool) { return ParseMappingText(mapping); };
    options.planned = [&](const PlannedRow &row) {
        record.told.append(QString::number(row.sourceRow) + u": "_s + RowFindingText(row));
    };
    options.restarted = [&] { record.told.append(u"restarted"_s); };
    options.beforeWriting = [&] { record.told.append(u"backup"_s); };
    record.imported = ImportWithoutPreview(db, file, options);
    return record;
}

} // namespace

class TestImportRun : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void findsBeforeWriting()
    {
        Office office;
        const ImportPlan plan = PlanImport(office.db, kFile, kMapping);
        QStringList found;
        for (const PlannedRow &row : plan.rows)
            found.append(QString::number(row.sourceRow) + u": "_s + RowFindingText(row));
        QCOMPARE(found, QStringList({u"1: Már szerepel: 1. ügyfél."_s,
                                     u"2: A helység nem ehhez az irányítószámhoz tartozik."_s, u"3: "_s,
                                     u"4: Ugyanaz, mint a fájl 4. sora."_s, u"5: Már szerepel: 2. ügyfél."_s,
                                     u"6: 1 érték levágva."_s}));
        QCOMPARE(plan.duplicates, 3);
        QCOMPARE(plan.townMismatches, 1);
        QCOMPARE(plan.cutValues, 1);
        QCOMPARE(plan.rows.last().fields[FieldName], QString(75, u'x'));
        QCOMPARE(Clients(office.db).size(), 2); // nothing written
        QVERIFY_THROWS_EXCEPTION(Error, PlanImport(office.db, kFile, ParseMappingText(u"postal=2,town=3"_s)));
    }

    // Thousands of keys, the table of them grown several times: every repeat still names the
    // first row of its name or of its address.
    void findsDuplicatesAmongManyRows()
    {
        Office office;
        QList<QStringList> rows{kFile.rows.first()};
        for (int i = 0; i < 3000; ++i)
            rows.append({u"Ügyfél %1"_s.arg(i), u"7621"_s, u"Pécs"_s, u"Ady u. %1."_s.arg(i), QString()});
        for (int i = 0; i < 3000; i += 7)
            rows.append({u"ugyfel %1"_s.arg(i), u"7621"_s, u"Pécs"_s, u"Kert u. %1."_s.arg(i), QString()});
        for (int i = 0; i < 3000; i += 11)
            rows.append({u"Más %1"_s.arg(i), u"7621"_s, u"Pécs"_s, u"ady u %1"_s.arg(i), QString()});
        const ImportPlan plan = PlanImport(office.db, Table(rows), kMapping);
        QCOMPARE(plan.rows.size(), rows.size() - 1);
        int duplicates = 0;
        for (const PlannedRow &row : plan.rows) {
            const QString number = row.fields[FieldStreet].section(u' ', -1).remove(u'.');
            const int expected = row.sourceRow <= 3000 ? -1 : number.toInt() + 1;
            QCOMPARE(row.duplicateRow, expected);
            duplicates += row.isDuplicate() ? 1 : 0;
        }
        QCOMPARE(duplicates, 3000 / 7 + 1 + 3000 / 11 + 1);
    }

    void skipsOrImportsDuplicates_data()
    {
        QTest::addColumn<bool>("skip");
        QTest::addColumn<QString>("summary");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("skip") << true << u"3 ügyfél és 2 új csoport betöltve; 3 duplikátum kihagyva; 1 érték levágva"_s
                              << QStringList{u"Béla Bt."_s, u"Kovács Péter"_s, QString(75, u'x')};
        QTest::newRow("import anyway")
            << false << u"6 ügyfél és 2 új csoport betöltve; 0 duplikátum kihagyva; 1 érték levágva"_s
            << QStringList{u"alma kft"_s, u"Béla Bt."_s, u"Kovács Péter"_s, u"Kovacs Peter"_s, u"Nagy Éva"_s, QString(75, u'x')};
    }
    void skipsOrImportsDuplicates()
    {
        QFETCH(bool, skip);
        QFETCH(QString, summary);
        QFETCH(QStringList, names);
        Office office;
        QList<int> progress;
        const ImportOutcome outcome =
            RunImport(office.db, PlanImport(office.db, kFile, kMapping), skip, u"lista.csv"_s, [&](int done, int total) {
                progress.append(done * 100 + total);
                return true;
            });
        QCOMPARE(ImportOutcomeText(outcome), summary);
        QCOMPARE(progress.size(), 6);
        QCOMPARE(progress.last(), 606);
        const QStringList clients = Clients(office.db, 3);
        QStringList stored;
        for (const QString &client : clients)
            stored.append(client.section(u'|', 1, 1));
        QCOMPARE(stored, names);
        // Keys from 3 on, unmarked, with sort keys; "szállító" joins the group "Szállító" made a row before.
        QCOMPARE(clients.at(skip ? 0 : 1), u"%1|Béla Bt.|1051|Szeged|Vár u. 1.|Szállító|N|BELA BT."_s.arg(skip ? 3 : 4));
        QCOMPARE(Groups(office.db), QStringList({u"Partner"_s, u"Szállító"_s, u"Új"_s}));
        // Every sort key is that of its field.
        Statement keys(office.db, u"SELECT ugyfel_nev, ugyfel_nevs, cim_varos, cim_vaross, kapcsolat, kapcsolats, "
                                  "csoport, csoports FROM ugyfel WHERE ugyfel >= 3"_s);
        while (keys.step()) {
            for (int i = 0; i < 8; i += 2)
                QCOMPARE(keys.column(i + 1).toString(), SortKey(keys.column(i)));
        }
    }

    void stoppedImportWritesNothing()
    {
        Office office;
        const ImportOutcome outcome = RunImport(office.db, PlanImport(office.db, kFile, kMapping), false, u"lista.csv"_s,
                                                [](int done, int) { return done < 3; });
        QVERIFY(outcome.stopped);
        QCOMPARE(IndexesIfSound(office.db), ClientIndexes());
        QCOMPARE(Clients(office.db).size(), 2);
        QCOMPARE(Groups(office.db), QStringList({u"Partner"_s}));
        QVERIFY(!FindLastImport(office.db));

        // Nothing stored (every row a duplicate, skipped): nothing to take back either.
        const ImportOutcome none = RunImport(office.db, PlanImport(office.db, Table({kFile.rows.at(0), kFile.rows.at(1)}), kMapping),
                                             true, u"lista.csv"_s);
        QCOMPARE(ImportOutcomeText(none), u"0 ügyfél és 0 új csoport betöltve; 1 duplikátum kihagyva; 0 érték levágva"_s);
        QVERIFY(!FindLastImport(office.db));
    }

    // The record lives in the database: the undo works after a restart, removes only what the
    // import added (a group another client uses stays), and names a client edited since.
    void undoesTheLastImportAfterARestart()
    {
        Office office;
        RunImport(office.db, PlanImport(office.db, kFile, kMapping), true, u"lista.csv"_s);
        QCOMPARE(IndexesIfSound(office.db), ClientIndexes());
        office.db.exec(u"UPDATE ugyfel SET cim_cim = 'Ady u. 5.' WHERE ugyfel_nev = 'Kovács Péter';"
                       "INSERT INTO ugyfel (ugyfel, ugyfel_nev, csoport) VALUES (100, 'Kézi', 'ÚJ');"_s);
        office.reopen();

        const std::optional<LastImport> last = FindLastImport(office.db);
        QVERIFY(last);
        QCOMPARE(last->source, u"lista.csv"_s);
        QCOMPARE(last->clients, 3);
        QCOMPARE(last->groups, 2);
        QCOMPARE(last->edited, QStringList({u"Kovács Péter"_s}));
        QVERIFY2(UndoQuestion(*last).contains(u"Kovács Péter"_s), qPrintable(UndoQuestion(*last)));

        QCOMPARE(UndoLastImport(office.db), u"3 ügyfél és 1 csoport törölve (lista.csv)."_s);
        QCOMPARE(Clients(office.db).size(), 3);
        QCOMPARE(Clients(office.db, 100).size(), 1);
        QCOMPARE(Groups(office.db), QStringList({u"Partner"_s, u"Új"_s}));
        QVERIFY(!FindLastImport(office.db));
        QVERIFY_THROWS_EXCEPTION(Error, UndoLastImport(office.db));
    }

    // The fixed-order import records itself in its transaction. A client removed by hand since
    // is neither counted nor missed.
    void recordsTheFixedOrderImport()
    {
        Office office;
        ImportClients(office.db,
                      {u"Tóth Ede;;9021;Győr;Fő tér 3.;Vevő"_s, u"Kő Ida;;7621;Pécs;Ady u. 1.;Partner"_s,
                       u"Bán Ottó;;1051;Budapest;Kert u. 9.;"_s},
                      u';', false, {}, u"kartevo.csv"_s);
        office.db.exec(u"DELETE FROM ugyfel WHERE ugyfel_nev = 'Kő Ida'; UPDATE ugyfel SET kapcsolat = 'Ő' "
                       "WHERE ugyfel_nev = 'Bán Ottó'"_s);
        office.reopen();
        QCOMPARE(FindLastImport(office.db)->clients, 2);
        QCOMPARE(FindLastImport(office.db)->edited, QStringList({u"Bán Ottó"_s}));
        QCOMPARE(UndoLastImport(office.db), u"2 ügyfél és 1 csoport törölve (kartevo.csv)."_s);
        QCOMPARE(Clients(office.db).size(), 2);
        QCOMPARE(Groups(office.db), QStringList({u"Partner"_s}));
        QCOMPARE(SqlValue(office.db, u"SELECT count(*) FROM betoltes_ugyfelek"_s).toInt(), 0);
    }

    // A record written by an earlier version (a row per client with the SHA-1 of the six fields
    // joined with 0x1F) is still checked and taken back.
    void undoesARecordOfAnEarlierVersion()
    {
        Office office;
        const auto sha1 = [](const QString &fields) {
            return QString::fromLatin1(QCryptographicHash::hash(fields.toUtf8(), QCryptographicHash::Sha1).toHex());
        };
        office.db.exec(u"INSERT INTO ugyfel (ugyfel, ugyfel_nev, cim_irsz, cim_varos, cim_cim, csoport) VALUES "
                       "(3, 'Tóth Ede', '9021', 'Győr', 'Fő tér 3.', 'Vevő'), (4, 'Kő Ida', '7621', 'Pécs', 'Ady u. 2.', NULL);"
                       "INSERT INTO csoport VALUES ('Vevő', 'VEVO');"
                       "INSERT INTO betoltes VALUES (1, '2026-12-01 10:00:00', 'regi.csv');"
                       "INSERT INTO betoltes_csoport VALUES (1, 'Vevő');"_s);
        Statement record(office.db, u"INSERT INTO betoltes_ugyfel VALUES (1, ?, ?)"_s);
        for (const auto &[client, fields] : {std::pair{3, u"Tóth Ede\x1f\x1f" "9021\x1fGyőr\x1f" "Fő tér 3.\x1fVevő"_s},
                                             std::pair{4, u"Kő Ida\x1f\x1f" "7621\x1fPécs\x1f" "Ady u. 1.\x1f"_s}}) {
            record.bind(1, client);
            record.bind(2, sha1(fields));
            record.exec();
            record.reset();
        }
        const std::optional<LastImport> last = FindLastImport(office.db);
        QVERIFY(last);
        QCOMPARE(last->clients, 2);
        QCOMPARE(last->groups, 1);
        QCOMPARE(last->edited, QStringList({u"Kő Ida"_s}));
        QCOMPARE(UndoLastImport(office.db), u"2 ügyfél és 1 csoport törölve (regi.csv)."_s);
        QCOMPARE(Clients(office.db).size(), 2);
        QCOMPARE(SqlValue(office.db, u"SELECT count(*) FROM betoltes_ugyfel"_s).toInt(), 0);
    }

    // Files as users have them, read and mapped by the guess alone: every row's six fields.
    void importsUsersFiles_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("mapping");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("contacts export")
            << u"contacts.csv"_s << u"postal=7,town=6,street=5,group=12,company=4,person=3+1+2,header"_s
            << QStringList{u"Alma Kft.|Kiss Anna|6720|Szeged|Fő utca 1.|Partner|Már szerepel: 1. ügyfél."_s,
                           u"Kovács Péter János||7621|Pécs|Ady Endre út 2.|Barát|"_s,
                           u"Kovács Péter János||7621|Pécs|Ady Endre út 2.|Barát|Ugyanaz, mint a fájl 3. sora."_s,
                           u"Körte és Társa Bt.|Nagy Éva|1052|Szeged|Váci utca 10.||"
                           "A helység nem ehhez az irányítószámhoz tartozik."_s};
        QTest::newRow("quoted, separators and quotes inside")
            << u"quoted.csv"_s << u"name=1,contact=2,postal=3,town=4,street=5,group=6,header"_s
            << QStringList{u"Az \"Alma; Körte\" Kft.|Kiss, Anna|1051|Budapest|Fő utca 1. II. emelet|Vevő; kiemelt|"_s,
                           u"Kovács Bt.||6720|Szeged|Tisza L. krt. 5., fsz.||"_s,
                           u"Nagy Éva||9021|Győr|Baross út 3.|Vevő|"_s};
        // Workbooks of an office suite and of a spreadsheet library: postal codes stored as
        // numbers, a row without contact, a merged group cell read as empty.
        const QString sheetMapping = u"name=1,contact=2,postal=3,town=4,street=5,group=6,header"_s;
        const QStringList sheetRows{u"Kovács és Társa Kft.|Kovács Ödön|6720|Szeged|Kárász utca 5.|Partnerek|"_s,
                                    u"Őri Gyula||1051|Budapest|Fő utca 1.|Magánszemélyek|"_s,
                                    u"Űrtechnika Zrt.|Szűcs Előd|9021|Győr|Szent István út 10.|Szállítók|"_s,
                                    u"Bőrdíszmű Bt.|Tőkés Űrsula|3525|Miskolc|Széchenyi István út 12.||"_s};
        for (const char *file : {"ugyfelek.xlsx", "ugyfelek.ods", "ugyfelek.xls", "ugyfelek-library.xlsx"})
            QTest::newRow(file) << QString::fromLatin1(file) << sheetMapping << sheetRows;
        // vCards: the company is the name and the person the contact; without a company the
        // person is the name.
        const QString cardMapping = u"postal=6,town=7,street=5,group=8,company=4,person=1+2,header"_s;
        QTest::newRow("vCard 2.1, quoted-printable, work address preferred")
            << u"kontaktok-21.vcf"_s << cardMapping
            << QStringList{u"Űrtechnika Zrt.|Szűcs Előd|9021|Győr|Szent István út 10.||"_s,
                           u"Tőkés Űrsula||3525|Miskolc|Széchenyi István út 12.|Szállítók|"_s};
        QTest::newRow("vCard 3.0, folded, a card without address")
            << u"kontaktok-30.vcf"_s << cardMapping
            << QStringList{u"Kovács és Társa Kft.|Kovács Ödön|6720|Szeged|Kárász utca 5.|Partnerek|"_s,
                           u"Őri Gyula||||||"_s,
                           u"Bőrdíszmű, Bőrönd Bt.|Bőrdíszmű|1051|Budapest|Fő utca 1., 2. emelet 4.|Szállítók|"_s};
        QTest::newRow("vCard 4.0, grouped work address")
            << u"kontaktok-40.vcf"_s << cardMapping
            << QStringList{u"Győri és Fia Bt.|Győri Ágnes|1011|Budapest|Ünnepi út 2.|Ügyfelek|"_s,
                           u"Űrhajós Ődön||9941|Őriszentpéter|Fő tér 1.||"_s};
    }
    void importsUsersFiles()
    {
        QFETCH(QString, file);
        QFETCH(QString, mapping);
        QFETCH(QStringList, rows);
        Office office;
        const PostalTowns towns(office.db);
        const SourceTable table = ReadSource(QStringLiteral(KARTEVO_TEST_DATA_DIR "/import/") + file);
        const ImportMapping guessed = GuessMapping(table, &towns);
        QCOMPARE(MappingText(guessed), mapping);
        QStringList planned;
        for (const PlannedRow &row : PlanImport(office.db, table, guessed).rows)
            planned.append(QStringList(row.fields.begin(), row.fields.end()).join(u'|') + u'|' + RowFindingText(row));
        QCOMPARE(planned, rows);
    }

    // Read, planned and stored as the rows come, a workbook ends as the preview's import does:
    // read whole and planned first. One that needs its whole table (a merged range, a mapped
    // column none of the first rows has) is taken back and read again.
    void importsWithoutPreviewAsThePreviewDoes_data()
    {
        QTest::addColumn<ZipParts>("workbook");
        QTest::addColumn<QString>("mapping");
        QTest::addColumn<int>("headRows");
        QTest::addColumn<bool>("restarts");
        const QString mapping = MappingText(kMapping);
        QTest::newRow("shorter than the head") << WorkbookOf(kFile.rows) << mapping << 64 << false;
        QTest::newRow("streamed after two rows") << WorkbookOf(kFile.rows) << mapping << 2 << false;
        QTest::newRow("streamed after the header") << WorkbookOf(kFile.rows) << mapping << 1 << false;
        QTest::newRow("a merged range at the end")
            << WorkbookOf(kFile.rows, "</sheetData><mergeCells><mergeCell ref=\"A3:B3\"/></mergeCells>") << mapping << 2
            << true;
        QList<QStringList> wider = kFile.rows;
        wider[4].append(u"Tóth Ede"_s);
        QTest::newRow("a column only a later row has") << WorkbookOf(wider) << mapping + u",contact=6"_s << 2 << false;
    }
    void importsWithoutPreviewAsThePreviewDoes()
    {
        QFETCH(ZipParts, workbook);
        QFETCH(QString, mapping);
        QFETCH(int, headRows);
        QFETCH(bool, restarts);
        QTemporaryDir dir;
        const QString file = dir.filePath(u"lista.xlsx"_s);
        QVERIFY(WriteZip(file, workbook));

        Office preview;
        const ImportPlan plan = PlanImport(preview.db, ReadSource(file), ParseMappingText(mapping));
        QStringList planned;
        for (const PlannedRow &row : plan.rows)
            planned.append(QString::number(row.sourceRow) + u": "_s + RowFindingText(row));
        const ImportOutcome outcome = RunImport(preview.db, plan, true, file);

        Office direct;
        const DirectRecord record = ImportDirectly(direct.db, file, mapping, headRows);
        QStringList told = record.told;
        const qsizetype restart = told.indexOf(u"restarted"_s);
        QCOMPARE(restart >= 0, restarts);
        if (restarts) {
            QVERIFY(told.indexOf(u"backup"_s) < restart);
            told = told.mid(restart + 1);
        }
        told.removeOne(u"backup"_s);
        QCOMPARE(told, planned);
        QCOMPARE(record.told.count(u"backup"_s), 1);
        QCOMPARE(record.imported.rows, plan.rows.size());
        QCOMPARE(record.imported.header, kFile.rows.first());
        QCOMPARE(ImportOutcomeText(record.imported.outcome), ImportOutcomeText(outcome));
        QCOMPARE(Clients(direct.db), Clients(preview.db));
        QCOMPARE(Groups(direct.db), Groups(preview.db));
        QCOMPARE(IndexesIfSound(direct.db), ClientIndexes());
        QCOMPARE(FindLastImport(direct.db)->clients, FindLastImport(preview.db)->clients);
    }

    // A row that cannot be stored, or a sheet found damaged after rows were stored, leaves
    // nothing; a sheet without a row to import makes no copy and writes nothing.
    void importWithoutPreviewWritesNothingOnFailure()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(u"lista.xlsx"_s);
        const QString mapping = MappingText(kMapping);
        Office office;
        office.db.exec(u"CREATE TRIGGER nem BEFORE INSERT ON ugyfel WHEN NEW.ugyfel_nev = 'Kovács Péter' "
                       "BEGIN SELECT RAISE(ABORT, 'nem tárolható'); END"_s);
        // The file is read ahead of the storing: a long one is still being read when a row fails.
        QList<QStringList> rows = kFile.rows;
        for (int i = 0; i < 5000; ++i)
            rows.append({u"Ügyfél %1"_s.arg(i), u"6720"_s, u"Szeged"_s, u"Fő utca %1."_s.arg(i), u"Vevő"_s});
        for (const auto &[workbook, headRows] : {std::pair{WorkbookOf(kFile.rows), 2}, std::pair{WorkbookOf(rows), 64}}) {
            QVERIFY(WriteZip(file, workbook));
            try {
                ImportDirectly(office.db, file, mapping, headRows);
                QFAIL("the row that cannot be stored was not reported");
            } catch (const Error &e) {
                QVERIFY2(e.message().contains(u"A fájl 4. sora nem tölthető be"_s), qPrintable(e.message()));
            }
        }
        office.db.exec(u"DROP TRIGGER nem"_s);

        QVERIFY(WriteZip(file, WorkbookOf(kFile.rows, "<row><c><v>1</v></row></sheetData>")));
        try {
            ImportDirectly(office.db, file, mapping, 2);
            QFAIL("the damaged sheet was not reported");
        } catch (const Error &e) {
            QVERIFY2(e.message().contains(u"sérült"_s), qPrintable(e.message()));
        }
        QCOMPARE(Clients(office.db).size(), 2);
        QCOMPARE(Groups(office.db), QStringList({u"Partner"_s}));
        QVERIFY(!FindLastImport(office.db));
        QCOMPARE(IndexesIfSound(office.db), ClientIndexes());

        QVERIFY(WriteZip(file, WorkbookOf({kFile.rows.first()})));
        const DirectRecord none = ImportDirectly(office.db, file, mapping, 2);
        QCOMPARE(none.imported.rows, 0);
        QVERIFY(none.told.isEmpty());
        QCOMPARE(Clients(office.db).size(), 2);
    }

    void remembersMappingsByHeader()
    {
        Office office;
        const QString key = HeaderKey(kFile.rows.first());
        QCOMPARE(RememberedMapping(office.db, key), QString());
        RememberMapping(office.db, key, MappingText(kMapping));
        office.reopen();
        QCOMPARE(ParseMappingText(RememberedMapping(office.db, key)), kMapping);
    }
};

QTEST_GUILESS_MAIN(TestImportRun)
#include "tst_importrun.moc"
