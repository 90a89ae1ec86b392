#pragma once

#include <QByteArray>
#include <QString>

namespace kartevo {

// The longest line a text file given to the program may hold (import, SQL files).
inline constexpr qsizetype MaxInputLine = 1024 * 1024;

// Reads a text file the user names: a regular file or a pipe, never a device, a socket or a
// folder (reading /dev/zero would never end). It is read in pieces, and a line longer than
// maxLine bytes stops the reading with its number, so an endless line cannot fill the memory.
// Throws Error naming the file and the cause.
QByteArray ReadInputFile(const QString &fileName, qsizetype maxLine = MaxInputLine);

} // namespace kartevo
