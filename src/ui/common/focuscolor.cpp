#include "ui/common/focuscolor.h"

#include <QAbstractSpinBox>
#include <QComboBox>
#include <QEvent>
#include <QLineEdit>
#include <QPalette>

namespace kartevo {

namespace {

// One per edit field, owned by it: remembers the field's own background while it is coloured.
class FocusColorFilter final : public QObject {
public:
    explicit FocusColorFilter(QLineEdit *edit) : QObject(edit), m_edit(edit) {}

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_edit) {
            if (event->type() == QEvent::FocusIn && !m_coloured) {
                m_saved = m_edit->palette();
                m_hadOwnPalette = m_edit->testAttribute(Qt::WA_SetPalette);
                QPalette coloured = m_saved;
                coloured.setColor(QPalette::Active, QPalette::Base, FocusColor);
                coloured.setColor(QPalette::Inactive, QPalette::Base, FocusColor);
                m_edit->setPalette(coloured);
                m_coloured = true;
            } else if (event->type() == QEvent::FocusOut && m_coloured) {
                if (m_hadOwnPalette)
                    m_edit->setPalette(m_saved);
                else
                    m_edit->setPalette(QPalette());
                m_coloured = false;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QLineEdit *m_edit;
    QPalette m_saved;
    bool m_hadOwnPalette = false;
    bool m_coloured = false;
};

} // namespace

void InstallFocusColor(QLineEdit *edit)
{
    static const char *const installed = "kartevoFocusColor";
    if (!edit || edit->property(installed).toBool())
        return;
    edit->setProperty(installed, true);
    edit->installEventFilter(new FocusColorFilter(edit));
}

void InstallFocusColors(QWidget *root)
{
    if (!root)
        return;
    QList<QLineEdit *> edits = root->findChildren<QLineEdit *>();
    if (auto *self = qobject_cast<QLineEdit *>(root))
        edits.prepend(self);
    for (QLineEdit *edit : std::as_const(edits)) {
        QWidget *parent = edit->parentWidget();
        if (qobject_cast<QAbstractSpinBox *>(parent) || qobject_cast<QComboBox *>(parent))
            continue;
        InstallFocusColor(edit);
    }
}

} // namespace kartevo
