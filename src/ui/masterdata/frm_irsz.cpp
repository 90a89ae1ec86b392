#include "ui/masterdata/frm_irsz.h"

#include "core/session.h"

namespace kartevo {

ListDefinition Tfrm_Irsz::Definition()
{
    ListDefinition d;
    d.name = QStringLiteral("frm_Irsz");
    d.caption = QStringLiteral("Irányítószámok");
    d.designSize = QSize(437, 356);
    d.table = QStringLiteral("irsz");
    d.columns = {{QStringLiteral("varos"), QStringLiteral("város"), 251, 0.67},
                 {QStringLiteral("irsz"), QStringLiteral("irsz"), 86, 0.33}};
    d.initialSort = QStringLiteral("varos");
    d.keyColumn = QStringLiteral("id");
    d.startColumn = QStringLiteral("irsz");
    d.newCaption = QStringLiteral("Új irsz.");
    d.newMenuCaption = QStringLiteral("Új irányítószám");
    d.buttonWidth = 53;
    d.panelHeight = 32;
    return d;
}

Tfrm_Irsz::Tfrm_Irsz(QWidget *owner, Session &session, bool pick)
    : TListWindow(owner, session, Definition(), pick)
{
}

std::unique_ptr<TEditDialog> Tfrm_Irsz::createEditDialog()
{
    return std::make_unique<Tfrm_Irsz_Szerkeszt>(this, session(), table());
}

QString Tfrm_Irsz::newKeyColumn() const { return QStringLiteral("id"); }

Tfrm_Irsz_Szerkeszt::Tfrm_Irsz_Szerkeszt(QWidget *owner, Session &session, TableView &table)
    : TEditDialog(owner, session, QStringLiteral("frm_Irsz_Szerkeszt"), QStringLiteral("Irányítószám"), QSize(262, 189))
{
    addLabel(this, QStringLiteral("irsz."), 16, 16);
    DBEdit1 = addEdit(this, QStringLiteral("DBEdit1"), table, QStringLiteral("irsz"), QRect(16, 32, 141, 26));
    QFont big(QStringLiteral("Arial"));
    big.setBold(true);
    big.setPixelSize(15);
    DBEdit1->setFont(big);
    addLabel(this, QStringLiteral("város"), 16, 64);
    DBEdit2 = addEdit(this, QStringLiteral("DBEdit2"), table, QStringLiteral("varos"), QRect(16, 80, 233, 21));
    addButtons(this, QPoint(168, 120), QPoint(168, 152));
}

} // namespace kartevo
