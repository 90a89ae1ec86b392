#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWidget>

class QSocketNotifier;

namespace kartevo {

// Ends the desktop program the way its close command does when the process is asked to stop
// (SIGTERM, SIGINT, SIGHUP when its terminal closes) or the desktop session ends: open dialogs
// and menus are cancelled, then the main window is closed, so the settings and its geometry are
// written and the database is closed. SIGINT and SIGHUP that the program was started with ignored
// (nohup, a background job) stay ignored.
//
// The signal handlers only write one byte into a pipe; the rest happens in the event loop. One
// guard per process; create it before the main window so that a signal that arrives while the
// window is being built waits in the pipe until the event loop runs. The handlers the signals had
// before come back with the guard's end.
class TerminationGuard final : public QObject {
    Q_OBJECT
public:
    explicit TerminationGuard(QObject *parent = nullptr);
    ~TerminationGuard() override;

    // The window to close; the program ends when it has closed. mainLoopLevel is the nesting
    // level of the event loop the window runs in (1 under QApplication::exec()); the window is
    // closed only from that loop, never from inside a command's dialog or menu.
    void watch(QWidget *mainWindow, int mainLoopLevel = 1);

    // Closes the open dialogs and menus, then the main window (also called for the session's end).
    void closeMainWindow();

private:
    void readSignals();

    QPointer<QWidget> m_window;
    QSocketNotifier *m_notifier = nullptr;
    QTimer m_retry; // comes back while a command's dialog or menu is still ending
    int m_cancelled = 0; // windows cancelled so far
    int m_mainLoopLevel = 1;
    bool m_requested = false;
    bool m_done = false;
};

} // namespace kartevo
