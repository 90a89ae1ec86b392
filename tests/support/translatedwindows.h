#pragma once

#include "core/session.h"
#include "core/tableview.h"
#include "labels/labels.h"
#include "ui/dialogs/frm_beallit.h"
#include "ui/dialogs/infowindows.h"
#include "ui/exchange/frm_grid2html.h"
#include "ui/exchange/frm_hatarolt.h"
#include "ui/exchange/frm_import.h"
#include "ui/labels/frm_cimkenyom.h"
#include "ui/masterdata/frm_cimellenorzes.h"
#include "ui/masterdata/frm_cimke.h"
#include "ui/masterdata/frm_csoport.h"
#include "ui/masterdata/frm_felado.h"
#include "ui/masterdata/frm_irsz.h"
#include "ui/masterdata/frm_szerkeszt.h"
#include "ui/printing/frm_csekk.h"
#include "ui/printing/frm_igazitas.h"
#include "ui/tools/frm_mentesek.h"
#include "ui/tools/frm_sql.h"

#include <QHash>
#include <QWidget>

#include <functional>
#include <memory>

namespace kartevo::test {

// How a test makes each translated window (TranslatedWindows()) besides the main window: the
// owner, the session and a table view of the window's own table when it edits one.
// A window that joins the translation adds its maker here; the completeness test then shows
// it in template mode and checks that the English language file covers its keys.
using WindowMaker = std::function<std::unique_ptr<QWidget>(QWidget *owner, Session &session)>;

inline QHash<QString, WindowMaker> TranslatedWindowMakers()
{
    // Edit dialogs work on a table view that lives as long as they do (a child of the dialog,
    // destroyed after the dialog's own members).
    struct Edited final : QObject {
        std::unique_ptr<TableView> table;
    };
    const auto editDialog = [](const char *table, auto make) {
        return [table, make](QWidget *owner, Session &session) -> std::unique_ptr<QWidget> {
            auto holder = std::make_unique<Edited>();
            holder->table = std::make_unique<TableView>(session.db(), QLatin1String(table));
            holder->table->open();
            std::unique_ptr<QWidget> dialog = make(owner, session, *holder->table);
            holder.release()->setParent(dialog.get());
            return dialog;
        };
    };
    return {
        {QStringLiteral("frm_Felado"), [](QWidget *o, Session &s) { return std::make_unique<Tfrm_Felado>(o, s, false); }},
        {QStringLiteral("frm_Irsz"), [](QWidget *o, Session &s) { return std::make_unique<Tfrm_Irsz>(o, s, false); }},
        {QStringLiteral("frm_Csoport"), [](QWidget *o, Session &s) { return std::make_unique<Tfrm_Csoport>(o, s, false); }},
        {QStringLiteral("frm_Cimke"), [](QWidget *o, Session &s) { return std::make_unique<Tfrm_Cimke>(o, s, false); }},
        {QStringLiteral("frm_Szerkeszt"),
         editDialog("ugyfel", [](QWidget *o, Session &s, TableView &t) { return std::make_unique<Tfrm_Szerkeszt>(o, s, t); })},
        {QStringLiteral("frm_Felado_Szerkeszt"),
         editDialog("tulajdonos",
                    [](QWidget *o, Session &s, TableView &t) { return std::make_unique<Tfrm_Felado_Szerkeszt>(o, s, t); })},
        {QStringLiteral("frm_Irsz_Szerkeszt"),
         editDialog("irsz", [](QWidget *o, Session &s, TableView &t) { return std::make_unique<Tfrm_Irsz_Szerkeszt>(o, s, t); })},
        {QStringLiteral("frm_Csoport_Szerkeszt"),
         editDialog("csoport",
                    [](QWidget *o, Session &s, TableView &t) { return std::make_unique<Tfrm_Csoport_Szerkeszt>(o, s, t); })},
        {QStringLiteral("frm_Cimke_Szerkeszt"),
         editDialog("cimke", [](QWidget *o, Session &s, TableView &t) { return std::make_unique<Tfrm_Cimke_Szerkeszt>(o, s, t); })},
        {QStringLiteral("frm_CimkeNyom"),
         [](QWidget *o, Session &s) {
             return std::make_unique<Tfrm_CimkeNyom>(o, s, LabelSelectionFor(0, 1, std::nullopt, QStringLiteral("ugyfel_nev")));
         }},
        {QStringLiteral("frm_Beallit"), [](QWidget *o, Session &s) { return std::make_unique<Tfrm_Beallit>(o, s); }},
        {QStringLiteral("frm_Readme"),
         [](QWidget *o, Session &s) {
             return std::make_unique<Tfrm_Readme>(o, s.folders().IniFileName, s.settings().FontSize);
         }},
        {QStringLiteral("frm_Import"), [](QWidget *o, Session &s) { return std::make_unique<Tfrm_Import>(o, s, [] {}); }},
        {QStringLiteral("frm_Hatarolt"),
         editDialog("ugyfel", [](QWidget *o, Session &s, TableView &t) { return std::make_unique<Tfrm_Hatarolt>(o, s, t); })},
        {QStringLiteral("frm_Grid2Html"),
         [](QWidget *o, Session &s) { return std::make_unique<Tfrm_Grid2Html>(o, s, nullptr, QStringLiteral("Ügyfelek")); }},
        {QStringLiteral("frm_SQL"), [](QWidget *o, Session &s) { return std::make_unique<Tfrm_SQL>(o, s); }},
        {QStringLiteral("frm_Cimellenorzes"),
         [](QWidget *o, Session &s) { return std::make_unique<Tfrm_Cimellenorzes>(o, s); }},
        {QStringLiteral("frm_Igazitas"),
         [](QWidget *o, Session &s) {
             return std::make_unique<Tfrm_Igazitas>(o, s.settings().calibration, s.folders().IniFileName,
                                                    s.settings().FontSize);
         }},
        {QStringLiteral("frm_Mentesek"), [](QWidget *o, Session &s) { return std::make_unique<Tfrm_Mentesek>(o, s); }},
        {QStringLiteral("frm_Csekk"),
         [](QWidget *o, Session &s) {
             return std::make_unique<Tfrm_Csekk>(o, s.folders().IniFileName, s.settings().FontSize);
         }},
    };
}

// Translated windows that are not built on this branch yet.
inline QStringList WindowsNotBuiltYet()
{
    return {};
}

} // namespace kartevo::test
