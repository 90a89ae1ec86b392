#pragma once

#include "core/tableview.h"

#include <QObject>
#include <QString>
#include <QStringList>

namespace kartevo {

class Database;

// The client list behind the main window: the client table view with its sort column, the
// incremental search and the group filter. The window shows it; everything here runs without one.
class ClientList final : public QObject {
    Q_OBJECT
public:
    explicit ClientList(Database &db, QObject *parent = nullptr);

    TableView &table() { return m_table; }
    const TableView &table() const { return m_table; }

    QString sortField() const { return m_sortField; }     // the shown column, e.g. ugyfel_nev
    QString sortCaption() const { return m_sortCaption; } // its title, shown in the status bar
    QString filterGroup() const { return m_filterGroup; } // empty: no group filter

    // The column the table is ordered by for a shown column: the sort key of the four text
    // columns that have one, the column itself otherwise.
    static QString OrderColumn(const QString &field);

    // Re-reads the list ordered by the field's order column, keeping the current client (by key;
    // when it is no longer in the list the cursor ends on the last row).
    void sortBy(const QString &field, const QString &title);

    // Moves to the first row whose sort column begins with the text (A–Z without regard to
    // case, every other character exactly); when none does, to the last row.
    bool search(const QString &text);

    // Filters the list by a group ("" removes the filter) and goes to the first row.
    void setGroupFilter(const QString &group);

    // "<rows> / <position>" for the record counter.
    QString counterText() const;

    // The group names for the group filter, in the order of their sort key.
    static QStringList GroupNames(Database &db);

Q_SIGNALS:
    void sortChanged(const QString &field, const QString &title);

private:
    Database &m_db;
    TableView m_table;
    QString m_sortField;
    QString m_sortCaption;
    QString m_filterGroup;
};

// An SQL string literal: the text in single quotes, inner quotes doubled.
QString SqlQuoted(const QString &text);

} // namespace kartevo
