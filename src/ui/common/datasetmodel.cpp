#include "ui/common/datasetmodel.h"

#include "core/dataset.h"

#include <QItemSelectionModel>
#include <QTableView>

namespace kartevo {

DataSetModel::DataSetModel(DataSet &dataSet, QList<GridColumn> columns, QObject *parent)
    : QAbstractTableModel(parent), m_dataSet(&dataSet), m_columns(std::move(columns))
{
    resolveFields();
    connect(&dataSet, &DataSet::dataReset, this, [this] {
        beginResetModel();
        resolveFields();
        endResetModel();
    });
    connect(&dataSet, &DataSet::rowChanged, this, [this](int row) {
        Q_EMIT dataChanged(index(row, 0), index(row, columnCount() - 1));
    });
    connect(&dataSet, &DataSet::rowInserted, this, [this](int row) {
        beginInsertRows({}, row, row);
        endInsertRows();
    });
    connect(&dataSet, &DataSet::rowRemoved, this, [this](int row) {
        beginRemoveRows({}, row, row);
        endRemoveRows();
    });
}

void DataSetModel::resolveFields()
{
    m_fieldIndexes.clear();
    for (const GridColumn &column : m_columns)
        m_fieldIndexes.append(m_dataSet ? m_dataSet->fieldIndex(column.field) : -1);
}

int DataSetModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() || !m_dataSet ? 0 : m_dataSet->recordCount();
}

int DataSetModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant DataSetModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || !m_dataSet || role != Qt::DisplayRole)
        return {};
    const int field = m_fieldIndexes.value(index.column(), -1);
    if (field < 0)
        return {};
    return m_dataSet->cell(index.row(), field);
}

QVariant DataSetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal)
        return m_columns.value(section).title;
    return {};
}

bool DataSetModel::setHeaderData(int section, Qt::Orientation orientation, const QVariant &value, int role)
{
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0 || section >= m_columns.size())
        return false;
    m_columns[section].title = value.toString();
    Q_EMIT headerDataChanged(orientation, section, section);
    return true;
}

void BindGridToCursor(QTableView *grid, DataSetModel *model)
{
    DataSet *dataSet = &model->dataSet();
    auto followCursor = [grid, model, dataSet] {
        const int row = dataSet->currentRow();
        if (row < 0 || row >= model->rowCount())
            return;
        const QModelIndex current = grid->currentIndex();
        if (current.isValid() && current.row() == row)
            return;
        const QModelIndex target = model->index(row, current.isValid() ? current.column() : qMin(1, model->columnCount() - 1));
        grid->selectionModel()->setCurrentIndex(
            target, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        grid->scrollTo(target);
    };
    QObject::connect(dataSet, &DataSet::afterScroll, grid, followCursor);
    QObject::connect(model, &QAbstractItemModel::modelReset, grid, followCursor);
    QObject::connect(grid->selectionModel(), &QItemSelectionModel::currentRowChanged, grid,
                     [dataSet](const QModelIndex &current) {
                         if (current.isValid() && current.row() != dataSet->currentRow())
                             dataSet->moveTo(current.row());
                     });
}

} // namespace kartevo
