#include "ui/main/frm_main.h"

#include "core/clientlist.h"
#include "core/error.h"
#include "core/session.h"
#include "core/settings.h"
#include "ui/common/application.h"
#include "ui/common/datasetmodel.h"
#include "ui/common/messages.h"
#include "ui/main/frm_logo.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTableView>
#include <QVBoxLayout>

namespace kartevo {

namespace {

const QString kNoFilter = QStringLiteral("<nincs szűrés>");
bool g_splashEnabled = true;

const QList<GridColumn> kClientColumns = {
    {QStringLiteral("jelolve"), QStringLiteral("nyom.")},
    {QStringLiteral("ugyfel_nev"), QStringLiteral("ügyfél")},
    {QStringLiteral("kapcsolat"), QStringLiteral("kapcsolattartó")},
    {QStringLiteral("cim_irsz"), QStringLiteral("irsz.")},
    {QStringLiteral("cim_varos"), QStringLiteral("város")},
    {QStringLiteral("cim_cim"), QStringLiteral("cím")},
    {QStringLiteral("csoport"), QStringLiteral("csoport")},
};

} // namespace

void Tfrm_Main::SetSplashEnabled(bool enabled) { g_splashEnabled = enabled; }

Tfrm_Main::Tfrm_Main(const Folders &folders, QWidget *parent)
    : QMainWindow(parent), m_session(std::make_unique<Session>(folders))
{
    setObjectName(QStringLiteral("frm_Main"));
    setWindowTitle(QStringLiteral("Kartevo"));
    resize(853, 630);
    createLayout();
    createActions();
    FormCreate();
}

Tfrm_Main::~Tfrm_Main()
{
    // The grid's model reads the client list: take it away before the list goes.
    if (DBGrid1)
        DBGrid1->setModel(nullptr);
}

void Tfrm_Main::createLayout()
{
    auto *central = new QWidget(this);
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
    top->addWidget(Edit1);
    top->addStretch();
    auto *title = new QLabel(QStringLiteral("Boríték nyomtatás, postai nyomtatvány kitöltés"), Panel1);
    QFont titleFont(QStringLiteral("Arial"));
    titleFont.setBold(true);
    titleFont.setPixelSize(15);
    title->setFont(titleFont);
    top->addWidget(title);
    layout->addWidget(Panel1);

    DBGrid1 = new QTableView(central);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGrid1->verticalHeader()->setDefaultSectionSize(18);
    DBGrid1->verticalHeader()->setFixedWidth(12);
    DBGrid1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    DBGrid1->horizontalHeader()->setHighlightSections(false);
    layout->addWidget(DBGrid1, 1);

    Panel2 = new QFrame(central);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setFixedHeight(27);
    auto *bottom = new QHBoxLayout(Panel2);
    bottom->setContentsMargins(4, 1, 4, 1);
    auto grey = [this](const QString &text) {
        auto *label = new QLabel(text, Panel2);
        label->setStyleSheet(QStringLiteral("color: grey"));
        return label;
    };
    bottom->addWidget(grey(QStringLiteral("Csoport szűrés")));
    ComboBox1 = new QComboBox(Panel2);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->setFixedWidth(145);
    bottom->addWidget(ComboBox1);
    bottom->addSpacing(12);
    bottom->addWidget(grey(QStringLiteral("Nyomtatás")));
    ComboBox2 = new QComboBox(Panel2);
    ComboBox2->setObjectName(QStringLiteral("ComboBox2"));
    ComboBox2->setFixedWidth(145);
    ComboBox2->addItems({QStringLiteral("Aktuális"), QStringLiteral("Mindenkinek"),
                         QStringLiteral("Csak a kijelölteknek")});
    bottom->addWidget(ComboBox2);
    bottom->addStretch();
    layout->addWidget(Panel2);
    setCentralWidget(central);

    statusBar()->setObjectName(QStringLiteral("StatusBar1"));
    statusBar()->setSizeGripEnabled(true);
    const int widths[4] = {67, 200, 150, 50};
    for (int i = 0; i < 4; ++i) {
        StatusPanels[i] = new QLabel(statusBar());
        StatusPanels[i]->setFixedWidth(widths[i]);
        StatusPanels[i]->setFrameShape(QFrame::StyledPanel);
        statusBar()->addWidget(StatusPanels[i]);
    }

    connect(Edit1, &QLineEdit::textChanged, this, [this](const QString &text) {
        if (m_clients)
            RunCommand(this, [&] { m_clients->search(text); });
    });
    connect(ComboBox1, &QComboBox::activated, this, [this](int index) {
        if (!m_clients)
            return;
        const QString text = ComboBox1->itemText(index);
        RunCommand(this, [&] { m_clients->setGroupFilter(text == kNoFilter ? QString() : text); });
    });
}

void Tfrm_Main::createActions()
{
    QMenu *menu = menuBar()->addMenu(QStringLiteral("Kartevo"));
    auto *aBezar = new QAction(QStringLiteral("Bezár"), this);
    aBezar->setObjectName(QStringLiteral("aBezar"));
    aBezar->setStatusTip(QStringLiteral("Bezár"));
    menu->addAction(aBezar);
    ConnectCommand(aBezar, this, [this] { close(); });
}

void Tfrm_Main::FormCreate()
{
    Folders folders = m_session->folders();
    ComboBox1->clear();
    try {
        const Session::OpenResult result = m_session->open();
        if (result == Session::OpenResult::MissingDatabase) {
            m_startupStopped = true;
            ShowError(QStringLiteral("Nem létező adatbázis"), this);
            return;
        }
        m_databaseOpen = true;
        m_clients = std::make_unique<ClientList>(m_session->db());
        m_model = new DataSetModel(m_clients->table(), kClientColumns, this);
        DBGrid1->setModel(m_model);
        BindGridToCursor(DBGrid1, m_model);
        connect(&m_clients->table(), &DataSet::afterScroll, this, &Tfrm_Main::updateCounter);
        connect(&m_clients->table(), &DataSet::dataReset, this, &Tfrm_Main::updateCounter);

        FillGroupFilter();
        setWindowTitle(QStringLiteral("Kartevo V%1").arg(QStringLiteral(KARTEVO_VERSION)));
        SortBy(QStringLiteral("ugyfel_nev"), QStringLiteral("ügyfél neve"));
        m_clients->table().first();
    } catch (const Error &e) {
        ShowError(e.message(), this);
    }
}

void Tfrm_Main::FillGroupFilter()
{
    const QString remembered = ComboBox1->currentText();
    ComboBox1->clear();
    ComboBox1->addItem(kNoFilter);
    if (m_databaseOpen)
        ComboBox1->addItems(ClientList::GroupNames(m_session->db()));
    const int index = ComboBox1->findText(remembered, Qt::MatchFixedString);
    ComboBox1->setCurrentIndex(index >= 0 ? index : 0);
}

void Tfrm_Main::SortBy(const QString &field, const QString &title)
{
    if (!m_clients)
        return;
    m_clients->sortBy(field, title);
    StatusPanels[2]->setText(QStringLiteral("sorrend: ") + title);
}

void Tfrm_Main::updateCounter()
{
    if (m_clients)
        StatusPanels[0]->setText(m_clients->counterText());
}

bool Tfrm_Main::event(QEvent *event)
{
    // The hint of whatever the mouse is over shows in the second status panel.
    if (event->type() == QEvent::StatusTip) {
        const QString tip = static_cast<QStatusTipEvent *>(event)->tip();
        StatusPanels[1]->setText(tip.isEmpty() ? QString() : QStringLiteral("  ") + tip);
        return true;
    }
    return QMainWindow::event(event);
}

void Tfrm_Main::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void Tfrm_Main::FormShow()
{
    const TBeall &settings = m_session->settings();
    const QRect workArea = DesktopWorkArea();
    if (settings.FullScreen) {
        move(0, 0);
        resize(workArea.x() + workArea.width(), workArea.y() + workArea.height());
    } else {
        int left = x(), top = y(), width = this->width(), height = this->height();
        LoadWindowRect(m_session->folders().IniFileName, objectName(), left, top, width, height, workArea);
        move(left, top);
        resize(width, height);
    }
    applyFontSize();
    if (g_splashEnabled)
        Tfrm_Logo::ShowSplash();
}

void Tfrm_Main::applyFontSize()
{
    QFont windowFont(QStringLiteral("Tahoma"));
    windowFont.setPointSize(m_session->settings().FontSize);
    setFont(windowFont);
    Edit1->setFont(windowFont);
}

void Tfrm_Main::closeEvent(QCloseEvent *event)
{
    if (!m_closed && !m_startupStopped)
        FormClose();
    m_closed = true;
    event->accept();
}

void Tfrm_Main::FormClose()
{
    RunCommand(this, [this] { m_session->close(); });
    m_databaseOpen = false;
    RunCommand(this, [this] {
        SaveWindowRect(m_session->folders().IniFileName, objectName(), x(), y(), width(), height());
    });
}

} // namespace kartevo
