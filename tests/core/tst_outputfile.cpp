// Output files: the program's own files recognised whatever their spelling, a file written
// under a temporary name and put in place only when complete, a full disk never turning into a
// finished PDF.
#include "core/error.h"
#include "core/inifile.h"
#include "core/outputfile.h"
#include "faults.h"
#include "printing/report.h"
#include "printing/reportrenderer.h"
#include "testfiles.h"

#include <QDir>
#include <QGuiApplication>
#include <QIODevice>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace kartevo;

namespace {

// A report of some pages of text, one detail row a page.
report::Report TextReport(int pages)
{
    report::Report report;
    report.name = QStringLiteral("qrTeszt");
    report.page.width = 150;
    report.page.length = 105;
    report::DataSource rows;
    rows.name = QStringLiteral("Qry");
    rows.fields = {QStringLiteral("szoveg")};
    for (int page = 0; page < pages; ++page)
        rows.rows.append({QStringLiteral("Oldal %1 ").arg(page).repeated(40)});
    report.sources.append(rows);
    report.detailSource = rows.name;
    report::Band band;
    band.height = 80;
    report::Item item;
    item.source = rows.name;
    item.field = QStringLiteral("szoveg");
    item.left = 10;
    item.top = 10;
    item.width = 110;
    item.height = 60;
    band.items.append(item);
    report.bands.append(band);
    return report;
}

} // namespace

class TestOutputFile : public QObject {
    Q_OBJECT

    QSet<QString> Entries() const
    {
        const QStringList names = QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System);
        return QSet<QString>(names.begin(), names.end());
    }

private Q_SLOTS:
    void init()
    {
        QVERIFY(m_dir.isValid());
        for (const QString &name : Entries())
            QFile::remove(m_dir.filePath(name));
        QDir(m_dir.path()).mkpath(QStringLiteral("sub"));
        test::WriteBytes(m_dir.filePath(QStringLiteral("Kartevo.sqb")), "database");
        SetProtectedFiles(DatabaseFiles(m_dir.filePath(QStringLiteral("Kartevo.sqb")))
                          << m_dir.filePath(QStringLiteral("sub/Kartevo.ini")));
    }
    void cleanupTestCase() { SetProtectedFiles({}); }

    void protectedWhateverTheSpelling_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("refused");
        QTest::newRow("the database") << QStringLiteral("Kartevo.sqb") << true;
        QTest::newRow("dot and dot-dot") << QStringLiteral("sub/.././Kartevo.sqb") << true;
        QTest::newRow("symbolic link") << QStringLiteral("link.pdf") << true;
        QTest::newRow("hard link") << QStringLiteral("hard.pdf") << true;
        QTest::newRow("journal, not there") << QStringLiteral("sub/../Kartevo.sqb-journal") << true;
        QTest::newRow("write-ahead log") << QStringLiteral("Kartevo.sqb-wal") << true;
        QTest::newRow("its index") << QStringLiteral("Kartevo.sqb-shm") << true;
        QTest::newRow("settings, not there") << QStringLiteral("./sub/Kartevo.ini") << true;
        QTest::newRow("settings through a linked folder") << QStringLiteral("linkdir/Kartevo.ini") << true;
        QTest::newRow("other case") << QStringLiteral("kartevo.sqb") << false;
        QTest::newRow("a PDF beside it") << QStringLiteral("Kartevo.pdf") << false;
        QTest::newRow("same name elsewhere") << QStringLiteral("sub/Kartevo.sqb") << false;
    }
    void protectedWhateverTheSpelling()
    {
        QFETCH(QString, target);
        QFETCH(bool, refused);
        QVERIFY(QFile::link(m_dir.filePath(QStringLiteral("Kartevo.sqb")), m_dir.filePath(QStringLiteral("link.pdf"))));
        QVERIFY(::link(QFile::encodeName(m_dir.filePath(QStringLiteral("Kartevo.sqb"))).constData(),
                       QFile::encodeName(m_dir.filePath(QStringLiteral("hard.pdf"))).constData()) == 0);
        QFile::remove(m_dir.filePath(QStringLiteral("linkdir")));
        QVERIFY(QFile::link(m_dir.filePath(QStringLiteral("sub")), m_dir.filePath(QStringLiteral("linkdir"))));
        const QString path = m_dir.filePath(target);
        QVERIFY(QDir::setCurrent(m_dir.path()));
        bool threw = false;
        try {
            report::WritePdf(target, TextReport(1));
        } catch (const Error &error) {
            threw = true;
            QVERIFY(error.message().contains(target));
        }
        QCOMPARE(threw, refused);
        QCOMPARE(test::ReadBytes(m_dir.filePath(QStringLiteral("Kartevo.sqb"))), QByteArray("database"));
        if (!refused)
            QVERIFY(test::ReadBytes(path).startsWith("%PDF"));
    }

    // A pipe or a device is never replaced by a regular file: the output is refused, naming it.
    void specialFilesAreNotReplaced()
    {
        const QString fifo = m_dir.filePath(QStringLiteral("cso.pdf"));
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        for (const QString &target : {fifo, QStringLiteral("/dev/null")}) {
            try {
                OutputFile file(target);
                QFAIL(qPrintable(target));
            } catch (const FileWriteError &error) {
                QVERIFY2(error.message().contains(target), qPrintable(error.message()));
            }
        }
        struct stat info {};
        QCOMPARE(::stat(QFile::encodeName(fifo).constData(), &info), 0);
        QVERIFY(S_ISFIFO(info.st_mode));
        QCOMPARE(::stat("/dev/null", &info), 0);
        QVERIFY(S_ISCHR(info.st_mode));
    }

    // The configuration file is written through a link, but never over the database it was
    // linked to; written as itself it is replaced as before.
    void configurationLinkedToTheDatabase()
    {
        const QString ini = m_dir.filePath(QStringLiteral("sub/Kartevo.ini"));
        const QString database = m_dir.filePath(QStringLiteral("Kartevo.sqb"));
        QVERIFY(QFile::link(database, ini));
        IniFile settings(ini);
        settings.writeString(QStringLiteral("Settings"), QStringLiteral("Lang"), QStringLiteral("x"));
        QVERIFY_THROWS_EXCEPTION(Error, settings.save());
        QCOMPARE(test::ReadBytes(database), QByteArray("database"));
        QVERIFY(QFile::remove(ini));
        settings.save();
        QVERIFY(test::ReadBytes(ini).contains("Lang=x"));
    }

    // Complete or nothing: the old file stays until commit, a failed or abandoned write leaves
    // no trace, a replaced file keeps its permissions.
    void writtenInPlaceOnlyWhenComplete()
    {
        const QString target = m_dir.filePath(QStringLiteral("out.pdf"));
        test::WriteBytes(target, "old");
        QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
        const QFile::Permissions permissions = QFile::permissions(target);
        {
            OutputFile file(target);
            QCOMPARE(file.device().write("new contents"), qint64(12));
            QCOMPARE(test::ReadBytes(target), QByteArray("old"));
            QCOMPARE(file.contents(), QByteArray("new contents"));
            file.rewrite("NEW");
            file.commit();
        }
        QCOMPARE(test::ReadBytes(target), QByteArray("NEW"));
        QCOMPARE(QFile::permissions(target), permissions);
        {
            OutputFile abandoned(target);
            abandoned.device().write("half");
        }
        QCOMPARE(test::ReadBytes(target), QByteArray("NEW"));
        QCOMPARE(Entries(), (QSet<QString>{QStringLiteral("Kartevo.sqb"), QStringLiteral("out.pdf")}));

        QVERIFY_THROWS_EXCEPTION(Error, OutputFile(m_dir.filePath(QStringLiteral("missing/out.pdf"))));
        QVERIFY_THROWS_EXCEPTION(Error, OutputFile(m_dir.filePath(QStringLiteral("sub"))));
    }

    // A disk that fills up in the middle of a PDF: an error naming the file, the previous file
    // untouched, no temporary file left; the first failed write is remembered even when later,
    // smaller writes would fit.
    void fullDiskFailsThePdf()
    {
        const QString target = m_dir.filePath(QStringLiteral("big.pdf"));
        test::WriteBytes(target, "previous");
        {
            const test::FileSizeLimit limit(16 * 1024);
            report::PdfJobWriter writer(target);
            try {
                for (int job = 0; job < 40; ++job)
                    writer.add(TextReport(2));
                writer.finish();
                QFAIL("a PDF beyond the room on the disk was reported as written");
            } catch (const Error &error) {
                QVERIFY2(error.message().contains(target), qPrintable(error.message()));
            }
        }
        QCOMPARE(test::ReadBytes(target), QByteArray("previous"));
        QCOMPARE(Entries(), (QSet<QString>{QStringLiteral("Kartevo.sqb"), QStringLiteral("big.pdf")}));

        {
            const test::FileSizeLimit limit(8);
            OutputFile file(target);
            QCOMPARE(file.device().write("0123456789"), qint64(-1));
            QCOMPARE(file.device().write("x"), qint64(-1));
            QVERIFY_THROWS_EXCEPTION(Error, file.commit());
        }
        QCOMPARE(test::ReadBytes(target), QByteArray("previous"));
    }

private:
    QTemporaryDir m_dir;
};

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv); // the PDF writer's fonts
    TestOutputFile test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_outputfile.moc"
