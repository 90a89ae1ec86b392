#include "ui/masterdata/frm_felado.h"

#include "core/session.h"

namespace kartevo {

ListDefinition Tfrm_Felado::Definition()
{
    ListDefinition d;
    d.name = QStringLiteral("frm_Felado");
    d.caption = QStringLiteral("Feladók");
    d.designSize = QSize(528, 412);
    d.table = QStringLiteral("tulajdonos");
    d.columns = {{QStringLiteral("tulajdonos_nev"), QStringLiteral("feladó"), 204, 0.40},
                 {QStringLiteral("varoscim"), QStringLiteral("város, cím"), 219, 0.45},
                 {QStringLiteral("irsz"), QStringLiteral("irsz"), 59, 0.15}};
    d.initialSort = QStringLiteral("tulajdonos_nev");
    d.keyColumn = QStringLiteral("tulajdonos");
    d.startColumn = QStringLiteral("tulajdonos");
    d.newCaption = QStringLiteral("Új feladó");
    d.newMenuCaption = QStringLiteral("Új feladó");
    d.buttonWidth = 53;
    d.panelHeight = 28;
    return d;
}

Tfrm_Felado::Tfrm_Felado(QWidget *owner, Session &session, bool pick)
    : TListWindow(owner, session, Definition(), pick)
{
}

std::unique_ptr<TEditDialog> Tfrm_Felado::createEditDialog()
{
    return std::make_unique<Tfrm_Felado_Szerkeszt>(this, session(), table());
}

QString Tfrm_Felado::newKeyColumn() const { return QStringLiteral("tulajdonos"); }

Tfrm_Felado_Szerkeszt::Tfrm_Felado_Szerkeszt(QWidget *owner, Session &session, TableView &table)
    : TEditDialog(owner, session, QStringLiteral("frm_Felado_Szerkeszt"), QStringLiteral("Feladó adatai"), QSize(314, 205))
{
    addLabel(this, QStringLiteral("feladó"), 16, 20);
    DBEdit1 = addEdit(this, QStringLiteral("DBEdit1"), table, QStringLiteral("tulajdonos_nev"), QRect(16, 36, 277, 21));
    addLabel(this, QStringLiteral("város, cím"), 16, 64);
    DBEdit2 = addEdit(this, QStringLiteral("DBEdit2"), table, QStringLiteral("varoscim"), QRect(16, 80, 277, 21));
    addLabel(this, QStringLiteral("irsz"), 16, 108);
    DBEdit3 = addEdit(this, QStringLiteral("DBEdit3"), table, QStringLiteral("irsz"), QRect(16, 124, 73, 21));
    addButtons(this, QPoint(120, 164), QPoint(204, 164));
}

} // namespace kartevo
