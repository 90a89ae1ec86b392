// The commands of the main window that open other windows: the client edit dialog, the
// master-data lists, import and export, the print commands, the language choice, the settings
// and the information windows.
#include "ui/main/frm_main.h"

#include "core/error.h"
#include "core/folders.h"
#include "core/helpers.h"
#include "core/session.h"
#include "masterdata/masterdata.h"
#include "ui/common/application.h"
#include "ui/common/translation.h"
#include "ui/dialogs/frm_beallit.h"
#include "ui/dialogs/frm_lang.h"
#include "ui/dialogs/infowindows.h"
#include "ui/exchange/frm_grid2html.h"
#include "ui/exchange/frm_hatarolt.h"
#include "ui/exchange/frm_import.h"
#include "ui/exchange/importwizard.h"
#include "ui/labels/frm_cimkenyom.h"
#include "ui/masterdata/frm_cimellenorzes.h"
#include "ui/masterdata/frm_szerkeszt.h"
#include "ui/masterdata/pickers.h"
#include "ui/printing/frm_igazitas.h"
#include "ui/printing/printcommands.h"
#include "ui/tools/frm_mentesek.h"
#include "ui/tools/frm_programok.h"
#include "ui/tools/frm_sql.h"

#include <QAction>
#include <QComboBox>

namespace kartevo {

ClientList &Tfrm_Main::openClients()
{
    if (!m_clients)
        throw Error(QStringLiteral("Nincs megnyitott adatbázis."));
    return *m_clients;
}

PrintCommandContext Tfrm_Main::printContext()
{
    ClientList &clients = openClients();
    PrintCommandContext context(*m_session, clients.table());
    context.scope = ComboBox2->currentIndex();
    if (clients.hasGroupFilter())
        context.filterGroup = clients.filterGroup();
    context.sortField = clients.sortField();
    context.pickSender = [this](QWidget *owner, int positionOn) {
        return int(FeladoValasztas(owner, *m_session, positionOn, true));
    };
    return context;
}

void Tfrm_Main::connectCommandWindows()
{
    const auto wire = [this](const char *name, std::function<void()> handler) {
        ConnectCommand(action(QString::fromLatin1(name)), this, std::move(handler));
    };

    wire("aUj", [this] {
        EditClient(this, *m_session, openClients().table(), true);
        updateCounter();
    });
    wire("aSzerkeszt", [this] {
        EditClient(this, *m_session, openClients().table(), false);
        updateCounter();
    });

    wire("aCsoport", [this] {
        ShowCsoportList(this, *m_session);
        // A renamed or deleted group changed its clients too: show them as they are now.
        ClientList &clients = openClients();
        clients.reopenAt(clients.currentKey());
    });
    wire("aIranyitoszam", [this] { ShowIrszList(this, *m_session); });
    wire("aFelado", [this] { ShowFeladoList(this, *m_session); });
    wire("aCimkek", [this] { ShowCimkeList(this, *m_session); });
    wire("aCimellenorzes", [this] {
        ShowCimellenorzes(this, *m_session);
        // Clients edited or marked from the check: show them as they are now.
        ClientList &clients = openClients();
        clients.reopenAt(clients.currentKey());
    });
    // Every new, renamed or deleted group shows in the group filter at once.
    connect(&GroupEvents::instance(), &GroupEvents::changed, this, &Tfrm_Main::FillGroupFilter);

    wire("aBoritek1", [this] { PrintEnvelopes(this, printContext(), EnvelopeKind::C6); });
    wire("aBoritek2", [this] { PrintEnvelopes(this, printContext(), EnvelopeKind::LA4); });
    wire("aBoritek3", [this] { PrintEnvelopes(this, printContext(), EnvelopeKind::LC5); });
    wire("aAjanlott", [this] { PrintRegistered(this, printContext()); });
    wire("aCsekk", [this] { PrintCheque(this, printContext()); });
    wire("aUtanvet", [this] { PrintCod(this, printContext()); });
    const auto previewed = [this] {
        PrintCommandContext context = printContext();
        context.preview = true;
        return context;
    };
    wire("aBoritek1Kep", [this, previewed] { PrintEnvelopes(this, previewed(), EnvelopeKind::C6); });
    wire("aBoritek2Kep", [this, previewed] { PrintEnvelopes(this, previewed(), EnvelopeKind::LA4); });
    wire("aBoritek3Kep", [this, previewed] { PrintEnvelopes(this, previewed(), EnvelopeKind::LC5); });
    wire("aAjanlottKep", [this, previewed] { PrintRegistered(this, previewed()); });
    wire("aCsekkKep", [this, previewed] { PrintCheque(this, previewed()); });
    wire("aUtanvetKep", [this, previewed] { PrintCod(this, previewed()); });
    wire("aCimke", [this] {
        ClientList &clients = openClients();
        const PrintCommandContext context = printContext();
        CimkeNyomtatas(this, *m_session,
                       LabelSelectionFor(context.scope, clients.currentKey(), context.filterGroup, context.sortField));
    });
    wire("aIgazitas", [this] { NyomtatasIgazitasa(this, *m_session); });
    wire("aNyomtat", [this] { PrintClientList(this, DBGrid1, false, m_session->settings().calibration); });
    wire("aNyomtatKep", [this] { PrintClientList(this, DBGrid1, true, m_session->settings().calibration); });
    // What the console changed shows in the list at once, the current client kept.
    wire("aSQL", [this] {
        ShowSqlConsole(this, *m_session);
        ClientList &clients = openClients();
        clients.reopenAt(clients.currentKey());
        FillGroupFilter();
        updateCounter();
    });
    // A restored database is shown as it is now.
    wire("aMentesek", [this] {
        if (!ShowMentesek(this, *m_session))
            return;
        ClientList &clients = openClients();
        clients.reopenAt(clients.currentKey());
        FillGroupFilter();
        updateCounter();
    });
    wire("aProgram", [this] { ShowProgramCatalog(this, *m_session); });
    wire("aNyelv", [this] {
        // The open windows take the new language (or the built-in texts) at once, every other
        // window when next shown.
        if (NyelvValasztas(this, *m_session))
            RetranslateOpenWindows();
    });
    wire("aBeallit", [this] { Beallitasok(this, *m_session); });

    // The "Súgó" menu: pages of the installation and the maker's addresses open in the desktop's
    // programs; a missing help folder opens nothing.
    const auto openInstalled = [this](const char *name) {
        const QString programFolder = m_session->folders().ProgramFolder;
        const QString file = InstallationFile(programFolder, QString::fromLatin1(name));
        if (!file.isEmpty())
            ShellOpen(file, programFolder);
    };
    wire("aSugo", [openInstalled] { openInstalled("Help/index.htm"); });
    wire("aUjdonsag", [openInstalled] { openInstalled("Help/ujdonsag.htm"); });
    wire("aHonlap", [] { ShellOpen(MakerHomePage(), {}); });
    wire("aLevel", [] { ShellOpen(QStringLiteral("mailto:%1?subject=Kartevo").arg(MakerMailAddress()), {}); });
    wire("aNevjegy", [this] { ShowAboutBox(this, *m_session); });
    wire("aTamogat", [this] { ShowSupportWindow(this, *m_session); });
    wire("aFontos", [this] { ShowReadme(this, *m_session); });

    const auto showImported = [this] {
        ClientList &clients = openClients();
        clients.reopenAt(clients.currentKey());
        FillGroupFilter();
        updateCounter();
    };
    wire("aImport", [this, showImported] { ShowImport(this, *m_session, showImported); });
    wire("aImportVissza", [this, showImported] {
        if (UndoLastImportCommand(this, *m_session))
            showImported();
    });
    wire("aExcelbe", [this] { ShowExport(this, *m_session, openClients().table(), ClientList::ColumnTitles()); });
    wire("aHtml", [this] { ShowGrid2Html(this, *m_session, DBGrid1, QStringLiteral("Ügyfelek")); });
}

} // namespace kartevo
