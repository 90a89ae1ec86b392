#include "ui/printing/frm_csekk.h"

#include "core/settings.h"
#include "ui/common/application.h"
#include "ui/common/dialogkeys.h"
#include "ui/common/focuscolor.h"
#include "ui/common/translation.h"
#include "ui/common/windowstate.h"

// QScintilla's headers use the plain signals/slots keywords, which this project switches off.
#define signals Q_SIGNALS
#define slots Q_SLOTS
#include <Qsci/qsciscintilla.h>
#undef signals
#undef slots

#include <QFontInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QShowEvent>

namespace kartevo {

namespace {

// A monospaced font for the editor. The editor takes a font by its family name alone and would
// lose the monospaced hint, so it gets the family the request resolves to here: then its text
// and its margin marker (placed by the width of a space) are measured in the same font.
QFont MonospacedFont(const QString &family, int size)
{
    QFont font(family);
    font.setStyleHint(QFont::TypeWriter);
    font.setPointSize(size);
    font.setFamily(QFontInfo(font).family());
    return font;
}

QFont EditorFont(int size)
{
    return MonospacedFont(QStringLiteral("Lucida Console"), size);
}

} // namespace

Tfrm_Csekk::Tfrm_Csekk(QWidget *parent, const QString &iniFileName, int fontSize)
    : QDialog(parent), m_iniFileName(iniFileName), m_fontSize(fontSize)
{
    setObjectName(QStringLiteral("frm_Csekk"));
    setWindowTitle(QStringLiteral("Csekk (Belföldi postautalvány) kitöltés"));
    // Wide enough for its caption in the title bar.
    setFixedSize(390, 246);
    QFont design(QStringLiteral("Tahoma"));
    design.setPointSize(8);
    setFont(design);

    Label1 = new QLabel(QStringLiteral("összeg"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(20, 12, 121, 16);
    Edit1 = new QLineEdit(QStringLiteral("0"), this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setGeometry(20, 30, 121, 24);
    // Only digits can be typed (Backspace and the other editing keys still work).
    Edit1->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), Edit1));
    InstallFocusColor(Edit1);

    Label2 = new QLabel(QStringLiteral("közlemény (max 4 sor)"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(20, 64, 350, 16);
    SynEdit1 = new QsciScintilla(this);
    SynEdit1->setObjectName(QStringLiteral("SynEdit1"));
    SynEdit1->setGeometry(20, 82, 350, 77);
    SynEdit1->setUtf8(true);
    SynEdit1->setFont(EditorFont(9));
    // Line numbers in a gutter wide enough for two digits.
    SynEdit1->setMarginsFont(MonospacedFont(QStringLiteral("Courier New"), 8));
    SynEdit1->setMarginType(0, QsciScintilla::NumberMargin);
    SynEdit1->setMarginLineNumbers(0, true);
    SynEdit1->setMarginWidth(0, QStringLiteral("00"));
    SynEdit1->setMarginWidth(1, 0);
    // A right-margin marker after column 30.
    SynEdit1->setEdgeMode(QsciScintilla::EdgeLine);
    SynEdit1->setEdgeColumn(30);
    SynEdit1->setWrapMode(QsciScintilla::WrapWord);
    SynEdit1->setCaretLineVisible(true);
    SynEdit1->setCaretLineBackgroundColor(QColor(255, 255, 198));

    Button1 = new QPushButton(QStringLiteral("OK"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(215, 200, 75, 27);
    Button2 = new QPushButton(QStringLiteral("Mégsem"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setGeometry(295, 200, 75, 27);
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);

    // The dialog's keys: Enter moves on (OK is pressed only on purpose), Escape cancels.
    NoDefaultButtons({Button1, Button2});
    for (QWidget *control : std::initializer_list<QWidget *>{Edit1, SynEdit1, Button1, Button2})
        control->installEventFilter(this);
}

bool Tfrm_Csekk::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        // In the message Enter starts a new line.
        const bool newLine = watched == SynEdit1 && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter);
        if (!newLine && DialogKeyPress(this, Button2, key))
            return true;
    }
    return QDialog::eventFilter(watched, event);
}

QString Tfrm_Csekk::amountText() const
{
    return Edit1->text();
}

QString Tfrm_Csekk::message() const
{
    return SynEdit1->text();
}

void Tfrm_Csekk::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    TranslateOnShow(this);
    RestoreWindowPos(this, m_iniFileName);
    ApplyFontSize(this, m_fontSize);
    if (m_fontSize > 0)
        SynEdit1->setFont(EditorFont(m_fontSize));
    Edit1->setFocus();
    Edit1->selectAll();
}

void Tfrm_Csekk::done(int result)
{
    StoreWindowPos(this, m_iniFileName);
    QDialog::done(result);
}

} // namespace kartevo
