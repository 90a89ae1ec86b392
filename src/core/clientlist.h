#pragma once

#include "core/tableview.h"

#include <QChar>
#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

namespace kartevo {

class Database;

// One column of the client grid: the field, its title and its share of the grid's width in
// per cent (0 for the mark column, which has a fixed width).
struct ClientColumn {
    QString field;
    QString title;
    int percent;
};

// The entries of the print-scope box of the client list, in their order.
enum class PrintScope { Current = 0, All = 1, Marked = 2 };

// The client list behind the main window: the client table view with its sort column, the
// incremental search and the group filter. The window shows it; everything here runs without one.
class ClientList final : public QObject {
    Q_OBJECT
public:
    explicit ClientList(Database &db, QObject *parent = nullptr);

    TableView &table() { return m_table; }
    const TableView &table() const { return m_table; }
    Database &database() { return m_db; }

    QString sortField() const { return m_sortField; }     // the shown column, e.g. ugyfel_nev
    QString sortCaption() const { return m_sortCaption; } // its title, shown in the status bar
    QString filterGroup() const { return m_filterGroup; } // empty: no group filter (or group "")
    bool hasGroupFilter() const { return m_grouped; }     // also true for the group named ""

    // The columns of the grid, left to right.
    static const QList<ClientColumn> &Columns();
    // The titles of the grid's columns by field name, the labels of the fields in exports.
    static QHash<QString, QString> ColumnTitles();
    static constexpr int MarkColumnWidth = 55;
    // Widths of the grid's columns for a grid W pixels wide: the mark column keeps its 55
    // pixels, every other column gets (W - 99) × its share, rounded half to even.
    static QList<int> ColumnWidths(int gridWidth);

    // The column the table is ordered by for a shown column: the sort key of the four text
    // columns that have one, the column itself otherwise.
    static QString OrderColumn(const QString &field);

    // Re-reads the list ordered by the field's order column, keeping the current client (by key;
    // when it is no longer in the list the cursor ends on the last row).
    void sortBy(const QString &field, const QString &title);

    // Moves to the first row whose sort column begins with the text (A–Z and the Hungarian
    // accented letters without regard to case, every other character exactly). When none does,
    // the cursor goes to the row the longest matching beginning of the text finds and the
    // result is false (the search box shows the warning colour then).
    bool search(const QString &text);

    // Filters the list by a group (an empty name is a group too) and goes to the first row.
    void setGroupFilter(const QString &group);
    // Removes the group filter and goes to the first row.
    void clearGroupFilter();

    // The key of the current client; 0 when there is none.
    qint64 currentKey() const;
    // Reads the list again with the same filter and order and puts the cursor on the client
    // with the key; when that client is not in the list, on the last row.
    void reopenAt(qint64 key);

    // Deletes the current client from the table; throws Error when the list is empty.
    void deleteCurrent();

    // "<rows> / <position>" for the record counter.
    QString counterText() const;

    // The group names for the group filter, in the order of their sort key ("" for NULL).
    static QStringList GroupNames(Database &db);
    // The entries of the group filter box: "<nincs szűrés>" followed by the group names.
    static QStringList GroupFilterEntries(Database &db);
    // The entry to select after the box was filled again: the one equal to the remembered text
    // without regard to case, otherwise the first.
    static int GroupFilterIndex(const QStringList &entries, const QString &remembered);
    static QString NoFilterText();

    // The character a key typed on the grid starts a new search with: the typed character in
    // lower case when it is a digit, a letter a–z or one of á é í ó ö ő ú ü ű; otherwise a
    // null character (the key does nothing).
    static QChar SearchStartChar(QChar typed);

    // The font size after the larger or smaller font command: one step within 8 to 10, a size
    // already outside that range only moves back towards it.
    static int LargerFontSize(int size);
    static int SmallerFontSize(int size);

Q_SIGNALS:
    void sortChanged(const QString &field, const QString &title);

private:
    Database &m_db;
    TableView m_table;
    QString m_sortField;
    QString m_sortCaption;
    QString m_filterGroup;
    bool m_grouped = false;
};

// An SQL string literal: the text in single quotes, inner quotes doubled.
QString SqlQuoted(const QString &text);

} // namespace kartevo
