#include "ui/tools/frm_sql.h"

#include "core/backup.h"
#include "core/session.h"
#include "ui/common/application.h"
#include "ui/common/datasetmodel.h"
#include "ui/common/filedialogs.h"
#include "ui/common/menustyle.h"
#include "ui/common/messages.h"
#include "ui/common/translation.h"
#include "ui/exchange/frm_hatarolt.h"
#include "ui/common/windowstate.h"
#include "ui/main/clientgriddelegate.h"

#include <QAction>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QShowEvent>
#include <QTabWidget>
#include <QTableView>
#include <QToolBar>
#include <QVBoxLayout>

// QScintilla's headers use Qt's plain keywords, which the build switches off.
#define signals Q_SIGNALS
#define slots Q_SLOTS
#include <Qsci/qscilexersql.h>
#include <Qsci/qsciscintilla.h>
#undef signals
#undef slots

namespace kartevo {

namespace {

SqlExportHandler &ExportHandler()
{
    static SqlExportHandler handler;
    return handler;
}

FileDialogOptions SqlFileDialog(const Session &session, const QString &title, const QString &filter)
{
    return {title, session.folders().DataFolder + QStringLiteral("/SQL"), filter, QStringLiteral("sql"), {}};
}

} // namespace

void SetSqlExportHandler(SqlExportHandler handler)
{
    ExportHandler() = std::move(handler);
}

Tfrm_SQL::Tfrm_SQL(QWidget *owner, Session &session)
    : QDialog(owner), m_session(session), m_console(session.db())
{
    setObjectName(QStringLiteral("frm_SQL"));
    setWindowTitle(QStringLiteral("SQL lekérdezés"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    setSizeGripEnabled(true);
    resize(672, 549);
    createActions();
    createLayout();
}

Tfrm_SQL::~Tfrm_SQL()
{
    // The grid's model reads the query: take it away before the query goes.
    DBGrid1->setModel(nullptr);
}

void Tfrm_SQL::createActions()
{
    auto make = [this](const char *name, const QString &caption, const QString &hint, const QKeySequence &key) {
        auto *action = new QAction(caption, this);
        action->setObjectName(QLatin1String(name));
        action->setToolTip(hint);
        action->setStatusTip(hint);
        if (!key.isEmpty())
            action->setShortcut(key);
        addAction(action);
        return action;
    };
    aUj = make("aUj", QStringLiteral("Új SQL file"), QStringLiteral("Új SQL"), QKeySequence(Qt::CTRL | Qt::Key_N));
    aMegnyit = make("aMegnyit", QStringLiteral("Megnyit"), QStringLiteral("SQL megnyitása"),
                    QKeySequence(Qt::CTRL | Qt::Key_O));
    aMent = make("aMent", QStringLiteral("Mentés"), QStringLiteral("SQL mentése"), QKeySequence(Qt::CTRL | Qt::Key_S));
    aExport = make("aExport", QStringLiteral("Export"), QStringLiteral("Export"), QKeySequence(Qt::CTRL | Qt::Key_E));
    aBezar = make("aBezar", QStringLiteral("Bezár"), QStringLiteral("Bezár"), {});
    aFuttat = make("aFuttat", QStringLiteral("Futtat"), QStringLiteral("SQL lekérdezés"), QKeySequence(Qt::Key_F5));
    aExport->setEnabled(false);

    ConnectCommand(aUj, this, [this] { Memo1->clear(); });
    ConnectCommand(aMegnyit, this, [this] { aMegnyitExecute(); });
    ConnectCommand(aMent, this, [this] { aMentExecute(); });
    ConnectCommand(aExport, this, [this] { aExportExecute(); });
    ConnectCommand(aBezar, this, [this] { reject(); });
    ConnectCommand(aFuttat, this, [this] { aFuttatExecute(); });
}

void Tfrm_SQL::createLayout()
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    MainMenu1 = new QMenuBar(this);
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    QMenu *file = MainMenu1->addMenu(QStringLiteral("Fájl"));
    file->setObjectName(QStringLiteral("mnFajl"));
    file->addActions({aUj, aMegnyit, aMent});
    file->addSeparator();
    file->addAction(aExport);
    file->addSeparator();
    file->addAction(aBezar);
    QMenu *sql = MainMenu1->addMenu(QStringLiteral("SQL"));
    sql->setObjectName(QStringLiteral("mnSQL"));
    sql->addAction(aFuttat);
    layout->setMenuBar(MainMenu1);

    ToolBar1 = new QToolBar(this);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setToolButtonStyle(Qt::ToolButtonTextOnly);
    ToolBar1->setMovable(false);
    ToolBar1->addActions({aUj, aMegnyit, aMent});
    ToolBar1->addSeparator();
    ToolBar1->addAction(aExport);
    ToolBar1->addSeparator();
    ToolBar1->addAction(aFuttat);
    ToolBar1->addSeparator();
    ToolBar1->addAction(aBezar);
    layout->addWidget(ToolBar1);

    Pg1 = new QTabWidget(this);
    Pg1->setObjectName(QStringLiteral("Pg1"));
    tsSQL = new QWidget(Pg1);
    tsSQL->setObjectName(QStringLiteral("tsSQL"));
    tsEredmeny = new QWidget(Pg1);
    tsEredmeny->setObjectName(QStringLiteral("tsEredmeny"));
    Pg1->addTab(tsSQL, QStringLiteral("SQL"));
    Pg1->addTab(tsEredmeny, QStringLiteral("Eredmény"));
    layout->addWidget(Pg1, 1);

    createEditor();
    auto *sqlLayout = new QVBoxLayout(tsSQL);
    sqlLayout->setContentsMargins(0, 0, 0, 0);
    sqlLayout->addWidget(Memo1);

    DBGrid1 = NewDataGrid(tsEredmeny);
    DBGrid1->horizontalHeader()->setSectionsClickable(false);
    auto *resultLayout = new QVBoxLayout(tsEredmeny);
    resultLayout->setContentsMargins(0, 0, 0, 0);
    resultLayout->addWidget(DBGrid1);
    PopupMenu2 = new QMenu(this);
    PopupMenu2->setObjectName(QStringLiteral("PopupMenu2"));
    PopupMenu2->addAction(aExport);
    DBGrid1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(DBGrid1, &QWidget::customContextMenuRequested, this, [this](const QPoint &pos) {
        if (aExport->isVisible())
            PopupMenu2->popup(DBGrid1->viewport()->mapToGlobal(pos));
    });

    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setFixedHeight(16);
    ProgressBar1->hide();
    btnLeallit = new QPushButton(QStringLiteral("Leállít"), this);
    btnLeallit->setObjectName(QStringLiteral("btnLeallit"));
    btnLeallit->hide();
    connect(btnLeallit, &QPushButton::clicked, this, [this] { m_stopRequested = true; });
    auto *progressRow = new QHBoxLayout;
    progressRow->addWidget(ProgressBar1, 1);
    progressRow->addWidget(btnLeallit);
    layout->addLayout(progressRow);
}

void Tfrm_SQL::createEditor()
{
    Memo1 = new QsciScintilla(tsSQL);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setUtf8(true);
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::TypeWriter);
    font.setPointSize(10); // the editor takes a font by points: one set in pixels reads as size -1
    auto *lexer = new QsciLexerSQL(Memo1);
    lexer->setDefaultFont(font);
    lexer->setFont(font, -1);
    const QColor green(0, 128, 0);
    for (int style : {QsciLexerSQL::Comment, QsciLexerSQL::CommentLine, QsciLexerSQL::CommentDoc,
                      QsciLexerSQL::CommentLineHash, QsciLexerSQL::CommentDocKeyword})
        lexer->setColor(green, style);
    lexer->setColor(QColor(0, 0, 255), QsciLexerSQL::Number);
    lexer->setColor(QColor(255, 0, 0), QsciLexerSQL::SingleQuotedString);
    lexer->setColor(QColor(255, 0, 0), QsciLexerSQL::DoubleQuotedString);
    Memo1->setLexer(lexer);
    // Line numbers in a gutter three digits wide.
    Memo1->setMarginsFont(font);
    Memo1->setMarginType(0, QsciScintilla::NumberMargin);
    Memo1->setMarginLineNumbers(0, true);
    Memo1->setMarginWidth(0, QStringLiteral("000"));
    Memo1->setMarginWidth(1, 0);
    Memo1->setCaretLineVisible(true);
    Memo1->setCaretLineBackgroundColor(QColor(225, 240, 255));
    Memo1->setSelectionBackgroundColor(QColor(192, 192, 192));
    Memo1->resetSelectionForegroundColor();

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    PopupMenu1->addAction(aFuttat);
    PopupMenu1->addSeparator();
    PopupMenu1->addActions({aUj, aMegnyit, aMent});
    Memo1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(Memo1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &pos) { PopupMenu1->popup(Memo1->mapToGlobal(pos)); });
}

void Tfrm_SQL::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    TranslateOnShow(this);
    RestoreWindowRect(this, m_session.folders().IniFileName, m_session.folders().WorkArea);
    Memo1->setFocus(Qt::OtherFocusReason);
    OwnerDrawMenus(this);
    ApplyFontSize(this, m_session.settings().FontSize);
}

void Tfrm_SQL::reject()
{
    if (m_running) {
        m_stopRequested = true;
        return;
    }
    QDialog::reject();
}

SqlConsole::Outcome Tfrm_SQL::runWatched(const std::function<SqlConsole::Outcome()> &command)
{
    m_running = true;
    m_stopRequested = false;
    const QList<QWidget *> busy = {MainMenu1, ToolBar1, Pg1};
    for (QWidget *widget : busy)
        widget->setEnabled(false);
    btnLeallit->show();
    QElapsedTimer sinceEvents;
    sinceEvents.start();
    m_console.setKeepGoing([this, &sinceEvents] {
        if (sinceEvents.elapsed() >= 50) {
            QCoreApplication::processEvents();
            sinceEvents.restart();
        }
        return !m_stopRequested;
    });
    struct Done {
        Tfrm_SQL &window;
        const QList<QWidget *> &busy;
        ~Done()
        {
            window.m_console.setKeepGoing({});
            for (QWidget *widget : busy)
                widget->setEnabled(true);
            window.btnLeallit->hide();
            window.m_running = false;
        }
    } done{*this, busy};
    return command();
}

void Tfrm_SQL::done(int result)
{
    StoreWindowRect(this, m_session.folders().IniFileName);
    showResult(false);
    m_console.close();
    QDialog::done(result);
}

void Tfrm_SQL::aMegnyitExecute()
{
    const QString file = ChooseOpenFile(
        this, SqlFileDialog(m_session, QStringLiteral("SQL megnyitás"), QStringLiteral("SQL állományok (*.sql)")));
    if (file.isEmpty())
        return;
    Memo1->setText(ReadSqlFile(file));
    m_fileName = file;
}

void Tfrm_SQL::aMentExecute()
{
    FileDialogOptions options =
        SqlFileDialog(m_session, QStringLiteral("SQL mentése"), QStringLiteral("SQL file-ok (*.sql)"));
    options.fileName = m_fileName;
    const QString file = ChooseSaveFile(this, options);
    if (file.isEmpty())
        return;
    WriteSqlFile(file, Memo1->text());
    m_fileName = file;
}

void Tfrm_SQL::aExportExecute()
{
    if (!m_console.query().isOpen())
        return;
    if (ExportHandler())
        ExportHandler()(this, m_console.query());
    else
        ShowExport(this, m_session, m_console.query());
}

// Shows the query's rows in the result grid, or takes them away before the query closes.
void Tfrm_SQL::showResult(bool open)
{
    DBGrid1->setModel(nullptr);
    delete m_model;
    m_model = nullptr;
    aExport->setEnabled(open);
    if (!open)
        return;
    QList<GridColumn> columns;
    for (const QString &field : m_console.query().fieldNames())
        columns.append({field, field});
    m_model = new DataSetModel(m_console.query(), columns, this);
    DBGrid1->setModel(m_model);
    BindGridToCursor(DBGrid1, m_model);
    for (int column = 0; column < columns.size(); ++column)
        DBGrid1->setColumnWidth(column, 64);
}

void Tfrm_SQL::aFuttatExecute()
{
    showResult(false);
    const QString text = Memo1->hasSelectedText() ? Memo1->selectedText() : Memo1->text();
    if (IsSelectText(text)) {
        const SqlConsole::Outcome outcome = runWatched([&] { return m_console.runQuery(text); });
        if (!outcome.ok) {
            ShowError(outcome.message, this);
            return;
        }
        showResult(true);
        Pg1->setCurrentWidget(tsEredmeny);
        return;
    }
    MakeAutomaticBackup(m_session, BackupReason::SqlScript);
    ProgressBar1->setValue(0);
    ProgressBar1->show();
    const SqlConsole::Outcome outcome = runWatched([&] {
        return m_console.runScript(text, [this](int done, int total) {
            ProgressBar1->setMaximum(qMax(total, 1));
            ProgressBar1->setValue(done);
            QCoreApplication::processEvents(); // only "Leállít" and Escape do anything meanwhile
        });
    });
    if (!outcome.ok) {
        ShowError(outcome.message, this); // the bar stays where the script stopped
        return;
    }
    ShowInfo(outcome.message, this);
    ProgressBar1->hide();
}

void ShowSqlConsole(QWidget *owner, Session &session)
{
    Tfrm_SQL window(owner, session);
    window.exec();
}

} // namespace kartevo
