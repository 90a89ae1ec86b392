#include "ui/main/clientgriddelegate.h"

#include "core/folders.h"
#include "core/marks.h"
#include "ui/common/resources.h"

#include <QIcon>
#include <QPainter>
#include <QTableView>

namespace kartevo {

namespace {

QPixmap MarkPicture(const QString &name)
{
    EnsureResources();
    return QIcon(QStringLiteral(":/kartevo/icons/") + name + QStringLiteral(".svg")).pixmap(16, 16);
}

} // namespace

ClientGridDelegate::ClientGridDelegate(QObject *parent)
    : QStyledItemDelegate(parent),
      m_marked(MarkPicture(QStringLiteral("mark_on"))),
      m_unmarked(MarkPicture(QStringLiteral("mark_off")))
{
}

void ClientGridDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                               const QModelIndex &index) const
{
    const bool selected = option.state.testFlag(QStyle::State_Selected);
    const bool sortColumn = index.column() == m_sortColumn;
    // The selection stays in its active colours when the grid has no focus.
    CellColors standard;
    if (selected) {
        standard = {option.palette.color(QPalette::Active, QPalette::HighlightedText),
                    option.palette.color(QPalette::Active, QPalette::Highlight)};
    } else {
        standard = {option.palette.color(QPalette::Active, QPalette::Text),
                    sortColumn ? SortColumnColor : option.palette.color(QPalette::Active, QPalette::Base)};
    }
    const bool marked = IsMarked(index.siblingAtColumn(m_markColumn).data());
    const CellColors colors = MarkCellColors(marked, selected, sortColumn, standard);

    const QRect cell = option.rect;
    painter->fillRect(cell, colors.background);
    if (index.column() == m_markColumn) {
        painter->drawPixmap(QRect(cell.left() + MarkPictureLeft, cell.top(), 16, 16),
                            marked ? m_marked : m_unmarked);
        return;
    }
    const QVariant value = index.data();
    if (value.isNull())
        return;
    painter->save();
    painter->setFont(option.font);
    painter->setPen(colors.text);
    painter->drawText(cell.adjusted(2, 0, -2, 0), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                      value.toString());
    painter->restore();
}

QSize ClientGridDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &) const
{
    // Rows have one fixed height; nothing is measured per row.
    return QSize(option.rect.width(), option.fontMetrics.height() + 4);
}

RowIndicator::RowIndicator(QTableView *grid)
    : QHeaderView(Qt::Vertical, grid), m_grid(grid)
{
    setSectionResizeMode(QHeaderView::Fixed);
    setHighlightSections(false);
    setSectionsClickable(false);
}

void RowIndicator::paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const
{
    painter->save();
    QHeaderView::paintSection(painter, rect, logicalIndex);
    painter->restore();
    const QModelIndex current = m_grid->currentIndex();
    if (!current.isValid() || current.row() != logicalIndex)
        return;
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(Qt::NoPen);
    painter->setBrush(Qt::black);
    const QPointF middle(rect.center().x() - 1.5, rect.center().y() + 0.5);
    const QPointF triangle[3] = {middle + QPointF(-2, -4), middle + QPointF(2.5, 0), middle + QPointF(-2, 4)};
    painter->drawPolygon(triangle, 3);
    painter->restore();
}

QTableView *NewDataGrid(QWidget *parent)
{
    auto *grid = new QTableView(parent);
    grid->setObjectName(QStringLiteral("DBGrid1"));
    grid->setVerticalHeader(new RowIndicator(grid));
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setTabKeyNavigation(false);
    grid->setWordWrap(false);
    grid->setShowGrid(true);
    grid->verticalHeader()->setDefaultSectionSize(18);
    grid->verticalHeader()->setFixedWidth(12);
    grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid->horizontalHeader()->setHighlightSections(false);
    grid->horizontalHeader()->setSectionsClickable(true);
    // The selected row keeps its colours when the grid loses the focus.
    QPalette palette = grid->palette();
    for (QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText})
        palette.setColor(QPalette::Inactive, role, palette.color(QPalette::Active, role));
    grid->setPalette(palette);
    return grid;
}

} // namespace kartevo
