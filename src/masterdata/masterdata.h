#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <optional>

namespace kartevo {

class DataSet;
class Database;
class TableView;

// ---------------------------------------------------------------------------------------------
// The four lookup tables (senders, postal codes, groups, label formats) and the client edit
// dialog share these rules; the windows only call them.
// ---------------------------------------------------------------------------------------------

// The towns of a postal code for the client edit dialog: the town of every row of irsz whose
// code is exactly the given text (no trimming, case counts), in the order the rows were added.
// Empty when no row has that code.
QStringList TownsForPostalCode(Database &db, const QString &postalCode);

// Why the client row being edited cannot be saved, or empty text when it can: a client needs
// a name (blanks alone are no name).
QString ClientSaveRefusal(const DataSet &clients);

// The group write rule, installed as the beforePost hook of a csoport table view: the sort key
// csoports is filled from the group name before every save.
void ApplyGroupWriteRule(TableView &groups);

// Saves the row being edited in a lookup list (its beforePost hook runs as usual). A renamed
// group takes its clients along (ugyfel.csoport and its sort key csoports), in the same
// transaction. A key that is taken already is refused with KeyConflictMessage; on any failure
// nothing is written and the row is still being edited.
void SaveListRow(TableView &list);

// The question asked before deleting the current row of a lookup list: for a group that
// clients belong to it names their number, otherwise it is the plain question.
QString DeleteQuestion(const TableView &list);
// Whether the current row of the list is a group that clients belong to.
bool IsUsedGroup(const TableView &list);
// Deletes the current row of a lookup list; the clients of a deleted group lose their group,
// in the same transaction. An empty list throws Error and changes nothing.
void DeleteListRow(TableView &list);

// The engine's message about a failed write, as the user is told it: a UNIQUE or PRIMARY KEY
// constraint of the master data in Hungarian ("Ilyen nevű csoport már van."), anything else
// as it is.
QString KeyConflictMessage(const QString &engineMessage);

// Puts the cursor of a freshly opened list on the first row whose column equals the start
// value exactly; on the first row when none does or when the start value is empty text.
void PositionOnStart(DataSet &list, const QString &column, const QVariant &start);

// The incremental search of a list: the first row whose column text begins with the text
// (A-Z and the Hungarian accented letters without regard to case, everything else exactly);
// an empty text goes to the first row. When nothing matches the cursor goes to the row the
// longest matching beginning of the text finds, and the result is false.
bool SearchList(DataSet &list, const QString &column, const QString &text);

// A character typed on a list's grid that starts a search: its lower-case form when that is a
// digit, a letter a-z or one of á é í ó ö ő ú ü ű; nothing for any other character.
std::optional<QChar> SearchStartChar(QChar typed);

// Column widths of a list window after a resize: each fraction of (grid width - reserved), cut
// to whole pixels.
QList<int> ListColumnWidths(const QList<double> &fractions, int gridWidth, int reserved = 40);

// The numeric fields of the label-format dialog.
//
// Characters that may be typed into them: digits and a sign, and for the fractional fields also
// the exponent letter and a decimal separator ("." or ",", whichever the user is used to).
bool IsNumberChar(QChar c, bool wholeNumber);
// The value a numeric field's text stands for: NULL for an empty text, a double or (when
// wholeNumber) an integer otherwise. A text that is no valid number gives nothing.
std::optional<QVariant> ParseNumberField(const QString &text, bool wholeNumber);
// The message shown when a numeric field is left holding a text that is no number.
QString NotANumberMessage(const QString &text);
// A number as the lookup lists and their edit fields show it: with that many decimals (the
// "###0.00" of the label margins and height, "###0" of the column count), no thousands
// separator, the decimal separator of the user's locale.
QString ListNumberText(double value, int decimals);

// A label format as the label printing window takes it over.
struct LabelFormat {
    double felsomargo = 0;
    double szelsomargo = 0;
    double cimkemagas = 0;
    int oszlop = 0;
};
// The format of the current row of a cimke list (NULL reads as 0).
LabelFormat LabelFormatOf(const DataSet &list);

// Tells the client list that the set of groups may have changed (a group was added, edited or
// deleted), so that it rebuilds its group filter. Every writer of the csoport table calls
// notify(); the main window connects once to changed().
class GroupEvents final : public QObject {
    Q_OBJECT
public:
    static GroupEvents &instance();
    void notify() { Q_EMIT changed(); }

Q_SIGNALS:
    void changed();

private:
    GroupEvents() = default;
};

} // namespace kartevo
