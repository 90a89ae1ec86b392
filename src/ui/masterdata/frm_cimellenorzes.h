#pragma once

#include "masterdata/addresscheck.h"

#include <QDialog>

class QAction;
class QLabel;
class QProgressBar;
class QStatusBar;
class QTableView;
class QToolBar;

namespace kartevo {

class DataSetModel;
class Session;

// The address check window: runs the check with a progress bar and lists one row per finding.
// Double click or Enter opens the client edit dialog on the row's client and checks again
// after a save; "Kijelöl" (Ctrl+M) marks every listed client for printing; "Export" (Ctrl+E)
// opens the export window on the findings. The check itself lives in the core (CheckAddresses).
class Tfrm_Cimellenorzes final : public QDialog {
    Q_OBJECT
public:
    Tfrm_Cimellenorzes(QWidget *owner, Session &session);
    ~Tfrm_Cimellenorzes() override;

    // Runs the check again and shows its findings; the cursor stays near the client it was on.
    void runCheck();
    FindingTable &findings() { return m_findings; }

    // The edit dialog on the current finding's client; checks again when it was saved.
    void editCurrent();
    void markListed();
    void exportFindings();

    void done(int result) override;

    QAction *aSzerkeszt = nullptr;
    QAction *aKijelol = nullptr;
    QAction *aExport = nullptr;
    QAction *aBezar = nullptr;
    QToolBar *ToolBar1 = nullptr;
    QProgressBar *ProgressBar1 = nullptr;
    QTableView *DBGrid1 = nullptr;
    QStatusBar *StatusBar1 = nullptr;

protected:
    void showEvent(QShowEvent *event) override;

private:
    Session &m_session;
    FindingTable m_findings;
    DataSetModel *m_model = nullptr;
};

// The "Címellenőrzés" command of the Törzsadat menu.
void ShowCimellenorzes(QWidget *owner, Session &session);

} // namespace kartevo
