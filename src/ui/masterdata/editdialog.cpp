#include "ui/masterdata/editdialog.h"

#include "core/session.h"
#include "core/settings.h"
#include "ui/common/application.h"
#include "ui/common/dialogkeys.h"
#include "ui/common/focuscolor.h"
#include "ui/common/translation.h"
#include "ui/common/windowstate.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>

namespace kartevo {

TEditDialog::TEditDialog(QWidget *owner, Session &session, const QString &name, const QString &caption,
                         const QSize &clientArea)
    : QDialog(owner), m_session(session)
{
    setObjectName(name);
    setWindowTitle(caption);
    setFixedSize(clientArea);
    QFont base(QStringLiteral("Tahoma"));
    base.setPointSize(8);
    setFont(base);
}

QLabel *TEditDialog::addLabel(QWidget *parent, const QString &text, int left, int top)
{
    auto *label = new QLabel(text, parent);
    // Named for the language file; a dialog may rename it.
    label->setObjectName(QStringLiteral("Label%1").arg(m_labels.size() + 1));
    label->move(left, top);
    label->adjustSize();
    m_labels.append(label);
    return label;
}

DBEdit *TEditDialog::addEdit(QWidget *parent, const QString &name, TableView &table, const QString &field,
                             const QRect &geometry, DBEdit::Kind kind)
{
    auto *edit = new DBEdit(parent);
    edit->setObjectName(name);
    edit->setGeometry(geometry);
    edit->bind(table, field, kind);
    return edit;
}

void TEditDialog::addButtons(QWidget *parent, const QPoint &ok, const QPoint &cancel)
{
    m_ok = new QPushButton(QStringLiteral("OK"), parent);
    m_ok->setObjectName(QStringLiteral("Button1"));
    m_ok->setGeometry(QRect(ok, QSize(75, 25)));
    m_cancel = new QPushButton(QStringLiteral("Mégsem"), parent);
    m_cancel->setObjectName(QStringLiteral("Button2"));
    m_cancel->setGeometry(QRect(cancel, QSize(75, 25)));
    // Stepping onto a button does not check a numeric field: "Mégsem" drops the row and "OK"
    // checks every field itself.
    DBEdit::SetSkipsValidation(m_ok);
    DBEdit::SetSkipsValidation(m_cancel);
    // Enter is handled by the dialog (below), so no button is a default button.
    NoDefaultButtons({m_ok, m_cancel});
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TEditDialog::accept()
{
    for (DBEdit *edit : findChildren<DBEdit *>()) {
        if (!edit->commit())
            return;
    }
    QDialog::accept();
}

void TEditDialog::done(int result)
{
    StoreWindowPos(this, m_session.folders().IniFileName);
    QDialog::done(result);
}

void TEditDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    TranslateOnShow(this);
    RestoreWindowPos(this, m_session.folders().IniFileName);
    ApplyFontSize(this, m_session.settings().FontSize);
    // Labels grow with the font; they keep their top-left corner.
    for (QLabel *label : std::as_const(m_labels)) {
        if (label)
            label->adjustSize();
    }
    InstallFocusColors(this);
    installKeyPreview();
    FormShow();
}

void TEditDialog::installKeyPreview()
{
    // The dialog sees every key before its controls.
    for (QWidget *child : findChildren<QWidget *>()) {
        child->removeEventFilter(this);
        child->installEventFilter(this);
    }
}

bool TEditDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && isVisible()
        && DialogKeyPress(this, m_cancel, static_cast<QKeyEvent *>(event)))
        return true;
    return QDialog::eventFilter(watched, event);
}

} // namespace kartevo
