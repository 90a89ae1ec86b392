#pragma once

#include <QByteArrayView>
#include <QString>
#include <QVariant>

struct sqlite3_stmt;

namespace kartevo {

class Database;

// One prepared statement. Parameters are bound from QVariant: an invalid or null variant
// becomes NULL, whole numbers and booleans INTEGER, floating-point numbers REAL, a QByteArray
// a BLOB and everything else its text (UTF-8). Every failure throws Error.
class Statement {
public:
    // How bind() stores a value.
    enum class ValueKind { Null, Integer, Real, Text, Blob };
    static ValueKind valueKind(const QVariant &value);

    // Prepares the first statement of the text.
    Statement(Database &db, const QString &sql);
    // Prepares the statement that starts at *offset in UTF-8 text and moves *offset past it,
    // so that a text of several statements can be run one after the other. A text holding
    // only white space or comments gives an empty statement (isEmpty()).
    Statement(Database &db, QByteArrayView utf8Sql, qsizetype *offset);
    ~Statement();
    Statement(Statement &&other) noexcept;
    Statement &operator=(Statement &&other) noexcept;
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    bool isEmpty() const { return m_stmt == nullptr; }
    sqlite3_stmt *handle() const { return m_stmt; }

    int parameterCount() const;
    // The name of a parameter (1-based) with its leading ':', '@' or '$'; empty for '?'.
    QString parameterName(int index) const;
    // The index (1-based) of a named parameter, given with or without its leading colon;
    // 0 when the statement has no such parameter.
    int parameterIndex(const QString &name) const;

    void bind(int index, const QVariant &value);
    // Throws Error when the statement has no such parameter.
    void bind(const QString &name, const QVariant &value);
    void clearBindings();

    // Runs the statement to its next row: true when a row is ready, false when done.
    bool step();
    // Runs the statement to its end, ignoring rows.
    void exec();
    void reset();

    int columnCount() const;
    QString columnName(int column) const;
    QVariant column(int column) const;

private:
    void check(int rc) const;

    sqlite3_stmt *m_stmt = nullptr;
    Database *m_db = nullptr;
};

} // namespace kartevo
