#pragma once

#include "ui/masterdata/editdialog.h"
#include "ui/masterdata/listwindow.h"

namespace kartevo {

// The label-format list (cimke) and its edit dialog.
class Tfrm_Cimke final : public TListWindow {
    Q_OBJECT
public:
    Tfrm_Cimke(QWidget *owner, Session &session, bool pick);

    static ListDefinition Definition();

protected:
    std::unique_ptr<TEditDialog> createEditDialog() override;
    QString newKeyColumn() const override;
};

// One label sheet format: name, margins, label height and number of columns.
class Tfrm_Cimke_Szerkeszt final : public TEditDialog {
    Q_OBJECT
public:
    Tfrm_Cimke_Szerkeszt(QWidget *owner, Session &session, TableView &table);

    DBEdit *DBEdit1 = nullptr;
    DBEdit *DBEdit2 = nullptr;
    DBEdit *DBEdit3 = nullptr;
    DBEdit *DBEdit4 = nullptr;
    DBEdit *DBEdit5 = nullptr;
};

} // namespace kartevo
