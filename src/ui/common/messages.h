#pragma once

#include <QString>

class QWidget;

namespace kartevo {

// The three message boxes of the program. Each blocks until answered; owner may be null.
bool AskYesNo(const QString &message, const QString &caption, QWidget *owner);
void ShowError(const QString &message, QWidget *owner);
void ShowInfo(const QString &message, QWidget *owner);

// Everything modal that a command asks the user goes through this interface, so that tests
// can answer instead of a person. The default shows real boxes.
class Prompter {
public:
    virtual ~Prompter() = default;
    virtual bool askYesNo(const QString &message, const QString &caption, QWidget *owner) = 0;
    virtual void showError(const QString &message, QWidget *owner) = 0;
    virtual void showInfo(const QString &message, QWidget *owner) = 0;
};

// Replaces the prompter (tests); null restores the real message boxes. Not owned.
void SetPrompter(Prompter *prompter);
Prompter &CurrentPrompter();

} // namespace kartevo
