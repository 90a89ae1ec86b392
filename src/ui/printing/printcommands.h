#pragma once

#include "printing/stationery.h"

#include <QString>

#include <functional>
#include <optional>

class QTableView;
class QWidget;

namespace kartevo {

class Session;
class TableView;

// The sender list in selection mode: positioned on the given key (-1: on nothing), returns the
// chosen sender key or -1 when the user cancelled.
using SenderPicker = std::function<int(QWidget *owner, int positionOn)>;

// What the print commands of the client list read from it.
struct PrintCommandContext {
    PrintCommandContext(Session &s, TableView &list) : session(s), clients(list) {}

    Session &session;   // settings and the database connection
    TableView &clients; // the client list as loaded; its current row is the current client
    int scope = 0;      // the print scope box (ComboBox2): 0 Aktuális, 1 Mindenkinek, 2 Csak a kijelölteknek
    std::optional<QString> filterGroup; // the group filter's group; empty when not filtered
    QString sortField = QStringLiteral("ugyfel_nev"); // the shown sort column (not its sort key)
    SenderPicker pickSender;            // FeladoValasztas in pick mode
    bool preview = false;               // the whole run is previewed first (PrintContext::preview)
};

// The print commands of the client list. Each runs the whole command: sender choice, questions,
// dialogs and one print job per client, previewed or printed as the settings and the scope say.
// An error ends the command by throwing Error (jobs already printed stay printed): run them
// inside the command guard (RunCommand / ConnectCommand).

// aBoritek1 (C6), aBoritek2 (LA/4), aBoritek3 (LC5).
void PrintEnvelopes(QWidget *owner, const PrintCommandContext &context, EnvelopeKind kind);
// aAjanlott.
void PrintRegistered(QWidget *owner, const PrintCommandContext &context);
// After each of these runs its summary shows in the owner window's status bar, and for a marked
// run in a message too.
// aCsekk: the cheque dialog, every front of the scope, the turn-over question, every back.
void PrintCheque(QWidget *owner, const PrintCommandContext &context);
// aUtanvet: the amount input and the cash-on-delivery forms of the scope.
void PrintCod(QWidget *owner, const PrintCommandContext &context);

// PrintGrid: the list printout of a grid as shown (columns, widths, titles, alignment, rows of
// its model); direct prints on the default printer, otherwise the preview; either with the
// list's printer alignment.
void PrintGrid(QWidget *owner, const QTableView *grid, bool direct, const QString &title, int fontSize,
               const Calibration &calibration);
// aNyomtat (preview false) and aNyomtatKep (preview true): PrintGrid of the client grid with the
// title "Ügyfelek" and font size 8.
void PrintClientList(QWidget *owner, const QTableView *grid, bool preview, const Calibration &calibration);

} // namespace kartevo
