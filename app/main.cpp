// The desktop program: fixes the folders, creates the main window and runs until it closes.
#include "core/folders.h"
#include "i18n/language.h"
#include "ui/common/application.h"
#include "ui/common/termination.h"
#include "ui/main/frm_main.h"

int main(int argc, char *argv[])
{
    kartevo::KartevoApplication app(argc, argv);
    kartevo::InstallApplicationLook(app);
    // "kiir" as the first argument: every window and report writes its texts to DataFolder/lang.ini.
    kartevo::SetTemplateMode(kartevo::IsTemplateArgument(app.arguments()));

    const kartevo::Folders folders =
        kartevo::ComputeFolders(QCoreApplication::applicationDirPath(), kartevo::DesktopWorkArea());
    kartevo::SetAppFolders(folders);

    // SIGTERM, SIGINT, SIGHUP and the end of the desktop session close the main window like "Bezár".
    kartevo::TerminationGuard termination;
    kartevo::Tfrm_Main mainWindow(folders);
    termination.watch(&mainWindow);
    if (mainWindow.startupStopped())
        return 1;
    mainWindow.show();
    return app.exec();
}
