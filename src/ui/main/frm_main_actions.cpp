// The commands of the main window: the action table, the main menu, both toolbars, the grid's
// context menu, and the handlers of the commands that belong to the client list itself.
#include "ui/main/frm_main.h"

#include "core/marks.h"
#include "core/session.h"
#include "ui/common/application.h"
#include "ui/common/messages.h"
#include "ui/common/resources.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QToolButton>

namespace kartevo {

namespace {

struct CommandDef {
    const char *name;
    const char *caption;
    const char *hint;     // nullptr: the caption
    const char *shortcut; // portable key text, nullptr: none
    bool enabled;         // false: its window is not built yet
};

// The command table, in the order of the program's menus.
const CommandDef kCommands[] = {
    {"aUj", "Új ügyfél", nullptr, "Ins", true},
    {"aImport", "Új ügyfelek (CSV import)", nullptr, "Alt+Ins", true},
    {"aImportVissza", "Utolsó betöltés visszavonása", "Az utolsó betöltés ügyfeleinek és új csoportjainak törlése",
     nullptr, true},
    {"aSzerkeszt", "Szerkeszt", nullptr, "F2", true},
    {"aTorol", "Töröl", nullptr, "Ctrl+Del", true},
    {"aJelol", "Jelöl", nullptr, "Ctrl+M", true},
    {"aJelolMind", "Mindet jelöl", nullptr, nullptr, true},
    {"aJelolSzuntet", "Összes jelölést megszűntet", nullptr, nullptr, true},
    {"aNyomtat", "Nyomtat", nullptr, "Ctrl+P", true},
    {"aNyomtatKep", "Nyomtatási kép", nullptr, "Ctrl+K", true},
    {"aExcelbe", "Excelbe...", nullptr, "Ctrl+E", true},
    {"aHtml", "Html export", nullptr, "Ctrl+H", true},
    {"aBoritek1", "Boríték (C6)", "Boríték nyomtatás C6 (114*162mm)", "F3", true},
    {"aBoritek2", "Boríték (LA/4)", "Boríték nyomtatás LA/4 (DL 110*220mm)", "F4", true},
    {"aBoritek3", "Boríték (LC5)", "Boríték nyomtatás (LC5 162*229mm)", "F5", true},
    {"aAjanlott", "Ajánlott", "Ajánlott szelvény kitöltés", "F6", true},
    {"aCsekk", "Csekk", "Belföldi postautalvány", "F7", true},
    {"aUtanvet", "Utánvét", "Utánvét szelvény kitöltés", "F8", true},
    {"aCimke", "Címke", "Címke nyomtatás", "F9", true},
    // The same runs shown as one document first; printing from the preview prints them.
    {"aBoritek1Kep", "Boríték (C6) megnézése", "Boríték C6: nyomtatási kép az egész futásról", "Shift+F3", true},
    {"aBoritek2Kep", "Boríték (LA/4) megnézése", "Boríték LA/4: nyomtatási kép az egész futásról", "Shift+F4", true},
    {"aBoritek3Kep", "Boríték (LC5) megnézése", "Boríték LC5: nyomtatási kép az egész futásról", "Shift+F5", true},
    {"aAjanlottKep", "Ajánlott megnézése", "Ajánlott szelvény: nyomtatási kép az egész futásról", "Shift+F6", true},
    {"aCsekkKep", "Csekk megnézése", "Postautalvány: nyomtatási kép az egész futásról", "Shift+F7", true},
    {"aUtanvetKep", "Utánvét megnézése", "Utánvét szelvény: nyomtatási kép az egész futásról", "Shift+F8", true},
    {"aBetuNovel", "Betűméret növelése", nullptr, "F11", true},
    {"aBetuCsokkent", "Betűméret csökkentése", nullptr, "F12", true},
    {"aCsoport", "Csoportok", nullptr, nullptr, true},
    {"aIranyitoszam", "Irányítószámok", nullptr, nullptr, true},
    {"aFelado", "Feladók", nullptr, nullptr, true},
    {"aCimkek", "Címkék", nullptr, nullptr, true},
    {"aCimellenorzes", "Címellenőrzés", "Hibás címek és ismétlődő ügyfelek keresése", nullptr, true},
    {"aNyelv", "Nyelv megadás", nullptr, nullptr, true},
    {"aSQL", "Szabad lekérdezés", nullptr, nullptr, true},
    {"aMentesek", "Biztonsági mentések", "Az adatbázis mentései és visszaállítása", nullptr, true},
    {"aBeallit", "Beállítások", nullptr, nullptr, true},
    {"aIgazitas", "Nyomtatás igazítása", "A nyomtatványok eltolása és kalibráló lapja", nullptr, true},
    {"aSugo", "Súgó", nullptr, "F1", true},
    {"aTamogat", "Támogatás", nullptr, nullptr, true},
    {"aFontos", "Fontos információk", nullptr, nullptr, true},
    {"aHonlap", "Pelmar honlapja", nullptr, nullptr, true},
    {"aLevel", "Levélküldés Pelmarnak", nullptr, nullptr, true},
    {"aProgram", "További programok", "További programok, letöltések", nullptr, true},
    {"aUjdonsag", "Újdonságok", nullptr, nullptr, true},
    {"aNevjegy", "Névjegy", nullptr, nullptr, true},
    {"aBezar", "Bezár", nullptr, nullptr, true},
};

// "-" stands for a separator line.
using Items = std::initializer_list<const char *>;

QIcon CommandIcon(const QString &name)
{
    EnsureResources();
    // aBoritek1 -> icons/boritek1.svg; a run's preview (aBoritek1Kep) shows the run's icon.
    const auto file = [](const QString &command) {
        return QStringLiteral(":/kartevo/icons/") + command.mid(1).toLower() + QStringLiteral(".svg");
    };
    if (!QFile::exists(file(name)) && name.endsWith(QLatin1String("Kep")))
        return QIcon(file(name.chopped(3)));
    return QIcon(file(name));
}

} // namespace

QAction *Tfrm_Main::addCommand(const char *name, const char *caption, const char *hint, const char *shortcut,
                               bool enabled)
{
    auto *action = new QAction(QString::fromUtf8(caption), this);
    const QString objectName = QString::fromUtf8(name);
    action->setObjectName(objectName);
    const QString hintText = QString::fromUtf8(hint ? hint : caption);
    action->setToolTip(hintText);
    action->setStatusTip(hintText);
    if (shortcut)
        action->setShortcut(QKeySequence::fromString(QString::fromUtf8(shortcut), QKeySequence::PortableText));
    action->setIcon(CommandIcon(objectName));
    action->setEnabled(enabled);
    addAction(action); // shortcuts work wherever the focus is in the window
    m_actions.insert(objectName, action);
    return action;
}

void Tfrm_Main::createActions()
{
    for (const CommandDef &command : kCommands)
        addCommand(command.name, command.caption, command.hint, command.shortcut, command.enabled);

    ConnectCommand(action(QStringLiteral("aTorol")), this, [this] { aTorolExecute(); });
    ConnectCommand(action(QStringLiteral("aJelol")), this, [this] { aJelolExecute(); });
    ConnectCommand(action(QStringLiteral("aJelolMind")), this, [this] { aJelolMindExecute(); });
    ConnectCommand(action(QStringLiteral("aJelolSzuntet")), this, [this] { aJelolSzuntetExecute(); });
    ConnectCommand(action(QStringLiteral("aBetuNovel")), this, [this] { aBetuNovelExecute(); });
    ConnectCommand(action(QStringLiteral("aBetuCsokkent")), this, [this] { aBetuCsokkentExecute(); });
    ConnectCommand(action(QStringLiteral("aBezar")), this, [this] { close(); });
    connectCommandWindows();
}

namespace {

void AddItems(QWidget *target, const Tfrm_Main &window, Items items)
{
    for (const char *item : items) {
        if (qstrcmp(item, "-") == 0) {
            if (auto *menu = qobject_cast<QMenu *>(target))
                menu->addSeparator();
            else if (auto *bar = qobject_cast<QToolBar *>(target))
                bar->addSeparator();
        } else {
            target->addAction(window.action(QString::fromUtf8(item)));
        }
    }
}

QMenu *NewMenu(QWidget *parent, const char *objectName, const QString &title = {})
{
    auto *menu = new QMenu(title, parent);
    menu->setObjectName(QString::fromUtf8(objectName));
    return menu;
}

} // namespace

void Tfrm_Main::createMenus()
{
    struct TopMenu {
        const char *name;
        const char *title;
        Items items;
    };
    const TopMenu menus[] = {
        {"mnRekordok", "Kartevo",
         {"aUj", "aImport", "aImportVissza", "aSzerkeszt", "aTorol", "-", "aNyomtat", "aNyomtatKep", "-", "aExcelbe", "aHtml",
          "-", "aBezar"}},
        {"mnJeloles", "Jelölés", {"aJelol", "aJelolMind", "aJelolSzuntet"}},
        {"mnNezet", "Nézet", {"aBetuNovel", "aBetuCsokkent"}},
        {"mnTorzsadat", "Törzsadat", {"aCsoport", "aIranyitoszam", "-", "aFelado", "-", "aCimkek", "-", "aCimellenorzes"}},
        {"mnNyomtatas", "Nyomtatás",
         {"aBoritek1", "aBoritek2", "aBoritek3", "-", "aAjanlott", "aCsekk", "aUtanvet", "-", "aCimke"}},
        {"mnRendszer", "Rendszer", {"aNyelv", "-", "aSQL", "aMentesek", "-", "aBeallit", "aIgazitas"}},
        {"mnSugo", "Súgó",
         {"aSugo", "-", "aTamogat", "-", "aFontos", "-", "aHonlap", "aLevel", "aProgram", "aUjdonsag", "-",
          "aNevjegy"}},
    };
    menuBar()->setObjectName(QStringLiteral("MainMenu1"));
    for (const TopMenu &top : menus) {
        QMenu *menu = NewMenu(menuBar(), top.name, QString::fromUtf8(top.title));
        AddItems(menu, *this, top.items);
        menuBar()->addMenu(menu);
        if (qstrcmp(top.name, "mnNyomtatas") == 0) {
            menu->addSeparator();
            QMenu *previews = NewMenu(menu, "mnMegnez", QStringLiteral("Megnéz"));
            AddItems(previews, *this,
                     {"aBoritek1Kep", "aBoritek2Kep", "aBoritek3Kep", "-", "aAjanlottKep", "aCsekkKep", "aUtanvetKep"});
            menu->addMenu(previews)->setObjectName(QStringLiteral("mnMegnez"));
        }
    }

    PopupMenu1 = NewMenu(this, "PopupMenu1");
    AddItems(PopupMenu1, *this,
             {"aJelol", "-", "aUj", "aSzerkeszt", "aTorol", "-", "aCimke", "-", "aBoritek1", "aBoritek2",
              "aBoritek3", "-", "aAjanlott", "aCsekk", "aUtanvet"});
}

void Tfrm_Main::createToolBars()
{
    auto newBar = [this](const char *name) {
        auto *bar = new QToolBar(this);
        bar->setObjectName(QString::fromUtf8(name));
        bar->setMovable(false);
        bar->setFloatable(false);
        bar->setIconSize(QSize(16, 16));
        bar->toggleViewAction()->setVisible(false);
        return bar;
    };

    ToolBar2 = newBar("ToolBar2");
    ToolBar2->setToolButtonStyle(Qt::ToolButtonIconOnly);
    AddItems(ToolBar2, *this,
             {"aNyomtat", "aNyomtatKep", "-", "aExcelbe", "aHtml", "-", "aBetuNovel", "aBetuCsokkent", "-",
              "aBeallit", "-", "aSugo", "aHonlap", "aLevel", "aUjdonsag", "-", "aProgram", "-", "aBezar"});
    addToolBar(Qt::TopToolBarArea, ToolBar2);
    addToolBarBreak(Qt::TopToolBarArea);

    ToolBar1 = newBar("ToolBar1");
    ToolBar1->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    const QSize buttonSize(64, 36);
    // A button with a drop-down arrow and a small menu of related commands.
    auto dropDown = [&](const char *menuName, Items items) {
        QMenu *menu = NewMenu(this, menuName);
        AddItems(menu, *this, items);
        auto *button = new QToolButton(ToolBar1);
        button->setObjectName(QStringLiteral("tb_") + QString::fromUtf8(*items.begin()));
        button->setDefaultAction(action(QString::fromUtf8(*items.begin())));
        button->setMenu(menu);
        button->setPopupMode(QToolButton::MenuButtonPopup);
        button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        button->setAutoRaise(true);
        button->setFixedHeight(buttonSize.height());
        button->setMinimumWidth(buttonSize.width() + 14);
        ToolBar1->addWidget(button);
    };
    auto plain = [&](const char *name) {
        QAction *command = action(QString::fromUtf8(name));
        ToolBar1->addAction(command);
        if (QWidget *button = ToolBar1->widgetForAction(command)) {
            button->setFixedHeight(buttonSize.height());
            button->setMinimumWidth(buttonSize.width());
        }
    };
    dropDown("pmJelol", {"aJelol", "aJelolMind", "aJelolSzuntet"});
    ToolBar1->addSeparator();
    dropDown("pmUj", {"aUj", "aImport"});
    plain("aSzerkeszt");
    plain("aTorol");
    ToolBar1->addSeparator();
    plain("aCimke");
    ToolBar1->addSeparator();
    dropDown("pmBoritek", {"aBoritek1", "aBoritek2", "aBoritek3"});
    plain("aAjanlott");
    dropDown("pmCsekk", {"aCsekk", "aUtanvet"});
    addToolBar(Qt::TopToolBarArea, ToolBar1);
}

void Tfrm_Main::aTorolExecute()
{
    if (!AskYesNo(QStringLiteral("Valóban töröljem az ügyfelet?"), QStringLiteral("Megerősítés"), this))
        return;
    m_clients->deleteCurrent();
}

void Tfrm_Main::aJelolExecute()
{
    ToggleMark(m_clients->table());
    // The next print command prints the marked clients, also when the last mark went away.
    ComboBox2->setCurrentIndex(int(PrintScope::Marked));
}

void Tfrm_Main::aJelolMindExecute()
{
    SetAllMarks(*m_clients, true);
}

void Tfrm_Main::aJelolSzuntetExecute()
{
    SetAllMarks(*m_clients, false);
}

void Tfrm_Main::aBetuNovelExecute()
{
    TBeall &settings = m_session->settings();
    settings.FontSize = ClientList::LargerFontSize(settings.FontSize);
    applyFontSize();
}

void Tfrm_Main::aBetuCsokkentExecute()
{
    TBeall &settings = m_session->settings();
    settings.FontSize = ClientList::SmallerFontSize(settings.FontSize);
    applyFontSize();
}

} // namespace kartevo
