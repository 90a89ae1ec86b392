// The file writers of the program when their file cannot be written: a read-only file or
// folder, a folder that went away, a full disk; and a writer killed in the middle. Each fails
// with a message that names the file, keeps the previous file as it was and leaves no
// temporary file behind; a killed writer leaves the old file or the new one, never a mix.
#include "core/database.h"
#include "core/error.h"
#include "core/settings.h"
#include "core/tableview.h"
#include "exchange/biffexport.h"
#include "exchange/delimitedexport.h"
#include "exchange/exportfields.h"
#include "exchange/htmlexport.h"
#include "faults.h"
#include "i18n/language.h"
#include "testfiles.h"
#include "tools/catalog.h"
#include "tools/sqlconsole.h"

#include <QDateTime>
#include <QDir>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace kartevo;

namespace {

enum class Fault { ReadOnlyFile, ReadOnlyFolder, FolderRemoved, FullDisk, SmallDisk };
enum class Writer { Settings, LanguageTemplate, SqlFile, Delimited, Worksheet, Html, Catalog };

struct WriterInfo {
    const char *name;
    Writer writer;
    const char *file;
    QString message; // the start of the writer's own message
};

const QList<WriterInfo> &Writers()
{
    static const QList<WriterInfo> writers = {
        {"settings", Writer::Settings, "Kartevo.ini", QStringLiteral("A beállítások nem írhatók: ")},
        {"language template", Writer::LanguageTemplate, "lang.ini", QStringLiteral("Unable to write to ")},
        {"sql file", Writer::SqlFile, "script.sql", QStringLiteral("A fájl nem írható: ")},
        {"delimited export", Writer::Delimited, "ugyfel.csv", QStringLiteral("A fájl nem írható: ")},
        {"worksheet export", Writer::Worksheet, "ugyfel.xls", QStringLiteral("A fájl nem írható: ")},
        {"html export", Writer::Html, "ugyfel.html", QStringLiteral("A fájl nem írható: ")},
        {"catalog refresh", Writer::Catalog, "programok.csv", QStringLiteral("File létrehozási hiba")},
    };
    return writers;
}

// A window with enough texts to need more than a few hundred bytes.
WindowTexts ManyTexts()
{
    WindowTexts texts;
    texts.name = QStringLiteral("frm_Teszt");
    texts.caption = QStringLiteral("Próba ablak");
    for (int i = 0; i < 40; ++i) {
        TextElement element;
        element.name = QStringLiteral("Label%1").arg(i);
        element.caption = QStringLiteral("Árvíztűrő tükörfúrógép %1").arg(i);
        texts.elements.append(element);
    }
    return texts;
}

QByteArray CatalogBytes()
{
    QList<CatalogRow> rows;
    for (int i = 1; i <= 20; ++i) {
        CatalogRow row;
        row.programok = i;
        row.programok_nev = QStringLiteral("Program %1").arg(i);
        row.link = QStringLiteral("https://example.org/%1").arg(i);
        row.leiras = QStringLiteral("Leírás ").repeated(20);
        rows.append(row);
    }
    return FormatCatalog(rows);
}

// Runs the writer on target; returns the message of its failure, or an empty text.
QString Write(Writer writer, const QString &target, Database &db)
{
    try {
        switch (writer) {
        case Writer::Settings: {
            TBeall settings;
            settings.Path = QStringLiteral("/adatok/").repeated(20) + QStringLiteral("Kartevo.sqb");
            SaveSettings(settings, target);
            break;
        }
        case Writer::LanguageTemplate:
            WriteWindowTemplate(ManyTexts(), target);
            break;
        case Writer::SqlFile:
            WriteSqlFile(target, QStringLiteral("UPDATE ugyfel SET jelolve='N';\n").repeated(100));
            break;
        case Writer::Delimited:
        case Writer::Worksheet:
        case Writer::Html: {
            TableView clients(db, QStringLiteral("ugyfel"));
            clients.open();
            const QList<ExportField> fields = ExportFieldsOf(clients);
            ExportToFile(target, [&](QIODevice &device) {
                if (writer == Writer::Delimited)
                    return WriteDelimited(device, clients, fields, DelimitedOptions{});
                if (writer == Writer::Worksheet)
                    return WriteWorksheet(device, clients, fields);
                QList<HtmlColumn> columns;
                for (const ExportField &field : fields)
                    columns.append({field.label, 64, FieldAlign::Left, field.column});
                return WriteHtmlPage(device, clients, QStringLiteral("Ügyfelek"), columns, 64 * int(fields.size()),
                                     QDateTime(QDate(2024, 5, 6), QTime(7, 8)));
            });
            break;
        }
        case Writer::Catalog: {
            CatalogUpdate update(target);
            const QByteArray bytes = CatalogBytes();
            update.append(bytes);
            update.finish();
            break;
        }
        }
    } catch (const Error &error) {
        return error.message().isEmpty() ? QStringLiteral("(üres hibaüzenet)") : error.message();
    }
    return {};
}


// The permission bits of a file.
mode_t Mode(const QString &path)
{
    struct stat status {};
    ::stat(QFile::encodeName(path).constData(), &status);
    return status.st_mode & 07777;
}

QString ClientsText(Database &db)
{
    return test::SqlValue(db, QStringLiteral("SELECT group_concat(ugyfel || ugyfel_nev || jelolve, '|') FROM ugyfel"))
        .toString();
}

} // namespace

Q_DECLARE_METATYPE(Fault)
Q_DECLARE_METATYPE(Writer)

class TestFileFaults : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_demo.dir.isValid());
        m_clients = ClientsText(m_demo.db);
    }

    void failedWriteKeepsOldFile_data()
    {
        QTest::addColumn<Fault>("fault");
        QTest::addColumn<Writer>("writer");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("message");
        const QList<std::pair<const char *, Fault>> faults = {
            {"read-only file", Fault::ReadOnlyFile}, {"read-only folder", Fault::ReadOnlyFolder},
            {"folder removed", Fault::FolderRemoved}, {"full disk", Fault::FullDisk},
            {"small disk", Fault::SmallDisk}};
        for (const auto &[faultName, fault] : faults) {
            for (const WriterInfo &info : Writers()) {
                // The catalog's download is written into a file it could create.
                const bool written = fault == Fault::FullDisk || fault == Fault::SmallDisk;
                const QString message = info.writer == Writer::Catalog && written ? QStringLiteral("A fájl nem írható: ")
                                                                                 : info.message;
                QTest::addRow("%s, %s", faultName, info.name)
                    << fault << info.writer << QString::fromLatin1(info.file) << message;
            }
        }
    }
    void failedWriteKeepsOldFile()
    {
        QFETCH(Fault, fault);
        QFETCH(Writer, writer);
        QFETCH(QString, file);
        QFETCH(QString, message);

        QTemporaryDir dir;
        QString folder = dir.filePath(QStringLiteral("out"));
        std::unique_ptr<test::SmallDisk> disk;
        if (fault == Fault::SmallDisk) {
            disk = std::make_unique<test::SmallDisk>(folder, 64 * 1024);
            if (!disk->mounted())
                QSKIP("a small disk (tmpfs) cannot be mounted here: it needs the superuser");
        } else {
            QDir().mkpath(folder);
        }
        const QString target = folder + QLatin1Char('/') + file;
        const QByteArray old = "[Screen]\r\nFontSize=9\r\n";
        test::WriteBytes(target, old);
        if (disk)
            disk->fill();
        const QSet<QString> before = test::FolderEntries(folder);

        std::unique_ptr<test::ModesApply> modes;
        std::unique_ptr<test::FileSizeLimit> limit;
        switch (fault) {
        case Fault::ReadOnlyFile:
            QVERIFY(test::SetMode(target, 0444));
            modes = std::make_unique<test::ModesApply>();
            break;
        case Fault::ReadOnlyFolder:
            QVERIFY(test::SetMode(folder, 0555));
            modes = std::make_unique<test::ModesApply>();
            break;
        case Fault::FolderRemoved:
            QVERIFY(QDir(folder).removeRecursively());
            break;
        case Fault::FullDisk:
            limit = std::make_unique<test::FileSizeLimit>(256);
            break;
        case Fault::SmallDisk:
            break;
        }
        const QString shown = Write(writer, target, m_demo.db);
        limit.reset();
        modes.reset();
        test::SetMode(folder, 0755);

        QVERIFY2(!shown.isEmpty(), "the write was reported as done");
        QVERIFY2(shown.startsWith(message), qPrintable(shown));
        QVERIFY2(shown.contains(target), qPrintable(shown));
        QCOMPARE(ClientsText(m_demo.db), m_clients);
        if (fault == Fault::FolderRemoved) {
            QVERIFY(!QFileInfo::exists(folder)); // not made again by the failed write
            return;
        }
        QCOMPARE(test::ReadBytes(target), old);
        QCOMPARE(test::FolderEntries(folder), before);

        // Once the fault is gone the same writer succeeds and keeps the file's permissions.
        if (disk)
            QVERIFY(QFile::remove(disk->filler()));
        const mode_t mode = Mode(target);
        if (fault != Fault::ReadOnlyFile) {
            QCOMPARE(Write(writer, target, m_demo.db), QString());
            QVERIFY(test::ReadBytes(target) != old);
            QCOMPARE(Mode(target), mode);
        }
    }

    // A writer killed at any moment while it replaces its file: the file is afterwards the old
    // one or the new one, whole, and the other files of the folder are as they were.
    void killedWriterLeavesOldOrNew_data()
    {
        QTest::addColumn<Writer>("writer");
        QTest::newRow("settings") << Writer::Settings;
        QTest::newRow("language template") << Writer::LanguageTemplate;
    }
    void killedWriterLeavesOldOrNew()
    {
        QFETCH(Writer, writer);
        QTemporaryDir dir;
        const QString target = dir.filePath(QStringLiteral("out.ini"));
        // The two versions the child writes in turn.
        const auto write = [&](int version) {
            if (writer == Writer::Settings) {
                TBeall settings;
                settings.FontSize = 9 + version;
                settings.Path = QStringLiteral("/adatok/").repeated(1 + 40 * version) + QStringLiteral("Kartevo.sqb");
                settings.HtmlPath = QStringLiteral("/Html");
                SaveSettings(settings, target);
            } else {
                report::Report report;
                report.name = QStringLiteral("qrBoritek");
                report.title = QStringLiteral("Boríték ").repeated(1 + 100 * version);
                WriteReportTemplate(report, target);
            }
        };
        write(0);
        const QByteArray first = test::ReadBytes(target);
        write(1);
        const QByteArray second = test::ReadBytes(target);
        QVERIFY(first != second);
        write(0);
        QCOMPARE(test::ReadBytes(target), first);
        QVERIFY(test::SetMode(target, 0640));

        for (int round = 0; round < 25; ++round) {
            const pid_t child = ::fork();
            QVERIFY(child >= 0);
            if (child == 0) {
                for (int version = 1;; version ^= 1)
                    write(version);
            }
            // Let the child get into its loop, then kill it wherever it is.
            ::usleep(useconds_t(2000 + 1300 * round));
            QCOMPARE(::kill(child, SIGKILL), 0);
            int status = 0;
            QCOMPARE(::waitpid(child, &status, 0), child);
            QVERIFY(WIFSIGNALED(status));
            const QByteArray now = test::ReadBytes(target);
            QVERIFY2(now == first || now == second, qPrintable(QStringLiteral("round %1: %2 bytes").arg(round).arg(now.size())));
            QCOMPARE(Mode(target), mode_t(0640));
        }
    }

private:
    test::DemoDatabase m_demo;
    QString m_clients;
};

QTEST_GUILESS_MAIN(TestFileFaults)
#include "tst_filefaults.moc"
