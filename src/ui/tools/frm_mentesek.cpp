#include "ui/tools/frm_mentesek.h"

#include "core/backup.h"
#include "core/session.h"
#include "core/settings.h"
#include "ui/common/application.h"
#include "ui/common/datasetmodel.h"
#include "ui/common/menustyle.h"
#include "ui/common/messages.h"
#include "ui/common/resources.h"
#include "ui/common/translation.h"
#include "ui/common/windowstate.h"
#include "ui/main/clientgriddelegate.h"

#include <QAction>
#include <QFileInfo>
#include <QHeaderView>
#include <QIcon>
#include <QShowEvent>
#include <QStatusBar>
#include <QTableView>
#include <QToolBar>
#include <QVBoxLayout>

namespace kartevo {

Tfrm_Mentesek::Tfrm_Mentesek(QWidget *owner, Session &session) : QDialog(owner), m_session(session)
{
    setObjectName(QStringLiteral("frm_Mentesek"));
    setWindowTitle(QStringLiteral("Biztonsági mentések"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setSizeGripEnabled(true);
    QFont base(QStringLiteral("Tahoma"));
    base.setPointSize(8);
    setFont(base);
    resize(700, 380);

    EnsureResources();
    const auto make = [this](QAction *&action, const char *name, const QString &text, const QString &hint,
                             const QKeySequence &key, const char *icon) {
        action = new QAction(QIcon(QStringLiteral(":/kartevo/icons/%1.svg").arg(QLatin1String(icon))), text, this);
        action->setObjectName(QLatin1String(name));
        action->setToolTip(hint);
        action->setStatusTip(hint);
        if (!key.isEmpty())
            action->setShortcut(key);
        addAction(action);
    };
    make(aMentes, "aMentes", QStringLiteral("Mentés most"), QStringLiteral("Biztonsági mentés készítése most"),
         QKeySequence(Qt::Key_Insert), "uj");
    make(aVisszaallit, "aVisszaallit", QStringLiteral("Visszaállítás"),
         QStringLiteral("A kiválasztott mentés visszaállítása"), QKeySequence(Qt::Key_F2), "szerkeszt");
    aVisszaallit->setShortcuts({QKeySequence(Qt::Key_F2), QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)});
    make(aBezar, "aBezar", QStringLiteral("Bezár"), QStringLiteral("Bezár"), QKeySequence(Qt::Key_Escape), "bezar");
    ConnectCommand(aMentes, this, [this] { backupNow(); });
    ConnectCommand(aVisszaallit, this, [this] { restoreCurrent(); });
    ConnectCommand(aBezar, this, [this] { reject(); });

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    ToolBar1 = new QToolBar(this);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    for (QAction *action : {aMentes, aVisszaallit, aBezar})
        ToolBar1->addAction(action);
    layout->addWidget(ToolBar1);

    DBGrid1 = NewDataGrid(this);
    DBGrid1->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    layout->addWidget(DBGrid1, 1);
    const QHash<QString, QString> titles = BackupTable::ColumnTitles();
    QList<GridColumn> columns;
    for (const char *field : {"ido", "fajta", "ok", "meret", "ugyfelek", "fajl"})
        columns.append({QLatin1String(field), titles.value(QLatin1String(field))});
    m_model = new DataSetModel(m_copies, columns, this);
    DBGrid1->setModel(m_model);
    BindGridToCursor(DBGrid1, m_model);
    const int widths[] = {120, 75, 140, 60, 55, 220};
    for (int i = 0; i < int(std::size(widths)); ++i)
        DBGrid1->setColumnWidth(i, widths[i]);
    connect(DBGrid1, &QAbstractItemView::doubleClicked, aVisszaallit, &QAction::trigger);

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    layout->addWidget(StatusBar1);
    refresh();
}

Tfrm_Mentesek::~Tfrm_Mentesek()
{
    // The grid's model reads the copies: take it away before they go.
    DBGrid1->setModel(nullptr);
}

void Tfrm_Mentesek::refresh()
{
    m_copies.refresh(m_session.folders().DataFolder, m_session.databasePath());
    aVisszaallit->setEnabled(m_copies.recordCount() > 0);
    StatusBar1->showMessage(QStringLiteral("%1 mentés: %2")
                                .arg(m_copies.recordCount())
                                .arg(BackupFolder(m_session.folders().DataFolder)));
}

void Tfrm_Mentesek::backupNow()
{
    const QString copy = MakeManualBackup(m_session);
    refresh();
    for (int row = 0; row < m_copies.copies().size(); ++row) {
        if (m_copies.copies().at(row).path == copy)
            m_copies.moveTo(row);
    }
    StatusBar1->showMessage(QStringLiteral("A mentés elkészült: %1").arg(copy));
}

void Tfrm_Mentesek::restoreCurrent()
{
    const BackupInfo *copy = m_copies.currentCopy();
    if (!copy)
        return;
    const QString file = copy->path;
    const QString question =
        QStringLiteral("Visszaállítja az adatbázist a %1 mentésből?\nA mostani állapot automatikus mentésként megmarad.")
            .arg(copy->time.toString(QStringLiteral("yyyy.MM.dd. HH:mm:ss")));
    if (!AskYesNo(question, QStringLiteral("Megerősítés"), this))
        return;
    try {
        RestoreBackup(m_session, file);
    } catch (...) {
        refresh(); // a copy of the current state may have been made before the failure
        throw;
    }
    m_restored = true;
    refresh();
    ShowInfo(QStringLiteral("Az adatbázis visszaállítva: %1").arg(QFileInfo(file).fileName()), this);
}

void Tfrm_Mentesek::showEvent(QShowEvent *event)
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

void Tfrm_Mentesek::done(int result)
{
    StoreWindowRect(this, m_session.folders().IniFileName);
    QDialog::done(result);
}

bool ShowMentesek(QWidget *owner, Session &session)
{
    Tfrm_Mentesek window(owner, session);
    window.exec();
    return window.restored();
}

} // namespace kartevo
