#pragma once

#include "ui/masterdata/editdialog.h"
#include "ui/masterdata/listwindow.h"

namespace kartevo {

// The postal-code list (irsz) and its edit dialog.
class Tfrm_Irsz final : public TListWindow {
    Q_OBJECT
public:
    Tfrm_Irsz(QWidget *owner, Session &session, bool pick);

    static ListDefinition Definition();

protected:
    std::unique_ptr<TEditDialog> createEditDialog() override;
    QString newKeyColumn() const override;
};

// One postal code with its town.
class Tfrm_Irsz_Szerkeszt final : public TEditDialog {
    Q_OBJECT
public:
    Tfrm_Irsz_Szerkeszt(QWidget *owner, Session &session, TableView &table);

    DBEdit *DBEdit1 = nullptr;
    DBEdit *DBEdit2 = nullptr;
};

} // namespace kartevo
