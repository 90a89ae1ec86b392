// The import without a preview. A workbook of 100,000 rows read whole, then planned, then stored
// is walked three times through tens of megabytes of rows, and most of the time goes to fetching
// them from memory again; planned and stored as each row is read, the row is still at hand. The
// reading (unpacking and parsing the sheet) and the planning and storing take about as long as
// each other, so the reading runs on a thread of its own, a few pieces of rows ahead.

#include "exchange/importplan.h"

#include "core/error.h"

#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

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

using RowPiece = std::vector<std::pair<qint64, QStringList>>;

// The rows read and not yet taken, a piece at a time. The reading side waits while it is
// kPiecesAhead pieces ahead; the other side waits for the next piece or the end.
class RowPieces {
public:
    static constexpr size_t kPieceRows = 256;
    static constexpr size_t kPiecesAhead = 8;

    // False when the taking side has stopped: the reading stops too.
    bool put(RowPiece &&piece)
    {
        std::unique_lock lock(m_mutex);
        m_room.wait(lock, [&] { return m_pieces.size() < kPiecesAhead || m_stopped; });
        if (m_stopped)
            return false;
        m_pieces.push_back(std::move(piece));
        m_ready.notify_one();
        return true;
    }
    // The reading is over: streamed is what StreamSource said, failure what stopped it.
    void end(bool streamed, std::exception_ptr failure)
    {
        std::lock_guard lock(m_mutex);
        m_ended = true;
        m_streamed = streamed;
        m_failure = failure;
        m_ready.notify_one();
    }
    // The next piece; false at the end. Throws what stopped the reading once the pieces before
    // it are taken.
    bool take(RowPiece &piece)
    {
        std::unique_lock lock(m_mutex);
        m_ready.wait(lock, [&] { return !m_pieces.empty() || m_ended; });
        if (m_pieces.empty()) {
            if (m_failure)
                std::rethrow_exception(m_failure);
            return false;
        }
        piece = std::move(m_pieces.front());
        m_pieces.pop_front();
        m_room.notify_one();
        return true;
    }
    bool streamed() const { return m_streamed; }
    void stop()
    {
        std::lock_guard lock(m_mutex);
        m_stopped = true;
        m_room.notify_one();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_ready;
    std::condition_variable m_room;
    std::deque<RowPiece> m_pieces;
    bool m_ended = false;
    bool m_streamed = false;
    bool m_stopped = false;
    std::exception_ptr m_failure;
};

// Thrown in the reading thread when the taking side has stopped.
struct ReadingStopped {};

// The file streamed on a thread of its own into pieces; joined, after asking it to stop,
// however the taking ends.
class ReadingThread {
public:
    ReadingThread(const QString &file, const SourceOptions &source, RowPieces &pieces)
        : m_pieces(pieces)
        , m_thread([&file, &source, &pieces] {
            try {
                RowPiece piece;
                const bool streamed = StreamSource(file, source, [&](qint64 row, QStringList &&cells) {
                    piece.emplace_back(row, std::move(cells));
                    if (piece.size() == RowPieces::kPieceRows && !pieces.put(std::exchange(piece, {})))
                        throw ReadingStopped();
                });
                if (!piece.empty() && !pieces.put(std::move(piece)))
                    throw ReadingStopped();
                pieces.end(streamed, {});
            } catch (const ReadingStopped &) {
                pieces.end(false, {});
            } catch (...) {
                pieces.end(false, std::current_exception());
            }
        })
    {
    }
    ~ReadingThread()
    {
        m_pieces.stop();
        m_thread.join();
    }
    ReadingThread(const ReadingThread &) = delete;
    ReadingThread &operator=(const ReadingThread &) = delete;

private:
    RowPieces &m_pieces;
    std::thread m_thread;
};

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
            RowPieces pieces;
            ReadingThread reading(m_file, m_options.source, pieces);
            RowPiece piece;
            while (pieces.take(piece)) {
                for (auto &[row, cells] : piece)
                    take(row, std::move(cells));
            }
            streamed = pieces.streamed();
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
