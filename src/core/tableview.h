#pragma once

#include "core/dataset.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace kartevo {

class Database;

// The first `width` characters of a text, as a CHAR(width) column keeps it (a character outside
// the basic plane counts as one); a width of 0 or less keeps the whole text.
QString CutToWidth(const QString &text, int width);

// Every row of one table, read with its rowid, with editing of one row at a time.
//
// Filter and order take effect at the next open() or refresh(). A posted row stays where it
// is in the data set (a new row at the end) until the rows are read again, so that adding many
// rows one by one does not re-read the table each time. Writes use bound parameters; texts are
// cut to the declared width of their column (CHAR(n): n characters).
class TableView : public DataSet {
    Q_OBJECT
public:
    TableView(Database &db, const QString &tableName, QObject *parent = nullptr);
    ~TableView() override;

    Database &database() const { return m_db; }
    const QString &tableName() const { return m_table; }

    // The field that holds the rowid (the last one), which is not a column of the table; -1
    // while closed.
    int rowidColumn() const { return m_rowidColumn; }

    void setFilter(const QString &filter) { m_filter = filter; }
    const QString &filter() const { return m_filter; }
    void setOrder(const QString &order) { m_order = order; }
    const QString &order() const { return m_order; }
    // The text that reads the rows: the table, then " where <filter>" and " order by (<order>)"
    // on lines of their own when set. The order stands in parentheses, so it is one expression
    // (a column, lower(nev), -id), not a list and not "desc".
    QString selectText() const;

    // Reads every row (again, when already open); a row being edited is dropped.
    void open();
    void close();
    // Reads the rows again and keeps the cursor on the same row (by rowid) while it exists;
    // a row being edited is written first.
    void refresh();

    // Adds an empty row at the end and starts editing it (written by post()).
    void append();
    // Starts editing the current row; throws Error when there is none.
    void edit();
    // Sets a field of the row being edited; throws Error when no row is being edited.
    void setValue(const QString &name, const QVariant &value);
    // Calls beforePost, then writes the row: one INSERT or one UPDATE of the changed columns.
    // When beforePost or the write throws, nothing is written and the row is still being edited.
    void post();
    // Drops the new row or the changes.
    void cancel();
    // Deletes the current row by its rowid; throws Error when the data set is empty.
    // A new, unwritten row is simply dropped.
    void deleteRow();

    // Called by post() before writing; it may change fields or throw to stop the write.
    std::function<void(TableView &)> beforePost;

protected:
    void finishEditing() override;

private:
    void requireOpen() const;
    void readBack(qint64 rowid);
    QVariant writtenValue(int tableColumn) const;

    Database &m_db;
    QString m_table;
    QString m_filter;
    QString m_order;
    QStringList m_columns;  // the real columns of the table
    QList<int> m_widths;    // their declared widths
    QList<int> m_columnField; // data set column of each real column
    QList<bool> m_modified; // per data set column, while editing
    int m_rowidColumn = -1;
    int m_rowBeforeInsert = -1;
};

} // namespace kartevo
