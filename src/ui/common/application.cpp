#include "ui/common/application.h"

#include "core/error.h"
#include "ui/common/messages.h"

#include <QAction>
#include <QFileInfo>
#include <QFontDatabase>
#include <QIcon>
#include <QKeyEvent>
#include <QLibraryInfo>
#include <QScreen>
#include <QToolTip>
#include <QTranslator>
#include <QWheelEvent>
#include <QWidget>

#include <exception>

namespace kartevo {

namespace {

QWidget *errorOwner(QWidget *owner)
{
    if (owner)
        return owner->window();
    return QApplication::activeWindow();
}

void showException(QWidget *owner)
{
    try {
        throw;
    } catch (const Error &e) {
        ShowError(e.message(), errorOwner(owner));
    } catch (const std::exception &e) {
        ShowError(QString::fromLocal8Bit(e.what()), errorOwner(owner));
    } catch (...) {
        ShowError(QStringLiteral("Ismeretlen hiba történt."), errorOwner(owner));
    }
}

} // namespace

KartevoApplication::KartevoApplication(int &argc, char **argv) : QApplication(argc, argv) {}

bool KartevoApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        showException(qobject_cast<QWidget *>(receiver));
        return true;
    }
}

bool RunCommand(QWidget *owner, const std::function<void()> &command)
{
    try {
        command();
        return true;
    } catch (...) {
        showException(owner);
        return false;
    }
}

void ConnectCommand(QAction *action, QWidget *owner, std::function<void()> handler)
{
    QObject::connect(action, &QAction::triggered, owner,
                     [owner, handler = std::move(handler)] { RunCommand(owner, handler); });
}

bool WheelToArrowFilter::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::Wheel)
        return QObject::eventFilter(watched, event);
    QWidget *target = QApplication::focusWidget();
    if (!target)
        return QObject::eventFilter(watched, event);
    const auto *wheel = static_cast<QWheelEvent *>(event);
    const int delta = wheel->angleDelta().y() != 0 ? wheel->angleDelta().y() : wheel->angleDelta().x();
    const int key = delta > 0 ? Qt::Key_Up : Qt::Key_Down;
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
    QApplication::sendEvent(target, &release);
    return true;
}

void InstallApplicationLook(QApplication &app)
{
    // The name the desktop files the program's windows under (the X11 window class). No
    // display name is set: Qt's platform windows append one to every window title, and the
    // program's captions stand alone.
    app.setApplicationName(QStringLiteral("Kartevo"));
    // Every window carries the program's icon, the one of its menu entry (kartevo.desktop).
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/kartevo/kartevo.svg")));
    QGuiApplication::setDesktopFileName(QStringLiteral("kartevo"));

    auto *translator = new QTranslator(&app);
    if (translator->load(QLocale(QLocale::Hungarian), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(translator);

    // Windows are measured in Tahoma and menu check marks use Wingdings; the system may have
    // them outside fontconfig's folders.
    for (const char *name : {"tahoma.ttf", "tahomabd.ttf", "wingding.ttf"}) {
        const QString file = QStringLiteral("/usr/share/wine/fonts/") + QLatin1String(name);
        if (QFileInfo::exists(file))
            QFontDatabase::addApplicationFont(file);
    }

    QPalette tips = QToolTip::palette();
    tips.setColor(QPalette::ToolTipBase, HintColor);
    tips.setColor(QPalette::ToolTipText, Qt::black);
    QToolTip::setPalette(tips);

    app.installEventFilter(new WheelToArrowFilter(&app));
}

QRect DesktopWorkArea()
{
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        return screen->availableGeometry();
    return QRect(0, 0, 1024, 768);
}

} // namespace kartevo
