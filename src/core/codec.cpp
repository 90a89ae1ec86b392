#include "core/codec.h"

#include "core/error.h"

#include <QFile>
#include <QStringDecoder>
#include <QStringEncoder>

namespace kartevo {

namespace {
constexpr const char *kCodePage = "windows-1250";
}

QByteArray ToCp1250(QStringView text)
{
    QStringEncoder encoder(kCodePage, QStringConverter::Flag::Stateless);
    QByteArray bytes = encoder.encode(text);
    if (encoder.isValid() && !encoder.hasError())
        return bytes;
    // Fall back to one character at a time so that only the unmappable ones become '?'.
    bytes.clear();
    for (QChar ch : text) {
        const int code = Cp1250Code(ch);
        bytes.append(code < 0 ? '?' : char(code));
    }
    return bytes;
}

QString FromCp1250(const QByteArray &bytes)
{
    QStringDecoder decoder(kCodePage, QStringConverter::Flag::Stateless);
    return decoder.decode(bytes);
}

int Cp1250Code(QChar ch)
{
    if (ch.unicode() < 0x80)
        return ch.unicode();
    QStringEncoder encoder(kCodePage, QStringConverter::Flag::Stateless);
    const QByteArray bytes = encoder.encode(QStringView(&ch, 1));
    if (encoder.hasError() || bytes.size() != 1)
        return -1;
    const int code = static_cast<unsigned char>(bytes.at(0));
    // ICU substitutes unmappable characters with the SUB control character.
    return code == 0x1A ? -1 : code;
}

QStringList ReadCp1250Lines(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw Error(QStringLiteral("A fájl nem olvasható: %1 (%2)").arg(fileName, file.errorString()));
    QString text = FromCp1250(file.readAll());
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

} // namespace kartevo
