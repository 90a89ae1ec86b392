#include "core/rowstore.h"

#include "core/statement.h"

#include <QVarLengthArray>

#include <sqlite3.h>

#include <cstring>

namespace kartevo {

namespace {

// A row is a header of the columns' offsets from the row start (16 bits each, for every column
// but the first) followed by the values: a type byte, then a zigzag varint for a whole number,
// 8 bytes for a real, a varint length and the bytes for a text or a blob. The header makes a
// cell one jump away, which keeps a search over 100,000 rows short; an offset that does not
// fit in 16 bits is marked and found by walking from the last one that does.

constexpr qsizetype kMaxVarint = 10;
constexpr quint16 kFarOffset = 0xFFFF;

struct Value {
    RowStore::Type type = RowStore::Type::Null;
    qint64 integer = 0;
    double real = 0;
    const char *data = nullptr;
    qsizetype size = 0;
};

// Writes a variable-length integer (7 bits a byte, low bits first) and returns the end.
char *WriteVarint(char *p, quint64 value)
{
    while (value >= 0x80) {
        *p++ = char((value & 0x7F) | 0x80);
        value >>= 7;
    }
    *p++ = char(value);
    return p;
}

Q_ALWAYS_INLINE quint64 ReadVarint(const char *&p)
{
    quint64 value = 0;
    int shift = 0;
    for (;;) {
        const auto byte = static_cast<unsigned char>(*p++);
        value |= quint64(byte & 0x7F) << shift;
        if (!(byte & 0x80))
            return value;
        shift += 7;
    }
}

quint64 ZigZag(qint64 value)
{
    return (quint64(value) << 1) ^ quint64(value >> 63);
}

qint64 UnZigZag(quint64 value)
{
    return qint64(value >> 1) ^ -qint64(value & 1);
}

qsizetype HeaderSize(int columnCount)
{
    return columnCount > 1 ? qsizetype(columnCount - 1) * 2 : 0;
}

qsizetype MaxEncodedSize(const Value &value)
{
    switch (value.type) {
    case RowStore::Type::Null:
        return 1;
    case RowStore::Type::Integer:
        return 1 + kMaxVarint;
    case RowStore::Type::Real:
        return 1 + qsizetype(sizeof(double));
    case RowStore::Type::Text:
    case RowStore::Type::Blob:
        return 1 + kMaxVarint + value.size;
    }
    return 1;
}

char *WriteValue(char *p, const Value &value)
{
    *p++ = char(value.type);
    switch (value.type) {
    case RowStore::Type::Null:
        break;
    case RowStore::Type::Integer:
        p = WriteVarint(p, ZigZag(value.integer));
        break;
    case RowStore::Type::Real:
        std::memcpy(p, &value.real, sizeof(double));
        p += sizeof(double);
        break;
    case RowStore::Type::Text:
    case RowStore::Type::Blob:
        p = WriteVarint(p, quint64(value.size));
        if (value.size > 0)
            std::memcpy(p, value.data, size_t(value.size));
        p += value.size;
        break;
    }
    return p;
}

qsizetype MeasureRow(const Value *values, int count)
{
    qsizetype needed = HeaderSize(count);
    for (int i = 0; i < count; ++i)
        needed += MaxEncodedSize(values[i]);
    return needed;
}

// Writes one row (room measured by MeasureRow) and returns its end.
char *WriteRow(char *const start, const Value *values, int count)
{
    char *p = start + HeaderSize(count);
    for (int i = 0; i < count; ++i) {
        if (i > 0) {
            const qsizetype relative = p - start;
            const quint16 mark = relative < kFarOffset ? quint16(relative) : kFarOffset;
            std::memcpy(start + 2 * (i - 1), &mark, sizeof(mark));
        }
        p = WriteValue(p, values[i]);
    }
    return p;
}

// Moves p past one stored value.
Q_ALWAYS_INLINE void SkipValue(const char *&p)
{
    const auto type = RowStore::Type(*p++);
    if (type >= RowStore::Type::Text) {
        const quint64 size = ReadVarint(p);
        p += size;
    } else if (type == RowStore::Type::Integer) {
        while (static_cast<unsigned char>(*p++) & 0x80) {
        }
    } else if (type == RowStore::Type::Real) {
        p += sizeof(double);
    }
}

Q_ALWAYS_INLINE const char *ColumnStart(const char *row, int column, int columnCount)
{
    const char *const first = row + HeaderSize(columnCount);
    if (column == 0)
        return first;
    quint16 mark;
    std::memcpy(&mark, row + 2 * (column - 1), sizeof(mark));
    if (mark != kFarOffset)
        return row + mark;
    int known = column - 1;
    const char *p = first;
    for (; known > 0; --known) {
        std::memcpy(&mark, row + 2 * (known - 1), sizeof(mark));
        if (mark != kFarOffset) {
            p = row + mark;
            break;
        }
    }
    for (int i = known; i < column; ++i)
        SkipValue(p);
    return p;
}

Q_ALWAYS_INLINE RowStore::Cell ReadValue(const char *p)
{
    RowStore::Cell cell;
    cell.type = RowStore::Type(*p++);
    switch (cell.type) {
    case RowStore::Type::Null:
        break;
    case RowStore::Type::Integer:
        cell.integer = UnZigZag(ReadVarint(p));
        break;
    case RowStore::Type::Real:
        std::memcpy(&cell.real, p, sizeof(double));
        break;
    case RowStore::Type::Text:
    case RowStore::Type::Blob: {
        const auto size = qsizetype(ReadVarint(p));
        cell.bytes = QByteArrayView(p, size);
        break;
    }
    }
    return cell;
}

Q_ALWAYS_INLINE char FoldAscii(char c)
{
    return (c >= 'a' && c <= 'z') ? char(c - ('a' - 'A')) : c;
}

// The Hungarian accented letters are two bytes in UTF-8: á é í ó ö ú ü are C3 A1, A9, AD, B3,
// B6, BA, BC, their capitals 0x20 lower in the second byte; ő ű are C5 91, B1, their capitals
// one lower. Both folded ones stand as the capitals' bytes.
Q_ALWAYS_INLINE bool IsFoldedLead(char c)
{
    return c == '\xC3' || c == '\xC5';
}

Q_ALWAYS_INLINE char FoldSecondByte(char lead, char second)
{
    const auto s = uchar(second);
    if (lead == '\xC3') {
        switch (s) {
        case 0xA1: case 0xA9: case 0xAD: case 0xB3: case 0xB6: case 0xBA: case 0xBC:
            return char(s - 0x20);
        default:
            return second;
        }
    }
    return (s == 0x91 || s == 0xB1) ? char(s - 1) : second;
}

// UTF-8 sequences use bytes from 0x80 up only, so folding a-z and the two-byte sequences above
// leaves every other letter exact. A folded prefix is whole characters, so its two-byte
// sequences line up with those of the text as long as the bytes before them matched.
Q_ALWAYS_INLINE bool StartsWithFolded(const char *text, qsizetype size, QByteArrayView folded)
{
    if (size < folded.size())
        return false;
    const char *p = folded.data();
    for (qsizetype i = 0, n = folded.size(); i < n; ++i) {
        const char c = text[i];
        if (IsFoldedLead(c) && i + 1 < n) {
            if (c != p[i] || FoldSecondByte(c, text[i + 1]) != p[i + 1])
                return false;
            ++i;
        } else if (FoldAscii(c) != p[i]) {
            return false;
        }
    }
    return true;
}

constexpr qsizetype kCompactThreshold = 1 << 20;
constexpr qsizetype kBlockSize = 64 * 1024;
// A row larger than this gets a block of its own.
constexpr qsizetype kLargeRow = kBlockSize / 4;

} // namespace

QVariant RowStore::Cell::toVariant() const
{
    switch (type) {
    case Type::Null:
        return {};
    case Type::Integer:
        return QVariant(integer);
    case Type::Real:
        return QVariant(real);
    case Type::Text:
        return QVariant(QString::fromUtf8(bytes));
    case Type::Blob:
        return QVariant(bytes.toByteArray());
    }
    return {};
}

QString RowStore::Cell::toString() const
{
    switch (type) {
    case Type::Null:
        return {};
    case Type::Integer:
        return QString::number(integer);
    case Type::Real:
        return QVariant(real).toString();
    case Type::Text:
    case Type::Blob:
        return QString::fromUtf8(bytes);
    }
    return {};
}

void RowStore::reset(int columnCount)
{
    m_blocks.clear();
    m_next = nullptr;
    m_blockEnd = nullptr;
    m_allocated = 0;
    m_used = 0;
    m_garbage = 0;
    m_rows = std::vector<const char *>();
    m_columnCount = columnCount;
}

qsizetype RowStore::memoryUsage() const
{
    return m_allocated + qsizetype(m_rows.capacity() * sizeof(const char *));
}

char *RowStore::allocate(qsizetype size)
{
    if (m_blockEnd - m_next >= size) {
        char *start = m_next;
        m_next += size;
        return start;
    }
    if (size > kLargeRow) {
        m_blocks.emplace_back(new char[size_t(size)]);
        m_allocated += size;
        return m_blocks.back().get();
    }
    m_blocks.emplace_back(new char[kBlockSize]);
    m_allocated += kBlockSize;
    m_next = m_blocks.back().get() + size;
    m_blockEnd = m_blocks.back().get() + kBlockSize;
    return m_blocks.back().get();
}

void RowStore::release(char *start, qsizetype size, const char *end)
{
    if (start + size == m_next)
        m_next = start + (end - start);
    m_used += end - start;
}

const char *RowStore::encodeStatementRow(sqlite3_stmt *stmt)
{
    QVarLengthArray<Value, 32> values(m_columnCount);
    for (int column = 0; column < m_columnCount; ++column) {
        Value &value = values[column];
        switch (sqlite3_column_type(stmt, column)) {
        case SQLITE_INTEGER:
            value.type = Type::Integer;
            value.integer = sqlite3_column_int64(stmt, column);
            break;
        case SQLITE_FLOAT:
            value.type = Type::Real;
            value.real = sqlite3_column_double(stmt, column);
            break;
        case SQLITE_TEXT:
            value.type = Type::Text;
            value.data = reinterpret_cast<const char *>(sqlite3_column_text(stmt, column));
            value.size = sqlite3_column_bytes(stmt, column);
            break;
        case SQLITE_BLOB:
            value.type = Type::Blob;
            value.data = static_cast<const char *>(sqlite3_column_blob(stmt, column));
            value.size = sqlite3_column_bytes(stmt, column);
            break;
        default:
            break;
        }
    }
    const qsizetype size = MeasureRow(values.constData(), m_columnCount);
    char *row = allocate(size);
    release(row, size, WriteRow(row, values.constData(), m_columnCount));
    return row;
}

const char *RowStore::encodeValues(const QVariantList &values)
{
    QVarLengthArray<Value, 32> encoded(m_columnCount);
    QVarLengthArray<QByteArray, 32> bytes(m_columnCount); // keeps the texts alive
    for (int column = 0; column < m_columnCount; ++column) {
        const QVariant value = column < values.size() ? values.at(column) : QVariant();
        Value &out = encoded[column];
        switch (Statement::valueKind(value)) {
        case Statement::ValueKind::Null:
            break;
        case Statement::ValueKind::Integer:
            out.type = Type::Integer;
            out.integer = value.toLongLong();
            break;
        case Statement::ValueKind::Real:
            out.type = Type::Real;
            out.real = value.toDouble();
            break;
        case Statement::ValueKind::Blob:
            out.type = Type::Blob;
            bytes[column] = value.toByteArray();
            break;
        case Statement::ValueKind::Text:
            out.type = Type::Text;
            bytes[column] = value.toString().toUtf8();
            break;
        }
        if (out.type >= Type::Text) {
            out.data = bytes[column].constData();
            out.size = bytes[column].size();
        }
    }
    const qsizetype size = MeasureRow(encoded.constData(), m_columnCount);
    char *row = allocate(size);
    release(row, size, WriteRow(row, encoded.constData(), m_columnCount));
    return row;
}

void RowStore::appendFromStatement(sqlite3_stmt *stmt)
{
    m_rows.push_back(encodeStatementRow(stmt));
}

void RowStore::replaceFromStatement(int row, sqlite3_stmt *stmt)
{
    dropRow(m_rows[size_t(row)]);
    m_rows[size_t(row)] = encodeStatementRow(stmt);
    compactIfWasteful();
}

void RowStore::insert(int row, const QVariantList &values)
{
    const char *encoded = encodeValues(values);
    m_rows.insert(m_rows.begin() + row, encoded);
}

void RowStore::replace(int row, const QVariantList &values)
{
    dropRow(m_rows[size_t(row)]);
    m_rows[size_t(row)] = encodeValues(values);
    compactIfWasteful();
}

void RowStore::remove(int row)
{
    dropRow(m_rows[size_t(row)]);
    m_rows.erase(m_rows.begin() + row);
    compactIfWasteful();
}

void RowStore::squeeze()
{
    m_rows.shrink_to_fit();
}

RowStore::Cell RowStore::cell(int row, int column) const
{
    return ReadValue(ColumnStart(m_rows[size_t(row)], column, m_columnCount));
}

QByteArray RowStore::FoldPrefix(const QString &prefix)
{
    QByteArray folded = prefix.toUtf8();
    for (qsizetype i = 0, n = folded.size(); i < n; ++i) {
        const char c = folded.at(i);
        if (IsFoldedLead(c) && i + 1 < n) {
            folded[i + 1] = FoldSecondByte(c, folded.at(i + 1));
            ++i;
        } else {
            folded[i] = FoldAscii(c);
        }
    }
    return folded;
}

int RowStore::findPrefix(int column, QByteArrayView foldedPrefix, int from) const
{
    for (int row = qMax(from, 0), count = rowCount(); row < count; ++row) {
        const char *p = ColumnStart(m_rows[size_t(row)], column, m_columnCount);
        const auto type = Type(*p);
        bool match = false;
        if (type == Type::Text || type == Type::Blob) {
            ++p;
            const auto size = qsizetype(ReadVarint(p));
            match = StartsWithFolded(p, size, foldedPrefix);
        } else if (type == Type::Null) {
            match = foldedPrefix.isEmpty();
        } else {
            const QByteArray text = ReadValue(p).toString().toUtf8();
            match = StartsWithFolded(text.constData(), text.size(), foldedPrefix);
        }
        if (match)
            return row;
    }
    return -1;
}

QVariantList RowStore::rowValues(int row) const
{
    QVariantList values;
    values.reserve(m_columnCount);
    const char *p = m_rows[size_t(row)] + HeaderSize(m_columnCount);
    for (int column = 0; column < m_columnCount; ++column) {
        values.append(ReadValue(p).toVariant());
        SkipValue(p);
    }
    return values;
}

qsizetype RowStore::rowSize(const char *row) const
{
    if (m_columnCount == 0)
        return 0;
    const char *p = ColumnStart(row, m_columnCount - 1, m_columnCount);
    SkipValue(p);
    return p - row;
}

void RowStore::dropRow(const char *row)
{
    // Changed and removed rows leave their old bytes behind until the store is compacted.
    m_garbage += rowSize(row);
}

void RowStore::compactIfWasteful()
{
    if (m_garbage < kCompactThreshold || m_garbage * 2 < m_used)
        return;
    std::vector<std::unique_ptr<char[]>> oldBlocks;
    oldBlocks.swap(m_blocks);
    m_next = nullptr;
    m_blockEnd = nullptr;
    m_allocated = 0;
    m_used = 0;
    m_garbage = 0;
    for (const char *&row : m_rows) {
        const qsizetype size = rowSize(row);
        char *copy = allocate(size);
        std::memcpy(copy, row, size_t(size));
        release(copy, size, copy + size);
        row = copy;
    }
}

} // namespace kartevo
