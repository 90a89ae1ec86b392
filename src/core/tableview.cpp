#include "core/tableview.h"

#include "core/database.h"
#include "core/error.h"
#include "core/statement.h"

namespace kartevo {

QString CutToWidth(const QString &text, int width)
{
    if (width <= 0 || text.size() <= width)
        return text;
    qsizetype end = 0;
    for (int count = 0; count < width && end < text.size(); ++count) {
        const bool pair = text.at(end).isHighSurrogate() && end + 1 < text.size()
            && text.at(end + 1).isLowSurrogate();
        end += pair ? 2 : 1;
    }
    return text.left(end);
}

TableView::TableView(Database &db, const QString &tableName, QObject *parent)
    : DataSet(parent), m_db(db), m_table(tableName)
{
}

TableView::~TableView() = default;

QString TableView::selectText() const
{
    QString text = QStringLiteral("select *, rowid as rowid from ") + m_table;
    if (!m_filter.isEmpty())
        text += QStringLiteral("\n where ") + m_filter;
    if (!m_order.isEmpty())
        text += QStringLiteral("\n order by (") + m_order + QLatin1Char(')');
    return text;
}

void TableView::open()
{
    close();
    m_columns = m_db.columnNames(m_table);
    m_widths = m_db.columnWidths(m_table);
    Statement statement(m_db, selectText());
    load(statement);
    m_rowidColumn = fieldCount() - 1;
    m_columnField.clear();
    for (const QString &column : std::as_const(m_columns))
        m_columnField.append(fieldIndex(column));
}

void TableView::close()
{
    clear();
    m_modified.clear();
    m_rowidColumn = -1;
}

void TableView::refresh()
{
    if (!isOpen()) {
        open();
        return;
    }
    if (state() != State::Browse)
        post();
    Statement statement(m_db, selectText());
    reload(statement, m_rowidColumn);
}

void TableView::requireOpen() const
{
    if (!isOpen())
        throw Error(QStringLiteral("A(z) %1 tábla nincs megnyitva.").arg(m_table));
}

void TableView::append()
{
    requireOpen();
    if (state() != State::Browse)
        post();
    m_rowBeforeInsert = currentRow();
    const int row = recordCount();
    m_buffer = QVariantList(fieldCount());
    m_modified = QList<bool>(fieldCount(), false);
    rows().insert(row, m_buffer);
    setState(State::Insert);
    setCursor(row);
    Q_EMIT rowInserted(row);
    emitScroll();
}

void TableView::edit()
{
    requireOpen();
    if (state() != State::Browse)
        return;
    if (currentRow() < 0)
        throw Error(QStringLiteral("Nincs módosítható sor."));
    m_buffer = rows().rowValues(currentRow());
    m_modified = QList<bool>(fieldCount(), false);
    setState(State::Edit);
}

void TableView::setValue(const QString &name, const QVariant &value)
{
    if (state() == State::Browse)
        throw Error(QStringLiteral("A mező csak szerkesztés közben írható: %1").arg(name));
    const int column = requireField(name);
    m_buffer[column] = value;
    m_modified[column] = true;
    Q_EMIT rowChanged(currentRow());
}

QVariant TableView::writtenValue(int tableColumn) const
{
    const QVariant value = m_buffer.at(m_columnField.at(tableColumn));
    const int width = m_widths.value(tableColumn);
    if (width > 0 && Statement::valueKind(value) == Statement::ValueKind::Text)
        return CutToWidth(value.toString(), width);
    return value;
}

void TableView::post()
{
    if (state() == State::Browse)
        return;
    if (beforePost)
        beforePost(*this);
    if (state() == State::Browse) // the hook may have cancelled the row
        return;

    QStringList names;
    QList<int> written; // real columns to write
    for (int i = 0; i < m_columns.size(); ++i) {
        const int field = m_columnField.at(i);
        if (field >= 0 && field != m_rowidColumn && m_modified.at(field)) {
            names.append(QuoteIdentifier(m_columns.at(i)));
            written.append(i);
        }
    }

    qint64 rowid = 0;
    if (state() == State::Insert) {
        QString sql;
        if (names.isEmpty()) {
            sql = QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(m_table);
        } else {
            QStringList marks(names.size(), QStringLiteral("?"));
            sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                      .arg(m_table, names.join(QStringLiteral(", ")), marks.join(QStringLiteral(", ")));
        }
        Statement statement(m_db, sql);
        for (int i = 0; i < written.size(); ++i)
            statement.bind(i + 1, writtenValue(written.at(i)));
        statement.exec();
        rowid = m_db.lastInsertRowId();
    } else {
        rowid = rows().cell(currentRow(), m_rowidColumn).integer;
        if (!names.isEmpty()) {
            QStringList sets;
            for (const QString &name : std::as_const(names))
                sets.append(name + QStringLiteral(" = ?"));
            Statement statement(m_db, QStringLiteral("UPDATE %1 SET %2 WHERE rowid = ?")
                                          .arg(m_table, sets.join(QStringLiteral(", "))));
            int index = 1;
            for (int column : std::as_const(written))
                statement.bind(index++, writtenValue(column));
            statement.bind(index, rowid);
            statement.exec();
            if (m_db.changes() == 0)
                throw Error(QStringLiteral("A sort közben valaki törölte."));
        }
    }
    readBack(rowid);
}

// Replaces the row being edited by the row as written (cut texts, defaults, new rowid).
void TableView::readBack(qint64 rowid)
{
    const int row = currentRow();
    Statement statement(m_db, QStringLiteral("select *, rowid as rowid from %1\n where rowid = ?").arg(m_table));
    statement.bind(1, rowid);
    if (statement.step() && statement.columnCount() == fieldCount()) {
        rows().replaceFromStatement(row, statement.handle());
    } else {
        QVariantList values = m_buffer;
        values[m_rowidColumn] = rowid;
        rows().replace(row, values);
    }
    m_buffer.clear();
    m_modified.clear();
    setState(State::Browse);
    Q_EMIT rowChanged(row);
}

void TableView::cancel()
{
    const int row = currentRow();
    if (state() == State::Insert) {
        rows().remove(row);
        m_buffer.clear();
        m_modified.clear();
        setState(State::Browse);
        Q_EMIT rowRemoved(row);
        setCursor(qMin(m_rowBeforeInsert, recordCount() - 1));
        emitScroll();
    } else if (state() == State::Edit) {
        m_buffer.clear();
        m_modified.clear();
        setState(State::Browse);
        Q_EMIT rowChanged(row);
    }
}

void TableView::deleteRow()
{
    requireOpen();
    if (state() == State::Insert) {
        cancel();
        return;
    }
    cancel();
    const int row = currentRow();
    if (row < 0)
        throw Error(QStringLiteral("Nincs törölhető sor."));
    Statement statement(m_db, QStringLiteral("DELETE FROM %1 WHERE rowid = ?").arg(m_table));
    statement.bind(1, rows().cell(row, m_rowidColumn).integer);
    statement.exec();
    rows().remove(row);
    Q_EMIT rowRemoved(row);
    setCursor(qMin(row, recordCount() - 1));
    emitScroll();
}

void TableView::finishEditing()
{
    post();
}

} // namespace kartevo
