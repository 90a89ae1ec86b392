#include "core/dataset.h"

#include "core/error.h"
#include "core/statement.h"

#include <sqlite3.h>

namespace kartevo {

DataSet::DataSet(QObject *parent)
    : QObject(parent)
{
}

DataSet::~DataSet() = default;

void DataSet::first()
{
    if (m_state != State::Browse)
        finishEditing();
    const bool empty = recordCount() == 0;
    m_current = empty ? -1 : 0;
    m_bof = true;
    m_eof = empty;
    Q_EMIT afterScroll();
}

void DataSet::last()
{
    if (m_state != State::Browse)
        finishEditing();
    const bool empty = recordCount() == 0;
    m_current = recordCount() - 1;
    m_eof = true;
    m_bof = empty;
    Q_EMIT afterScroll();
}

void DataSet::next()
{
    if (m_current + 1 >= recordCount()) {
        m_eof = true;
        return;
    }
    moveCursor(m_current + 1);
}

void DataSet::prior()
{
    if (m_current <= 0) {
        m_bof = true;
        return;
    }
    moveCursor(m_current - 1);
}

void DataSet::moveTo(int row)
{
    if (recordCount() == 0)
        return;
    moveCursor(qBound(0, row, recordCount() - 1));
}

void DataSet::moveCursor(int row)
{
    if (m_state != State::Browse) {
        if (row == m_current)
            return;
        finishEditing();
    }
    const bool moved = row != m_current;
    setCursor(row);
    if (moved)
        Q_EMIT afterScroll();
}

void DataSet::setCursor(int row)
{
    m_current = row;
    m_bof = row < 0;
    m_eof = row < 0;
}

int DataSet::fieldIndex(const QString &name) const
{
    return m_fieldIndex.value(name.toLower(), -1);
}

int DataSet::requireField(const QString &name) const
{
    const int column = fieldIndex(name);
    if (column < 0)
        throw Error(QStringLiteral("Ismeretlen mező: %1").arg(name));
    return column;
}

QVariant DataSet::currentValue(int column) const
{
    if (m_current < 0)
        return {};
    if (m_state != State::Browse)
        return m_buffer.value(column);
    return m_rows.cell(m_current, column).toVariant();
}

QVariant DataSet::value(const QString &name) const
{
    return currentValue(requireField(name));
}

QString DataSet::asString(const QString &name) const
{
    const int column = requireField(name);
    if (m_current < 0)
        return QStringLiteral("");
    if (m_state != State::Browse) {
        const QVariant value = m_buffer.value(column);
        return value.isNull() ? QStringLiteral("") : value.toString();
    }
    const RowStore::Cell cell = m_rows.cell(m_current, column);
    return cell.type == RowStore::Type::Null ? QStringLiteral("") : cell.toString();
}

qint64 DataSet::asInteger(const QString &name) const
{
    return value(name).toLongLong();
}

double DataSet::asFloat(const QString &name) const
{
    return value(name).toDouble();
}

bool DataSet::isNull(const QString &name) const
{
    return value(name).isNull();
}

QVariant DataSet::cell(int row, int column) const
{
    if (row < 0 || row >= recordCount() || column < 0 || column >= fieldCount())
        return {};
    if (row == m_current && m_state != State::Browse)
        return m_buffer.value(column);
    return m_rows.cell(row, column).toVariant();
}

bool DataSet::locate(const QString &field, const QString &prefix)
{
    const int column = requireField(field);
    if (m_state != State::Browse)
        finishEditing();
    const int row = m_rows.findPrefix(column, RowStore::FoldPrefix(prefix));
    if (row < 0)
        return false;
    moveCursor(row);
    return true;
}

bool DataSet::locateNearest(const QString &field, const QString &prefix)
{
    QString beginning = prefix;
    for (;;) {
        if (locate(field, beginning))
            return beginning.size() == prefix.size();
        if (beginning.isEmpty())
            return prefix.isEmpty();
        // One character shorter; a character outside the BMP is two code units.
        const bool pair = beginning.size() > 1 && beginning.back().isLowSurrogate()
            && beginning.at(beginning.size() - 2).isHighSurrogate();
        beginning.chop(pair ? 2 : 1);
    }
}

bool DataSet::locateValue(const QString &field, const QVariant &value)
{
    const int column = requireField(field);
    if (m_state != State::Browse)
        finishEditing();
    const Statement::ValueKind kind = Statement::valueKind(value);
    const bool wantNull = kind == Statement::ValueKind::Null;
    const bool wantInteger = kind == Statement::ValueKind::Integer;
    const bool wantNumber = wantInteger || kind == Statement::ValueKind::Real;
    const qint64 integer = value.toLongLong();
    const double real = value.toDouble();
    const QByteArray text = wantNull ? QByteArray() : value.toString().toUtf8();

    for (int row = 0, count = recordCount(); row < count; ++row) {
        const RowStore::Cell cell = m_rows.cell(row, column);
        bool match = false;
        if (wantNull || cell.type == RowStore::Type::Null) {
            match = wantNull && cell.type == RowStore::Type::Null;
        } else if (wantNumber && cell.type == RowStore::Type::Integer) {
            match = wantInteger ? cell.integer == integer : double(cell.integer) == real;
        } else if (wantNumber && cell.type == RowStore::Type::Real) {
            match = cell.real == real;
        } else if (cell.type == RowStore::Type::Text || cell.type == RowStore::Type::Blob) {
            match = cell.bytes == QByteArrayView(text);
        } else {
            match = cell.toString().toUtf8() == text;
        }
        if (match) {
            moveCursor(row);
            return true;
        }
    }
    return false;
}

void DataSet::readRows(Statement &statement)
{
    const int columns = statement.columnCount();
    QStringList names;
    for (int column = 0; column < columns; ++column)
        names.append(statement.columnName(column));
    setFieldNames(names);
    // The types the columns were declared with (empty for an expression), for the exports.
    for (int column = 0; column < columns; ++column)
        m_declaredTypes.append(QString::fromUtf8(sqlite3_column_decltype(statement.handle(), column)));
    while (statement.step())
        m_rows.appendFromStatement(statement.handle());
    m_rows.squeeze();
}

void DataSet::setFieldNames(const QStringList &names)
{
    m_rows.reset(int(names.size()));
    m_fieldNames.clear();
    m_declaredTypes.clear();
    m_fieldIndex.clear();
    for (int column = 0; column < names.size(); ++column) {
        const QString &name = names.at(column);
        m_fieldNames.append(name);
        // With two fields of the same name the first one answers.
        m_fieldIndex.insert(name.toLower(), m_fieldIndex.value(name.toLower(), column));
    }
}

void DataSet::loadValues(const QStringList &fieldNames, const QList<QVariantList> &rows)
{
    m_state = State::Browse;
    m_buffer.clear();
    setFieldNames(fieldNames);
    for (const QVariantList &row : rows)
        m_rows.insert(m_rows.rowCount(), row);
    m_rows.squeeze();
    m_open = true;
    setCursor(recordCount() > 0 ? 0 : -1);
    m_bof = true;
    Q_EMIT dataReset();
    Q_EMIT afterScroll();
}

void DataSet::readAll(Statement &statement)
{
    m_state = State::Browse;
    m_buffer.clear();
    try {
        readRows(statement);
    } catch (...) {
        clear();
        throw;
    }
    m_open = true;
}

void DataSet::load(Statement &statement)
{
    readAll(statement);
    setCursor(recordCount() > 0 ? 0 : -1);
    m_bof = true;
    Q_EMIT dataReset();
    Q_EMIT afterScroll();
}

void DataSet::reload(Statement &statement, int keyColumn)
{
    const int oldRow = m_current;
    const QVariant key = m_current >= 0 && keyColumn >= 0 ? cell(m_current, keyColumn) : QVariant();
    readAll(statement);
    const int count = recordCount();
    int row = count > 0 ? qBound(0, oldRow, count - 1) : -1;
    if (key.isValid() && keyColumn < fieldCount()) {
        for (int i = 0; i < count; ++i) {
            const RowStore::Cell cell = m_rows.cell(i, keyColumn);
            if (cell.type == RowStore::Type::Integer && cell.integer == key.toLongLong()) {
                row = i;
                break;
            }
        }
    }
    setCursor(row);
    Q_EMIT dataReset();
    Q_EMIT afterScroll();
}

void DataSet::clear()
{
    const bool wasOpen = m_open;
    m_rows.reset(0);
    m_fieldNames.clear();
    m_declaredTypes.clear();
    m_fieldIndex.clear();
    m_buffer.clear();
    m_state = State::Browse;
    m_open = false;
    setCursor(-1);
    if (wasOpen)
        Q_EMIT dataReset();
}

} // namespace kartevo
