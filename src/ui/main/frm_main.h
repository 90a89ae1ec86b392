#pragma once

#include "core/folders.h"

#include <QMainWindow>

#include <memory>

class QComboBox;
class QLabel;
class QLineEdit;
class QTableView;
class QFrame;

namespace kartevo {

class ClientList;
class DataSetModel;
class Session;

// The main window: the client list, the hub every command of the program starts from. It owns
// the session (settings and the one database connection) for the whole run.
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

    // Rebuilds the group filter list, keeping the chosen entry when it is still there.
    void FillGroupFilter();
    void SortBy(const QString &field, const QString &title);

    // Whether the splash window is shown at every show (tests switch it off).
    static void SetSplashEnabled(bool enabled);

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool event(QEvent *event) override;

private:
    void FormCreate();
    void FormShow();
    void FormClose();
    void createLayout();
    void createActions();
    void applyFontSize();
    void updateCounter();

    std::unique_ptr<Session> m_session;
    std::unique_ptr<ClientList> m_clients;
    DataSetModel *m_model = nullptr;
    bool m_startupStopped = false;
    bool m_databaseOpen = false;
    bool m_closed = false;

    QFrame *Panel1 = nullptr;
    QLineEdit *Edit1 = nullptr;
    QTableView *DBGrid1 = nullptr;
    QFrame *Panel2 = nullptr;
    QComboBox *ComboBox1 = nullptr;
    QComboBox *ComboBox2 = nullptr;
    QLabel *StatusPanels[4] = {};
};

} // namespace kartevo
