#include "ui/printing/frm_inp.h"

#include "core/settings.h"
#include "printing/amountinput.h"
#include "ui/common/application.h"
#include "ui/common/focuscolor.h"
#include "ui/common/messages.h"
#include "ui/common/windowstate.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QShowEvent>

namespace kartevo {

Tfrm_Inp::Tfrm_Inp(QWidget *parent, const QString &iniFileName, int fontSize)
    : QDialog(parent), m_iniFileName(iniFileName), m_fontSize(fontSize)
{
    setObjectName(QStringLiteral("frm_Inp"));
    setFixedSize(253, 118);
    QFont design(QStringLiteral("Tahoma"));
    design.setPointSize(8);
    setFont(design);

    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(16, 12, 221, 16);

    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setGeometry(16, 32, 221, 24);
    Edit1->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // Only digits, the separators and the minus sign can be typed.
    Edit1->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9,.\\-]*")), Edit1));
    InstallFocusColor(Edit1);

    Button1 = new QPushButton(QStringLiteral("OK"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(82, 76, 75, 27);
    Button1->setDefault(true);
    Button2 = new QPushButton(QStringLiteral("Mégsem"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setGeometry(162, 76, 75, 27);

    aElfogad = new QAction(QStringLiteral("Elfogad"), this);
    aElfogad->setObjectName(QStringLiteral("aElfogad"));
    aElfogad->setShortcuts({QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)});
    aMegsem = new QAction(QStringLiteral("Mégsem"), this);
    aMegsem->setObjectName(QStringLiteral("aMegsem"));
    aMegsem->setShortcut(QKeySequence(Qt::Key_Escape));
    addAction(aElfogad);
    addAction(aMegsem);

    connect(Button1, &QPushButton::clicked, this, &Tfrm_Inp::aElfogadExecute);
    connect(aElfogad, &QAction::triggered, this, &Tfrm_Inp::aElfogadExecute);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
    connect(aMegsem, &QAction::triggered, this, &QDialog::reject);
}

void Tfrm_Inp::setPrompt(const QString &prompt)
{
    Label1->setText(prompt);
}

void Tfrm_Inp::setValue(const QString &text)
{
    Edit1->setText(text);
    Edit1->selectAll();
}

void Tfrm_Inp::aElfogadExecute()
{
    qint64 value = 0;
    const QString error = CheckAmountInput(Edit1->text(), m_maximum, &value);
    if (!error.isEmpty()) {
        ShowError(error, this);
        Edit1->setFocus();
        return;
    }
    m_value = value;
    accept();
}

void Tfrm_Inp::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    RestoreWindowPos(this, m_iniFileName);
    ApplyFontSize(this, m_fontSize);
    Edit1->setFocus();
}

void Tfrm_Inp::done(int result)
{
    StoreWindowPos(this, m_iniFileName);
    QDialog::done(result);
}

bool InputSzam(QWidget *owner, const QString &caption, const QString &prompt, qint64 &value,
               const QString &iniFileName, int fontSize)
{
    Tfrm_Inp dialog(owner, iniFileName, fontSize);
    dialog.setWindowTitle(caption);
    dialog.setPrompt(prompt);
    dialog.setValue(QString::number(value));
    dialog.setMaximum(2147483647.0);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    value = dialog.acceptedValue();
    return true;
}

} // namespace kartevo
