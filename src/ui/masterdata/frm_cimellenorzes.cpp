#include "ui/masterdata/frm_cimellenorzes.h"

#include "core/error.h"
#include "core/folders.h"
#include "core/schema.h"
#include "core/session.h"
#include "core/settings.h"
#include "core/tableview.h"
#include "ui/common/application.h"
#include "ui/common/datasetmodel.h"
#include "ui/common/menustyle.h"
#include "ui/common/resources.h"
#include "ui/common/translation.h"
#include "ui/common/windowstate.h"
#include "ui/exchange/frm_hatarolt.h"
#include "ui/main/clientgriddelegate.h"
#include "ui/masterdata/frm_szerkeszt.h"

#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QIcon>
#include <QProgressBar>
#include <QShowEvent>
#include <QStatusBar>
#include <QTableView>
#include <QToolBar>
#include <QVBoxLayout>

namespace kartevo {

namespace {

QIcon CheckIcon(const char *name)
{
    EnsureResources();
    return QIcon(QStringLiteral(":/kartevo/icons/%1.svg").arg(QLatin1String(name)));
}

} // namespace

Tfrm_Cimellenorzes::Tfrm_Cimellenorzes(QWidget *owner, Session &session)
    : QDialog(owner), m_session(session)
{
    setObjectName(QStringLiteral("frm_Cimellenorzes"));
    setWindowTitle(QStringLiteral("Címellenőrzés"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setSizeGripEnabled(true);
    QFont base(QStringLiteral("Tahoma"));
    base.setPointSize(8);
    setFont(base);
    resize(760, 420);

    const auto make = [this](QAction *&action, const char *name, const QString &text, const QKeySequence &key,
                             const char *icon) {
        action = new QAction(CheckIcon(icon), text, this);
        action->setObjectName(QLatin1String(name));
        if (!key.isEmpty())
            action->setShortcut(key);
        addAction(action);
    };
    make(aSzerkeszt, "aSzerkeszt", QStringLiteral("Szerkeszt"), QKeySequence(Qt::Key_F2), "szerkeszt");
    aSzerkeszt->setShortcuts({QKeySequence(Qt::Key_F2), QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)});
    // Kijelöl and Export have the keys of the main window's marking and export, so that the
    // keyboard reaches them too (the tool bar's buttons take no focus).
    make(aKijelol, "aKijelol", QStringLiteral("Kijelöl"), QKeySequence(Qt::CTRL | Qt::Key_M), "jelolmind");
    aKijelol->setToolTip(QStringLiteral("A listázott ügyfelek megjelölése nyomtatásra"));
    make(aExport, "aExport", QStringLiteral("Export"), QKeySequence(Qt::CTRL | Qt::Key_E), "excelbe");
    aExport->setToolTip(QStringLiteral("A megállapítások exportja"));
    make(aBezar, "aBezar", QStringLiteral("Bezár"), QKeySequence(Qt::Key_Escape), "bezar");
    ConnectCommand(aSzerkeszt, this, [this] { editCurrent(); });
    ConnectCommand(aKijelol, this, [this] { markListed(); });
    ConnectCommand(aExport, this, [this] { exportFindings(); });
    ConnectCommand(aBezar, this, [this] { reject(); });

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    ToolBar1 = new QToolBar(this);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    for (QAction *action : {aSzerkeszt, aKijelol, aExport, aBezar})
        ToolBar1->addAction(action);
    layout->addWidget(ToolBar1);

    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    layout->addWidget(ProgressBar1);

    DBGrid1 = NewDataGrid(this);
    DBGrid1->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    layout->addWidget(DBGrid1, 1);
    const QHash<QString, QString> titles = FindingTable::ColumnTitles();
    QList<GridColumn> columns;
    for (const char *field : {"ugyfel", "ugyfel_nev", "cim_irsz", "cim_varos", "cim_cim", "megallapitas"})
        columns.append({QLatin1String(field), titles.value(QLatin1String(field))});
    m_model = new DataSetModel(m_findings, columns, this);
    DBGrid1->setModel(m_model);
    BindGridToCursor(DBGrid1, m_model);
    const int widths[] = {45, 170, 60, 100, 150, 210};
    for (int i = 0; i < int(std::size(widths)); ++i)
        DBGrid1->setColumnWidth(i, widths[i]);
    connect(DBGrid1, &QAbstractItemView::doubleClicked, aSzerkeszt, &QAction::trigger);
    connect(DBGrid1->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int column) {
        RunCommand(this, [&] { m_findings.sortBy(m_model->columns().at(column).field); });
    });

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    layout->addWidget(StatusBar1);
}

Tfrm_Cimellenorzes::~Tfrm_Cimellenorzes()
{
    // The grid's model reads the findings: take it away before they go.
    DBGrid1->setModel(nullptr);
}

void Tfrm_Cimellenorzes::runCheck()
{
    const AddressFinding *current = m_findings.currentFinding();
    const qint64 client = current ? current->client : 0;
    ProgressBar1->setRange(0, 1);
    ProgressBar1->setValue(0);
    const QList<AddressFinding> found =
        CheckAddresses(m_session.db(), CheckScope::Everything, [this](int done, int total) {
            ProgressBar1->setRange(0, qMax(total, 1));
            ProgressBar1->setValue(done);
            QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        });
    m_findings.setFindings(found);
    // Near the client it was on: that client's first finding, or the first one after it.
    for (int row = 0; client != 0 && row < m_findings.recordCount(); ++row) {
        if (m_findings.cell(row, 0).toLongLong() >= client) {
            m_findings.moveTo(row);
            break;
        }
    }
    QSet<qint64> clients;
    for (const AddressFinding &finding : found)
        clients.insert(finding.client);
    StatusBar1->showMessage(QStringLiteral("%1 megállapítás, %2 ügyfél").arg(found.size()).arg(clients.size()));
    const bool any = !found.isEmpty();
    aSzerkeszt->setEnabled(any);
    aKijelol->setEnabled(any);
    aExport->setEnabled(any);
}

void Tfrm_Cimellenorzes::editCurrent()
{
    const AddressFinding *finding = m_findings.currentFinding();
    if (!finding)
        return;
    TableView clients(m_session.db(), QStringLiteral("ugyfel"));
    clients.beforePost = [](TableView &view) { ApplyClientWriteRule(view); };
    clients.setFilter(QStringLiteral("ugyfel = %1").arg(finding->client));
    clients.open();
    if (clients.recordCount() == 0)
        throw Error(QStringLiteral("Ez az ügyfél már nincs meg: %1.").arg(finding->client));
    if (EditClient(this, m_session, clients, false))
        runCheck();
}

void Tfrm_Cimellenorzes::markListed()
{
    MarkFoundClients(m_session.db(), m_findings.findings());
    StatusBar1->showMessage(QStringLiteral("A listázott ügyfelek megjelölve nyomtatásra."));
}

void Tfrm_Cimellenorzes::exportFindings()
{
    ShowExport(this, m_session, m_findings, FindingTable::ColumnTitles());
}

void Tfrm_Cimellenorzes::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    TranslateOnShow(this);
    RestoreWindowRect(this, m_session.folders().IniFileName, m_session.folders().WorkArea);
    OwnerDrawMenus(this);
    ApplyFontSize(this, m_session.settings().FontSize);
    DBGrid1->setFocus(Qt::OtherFocusReason);
}

void Tfrm_Cimellenorzes::done(int result)
{
    StoreWindowRect(this, m_session.folders().IniFileName);
    QDialog::done(result);
}

void ShowCimellenorzes(QWidget *owner, Session &session)
{
    Tfrm_Cimellenorzes window(owner, session);
    window.show();
    window.runCheck();
    window.exec();
}

} // namespace kartevo
