#include "ui/masterdata/frm_szerkeszt.h"

#include "core/session.h"
#include "core/tableview.h"
#include "masterdata/masterdata.h"
#include "printing/report.h"
#include "ui/common/application.h"
#include "ui/common/glyphbutton.h"
#include "ui/common/messages.h"
#include "ui/common/resources.h"
#include "ui/masterdata/pickers.h"

#include <QFocusEvent>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTabWidget>

namespace kartevo {

namespace {

int RandomPicture() { return int(QRandomGenerator::global()->bounded(7)); }

int (*g_pictureDraw)() = nullptr;

QLabel *PersonPicture(QWidget *parent, const char *name, const char *file)
{
    auto *image = new QLabel(parent);
    image->setObjectName(QLatin1String(name));
    image->setGeometry(6, 192, 65, 65);
    image->setAlignment(Qt::AlignCenter);
    image->setPixmap(QIcon(QStringLiteral(":/kartevo/") + QLatin1String(file)).pixmap(64, 64));
    return image;
}

} // namespace

void Tfrm_Szerkeszt::SetPictureDraw(int (*draw)()) { g_pictureDraw = draw; }

Tfrm_Szerkeszt::Tfrm_Szerkeszt(QWidget *owner, Session &session, TableView &clients)
    : TEditDialog(owner, session, QStringLiteral("frm_Szerkeszt"), QStringLiteral("Szerkesztés"), QSize(483, 295)),
      m_clients(clients), m_towns(session.db())
{
    EnsureResources();
    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->setGeometry(0, 0, 483, 295);
    PageControl1->setFocusPolicy(Qt::NoFocus);
    TabSheet1 = new QWidget(PageControl1);
    TabSheet1->setObjectName(QStringLiteral("TabSheet1"));
    PageControl1->addTab(TabSheet1, QStringLiteral("Adatlap"));
    QWidget *page = TabSheet1;

    addLabel(page, QStringLiteral("ügyfél"), 8, 12)->setObjectName(QStringLiteral("Label1"));
    DBEdit1 = addEdit(page, QStringLiteral("DBEdit1"), clients, QStringLiteral("ugyfel_nev"), QRect(8, 28, 421, 26));
    QFont nameFont(QStringLiteral("Arial"));
    nameFont.setBold(true);
    nameFont.setPixelSize(15);
    DBEdit1->setFont(nameFont);

    QIcon hand(QStringLiteral(":/kartevo/hand.svg"));
    hand.addFile(QStringLiteral(":/kartevo/hand_disabled.svg"), QSize(), QIcon::Disabled);
    const QIcon arrow(QStringLiteral(":/kartevo/arrow_down.svg"));
    BitBtn2 = GlyphButton(page, "BitBtn2", hand, QRect(432, 28, 33, 33));

    addLabel(page, QStringLiteral("kapcsolattartó"), 8, 60)->setObjectName(QStringLiteral("Label2"));
    DBEdit2 = addEdit(page, QStringLiteral("DBEdit2"), clients, QStringLiteral("kapcsolat"), QRect(8, 76, 221, 21));
    addLabel(page, QStringLiteral("csoport"), 236, 60)->setObjectName(QStringLiteral("Label6"));
    DBEdit6 = addEdit(page, QStringLiteral("DBEdit6"), clients, QStringLiteral("csoport"), QRect(236, 76, 193, 21));
    DBEdit6->setReadOnly(true);
    DBEdit6->setFocusPolicy(Qt::ClickFocus); // no tab stop
    QPalette background = DBEdit6->palette();
    background.setColor(QPalette::Base, palette().color(QPalette::Window));
    DBEdit6->setPalette(background);
    BitBtn3 = GlyphButton(page, "BitBtn3", arrow, QRect(432, 72, 33, 33));

    addLabel(page, QStringLiteral("irsz."), 8, 100)->setObjectName(QStringLiteral("Label3"));
    DBEdit3 = addEdit(page, QStringLiteral("DBEdit3"), clients, QStringLiteral("cim_irsz"), QRect(8, 116, 133, 21));
    addLabel(page, QStringLiteral("város"), 152, 100)->setObjectName(QStringLiteral("Label4"));
    DBEdit4 = addEdit(page, QStringLiteral("DBEdit4"), clients, QStringLiteral("cim_varos"), QRect(152, 116, 277, 21));
    BitBtn1 = GlyphButton(page, "BitBtn1", arrow, QRect(432, 112, 33, 33));

    addLabel(page, QStringLiteral("cím"), 8, 144)->setObjectName(QStringLiteral("Label5"));
    DBEdit5 = addEdit(page, QStringLiteral("DBEdit5"), clients, QStringLiteral("cim_cim"), QRect(8, 160, 453, 21));

    Label7 = new QLabel(page);
    Label7->setObjectName(QStringLiteral("Label7"));
    // Two lines between the picture and the buttons: a long town's warning is read whole.
    Label7->setGeometry(80, 184, 300, 34);
    Label7->setWordWrap(true);
    Label7->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label7->setProperty("tag", report::kSkipTranslationTag); // its text is set while typing
    QPalette warning = Label7->palette();
    warning.setColor(QPalette::WindowText, QColor(192, 0, 0));
    Label7->setPalette(warning);
    connect(DBEdit3, &QLineEdit::textChanged, this, &Tfrm_Szerkeszt::updateTownWarning);
    connect(DBEdit4, &QLineEdit::textChanged, this, &Tfrm_Szerkeszt::updateTownWarning);
    updateTownWarning();

    Image1 = PersonPicture(page, "Image1", "person_blue.svg");
    Image2 = PersonPicture(page, "Image2", "person_green_tie.svg");
    Image3 = PersonPicture(page, "Image3", "person_red.svg");
    Image2->hide();
    Image3->hide();

    // The page is the buttons' parent, so their positions are counted from its corner too.
    addButtons(page, QPoint(388, 201), QPoint(388, 233));

    // Tab order: the edits and buttons as the user fills the form in, the postal-code picker last.
    const QList<QWidget *> order = {DBEdit1, BitBtn2, DBEdit2, DBEdit3, DBEdit4,   BitBtn3,
                                    DBEdit5, okButton(), cancelButton(), BitBtn1};
    for (qsizetype i = 0; i + 1 < order.size(); ++i)
        setTabOrder(order.at(i), order.at(i + 1));

    DBEdit3->installEventFilter(this);
    connect(BitBtn1, &QPushButton::clicked, this, [this] { RunCommand(this, [this] { BitBtn1Click(); }); });
    connect(BitBtn2, &QPushButton::clicked, this, [this] { RunCommand(this, [this] { BitBtn2Click(); }); });
    connect(BitBtn3, &QPushButton::clicked, this, [this] { RunCommand(this, [this] { BitBtn3Click(); }); });
}

void Tfrm_Szerkeszt::FormShow()
{
    const int picture = g_pictureDraw ? g_pictureDraw() : RandomPicture();
    Image1->setVisible(picture != 1 && picture != 2);
    Image2->setVisible(picture == 1);
    Image3->setVisible(picture == 2);
    DBEdit1->setFocus(Qt::OtherFocusReason);
}

bool Tfrm_Szerkeszt::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == DBEdit3 && event->type() == QEvent::FocusOut) {
        // Leaving the window is not leaving the field.
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            RunCommand(this, [this] { DBEdit3Exit(); });
    }
    return TEditDialog::eventFilter(watched, event);
}

void Tfrm_Szerkeszt::accept()
{
    const QString refusal = ClientSaveRefusal(m_clients);
    if (!refusal.isEmpty()) {
        ShowError(refusal, this);
        DBEdit1->setFocus(Qt::OtherFocusReason);
        return;
    }
    TEditDialog::accept();
}

void Tfrm_Szerkeszt::updateTownWarning()
{
    Label7->setText(PostalTownWarning(m_towns, DBEdit3->text(), DBEdit4->text()));
}

void Tfrm_Szerkeszt::DBEdit3Exit()
{
    if (m_clients.state() == DataSet::State::Browse || !m_clients.asString(QStringLiteral("cim_varos")).isEmpty())
        return;
    QStringList towns = TownsForPostalCode(m_clients.database(), m_clients.asString(QStringLiteral("cim_irsz")));
    towns.removeDuplicates();
    if (towns.size() > 1) {
        // The user chooses the town in the postal-code list, which opens on the code.
        BitBtn1Click();
        return;
    }
    if (!towns.value(0).isEmpty())
        m_clients.setValue(QStringLiteral("cim_varos"), towns.first());
}

void Tfrm_Szerkeszt::BitBtn1Click()
{
    QString town = m_clients.asString(QStringLiteral("cim_varos"));
    const QString code = IrszVarosValasztas(this, session(), m_clients.asString(QStringLiteral("cim_irsz")), true, town);
    if (code.isEmpty())
        return;
    m_clients.setValue(QStringLiteral("cim_irsz"), code);
    m_clients.setValue(QStringLiteral("cim_varos"), town);
}

void Tfrm_Szerkeszt::BitBtn2Click()
{
    m_clients.setValue(QStringLiteral("kapcsolat"), m_clients.value(QStringLiteral("ugyfel_nev")));
    DBEdit2->setFocus(Qt::OtherFocusReason);
}

void Tfrm_Szerkeszt::BitBtn3Click()
{
    const QString group = CsoportValasztas(this, session(), m_clients.asString(QStringLiteral("csoport")), true);
    if (!group.isEmpty())
        m_clients.setValue(QStringLiteral("csoport"), group);
    DBEdit5->setFocus(Qt::OtherFocusReason);
}

bool EditClient(QWidget *owner, Session &session, TableView &clients, bool newClient)
{
    Tfrm_Szerkeszt dialog(owner, session, clients);
    if (newClient) {
        clients.append();
        clients.setValue(QStringLiteral("jelolve"), QStringLiteral("N"));
    } else {
        clients.edit();
    }
    bool saved = false;
    while (dialog.exec() == QDialog::Accepted) {
        if (RunCommand(owner, [&clients] { clients.post(); })) {
            saved = true;
            break;
        }
    }
    if (!saved)
        clients.cancel();
    return saved;
}

} // namespace kartevo
