// The INI reader (configuration and language files: code page 1250, any line ends).
//
// The input is a whole file. Every section and key found is read in every form; then the file
// is written back and read again, which must give the same sections, keys and values. Last, a
// value made from the file's first line is written under a plain section and key and must read
// back as written.

#include "fuzzcheck.h"

#include "core/codec.h"
#include "core/error.h"
#include "core/inifile.h"

#include <QFile>
#include <QTemporaryDir>

using namespace kartevo;
using namespace kartevo::fuzz;

namespace {

const QTemporaryDir &Folder()
{
    static const QTemporaryDir dir;
    return dir;
}

void WriteFile(const QString &fileName, const QByteArray &bytes)
{
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        Fail("cannot write the input file", fileName);
}

// What the reader hands out, in a form that survives writing: code page 1250 bytes.
QByteArray Stored(const QString &text)
{
    return ToCp1250(text);
}

void CheckSameContent(const IniFile &a, const IniFile &b)
{
    const auto names = [](const QStringList &list) { return Stored(list.join(u'|')); };
    FUZZ_CHECK(names(a.sections()) == names(b.sections()), a.sections().join(u'|'));
    for (const QString &section : a.sections()) {
        FUZZ_CHECK(names(a.keys(section)) == names(b.keys(section)), section);
        for (const QString &key : a.keys(section)) {
            FUZZ_CHECK(Stored(a.readString(section, key, {})) == Stored(b.readString(section, key, {})),
                       section + u'/' + key);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString in = Folder().filePath(QStringLiteral("in.ini"));
    const QByteArray bytes = Bytes(data, size);
    WriteFile(in, bytes);

    IniFile ini(in);
    for (const QString &section : ini.sections()) {
        for (const QString &key : ini.keys(section)) {
            FUZZ_CHECK(ini.valueExists(section, key), section + u'/' + key);
            const QString value = ini.readString(section, key, QStringLiteral("\x01"));
            FUZZ_CHECK(value.size() <= 2047, section + u'/' + key);
            const int number = ini.readInteger(section, key, 0);
            FUZZ_CHECK(ini.readBool(section, key, number != 0) == (number != 0), section + u'/' + key);
            (void)ini.readFloat(section, key, 0);
        }
    }

    // Written back unchanged, the file reads the same. (Bytes the code page leaves undefined are
    // written back as '?', which may merge two names, so only a file that is clean code page
    // 1250 text is compared.)
    const bool clean = ToCp1250(FromCp1250(bytes)) == bytes;
    ini.save();
    if (clean)
        CheckSameContent(ini, IniFile(in));

    // A value written under a plain name reads back as written: its line breaks become spaces,
    // and a value with blanks or quotes around it loses them, so only a value without them is
    // compared whole.
    const QString firstLine = FromCp1250(bytes.left(bytes.indexOf('\n') < 0 ? 64 : bytes.indexOf('\n')));
    const QString value = QString(firstLine).replace(u'\r', u' ');
    ini.writeString(QStringLiteral("Fuzz"), QStringLiteral("Value"), value);
    ini.writeInteger(QStringLiteral("Fuzz"), QStringLiteral("Number"), int(size) - 1000);
    const QString read = ini.readString(QStringLiteral("Fuzz"), QStringLiteral("Value"), {});
    if (value == value.trimmed() && value.size() <= 2047 && !value.startsWith(u'"') && !value.startsWith(u'\''))
        FUZZ_CHECK(read == value, value + u'\n' + read);
    FUZZ_CHECK(ini.readInteger(QStringLiteral("Fuzz"), QStringLiteral("Number"), 0) == int(size) - 1000, value);
    ini.save();
    if (clean)
        CheckSameContent(ini, IniFile(in));
    return 0;
}
