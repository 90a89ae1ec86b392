#pragma once

#include "core/settings.h"

#include <QString>

namespace kartevo {

class Database;

// The settings the settings dialog edits, as copies in its controls. The dialog changes the
// settings record only on OK, by StoreSettingsForm.
struct SettingsForm {
    QString i1, i2, i3; // the envelope pictures
    bool FullScreen = false;
    QString Path;
    QString HtmlPath;
    bool SameChar = false; // the "uniform characters" check box
    bool Only1Sender = true;
    int Sender = 1;        // the chosen sender key
    bool UsePrinter = true;
};

SettingsForm FormFromSettings(const TBeall &settings);
// In this order: i1, i2, i3, FullScreen, Path, HtmlPath, Only1Sender, Sender, UsePrinter (and
// SameChar). The texts are taken as typed.
void StoreSettingsForm(const SettingsForm &form, TBeall &settings);

// The name of the sender with that key ("SELECT * FROM tulajdonos" / "WHERE
// tulajdonos=:ptulajdonos;"), empty when there is none.
QString SenderName(Database &db, qint64 key);

} // namespace kartevo
