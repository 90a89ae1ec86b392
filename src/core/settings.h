#pragma once

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
    QString LabelFont = QStringLiteral("Arial");
    int LabelSize = 10;
    bool LabelBold = false;
    bool LabelItalic = false;
    bool LabelUnderline = false;
    int l1Left = 28, l1Top = 17, l2Left = 28, l2Top = 45, l3Left = 28, l3Top = 73, l4Left = 28,
        l4Top = 97, l5Left = 28, l5Top = 125;
    QString i1, i2, i3; // pictures
    QString Lang;

    bool operator==(const TBeall &) const = default;
};

// Reads every setting; missing or unreadable keys keep their defaults. An empty database path
// becomes <dataFolder>/Kartevo.sqb (whether it exists is the caller's business); an empty or
// missing HTML folder becomes <dataFolder>/Html.
TBeall LoadSettings(const QString &iniFileName, const QString &dataFolder);
// Writes every setting, keeping the rest of the file. Throws Error naming the file on failure.
void SaveSettings(const TBeall &settings, const QString &iniFileName);

// Window positions, one section per window; each call reads or writes the file at once.
void LoadWindowPos(const QString &ini, const QString &section, int &left, int &top);
void SaveWindowPos(const QString &ini, const QString &section, int left, int top);
// Width and height keep the values passed in when the file has none; the result is pulled
// back into the work area by ClampWindowRect.
void LoadWindowRect(const QString &ini, const QString &section, int &left, int &top, int &width,
                    int &height, const QRect &workArea);
void SaveWindowRect(const QString &ini, const QString &section, int left, int top, int width,
                    int height);
// Moves (and if need be shrinks) a window so that its right and bottom edges lie within the
// work area. Negative positions are left alone.
void ClampWindowRect(int &left, int &top, int &width, int &height, const QRect &workArea);

} // namespace kartevo
