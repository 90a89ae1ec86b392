#include "ui/common/termination.h"

#include <QApplication>
#include <QSessionManager>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <iterator>
#include <unistd.h>

namespace kartevo {

namespace {

int g_pipe[2] = {-1, -1};
// SIGHUP: the terminal the program was started from has closed.
constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};
// What each signal did before the guard took it over, restored when the guard goes.
struct sigaction g_previous[std::size(kSignals)];
bool g_taken[std::size(kSignals)] = {};

// Async-signal-safe: one write() into a non-blocking pipe, errno kept for the interrupted code.
extern "C" void OnTerminationSignal(int)
{
    const int savedErrno = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(g_pipe[1], &byte, 1);
    errno = savedErrno;
}

} // namespace

TerminationGuard::TerminationGuard(QObject *parent) : QObject(parent)
{
    m_retry.setSingleShot(true);
    m_retry.setInterval(20);
    connect(&m_retry, &QTimer::timeout, this, &TerminationGuard::closeMainWindow);
    Q_ASSERT(g_pipe[0] < 0);
    if (::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        g_pipe[0] = g_pipe[1] = -1;
        return;
    }
    m_notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TerminationGuard::readSignals);

    struct sigaction action = {};
    action.sa_handler = OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (std::size_t i = 0; i < std::size(kSignals); ++i) {
        g_taken[i] = false;
        if (::sigaction(kSignals[i], nullptr, &g_previous[i]) != 0)
            continue;
        // A signal ignored by whoever started the program stays ignored ("nohup kartevo", or
        // SIGINT for a job started in the background); SIGTERM is always taken.
        if (kSignals[i] != SIGTERM && g_previous[i].sa_handler == SIG_IGN)
            continue;
        g_taken[i] = ::sigaction(kSignals[i], &action, nullptr) == 0;
    }

#if QT_CONFIG(sessionmanager)
    // The desktop session ends: the window closes as by its close command.
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager &) { closeMainWindow(); });
#endif
    // Whoever else ends the event loop: the window is still closed properly (a second close
    // does nothing).
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] {
        if (m_window && m_window->isVisible())
            m_window->close();
    });
}

TerminationGuard::~TerminationGuard()
{
    if (g_pipe[0] < 0)
        return;
    for (std::size_t i = 0; i < std::size(kSignals); ++i) {
        if (g_taken[i])
            ::sigaction(kSignals[i], &g_previous[i], nullptr);
        g_taken[i] = false;
    }
    delete m_notifier;
    ::close(g_pipe[0]);
    ::close(g_pipe[1]);
    g_pipe[0] = g_pipe[1] = -1;
}

void TerminationGuard::watch(QWidget *mainWindow, int mainLoopLevel)
{
    m_window = mainWindow;
    m_mainLoopLevel = mainLoopLevel;
    // Asked to stop while the window was being built (its error boxes are cancelled already).
    if (m_requested)
        m_retry.start();
}

void TerminationGuard::readSignals()
{
    char buffer[64];
    while (::read(g_pipe[0], buffer, sizeof buffer) > 0) {
    }
    closeMainWindow();
}

void TerminationGuard::closeMainWindow()
{
    m_requested = true;
    m_retry.stop();
    QThread *thread = QThread::currentThread();
    // A modal dialog or a menu runs its own event loop inside a command: cancel it, and close
    // the window only once that loop has returned and the command has ended. A window that keeps
    // refusing to close does not hold the end up for ever.
    QWidget *open = QApplication::activePopupWidget();
    if (!open)
        open = QApplication::activeModalWidget();
    if (open && open != m_window && m_cancelled < 100) {
        ++m_cancelled;
        open->close();
        m_retry.start();
        return;
    }
    // The window is closed from its own event loop only: not from inside a command's dialog or
    // menu, and not before that loop runs (the window may not be shown yet then).
    if (thread->loopLevel() != m_mainLoopLevel) {
        m_retry.start();
        return;
    }
    if (!m_window || m_done)
        return;
    m_done = true;
    m_cancelled = 0;
    m_window->close();
}

} // namespace kartevo
