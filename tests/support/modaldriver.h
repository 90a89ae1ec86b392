#pragma once

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace kartevo::test {

// Runs step on the next modal window that opens, from inside its exec(), so that a test can
// work a dialog as a user would: once the window is active, as it is for a user, so that its
// shortcuts work (they only reach the active window). Should the step fail the test, the
// dialog is rejected so that the test does not hang. With again set, the window that is modal
// now counts too: a step that is about to close a dialog which will be shown once more uses it
// for that second showing.
inline void WhenModal(std::function<void(QWidget *)> step, bool again = false)
{
    auto *timer = new QTimer;
    timer->setInterval(5);
    QPointer<QWidget> previous = again ? nullptr : QApplication::activeModalWidget();
    QObject::connect(timer, &QTimer::timeout, [timer, step = std::move(step), previous] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || modal == previous || !modal->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        QPointer<QWidget> guard = modal;
        // Activation comes from the window system a little after showing; keys sent before it
        // would miss the window's shortcuts.
        if (!QTest::qWaitForWindowActive(modal))
            qWarning("the modal window %s did not become active", qPrintable(modal->objectName()));
        if (!guard)
            return;
        step(modal);
        if (QTest::currentTestFailed() && guard && guard->isVisible()) {
            if (auto *dialog = qobject_cast<QDialog *>(guard.data()))
                dialog->reject();
        }
    });
    timer->start();
}

// Types the text into the widget one key at a time; unlike QTest::keyClicks it takes any
// character, accented ones included.
inline void TypeText(QWidget *widget, const QString &text)
{
    for (QChar c : text) {
        const char16_t upper = c.toUpper().unicode();
        const Qt::Key key = upper < 0x100 && c.isLetterOrNumber() ? Qt::Key(upper) : Qt::Key_unknown;
        QTest::sendKeyEvent(QTest::Click, widget, key, QString(c), Qt::NoModifier);
    }
}

// The dialog's child of that name and type; fails the test (and gives null) when missing.
template <typename T>
T *Child(QWidget *window, const char *name)
{
    T *child = window ? window->findChild<T *>(QLatin1String(name)) : nullptr;
    if (!child)
        qWarning("no child %s", name);
    return child;
}

} // namespace kartevo::test
