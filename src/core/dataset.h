#pragma once

#include "core/rowstore.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace kartevo {

class Statement;

// The rows read by a query or a table view, with a cursor over them.
//
// Cursor rules: opening puts the cursor on the first row with bof() true; next() on the last
// row and prior() on the first row leave the cursor where it is and set eof() or bof(); an empty
// data set is both. Field names are compared without regard to case; asking for a field that
// the data set does not have throws Error. On an empty data set every field reads as NULL.
//
// While a row is being edited (state() Insert or Edit) the current row shows the edited values;
// moving the cursor first writes them (post()).
class DataSet : public QObject {
    Q_OBJECT
public:
    enum class State { Browse, Insert, Edit };

    explicit DataSet(QObject *parent = nullptr);
    ~DataSet() override;

    bool isOpen() const { return m_open; }
    State state() const { return m_state; }

    // Cursor.
    void first();
    void next();
    void prior();
    void last();
    bool eof() const { return m_eof; }
    bool bof() const { return m_bof; }
    int recordCount() const { return m_rows.rowCount(); }
    // The current position counted from 1; 0 when the data set is empty.
    int recNo() const { return m_current + 1; }
    // The current row counted from 0; -1 when the data set is empty.
    int currentRow() const { return m_current; }
    // Moves to a row counted from 0; a row outside the data set is taken as the nearest end.
    void moveTo(int row);

    // Fields of the current row.
    QVariant value(const QString &name) const;
    QString asString(const QString &name) const; // NULL reads as ""
    qint64 asInteger(const QString &name) const; // NULL or a non-number reads as 0
    double asFloat(const QString &name) const;   // NULL or a non-number reads as 0
    bool isNull(const QString &name) const;

    // Random access for a grid; the cursor does not move. Outside the data set: an invalid QVariant.
    QVariant cell(int row, int column) const;
    int fieldIndex(const QString &name) const; // -1 when missing
    QStringList fieldNames() const { return m_fieldNames; }
    int fieldCount() const { return int(m_fieldNames.size()); }
    // The type a field's column was declared with (CHAR(75), INTEGER, ...); empty for an
    // expression or a field outside the data set.
    QString declaredType(int column) const { return m_declaredTypes.value(column); }

    // Moves to the first row from the top whose field text begins with the prefix: the letters
    // A-Z and the Hungarian accented letters (á é í ó ö ő ú ü ű) match either case, every other
    // character only itself ("ä" does not match "Ä"). When nothing matches the cursor stays and
    // the result is false.
    bool locate(const QString &field, const QString &prefix);
    // The incremental search of the lists: locate(), but when no row begins with the whole
    // prefix the cursor goes to the row that the longest beginning of it finds (the first row
    // when not even its first character matches). True when the whole prefix matched; an empty
    // prefix always counts as matching.
    bool locateNearest(const QString &field, const QString &prefix);
    // Moves to the first row whose field equals the value: NULL matches NULL, numbers match by
    // value, everything else by its text. When nothing matches the cursor stays.
    bool locateValue(const QString &field, const QVariant &value);

    // Bytes held by the rows read.
    qsizetype memoryUsage() const { return m_rows.memoryUsage(); }

Q_SIGNALS:
    // After every movement of the cursor, opening included.
    void afterScroll();
    // The rows were read again, or the data set was closed.
    void dataReset();
    void rowChanged(int row);
    void rowInserted(int row);
    void rowRemoved(int row);

protected:
    // Reads every row of a prepared statement (already bound); the cursor goes to the first row.
    void load(Statement &statement);
    // Reads the rows again, then puts the cursor on the row whose field `keyColumn` holds `key`,
    // or as near to the old position as possible.
    void reload(Statement &statement, int keyColumn);
    // Takes rows given as values (an in-memory table), one list per row in the order of the
    // field names; the cursor goes to the first row.
    void loadValues(const QStringList &fieldNames, const QList<QVariantList> &rows);
    void clear();
    int requireField(const QString &name) const;
    // Called before the cursor moves while a row is being edited; writes the row by default.
    virtual void finishEditing() = 0;

    RowStore &rows() { return m_rows; }
    void setState(State state) { m_state = state; }
    void setCursor(int row);
    void emitScroll() { Q_EMIT afterScroll(); }

    // The edited values of the current row while state() is Insert or Edit.
    QVariantList m_buffer;

private:
    void readRows(Statement &statement);
    void setFieldNames(const QStringList &names);
    // Reads every row of the statement into a browsing, open data set; on failure it is left empty.
    void readAll(Statement &statement);
    QVariant currentValue(int column) const;
    void moveCursor(int row);

    RowStore m_rows;
    QStringList m_fieldNames;
    QStringList m_declaredTypes;
    QHash<QString, int> m_fieldIndex; // lower-case name -> column
    int m_current = -1;
    bool m_bof = true;
    bool m_eof = true;
    bool m_open = false;
    State m_state = State::Browse;
};

} // namespace kartevo
