#pragma once

#include "core/calibration.h"

#include <QRect>
#include <QString>

namespace kartevo {

// The program's settings as kept in its configuration file. The initial values are the
// defaults used for keys the file does not have.
struct TBeall {
    bool FullScreen = false;
    int FontSize = 9;
    QString Path;     // the address book database
    QString HtmlPath; // folder of the HTML exports
    int Sender = 1;
    bool Only1Sender = true;
    bool UsePrinter = true;
    bool SameChar = false;
    double LabelLeft = 7.2;
    double LabelTop = 15.2;
    double LabelHeight = 38.1;
    int LabelColumn = 3;
    int LabelCount = 1;
    QString LabelFormat; // the label format last chosen in the label window
    QString LabelFont = QStringLiteral("Arial");
    int LabelSize = 10;
    bool LabelBold = false;
    bool LabelItalic = false;
    bool LabelUnderline = false;
    int l1Left = 28, l1Top = 17, l2Left = 28, l2Top = 45, l3Left = 28, l3Top = 73, l4Left = 28,
        l4Top = 97, l5Left = 28, l5Top = 125;
    QString i1, i2, i3; // pictures
    QString Lang;
    // Printer alignment, the Calibration section (not one of the table's keys: a file without
    // offsets has no such section).
    Calibration calibration;

    bool operator==(const TBeall &) const = default;
};

// The font sizes FontSize may give the windows; a value in the file outside them is held at
// the nearer one (the windows' own enlarge and reduce steps stay within 8 to 10).
constexpr int kMinFontSize = 6;
constexpr int kMaxFontSize = 36;

// Reads every setting; missing or unreadable keys keep their defaults. An empty database path
// becomes <dataFolder>/Kartevo.sqb (whether it exists is the caller's business); an empty or
// missing HTML folder becomes <dataFolder>/Html; FontSize is held within kMinFontSize to
// kMaxFontSize.
TBeall LoadSettings(const QString &iniFileName, const QString &dataFolder);
// Writes every setting, keeping the rest of the file. Throws Error naming the file on failure.
void SaveSettings(const TBeall &settings, const QString &iniFileName);

// Window positions, one section per window; each call reads or writes the file at once.
void LoadWindowPos(const QString &ini, const QString &section, int &left, int &top);
void SaveWindowPos(const QString &ini, const QString &section, int left, int top);
// Width and height keep the values passed in when the file has none (or one below 1); the
// result is pulled back into the work area by ClampWindowRect.
void LoadWindowRect(const QString &ini, const QString &section, int &left, int &top, int &width,
                    int &height, const QRect &workArea);
void SaveWindowRect(const QString &ini, const QString &section, int left, int top, int width,
                    int height);
// Moves (and if need be shrinks) a window so that it lies within the work area: a left or top
// edge beyond the work area goes back to its near edge, one before it (off the screen to the
// left or above) to the edge itself, and a window that sticks out at the right or bottom is
// moved in, or when it is not smaller than the work area, made as large as the work area.
// Any int values are taken, however extreme; a size below 1 counts as 1.
void ClampWindowRect(int &left, int &top, int &width, int &height, const QRect &workArea);

} // namespace kartevo
