// The CSV import of 100,000 clients into an empty client table, next to the sqlite3 shell's own
// .import of the same file into a new table, measured in the same run. And the reading of the
// same clients from an .xlsx workbook (shared strings, postal codes as numbers, as an office
// suite writes it) into a table, and `kartevo-batch import` of the workbook as a whole process,
// next to xlsx2csv converting the workbook to CSV, runs of each taken in turn; the ratios of the
// times and the import's peak memory are counters of that benchmark.

#include "benchclients.h"
#include "benchprocess.h"
#include "core/helpers.h"
#include "exchange/csvimport.h"
#include "exchange/importsource.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>

#include <list>

#include <sys/resource.h>
#include <zip.h>

using namespace kartevo;
using namespace kartevo::bench;

namespace {

// The 100,000 clients of the benchmark database as a UTF-8 CSV file, written once.
QString CsvFile(benchmark::State &state)
{
    static QTemporaryDir dir;
    static QString file;
    if (!file.isEmpty())
        return file;
    Database *db = ClientDatabase::get(state);
    if (!db)
        return {};
    QByteArray bytes;
    Statement rows(*db, QStringLiteral("SELECT ugyfel_nev, kapcsolat, cim_irsz, cim_varos, cim_cim, csoport FROM ugyfel"));
    while (rows.step()) {
        QStringList fields;
        for (int i = 0; i < 6; ++i)
            fields.append(rows.column(i).toString());
        bytes += fields.join(u';').toUtf8() + "\r\n";
    }
    file = dir.filePath(QStringLiteral("ugyfelek.csv"));
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size())
        state.SkipWithError("cannot write the CSV file");
    return file;
}

// A new upgraded database without clients, in a folder of its own.
QString EmptyDatabaseCopy(QTemporaryDir &dir)
{
    const QString programFolder = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath();
    const QString path = dir.filePath(QStringLiteral("Kartevo.sqb"));
    QFile::copy(InstallationFile(programFolder, QStringLiteral("Kartevo.sqb")), path);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    Database db;
    db.open(path);
    UpgradeSchema(db, InstallationFile(programFolder, QStringLiteral("cimke.sql")));
    return path;
}

void ImportCsv(benchmark::State &state)
{
    const QString csv = CsvFile(state);
    if (csv.isEmpty())
        return;
    int clients = 0;
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir dir;
        Database db;
        db.open(EmptyDatabaseCopy(dir));
        state.ResumeTiming();
        const ImportText text = ReadImportFile(csv);
        clients = ImportClients(db, SplitTextLines(text.text), u';', false).clients;
    }
    state.counters["clients"] = clients;
}

void Sqlite3ShellImport(benchmark::State &state)
{
    const QString csv = CsvFile(state);
    const QString shell = QStandardPaths::findExecutable(QStringLiteral("sqlite3"));
    if (csv.isEmpty())
        return;
    if (shell.isEmpty()) {
        state.SkipWithError("the sqlite3 shell is not installed");
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir dir;
        const QString path = EmptyDatabaseCopy(dir);
        state.ResumeTiming();
        QProcess process;
        process.start(shell, {path, QStringLiteral(".separator ;"), QStringLiteral(".import ") + csv + QStringLiteral(" csv_import")});
        if (!process.waitForFinished(120000) || process.exitCode() != 0)
            state.SkipWithError("sqlite3 .import failed");
    }
}

// One part of a zip container; the bytes stay alive until the container is closed.
bool AddPart(zip_t *archive, std::list<QByteArray> &keep, const char *name, QByteArray bytes)
{
    keep.push_back(std::move(bytes));
    zip_source_t *source = zip_source_buffer(archive, keep.back().constData(), zip_uint64_t(keep.back().size()), 0);
    if (!source)
        return false;
    if (zip_file_add(archive, name, source, ZIP_FL_ENC_UTF_8) < 0) {
        zip_source_free(source);
        return false;
    }
    return true;
}

// The 100,000 clients of the benchmark database as an .xlsx workbook with a header row, written once.
QString XlsxFile(benchmark::State &state)
{
    static QTemporaryDir dir;
    static QString file;
    if (!file.isEmpty())
        return file;
    Database *db = ClientDatabase::get(state);
    if (!db)
        return {};
    QHash<QString, int> stringIndex;
    QByteArray strings;
    int stringCount = 0;
    const auto cell = [&](QByteArray &row, int column, int rowNumber, const QString &text) {
        const QByteArray reference = QByteArray(1, char('A' + column)) + QByteArray::number(rowNumber);
        bool number = false;
        const int value = text.toInt(&number);
        if (number) {
            row += "<c r=\"" + reference + "\"><v>" + QByteArray::number(value) + "</v></c>";
            return;
        }
        if (text.isEmpty())
            return;
        int &index = stringIndex[text];
        if (index == 0) {
            index = ++stringCount;
            strings += "<si><t>" + text.toHtmlEscaped().toUtf8() + "</t></si>";
        }
        row += "<c r=\"" + reference + "\" t=\"s\"><v>" + QByteArray::number(index - 1) + "</v></c>";
    };
    QByteArray sheet = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
                       "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheetData>";
    const QStringList header = Words("Név Kapcsolattartó Irányítószám Település Cím Csoport");
    QByteArray row = "<row r=\"1\">";
    for (int i = 0; i < header.size(); ++i)
        cell(row, i, 1, header[i]);
    sheet += row + "</row>";
    Statement clients(*db, QStringLiteral("SELECT ugyfel_nev, kapcsolat, cim_irsz, cim_varos, cim_cim, csoport FROM ugyfel"));
    for (int number = 2; clients.step(); ++number) {
        row = "<row r=\"" + QByteArray::number(number) + "\">";
        for (int i = 0; i < 6; ++i)
            cell(row, i, number, clients.column(i).toString());
        sheet += row + "</row>";
    }
    sheet += "</sheetData></worksheet>";

    file = dir.filePath(QStringLiteral("ugyfelek.xlsx"));
    int error = 0;
    zip_t *archive = zip_open(QFile::encodeName(file).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!archive) {
        state.SkipWithError("cannot create the workbook");
        return file = QString();
    }
    std::list<QByteArray> keep;
    const char *ns = "http://schemas.openxmlformats.org/";
    const bool added =
        AddPart(archive, keep, "[Content_Types].xml",
                QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?><Types xmlns=\"") + ns + "package/2006/content-types\">"
                "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
                "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
                "<Override PartName=\"/xl/workbook.xml\" ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/>"
                "<Override PartName=\"/xl/worksheets/sheet1.xml\" ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml\"/>"
                "<Override PartName=\"/xl/sharedStrings.xml\" ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml\"/>"
                "</Types>")
        && AddPart(archive, keep, "_rels/.rels",
                   QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?><Relationships xmlns=\"") + ns + "package/2006/relationships\">"
                   "<Relationship Id=\"rId1\" Type=\"" + ns + "officeDocument/2006/relationships/officeDocument\" Target=\"xl/workbook.xml\"/>"
                   "</Relationships>")
        && AddPart(archive, keep, "xl/workbook.xml",
                   QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?><workbook xmlns=\"") + ns + "spreadsheetml/2006/main\" "
                   "xmlns:r=\"" + ns + "officeDocument/2006/relationships\"><sheets>"
                   "<sheet name=\"Ügyfelek\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>")
        && AddPart(archive, keep, "xl/_rels/workbook.xml.rels",
                   QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?><Relationships xmlns=\"") + ns + "package/2006/relationships\">"
                   "<Relationship Id=\"rId1\" Type=\"" + ns + "officeDocument/2006/relationships/worksheet\" Target=\"worksheets/sheet1.xml\"/>"
                   "<Relationship Id=\"rId2\" Type=\"" + ns + "officeDocument/2006/relationships/sharedStrings\" Target=\"sharedStrings.xml\"/>"
                   "</Relationships>")
        && AddPart(archive, keep, "xl/worksheets/sheet1.xml", sheet)
        && AddPart(archive, keep, "xl/sharedStrings.xml",
                   QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?><sst xmlns=\"") + ns + "spreadsheetml/2006/main\" "
                   "count=\"" + QByteArray::number(stringCount) + "\" uniqueCount=\"" + QByteArray::number(stringCount) + "\">"
                   + strings + "</sst>");
    if (!added || zip_close(archive) != 0) {
        if (!added)
            zip_discard(archive);
        state.SkipWithError("cannot write the workbook");
        return file = QString();
    }
    return file;
}

// The mean time of one reading of the workbook, for its ratio to xlsx2csv.
double readXlsxSeconds = 0;

void ReadXlsx(benchmark::State &state)
{
    const QString xlsx = XlsxFile(state);
    if (xlsx.isEmpty())
        return;
    const double residentBefore = StatusMegabytes("VmRSS");
    ResetPeakMemory();
    qsizetype rows = 0;
    QElapsedTimer timer;
    timer.start();
    for (auto _ : state)
        rows = ReadSource(xlsx).rows.size();
    readXlsxSeconds = double(timer.nsecsElapsed()) / 1e9 / double(state.iterations());
    state.counters["rows"] = double(rows);
    state.counters["VmHWM_MB"] = StatusMegabytes("VmHWM");
    state.counters["VmRSS_before_MB"] = residentBefore;
}

// The whole import of the workbook as a user runs it (kartevo-batch started, the workbook read,
// guessed, checked, copied into the database after the automatic backup, the process ended)
// beside xlsx2csv converting it, five runs of each taken in turn, the one or the other first by
// rounds, so that a slower spell of a shared machine falls on both; the medians are compared.
void ImportXlsxBesideXlsx2csv(benchmark::State &state)
{
    const QString xlsx = XlsxFile(state);
    if (xlsx.isEmpty())
        return;
    const QString converter = QStandardPaths::findExecutable(QStringLiteral("xlsx2csv"));
    if (converter.isEmpty()) {
        state.SkipWithError("xlsx2csv is not installed");
        return;
    }
    const QString batch = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath() + QStringLiteral("/kartevo-batch");
    QTemporaryDir dir;
    const QStringList environment = QProcessEnvironment::systemEnvironment().toStringList();
    for (auto _ : state) {
        std::vector<double> ours, oursCpu, anchor, anchorCpu;
        double peak = 0;
        for (int round = 0; round < 5; ++round) {
            const auto import = [&] {
                QTemporaryDir data;
                const QString path = EmptyDatabaseCopy(data);
                const ProcessFigures run = RunProcess(batch, {QStringLiteral("--db"), path, QStringLiteral("import"), xlsx},
                                                      environment + QStringList{QStringLiteral("XDG_DATA_HOME=") + data.path()});
                ours.push_back(run.seconds);
                oursCpu.push_back(run.cpuSeconds);
                peak = std::max(peak, run.peakMegabytes);
                return run.ok;
            };
            const auto convert = [&] {
                const ProcessFigures run = RunProcess(converter, {xlsx, dir.filePath(QStringLiteral("ugyfelek.csv"))}, environment);
                anchor.push_back(run.seconds);
                anchorCpu.push_back(run.cpuSeconds);
                return run.ok;
            };
            const bool ok = round % 2 == 0 ? import() && convert() : convert() && import();
            if (!ok) {
                state.SkipWithError("kartevo-batch import or xlsx2csv failed");
                return;
            }
        }
        state.SetIterationTime(Median(ours));
        state.counters["s"] = Median(ours);
        state.counters["xlsx2csv_s"] = Median(anchor);
        state.counters["peak_MB"] = peak;
        // The goals: the whole import at most half the time of the conversion, below 200 MB.
        state.counters["ImportXlsxProcess_to_xlsx2csv"] = Median(ours) / Median(anchor);
        state.counters["ImportXlsxProcess_to_xlsx2csv_cpu"] = Median(oursCpu) / Median(anchorCpu);
        if (readXlsxSeconds > 0)
            state.counters["ReadXlsx_to_xlsx2csv"] = readXlsxSeconds / Median(anchor);
    }
}

} // namespace

BENCHMARK(ImportCsv)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(Sqlite3ShellImport)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(ReadXlsx)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(ImportXlsxBesideXlsx2csv)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);
BENCHMARK_MAIN();
