#include "ui/tools/frm_programok.h"

#include "core/folders.h"
#include "core/helpers.h"
#include "core/session.h"
#include "masterdata/masterdata.h"
#include "ui/common/application.h"
#include "ui/common/datasetmodel.h"
#include "ui/common/focuscolor.h"
#include "ui/common/menustyle.h"
#include "ui/common/messages.h"
#include "ui/common/windowstate.h"
#include "ui/main/clientgriddelegate.h"
#include "ui/tools/catalogfetch.h"

#include <QAction>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QShowEvent>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QToolBar>
#include <QVBoxLayout>

namespace kartevo {

namespace {

const QColor FreeRowColor{191, 255, 191};
constexpr int FreeColumn = 3;
constexpr int ExpectedCatalogSize = 227009; // bytes: the progress bar's first maximum

// The two small pictures of the free column: a green disc with a tick for free programs, a
// grey disc for the others.
QPixmap FreePicture(bool free)
{
    QPixmap picture(12, 12);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(free ? QColor(0, 150, 0) : QColor(150, 150, 150));
    painter.drawEllipse(QRectF(0.5, 0.5, 11, 11));
    if (free) {
        painter.setPen(QPen(Qt::white, 1.8));
        painter.drawPolyline(QPolygonF({{3, 6}, {5.2, 8.5}, {9, 3.5}}));
    }
    return picture;
}

// Shown in the picture frame when a program has no picture.
QPixmap PlaceholderPicture()
{
    QPixmap picture(250, 167);
    picture.fill(QColor(236, 236, 236));
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(180, 180, 180), 3));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRect(75, 43, 100, 80));
    painter.drawEllipse(QRect(95, 58, 22, 22));
    painter.drawPolyline(QPolygon({{80, 118}, {115, 90}, {135, 105}, {150, 92}, {170, 118}}));
    return picture;
}

} // namespace

// Paints the catalog grid: free programs on light green, the search column in the sort colour,
// and a picture instead of the letter in the free column.
class CatalogGridDelegate final : public QStyledItemDelegate {
public:
    CatalogGridDelegate(const CatalogTable &table, QObject *parent)
        : QStyledItemDelegate(parent), m_table(table), m_free(FreePicture(true)), m_other(FreePicture(false))
    {
    }

    int sortColumn = 0;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::paint(painter, option, index);
        if (index.column() != FreeColumn)
            return;
        const QPixmap &picture = m_table.isFreeRow(index.row()) ? m_free : m_other;
        painter->drawPixmap(option.rect.left() + 20, option.rect.center().y() - picture.height() / 2, picture);
    }

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        if (index.column() == sortColumn)
            option->backgroundBrush = SortColumnColor;
        else if (m_table.isFreeRow(index.row()))
            option->backgroundBrush = FreeRowColor;
        if (index.column() == FreeColumn)
            option->text.clear();
    }

private:
    const CatalogTable &m_table;
    QPixmap m_free;
    QPixmap m_other;
};

Tfrm_Programok::Tfrm_Programok(QWidget *owner, Session &session)
    : QDialog(owner), m_session(session), m_searchField(QStringLiteral("programok_nev"))
{
    setObjectName(QStringLiteral("frm_Programok"));
    setWindowTitle(QStringLiteral("További programok"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    setSizeGripEnabled(true);
    resize(678, 560);
    EnsureCatalogFile(session.folders());
    m_table.setRows(ReadCatalogFile(CatalogFileName(session.folders())));
    m_table.sortBy(m_searchField);
    m_table.first();
    createActions();
    createLayout();
    showCurrentRow();
}

Tfrm_Programok::~Tfrm_Programok()
{
    DBGrid1->setModel(nullptr);
}

void Tfrm_Programok::createActions()
{
    auto make = [this](const char *name, const QString &caption, const QList<QKeySequence> &keys) {
        auto *action = new QAction(caption, this);
        action->setObjectName(QLatin1String(name));
        action->setToolTip(caption);
        action->setStatusTip(caption);
        action->setShortcuts(keys);
        addAction(action);
        return action;
    };
    aMegnezem = make("aMegnezem", QStringLiteral("Megnézem..."),
                     {QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)});
    aLetolt = make("aLetolt", QStringLiteral("Letöltöm..."), {QKeySequence(Qt::Key_F4)});
    aFrissit = make("aFrissit", QStringLiteral("Lista frissítés"), {QKeySequence(Qt::Key_F5)});
    aBezar = make("aBezar", QStringLiteral("Bezár"), {QKeySequence(Qt::Key_Escape)});
    ConnectCommand(aMegnezem, this, [this] { openLink(QStringLiteral("link")); });
    ConnectCommand(aLetolt, this, [this] { openLink(QStringLiteral("letoltlink")); });
    ConnectCommand(aFrissit, this, [this] { aFrissitExecute(); });
    ConnectCommand(aBezar, this, [this] { reject(); });
}

void Tfrm_Programok::createLayout()
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    ToolBar1 = new QToolBar(this);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setToolButtonStyle(Qt::ToolButtonTextOnly);
    ToolBar1->setMovable(false);
    ToolBar1->addActions({aMegnezem, aLetolt});
    ToolBar1->addSeparator();
    ToolBar1->addAction(aFrissit);
    ToolBar1->addSeparator();
    ToolBar1->addAction(aBezar);
    layout->addWidget(ToolBar1);

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedHeight(31);
    Panel1->setFrameShape(QFrame::StyledPanel);
    Panel1->setFrameShadow(QFrame::Raised);
    auto *panelLayout = new QHBoxLayout(Panel1);
    panelLayout->setContentsMargins(8, 0, 0, 0);
    Edit1 = new QLineEdit(Panel1);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setFixedWidth(121);
    InstallFocusColor(Edit1);
    Edit1->installEventFilter(this);
    panelLayout->addWidget(Edit1);
    Title = new QLabel(QStringLiteral("Pelmar programjai  "), Panel1);
    Title->setObjectName(QStringLiteral("Title"));
    Title->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    QFont titleFont(QStringLiteral("Arial"));
    titleFont.setBold(true);
    titleFont.setPixelSize(15);
    Title->setFont(titleFont);
    panelLayout->addWidget(Title, 1);
    layout->addWidget(Panel1);

    DBGrid1 = NewDataGrid(this);
    DBGrid1->installEventFilter(this);
    m_model = new DataSetModel(m_table,
                               {{QStringLiteral("programok_nev"), QStringLiteral("program neve")},
                                {QStringLiteral("leiras"), QStringLiteral("leírás")},
                                {QStringLiteral("kategoria"), QStringLiteral("kategória")},
                                {QStringLiteral("ingyenes"), QStringLiteral("ingyenes?")}},
                               this);
    DBGrid1->setModel(m_model);
    BindGridToCursor(DBGrid1, m_model);
    m_delegate = new CatalogGridDelegate(m_table, this);
    DBGrid1->setItemDelegate(m_delegate);
    // The last column as wide as its title.
    const int widths[] = {125, 175, 150, 70};
    for (int column = 0; column < 4; ++column)
        DBGrid1->setColumnWidth(column, widths[column]);
    layout->addWidget(DBGrid1, 1);

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    PopupMenu1->addActions({aMegnezem, aLetolt});
    PopupMenu1->addSeparator();
    PopupMenu1->addAction(aBezar);
    DBGrid1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(DBGrid1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &pos) { PopupMenu1->popup(DBGrid1->viewport()->mapToGlobal(pos)); });
    connect(DBGrid1, &QAbstractItemView::doubleClicked, aMegnezem, &QAction::trigger);
    connect(DBGrid1->horizontalHeader(), &QHeaderView::sectionClicked, this,
            [this](int column) { RunCommand(this, [&] { sortByColumn(column); }); });

    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setFixedHeight(16);
    ProgressBar1->hide();
    btnMegsem = new QPushButton(QStringLiteral("Mégsem"), this);
    btnMegsem->setObjectName(QStringLiteral("btnMegsem"));
    btnMegsem->hide();
    connect(btnMegsem, &QPushButton::clicked, this, [this] {
        if (m_cancelFetch)
            m_cancelFetch();
    });
    auto *progressRow = new QHBoxLayout;
    progressRow->addWidget(ProgressBar1, 1);
    progressRow->addWidget(btnMegsem);
    layout->addLayout(progressRow);

    createLinksPanel();
    layout->addWidget(Panel2);

    connect(Edit1, &QLineEdit::textChanged, this, [this](const QString &text) {
        try { // errors of the search are ignored
            SetWarningColor(Edit1, !SearchList(m_table, m_searchField, text));
        } catch (...) {
        }
    });
    connect(&m_table, &DataSet::afterScroll, this, &Tfrm_Programok::showCurrentRow);
    connect(&m_table, &DataSet::dataReset, this, &Tfrm_Programok::showCurrentRow);
}

void Tfrm_Programok::createLinksPanel()
{
    Panel2 = new QFrame(this);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setFixedHeight(267);
    auto *layout = new QHBoxLayout(Panel2);
    layout->setContentsMargins(8, 6, 8, 6);
    auto *left = new QVBoxLayout;
    auto link = [this, left](const QString &caption, QLabel *&label, const char *name) {
        left->addWidget(new QLabel(caption, Panel2));
        label = new QLabel(Panel2);
        label->setObjectName(QLatin1String(name));
        label->setTextFormat(Qt::PlainText); // the catalog's text, never its markup
        QFont font = label->font();
        font.setUnderline(true);
        label->setFont(font);
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, Qt::blue);
        label->setPalette(palette);
        label->setCursor(Qt::PointingHandCursor);
        label->installEventFilter(this);
        left->addWidget(label);
    };
    link(QStringLiteral("A program honlapja"), LinkHonlap, "LinkHonlap");
    link(QStringLiteral("Letöltés link"), LinkLetolt, "LinkLetolt");
    Image1 = new QLabel(Panel2);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setFixedSize(250, 167);
    Image1->setAlignment(Qt::AlignCenter);
    left->addWidget(Image1);
    left->addStretch(1);
    layout->addLayout(left, 1);
    DBMemo1 = new QPlainTextEdit(Panel2);
    DBMemo1->setObjectName(QStringLiteral("DBMemo1"));
    DBMemo1->setReadOnly(true);
    DBMemo1->setFixedWidth(372);
    layout->addWidget(DBMemo1);
}

void Tfrm_Programok::showCurrentRow()
{
    const bool any = m_table.currentRow() >= 0;
    LinkHonlap->setText(any ? m_table.asString(QStringLiteral("link")) : QString());
    LinkLetolt->setText(any ? m_table.asString(QStringLiteral("letoltlink")) : QString());
    DBMemo1->setPlainText(any ? m_table.asString(QStringLiteral("leiras")) : QString());
    const QImage picture = m_table.picture();
    Image1->setPixmap(picture.isNull() ? PlaceholderPicture()
                                       : QPixmap::fromImage(picture.scaled(Image1->size(), Qt::KeepAspectRatio,
                                                                           Qt::SmoothTransformation)));
}

void Tfrm_Programok::openLink(const QString &field)
{
    if (m_table.currentRow() < 0)
        return;
    const QString link = m_table.asString(field).trimmed();
    if (link.isEmpty())
        return;
    if (!IsCatalogLinkAllowed(link))
        throw Error(QStringLiteral("Ez a cím nem nyitható meg: %1").arg(link));
    ShellOpen(link, {});
}

void Tfrm_Programok::sortByColumn(int column)
{
    const QList<GridColumn> &columns = m_model->columns();
    if (column < 0 || column >= columns.size())
        return;
    m_searchField = columns.at(column).field;
    m_table.sortBy(m_searchField);
    m_delegate->sortColumn = column;
    DBGrid1->viewport()->update();
    Edit1->setFocus(Qt::OtherFocusReason);
    Edit1->selectAll(); // the next letter starts a new search
}

void Tfrm_Programok::aFrissitExecute()
{
    if (m_cancelFetch)
        return; // a refresh is running already
    // The old catalog stays in the window and in its file until a download has fully succeeded.
    CatalogUpdate update(CatalogFileName(m_session.folders())); // "File létrehozási hiba"
    ProgressBar1->setRange(0, ExpectedCatalogSize);
    ProgressBar1->setValue(0);
    ProgressBar1->show();
    btnMegsem->show();
    // The window answers meanwhile, but only its "Mégsem" (or Escape, or closing it) does anything.
    const QList<QWidget *> busy = {ToolBar1, Panel1, DBGrid1, Panel2};
    for (QWidget *widget : busy)
        widget->setEnabled(false);
    btnMegsem->setFocus(Qt::OtherFocusReason);
    FetchControl control;
    control.deadlineMs = m_fetchDeadlineMs;
    control.cancel = &m_cancelFetch;
    const FetchResult result = FetchCatalog(QUrl(CatalogUrl()), update, [this](qint64 received) {
        if (received > ProgressBar1->maximum())
            ProgressBar1->setMaximum(int(qMin<qint64>(received, CatalogSizeLimit)));
        ProgressBar1->setValue(int(received));
    }, control);
    for (QWidget *widget : busy)
        widget->setEnabled(true);
    ProgressBar1->setValue(0);
    ProgressBar1->hide();
    btnMegsem->hide();
    DBGrid1->setFocus(Qt::OtherFocusReason);
    if (result == FetchResult::Cancelled)
        return;
    if (result == FetchResult::TooLarge)
        throw Error(CatalogTooLargeText());
    if (result == FetchResult::Failed)
        throw Error(control.reason.isEmpty() ? CatalogDownloadErrorText() : control.reason);
    const QList<CatalogRow> rows = update.finish();
    m_table.setRows(rows); // in the file's order until a title is clicked
    ShowInfo(CatalogRefreshedText(), this);
}

void Tfrm_Programok::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    RestoreWindowRect(this, m_session.folders().IniFileName, m_session.folders().WorkArea);
    ApplyFontSize(this, m_session.settings().FontSize);
    QFont searchFont = Edit1->font();
    searchFont.setPointSize(m_session.settings().FontSize);
    Edit1->setFont(searchFont);
    OwnerDrawMenus(this);
    resizeColumns();
    DBGrid1->setFocus(Qt::OtherFocusReason);
}

void Tfrm_Programok::done(int result)
{
    // Closing the window (Escape, its close box, the end of the program) stops a refresh.
    if (m_cancelFetch)
        m_cancelFetch();
    StoreWindowRect(this, m_session.folders().IniFileName);
    QDialog::done(result);
}

void Tfrm_Programok::resizeColumns()
{
    const QList<int> widths = ListColumnWidths({0.2, 0.6, 0.2}, DBGrid1->width(), 110);
    for (int column = 0; column < widths.size(); ++column)
        DBGrid1->setColumnWidth(column, qMax(widths.at(column), 8));
}

void Tfrm_Programok::startSearchWith(QChar c)
{
    Edit1->setFocus(Qt::OtherFocusReason);
    Edit1->setText(QString(c));
    Edit1->setCursorPosition(1);
}

bool Tfrm_Programok::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Edit1 && event->type() == QEvent::KeyPress) {
        if (static_cast<QKeyEvent *>(event)->key() == Qt::Key_Down) {
            DBGrid1->setFocus(Qt::OtherFocusReason);
            return true;
        }
    } else if (watched == DBGrid1) {
        if (event->type() == QEvent::Resize) {
            resizeColumns();
        } else if (event->type() == QEvent::KeyPress) {
            const QString text = static_cast<QKeyEvent *>(event)->text();
            if (text.size() == 1) {
                if (const std::optional<QChar> c = SearchStartChar(text.front())) {
                    startSearchWith(*c);
                    return true;
                }
            }
        }
    } else if ((watched == LinkHonlap || watched == LinkLetolt) && event->type() == QEvent::MouseButtonRelease
               && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        (watched == LinkHonlap ? aMegnezem : aLetolt)->trigger();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void ShowProgramCatalog(QWidget *owner, Session &session)
{
    Tfrm_Programok window(owner, session);
    window.exec();
}

} // namespace kartevo
