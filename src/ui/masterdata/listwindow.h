#pragma once

#include <functional>

#include "core/tableview.h"

#include <QDialog>
#include <QList>
#include <QSize>
#include <QString>
#include <QVariant>

#include <memory>

class QAction;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QStatusBar;
class QTableView;
class QToolBar;

namespace kartevo {

class DataSetModel;
class ListGridDelegate;
class Session;
class TEditDialog;

// One column of a lookup list.
struct ListColumn {
    QString field;
    QString title;
    int designWidth = 64;
    double fraction = 0;  // share of (grid width - 40) after a resize
    int decimals = -1;    // -1: text; otherwise a number shown with this many decimals
    // What a cell shows instead of its value, worked out from its row (null: the value).
    std::function<QString(const QModelIndex &cell)> text;
};

// What makes one lookup list different from the others.
struct ListDefinition {
    QString name;           // window name (configuration section)
    QString caption;        // window caption and title of the list
    QSize designSize;
    QString table;
    QList<ListColumn> columns;
    QString initialSort;    // column the list is first ordered by
    bool titleSort = true;  // a click on a column title sorts by it
    QString keyColumn;      // identifies a row when re-sorting
    QString startColumn;    // where the start value is looked up
    QString newCaption;     // "new" command on the tool bar
    QString newMenuCaption; // "new" command in the context menu
    int buttonWidth = 53;
    int panelHeight = 32;
};

// The list window of a lookup table: a tool bar, a title panel with the search box, the grid
// and a status bar. Opened in browse mode from the master-data menu and in pick mode from other
// windows; in pick mode it has an accept command, and accepting closes it with Accepted.
class TListWindow : public QDialog {
    Q_OBJECT
public:
    TListWindow(QWidget *owner, Session &session, ListDefinition definition, bool pick);
    ~TListWindow() override;

    // Orders the rows by the initial sort column, opens them and moves to the first row whose
    // start column equals the start value (the first row when none does).
    void openList(const QVariant &start);

    TableView &table() { return m_table; }
    Session &session() { return m_session; }
    bool pickMode() const { return m_pick; }
    const QString &sortField() const { return m_sortField; }
    const ListDefinition &definition() const { return m_def; }

    // The text a cell of the grid shows.
    QString cellText(int row, int column) const;

    // Re-sorts by the column (as a click on its title does), keeping the current row.
    void sortByColumn(int column);

    void done(int result) override;

Q_SIGNALS:
    // After every new, edited or deleted row (whether saved or not).
    void rowsChanged();

protected:
    // Creates the member's edit dialog over the list's current row.
    virtual std::unique_ptr<TEditDialog> createEditDialog() = 0;
    // The column that gets NextId for a new row; empty when the member has no key to give.
    virtual QString newKeyColumn() const { return {}; }

    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

public:
    // The member's edit routine: a new row (or the current one) in the edit dialog, posted when
    // the dialog is accepted and dropped otherwise. A failed save shows the error and offers
    // the dialog again; cancelling it then drops the row. Returns whether a row was saved.
    bool editRow(bool newRow);
    // Deletes the current row after the question (a group in use names its clients' number).
    void deleteRow();

private:
    void createActions();
    void createLayout();
    void FormShow();
    void resizeColumns();
    void Edit1Change(const QString &text);
    void startSearchWith(QChar c);
    void highlightColumn(int column);
    void showCurrentRow();

    Session &m_session;
    ListDefinition m_def;
    bool m_pick = false;
    QString m_sortField;
    TableView m_table;
    DataSetModel *m_model = nullptr;
    ListGridDelegate *m_delegate = nullptr;

public:
    QAction *aUj = nullptr;
    QAction *aSzerkeszt = nullptr;
    QAction *aTorol = nullptr;
    QAction *aKeres = nullptr;
    QAction *aElfogad = nullptr;
    QAction *aBezar = nullptr;

    QToolBar *ToolBar1 = nullptr;
    QFrame *Panel1 = nullptr;
    QLabel *Title = nullptr;
    QLineEdit *Edit1 = nullptr;
    QTableView *DBGrid1 = nullptr;
    QMenu *PopupMenu1 = nullptr;
    QStatusBar *StatusBar1 = nullptr;
};

} // namespace kartevo
