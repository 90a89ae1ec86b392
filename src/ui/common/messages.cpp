#include "ui/common/messages.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QPointer>
#include <QWidget>

namespace kartevo {

namespace {

// The box is modal; afterwards the window that was active before gets its activation back.
int showBox(QMessageBox::Icon icon, const QString &caption, const QString &message, QWidget *owner,
            QMessageBox::StandardButtons buttons, QMessageBox::StandardButton defaultButton,
            bool restoreActive)
{
    QPointer<QWidget> active = QApplication::activeWindow();
    QMessageBox box(icon, caption, message, buttons, owner);
    // Messages carry file names, server answers and catalog texts: never read as markup.
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(defaultButton);
    if (buttons.testFlag(QMessageBox::Yes)) {
        box.button(QMessageBox::Yes)->setText(QStringLiteral("&Igen"));
        box.button(QMessageBox::No)->setText(QStringLiteral("&Nem"));
    }
    const int result = box.exec();
    if (restoreActive && active)
        active->activateWindow();
    return result;
}

class BoxPrompter final : public Prompter {
public:
    bool askYesNo(const QString &message, const QString &caption, QWidget *owner) override
    {
        return showBox(QMessageBox::Question, caption, message, owner,
                       QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes, true)
               == QMessageBox::Yes;
    }
    void showError(const QString &message, QWidget *owner) override
    {
        showBox(QMessageBox::Critical, QStringLiteral("Hiba"), message, owner, QMessageBox::Ok,
                QMessageBox::Ok, true);
    }
    void showInfo(const QString &message, QWidget *owner) override
    {
        showBox(QMessageBox::Information, QStringLiteral("Üzenet"), message, owner, QMessageBox::Ok,
                QMessageBox::Ok, false);
    }
};

BoxPrompter g_boxPrompter;
Prompter *g_prompter = nullptr;

} // namespace

void SetPrompter(Prompter *prompter) { g_prompter = prompter; }

Prompter &CurrentPrompter() { return g_prompter ? *g_prompter : g_boxPrompter; }

bool AskYesNo(const QString &message, const QString &caption, QWidget *owner)
{
    return CurrentPrompter().askYesNo(message, caption, owner);
}

void ShowError(const QString &message, QWidget *owner) { CurrentPrompter().showError(message, owner); }

void ShowInfo(const QString &message, QWidget *owner) { CurrentPrompter().showInfo(message, owner); }

} // namespace kartevo
