#include "ui/masterdata/listwindow.h"

#include "core/backup.h"
#include "core/folders.h"
#include "core/schema.h"
#include "core/session.h"
#include "core/settings.h"
#include "masterdata/masterdata.h"
#include "ui/common/application.h"
#include "ui/common/datasetmodel.h"
#include "ui/common/focuscolor.h"
#include "ui/common/menustyle.h"
#include "ui/common/messages.h"
#include "ui/masterdata/editdialog.h"
#include "ui/masterdata/listicons.h"
#include "ui/main/clientgriddelegate.h"
#include "ui/common/translation.h"
#include "ui/common/windowstate.h"

#include <QAction>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QShowEvent>
#include <QStatusBar>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace kartevo {

// Paints the sort column in the sort colour and shows numbers in their list format.
class ListGridDelegate final : public QStyledItemDelegate {
public:
    ListGridDelegate(QList<ListColumn> columns, QObject *parent)
        : QStyledItemDelegate(parent), m_columns(std::move(columns))
    {
    }

    int markedColumn = 0;

    QString textOf(const QModelIndex &index) const
    {
        QStyleOptionViewItem option;
        initStyleOption(&option, index);
        return option.text;
    }

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        if (index.column() == markedColumn)
            option->backgroundBrush = SortColumnColor;
        const ListColumn column = m_columns.value(index.column());
        if (column.text) {
            option->text = column.text(index);
            return;
        }
        const int decimals = column.decimals;
        const QVariant value = index.data(Qt::DisplayRole);
        if (decimals >= 0 && value.isValid() && !value.isNull()) {
            bool ok = false;
            const double number = value.toDouble(&ok);
            if (ok) {
                option->text = ListNumberText(number, decimals);
                option->displayAlignment = Qt::AlignRight | Qt::AlignVCenter;
            }
        }
    }

private:
    QList<ListColumn> m_columns;
};

TListWindow::TListWindow(QWidget *owner, Session &session, ListDefinition definition, bool pick)
    : QDialog(owner), m_session(session), m_def(std::move(definition)), m_pick(pick),
      m_sortField(m_def.initialSort), m_table(session.db(), m_def.table)
{
    setObjectName(m_def.name);
    setWindowTitle(m_def.caption);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setSizeGripEnabled(true);
    QFont base(QStringLiteral("Tahoma"));
    base.setPointSize(8);
    setFont(base);
    resize(m_def.designSize);
    createActions();
    createLayout();
}

TListWindow::~TListWindow()
{
    // The grid's model reads the table view: take it away before the view goes.
    if (DBGrid1)
        DBGrid1->setModel(nullptr);
}

void TListWindow::createActions()
{
    auto make = [this](QAction *&action, const char *name, const QString &text, const QString &hint,
                       const QKeySequence &shortcut, int icon) {
        action = new QAction(text, this);
        action->setObjectName(QLatin1String(name));
        action->setToolTip(hint.isEmpty() ? text : hint);
        action->setStatusTip(hint);
        if (!shortcut.isEmpty())
            action->setShortcut(shortcut);
        if (icon >= 0)
            action->setIcon(ListIcon(icon));
        addAction(action);
    };
    make(aUj, "aUj", m_def.newMenuCaption, QStringLiteral("Új sor"), QKeySequence(Qt::Key_Insert), 0);
    aUj->setIconText(m_def.newCaption);
    make(aSzerkeszt, "aSzerkeszt", QStringLiteral("Szerkeszt"), QStringLiteral("Szerkeszt"),
         QKeySequence(Qt::Key_F2), 1);
    make(aTorol, "aTorol", QStringLiteral("Töröl"), QStringLiteral("Sor törlése"),
         QKeySequence(Qt::CTRL | Qt::Key_Delete), 2);
    make(aKeres, "aKeres", QStringLiteral("Kereső"), QStringLiteral("Ugrás a keresőbe"),
         QKeySequence(Qt::CTRL | Qt::Key_F), 8);
    make(aElfogad, "aElfogad", QStringLiteral("Elfogad"), QString(), QKeySequence(Qt::Key_Return), 21);
    aElfogad->setShortcuts({QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)});
    make(aBezar, "aBezar", QStringLiteral("Bezár"), QStringLiteral("Bezár"), QKeySequence(Qt::Key_Escape), 7);
    aElfogad->setEnabled(m_pick);
    aElfogad->setVisible(m_pick);

    ConnectCommand(aUj, this, [this] { editRow(true); });
    ConnectCommand(aSzerkeszt, this, [this] { editRow(false); });
    ConnectCommand(aTorol, this, [this] { deleteRow(); });
    ConnectCommand(aKeres, this, [this] { Edit1->setFocus(Qt::ShortcutFocusReason); });
    ConnectCommand(aElfogad, this, [this] {
        if (m_pick)
            accept();
    });
    ConnectCommand(aBezar, this, [this] { reject(); });
}

void TListWindow::createLayout()
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    ToolBar1 = new QToolBar(this);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    ToolBar1->setIconSize(QSize(16, 16));
    ToolBar1->setMovable(false);
    ToolBar1->setFloatable(false);
    for (QAction *action : {aUj, aSzerkeszt, aTorol}) {
        ToolBar1->addAction(action);
    }
    ToolBar1->addSeparator();
    ToolBar1->addAction(aElfogad);
    ToolBar1->addAction(aBezar);
    for (QAction *action : {aUj, aSzerkeszt, aTorol, aElfogad, aBezar}) {
        if (QWidget *button = ToolBar1->widgetForAction(action)) {
            // The design width at least; wider when its caption needs more room.
            button->setMinimumWidth(m_def.buttonWidth);
            button->setFixedHeight(36);
            if (auto *tool = qobject_cast<QToolButton *>(button))
                tool->setAutoRaise(true);
        }
    }
    layout->addWidget(ToolBar1);

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedHeight(m_def.panelHeight);
    Panel1->setFrameShape(QFrame::StyledPanel);
    Panel1->setFrameShadow(QFrame::Raised);
    auto *panelLayout = new QHBoxLayout(Panel1);
    panelLayout->setContentsMargins(0, 0, 0, 0);
    Title = new QLabel(m_def.caption, Panel1);
    Title->setObjectName(QStringLiteral("Title"));
    Title->setAlignment(Qt::AlignCenter);
    QFont titleFont(QStringLiteral("Arial"));
    titleFont.setBold(true);
    titleFont.setPixelSize(15);
    Title->setFont(titleFont);
    panelLayout->addWidget(Title);
    Edit1 = new QLineEdit(Panel1);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setGeometry(8, 2, 121, 21);
    Edit1->raise();
    InstallFocusColor(Edit1);
    Edit1->installEventFilter(this);
    layout->addWidget(Panel1);

    DBGrid1 = NewDataGrid(this);
    DBGrid1->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    DBGrid1->horizontalHeader()->setStretchLastSection(false);
    DBGrid1->installEventFilter(this);
    layout->addWidget(DBGrid1, 1);

    QList<GridColumn> columns;
    for (const ListColumn &column : std::as_const(m_def.columns))
        columns.append({column.field, column.title});
    m_model = new DataSetModel(m_table, columns, this);
    DBGrid1->setModel(m_model);
    BindGridToCursor(DBGrid1, m_model);
    // The row indicator follows the current row.
    connect(DBGrid1->selectionModel(), &QItemSelectionModel::currentRowChanged, DBGrid1->verticalHeader(),
            [this] { DBGrid1->verticalHeader()->viewport()->update(); });
    // After the rows are read again the grid has no current cell: give it one in the first
    // column, so that a one-column list follows the cursor as well.
    connect(m_model, &QAbstractItemModel::modelReset, this, &TListWindow::showCurrentRow, Qt::QueuedConnection);
    m_delegate = new ListGridDelegate(m_def.columns, this);
    DBGrid1->setItemDelegate(m_delegate);
    for (int i = 0; i < m_def.columns.size(); ++i)
        DBGrid1->setColumnWidth(i, m_def.columns.at(i).designWidth);

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    PopupMenu1->addAction(aUj);
    PopupMenu1->addAction(aSzerkeszt);
    PopupMenu1->addAction(aTorol);
    PopupMenu1->addSeparator();
    PopupMenu1->addAction(aKeres);
    PopupMenu1->addSeparator();
    PopupMenu1->addAction(aElfogad);
    PopupMenu1->addAction(aBezar);
    DBGrid1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(DBGrid1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &pos) { PopupMenu1->popup(DBGrid1->viewport()->mapToGlobal(pos)); });

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    layout->addWidget(StatusBar1);

    connect(Edit1, &QLineEdit::textChanged, this, &TListWindow::Edit1Change);
    connect(DBGrid1, &QAbstractItemView::doubleClicked, this, [this] {
        (m_pick ? aElfogad : aSzerkeszt)->trigger();
    });
    connect(DBGrid1->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int column) {
        if (m_def.titleSort)
            RunCommand(this, [&] { sortByColumn(column); });
        else
            Edit1->setFocus(Qt::OtherFocusReason);
    });
}

void TListWindow::openList(const QVariant &start)
{
    m_sortField = m_def.initialSort;
    m_table.close();
    m_table.setOrder(m_sortField);
    m_table.open();
    PositionOnStart(m_table, m_def.startColumn, start);
    showCurrentRow();
}

void TListWindow::showCurrentRow()
{
    const int row = m_table.currentRow();
    if (row < 0 || row >= m_model->rowCount())
        return;
    const QModelIndex current = DBGrid1->currentIndex();
    if (current.isValid() && current.row() == row)
        return;
    const QModelIndex target = m_model->index(row, current.isValid() ? current.column() : 0);
    DBGrid1->selectionModel()->setCurrentIndex(target, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    DBGrid1->scrollTo(target);
}

void TListWindow::sortByColumn(int column)
{
    if (column < 0 || column >= m_def.columns.size())
        return;
    const QVariant key = m_table.recordCount() > 0 ? m_table.value(m_def.keyColumn) : QVariant();
    m_sortField = m_def.columns.at(column).field;
    m_table.close();
    m_table.setOrder(m_sortField);
    m_table.open();
    if (key.isValid() && !key.isNull())
        m_table.locateValue(m_def.keyColumn, key);
    showCurrentRow();
    highlightColumn(column);
    Edit1->setFocus(Qt::OtherFocusReason);
}

void TListWindow::highlightColumn(int column)
{
    m_delegate->markedColumn = column;
    DBGrid1->viewport()->update();
}

bool TListWindow::editRow(bool newRow)
{
    std::unique_ptr<TEditDialog> dialog = createEditDialog();
    if (newRow) {
        m_table.append();
        const QString key = newKeyColumn();
        if (!key.isEmpty()) {
            try {
                m_table.setValue(key, NextId(m_session.db(), key, m_def.table));
            } catch (...) {
                m_table.cancel();
                throw;
            }
        }
    } else {
        m_table.edit();
    }
    bool saved = false;
    while (dialog->exec() == QDialog::Accepted) {
        if (RunCommand(this, [this] { SaveListRow(m_table); })) {
            saved = true;
            break;
        }
    }
    if (!saved)
        m_table.cancel();
    Q_EMIT rowsChanged();
    return saved;
}

void TListWindow::deleteRow()
{
    if (!AskYesNo(DeleteQuestion(m_table), QStringLiteral("Megerősítés"), this))
        return;
    if (IsUsedGroup(m_table))
        MakeAutomaticBackup(m_session, BackupReason::GroupDelete);
    DeleteListRow(m_table); // an empty list refuses with its own error
    Q_EMIT rowsChanged();
}

void TListWindow::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TListWindow::FormShow()
{
    highlightColumn(0);
    resize(m_def.designSize);
    TranslateOnShow(this);
    RestoreWindowRect(this, m_session.folders().IniFileName, m_session.folders().WorkArea);
    OwnerDrawMenus(this);
    ApplyFontSize(this, m_session.settings().FontSize);
    QFont searchFont(QStringLiteral("Tahoma"));
    searchFont.setPointSize(m_session.settings().FontSize);
    Edit1->setFont(searchFont);
    resizeColumns();
    DBGrid1->setFocus(Qt::OtherFocusReason);
}

QString TListWindow::cellText(int row, int column) const
{
    return m_delegate->textOf(m_model->index(row, column));
}

void TListWindow::done(int result)
{
    StoreWindowRect(this, m_session.folders().IniFileName);
    QDialog::done(result);
}

void TListWindow::resizeColumns()
{
    QList<double> fractions;
    for (const ListColumn &column : std::as_const(m_def.columns))
        fractions.append(column.fraction);
    const QList<int> widths = ListColumnWidths(fractions, DBGrid1->width());
    for (int i = 0; i < widths.size(); ++i)
        DBGrid1->setColumnWidth(i, qMax(widths.at(i), 8));
}

void TListWindow::Edit1Change(const QString &text)
{
    // A text that matches no row keeps the row its longest matching beginning found and
    // colours the box; errors of the search are ignored.
    try {
        if (m_table.isOpen())
            SetWarningColor(Edit1, !SearchList(m_table, m_sortField, text));
    } catch (...) {
    }
}

void TListWindow::startSearchWith(QChar c)
{
    Edit1->setFocus(Qt::OtherFocusReason);
    const bool same = Edit1->text() == QString(c);
    Edit1->setText(QString(c));
    Edit1->setCursorPosition(1);
    if (same) // no change signal, but the new search runs all the same
        Edit1Change(Edit1->text());
}

bool TListWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Edit1) {
        if (event->type() == QEvent::FocusIn) {
            // Entering the box by keyboard selects its text (a click places the caret).
            if (static_cast<QFocusEvent *>(event)->reason() != Qt::MouseFocusReason)
                Edit1->selectAll();
        } else if (event->type() == QEvent::KeyPress) {
            const auto *key = static_cast<QKeyEvent *>(event);
            const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
            if (enter && m_pick) {
                aElfogad->trigger();
                return true;
            }
            if (enter || key->key() == Qt::Key_Down) {
                DBGrid1->setFocus(Qt::OtherFocusReason);
                return true;
            }
        }
    } else if (watched == DBGrid1) {
        if (event->type() == QEvent::Resize) {
            resizeColumns();
        } else if (event->type() == QEvent::KeyPress) {
            const auto *key = static_cast<QKeyEvent *>(event);
            const QString text = key->text();
            if (text.size() == 1 && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
                if (const std::optional<QChar> c = SearchStartChar(text.at(0))) {
                    startSearchWith(*c);
                    return true;
                }
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace kartevo
