#pragma once

#include "ui/masterdata/editdialog.h"
#include "ui/masterdata/listwindow.h"

namespace kartevo {

// The client group list (csoport) and its edit dialog. The group name is the
// key; its sort key is filled before every save, and every change is announced through
// GroupEvents so that the client list rebuilds its group filter.
class Tfrm_Csoport final : public TListWindow {
    Q_OBJECT
public:
    Tfrm_Csoport(QWidget *owner, Session &session, bool pick);

    static ListDefinition Definition();

protected:
    std::unique_ptr<TEditDialog> createEditDialog() override;
    QString newKeyColumn() const override;
};

// One group name.
class Tfrm_Csoport_Szerkeszt final : public TEditDialog {
    Q_OBJECT
public:
    Tfrm_Csoport_Szerkeszt(QWidget *owner, Session &session, TableView &table);

    DBEdit *DBEdit1 = nullptr;
};

} // namespace kartevo
