#pragma once

#include "core/backuptable.h"

#include <QDialog>

class QAction;
class QStatusBar;
class QTableView;
class QToolBar;

namespace kartevo {

class DataSetModel;
class Session;

// The "Biztonsági mentések" window: the copies of the database, newest first, with their time,
// kind, the operation that caused them, size and client count. "Mentés most" makes a copy on
// request; "Visszaállítás" puts the chosen copy in place after a question (the current state
// is kept as an automatic copy first; a copy that fails the check is refused with the reason).
// The copying and checking live in the core (core/backup.h).
class Tfrm_Mentesek final : public QDialog {
    Q_OBJECT
public:
    Tfrm_Mentesek(QWidget *owner, Session &session);
    ~Tfrm_Mentesek() override;

    BackupTable &copies() { return m_copies; }
    // Whether a restore replaced the database while the window was open.
    bool restored() const { return m_restored; }

    void refresh();
    void backupNow();
    void restoreCurrent();

    void done(int result) override;

    QAction *aMentes = nullptr;
    QAction *aVisszaallit = nullptr;
    QAction *aBezar = nullptr;
    QToolBar *ToolBar1 = nullptr;
    QTableView *DBGrid1 = nullptr;
    QStatusBar *StatusBar1 = nullptr;

protected:
    void showEvent(QShowEvent *event) override;

private:
    Session &m_session;
    BackupTable m_copies;
    DataSetModel *m_model = nullptr;
    bool m_restored = false;
};

// The "Biztonsági mentések" command of the Rendszer menu. Returns whether the database was
// restored (the caller shows it anew).
bool ShowMentesek(QWidget *owner, Session &session);

} // namespace kartevo
