#include "ui/masterdata/frm_csoport.h"

#include "core/session.h"
#include "masterdata/masterdata.h"

namespace kartevo {

ListDefinition Tfrm_Csoport::Definition()
{
    ListDefinition d;
    d.name = QStringLiteral("frm_Csoport");
    d.caption = QStringLiteral("Csoportok");
    d.designSize = QSize(437, 356);
    d.table = QStringLiteral("csoport");
    d.columns = {{QStringLiteral("csoport"), QStringLiteral("csoport"), 341, 1.0}};
    d.initialSort = QStringLiteral("csoport");
    d.titleSort = false;
    d.keyColumn = QStringLiteral("csoport");
    d.startColumn = QStringLiteral("csoport");
    d.newCaption = QStringLiteral("Új Csoport.");
    d.newMenuCaption = QStringLiteral("Új Csoport.");
    d.buttonWidth = 62;
    d.panelHeight = 32;
    return d;
}

Tfrm_Csoport::Tfrm_Csoport(QWidget *owner, Session &session, bool pick)
    : TListWindow(owner, session, Definition(), pick)
{
    table().beforePost = [](TableView &groups) { ApplyGroupWriteRule(groups); };
    connect(this, &TListWindow::rowsChanged, this, [] { GroupEvents::instance().notify(); });
}

std::unique_ptr<TEditDialog> Tfrm_Csoport::createEditDialog()
{
    return std::make_unique<Tfrm_Csoport_Szerkeszt>(this, session(), table());
}

QString Tfrm_Csoport::newKeyColumn() const { return {}; }

Tfrm_Csoport_Szerkeszt::Tfrm_Csoport_Szerkeszt(QWidget *owner, Session &session, TableView &table)
    : TEditDialog(owner, session, QStringLiteral("frm_Csoport_Szerkeszt"), QStringLiteral("Csoport"), QSize(268, 149))
{
    addLabel(this, QStringLiteral("csoport"), 16, 16);
    DBEdit1 = addEdit(this, QStringLiteral("DBEdit1"), table, QStringLiteral("csoport"), QRect(16, 32, 233, 21));
    addButtons(this, QPoint(164, 76), QPoint(164, 104));
}

} // namespace kartevo
