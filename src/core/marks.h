#pragma once

#include <QColor>
#include <QString>
#include <QVariant>

namespace kartevo {

class ClientList;
class TableView;

// Print marks: the column jelolve of the clients, "I" when the client is marked for printing.
// Any other value, NULL included, counts as not marked.
inline const QString MarkedValue = QStringLiteral("I");
inline const QString UnmarkedValue = QStringLiteral("N");

bool IsMarked(const QVariant &jelolve);

// Flips the mark of the current client through the client write rule (edit, change, post) and
// returns the new value. Throws Error when the list has no row or the write fails; a failed
// write leaves the row as it was, not half edited.
QString ToggleMark(TableView &clients);

// The statement that sets every mark to "I" (mark) or "N", only in the group when grouped.
QString SetAllMarksStatement(bool mark, bool grouped, const QString &group);

// Sets every mark of the list's group (of the whole table without a group filter) with one
// statement that bypasses the write rule, then reads the list again and keeps the current
// client. A failing statement is dropped without a word and leaves the marks as they were.
void SetAllMarks(ClientList &list, bool mark);

// Colours of one grid cell.
struct CellColors {
    QColor text;
    QColor background;
    bool operator==(const CellColors &) const = default;
};

inline const QColor MarkedSelectedTextColor{255, 255, 0};
inline const QColor MarkedTextColor{0, 0, 255};
inline const QColor MarkedBackgroundColor{230, 242, 255};

// The colours of a cell of the client grid: a marked row has yellow text in the selected row,
// and blue text on a pale blue background elsewhere (the sort column keeps its own background);
// an unmarked row keeps the standard colours (selection colours or the column's colour).
CellColors MarkCellColors(bool marked, bool selected, bool sortColumn, const CellColors &standard);

} // namespace kartevo
