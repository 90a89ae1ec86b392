#include "printing/pdfpictures.h"

#include "core/error.h"
#include "printing/pdfstream.h"

#include <QHash>
#include <QPainter>
#include <QRegularExpression>

namespace kartevo::report {

namespace {

int BigEndian16(const uchar *p)
{
    return (p[0] << 8) | p[1];
}

// One object of the engine's output: its number and its bytes ("N 0 obj … endobj\n").
struct PdfObject {
    int number = 0;
    QByteArray bytes;
};

// The objects of a stretch of the engine's output, in order; nothing when it is not a row of
// whole objects.
QList<PdfObject> SplitObjects(const QByteArray &text)
{
    static const QRegularExpression header(QStringLiteral("\\A(\\d+) 0 obj\\n"));
    static const QByteArray end = QByteArrayLiteral("endobj\n");
    QList<PdfObject> objects;
    qsizetype at = 0;
    while (at < text.size()) {
        const QRegularExpressionMatch match =
            header.match(QString::fromLatin1(text.mid(at, 24)));
        const qsizetype close = text.indexOf(end, at);
        if (!match.hasMatch() || close < 0)
            return {};
        objects.append({match.captured(1).toInt(), text.mid(at, close + end.size() - at)});
        at = close + end.size();
    }
    return objects;
}

// The number of an indirect reference "/Key N 0 R" in an object's dictionary; 0 when absent.
int Reference(const QByteArray &object, const char *key)
{
    const QByteArray prefix = QByteArray(key) + ' ';
    const qsizetype at = object.indexOf(prefix);
    if (at < 0)
        return 0;
    const QList<QByteArray> words = object.mid(at + prefix.size(), 32).split(' ');
    return words.size() >= 3 && words.at(1) == "0" && words.at(2).startsWith('R') ? words.at(0).toInt() : 0;
}

QByteArray Deflated(const QByteArray &data)
{
    return qCompress(data).mid(4); // qCompress puts the length in front of the zlib stream
}

QByteArray ImageObject(int number, int lengthObject, const QByteArray &dictionary, const QByteArray &data)
{
    return QByteArray::number(number) + " 0 obj\n<<\n/Type /XObject\n/Subtype /Image\n" + dictionary
           + "/Length " + QByteArray::number(lengthObject) + " 0 R\n>>\nstream\n" + data
           + "\nendstream\nendobj\n";
}

QByteArray LengthObject(int number, qsizetype length)
{
    return QByteArray::number(number) + " 0 obj\n" + QByteArray::number(length) + "\nendobj\n";
}

QByteArray SizeEntries(const QSize &size)
{
    return "/Width " + QByteArray::number(size.width()) + "\n/Height " + QByteArray::number(size.height())
           + "\n/BitsPerComponent 8\n";
}

bool IsTranslucent(const QImage &image)
{
    if (!image.hasAlphaChannel())
        return false;
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < argb.height(); ++y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(argb.constScanLine(y));
        for (int x = 0; x < argb.width(); ++x) {
            if (qAlpha(line[x]) != 255)
                return true;
        }
    }
    return false;
}

// The picture's own objects: the image and, for a translucent picture, its soft mask.
struct PictureObjects {
    QByteArray dictionary; // entries after /Subtype: size, colours, filter
    QByteArray data;
    QByteArray maskData;   // empty: opaque
};

PictureObjects Encode(const QImage &image, const QByteArray &file)
{
    PictureObjects objects;
    if (const std::optional<JpegInfo> jpeg = EmbeddableJpeg(file);
        jpeg && QSize(jpeg->width, jpeg->height) == image.size()) {
        objects.dictionary = SizeEntries(image.size())
                             + (jpeg->components == 1 ? "/ColorSpace /DeviceGray\n" : "/ColorSpace /DeviceRGB\n")
                             + "/Filter /DCTDecode\n";
        objects.data = file;
        return objects;
    }
    // Every pixel as it is, 8 bits a channel.
    const bool grey = image.isGrayscale();
    const bool translucent = IsTranslucent(image);
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    const int width = argb.width();
    QByteArray pixels(qsizetype(width) * argb.height() * (grey ? 1 : 3), Qt::Uninitialized);
    QByteArray alpha;
    if (translucent)
        alpha.resize(qsizetype(width) * argb.height());
    char *p = pixels.data();
    char *a = alpha.data();
    for (int y = 0; y < argb.height(); ++y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(argb.constScanLine(y));
        for (int x = 0; x < width; ++x) {
            const QRgb rgb = line[x];
            if (grey) {
                *p++ = char(qRed(rgb));
            } else {
                *p++ = char(qRed(rgb));
                *p++ = char(qGreen(rgb));
                *p++ = char(qBlue(rgb));
            }
            if (translucent)
                *a++ = char(qAlpha(rgb));
        }
    }
    objects.dictionary = SizeEntries(image.size())
                         + (grey ? "/ColorSpace /DeviceGray\n" : "/ColorSpace /DeviceRGB\n")
                         + "/Filter /FlateDecode\n";
    objects.data = Deflated(pixels);
    if (translucent)
        objects.maskData = Deflated(alpha);
    return objects;
}

} // namespace

std::optional<JpegInfo> EmbeddableJpeg(const QByteArray &file)
{
    const auto *bytes = reinterpret_cast<const uchar *>(file.constData());
    const qsizetype size = file.size();
    if (size < 4 || bytes[0] != 0xFF || bytes[1] != 0xD8)
        return std::nullopt;
    qsizetype at = 2;
    while (at + 4 <= size) {
        if (bytes[at] != 0xFF)
            return std::nullopt;
        while (at < size && bytes[at] == 0xFF)
            ++at; // fill bytes
        if (at + 3 > size)
            return std::nullopt;
        const uchar marker = bytes[at++];
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7))
            continue; // no length
        if (marker == 0xD9 || marker == 0xDA)
            return std::nullopt; // image data before any frame header
        const int length = BigEndian16(bytes + at);
        if (length < 2 || at + length > size)
            return std::nullopt;
        const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame) {
            if (length < 8)
                return std::nullopt;
            JpegInfo info;
            const int precision = bytes[at + 2];
            info.height = BigEndian16(bytes + at + 3);
            info.width = BigEndian16(bytes + at + 5);
            info.components = bytes[at + 7];
            // Huffman-coded baseline, extended or progressive frames of 8-bit grey or colour
            // samples; arithmetic coding, lossless frames and four channels are left to the
            // lossless path.
            const bool huffman = marker == 0xC0 || marker == 0xC1 || marker == 0xC2;
            if (huffman && precision == 8 && info.width > 0 && info.height > 0
                && (info.components == 1 || info.components == 3))
                return info;
            return std::nullopt;
        }
        at += length;
    }
    return std::nullopt;
}

PdfPictures::Picture *PdfPictures::find(const Item &item)
{
    for (Picture &picture : m_pictures) {
        if (picture.image.cacheKey() == item.picture.cacheKey())
            return &picture;
    }
    // The same picture read again (another report of the run): the same file or the same pixels.
    for (Picture &picture : m_pictures) {
        if (picture.image.size() != item.picture.size() || picture.file != item.pictureFile)
            continue;
        if (!picture.file.isEmpty() || picture.image == item.picture)
            return &picture;
    }
    return nullptr;
}

void PdfPictures::drawPicture(QPainter &painter, const QRectF &rect, const Item &item)
{
    if (item.picture.isNull())
        return;
    const bool lossless = painter.testRenderHint(QPainter::LosslessImageRendering);
    painter.setRenderHint(QPainter::LosslessImageRendering, true); // the stand-in stays a tiny object
    if (const Picture *picture = find(item)) {
        painter.drawImage(rect, picture->standIn);
    } else {
        Picture added{item.picture, item.pictureFile, {}};
        const bool translucent = !EmbeddableJpeg(item.pictureFile) && IsTranslucent(item.picture);
        // A stand-in of its own for every picture (the engine keeps one object per picture); a
        // translucent one makes the engine write a soft mask too, which the picture's mask takes.
        added.standIn = QImage(1, 1, translucent ? QImage::Format_ARGB32 : QImage::Format_RGB32);
        added.standIn.fill(translucent ? qRgba(255, 0, 0, 128) : qRgb(255, 0, 0));
        m_pictures.push_back(added);
        writeFirst(painter, rect, m_pictures.back());
    }
    painter.setRenderHint(QPainter::LosslessImageRendering, lossless);
}

void PdfPictures::writeFirst(QPainter &painter, const QRectF &rect, const Picture &picture)
{
    m_stream.beginCapture();
    painter.drawImage(rect, picture.standIn);
    const QList<PdfObject> written = SplitObjects(m_stream.endCapture());

    // The stand-in's image, its soft mask (when translucent) and the objects of their lengths.
    int image = 0;
    QHash<int, int> masks; // soft mask -> the image that uses it
    for (const PdfObject &object : written) {
        if (!object.bytes.contains("/Subtype /Image"))
            continue;
        if (const int mask = Reference(object.bytes, "/SMask"))
            masks.insert(mask, object.number);
    }
    QHash<int, const PdfObject *> byNumber;
    for (const PdfObject &object : written) {
        byNumber.insert(object.number, &object);
        if (object.bytes.contains("/Subtype /Image") && !masks.contains(object.number))
            image = image == 0 ? object.number : -1;
    }
    const PictureObjects encoded = Encode(picture.image, picture.file);
    const int mask = byNumber.contains(image) ? Reference(byNumber.value(image)->bytes, "/SMask") : 0;
    if (image <= 0 || (mask != 0) != !encoded.maskData.isEmpty())
        throw Error(QStringLiteral("A kép nem írható a PDF fájlba: a PDF-író kimenete váratlan."));
    const int imageLength = Reference(byNumber.value(image)->bytes, "/Length");
    const int maskLength = mask ? Reference(byNumber.value(mask)->bytes, "/Length") : 0;
    if (imageLength <= 0 || (mask && maskLength <= 0))
        throw Error(QStringLiteral("A kép nem írható a PDF fájlba: a PDF-író kimenete váratlan."));

    QList<std::pair<int, QByteArray>> objects;
    for (const PdfObject &object : written) {
        const int n = object.number;
        if (n == image)
            objects.append({n, ImageObject(n, imageLength,
                                           encoded.dictionary
                                               + (mask ? "/SMask " + QByteArray::number(mask) + " 0 R\n" : QByteArray()),
                                           encoded.data)});
        else if (n == imageLength)
            objects.append({n, LengthObject(n, encoded.data.size())});
        else if (mask && n == mask)
            objects.append({n, ImageObject(n, maskLength,
                                           SizeEntries(picture.image.size())
                                               + "/ColorSpace /DeviceGray\n/Filter /FlateDecode\n",
                                           encoded.maskData)});
        else if (mask && n == maskLength)
            objects.append({n, LengthObject(n, encoded.maskData.size())});
        else
            objects.append({n, object.bytes}); // anything else the engine wrote stays
    }
    m_stream.putObjects(objects);
}

} // namespace kartevo::report
