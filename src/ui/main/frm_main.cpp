#include "ui/main/frm_main.h"

#include "core/backup.h"
#include "core/error.h"
#include "core/session.h"
#include "core/settings.h"
#include "ui/common/application.h"
#include "ui/common/datasetmodel.h"
#include "ui/common/menustyle.h"
#include "ui/common/messages.h"
#include "ui/main/clientgriddelegate.h"
#include "ui/main/frm_logo.h"
#include "ui/common/translation.h"
#include "ui/common/windowstate.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QStatusTipEvent>
#include <QTableView>

namespace kartevo {

namespace {
bool g_splashEnabled = true;
} // namespace

void Tfrm_Main::SetSplashEnabled(bool enabled) { g_splashEnabled = enabled; }

Tfrm_Main::Tfrm_Main(const Folders &folders, QWidget *parent)
    : QMainWindow(parent), m_session(std::make_unique<Session>(folders))
{
    setObjectName(QStringLiteral("frm_Main"));
    setWindowTitle(QStringLiteral("Kartevo"));
    resize(853, 630);
    // The list exists from the start; it is opened once the database is.
    m_clients = std::make_unique<ClientList>(m_session->db());
    createActions();
    createLayout();
    createMenus();
    createToolBars();
    createStatusBar();
    connectControls();
    FormCreate();
}

Tfrm_Main::~Tfrm_Main()
{
    // A splash window still fading has no parent: nothing else would delete it.
    delete m_splash;
    // The grid's model reads the client list: take it away before the list goes.
    if (DBGrid1)
        DBGrid1->setModel(nullptr);
}

QAction *Tfrm_Main::action(const QString &name) const
{
    return m_actions.value(name);
}

PrintScope Tfrm_Main::printScope() const
{
    return PrintScope(qBound(0, ComboBox2->currentIndex(), 2));
}

void Tfrm_Main::FormCreate()
{
    ComboBox1->clear();
    try {
        const Session::OpenResult result = openSession();
        if (result == Session::OpenResult::MissingDatabase) {
            m_startupStopped = true;
            ShowError(Session::MissingDatabaseText(m_session->databasePath()), this);
            return;
        }
        // Offsets of the configuration file that could not be used are told once.
        if (const QString problems = TakeCalibrationProblems(m_session->settings().calibration); !problems.isEmpty())
            ShowError(problems, this);
        FillGroupFilter();
        ComboBox1->setCurrentIndex(0);
        setWindowTitle(QStringLiteral("Kartevo V%1").arg(QStringLiteral(KARTEVO_VERSION)));
        SortBy(QStringLiteral("ugyfel_nev"), WindowTextOf(m_nameSortTitle));
        m_clients->table().first();
    } catch (const Error &e) {
        ShowError(e.message(), this);
    }
}

Session::OpenResult Tfrm_Main::openSession()
{
    Session::Options options;
    options.quickCheck = true;
    try {
        return m_session->open(options);
    } catch (const DamagedDatabase &e) {
        // The newest copy that passes the check is offered; without one, or when the user
        // declines, the damaged file is opened as it is, so what it still holds can be saved.
        const QString dataFolder = m_session->folders().DataFolder;
        const QString databasePath = m_session->databasePath();
        const std::optional<BackupInfo> copy = NewestGoodBackup(dataFolder, databasePath);
        if (!copy) {
            ShowError(e.message() + QStringLiteral("\nNincs ép biztonsági mentés, az adatbázis így nyílik meg."), this);
        } else if (AskYesNo(e.message()
                                + QStringLiteral("\nVisszaállítsam a legutóbbi ép biztonsági mentést (%1)?\n"
                                                 "A sérült fájl a mentések mappájában megmarad.")
                                      .arg(copy->time.toString(QStringLiteral("yyyy.MM.dd. HH:mm:ss"))),
                            QStringLiteral("Sérült adatbázis"), this)) {
            ReplaceDamagedDatabase(dataFolder, databasePath, copy->path);
        }
        options.quickCheck = false;
        return m_session->open(options);
    }
}

void Tfrm_Main::FillGroupFilter()
{
    const bool noFilter = ComboBox1->currentIndex() <= 0;
    const QString remembered = ComboBox1->currentText();
    QStringList entries{ClientList::NoFilterText()};
    if (m_session->db().isOpen())
        entries = ClientList::GroupFilterEntries(m_session->db());
    // The first entry as the language file has it.
    if (ComboBox1->count() > 0)
        entries[0] = ComboBox1->itemText(0);
    ComboBox1->clear();
    ComboBox1->addItems(entries);
    ComboBox1->setCurrentIndex(noFilter ? 0 : ClientList::GroupFilterIndex(entries, remembered));
}

void Tfrm_Main::SortBy(const QString &field, const QString &title)
{
    m_clients->sortBy(field, title);
    updateSortColumn();
    m_sortTitle = title;
    m_sortTitleFromGrid = false;
    showSortOrder();
}

void Tfrm_Main::showSortOrder()
{
    StatusPanels[2]->setText(WindowTextOf(m_sortText) + u' ' + m_sortTitle);
}

void Tfrm_Main::updateSortColumn()
{
    const QList<ClientColumn> &columns = ClientList::Columns();
    int sortColumn = -1;
    for (int i = 0; i < columns.size(); ++i) {
        if (columns.at(i).field == m_clients->sortField())
            sortColumn = i;
    }
    m_delegate->setSortColumn(sortColumn);
    DBGrid1->viewport()->update();
}

void Tfrm_Main::ResizeColumns()
{
    const QList<int> widths = ClientList::ColumnWidths(DBGrid1->width());
    for (int i = 0; i < widths.size(); ++i)
        DBGrid1->setColumnWidth(i, widths.at(i));
}

void Tfrm_Main::updateCounter()
{
    StatusPanels[0]->setText(m_clients->counterText());
}

void Tfrm_Main::changeEvent(QEvent *event)
{
    // A new language: the sort order is told in it, with the title of the column clicked or
    // the start's "ügyfél neve".
    if (event->type() == QEvent::LanguageChange && m_model && StatusPanels[2]) {
        const QList<ClientColumn> &columns = ClientList::Columns();
        for (int i = 0; i < columns.size() && m_sortTitleFromGrid; ++i) {
            if (columns.at(i).field == m_clients->sortField())
                m_sortTitle = m_model->headerData(i, Qt::Horizontal, Qt::DisplayRole).toString();
        }
        if (!m_sortTitleFromGrid && m_clients->sortField() == u"ugyfel_nev")
            m_sortTitle = WindowTextOf(m_nameSortTitle);
        showSortOrder();
    }
    QMainWindow::changeEvent(event);
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

bool Tfrm_Main::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == DBGrid1 && event->type() == QEvent::Resize) {
        ResizeColumns();
    } else if (watched == DBGrid1 && event->type() == QEvent::KeyPress) {
        if (DBGrid1KeyPress(static_cast<QKeyEvent *>(event)))
            return true;
    } else if (watched == Edit1 && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Down && key->modifiers() == Qt::NoModifier) {
            DBGrid1->setFocus();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void Tfrm_Main::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void Tfrm_Main::FormShow()
{
    updateSortColumn();
    TranslateOnShow(this);
    const TBeall &settings = m_session->settings();
    const QRect workArea = DesktopWorkArea();
    if (settings.FullScreen) {
        move(0, 0);
        resize(workArea.x() + workArea.width(), workArea.y() + workArea.height());
    } else {
        RestoreWindowRect(this, m_session->folders().IniFileName, workArea);
    }
    OwnerDrawMenus(this);
    applyFontSize();
    if (g_splashEnabled)
        m_splash = Tfrm_Logo::ShowSplash();
}

void Tfrm_Main::applyFontSize()
{
    QFont windowFont(QStringLiteral("Tahoma"));
    windowFont.setPointSize(m_session->settings().FontSize);
    setFont(windowFont);
    Edit1->setFont(windowFont);
    // The title keeps its own font; the rows follow the text's height.
    DBGrid1->verticalHeader()->setDefaultSectionSize(qMax(18, QFontMetrics(windowFont).height() + 4));
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
    // The closing copy, at most once a day; a failure is told and the program closes all the same.
    RunCommand(this, [this] {
        if (m_session->db().isOpen()
            && ClosingBackupDue(m_session->folders().DataFolder, m_session->databasePath()))
            WriteBackup(m_session->folders().DataFolder, m_session->databasePath(), BackupKind::Automatic,
                        BackupReason::Closing);
    });
    RunCommand(this, [this] { m_session->close(); });
    StoreWindowRect(this, m_session->folders().IniFileName);
}

} // namespace kartevo
