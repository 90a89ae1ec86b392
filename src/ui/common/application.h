#pragma once

#include <QApplication>

class QAction;
#include <QColor>

#include <functional>

namespace kartevo {

// The hint pop-up colour of the program.
inline const QColor HintColor{255, 218, 181};

// The application object. Its notify() is the last net for errors: an exception that escapes a
// command is shown in an error box and the program goes on; none crosses the event loop.
class KartevoApplication final : public QApplication {
    Q_OBJECT
public:
    KartevoApplication(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;
};

// Runs one command and shows any error it raises in an error box owned by owner (the
// general error display). Returns false when the command failed.
bool RunCommand(QWidget *owner, const std::function<void()> &command);

// Connects an action so that its handler runs inside RunCommand.
void ConnectCommand(QAction *action, QWidget *owner, std::function<void()> handler);

// Turns every mouse-wheel turn into an Up (away from the user) or Down arrow key for the
// widget that has the focus, so one notch moves one row in every list.
class WheelToArrowFilter final : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    bool eventFilter(QObject *watched, QEvent *event) override;
};

// Application-wide set-up of the desktop program: name and window icon, Hungarian texts of Qt's
// own dialogs, the Tahoma font when the system has one, the hint colour and the wheel filter.
void InstallApplicationLook(QApplication &app);

// The desktop work area of the primary screen (a 1024 × 768 area without a screen).
QRect DesktopWorkArea();

} // namespace kartevo
