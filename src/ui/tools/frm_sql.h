#pragma once

#include "tools/sqlconsole.h"

#include <QDialog>
#include <QString>

#include <functional>

class QAction;
class QMenu;
class QMenuBar;
class QProgressBar;
class QPushButton;
class QTabWidget;
class QTableView;
class QToolBar;
class QsciScintilla;

namespace kartevo {

class DataSet;
class DataSetModel;
class Session;

// What the console's Export command does with a query result. Without a handler (the program)
// it opens the export window on the result; tests set one to see what would be exported.
using SqlExportHandler = std::function<void(QWidget *owner, DataSet &result)>;
void SetSqlExportHandler(SqlExportHandler handler);

// The SQL console: an editor for SQL text, files to load it from and save it to, and a run
// command that opens a SELECT text as a query (its rows in the result grid) or runs any other
// text as a script on the shared connection.
class Tfrm_SQL final : public QDialog {
    Q_OBJECT
public:
    Tfrm_SQL(QWidget *owner, Session &session);
    ~Tfrm_SQL() override;

    SqlConsole &console() { return m_console; }
    // The file last opened or saved in this window.
    const QString &fileName() const { return m_fileName; }

    void done(int result) override;
    // Escape and the close box stop a running statement first; the window closes afterwards.
    void reject() override;

    QAction *aUj = nullptr;
    QAction *aMegnyit = nullptr;
    QAction *aMent = nullptr;
    QAction *aExport = nullptr;
    QAction *aBezar = nullptr;
    QAction *aFuttat = nullptr;

    QMenuBar *MainMenu1 = nullptr;
    QToolBar *ToolBar1 = nullptr;
    QTabWidget *Pg1 = nullptr;
    QWidget *tsSQL = nullptr;
    QWidget *tsEredmeny = nullptr;
    QsciScintilla *Memo1 = nullptr;
    QTableView *DBGrid1 = nullptr;
    QProgressBar *ProgressBar1 = nullptr;
    QPushButton *btnLeallit = nullptr; // stops a running statement
    QMenu *PopupMenu1 = nullptr;
    QMenu *PopupMenu2 = nullptr;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void createActions();
    void createLayout();
    void createEditor();
    void aMegnyitExecute();
    void aMentExecute();
    void aExportExecute();
    void aFuttatExecute();
    void showResult(bool open);
    // Runs the console's command with the window answering: only "Leállít", Escape and closing
    // do anything meanwhile.
    SqlConsole::Outcome runWatched(const std::function<SqlConsole::Outcome()> &command);

    Session &m_session;
    SqlConsole m_console;
    DataSetModel *m_model = nullptr;
    QString m_fileName;
    bool m_running = false;
    bool m_stopRequested = false;
};

// The client list's aSQL command: the console, shown modally.
void ShowSqlConsole(QWidget *owner, Session &session);

} // namespace kartevo
