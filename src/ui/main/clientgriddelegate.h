#pragma once

#include <QHeaderView>
#include <QPixmap>
#include <QStyledItemDelegate>

class QTableView;

namespace kartevo {

// Paints every data cell of the client grid: the print-mark picture instead of the letter in the
// mark column, the colours of marked rows, and the sort column in SortColumnColor. It reads the
// cell's value from the model when the cell is painted and keeps nothing per row.
class ClientGridDelegate final : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit ClientGridDelegate(QObject *parent = nullptr);

    // The column painted in SortColumnColor (-1: none).
    void setSortColumn(int column) { m_sortColumn = column; }
    int sortColumn() const { return m_sortColumn; }
    // The column that holds the mark (jelolve); it shows the picture.
    void setMarkColumn(int column) { m_markColumn = column; }

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

    static constexpr int MarkPictureLeft = 19;

private:
    int m_sortColumn = -1;
    int m_markColumn = 0;
    QPixmap m_marked;
    QPixmap m_unmarked;
};

// The row indicator of a grid: a small triangle in front of the current row.
class RowIndicator final : public QHeaderView {
    Q_OBJECT
public:
    explicit RowIndicator(QTableView *grid);

protected:
    void paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const override;

private:
    QTableView *m_grid;
};

// A read-only data grid as every list of the program has it: whole-row selection that stays
// visible without the focus, the row indicator, title row with clickable titles, row height 18.
QTableView *NewDataGrid(QWidget *parent);

} // namespace kartevo
