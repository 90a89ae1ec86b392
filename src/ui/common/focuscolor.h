#pragma once

#include <QColor>

class QAbstractSpinBox;
class QLineEdit;
class QWidget;

namespace kartevo {

// The background of a one-line edit field while it holds the focus (sky blue).
inline const QColor FocusColor{166, 202, 240};

// The background of a search box whose text matches no row (light red).
inline const QColor WarningColor{255, 182, 182};

// Gives the edit field the focus colour while it holds the focus; on leaving it gets back the
// background it had before. Safe to call more than once for the same field.
void InstallFocusColor(QLineEdit *edit);
// The same for a spin box (its edit field shows the spin box's colours).
void InstallFocusColor(QAbstractSpinBox *spinBox);

// Shows the edit field in the warning colour, over the focus colour, until it is called again
// with false; the field then has the focus colour or its own background again.
void SetWarningColor(QLineEdit *edit, bool warned);

// The same for every one-line edit field inside the widget (the widget itself included),
// except those inside spin boxes, combo boxes and other compound controls.
void InstallFocusColors(QWidget *root);

} // namespace kartevo
