#include "ui/common/focuscolor.h"

#include <QAbstractSpinBox>
#include <QComboBox>
#include <QEvent>
#include <QLineEdit>
#include <QPalette>

namespace kartevo {

namespace {

// One per edit field (a line edit or a spin box), owned by it: colours the field while it holds
// the focus or is warned, and gives back the field's own background when it is neither.
class FocusColorFilter final : public QObject {
public:
    explicit FocusColorFilter(QWidget *edit) : QObject(edit), m_edit(edit) {}

    void setWarned(bool warned)
    {
        m_warned = warned;
        apply();
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_edit && (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)) {
            m_focused = event->type() == QEvent::FocusIn;
            apply();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    void apply()
    {
        const bool colour = m_focused || m_warned;
        if (colour && !m_coloured) {
            m_saved = m_edit->palette();
            m_hadOwnPalette = m_edit->testAttribute(Qt::WA_SetPalette);
            m_coloured = true;
        } else if (!colour && m_coloured) {
            if (m_hadOwnPalette)
                m_edit->setPalette(m_saved);
            else
                m_edit->setPalette(QPalette());
            m_coloured = false;
        }
        if (colour) {
            const QColor background = m_warned ? WarningColor : FocusColor;
            QPalette coloured = m_saved;
            coloured.setColor(QPalette::Active, QPalette::Base, background);
            coloured.setColor(QPalette::Inactive, QPalette::Base, background);
            m_edit->setPalette(coloured);
        }
    }

    QWidget *m_edit;
    QPalette m_saved;
    bool m_hadOwnPalette = false;
    bool m_coloured = false;
    bool m_focused = false;
    bool m_warned = false;
};

FocusColorFilter *FilterOf(QWidget *edit)
{
    for (QObject *child : edit->children()) {
        if (auto *filter = dynamic_cast<FocusColorFilter *>(child))
            return filter;
    }
    return nullptr;
}

} // namespace

void InstallFocusColor(QLineEdit *edit)
{
    if (!edit || FilterOf(edit))
        return;
    edit->installEventFilter(new FocusColorFilter(edit));
}

void InstallFocusColor(QAbstractSpinBox *spinBox)
{
    // The spin box hands the focus to its edit field directly, past any filter of that field.
    if (!spinBox || FilterOf(spinBox))
        return;
    spinBox->installEventFilter(new FocusColorFilter(spinBox));
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

void SetWarningColor(QLineEdit *edit, bool warned)
{
    if (!edit)
        return;
    InstallFocusColor(edit);
    FilterOf(edit)->setWarned(warned);
}

} // namespace kartevo
