// kartevo-batch's printing commands, run as a user runs them: selections, the marked run
// clearing every mark, one page per job, cheque sides in two files, bad arguments; outputs that
// would destroy the database, a full disk, names of nothing: refused with the database untouched.
#include "batchrunner.h"
#include "core/database.h"
#include "faults.h"
#include "pdfwords.h"
#include "testfiles.h"
#include "testfolders.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <sys/resource.h>

using namespace kartevo;

class TestBatchPrint : public QObject {
    Q_OBJECT

    using Result = test::BatchResult;

    // Runs the tool; fileSizeLimit > 0 lets it write no file larger than that many bytes, as a
    // full disk would.
    Result Batch(const QStringList &args, rlim_t fileSizeLimit = 0)
    {
        const std::function<void()> fullDisk =
            fileSizeLimit > 0 ? test::FileSizeLimitInChild(fileSizeLimit) : std::function<void()>();
        return test::RunBatch(QStringList{QStringLiteral("--db"), m_dbPath} + args, m_dir.filePath(QStringLiteral("xdg")),
                              fullDisk);
    }

    // The pages of a PDF file: the first line of text of each.
    QStringList PageTexts(const QString &file)
    {
        QProcess process;
        process.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), file, QStringLiteral("-")});
        process.waitForFinished(30000);
        QStringList pages = QString::fromUtf8(process.readAllStandardOutput()).split(QLatin1Char('\f'));
        if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
            pages.removeLast();
        return pages;
    }

    // The files of the test folder other than the database: outputs and anything left behind.
    QStringList OtherFiles()
    {
        QStringList names = QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System);
        names.removeAll(QStringLiteral("Kartevo.sqb"));
        return names;
    }

    int Scalar(const QString &sql)
    {
        Database db;
        db.open(m_dbPath);
        return test::SqlValue(db, sql).toInt();
    }

private Q_SLOTS:
    void init()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QSKIP("pdftotext (poppler-utils) is not installed");
        QFile::remove(m_dir.filePath(QStringLiteral("Kartevo.sqb")));
        m_dbPath = test::DeliveredDatabase(m_dir);
        Database db;
        db.open(m_dbPath);
        db.exec(test::DemoSql());
    }

    void markedRunPrintsInOrderAndClearsEveryMark()
    {
        {
            Database db;
            db.open(m_dbPath);
            // Partnerek: 22 Zalai, 1 Almási; Szállítók: 2 Bakonyi.
            db.exec(QStringLiteral("UPDATE ugyfel SET jelolve='I' WHERE ugyfel IN (22, 1, 2)"));
        }
        const QString pdf = m_dir.filePath(QStringLiteral("marked.pdf"));
        const Result result = Batch({QStringLiteral("envelope"), QStringLiteral("lc5"), QStringLiteral("--marked"),
                                     QStringLiteral("--group"), QStringLiteral("Partnerek"), QStringLiteral("--pdf"), pdf});
        QVERIFY2(result.code == 0, qPrintable(result.err));
        const QStringList pages = PageTexts(pdf);
        QCOMPARE(pages.size(), 2);
        QVERIFY(pages.at(0).contains(QStringLiteral("Almási és Társa Kft.")));
        QVERIFY(pages.at(1).contains(QStringLiteral("Zalai Kerámia Bt.")));
        QCOMPARE(Scalar(QStringLiteral("SELECT count(*) FROM ugyfel WHERE jelolve='I'")), 0);
    }

    void allOfAGroupWithAnotherSender()
    {
        const QString pdf = m_dir.filePath(QStringLiteral("all.pdf"));
        const Result result = Batch({QStringLiteral("registered"), QStringLiteral("--all"), QStringLiteral("--group"),
                                     QStringLiteral("Önkormányzatok"), QStringLiteral("--sort"), QStringLiteral("cim_varos"),
                                     QStringLiteral("--sender"), QStringLiteral("2"), QStringLiteral("--pdf"), pdf});
        QVERIFY2(result.code == 0, qPrintable(result.err));
        const QStringList pages = PageTexts(pdf);
        QCOMPARE(pages.size(), 5);
        // Town order: Balatonfüred, Kaposvár, Miskolc, Szekszárd, Szentendre.
        QVERIFY(pages.first().contains(QStringLiteral("Balatonfüred")));
        QVERIFY(pages.last().contains(QStringLiteral("Szentendre")));
        for (const QString &page : pages)
            QVERIFY(page.contains(QStringLiteral("Példa Könyvelő Bt.")));
    }

    void chequeSidesAndCod()
    {
        const QString front = m_dir.filePath(QStringLiteral("front.pdf"));
        const QString back = m_dir.filePath(QStringLiteral("back.pdf"));
        Result result = Batch({QStringLiteral("cheque"), QStringLiteral("--client"), QStringLiteral("4"),
                               QStringLiteral("--amount"), QStringLiteral("1500"), QStringLiteral("--message"),
                               QStringLiteral("Számla 15"), QStringLiteral("--pdf"), front, QStringLiteral("--back-pdf"), back});
        QVERIFY2(result.code == 0, qPrintable(result.err));
        QVERIFY(PageTexts(front).value(0).contains(QStringLiteral("egyezer ötszáz")));
        QVERIFY(!PageTexts(front).value(0).contains(QStringLiteral("Számla 15")));
        QVERIFY(PageTexts(back).value(0).contains(QStringLiteral("Számla 15")));

        const QString cod = m_dir.filePath(QStringLiteral("cod.pdf"));
        result = Batch({QStringLiteral("cod"), QStringLiteral("--client"), QStringLiteral("4"), QStringLiteral("--amount"),
                        QStringLiteral("250"), QStringLiteral("--pdf"), cod});
        QVERIFY2(result.code == 0, qPrintable(result.err));
        QVERIFY(PageTexts(cod).value(0).contains(QStringLiteral("kettőszázötven")));
    }

    // Money orders for the marked clients: every front into one file, every back into the
    // other in the same order, the counts on standard output, the marks cleared.
    void chequeForMarkedClients()
    {
        {
            Database db;
            db.open(m_dbPath);
            db.exec(QStringLiteral("UPDATE ugyfel SET jelolve='I' WHERE ugyfel IN (22, 1, 2)"));
        }
        const QString front = m_dir.filePath(QStringLiteral("mfront.pdf"));
        const QString back = m_dir.filePath(QStringLiteral("mback.pdf"));
        const Result result = Batch({QStringLiteral("cheque"), QStringLiteral("--marked"), QStringLiteral("--group"),
                                     QStringLiteral("Partnerek"), QStringLiteral("--amount"), QStringLiteral("1500"),
                                     QStringLiteral("--message"), QStringLiteral("Tagdíj"), QStringLiteral("--pdf"), front,
                                     QStringLiteral("--back-pdf"), back});
        QVERIFY2(result.code == 0, qPrintable(result.err));
        const QStringList fronts = PageTexts(front);
        const QStringList backs = PageTexts(back);
        QCOMPARE(fronts.size(), 2);
        QCOMPARE(backs.size(), 2);
        QVERIFY(fronts.at(0).contains(QStringLiteral("Almási")));
        QVERIFY(fronts.at(1).contains(QStringLiteral("Zalai")));
        for (const QString &page : fronts)
            QVERIFY(page.contains(QStringLiteral("egyezer ötszáz")));
        for (const QString &page : backs)
            QVERIFY(page.contains(QStringLiteral("Tagdíj")));
        QVERIFY2(result.out.contains(QStringLiteral("2 csekk elkészült (4 oldal); a kijelölések törölve")), qPrintable(result.out));
        QCOMPARE(Scalar(QStringLiteral("SELECT count(*) FROM ugyfel WHERE jelolve='I'")), 0);
    }

    // --preview writes the whole run as its preview shows it (money orders: every front, then
    // every back) into one file and prints nothing: the marks stay.
    void previewOfAMarkedRun()
    {
        {
            Database db;
            db.open(m_dbPath);
            db.exec(QStringLiteral("UPDATE ugyfel SET jelolve='I' WHERE ugyfel IN (22, 1, 2)"));
        }
        const QString file = m_dir.filePath(QStringLiteral("preview.pdf"));
        const QStringList cheque{QStringLiteral("cheque"), QStringLiteral("--marked"), QStringLiteral("--group"),
                                 QStringLiteral("Partnerek"), QStringLiteral("--amount"), QStringLiteral("1500"),
                                 QStringLiteral("--message"), QStringLiteral("Tagdíj"), QStringLiteral("--preview"),
                                 QStringLiteral("--pdf"), file};
        Result result = Batch(cheque);
        QVERIFY2(result.code == 0, qPrintable(result.err));
        const QStringList pages = PageTexts(file);
        QCOMPARE(pages.size(), 4);
        QVERIFY(pages.at(0).contains(QStringLiteral("Almási")) && pages.at(0).contains(QStringLiteral("egyezer ötszáz")));
        QVERIFY(pages.at(1).contains(QStringLiteral("Zalai")));
        QVERIFY(pages.at(2).contains(QStringLiteral("Tagdíj")) && pages.at(3).contains(QStringLiteral("Tagdíj")));
        QVERIFY2(result.out.contains(QStringLiteral("4 page(s) previewed")), qPrintable(result.out));
        QCOMPARE(Scalar(QStringLiteral("SELECT count(*) FROM ugyfel WHERE jelolve='I'")), 3);

        result = Batch({QStringLiteral("envelope"), QStringLiteral("c6"), QStringLiteral("--marked"), QStringLiteral("--preview"),
                        QStringLiteral("--pdf"), file});
        QVERIFY2(result.code == 0, qPrintable(result.err));
        QCOMPARE(PageTexts(file).size(), 3);
        QCOMPARE(Scalar(QStringLiteral("SELECT count(*) FROM ugyfel WHERE jelolve='I'")), 3);

        // The back side has no file of its own in a preview.
        result = Batch(cheque + QStringList{QStringLiteral("--back-pdf"), m_dir.filePath(QStringLiteral("back.pdf"))});
        QCOMPARE(result.code, 2);
        {
            Database db;
            db.open(m_dbPath);
            db.exec(QStringLiteral("UPDATE ugyfel SET jelolve='N'"));
        }
    }

    // The envelope is translated from the Lang setting; --lang replaces it for one run, and a
    // --lang file that does not exist is refused.
    void translatedEnvelope()
    {
        const QString mine = m_dir.filePath(QStringLiteral("mine.ini"));
        const QString other = m_dir.filePath(QStringLiteral("other.ini"));
        test::WriteBytes(mine, "[qrBoritek]\r\nQRLabel1.Caption=for the attention of\r\n");
        test::WriteBytes(other, "[QRBORITEK]\r\nqrlabel1.caption=zu Handen\r\n");
        const QString data = m_dir.filePath(QStringLiteral("xdg/Kartevo"));
        QDir().mkpath(data);
        test::WriteBytes(data + QStringLiteral("/Kartevo.ini"), "[Lang]\r\nLang=" + mine.toLocal8Bit() + "\r\n");
        const QString pdf = m_dir.filePath(QStringLiteral("lang.pdf"));
        const QStringList envelope{QStringLiteral("envelope"), QStringLiteral("c6"), QStringLiteral("--client"),
                                   QStringLiteral("1"), QStringLiteral("--pdf"), pdf};
        Result result = Batch(envelope);
        QFile::remove(data + QStringLiteral("/Kartevo.ini"));
        QVERIFY2(result.code == 0, qPrintable(result.err));
        QVERIFY(PageTexts(pdf).value(0).contains(QStringLiteral("for the attention of")));
        QVERIFY(!PageTexts(pdf).value(0).contains(QStringLiteral("részére")));

        result = Batch(QStringList{QStringLiteral("--lang"), other} + envelope);
        QVERIFY2(result.code == 0, qPrintable(result.err));
        QVERIFY(PageTexts(pdf).value(0).contains(QStringLiteral("zu Handen")));

        result = Batch(QStringList{QStringLiteral("--lang"), m_dir.filePath(QStringLiteral("nincs.ini"))} + envelope);
        QCOMPARE(result.code, 2);
        QVERIFY(result.err.contains(QStringLiteral("nincs.ini")));
    }

    void list()
    {
        const QString pdf = m_dir.filePath(QStringLiteral("list.pdf"));
        const Result result = Batch({QStringLiteral("list"), QStringLiteral("--group"), QStringLiteral("Szállítók"),
                                     QStringLiteral("--pdf"), pdf});
        QVERIFY2(result.code == 0, qPrintable(result.err));
        const QStringList pages = PageTexts(pdf);
        QCOMPARE(pages.size(), 1);
        QVERIFY(pages.first().contains(QStringLiteral("Ügyfelek")));
        QVERIFY(pages.first().contains(QStringLiteral("Bakonyi Építő Bt.")));
        QVERIFY(!pages.first().contains(QStringLiteral("Almási")));
    }

    // Labels of the marked clients of a group, with the sheet of the configuration file and a
    // start position: the first address on the third place, and every mark still set. A label
    // height of 0 in the file is refused with a message and no file.
    void labels()
    {
        {
            Database db;
            db.open(m_dbPath);
            // Partnerek: 22 Zalai, 1 Almási; Szállítók: 2 Bakonyi.
            db.exec(QStringLiteral("UPDATE ugyfel SET jelolve='I' WHERE ugyfel IN (22, 1, 2)"));
        }
        const QString ini = m_dir.filePath(QStringLiteral("xdg/Kartevo/Kartevo.ini"));
        QVERIFY(QDir().mkpath(QFileInfo(ini).path()));
        test::WriteBytes(ini, "[Label]\r\nTop=20\r\nl1Top=34\r\n");
        const QString pdf = m_dir.filePath(QStringLiteral("labels.pdf"));
        const QStringList args = {QStringLiteral("labels"), QStringLiteral("--marked"), QStringLiteral("--group"),
                                  QStringLiteral("Partnerek"), QStringLiteral("--start"), QStringLiteral("3"),
                                  QStringLiteral("--pdf"), pdf};
        Result result = Batch(args);
        QVERIFY2(result.code == 0, qPrintable(result.err));
        QVERIFY2(result.out.contains(QStringLiteral("4 label(s), 1 page(s)")), qPrintable(result.out));
        const QStringList pages = PageTexts(pdf);
        QCOMPARE(pages.size(), 1);
        QVERIFY(pages.first().indexOf(QStringLiteral("Almási és Társa Kft.")) < pages.first().indexOf(QStringLiteral("Zalai Kerámia Bt.")));
        QVERIFY(!pages.first().contains(QStringLiteral("Bakonyi")));
        // Third place of the first column: 20 + 2 × 38.1 mm, the name 34 pixels (9 mm) lower.
        QProcess bbox;
        bbox.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
        QVERIFY(bbox.waitForFinished(30000));
        const auto word = QRegularExpression(QStringLiteral("<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\"[^>]*>Almási</word>"))
                              .match(QString::fromUtf8(bbox.readAllStandardOutput()));
        QVERIFY(word.hasMatch());
        QVERIFY(std::abs(word.captured(1).toDouble() * 25.4 / 72 - (7.2 + 7.41)) < 0.5);
        QVERIFY(std::abs(word.captured(2).toDouble() * 25.4 / 72 - (20 + 2 * 38.1 + 8.99)) < 0.5);
        QCOMPARE(Scalar(QStringLiteral("SELECT count(*) FROM ugyfel WHERE jelolve='I'")), 3);

        test::WriteBytes(ini, "[Label]\r\nHeight=0\r\n");
        QFile::remove(pdf);
        result = Batch(args);
        QCOMPARE(result.code, 1);
        QVERIFY2(result.err.contains(QStringLiteral("magassága 0 mm")), qPrintable(result.err));
        QVERIFY(!QFile::exists(pdf));
        QFile::remove(ini);
    }

    // Outputs that are the program's own files, names of nothing: each is refused before anything
    // is printed, with a message, and leaves the database byte for byte and its marks as they were.
    void faultsLeaveTheDatabaseAlone_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("message");
        const QString own = QStringLiteral("saját fájlját");
        const QString db = QStringLiteral("{dir}/Kartevo.sqb");
        const QString pdf = QStringLiteral("{dir}/out.pdf");
        const auto args = [](const char *text) { return QString::fromUtf8(text).split(QLatin1Char(' ')); };
        QTest::newRow("list over the database") << args("list --pdf") + QStringList{db} << 1 << own;
        QTest::newRow("other spelling of the database") << args("list --pdf {dir}/./sub/../Kartevo.sqb") << 1 << own;
        QTest::newRow("link to the database") << args("envelope c6 --client 1 --pdf {dir}/link.pdf") << 1 << own;
        QTest::newRow("envelopes over the database") << args("envelope c6 --all --pdf") + QStringList{db} << 1 << own;
        QTest::newRow("marked run into the journal") << args("registered --marked --pdf {dir}/Kartevo.sqb-journal") << 1 << own;
        QTest::newRow("into the write-ahead log") << args("cod --client 1 --amount 5 --pdf {dir}/Kartevo.sqb-wal") << 1 << own;
        QTest::newRow("cheque back over the database") << args("cheque --client 1 --amount 5 --pdf") + QStringList{pdf, QStringLiteral("--back-pdf"), db} << 1 << own;
        QTest::newRow("cheque sides in one file") << args("cheque --client 1 --amount 5 --pdf") + QStringList{pdf, QStringLiteral("--back-pdf"), QStringLiteral("{dir}/sub/../out.pdf")} << 1 << QStringLiteral("ugyanabba a fájlba");
        QTest::newRow("over the configuration file") << args("list --pdf {dir}/xdg/Kartevo/Kartevo.ini") << 1 << own;
        QTest::newRow("envelope for no client") << args("envelope c6 --client 424242 --pdf") + QStringList{pdf} << 1 << QStringLiteral("Nincs ilyen ügyfél: 424242");
        QTest::newRow("registered for client 0") << args("registered --client 0 --pdf") + QStringList{pdf} << 1 << QStringLiteral("Nincs ilyen ügyfél: 0");
        QTest::newRow("cod for client -1") << args("cod --client -1 --amount 5 --pdf") + QStringList{pdf} << 1 << QStringLiteral("Nincs ilyen ügyfél: -1");
        QTest::newRow("cheque for a huge key") << args("cheque --client 99999999999999 --amount 5 --back-pdf {dir}/back.pdf --pdf") + QStringList{pdf} << 1 << QStringLiteral("Nincs ilyen ügyfél: 99999999999999");
        QTest::newRow("sender key past 32 bits") << args("envelope c6 --client 1 --sender 4294967298 --pdf") + QStringList{pdf} << 1 << QStringLiteral("Nincs ilyen feladó: 4294967298");
        QTest::newRow("marked run of a mistyped group") << args("envelope c6 --marked --group Partnerk --pdf") + QStringList{pdf} << 2 << QStringLiteral("nincs ilyen csoport: Partnerk");
        QTest::newRow("list of a mistyped group") << args("list --group Partnerk --pdf") + QStringList{pdf} << 2 << QStringLiteral("nincs ilyen csoport");
    }
    void faultsLeaveTheDatabaseAlone()
    {
        QFETCH(QStringList, args);
        QFETCH(int, code);
        QFETCH(QString, message);
        // The first open brings the delivered database up to date; from then on it must not change.
        QCOMPARE(Batch({QStringLiteral("info")}).code, 0);
        {
            Database db;
            db.open(m_dbPath);
            db.exec(QStringLiteral("UPDATE ugyfel SET jelolve='I' WHERE ugyfel IN (1, 2, 22)"));
        }
        QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("sub")));
        QFile::remove(m_dir.filePath(QStringLiteral("link.pdf")));
        QVERIFY(QFile::link(m_dbPath, m_dir.filePath(QStringLiteral("link.pdf"))));
        const QByteArray before = test::ReadBytes(m_dbPath);
        const QStringList filesBefore = OtherFiles();

        args.replaceInStrings(QStringLiteral("{dir}"), m_dir.path());
        const Result result = Batch(args);
        QCOMPARE(result.code, code);
        QVERIFY2(result.err.contains(message), qPrintable(result.err));
        QVERIFY(test::ReadBytes(m_dbPath) == before);
        QCOMPARE(OtherFiles(), filesBefore);
        QVERIFY(!QFile::exists(m_dir.filePath(QStringLiteral("xdg/Kartevo/Kartevo.ini"))));
    }

    // A marked run with nothing marked says so and writes no file.
    void markedRunWithNothingMarked_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("envelopes") << QStringList{QStringLiteral("envelope"), QStringLiteral("c6"), QStringLiteral("--marked")};
        QTest::newRow("registered forms") << QStringList{QStringLiteral("registered"), QStringLiteral("--marked")};
        QTest::newRow("labels") << QStringList{QStringLiteral("labels"), QStringLiteral("--marked")};
    }
    void markedRunWithNothingMarked()
    {
        QFETCH(QStringList, args);
        QCOMPARE(Batch({QStringLiteral("info")}).code, 0);
        {
            Database db;
            db.open(m_dbPath);
            db.exec(QStringLiteral("UPDATE ugyfel SET jelolve='N'"));
        }
        const QString pdf = m_dir.filePath(QStringLiteral("semmi.pdf"));
        QFile::remove(pdf);
        const Result result = Batch(args + QStringList{QStringLiteral("--pdf"), pdf});
        QCOMPARE(result.code, 1);
        QVERIFY2(result.err.contains(QStringLiteral("Nincs kijelölt ügyfél")), qPrintable(result.err));
        QVERIFY(!QFile::exists(pdf));
    }

    // A disk that fills up while the PDF is written: an error naming the file, the previous file
    // of that name as it was, no temporary file left, and every mark still set.
    void fullDiskKeepsOldFileAndMarks_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("marked envelopes") << QStringList{QStringLiteral("envelope"), QStringLiteral("c6"), QStringLiteral("--marked")};
        QTest::newRow("marked registered forms") << QStringList{QStringLiteral("registered"), QStringLiteral("--marked")};
        QTest::newRow("client list") << QStringList{QStringLiteral("list")};
    }
    void fullDiskKeepsOldFileAndMarks()
    {
        QFETCH(QStringList, args);
        {
            Database db;
            db.open(m_dbPath);
            db.exec(QStringLiteral("UPDATE ugyfel SET jelolve='I'"));
        }
        const QString pdf = m_dir.filePath(QStringLiteral("m.pdf"));
        test::WriteBytes(pdf, "the previous print");
        const QStringList filesBefore = OtherFiles();
        const Result result = Batch(args + QStringList{QStringLiteral("--pdf"), pdf}, 16 * 1024);
        QCOMPARE(result.code, 1);
        QVERIFY2(result.err.contains(pdf), qPrintable(result.err));
        QVERIFY(!result.out.contains(QStringLiteral("written")));
        QCOMPARE(test::ReadBytes(pdf), QByteArray("the previous print"));
        QCOMPARE(OtherFiles(), filesBefore);
        QCOMPARE(Scalar(QStringLiteral("SELECT count(*) FROM ugyfel WHERE jelolve='I'")), 30);

        // With room enough the same run replaces the file and only then clears the marks.
        const Result again = Batch(args + QStringList{QStringLiteral("--pdf"), pdf});
        QVERIFY2(again.code == 0, qPrintable(again.err));
        QVERIFY(test::ReadBytes(pdf).startsWith("%PDF"));
        QCOMPARE(OtherFiles(), filesBefore);
        QCOMPARE(Scalar(QStringLiteral("SELECT count(*) FROM ugyfel WHERE jelolve='I'")), args.first() == QLatin1String("list") ? 30 : 0);
    }

    // The marks of a run whose prints were made but whose marks cannot be cleared (another
    // program holds the database): an error, exit 1, and the marks and the PDF both there.
    void lockedDatabaseMarkResetIsAnError()
    {
        {
            Database db;
            db.open(m_dbPath);
            db.exec(QStringLiteral("UPDATE ugyfel SET jelolve='I' WHERE ugyfel IN (1, 2)"));
        }
        Database other;
        other.open(m_dbPath);
        other.exec(QStringLiteral("BEGIN IMMEDIATE"));
        const QString pdf = m_dir.filePath(QStringLiteral("locked.pdf"));
        const Result result = Batch({QStringLiteral("envelope"), QStringLiteral("c6"), QStringLiteral("--marked"),
                                     QStringLiteral("--pdf"), pdf});
        other.exec(QStringLiteral("ROLLBACK"));
        QCOMPARE(result.code, 1);
        QVERIFY2(result.err.contains(QStringLiteral("nem törölhetők")), qPrintable(result.err));
        QCOMPARE(PageTexts(pdf).size(), 2);
        QCOMPARE(Scalar(QStringLiteral("SELECT count(*) FROM ugyfel WHERE jelolve='I'")), 2);
    }

    void refusals_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("code");
        const QString pdf = QStringLiteral("x.pdf");
        QTest::newRow("no selection") << QStringList{QStringLiteral("envelope"), QStringLiteral("c6"), QStringLiteral("--pdf"), pdf} << 2;
        QTest::newRow("two selections") << QStringList{QStringLiteral("registered"), QStringLiteral("--all"), QStringLiteral("--marked"), QStringLiteral("--pdf"), pdf} << 2;
        QTest::newRow("unknown size") << QStringList{QStringLiteral("envelope"), QStringLiteral("a4"), QStringLiteral("--all"), QStringLiteral("--pdf"), pdf} << 2;
        QTest::newRow("bad sort") << QStringList{QStringLiteral("envelope"), QStringLiteral("c6"), QStringLiteral("--all"), QStringLiteral("--sort"), QStringLiteral("1;DROP"), QStringLiteral("--pdf"), pdf} << 2;
        QTest::newRow("no pdf") << QStringList{QStringLiteral("list")} << 2;
        QTest::newRow("negative amount") << QStringList{QStringLiteral("cod"), QStringLiteral("--client"), QStringLiteral("1"), QStringLiteral("--amount"), QStringLiteral("-5"), QStringLiteral("--pdf"), pdf} << 2;
        QTest::newRow("labels from place 0") << QStringList{QStringLiteral("labels"), QStringLiteral("--all"), QStringLiteral("--start"), QStringLiteral("0"), QStringLiteral("--pdf"), pdf} << 2;
        QTest::newRow("labels of one client of a group") << QStringList{QStringLiteral("labels"), QStringLiteral("--client"), QStringLiteral("1"), QStringLiteral("--group"), QStringLiteral("Partnerek"), QStringLiteral("--pdf"), pdf} << 2;
        QTest::newRow("labels of no client") << QStringList{QStringLiteral("labels"), QStringLiteral("--client"), QStringLiteral("424242"), QStringLiteral("--pdf"), pdf} << 1;
        QTest::newRow("missing sender") << QStringList{QStringLiteral("envelope"), QStringLiteral("c6"), QStringLiteral("--client"), QStringLiteral("1"), QStringLiteral("--sender"), QStringLiteral("99"), QStringLiteral("--pdf"), pdf} << 1;
    }
    void refusals()
    {
        QFETCH(QStringList, args);
        QFETCH(int, code);
        QCOMPARE(Batch(args).code, code);
        QVERIFY(!QFile::exists(QStringLiteral("x.pdf")));
    }

private:
    QTemporaryDir m_dir;
    QString m_dbPath;

    // Every printing command moves its pages by the offset of its family in the Calibration
    // section; --offset replaces it for the run and is refused (exit 2, nothing written) outside
    // -20 ... +20 mm; an unusable value in the file prints at 0 with a warning.
    void printerAlignment_data()
    {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<QString>("offset");
        QTest::addColumn<int>("code");
        QTest::addColumn<double>("dx");
        QTest::addColumn<double>("dy");
        QTest::addColumn<QString>("message");
        QTest::newRow("offset of the file") << QByteArray("[Calibration]\r\nC6X=1.5\r\nC6Y=-2\r\n") << QString() << 0
                                            << 1.5 << -2.0 << QString();
        QTest::newRow("other families only") << QByteArray("[Calibration]\r\nLA4X=5\r\nLabelsY=3\r\n") << QString()
                                             << 0 << 0.0 << 0.0 << QString();
        QTest::newRow("--offset replaces the file's") << QByteArray("[Calibration]\r\nC6X=5\r\n")
                                                      << QStringLiteral("-0.5,2.5") << 0 << -0.5 << 2.5 << QString();
        QTest::newRow("unreadable value") << QByteArray("[Calibration]\r\nC6X=abc\r\nC6Y=1\r\n") << QString() << 0
                                          << 0.0 << 1.0 << QStringLiteral("C6X=abc");
        QTest::newRow("--offset beyond 20 mm") << QByteArray() << QStringLiteral("20.5,0") << 2 << 0.0 << 0.0
                                               << QStringLiteral("--offset takes DX,DY");
        QTest::newRow("--offset with one number") << QByteArray() << QStringLiteral("1.5") << 2 << 0.0 << 0.0
                                                  << QStringLiteral("--offset takes DX,DY");
    }
    void printerAlignment()
    {
        QFETCH(QByteArray, ini);
        QFETCH(QString, offset);
        QFETCH(int, code);
        QFETCH(double, dx);
        QFETCH(double, dy);
        QFETCH(QString, message);
        const QString iniFile = m_dir.filePath(QStringLiteral("xdg/Kartevo/Kartevo.ini"));
        QFile::remove(iniFile);
        const QString plainPdf = m_dir.filePath(QStringLiteral("plain.pdf"));
        const QStringList envelope = {QStringLiteral("envelope"), QStringLiteral("c6"), QStringLiteral("--client"),
                                      QStringLiteral("1"), QStringLiteral("--pdf")};
        QCOMPARE(Batch(envelope + QStringList{plainPdf}).code, 0);

        if (!ini.isEmpty()) {
            QVERIFY(QDir().mkpath(QFileInfo(iniFile).path()));
            test::WriteBytes(iniFile, ini);
        }
        const QString pdf = m_dir.filePath(QStringLiteral("moved.pdf"));
        QFile::remove(pdf);
        QStringList args = envelope + QStringList{pdf};
        if (!offset.isEmpty())
            args += {QStringLiteral("--offset"), offset};
        const Result result = Batch(args);
        QFile::remove(iniFile);
        QVERIFY2(result.code == code, qPrintable(result.err));
        QVERIFY2(result.err.contains(message), qPrintable(result.err));
        if (code != 0) {
            QVERIFY(!QFile::exists(pdf));
            return;
        }
        const QList<test::PdfPage> before = test::ReadPdfPages(plainPdf);
        const QList<test::PdfPage> after = test::ReadPdfPages(pdf);
        QVERIFY(!before.isEmpty() && !after.isEmpty());
        QCOMPARE(after.first().width, before.first().width);
        QCOMPARE(after.first().height, before.first().height);
        const test::PdfWord *from = before.first().word(QStringLiteral("Almási"));
        const test::PdfWord *to = after.first().word(QStringLiteral("Almási"));
        QVERIFY(from && to);
        QVERIFY2(std::abs(to->xMin - from->xMin - dx) < 0.05, qPrintable(QString::number(to->xMin - from->xMin)));
        QVERIFY2(std::abs(to->yMin - from->yMin - dy) < 0.05, qPrintable(QString::number(to->yMin - from->yMin)));
    }

    // The calibration sheet of a family on its paper, never moved by the family's own offset;
    // an unknown family is a usage error.
    void calibrationSheet()
    {
        const QString iniFile = m_dir.filePath(QStringLiteral("xdg/Kartevo/Kartevo.ini"));
        QVERIFY(QDir().mkpath(QFileInfo(iniFile).path()));
        test::WriteBytes(iniFile, "[Calibration]\r\nLC5X=5\r\nLC5Y=5\r\n");
        const QString pdf = m_dir.filePath(QStringLiteral("sheet.pdf"));
        Result result = Batch({QStringLiteral("calibration"), QStringLiteral("lc5"), QStringLiteral("--pdf"), pdf});
        QVERIFY2(result.code == 0, qPrintable(result.err));
        const QList<test::PdfPage> pages = test::ReadPdfPages(pdf);
        QCOMPARE(pages.size(), 1);
        // LC5 lies on its side: 229 mm wide as drawn, 162 mm high.
        QVERIFY(std::abs(pages.first().width - 229) < 0.1 && std::abs(pages.first().height - 162) < 0.1);
        const test::PdfWord *x = pages.first().word(QStringLiteral("X"));
        QVERIFY(x);
        QVERIFY2(std::abs(x->xMin - 22) < 0.3, qPrintable(QString::number(x->xMin))); // 2 mm right of the crosshair
        QVERIFY(PageTexts(pdf).first().contains(QStringLiteral("X = 20,0 mm, Y = 20,0 mm")));

        result = Batch({QStringLiteral("calibration"), QStringLiteral("a5"), QStringLiteral("--pdf"), pdf});
        QCOMPARE(result.code, 2);
        QVERIFY2(result.err.contains(QStringLiteral("unknown family a5")), qPrintable(result.err));
        QFile::remove(iniFile);
    }
};

QTEST_GUILESS_MAIN(TestBatchPrint)
#include "tst_batchprint.moc"
