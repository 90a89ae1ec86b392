#pragma once

#include "core/dataset.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace kartevo {

class Database;

// A read-only data set over an SQL text of one or more lines, with named parameters
// (":name"). Every parameter the text uses must have been given a value.
class Query : public DataSet {
    Q_OBJECT
public:
    explicit Query(Database &db, QObject *parent = nullptr);
    ~Query() override;

    Database &database() const { return m_db; }

    void setSql(const QStringList &lines) { m_lines = lines; }
    void setSql(const QString &text);
    QStringList &sqlLines() { return m_lines; }
    const QStringList &sqlLines() const { return m_lines; }
    QString sql() const;

    // The name may be given with or without its leading colon; case does not matter.
    void setParam(const QString &name, const QVariant &value);
    QVariant param(const QString &name) const;
    void clearParams() { m_params.clear(); }

    // Reads every row of the (first) statement of the text.
    void open();
    // Runs every statement of the text in order, without a result.
    void exec();
    void close();

protected:
    void finishEditing() override {}

private:
    void bindParams(Statement &statement) const;

    Database &m_db;
    QStringList m_lines;
    QHash<QString, QVariant> m_params; // lower-case name without the colon -> value
};

} // namespace kartevo
