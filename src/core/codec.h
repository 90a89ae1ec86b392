#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace kartevo {

// The 8-bit code page of the program's text files (configuration, language files, CSV,
// exports, SQL files). Characters it cannot hold are written as '?'.
QByteArray ToCp1250(QStringView text);
QString FromCp1250(const QByteArray &bytes);

// The code of one character in code page 1250, or -1 when the code page cannot hold it.
int Cp1250Code(QChar ch);

// Reads a code-page-1250 text file as lines (CR LF, LF or CR ends a line; no BOM is read).
// Throws Error naming the file when it cannot be read.
QStringList ReadCp1250Lines(const QString &fileName);

} // namespace kartevo
