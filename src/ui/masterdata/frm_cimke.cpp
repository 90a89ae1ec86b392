#include "ui/masterdata/frm_cimke.h"

#include "core/session.h"
#include "labels/labels.h"

#include <QModelIndex>

namespace kartevo {

ListDefinition Tfrm_Cimke::Definition()
{
    ListDefinition d;
    d.name = QStringLiteral("frm_Cimke");
    d.caption = QStringLiteral("Cimkék");
    d.designSize = QSize(682, 461);
    d.table = QStringLiteral("cimke");
    // The name with the sheet it describes: "Etikett · 3 × 8, 70,0 × 37,0 mm".
    const auto nameAndSheet = [](const QModelIndex &cell) {
        const auto value = [&cell](int column) { return cell.siblingAtColumn(column).data(); };
        const LabelSheet sheet{value(2).toDouble(), value(1).toDouble(), value(3).toDouble(), value(4).toInt()};
        const QString name = cell.data().toString();
        const QString geometry = SheetGeometry(sheet);
        return geometry.isEmpty() ? name : name + QStringLiteral(" · ") + geometry;
    };
    d.columns = {{QStringLiteral("cimke"), QStringLiteral("cimke"), 280, 0.48, -1, nameAndSheet},
                 {QStringLiteral("felsomargo"), QStringLiteral("felső margó"), 90, 0.13, 2},
                 {QStringLiteral("szelsomargo"), QStringLiteral("szélső margó"), 90, 0.13, 2},
                 {QStringLiteral("cimkemagas"), QStringLiteral("magasság"), 90, 0.13, 2},
                 {QStringLiteral("oszlop"), QStringLiteral("oszlopszám"), 90, 0.13, 0}};
    d.initialSort = QStringLiteral("cimke");
    d.keyColumn = QStringLiteral("cimke");
    d.startColumn = QStringLiteral("cimke");
    d.newCaption = QStringLiteral("Új Cimke.");
    d.newMenuCaption = QStringLiteral("Új cimke");
    d.buttonWidth = 53;
    d.panelHeight = 32;
    return d;
}

Tfrm_Cimke::Tfrm_Cimke(QWidget *owner, Session &session, bool pick)
    : TListWindow(owner, session, Definition(), pick)
{
}

std::unique_ptr<TEditDialog> Tfrm_Cimke::createEditDialog()
{
    return std::make_unique<Tfrm_Cimke_Szerkeszt>(this, session(), table());
}

QString Tfrm_Cimke::newKeyColumn() const { return QStringLiteral("id"); }

Tfrm_Cimke_Szerkeszt::Tfrm_Cimke_Szerkeszt(QWidget *owner, Session &session, TableView &table)
    : TEditDialog(owner, session, QStringLiteral("frm_Cimke_Szerkeszt"), QStringLiteral("Cimke"), QSize(328, 241))
{
    addLabel(this, QStringLiteral("cimke"), 24, 16);
    DBEdit1 = addEdit(this, QStringLiteral("DBEdit1"), table, QStringLiteral("cimke"), QRect(24, 32, 277, 21));
    addLabel(this, QStringLiteral("felső margó"), 24, 64);
    DBEdit2 = addEdit(this, QStringLiteral("DBEdit2"), table, QStringLiteral("felsomargo"), QRect(24, 80, 134, 21), DBEdit::Kind::Real);
    addLabel(this, QStringLiteral("szélső margó"), 168, 64);
    DBEdit3 = addEdit(this, QStringLiteral("DBEdit3"), table, QStringLiteral("szelsomargo"), QRect(168, 80, 134, 21), DBEdit::Kind::Real);
    addLabel(this, QStringLiteral("magasság"), 24, 112);
    DBEdit4 = addEdit(this, QStringLiteral("DBEdit4"), table, QStringLiteral("cimkemagas"), QRect(24, 128, 134, 21), DBEdit::Kind::Real);
    addLabel(this, QStringLiteral("oszlopszám"), 168, 112);
    DBEdit5 = addEdit(this, QStringLiteral("DBEdit5"), table, QStringLiteral("oszlop"), QRect(168, 128, 134, 21), DBEdit::Kind::Integer);
    addButtons(this, QPoint(224, 168), QPoint(224, 200));
}

} // namespace kartevo
