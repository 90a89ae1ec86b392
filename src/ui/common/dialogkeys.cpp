#include "ui/common/dialogkeys.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QPushButton>

namespace kartevo {

bool DialogKeyPress(QDialog *dialog, QAbstractButton *cancel, const QKeyEvent *key)
{
    const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
    if (modifiers != Qt::NoModifier)
        return false;
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
        // Enter acts as Tab (given to the dialog itself, which moves the focus on); on a button
        // it also presses the button.
        auto *button = qobject_cast<QAbstractButton *>(dialog->focusWidget());
        QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
        QCoreApplication::sendEvent(dialog, &tab);
        if (button && button->isEnabled())
            button->click();
        return true;
    }
    if (key->key() == Qt::Key_Escape) {
        if (cancel)
            cancel->click();
        else
            dialog->reject();
        return true;
    }
    return false;
}

void NoDefaultButtons(std::initializer_list<QPushButton *> buttons)
{
    for (QPushButton *button : buttons) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }
}

} // namespace kartevo
