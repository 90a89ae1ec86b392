#pragma once

#include "core/dataset.h"

#include <QAbstractTableModel>
#include <QList>
#include <QPointer>

class QTableView;

namespace kartevo {


// One column of a data grid: the field it shows and its title.
struct GridColumn {
    QString field;
    QString title;
};

// A grid's view of a data set: it reads cells on demand and keeps nothing per row, so a list of
// 100,000 rows costs the grid nothing beyond the rows on screen.
class DataSetModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    DataSetModel(DataSet &dataSet, QList<GridColumn> columns, QObject *parent = nullptr);

    const QList<GridColumn> &columns() const { return m_columns; }
    DataSet &dataSet() { return *m_dataSet; }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    // A column title (the language file's); the column keeps its field.
    bool setHeaderData(int section, Qt::Orientation orientation, const QVariant &value,
                       int role = Qt::EditRole) override;

private:
    QPointer<DataSet> m_dataSet;
    QList<GridColumn> m_columns;
    QList<int> m_fieldIndexes; // resolved when the data set is (re)opened
    void resolveFields();
};

// Keeps the grid's current row and the data set's cursor together in both directions.
void BindGridToCursor(QTableView *grid, DataSetModel *model);

} // namespace kartevo
