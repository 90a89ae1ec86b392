#include "ui/dialogs/frm_beallit.h"

#include "core/error.h"
#include "core/session.h"
#include "printing/reportrenderer.h"
#include "printing/stationery.h"
#include "ui/common/application.h"
#include "ui/common/dialogkeys.h"
#include "ui/common/filedialogs.h"
#include "ui/common/focuscolor.h"
#include "ui/common/glyphbutton.h"
#include "ui/common/messages.h"
#include "ui/common/translation.h"
#include "ui/common/windowstate.h"
#include "ui/masterdata/pickers.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>

namespace kartevo {

namespace {

// Every picture format the program reads.
QString PictureFilter()
{
    QStringList patterns;
    for (const QString &suffix : EnvelopePictureSuffixes())
        patterns.append(QStringLiteral("*.") + suffix);
    return QStringLiteral("Grafikák (%1)").arg(patterns.join(u' '));
}

template <typename T>
T *Named(T *widget, const char *name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

QLabel *AddLabel(QWidget *parent, const char *name, const QString &text, int left, int top)
{
    auto *label = Named(new QLabel(text, parent), name);
    label->move(left, top);
    label->adjustSize();
    return label;
}

QLineEdit *AddEdit(QWidget *parent, const char *name, const QRect &geometry)
{
    auto *edit = Named(new QLineEdit(parent), name);
    edit->setGeometry(geometry);
    return edit;
}

QCheckBox *AddCheck(QWidget *parent, const char *name, const QString &text, const QRect &geometry)
{
    auto *check = Named(new QCheckBox(text, parent), name);
    check->setGeometry(geometry);
    return check;
}

} // namespace

Tfrm_Beallit::Tfrm_Beallit(QWidget *owner, Session &session) : QDialog(owner), m_session(session)
{
    setObjectName(QStringLiteral("frm_Beallit"));
    setWindowTitle(QStringLiteral("Beállítások"));
    // Wide enough for the longest caption, CheckBox4.
    setFixedSize(600, 434);
    const QIcon open(QStringLiteral(":/kartevo/icons/szerkeszt.svg"));

    PageControl1 = Named(new QTabWidget(this), "PageControl1");
    PageControl1->setGeometry(8, 8, 584, 378);
    auto *page = Named(new QWidget, "TabSheet1");
    PageControl1->addTab(page, QStringLiteral("Beállítások"));

    auto *screen = Named(new QGroupBox(QStringLiteral("Képernyő"), page), "GroupBox1");
    screen->setGeometry(8, 4, 560, 49);
    CheckBox1 = AddCheck(screen, "CheckBox1", QStringLiteral("Megnyitáskor teljes képernyő"), QRect(12, 20, 535, 20));

    auto *database = Named(new QGroupBox(QStringLiteral("Adatbázis"), page), "GroupBox2");
    database->setGeometry(8, 58, 560, 113);
    AddLabel(database, "Label1", QStringLiteral("Adatbázis elérési útvonala"), 12, 18);
    Edit2 = AddEdit(database, "Edit2", QRect(12, 34, 500, 21));
    auto *BitBtn1 = GlyphButton(database, "BitBtn1", open, QRect(519, 32, 25, 25));
    AddLabel(database, "Label2", QStringLiteral("HTML exportok mappája"), 12, 62);
    Edit3 = AddEdit(database, "Edit3", QRect(12, 78, 500, 21));
    auto *BitBtn3 = GlyphButton(database, "BitBtn3", open, QRect(519, 76, 25, 25));

    auto *addressing = Named(new QGroupBox(QStringLiteral("Címzés"), page), "GroupBox3");
    addressing->setGeometry(8, 176, 560, 165);
    CheckBox4 = AddCheck(addressing, "CheckBox4",
                         QStringLiteral("Boríték címzésnél egyforma karaktert használ (posta elvárása tömeges küldésnél)"),
                         QRect(12, 20, 540, 20));
    CheckBox3 = AddCheck(addressing, "CheckBox3", QStringLiteral("Egyből nyomtat (nincs nyomtatási kép)"), QRect(12, 44, 535, 20));
    CheckBox2 = AddCheck(addressing, "CheckBox2", QStringLiteral("Mindig csak egy feladót használ"), QRect(12, 68, 535, 20));
    AddLabel(addressing, "Label3", QStringLiteral("Alapértelmezett feladó"), 12, 96);
    Edit1 = AddEdit(addressing, "Edit1", QRect(12, 112, 500, 21));
    Edit1->setReadOnly(true);
    Edit1->setFocusPolicy(Qt::NoFocus);
    auto *BitBtn2 = GlyphButton(addressing, "BitBtn2", QIcon(QStringLiteral(":/kartevo/hand.svg")), QRect(519, 110, 25, 25));

    addPicturePage(0, QStringLiteral("Kép (C6)"), QStringLiteral("Kép a C6 borítékra"),
                   QStringLiteral("Maximum méret 339*324 pixel"), QSize(341, 229));
    addPicturePage(1, QStringLiteral("Kép (LA/4)"), QStringLiteral("Kép az LA/4 borítékra"),
                   QStringLiteral("Maximum méret 297*175 pixel"), QSize(329, 205));
    addPicturePage(2, QStringLiteral("Kép (LC5)"), QStringLiteral("Kép az LC5 borítékra"),
                   QStringLiteral("Maximum méret 277*195 pixel"), QSize(329, 205));

    Button1 = Named(new QPushButton(QStringLiteral("OK"), this), "Button1");
    Button1->setGeometry(431, 398, 75, 25);
    Button2 = Named(new QPushButton(QStringLiteral("Mégsem"), this), "Button2");
    Button2->setGeometry(515, 398, 75, 25);
    NoDefaultButtons({Button1, Button2});

    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
    connect(BitBtn1, &QPushButton::clicked, this, [this] { RunCommand(this, [this] { BitBtn1Click(); }); });
    connect(BitBtn2, &QPushButton::clicked, this, [this] { RunCommand(this, [this] { BitBtn2Click(); }); });
    connect(BitBtn3, &QPushButton::clicked, this, [this] { RunCommand(this, [this] { BitBtn3Click(); }); });
    for (QLineEdit *edit : {Edit2, Edit3, PictureEdits[0], PictureEdits[1], PictureEdits[2]})
        InstallFocusColor(edit);
    // The dialog sees every key first: Enter moves on, Escape cancels.
    for (QWidget *child : findChildren<QWidget *>())
        child->installEventFilter(this);
}

QWidget *Tfrm_Beallit::addPicturePage(int index, const QString &title, const QString &caption, const QString &note,
                                      const QSize &previewSize)
{
    const QByteArray n = QByteArray::number(index + 1);
    const QByteArray nn = QByteArray::number(index + 4);
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("TabSheet%1").arg(index + 2));
    PageControl1->addTab(page, title);
    auto *group = new QGroupBox(QStringLiteral("Kép"), page);
    group->setObjectName(QStringLiteral("GroupBox%1").arg(index + 4));
    group->setGeometry(8, 4, 560, 337);
    AddLabel(group, "Label" + nn, caption, 12, 18);
    PictureEdits[index] = AddEdit(group, "Edit" + nn, QRect(12, 34, 500, 21));
    auto *browse = GlyphButton(group, "BitBtn" + nn, QIcon(QStringLiteral(":/kartevo/icons/szerkeszt.svg")),
                               QRect(519, 32, 25, 25));
    AddLabel(group, "Label" + QByteArray::number(index + 7), note, 12, 62);
    Previews[index] = Named(new QLabel(group), "Image" + n);
    Previews[index]->setGeometry(12, 84, previewSize.width(), previewSize.height());
    Previews[index]->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Previews[index]->setFrameShape(QFrame::Box);
    Previews[index]->setProperty("tag", report::kSkipTranslationTag); // a picture, no caption
    connect(browse, &QPushButton::clicked, this, [this, index] { RunCommand(this, [this, index] { choosePicture(index); }); });
    return page;
}

void Tfrm_Beallit::FormCreate()
{
    const TBeall &settings = m_session.settings();
    const SettingsForm values = FormFromSettings(settings);
    const QString pictures[3] = {values.i1, values.i2, values.i3};
    m_pictureProblems.clear();
    for (int i = 0; i < 3; ++i) {
        PictureEdits[i]->setText(pictures[i]);
        if (pictures[i].isEmpty() || !QFileInfo(pictures[i]).isFile())
            continue;
        // A picture that cannot be read leaves its preview empty; the dialog still opens, so
        // that the setting can be mended.
        try {
            loadPreview(i);
        } catch (const Error &e) {
            Previews[i]->clear();
            m_pictureProblems.append(e.message());
        }
    }
    CheckBox1->setChecked(values.FullScreen);
    CheckBox2->setChecked(values.Only1Sender);
    CheckBox3->setChecked(values.UsePrinter);
    CheckBox4->setChecked(values.SameChar);
    m_sender = values.Sender;
    showSenderName();
    Edit2->setText(values.Path);
    Edit3->setText(values.HtmlPath);
}

SettingsForm Tfrm_Beallit::form() const
{
    SettingsForm values;
    values.i1 = PictureEdits[0]->text();
    values.i2 = PictureEdits[1]->text();
    values.i3 = PictureEdits[2]->text();
    values.FullScreen = CheckBox1->isChecked();
    values.Path = Edit2->text();
    values.HtmlPath = Edit3->text();
    values.SameChar = CheckBox4->isChecked();
    values.Only1Sender = CheckBox2->isChecked();
    values.Sender = m_sender;
    values.UsePrinter = CheckBox3->isChecked();
    return values;
}

void Tfrm_Beallit::showSenderName()
{
    Edit1->setText(m_session.db().isOpen() ? SenderName(m_session.db(), m_sender) : QString());
}

void Tfrm_Beallit::loadPreview(int index)
{
    Previews[index]->clear();
    Previews[index]->setPixmap(QPixmap::fromImage(ReadEnvelopePicture(PictureEdits[index]->text())));
}

void Tfrm_Beallit::BitBtn1Click()
{
    const QString file = ChooseOpenFile(
        this, FileDialogAt(Edit2->text(), QStringLiteral("SQB állományok (*.sqb)"), QStringLiteral("sqb")));
    if (!file.isEmpty())
        Edit2->setText(file);
}

void Tfrm_Beallit::BitBtn3Click()
{
    const QString folder = ChooseFolder(this, Edit3->text());
    if (!folder.isEmpty())
        Edit3->setText(folder);
}

void Tfrm_Beallit::BitBtn2Click()
{
    // The list opens on the saved default sender; a cancelled choice keeps the one chosen before.
    const qint64 chosen = FeladoValasztas(this, m_session, m_session.settings().Sender, true);
    if (chosen != -1)
        m_sender = int(chosen);
    showSenderName();
}

void Tfrm_Beallit::choosePicture(int index)
{
    const QString file = ChooseOpenFile(this, FileDialogAt(PictureEdits[index]->text(), PictureFilter(), QStringLiteral("jpg")));
    if (file.isEmpty())
        return;
    // The field keeps the name also when the picture cannot be read.
    PictureEdits[index]->setText(file);
    loadPreview(index);
    // A picture too large for its place on the envelope is taken, and printed shrunk.
    const QString note = EnvelopePictureNote(EnvelopeKind(index), Previews[index]->pixmap().size(), report::ScreenDpi());
    if (!note.isEmpty())
        ShowInfo(note, this);
}

void Tfrm_Beallit::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    TranslateOnShow(this);
    RestoreWindowPos(this, m_session.folders().IniFileName);
    ApplyFontSize(this, m_session.settings().FontSize);
    // Pictures that could not be read at the opening are told once the dialog is up.
    if (!m_pictureProblems.isEmpty()) {
        QTimer::singleShot(0, this, [this] {
            const QString problems = m_pictureProblems.join(u'\n');
            m_pictureProblems.clear();
            ShowError(problems, this);
        });
    }
}

void Tfrm_Beallit::done(int result)
{
    StoreWindowPos(this, m_session.folders().IniFileName);
    QDialog::done(result);
}

bool Tfrm_Beallit::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && isVisible()
        && DialogKeyPress(this, Button2, static_cast<QKeyEvent *>(event)))
        return true;
    return QDialog::eventFilter(watched, event);
}

void Beallitasok(QWidget *owner, Session &session)
{
    Tfrm_Beallit dialog(owner, session);
    dialog.FormCreate();
    if (dialog.exec() == QDialog::Accepted)
        StoreSettingsForm(dialog.form(), session.settings());
}

} // namespace kartevo
