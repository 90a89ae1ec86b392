#include "core/codec.h"

#include <cstring>

#include "core/error.h"
#include "core/helpers.h"

#include <QFile>
#include <QStringDecoder>
#include <QStringEncoder>

namespace kartevo {

namespace {
constexpr const char *kCodePage = "windows-1250";
}

QByteArray ToCp1250(QStringView text)
{
    return Cp1250Encoder().encode(text);
}

QByteArray Cp1250Encoder::encode(QStringView text)
{
    // Plain ASCII, the usual case, needs no converter at all.
    bool ascii = true;
    for (QChar ch : text) {
        if (ch.unicode() >= 0x80) {
            ascii = false;
            break;
        }
    }
    if (ascii)
        return text.toLatin1();
    QStringEncoder encoder(kCodePage, QStringConverter::Flag::Stateless);
    QByteArray bytes = encoder.encode(text);
    if (encoder.isValid() && !encoder.hasError() && !bytes.contains('\x1A'))
        return bytes;
    // Fall back to one character at a time so that only the unmappable ones become '?'.
    bytes.clear();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text.at(i);
        if (ch.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            // One character outside the basic plane.
            appendUnmappable(bytes, QChar::surrogateToUcs4(ch, text.at(i + 1)));
            ++i;
            continue;
        }
        const int code = ch.unicode() == 0x1A ? 0x1A : Cp1250Code(ch);
        if (code < 0)
            appendUnmappable(bytes, ch.unicode());
        else
            bytes.append(char(code));
    }
    return bytes;
}

void Cp1250Encoder::appendUnmappable(QByteArray &bytes, char32_t ch)
{
    if (m_mode == Unmappable::HtmlReference) {
        bytes.append("&#").append(QByteArray::number(uint(ch))).append(';');
        return;
    }
    bytes.append('?');
    ++m_unmappable;
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
    return SplitTextLines(FromCp1250(file.readAll()));
}

Utf8Kind ClassifyUtf8(QByteArrayView bytes)
{
    const auto *at = reinterpret_cast<const unsigned char *>(bytes.data());
    const unsigned char *const end = at + bytes.size();
    bool ascii = true;
    while (at < end) {
        // ASCII eight bytes at a time: most of a Hungarian address list.
        if (end - at >= 8) {
            quint64 word;
            std::memcpy(&word, at, 8);
            if ((word & 0x8080808080808080ULL) == 0) {
                at += 8;
                continue;
            }
        }
        const unsigned char lead = *at;
        if (lead < 0x80) {
            ++at;
            continue;
        }
        ascii = false;
        // Two bytes, the letters of Hungarian and its neighbours, first.
        if (lead >= 0xC2 && lead <= 0xDF && end - at >= 2 && (at[1] & 0xC0) == 0x80) {
            at += 2;
            continue;
        }
        // The well-formed sequences of the Unicode standard (its table 3-7).
        int length = 0;
        unsigned char low = 0x80;
        unsigned char high = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            low = lead == 0xE0 ? 0xA0 : 0x80;
            high = lead == 0xED ? 0x9F : 0xBF;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            low = lead == 0xF0 ? 0x90 : 0x80;
            high = lead == 0xF4 ? 0x8F : 0xBF;
        } else {
            return Utf8Kind::Invalid;
        }
        if (end - at < length || at[1] < low || at[1] > high)
            return Utf8Kind::Invalid;
        for (int i = 2; i < length; ++i) {
            if ((at[i] & 0xC0) != 0x80)
                return Utf8Kind::Invalid;
        }
        at += length;
    }
    return ascii ? Utf8Kind::Ascii : Utf8Kind::Utf8;
}

} // namespace kartevo
