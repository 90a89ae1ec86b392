#pragma once

#include <QStringList>

namespace kartevo::batch {

// Exit codes: 0 done, 1 the command failed (message on stderr), 2 bad arguments (usage shown).
enum ExitCode { ExitOk = 0, ExitFailed = 1, ExitUsage = 2 };

// Whether a command word needs the GUI module (fonts, PDF painting).
bool CommandNeedsGui(const char *word);

// Runs the command line (arguments[0] is the program).
int Run(const QStringList &arguments);

} // namespace kartevo::batch
