#include "ui/dialogs/infowindows.h"

#include "core/helpers.h"
#include "core/session.h"
#include "printing/textprint.h"
#include "ui/common/application.h"
#include "ui/common/menustyle.h"
#include "ui/common/translation.h"
#include "ui/common/windowstate.h"
#include "ui/printing/printoutput.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QImageReader>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace kartevo {

namespace {

const char *const kUserAgreement =
    "Felhasználói szerződés\n"
    "\n"
    "1. A program\n"
    "A Kartevo postai nyomtatványkitöltő program (a továbbiakban: program) ingyenesen használható "
    "magánszemélyek, vállalkozások és szervezetek számára egyaránt. A programért és a "
    "frissítésekért díjat nem kell fizetni.\n"
    "\n"
    "2. Terjesztés\n"
    "A program telepítőkészlete változtatás nélkül szabadon másolható és továbbadható. "
    "A program nem értékesíthető, és más termék részeként csak a készítő írásos engedélyével "
    "terjeszthető.\n"
    "\n"
    "3. Az adatok\n"
    "Az ügyfelek címadatai a felhasználó saját gépén, a helyi adatbázis-állományban maradnak; "
    "a program ezeket semmilyen módon nem küldi el. Az adatok mentéséről a felhasználó maga "
    "gondoskodik: javasoljuk, hogy az adatbázis-állományról rendszeresen készítsen másolatot.\n"
    "\n"
    "4. Felelősség\n"
    "A programot a készítő a legnagyobb gondossággal készítette, de a használatából eredő "
    "közvetlen vagy közvetett károkért (például hibásan kitöltött vagy elveszett küldemény, "
    "adatvesztés) felelősséget nem vállal. Nyomtatás előtt mindig ellenőrizze a nyomtatási "
    "képet, új nyomtatványfajtánál először sima papírra nyomtasson próbát.\n"
    "\n"
    "5. Nyomtatványok\n"
    "A postai nyomtatványok (csekk, utánvét, ajánlott szelvény) méretei a posta előírásait "
    "követik. Ha a posta a nyomtatványt megváltoztatja, a program frissítéséig a kitöltés "
    "eltérhet.\n"
    "\n"
    "6. Elfogadás\n"
    "A program telepítésével és használatával a felhasználó a fenti feltételeket elfogadja.\n";

const char *const kSupportText =
    "Kedves Felhasználó!\n"
    "\n"
    "A Kartevo ingyenes program, és az is marad. Ha hasznosnak találja, és szeretné, hogy "
    "a fejlesztése folytatódjon, támogassa a munkánkat azzal, hogy megrendeli a program "
    "telepítő CD-jét.\n"
    "\n"
    "A megrendeléshez küldje el e-mailben a nevét, a postai címét és a felajánlott "
    "összeget a lenti gombbal megnyíló levélben. A CD-t postán küldjük el a megadott címre.\n"
    "\n"
    "Köszönjük a támogatását!";

void Restore(QWidget *window, const QString &iniFileName, int fontSize)
{
    RestoreWindowPos(window, iniFileName);
    ApplyFontSize(window, fontSize);
}

QPushButton *Button(QWidget *parent, const char *name, const QString &text)
{
    auto *button = new QPushButton(text, parent);
    button->setObjectName(QLatin1String(name));
    return button;
}

} // namespace

QString MakerHomePage()
{
    return QStringLiteral("https://www.pelmar.example/");
}

QString MakerMailAddress()
{
    return QStringLiteral("info@pelmar.example");
}

QString UserAgreementText()
{
    return QString::fromUtf8(kUserAgreement);
}

// ---------------------------------------------------------------------------------------------

Tfrm_Nevjegy::Tfrm_Nevjegy(QWidget *owner, const QString &iniFileName, int fontSize)
    : QDialog(owner), m_iniFileName(iniFileName), m_fontSize(fontSize)
{
    setObjectName(QStringLiteral("frm_Nevjegy"));
    setWindowTitle(QStringLiteral("Névjegy"));
    setFixedSize(429, 445);
    auto *layout = new QVBoxLayout(this);
    auto *panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameShape(QFrame::StyledPanel);
    auto *inner = new QVBoxLayout(panel);
    auto *top = new QHBoxLayout;
    auto *icon = new QLabel(panel);
    icon->setObjectName(QStringLiteral("ProgramIcon"));
    // The logo at 128 pixels wide, in its own proportions.
    QImageReader logo(QStringLiteral(":/kartevo/logo.svg"));
    QSize logoSize = logo.size();
    logoSize.scale(128, 128, Qt::KeepAspectRatio);
    logo.setScaledSize(logoSize);
    icon->setPixmap(QPixmap::fromImage(logo.read()));
    top->addWidget(icon);
    auto *product = new QLabel(QStringLiteral("Kartevo\nV%1").arg(QStringLiteral(KARTEVO_VERSION)), panel);
    product->setObjectName(QStringLiteral("ProductName"));
    QFont productFont(QStringLiteral("Arial"));
    productFont.setBold(true);
    productFont.setPixelSize(15);
    product->setFont(productFont);
    product->setAlignment(Qt::AlignRight | Qt::AlignTop);
    top->addWidget(product, 1);
    inner->addLayout(top);
    auto *maker = new QLabel(QStringLiteral("Pelmar Szoftver"), panel);
    maker->setStyleSheet(QStringLiteral("color: rgb(128,128,128)"));
    inner->addWidget(maker);
    auto *heading = new QLabel(QStringLiteral("<b>Postai nyomtatvány kitöltő program</b>"), panel);
    inner->addWidget(heading);
    auto *free = new QLabel(QStringLiteral("A program freeware: magánszemélyek és szervezetek egyaránt "
                                           "ingyenesen használhatják."),
                            panel);
    free->setWordWrap(true);
    free->setAlignment(Qt::AlignCenter);
    inner->addWidget(free, 1);
    inner->addWidget(new QLabel(QStringLiteral("<b>Elérhetőség</b>"), panel));
    inner->addWidget(new QLabel(QStringLiteral("Pelmar Szoftver\nhonlap: %1\ne-mail: %2")
                                    .arg(MakerHomePage(), MakerMailAddress()),
                                panel));
    layout->addWidget(panel, 1);
    auto *buttons = new QHBoxLayout;
    QPushButton *support = Button(this, "Button2", QStringLiteral("Támogatás"));
    QPushButton *ok = Button(this, "Button1", QStringLiteral("OK"));
    ok->setDefault(true);
    buttons->addWidget(support);
    buttons->addStretch();
    buttons->addWidget(ok);
    layout->addLayout(buttons);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(support, &QPushButton::clicked, this, [this] {
        Tfrm_Tamogat window(this, m_iniFileName, m_fontSize);
        window.exec();
    });
}

void Tfrm_Nevjegy::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        Restore(this, m_iniFileName, m_fontSize);
}

void Tfrm_Nevjegy::done(int result)
{
    StoreWindowPos(this, m_iniFileName);
    QDialog::done(result);
}

// ---------------------------------------------------------------------------------------------

Tfrm_Tamogat::Tfrm_Tamogat(QWidget *owner, const QString &iniFileName, int fontSize)
    : QDialog(owner), m_iniFileName(iniFileName), m_fontSize(fontSize)
{
    setObjectName(QStringLiteral("frm_Tamogat"));
    setWindowTitle(QStringLiteral("Támogatás"));
    setFixedSize(505, 313);
    auto *layout = new QVBoxLayout(this);
    auto *memo = new QPlainTextEdit(QString::fromUtf8(kSupportText), this);
    memo->setObjectName(QStringLiteral("Memo1"));
    memo->setReadOnly(true);
    memo->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    QFont memoFont(QStringLiteral("Trebuchet MS"));
    memoFont.setPixelSize(13);
    memo->setFont(memoFont);
    layout->addWidget(memo, 1);
    auto *buttons = new QHBoxLayout;
    QPushButton *mail = Button(this, "Button1", QStringLiteral("E-mail küldése"));
    QPushButton *close = Button(this, "Button2", QStringLiteral("Bezár"));
    buttons->addWidget(mail);
    buttons->addStretch();
    buttons->addWidget(close);
    layout->addLayout(buttons);
    connect(mail, &QPushButton::clicked, this, [] { ShellOpen(QStringLiteral("mailto:") + MakerMailAddress(), {}); });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
}

void Tfrm_Tamogat::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        Restore(this, m_iniFileName, m_fontSize);
}

void Tfrm_Tamogat::done(int result)
{
    StoreWindowPos(this, m_iniFileName);
    QDialog::done(result);
}

// ---------------------------------------------------------------------------------------------

Tfrm_Readme::Tfrm_Readme(QWidget *owner, const QString &iniFileName, int fontSize)
    : QDialog(owner), m_iniFileName(iniFileName), m_fontSize(fontSize)
{
    setObjectName(QStringLiteral("frm_Readme"));
    setWindowTitle(QStringLiteral("Fontos információk"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setSizeGripEnabled(true);
    resize(677, 488);
    auto *layout = new QVBoxLayout(this);
    Memo1 = new QPlainTextEdit(UserAgreementText(), this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    Memo1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    QFont memoFont(QStringLiteral("Lucida Console"));
    memoFont.setStyleHint(QFont::TypeWriter);
    memoFont.setPixelSize(13);
    Memo1->setFont(memoFont);
    layout->addWidget(Memo1, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    QPushButton *print = Button(this, "Button1", QStringLiteral("Nyomtat"));
    QPushButton *close = Button(this, "Button2", QStringLiteral("Bezár"));
    print->setAutoDefault(false);
    close->setAutoDefault(false);
    buttons->addWidget(print);
    buttons->addWidget(close);
    layout->addLayout(buttons);
    connect(print, &QPushButton::clicked, this, [this] {
        RunCommand(this, [this] { PrintReportDirect(MakeTextPrint(QStringLiteral("Felhasználói szerződés"), text())); });
    });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
}

QString Tfrm_Readme::text() const
{
    return Memo1->toPlainText();
}

void Tfrm_Readme::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    TranslateOnShow(this);
    RestoreWindowRect(this, m_iniFileName, DesktopWorkArea());
    OwnerDrawMenus(this);
    ApplyFontSize(this, m_fontSize);
}

void Tfrm_Readme::done(int result)
{
    StoreWindowRect(this, m_iniFileName);
    QDialog::done(result);
}

// ---------------------------------------------------------------------------------------------

void ShowAboutBox(QWidget *owner, Session &session)
{
    Tfrm_Nevjegy box(owner, session.folders().IniFileName, session.settings().FontSize);
    box.exec();
}

void ShowSupportWindow(QWidget *owner, Session &session)
{
    Tfrm_Tamogat window(owner, session.folders().IniFileName, session.settings().FontSize);
    window.exec();
}

void ShowReadme(QWidget *owner, Session &session)
{
    Tfrm_Readme window(owner, session.folders().IniFileName, session.settings().FontSize);
    window.exec();
}

} // namespace kartevo
