#pragma once

#include "core/error.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QChar>
#include <QString>
#include <QStringList>

#include <functional>

namespace kartevo {

class Database;

// The text of a file to import and the encoding it was read in.
struct ImportText {
    QString text;
    QString encoding; // Utf8EncodingName or Cp1250EncodingName
    QString warning;  // what the user should know about the reading, or empty
};

inline constexpr char Utf8EncodingName[] = "UTF-8";
inline constexpr char Cp1250EncodingName[] = "Windows-1250";

// Reads the bytes of a delimited file. A file that is valid UTF-8 and holds characters beyond
// ASCII (or starts with the UTF-8 byte-order mark, which is dropped) is UTF-8, as spreadsheet
// programs save it today; anything else is code page 1250. A byte-order mark before a body that
// is not UTF-8 is dropped too; such a file, and one whose lines mix UTF-8 and code page 1250,
// gets a warning naming the first line that is not UTF-8.
ImportText DecodeImportBytes(const QByteArray &bytes);
// The same for a file (ReadInputFile: no devices, no endless lines); throws Error naming the
// file when it cannot be read.
ImportText ReadImportFile(const QString &fileName);

// The same reading kept in UTF-8: the text of a UTF-8 file is a view of its bytes (after a
// byte-order mark), without decoding it; that of a file read as code page 1250 is converted and
// held here.
struct ImportUtf8 {
    QByteArrayView text;
    QByteArray converted;
    QString encoding;
    QString warning;
};
ImportUtf8 DecodeImportBytesToUtf8(QByteArrayView bytes);
// The bytes of a file to import (ReadInputFile); throws Error naming the file when it cannot be
// read or is not a text file.
QByteArray ReadImportBytes(const QString &fileName);

// The separators of the import window, in the order of its choices: ";" "," and tab.
QChar ImportSeparator(int choice);

// A group name as imports compare it with the groups there are: only A-Z without regard to case.
QString GroupMatchKey(const QString &name);

// What an import added.
struct ImportSummary {
    int clients = 0;
    int groups = 0;
};

// A client row that could not be stored: the rows before it are kept (summary), the rest of the
// lines are not imported. line counts the lines of the text from 1.
class ImportError : public Error {
public:
    ImportError(const QString &message, const ImportSummary &kept, int line)
        : Error(message), kept(kept), line(line) {}
    ImportSummary kept;
    int line;
};

// Imports one client per line into ugyfel: fields 1-6 of the line (DelimitedField, no quoting)
// are the name, contact, postal code, town, address and group, cut to their columns' widths;
// the keys follow each other from NextId; every client is unmarked ("N") and gets its sort keys.
// A group that csoport does not hold yet (whole names, the letters A-Z compared without regard
// to case, every other character exactly) is added; a group that cannot be stored is skipped.
// With firstLineNames the first line is left out. An empty line is an empty client.
//
// Everything runs in one transaction; a client that cannot be stored ends the import with
// ImportError after the clients before it have been committed. A commit that fails takes the
// whole import back (ImportError with nothing kept). progress, when given, gets the index of
// every line imported. With recordAs the import is recorded under that name in the same
// transaction (its clients and the groups it added), so that it can be taken back; an import
// that kept no client leaves no record.
//
// The lines are UTF-8 and the separator ASCII.
ImportSummary ImportClientLines(Database &db, const QList<QByteArrayView> &lines, char separator, bool firstLineNames,
                                const std::function<void(int line)> &progress = {}, const QString &recordAs = {});
ImportSummary ImportClients(Database &db, const QStringList &lines, QChar separator, bool firstLineNames,
                            const std::function<void(int line)> &progress = {}, const QString &recordAs = {});

} // namespace kartevo
