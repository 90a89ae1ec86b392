#pragma once

#include "ui/masterdata/editdialog.h"
#include "ui/masterdata/listwindow.h"

namespace kartevo {

// The sender list (tulajdonos) and its edit dialog.
class Tfrm_Felado final : public TListWindow {
    Q_OBJECT
public:
    Tfrm_Felado(QWidget *owner, Session &session, bool pick);

    static ListDefinition Definition();

protected:
    std::unique_ptr<TEditDialog> createEditDialog() override;
    QString newKeyColumn() const override;
};

// One sender: name, town and street, postal code.
class Tfrm_Felado_Szerkeszt final : public TEditDialog {
    Q_OBJECT
public:
    Tfrm_Felado_Szerkeszt(QWidget *owner, Session &session, TableView &table);

    DBEdit *DBEdit1 = nullptr;
    DBEdit *DBEdit2 = nullptr;
    DBEdit *DBEdit3 = nullptr;
};

} // namespace kartevo
