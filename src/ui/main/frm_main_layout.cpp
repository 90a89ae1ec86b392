// The controls of the main window below the toolbars: search panel, client grid, filter and
// scope panel, status bar, and how they talk to the client list.
#include "ui/main/frm_main.h"

#include "ui/common/application.h"
#include "ui/common/datasetmodel.h"
#include "ui/common/focuscolor.h"
#include "ui/common/translation.h"
#include "ui/main/clientgriddelegate.h"

#include <QAction>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QStatusBar>
#include <QTableView>
#include <QVBoxLayout>

namespace kartevo {

namespace {

// The maker's home page, shown (inactive) at the right of the bottom panel.
const QString kHomePageText = QStringLiteral("www.pelmar.example");

QList<GridColumn> GridColumns()
{
    QList<GridColumn> columns;
    for (const ClientColumn &column : ClientList::Columns())
        columns.append({column.field, column.title});
    return columns;
}

} // namespace

void Tfrm_Main::createLayout()
{
    auto *central = new QWidget(this);
    central->setObjectName(QStringLiteral("Central"));
    auto *layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    Panel1 = new QFrame(central);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedHeight(29);
    auto *top = new QHBoxLayout(Panel1);
    top->setContentsMargins(2, 2, 6, 2);
    Edit1 = new QLineEdit(Panel1);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setFixedWidth(121);
    InstallFocusColor(Edit1);
    top->addWidget(Edit1);
    top->addStretch();
    TitleLabel = new QLabel(QStringLiteral("Boríték nyomtatás, postai nyomtatvány kitöltés"), Panel1);
    TitleLabel->setObjectName(QStringLiteral("Label2"));
    QFont titleFont(QStringLiteral("Arial"));
    titleFont.setBold(true);
    titleFont.setPixelSize(15);
    TitleLabel->setFont(titleFont);
    TitleLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    top->addWidget(TitleLabel);
    layout->addWidget(Panel1);

    DBGrid1 = NewDataGrid(central);
    DBGrid1->setCornerButtonEnabled(false);
    DBGrid1->horizontalHeader()->setSectionsMovable(false);
    DBGrid1->horizontalHeader()->setMinimumSectionSize(8);
    DBGrid1->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    DBGrid1->setContextMenuPolicy(Qt::CustomContextMenu);

    m_model = new DataSetModel(m_clients->table(), GridColumns(), this);
    m_delegate = new ClientGridDelegate(DBGrid1);
    m_delegate->setMarkColumn(0);
    DBGrid1->setItemDelegate(m_delegate);
    DBGrid1->setModel(m_model);
    BindGridToCursor(DBGrid1, m_model);
    DBGrid1->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    DBGrid1->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Fixed);
    DBGrid1->setColumnWidth(0, ClientList::MarkColumnWidth);
    layout->addWidget(DBGrid1, 1);

    Panel2 = new QFrame(central);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setFixedHeight(27);
    auto *bottom = new QHBoxLayout(Panel2);
    bottom->setContentsMargins(4, 1, 6, 1);
    auto grey = [this](const QString &text) {
        auto *label = new QLabel(text, Panel2);
        QPalette labelPalette = label->palette();
        labelPalette.setColor(QPalette::WindowText, QColor(128, 128, 128));
        label->setPalette(labelPalette);
        return label;
    };
    bottom->addWidget(grey(QStringLiteral("Csoport szűrés")));
    bottom->itemAt(bottom->count() - 1)->widget()->setObjectName(QStringLiteral("Label3"));
    ComboBox1 = new QComboBox(Panel2);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->setFixedWidth(145);
    // Its first entry, "<nincs szűrés>", is the window's text; the groups after it are data.
    ComboBox1->setProperty("fixedItems", 1);
    bottom->addWidget(ComboBox1);
    bottom->addSpacing(12);
    bottom->addWidget(grey(QStringLiteral("Nyomtatás")));
    bottom->itemAt(bottom->count() - 1)->widget()->setObjectName(QStringLiteral("Label4"));
    ComboBox2 = new QComboBox(Panel2);
    ComboBox2->setObjectName(QStringLiteral("ComboBox2"));
    ComboBox2->setFixedWidth(145);
    ComboBox2->addItems({QStringLiteral("Aktuális"), QStringLiteral("Mindenkinek"),
                         QStringLiteral("Csak a kijelölteknek")});
    ComboBox2->setCurrentIndex(0);
    ComboBox2->setProperty("fixedItems", 3);
    bottom->addWidget(ComboBox2);
    bottom->addStretch();
    Label1 = new QLabel(kHomePageText, Panel2);
    Label1->setObjectName(QStringLiteral("Label1"));
    QFont linkFont = Label1->font();
    linkFont.setUnderline(true);
    Label1->setFont(linkFont);
    Label1->setEnabled(false);
    Label1->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // Its whole text while there is room; it gives way (and is cut) only when the window gets
    // too narrow for it.
    Label1->setMinimumWidth(1);
    bottom->addWidget(Label1);
    layout->addWidget(Panel2);
    setCentralWidget(central);
}

void Tfrm_Main::createStatusBar()
{
    statusBar()->setObjectName(QStringLiteral("StatusBar1"));
    statusBar()->setSizeGripEnabled(true);
    const int widths[4] = {67, 200, 150, 50};
    for (int i = 0; i < 4; ++i) {
        StatusPanels[i] = new QLabel(statusBar());
        StatusPanels[i]->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        StatusPanels[i]->setFixedWidth(widths[i]);
        StatusPanels[i]->setFrameShape(QFrame::StyledPanel);
        statusBar()->addWidget(StatusPanels[i]);
    }
    m_sortText = WindowText(this, "StatusSortText", QStringLiteral("sorrend:"));
    m_nameSortTitle = WindowText(this, "StatusSortName", QStringLiteral("ügyfél neve"));
}

void Tfrm_Main::connectControls()
{
    connect(&m_clients->table(), &DataSet::afterScroll, this, &Tfrm_Main::updateCounter);
    connect(&m_clients->table(), &DataSet::dataReset, this, &Tfrm_Main::updateCounter);
    connect(Edit1, &QLineEdit::textChanged, this, &Tfrm_Main::Edit1Change);
    connect(ComboBox1, &QComboBox::activated, this, &Tfrm_Main::ComboBox1Change);
    connect(DBGrid1->horizontalHeader(), &QHeaderView::sectionClicked, this, &Tfrm_Main::DBGrid1TitleClick);
    connect(DBGrid1, &QAbstractItemView::doubleClicked, this, [this] {
        if (QAction *edit = action(QStringLiteral("aSzerkeszt")))
            edit->trigger();
    });
    connect(DBGrid1, &QWidget::customContextMenuRequested, this, [this](const QPoint &pos) {
        PopupMenu1->popup(DBGrid1->viewport()->mapToGlobal(pos));
    });
    // The row indicator follows the current row.
    connect(DBGrid1->selectionModel(), &QItemSelectionModel::currentRowChanged, DBGrid1->verticalHeader(),
            [this] { DBGrid1->verticalHeader()->viewport()->update(); });
    DBGrid1->installEventFilter(this);
    Edit1->installEventFilter(this);
}

void Tfrm_Main::Edit1Change(const QString &text)
{
    // A text that matches no client keeps the row its longest matching beginning found and
    // colours the box; a failing search leaves the cursor where it is, without a message.
    try {
        SetWarningColor(Edit1, !m_clients->search(text));
    } catch (...) {
    }
}

void Tfrm_Main::ComboBox1Change(int index)
{
    const QString text = ComboBox1->itemText(index);
    RunCommand(this, [&] {
        if (index == 0) // "<nincs szűrés>", in whatever language
            m_clients->clearGroupFilter();
        else
            m_clients->setGroupFilter(text);
    });
}

void Tfrm_Main::DBGrid1TitleClick(int column)
{
    const QList<ClientColumn> &columns = ClientList::Columns();
    if (column < 0 || column >= columns.size())
        return;
    const QString title = m_model->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
    RunCommand(this, [&] {
        SortBy(columns.at(column).field, title);
        m_sortTitleFromGrid = true;
    });
    Edit1->setFocus();
}

// A letter or digit typed on the grid starts a new search with it; other characters do nothing.
bool Tfrm_Main::DBGrid1KeyPress(QKeyEvent *event)
{
    const QString text = event->text();
    if (text.isEmpty() || !text.at(0).isPrint())
        return false;
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    const QChar start = ClientList::SearchStartChar(text.at(0));
    if (!start.isNull()) {
        Edit1->setFocus();
        const bool same = Edit1->text() == QString(start);
        Edit1->setText(QString(start));
        Edit1->setCursorPosition(1);
        if (same) // no change signal, but the search runs all the same
            Edit1Change(Edit1->text());
    }
    return true;
}

} // namespace kartevo
