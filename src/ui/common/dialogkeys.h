#pragma once

#include <initializer_list>

class QAbstractButton;
class QDialog;
class QKeyEvent;
class QPushButton;

namespace kartevo {

// The keys of the program's dialogs: Enter moves the focus to the next control in tab order
// (on a button it also presses that button), Escape presses the cancel button ("Mégsem") or,
// without one, closes the dialog. A dialog sees the key before the control that has the focus
// and passes it here; the result tells whether the key was one of these and has been handled.
bool DialogKeyPress(QDialog *dialog, QAbstractButton *cancel, const QKeyEvent *key);

// Enter is the dialog's own key, so none of these buttons is a default button that Enter in an
// edit field would press.
void NoDefaultButtons(std::initializer_list<QPushButton *> buttons);

} // namespace kartevo
