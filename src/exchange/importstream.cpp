// The import without a preview. A workbook of 100,000 rows read whole, then planned, then stored
// is walked three times through tens of megabytes of rows, and most of the time goes to fetching
// them from memory again; planned and stored as each row is read, the row is still at hand.

#include "exchange/importplan.h"

#include "core/error.h"

#include <optional>

namespace kartevo {

namespace {

// Thrown out of the reading when the rows cannot be imported before the whole table is there.
struct ReadWhole {};

// Whether every column the mapping takes is among the columns of the rows.
bool MapsWithin(const ImportMapping &mapping, const QList<QStringList> &rows)
{
    qsizetype columns = 0;
    for (const QStringList &row : rows)
        columns = std::max(columns, row.size());
    return std::all_of(mapping.columns.begin(), mapping.columns.end(), [&](const QList<int> &taken) {
        return std::all_of(taken.begin(), taken.end(), [&](int column) { return column < columns; });
    });
}

class DirectRun {
public:
    DirectRun(Database &db, const QString &file, const DirectImportOptions &options)
        : m_db(db)
        , m_file(file)
        , m_options(options)
    {
    }

    DirectImport run()
    {
        bool streamed = false;
        try {
            streamed = StreamSource(m_file, m_options.source, [this](qint64 row, QStringList &&cells) { take(row, std::move(cells)); });
        } catch (const ReadWhole &) {
        }
        if (streamed && m_planner)
            return finish();
        if (streamed) // fewer rows than the head: the table is all there
            return fromTable(std::exchange(m_head, {}));
        // Whatever was planned or written goes; the file is read again whole.
        m_writer.reset();
        m_planner.reset();
        m_head = {};
        if (m_result.rows > 0 && m_options.restarted)
            m_options.restarted();
        m_result = {};
        return fromTable(ReadSource(m_file, m_options.source));
    }

private:
    void take(qint64 row, QStringList &&cells)
    {
        if (m_planner) {
            plan(int(row), cells);
            return;
        }
        m_head.rows.append(std::move(cells));
        if (m_head.rows.size() < m_options.headRows)
            return;
        m_result.mapping = m_options.chooseMapping(m_head, false);
        if (!MapsWithin(m_result.mapping, m_head.rows))
            throw ReadWhole();
        m_planner.emplace(m_db, m_result.mapping);
        m_result.header = m_head.rows.constFirst();
        for (int index = m_result.mapping.header ? 1 : 0; index < m_head.rows.size(); ++index)
            plan(index, m_head.rows.at(index));
        m_head = {};
    }

    void plan(int index, const QStringList &cells)
    {
        if (!m_planner->plan(index, cells, m_row))
            return;
        ++m_result.rows;
        if (m_options.planned)
            m_options.planned(m_row);
        if (!m_writer) {
            beforeWriting();
            m_writer.emplace(m_db, m_file, m_options.skipDuplicates);
        }
        m_writer->write(m_row);
    }

    DirectImport finish()
    {
        if (m_writer)
            m_result.outcome = m_writer->finish(m_options.dryRun);
        return m_result;
    }

    DirectImport fromTable(SourceTable table)
    {
        m_result.mapping = m_options.chooseMapping(table, true);
        m_result.header = table.rows.value(0);
        ImportPlan plan = PlanImport(m_db, table, m_result.mapping);
        table = {}; // the plan holds the rows now: the memory goes to the storing
        m_result.rows = int(plan.rows.size());
        if (m_options.planned) {
            for (const PlannedRow &row : std::as_const(plan.rows))
                m_options.planned(row);
        }
        if (plan.rows.isEmpty())
            return m_result;
        beforeWriting();
        m_result.outcome = RunImport(m_db, plan, m_options.skipDuplicates, m_file, {}, m_options.dryRun);
        return m_result;
    }

    void beforeWriting()
    {
        if (!m_backedUp && m_options.beforeWriting)
            m_options.beforeWriting();
        m_backedUp = true;
    }

    Database &m_db;
    const QString &m_file;
    const DirectImportOptions &m_options;
    DirectImport m_result;
    SourceTable m_head; // the first rows, until the mapping is chosen
    std::optional<ImportPlanner> m_planner;
    std::optional<ImportWriter> m_writer;
    PlannedRow m_row;
    bool m_backedUp = false;
};

} // namespace

DirectImport ImportWithoutPreview(Database &db, const QString &file, const DirectImportOptions &options)
{
    return DirectRun(db, file, options).run();
}

} // namespace kartevo
