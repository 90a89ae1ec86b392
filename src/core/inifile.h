#pragma once

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace kartevo {

// A configuration file in the classic Windows INI form, read at once and written back whole.
//
// The file is code page 1250; lines are read with any line end and written with CR LF.
// Section and key names are matched without regard to case; values are trimmed and lose one
// pair of enclosing quotes. Comments and lines that are neither section headers nor keys are
// kept as they are when the file is written back. Nothing reaches the disk until save().
class IniFile {
public:
    // Reads the file; a missing file is an empty one. Throws Error when the file exists but
    // cannot be read (writing it back would otherwise lose its contents).
    explicit IniFile(const QString &fileName);

    const QString &fileName() const { return m_fileName; }

    QString readString(const QString &section, const QString &key, const QString &def) const;
    // Decimal with an optional sign, or 0x hexadecimal; anything else gives def.
    int readInteger(const QString &section, const QString &key, int def) const;
    // An integer: non-zero is true, unreadable gives def.
    bool readBool(const QString &section, const QString &key, bool def) const;
    // A number written with the default locale's decimal separator; unreadable gives def.
    double readFloat(const QString &section, const QString &key, double def) const;

    void writeString(const QString &section, const QString &key, const QString &value);
    void writeInteger(const QString &section, const QString &key, int value);
    void writeBool(const QString &section, const QString &key, bool value);
    void writeFloat(const QString &section, const QString &key, double value);

    bool valueExists(const QString &section, const QString &key) const;
    // Names as spelled in the file, each once, in file order.
    QStringList sections() const;
    QStringList keys(const QString &section) const;
    void eraseSection(const QString &section);

    // Writes the whole file through a temporary file renamed over it (OutputFile), so that a
    // crash or a full disk leaves the old file or the new one, never a part; a read-only file
    // is not replaced. Throws Error naming the file on failure.
    void save() const;

private:
    enum class Kind { Other, Section, Key };
    struct Line {
        QString text; // as read, or as last written
        Kind kind = Kind::Other;
        QString name; // section or key name, trimmed
    };

    static Line parseLine(const QString &text);
    // Index of the key's line, first occurrence in file order.
    std::optional<size_t> findKey(const QString &section, const QString &key) const;
    std::optional<QString> rawValue(const QString &section, const QString &key) const;

    QString m_fileName;
    std::vector<Line> m_lines;
};

} // namespace kartevo
