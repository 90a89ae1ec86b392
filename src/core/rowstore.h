#pragma once

#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QVariant>

#include <memory>
#include <vector>

struct sqlite3_stmt;

namespace kartevo {

// The rows of a data set, kept compactly: every row is a run of tagged values in one byte
// arena (texts as their UTF-8 bytes, whole numbers as variable-length integers) behind a small
// table of the columns' offsets, and a cell is decoded only when it is asked for. A client row
// costs its text plus about 40 bytes, instead of one QVariant per cell. A changed row is
// written anew at the end of the arena; the arena is compacted when the old copies pile up.
class RowStore {
public:
    enum class Type : quint8 { Null, Integer, Real, Text, Blob };

    RowStore() = default;
    RowStore(const RowStore &) = delete;
    RowStore &operator=(const RowStore &) = delete;

    // One cell as stored; `bytes` points into the store and is valid until the next change.
    struct Cell {
        Type type = Type::Null;
        qint64 integer = 0;
        double real = 0;
        QByteArrayView bytes;

        QVariant toVariant() const;
        QString toString() const;
    };

    void reset(int columnCount);
    int columnCount() const { return m_columnCount; }
    int rowCount() const { return int(m_rows.size()); }
    // Bytes held by the rows (the arena and the row index).
    qsizetype memoryUsage() const;

    // The current row of a stepped statement, whose column count matches the store.
    void appendFromStatement(sqlite3_stmt *stmt);
    void replaceFromStatement(int row, sqlite3_stmt *stmt);
    void insert(int row, const QVariantList &values);
    void replace(int row, const QVariantList &values);
    void remove(int row);
    // Gives back the spare room of the row index left after reading.
    void squeeze();

    Cell cell(int row, int column) const;
    // A search text in the form findPrefix compares: UTF-8 with the letters a-z and the
    // Hungarian accented letters á é í ó ö ő ú ü ű turned into capitals, every other character
    // as it is.
    static QByteArray FoldPrefix(const QString &prefix);
    // The first row from `from` on whose text in `column` begins with the prefix, comparing
    // the letters that FoldPrefix folds without regard to case and every other byte exactly;
    // the prefix must come from FoldPrefix. Numbers are compared by their text; NULL is an
    // empty text. -1: none.
    int findPrefix(int column, QByteArrayView foldedPrefix, int from = 0) const;
    QVariantList rowValues(int row) const;

private:
    const char *encodeStatementRow(sqlite3_stmt *stmt);
    const char *encodeValues(const QVariantList &values);
    qsizetype rowSize(const char *row) const;
    void dropRow(const char *row);
    void compactIfWasteful();
    // Room for a row of at most `size` bytes; release() hands back what the row did not use.
    char *allocate(qsizetype size);
    void release(char *start, qsizetype size, const char *end);

    // The rows live in blocks that never move, so that reading many rows never copies the
    // rows read before (as a growing single buffer would, doubling the peak memory).
    std::vector<std::unique_ptr<char[]>> m_blocks;
    char *m_next = nullptr;     // the free room of the current block
    char *m_blockEnd = nullptr;
    qsizetype m_allocated = 0;  // bytes in blocks
    qsizetype m_used = 0;       // bytes of rows written, old copies included
    qsizetype m_garbage = 0;    // bytes of old copies of changed or removed rows
    std::vector<const char *> m_rows;
    int m_columnCount = 0;
};

} // namespace kartevo
