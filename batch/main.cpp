// kartevo-batch: the program's logic from the command line, for automation and print shops.
// It finds the data folder, the configuration and the database exactly as the desktop program.
#include "batch/commands.h"

#include <QCoreApplication>
#include <QGuiApplication>


int main(int argc, char *argv[])
{
    // Every print job stamps its time; without TZ the C library looks at /etc/localtime again
    // for each one (a file-system call per envelope of a long run). Read once, as the same zone.
    if (qEnvironmentVariableIsEmpty("TZ"))
        qputenv("TZ", ":/etc/localtime");
    // Printing to PDF needs fonts and a paint engine but never a screen.
    bool needsGui = false;
    for (int i = 1; i < argc; ++i) {
        if (kartevo::batch::CommandNeedsGui(argv[i]))
            needsGui = true;
    }
    if (needsGui) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        QGuiApplication app(argc, argv);
        return kartevo::batch::Run(QCoreApplication::arguments());
    }
    QCoreApplication app(argc, argv);
    return kartevo::batch::Run(QCoreApplication::arguments());
}
