#pragma once

#include <QRect>
#include <QString>

class QLabel;
class QWidget;

namespace kartevo {

// Every window keeps its place in its own section of the configuration file, named after the
// window (its objectName). Fixed dialogs keep their position, resizable windows also their size.
// An empty file name keeps nothing; a file that cannot be read or written shows the error and
// the window goes on. A restored window always lies on the desktop's work area.
void RestoreWindowPos(QWidget *window, const QString &iniFileName);
void StoreWindowPos(QWidget *window, const QString &iniFileName);
// The saved rectangle, the window's current size as the default, pulled back into the work area.
void RestoreWindowRect(QWidget *window, const QString &iniFileName, const QRect &workArea);
void StoreWindowRect(QWidget *window, const QString &iniFileName);

// The font size of the settings for a window and every control that takes its font. Labels
// placed by hand (outside a layout) grow when their caption no longer fits (FitPlacedLabel).
void ApplyFontSize(QWidget *window, int pointSize);

// A label placed by hand (outside a layout, not word-wrapped) grows to the room its caption
// needs in its font; it never shrinks below the room it was given.
void FitPlacedLabel(QLabel *label);

} // namespace kartevo
