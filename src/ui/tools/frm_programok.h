#pragma once

#include "tools/catalog.h"

#include <QDialog>

#include <functional>

class QAction;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTableView;
class QToolBar;

namespace kartevo {

class CatalogGridDelegate;
class DataSetModel;
class Session;

// The catalog of further programs: the programs of the catalog file with their descriptions
// and pictures, their home pages and downloads opened in the browser, and the refresh of the
// catalog file from the web.
class Tfrm_Programok final : public QDialog {
    Q_OBJECT
public:
    // Reads the catalog file (the installation's one the first time); throws Error when it is
    // missing or cannot be read, and the window is not shown then.
    Tfrm_Programok(QWidget *owner, Session &session);
    ~Tfrm_Programok() override;

    CatalogTable &table() { return m_table; }
    const QString &searchField() const { return m_searchField; }
    // Makes the column the search field and sorts by it, as a click on its title does.
    void sortByColumn(int column);

    void done(int result) override;
    // The whole refresh may take this long (tests shorten it).
    void setFetchDeadline(int ms) { m_fetchDeadlineMs = ms; }

    QAction *aMegnezem = nullptr;
    QAction *aLetolt = nullptr;
    QAction *aFrissit = nullptr;
    QAction *aBezar = nullptr;

    QToolBar *ToolBar1 = nullptr;
    QFrame *Panel1 = nullptr;
    QLabel *Title = nullptr;
    QLineEdit *Edit1 = nullptr;
    QTableView *DBGrid1 = nullptr;
    QProgressBar *ProgressBar1 = nullptr;
    QPushButton *btnMegsem = nullptr; // stops a running refresh
    QFrame *Panel2 = nullptr;
    QLabel *LinkHonlap = nullptr;
    QLabel *LinkLetolt = nullptr;
    QLabel *Image1 = nullptr;
    QPlainTextEdit *DBMemo1 = nullptr;
    QMenu *PopupMenu1 = nullptr;

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createActions();
    void createLayout();
    void createLinksPanel();
    void openLink(const QString &field);
    void aFrissitExecute();
    void showCurrentRow();
    void resizeColumns();
    void startSearchWith(QChar c);

    Session &m_session;
    std::function<void()> m_cancelFetch; // set while a refresh runs
    int m_fetchDeadlineMs = 60000;
    CatalogTable m_table;
    DataSetModel *m_model = nullptr;
    CatalogGridDelegate *m_delegate = nullptr;
    QString m_searchField;
};

// The client list's aProgram command: the catalog, shown modally.
void ShowProgramCatalog(QWidget *owner, Session &session);

} // namespace kartevo
