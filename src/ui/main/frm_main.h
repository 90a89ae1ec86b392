#pragma once

#include "core/clientlist.h"
#include "core/folders.h"
#include "core/session.h"

#include <QHash>
#include <QMainWindow>
#include <QPointer>

#include <memory>

class QAction;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QTableView;
class QToolBar;

namespace kartevo {

class ClientGridDelegate;
struct PrintCommandContext;
class DataSetModel;
class Session;
class Tfrm_Logo;

// The main window: the client list, the hub every command of the program starts from. It owns
// the session (settings and the one database connection) for the whole run.
//
// Every command is an action named as in the command table (aUj, aTorol, ...), reachable with
// action(). A command whose window is not built yet is disabled; the code that brings
// such a window enables the action and connects its handler (see frm_main_commands.cpp).
class Tfrm_Main final : public QMainWindow {
    Q_OBJECT
public:
    explicit Tfrm_Main(const Folders &folders, QWidget *parent = nullptr);
    ~Tfrm_Main() override;

    // True when the start-up stopped because the database file is missing: the window must not
    // be shown and the program ends without writing anything.
    bool startupStopped() const { return m_startupStopped; }

    Session &session() { return *m_session; }
    ClientList *clients() { return m_clients.get(); }

    // The action of a command by its name (aUj, aJelol, ...); null for an unknown name.
    // QWidget::actions() lists them all.
    QAction *action(const QString &name) const;

    // The client grid DBGrid1 and its model.
    QTableView *grid() const { return DBGrid1; }
    DataSetModel *gridModel() const { return m_model; }
    // The print-scope box ComboBox2 and its choice.
    QComboBox *printScopeBox() const { return ComboBox2; }
    PrintScope printScope() const;
    // The group the list is filtered by ("" without a filter) and the field it is sorted by.
    QString FilterGroup() const { return m_clients->filterGroup(); }
    QString SortField() const { return m_clients->sortField(); }

    // Rebuilds the group filter list, keeping the chosen entry when it is still there. The
    // filter of the list itself stays as it is.
    void FillGroupFilter();
    // Sorts the list by a column, keeping the current client, and shows the order.
    void SortBy(const QString &field, const QString &title);
    // Gives the columns their share of the grid's width.
    void ResizeColumns();

    // Whether the splash window is shown at every show (tests switch it off).
    static void SetSplashEnabled(bool enabled);

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Start-up and shutdown (frm_main.cpp).
    void FormCreate();
    Session::OpenResult openSession();
    void FormShow();
    void FormClose();
    void applyFontSize();
    void updateCounter();
    void updateSortColumn();
    void showSortOrder();

    // Layout (frm_main_layout.cpp).
    void createLayout();
    void createStatusBar();
    void connectControls();
    void Edit1Change(const QString &text);
    void ComboBox1Change(int index);
    void DBGrid1TitleClick(int column);
    bool DBGrid1KeyPress(QKeyEvent *event);

    // Commands that open other windows (frm_main_commands.cpp).
    void connectCommandWindows();
    ClientList &openClients();
    PrintCommandContext printContext();

    // Commands (frm_main_actions.cpp).
    void createActions();
    void createMenus();
    void createToolBars();
    QAction *addCommand(const char *name, const char *caption, const char *hint, const char *shortcut,
                        bool enabled);
    void aTorolExecute();
    void aJelolExecute();
    void aJelolMindExecute();
    void aJelolSzuntetExecute();
    void aBetuNovelExecute();
    void aBetuCsokkentExecute();

    std::unique_ptr<Session> m_session;
    std::unique_ptr<ClientList> m_clients;
    DataSetModel *m_model = nullptr;
    ClientGridDelegate *m_delegate = nullptr;
    QHash<QString, QAction *> m_actions;
    bool m_startupStopped = false;
    bool m_closed = false;
    // The splash window of the start while it fades; it goes with the main window.
    QPointer<Tfrm_Logo> m_splash;

    QToolBar *ToolBar1 = nullptr;
    QToolBar *ToolBar2 = nullptr;
    QFrame *Panel1 = nullptr;
    QLineEdit *Edit1 = nullptr;
    QLabel *TitleLabel = nullptr;
    QTableView *DBGrid1 = nullptr;
    QMenu *PopupMenu1 = nullptr;
    QFrame *Panel2 = nullptr;
    QComboBox *ComboBox1 = nullptr;
    QComboBox *ComboBox2 = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *StatusPanels[4] = {};
    QObject *m_sortText = nullptr; // "sorrend:", translated with the window
    QObject *m_nameSortTitle = nullptr; // "ügyfél neve": the order at the start
    QString m_sortTitle;                // the title of the column the list is sorted by
    bool m_sortTitleFromGrid = false;   // the title is the grid's (a title clicked)
};

} // namespace kartevo
