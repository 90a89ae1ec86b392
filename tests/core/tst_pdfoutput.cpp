// How PDF files are written: the stream rewrite of page boxes and cross-references (also when
// the engine's output arrives in odd pieces), each picture stored once per file with its own
// bytes or losslessly, and the same picture on paper, on screen and in the file. Read back with
// independent tools (qpdf --check, pdfimages, pdftoppm).
#include "printing/pdfpictures.h"
#include "printing/pdfstream.h"
#include "printing/reportrenderer.h"
#include "printing/stationery.h"
#include "testfiles.h"

#include <QBuffer>
#include <QDir>
#include <QImageWriter>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

using namespace kartevo;
using report::Report;

namespace {

struct Run {
    int code = -1;
    QString out;
};

Run Tool(const QString &program, const QStringList &args)
{
    QProcess process;
    process.start(program, args);
    Run run;
    if (!process.waitForFinished(60000))
        return run;
    run.code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromUtf8(process.readAllStandardOutput() + process.readAllStandardError());
    return run;
}

// One row of "pdfimages -list": the page, the kind (image, smask), the size, the encoding and
// the object that holds it.
struct ListedImage {
    int page = 0;
    QString type;
    QSize size;
    QString encoding;
    int object = 0;
};

QList<ListedImage> ListImages(const QString &pdf)
{
    const Run run = Tool(QStringLiteral("pdfimages"), {QStringLiteral("-list"), pdf});
    QList<ListedImage> images;
    if (run.code != 0)
        return images;
    for (const QString &line : run.out.split(QLatin1Char('\n')).mid(2)) {
        const QStringList f = line.simplified().split(QLatin1Char(' '));
        if (f.size() < 12)
            continue;
        images.append({f.at(0).toInt(), f.at(2), QSize(f.at(3).toInt(), f.at(4).toInt()), f.at(8), f.at(10).toInt()});
    }
    return images;
}

// A picture with something in every pixel: a colour ramp, and an alpha ramp when translucent.
QImage Pattern(int width, int height, bool translucent)
{
    QImage image(width, height, translucent ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const int alpha = translucent ? (x * 7 + y * 3) % 256 : 255;
            image.setPixel(x, y, qRgba((x * 5) % 256, (y * 9) % 256, (x * y) % 256, alpha));
        }
    }
    return image;
}

// A C6 envelope with its picture and one (empty) client row, so that its band prints.
Report Envelope(const QString &picture)
{
    Report envelope = MakeBoritek(EnvelopeKind::C6);
    report::DataSource client;
    client.name = envelope.detailSource;
    client.rows.append(QStringList());
    envelope.sources.append(client);
    LoadEnvelopePicture(envelope, picture);
    return envelope;
}

// Writes envelopes, each loading the picture from its file again (as separate print jobs of
// one document would), into one PDF.
void WriteEnvelopes(const QString &pdf, const QString &picture, int count)
{
    report::PdfJobWriter writer(pdf);
    for (int i = 0; i < count; ++i) {
        writer.add(Envelope(picture));
    }
    writer.finish();
}

void CheckWithQpdf(const QString &pdf)
{
    const Run check = Tool(QStringLiteral("qpdf"), {QStringLiteral("--check"), pdf});
    QVERIFY2(check.code != -1, "qpdf is missing (scripts/install-deps.sh installs it)");
    QVERIFY2(check.code == 0, qPrintable(check.out));
}

// The largest difference of two colours in any channel.
int Difference(QRgb a, QRgb b)
{
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b))});
}

} // namespace

class TestPdfOutput : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The engine's output arrives in pieces of any size: the page box is made exact in the same
    // number of bytes, an exchanged object moves the ones after it, and the cross-reference
    // table and startxref point at every object and at the table in the new file.
    void streamRewritesBoxesAndOffsets_data()
    {
        QTest::addColumn<int>("piece");
        QTest::newRow("byte by byte") << 1;
        QTest::newRow("3 bytes") << 3;
        QTest::newRow("11 bytes") << 11;
        QTest::newRow("whole writes") << 0;
    }
    void streamRewritesBoxesAndOffsets()
    {
        QFETCH(int, piece);
        const QList<QByteArray> objects = {
            "1 0 obj\n<<\n/Type /Catalog\n/Pages 2 0 R\n>>\nendobj\n",
            "2 0 obj\n<<\n/Type /Page\n/MediaBox [0 0 453.000000 320.000000]\n>>\nendobj\n",
            "3 0 obj\n<< /Length 4 >>\nstream\nabcd\nendstream\nendobj\n",
            "4 0 obj\n(after the exchange)\nendobj\n",
        };
        const QByteArray head = "%PDF-1.4\n";
        QList<qint64> offsets;
        QByteArray body = head;
        for (const QByteArray &object : objects) {
            offsets.append(body.size());
            body += object;
        }
        QByteArray tail = "xref\n0 5\n0000000000 65535 f \n";
        for (qint64 offset : offsets)
            tail += QByteArray::number(offset).rightJustified(10, '0') + " 00000 n \n";
        tail += "trailer\n<<\n/Size 5\n/Root 1 0 R\n>>\nstartxref\n" + QByteArray::number(body.size()) + "\n%%EOF\n";

        QByteArray file;
        QBuffer target(&file);
        QVERIFY(target.open(QIODevice::WriteOnly));
        report::PdfStream stream(target);
        stream.addPage(QSizeF(160, 113));
        const auto write = [&](const QByteArray &bytes) {
            const int step = piece > 0 ? piece : int(bytes.size());
            for (qsizetype at = 0; at < bytes.size(); at += step)
                QCOMPARE(stream.write(bytes.mid(at, step)), bytes.mid(at, step).size());
        };
        write(head + objects.at(0) + objects.at(1));
        stream.beginCapture();
        write(objects.at(2));
        QCOMPARE(stream.endCapture(), objects.at(2));
        const QByteArray exchanged = "3 0 obj\n<< /Length 20 >>\nstream\n01234567890123456789\nendstream\nendobj\n";
        stream.putObjects({{3, exchanged}});
        write(objects.at(3) + tail);
        QVERIFY(stream.finish());

        // The box: same length, the paper's size below the engine's top edge.
        const QRegularExpression boxRe(QStringLiteral("/MediaBox \\[([^\\]]*)\\]"));
        const QRegularExpressionMatch box = boxRe.match(QString::fromLatin1(file));
        QVERIFY(box.hasMatch());
        QCOMPARE(box.captured(1).size(), QStringLiteral("0 0 453.000000 320.000000").size());
        const QStringList numbers = box.captured(1).simplified().split(QLatin1Char(' '));
        QCOMPARE(numbers.size(), 4);
        QVERIFY(std::abs(numbers.at(2).toDouble() - 160 * 72 / 25.4) < 0.001);
        QVERIFY(std::abs(numbers.at(3).toDouble() - numbers.at(1).toDouble() - 113 * 72 / 25.4) < 0.001);
        QCOMPARE(numbers.at(3), QStringLiteral("320"));
        QVERIFY(file.contains(exchanged) && !file.contains("abcd"));

        // Every entry of the table leads to its object; startxref to the table.
        const qsizetype table = file.lastIndexOf("\nxref\n") + 1;
        const QList<QByteArray> lines = file.mid(table).split('\n');
        for (int object = 1; object <= 4; ++object) {
            const qint64 at = lines.at(2 + object).left(10).toLongLong();
            QVERIFY2(file.mid(at).startsWith(QByteArray::number(object) + " 0 obj\n"),
                     qPrintable(QStringLiteral("object %1 at %2").arg(object).arg(at)));
        }
        const qsizetype startxref = file.lastIndexOf("startxref\n") + 10;
        QCOMPARE(file.mid(startxref).split('\n').first().toLongLong(), qint64(table));
        QVERIFY(file.endsWith("%%EOF\n"));
    }

    // Many envelopes with the same picture hold it once, and every page shows that one object:
    // a JPEG as the file's very bytes, any other picture with every pixel (and its
    // transparency) as it was read.
    void pictureStoredOnce_data()
    {
        QTest::addColumn<QByteArray>("format");
        QTest::addColumn<bool>("translucent");
        QTest::addColumn<bool>("grey");
        QTest::newRow("colour JPEG") << QByteArray("jpg") << false << false;
        QTest::newRow("grey JPEG") << QByteArray("jpg") << false << true;
        QTest::newRow("opaque PNG") << QByteArray("png") << false << false;
        QTest::newRow("translucent PNG") << QByteArray("png") << true << false;
        QTest::newRow("BMP") << QByteArray("bmp") << false << false;
    }
    void pictureStoredOnce()
    {
        QFETCH(QByteArray, format);
        QFETCH(bool, translucent);
        QFETCH(bool, grey);
        QTemporaryDir dir;
        const QString picture = dir.filePath(QStringLiteral("logo.") + QString::fromLatin1(format));
        QImage source = Pattern(120, 90, translucent);
        if (grey)
            source = source.convertToFormat(QImage::Format_Grayscale8);
        QVERIFY(source.save(picture, format.constData()));
        const QImage read = ReadEnvelopePicture(picture);

        const QString pdf = dir.filePath(QStringLiteral("envelopes.pdf"));
        constexpr int kPages = 4;
        WriteEnvelopes(pdf, picture, kPages);
        CheckWithQpdf(pdf);

        const QList<ListedImage> images = ListImages(pdf);
        QList<ListedImage> shown;
        QSet<int> objects;
        QSet<int> masks;
        for (const ListedImage &image : images) {
            if (image.type == QLatin1String("image")) {
                shown.append(image);
                objects.insert(image.object);
            } else if (image.type == QLatin1String("smask")) {
                masks.insert(image.object);
            }
        }
        QCOMPARE(shown.size(), kPages);
        QCOMPARE(objects.size(), 1);
        QCOMPARE(masks.size(), translucent ? 1 : 0);
        QCOMPARE(shown.first().size, QSize(120, 90));
        QCOMPARE(shown.first().encoding, format == "jpg" ? QStringLiteral("jpeg") : QStringLiteral("image"));

        const QString prefix = dir.filePath(QStringLiteral("out"));
        if (format == "jpg") {
            QCOMPARE(Tool(QStringLiteral("pdfimages"), {QStringLiteral("-f"), QStringLiteral("1"), QStringLiteral("-l"),
                                                        QStringLiteral("1"), QStringLiteral("-j"), pdf, prefix})
                         .code,
                     0);
            QCOMPARE(test::ReadBytes(prefix + QStringLiteral("-000.jpg")), test::ReadBytes(picture));
            return;
        }
        QCOMPARE(Tool(QStringLiteral("pdfimages"), {QStringLiteral("-f"), QStringLiteral("1"), QStringLiteral("-l"),
                                                    QStringLiteral("1"), QStringLiteral("-png"), pdf, prefix})
                     .code,
                 0);
        const QImage stored(prefix + QStringLiteral("-000.png"));
        QCOMPARE(stored.size(), read.size());
        const QImage expected = read.convertToFormat(QImage::Format_ARGB32);
        const QImage mask = translucent ? QImage(prefix + QStringLiteral("-001.png")) : QImage();
        for (int y = 0; y < expected.height(); ++y) {
            for (int x = 0; x < expected.width(); ++x) {
                const QRgb want = expected.pixel(x, y);
                QCOMPARE(QColor(stored.pixel(x, y)).rgb(), QColor(want).rgb() | 0xff000000);
                if (translucent)
                    QCOMPARE(qGray(mask.pixel(x, y)), qAlpha(want));
            }
        }
    }

    // A JPEG with an orientation tag is stored as the picture the preview shows: as the file's
    // bytes when the reader leaves the tag aside, as its pixels when the reader turns it.
    void taggedJpegPrintsAsShown()
    {
        QTemporaryDir dir;
        const QImage pattern = Pattern(80, 40, false);
        QByteArray jpeg;
        QBuffer buffer(&jpeg);
        QVERIFY(buffer.open(QIODevice::WriteOnly));
        QVERIFY(pattern.save(&buffer, "jpeg", 95));
        // An Exif segment right after the start marker: orientation 3, turned half a circle.
        const QByteArray exif = QByteArray::fromHex("ffe10022457869660000"
                                                    "4d4d002a00000008"
                                                    "0001"
                                                    "011200030000000100030000"
                                                    "00000000");
        jpeg.insert(2, exif);
        const QString picture = dir.filePath(QStringLiteral("tagged.jpg"));
        test::WriteBytes(picture, jpeg);
        const PictureFile read = ReadPictureFile(picture);
        QCOMPARE(read.image.size(), pattern.size());

        const QString pdf = dir.filePath(QStringLiteral("tagged.pdf"));
        WriteEnvelopes(pdf, picture, 2);
        CheckWithQpdf(pdf);
        const QString prefix = dir.filePath(QStringLiteral("out"));
        QCOMPARE(Tool(QStringLiteral("pdfimages"), {QStringLiteral("-f"), QStringLiteral("1"), QStringLiteral("-l"),
                                                    QStringLiteral("1"), QStringLiteral("-png"), pdf, prefix})
                     .code,
                 0);
        const QImage stored(prefix + QStringLiteral("-000.png"));
        QCOMPARE(stored.size(), read.image.size());
        for (const QPoint &at : {QPoint(0, 0), QPoint(79, 39), QPoint(79, 0), QPoint(0, 39)})
            QVERIFY2(Difference(stored.pixel(at), read.image.pixel(at)) < 30,
                     qPrintable(QStringLiteral("%1,%2").arg(at.x()).arg(at.y())));
    }

    // The preview and the printers draw the picture where the PDF has it, cut at its box the
    // same way: the two renderings of a page agree.
    void previewDrawsWhatThePdfShows()
    {
        QTemporaryDir dir;
        const QString picture = dir.filePath(QStringLiteral("big.png"));
        QImage quarters(600, 500, QImage::Format_RGB32);
        QPainter painter(&quarters);
        painter.fillRect(0, 0, 300, 250, Qt::red);
        painter.fillRect(300, 0, 300, 250, Qt::green);
        painter.fillRect(0, 250, 300, 250, Qt::blue);
        painter.fillRect(300, 250, 300, 250, QColor(200, 150, 0));
        painter.end();
        QVERIFY(quarters.save(picture));

        const Report envelope = Envelope(picture);
        const QString pdf = dir.filePath(QStringLiteral("page.pdf"));
        report::WritePdf(pdf, envelope);
        constexpr double kDpi = 40;
        QCOMPARE(Tool(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QString::number(kDpi), QStringLiteral("-png"),
                                                   QStringLiteral("-singlefile"), pdf, dir.filePath(QStringLiteral("pdf"))})
                     .code,
                 0);
        const QImage fromPdf = QImage(dir.filePath(QStringLiteral("pdf.png"))).convertToFormat(QImage::Format_RGB32);
        const QImage onScreen = report::RenderPageImage(envelope, 0, kDpi);
        QVERIFY(!fromPdf.isNull());
        const int width = std::min(fromPdf.width(), onScreen.width());
        const int height = std::min(fromPdf.height(), onScreen.height());
        // A pixel differs when nothing within one pixel of it in the other rendering comes close
        // (the two place an edge up to a pixel apart, and blend its pixels differently).
        const auto near = [&](const QImage &other, int x, int y, QRgb colour) {
            for (int dy = -1; dy <= 1; ++dy) {
                for (int dx = -1; dx <= 1; ++dx) {
                    const int nx = std::clamp(x + dx, 0, width - 1);
                    const int ny = std::clamp(y + dy, 0, height - 1);
                    if (Difference(colour, other.pixel(nx, ny)) <= 140)
                        return true;
                }
            }
            return false;
        };
        int coloured = 0;
        int different = 0;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const QRgb a = onScreen.pixel(x, y);
                coloured += Difference(a, qRgb(255, 255, 255)) > 100;
                different += !near(fromPdf, x, y, a) || !near(onScreen, x, y, fromPdf.pixel(x, y));
            }
        }
        // The picture, shrunk into its box, covers about a twelfth of the envelope.
        QVERIFY2(coloured > width * height / 20,
                 qPrintable(QStringLiteral("the picture is not on the page (%1 of %2 pixels coloured)").arg(coloured).arg(width * height)));
        QVERIFY2(different < width * height / 200,
                 qPrintable(QStringLiteral("%1 of %2 pixels differ").arg(different).arg(width * height)));
    }

    // A run reads its envelope picture once: the later envelopes share it, even when the file is
    // gone by then; a new run looks at the file again.
    void runReadsPictureOnce()
    {
        QTemporaryDir dir;
        const QString picture = dir.filePath(QStringLiteral("logo.png"));
        QVERIFY(Pattern(30, 20, false).save(picture));
        EnvelopePictures run;
        Report first = MakeBoritek(EnvelopeKind::C6);
        run.load(first, picture);
        QVERIFY(QFile::remove(picture));
        Report second = MakeBoritek(EnvelopeKind::C6);
        run.load(second, picture);
        const report::Item *a = first.item(QStringLiteral("QRImage1"));
        const report::Item *b = second.item(QStringLiteral("QRImage1"));
        QVERIFY(!a->picture.isNull());
        QCOMPARE(b->picture.cacheKey(), a->picture.cacheKey());

        Report later = MakeBoritek(EnvelopeKind::C6);
        LoadEnvelopePicture(later, picture);
        QVERIFY(later.item(QStringLiteral("QRImage1"))->picture.isNull());
    }
};

QTEST_MAIN(TestPdfOutput)
#include "tst_pdfoutput.moc"
