#pragma once

#include <QColor>

class QLineEdit;
class QWidget;

namespace kartevo {

// The background of a one-line edit field while it holds the focus (sky blue).
inline const QColor FocusColor{166, 202, 240};

// Gives the edit field the focus colour while it holds the focus; on leaving it gets back the
// background it had before. Safe to call more than once for the same field.
void InstallFocusColor(QLineEdit *edit);

// The same for every one-line edit field inside the widget (the widget itself included),
// except those inside spin boxes, combo boxes and other compound controls.
void InstallFocusColors(QWidget *root);

} // namespace kartevo
