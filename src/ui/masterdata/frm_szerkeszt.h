#pragma once

#include "masterdata/addresscheck.h"
#include "ui/masterdata/editdialog.h"

class QLabel;
class QPushButton;
class QTabWidget;
class QWidget;

namespace kartevo {

class Session;
class TableView;

// The client edit dialog: one row of the client list, typed in or changed in place. The town
// is filled from the postal code when it is empty (a code of several towns opens the
// postal-code picker on it), the postal-code and group pickers fill their fields, and one
// button copies the name into the contact field. A client without a name is not accepted.
// While the typed postal code and town do not agree a warning line says so; it does not stop
// the save.
class Tfrm_Szerkeszt final : public TEditDialog {
    Q_OBJECT
public:
    Tfrm_Szerkeszt(QWidget *owner, Session &session, TableView &clients);

    QTabWidget *PageControl1 = nullptr;
    QWidget *TabSheet1 = nullptr;
    DBEdit *DBEdit1 = nullptr; // ugyfel_nev
    DBEdit *DBEdit2 = nullptr; // kapcsolat
    DBEdit *DBEdit3 = nullptr; // cim_irsz
    DBEdit *DBEdit4 = nullptr; // cim_varos
    DBEdit *DBEdit5 = nullptr; // cim_cim
    DBEdit *DBEdit6 = nullptr; // csoport, read-only
    QPushButton *BitBtn1 = nullptr; // postal-code picker
    QPushButton *BitBtn2 = nullptr; // name to contact
    QPushButton *BitBtn3 = nullptr; // group picker
    QLabel *Label7 = nullptr; // the postal code and town warning
    QLabel *Image1 = nullptr;
    QLabel *Image2 = nullptr;
    QLabel *Image3 = nullptr;

    // The picture chooser: a whole number from 0 to 6; 1 shows Image2, 2 Image3, the rest
    // Image1. Tests may fix it; null restores the random choice.
    static void SetPictureDraw(int (*draw)());

    // Refuses a client without a name (the focus goes to the name), otherwise closes with OK.
    void accept() override;

protected:
    void FormShow() override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void BitBtn1Click();
    void BitBtn2Click();
    void BitBtn3Click();
    void DBEdit3Exit();
    void updateTownWarning();

    TableView &m_clients;
    PostalTowns m_towns;
};

// The client list's "Új ügyfél" (newClient) and "Szerkeszt" commands: the dialog over a new
// row (print mark "N") or the current row of the client table view, whose beforePost hook is
// the client write rule. The row is posted when the dialog is accepted; a failed save shows the
// error and offers the dialog again. Every other way of closing drops the new row or the
// changes. Returns whether the row was saved.
bool EditClient(QWidget *owner, Session &session, TableView &clients, bool newClient);

} // namespace kartevo
