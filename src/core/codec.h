#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

namespace kartevo {

// The 8-bit code page of the program's text files (configuration, language files, CSV,
// exports, SQL files). Characters it cannot hold are written as '?'.
QByteArray ToCp1250(QStringView text);
QString FromCp1250(const QByteArray &bytes);

// An encoder for code page 1250 used for many texts (one per line of an export), counting the
// characters it could not hold; they are written as '?', or as HTML character references
// ("&#28450;") for a page, which lose nothing and are not counted.
class Cp1250Encoder {
public:
    enum class Unmappable { Question, HtmlReference };
    explicit Cp1250Encoder(Unmappable mode = Unmappable::Question) : m_mode(mode) {}

    QByteArray encode(QStringView text);
    // Characters written as '?' so far because the code page has no place for them.
    int unmappable() const { return m_unmappable; }

private:
    void appendUnmappable(QByteArray &bytes, char32_t ch);

    Unmappable m_mode;
    int m_unmappable = 0;
};

// The code of one character in code page 1250, or -1 when the code page cannot hold it.
int Cp1250Code(QChar ch);

// What bytes are as UTF-8: only ASCII, UTF-8 beyond ASCII, or not UTF-8 (a byte sequence
// that is not the shortest form of a character, a surrogate, or beyond U+10FFFF).
enum class Utf8Kind { Ascii, Utf8, Invalid };
Utf8Kind ClassifyUtf8(QByteArrayView bytes);

// Reads a code-page-1250 text file as lines (CR LF, LF or CR ends a line; no BOM is read).
// Throws Error naming the file when it cannot be read.
QStringList ReadCp1250Lines(const QString &fileName);

} // namespace kartevo
