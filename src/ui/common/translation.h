#pragma once

#include "i18n/language.h"

class QWidget;

namespace kartevo {

// Translates a window from the current language file (or, in template mode, writes its keys to
// the template). Every window calls it when it is shown, before it restores its position;
// whether the window is translated at all is decided by TranslatedWindows(). Errors (a template
// that cannot be written) are thrown as Error.
//
// The window's components are found by kind, in the order of its object tree (containers
// before the controls they hold), each by its objectName; nameless ones and Qt's own inner
// widgets are skipped, and so is a component whose "tag" property is 999
// (report::kSkipTranslationTag): one that shows a text the window sets at run time:
//   QAction (not a separator)           command: text, and tool tip and status tip as the hint
//   QFrame (exactly, no subclass)       panel: the caption is its "caption" property
//   QLabel (without a picture)          caption
//   QPushButton, QCheckBox, QRadioButton caption
//   a page of a QTabWidget              caption: the tab's text
//   QGroupBox holding QRadioButtons     radio group: the buttons are its items (not translated
//                                       on their own)
//   QGroupBox (other), with a title     caption: the title
//   QMenu with a title (menu bar)       caption: the title
//   QComboBox with the property         list: its first fixedItems entries (name.Item0 …); the
//   "fixedItems" (int)                  entries after them are data
//   QTableView                          grid: the horizontal header titles of its model
//   a WindowText                        caption: a text the window uses at run time
// Tool buttons, status bars, edit fields and other combo boxes keep their texts; menu items
// and tool buttons bound to a command show the command's text. Once the texts are applied the
// window gets a QEvent::LanguageChange, so that it can rebuild what it puts together from them.
//
// The first call on a window keeps the texts it had before (its built-in Hungarian ones), so
// that RestoreBuiltInTexts can bring them back.
void TranslateForm(QWidget *window);

// TranslateForm as a window's show handler runs it: an error is shown (the general error
// display) and a dialog that could not be translated is closed again, so the command that
// showed it ends there.
void TranslateOnShow(QWidget *window);

// Brings back the texts a window had before its first translation.
void RestoreBuiltInTexts(QWidget *window);

// After the language choice: every open translated window takes the language at once, or its
// built-in texts when no language file is chosen.
void RetranslateOpenWindows();

// A text a window puts together at run time (the status bar's "sorrend:"), translated with the
// window under name.Caption: a child object of the window holding it. WindowTextOf reads it.
QObject *WindowText(QWidget *window, const char *name, const QString &text);
QString WindowTextOf(const QObject *holder);

// The same for any window, whether listed or not (tests, the language choice).
WindowTexts CollectWindowTexts(QWidget *window);
void ApplyWindowTexts(QWidget *window, const WindowTexts &texts);

} // namespace kartevo
