// kartevo-batch's printing commands, run as a user runs them: selections, the marked run
// clearing every mark, one page per job, cheque sides in two files, bad arguments.
#include "batchrunner.h"
#include "core/database.h"
#include "testfiles.h"
#include "testfolders.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace kartevo;

class TestBatchPrint : public QObject {
    Q_OBJECT

    using Result = test::BatchResult;

    Result Batch(const QStringList &args)
    {
        return test::RunBatch(QStringList{QStringLiteral("--db"), m_dbPath} + args, m_dir.filePath(QStringLiteral("xdg")));
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
};

QTEST_GUILESS_MAIN(TestBatchPrint)
#include "tst_batchprint.moc"
