#include "core/settingsform.h"

#include "core/database.h"
#include "core/statement.h"

namespace kartevo {

SettingsForm FormFromSettings(const TBeall &settings)
{
    SettingsForm form;
    form.i1 = settings.i1;
    form.i2 = settings.i2;
    form.i3 = settings.i3;
    form.FullScreen = settings.FullScreen;
    form.Path = settings.Path;
    form.HtmlPath = settings.HtmlPath;
    form.SameChar = settings.SameChar;
    form.Only1Sender = settings.Only1Sender;
    form.Sender = settings.Sender;
    form.UsePrinter = settings.UsePrinter;
    return form;
}

void StoreSettingsForm(const SettingsForm &form, TBeall &settings)
{
    settings.i1 = form.i1;
    settings.i2 = form.i2;
    settings.i3 = form.i3;
    settings.FullScreen = form.FullScreen;
    settings.Path = form.Path;
    settings.HtmlPath = form.HtmlPath;
    settings.Only1Sender = form.Only1Sender;
    settings.Sender = form.Sender;
    settings.UsePrinter = form.UsePrinter;
    settings.SameChar = form.SameChar;
}

QString SenderName(Database &db, qint64 key)
{
    Statement statement(db, QStringLiteral("SELECT * FROM tulajdonos\nWHERE tulajdonos=:ptulajdonos;"));
    statement.bind(QStringLiteral(":ptulajdonos"), key);
    if (!statement.step())
        return {};
    for (int i = 0; i < statement.columnCount(); ++i) {
        if (statement.columnName(i) == QLatin1String("tulajdonos_nev"))
            return statement.column(i).toString();
    }
    return {};
}

} // namespace kartevo
