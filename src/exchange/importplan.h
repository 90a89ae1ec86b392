#pragma once

// The import of a user's address list: the rows as they would be stored, with what is found
// about them before anything is written, and the run that stores them in one transaction.

#include "exchange/importmapping.h"

#include <QList>
#include <QString>

#include <functional>
#include <memory>

namespace kartevo {

class Database;

// One row of the file as it would be stored.
struct PlannedRow {
    int sourceRow = 0;           // index into the table's rows
    ClientFields fields;         // cut to the widths of their columns
    int cutValues = 0;           // values of the row that were longer than their columns
    bool townMismatch = false;   // the postal code is known, and the town is not one of its towns
    qint64 duplicateClient = 0;  // a client already stored under the same name, or the same address
    int duplicateRow = -1;       // an earlier row of the file that this one repeats (source row)
    bool isDuplicate() const { return duplicateClient != 0 || duplicateRow >= 0; }
};

struct ImportPlan {
    QList<PlannedRow> rows; // rows with at least one value; the header is left out
    int duplicates = 0;
    int townMismatches = 0;
    int cutValues = 0;
};

// The plan made row by row, in the order of the file: what PlanImport does for one row at a time.
class ImportPlanner {
public:
    // Reads the column widths, the postal codes and the keys of the clients there. A mapping that
    // gives no name throws Error.
    ImportPlanner(Database &db, const ImportMapping &mapping);
    ~ImportPlanner();
    ImportPlanner(const ImportPlanner &) = delete;
    ImportPlanner &operator=(const ImportPlanner &) = delete;

    // Plans the row of the file at sourceRow (from 0); false for a row without any value, which
    // is left out. Rows come in the order of the file, the header left out by the caller.
    bool plan(int sourceRow, const QStringList &cells, PlannedRow &row);

private:
    struct State;
    std::unique_ptr<State> d;
};

// Maps every row and finds, with the address check's rules, the rows whose postal code and
// town disagree and the rows that repeat a client or an earlier row (the same name key, or the
// same postal code and street key). Writes nothing. A mapping that gives no name throws Error.
ImportPlan PlanImport(Database &db, const SourceTable &table, const ImportMapping &mapping);

// What was found about a row, in Hungarian; empty when nothing.
QString RowFindingText(const PlannedRow &row);

struct ImportOutcome {
    int clients = 0;
    int groups = 0;  // new groups
    int skipped = 0; // duplicates left out
    int cut = 0;     // values cut, in the rows stored
    bool stopped = false; // the user stopped it: nothing was written
};

// "N ügyfél és M új csoport betöltve; K duplikátum kihagyva; L érték levágva"
QString ImportOutcomeText(const ImportOutcome &outcome);

// Called after each row stored with how many are done out of how many; returning false stops
// the import, and everything it wrote is taken back.
using ImportProgress = std::function<bool(int done, int total)>;

// The store of planned rows, one by one, in one transaction of its own: what RunImport does for
// one row at a time. Nothing is kept unless finish() commits; a writer left unfinished takes
// everything back.
class ImportWriter {
public:
    // Begins the transaction. Throws Error inside a transaction that is already open.
    ImportWriter(Database &db, const QString &source, bool skipDuplicates);
    ~ImportWriter();
    ImportWriter(const ImportWriter &) = delete;
    ImportWriter &operator=(const ImportWriter &) = delete;

    // How many rows are to come in all, when that is known before the first.
    void expect(qint64 rows);
    // Stores the row (or counts it as skipped). Throws Error naming the row when it cannot be
    // stored; the writer is then to be left unfinished.
    void write(const PlannedRow &row);
    // Records the import and commits; a trial (dryRun), or an import that stored no client,
    // takes it back. Returns the counts.
    ImportOutcome finish(bool dryRun);
    // Takes everything written back.
    void abandon();

    const ImportOutcome &outcome() const;

private:
    struct State;
    std::unique_ptr<State> d;
};

// Stores the rows of the plan (without the duplicates when skipDuplicates) in one transaction:
// keys from NextId, unmarked, with sort keys; groups not yet in the group list are added (the
// groups compared as every import compares them). The import is recorded under the name of its
// source, so that it can be taken back; one that stored no client leaves no record. Throws
// Error, with nothing written, when a row cannot be stored. A trial (dryRun) does all of it and
// takes it back at the end: the counts are those of the real import.
ImportOutcome RunImport(Database &db, const ImportPlan &plan, bool skipDuplicates, const QString &source,
                        const ImportProgress &progress = {}, bool dryRun = false);

// What ImportWithoutPreview is to do, and what it tells on the way.
struct DirectImportOptions {
    SourceOptions source;
    bool skipDuplicates = false;
    bool dryRun = false;
    // The mapping of the file, from its table (whole) or from its first rows only, while the
    // rest is still being read (not whole: the columns a mapping names are checked afterwards).
    std::function<ImportMapping(const SourceTable &table, bool whole)> chooseMapping;
    // Sees every planned row, in the order of the file.
    std::function<void(const PlannedRow &)> planned;
    // The rows planned so far do not count: the file is read once more from its start.
    std::function<void()> restarted;
    // Runs once, before anything is written (an automatic backup); not at all when the file has
    // no row to import.
    std::function<void()> beforeWriting;
    // How many rows the mapping is chosen from before the rest of a long file is read.
    int headRows = 64;
};

struct DirectImport {
    ImportMapping mapping;
    QStringList header; // the first row of the file
    int rows = 0;       // the rows planned; none means nothing was written
    ImportOutcome outcome;
};

// Reads, maps, plans and stores a file in one go, for an import without a preview; recorded
// under the file's name. A file that can be read row by row (an .xlsx workbook) is planned and
// stored as it is read, the reading on a thread of its own a few pieces of rows ahead: the rows
// are never all in memory and each is handled while it is at hand. One read that way that turns
// out to need its whole table (merged cells, rows out of order, a mapping beyond its first rows)
// is taken back and read again whole. The callbacks run on the calling thread. Throws Error,
// with nothing written, as ReadSource, PlanImport and RunImport do.
DirectImport ImportWithoutPreview(Database &db, const QString &file, const DirectImportOptions &options);

} // namespace kartevo
