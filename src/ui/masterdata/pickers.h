#pragma once

#include "masterdata/masterdata.h"

#include <QString>

class QWidget;

namespace kartevo {

class Session;

// The lookup lists as pickers. Each opens its list window modally on the start value; in pick
// mode the user may accept a row, whose values come back. In browse mode (the master-data menu)
// nothing is ever accepted.
//
// Other windows reach the lists only through this interface, so that their tests can answer
// instead of a person (SetPickers); the default opens the real windows.
class Pickers {
public:
    virtual ~Pickers() = default;
    // The key (tulajdonos) of the accepted sender; 0 for a NULL key or an empty list; -1 when
    // the list was closed without accepting.
    virtual qint64 feladoValasztas(QWidget *owner, Session &session, qint64 start, bool pick) = 0;
    // The accepted postal code, its town written to varos. Not accepted: an empty code, and
    // varos is left as it was.
    virtual QString irszVarosValasztas(QWidget *owner, Session &session, const QString &start, bool pick,
                                       QString &varos) = 0;
    // The accepted group name, or empty text.
    virtual QString csoportValasztas(QWidget *owner, Session &session, const QString &start, bool pick) = 0;
    // The accepted format name, its values written to format; not accepted: empty text, and
    // format is left as it was.
    virtual QString cimkeValasztas(QWidget *owner, Session &session, const QString &start, bool pick,
                                   LabelFormat &format) = 0;
};

// Replaces the pickers (tests); null restores the real list windows. Not owned.
void SetPickers(Pickers *pickers);
Pickers &CurrentPickers();

// The pickers as the program calls them (through CurrentPickers()).
qint64 FeladoValasztas(QWidget *owner, Session &session, qint64 start, bool pick);
QString IrszVarosValasztas(QWidget *owner, Session &session, const QString &start, bool pick, QString &varos);
QString CsoportValasztas(QWidget *owner, Session &session, const QString &start, bool pick);
QString CimkeValasztas(QWidget *owner, Session &session, const QString &start, bool pick, LabelFormat &format);

// The master-data menu of the client list: the four lists in browse mode.
void ShowFeladoList(QWidget *owner, Session &session);  // aFelado
void ShowIrszList(QWidget *owner, Session &session);    // aIranyitoszam
void ShowCsoportList(QWidget *owner, Session &session); // aCsoport
void ShowCimkeList(QWidget *owner, Session &session);   // aCimkek

} // namespace kartevo
