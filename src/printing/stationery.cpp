#include "printing/stationery.h"

#include "i18n/language.h"

#include "core/database.h"
#include "core/error.h"
#include "core/helpers.h"
#include "core/query.h"
#include "printing/amountwords.h"
#include "printing/reportrenderer.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>

namespace kartevo {

using report::Align;
using report::Band;
using report::BandKind;
using report::DataSource;
using report::Font;
using report::Item;
using report::ItemKind;
using report::Orientation;
using report::Page;
using report::Report;

namespace {

// ---------------------------------------------------------------------------------------------
// Table vocabulary: one row per item of a layout.
// ---------------------------------------------------------------------------------------------

enum Style : unsigned { Regular = 0, Bold = 1, Italic = 2, Underline = 4 };

Font F(const char *family, double size, unsigned style = Regular, QColor color = QColor(0, 0, 0))
{
    Font font;
    font.family = QString::fromUtf8(family);
    font.size = size;
    font.bold = style & Bold;
    font.italic = style & Italic;
    font.underline = style & Underline;
    font.color = color;
    return font;
}

const QColor White(255, 255, 255);
const QColor Clear; // transparent
const QColor Navy(0, 0, 128);
constexpr double Auto = -1; // the box takes the width of its text

// A text item of a layout table. The content is a field of "Qry" (client) or "Tbl" (sender), or
// for a caption (source "") the caption text itself.
struct TextRow {
    const char *name;
    double left, top, width, height;
    const char *source;
    const char *content;
    Font font;
    Align align;
    QColor background;
};

Item MakeItem(const TextRow &row)
{
    Item item;
    item.name = QString::fromUtf8(row.name);
    item.kind = ItemKind::Text;
    item.left = row.left;
    item.top = row.top;
    item.autoWidth = row.width < 0;
    item.width = item.autoWidth ? 0 : row.width;
    item.height = row.height;
    item.source = QString::fromUtf8(row.source);
    if (item.source.isEmpty())
        item.caption = QString::fromUtf8(row.content);
    else
        item.field = QString::fromUtf8(row.content);
    item.font = row.font;
    item.align = row.align;
    item.background = row.background;
    return item;
}

Item PictureItem(double left, double top, double width, double height)
{
    Item item;
    item.name = QStringLiteral("QRImage1");
    item.kind = ItemKind::Picture;
    item.left = left;
    item.top = top;
    item.width = width;
    item.height = height;
    return item;
}

Report MakeReport(PrintFamily family, const char *name, const char *title, const Page &page, double bandWidth,
                  double bandHeight)
{
    Report report;
    report.family = family;
    report.name = QString::fromUtf8(name);
    report.title = QString::fromUtf8(title);
    report.page = page;
    report.font = F("Arial", 10);
    report.detailSource = QStringLiteral("Qry");
    report.screenDpi = report::ScreenDpi();
    Band band;
    band.name = QStringLiteral("QRBand2");
    band.kind = BandKind::Detail;
    band.width = bandWidth;
    band.height = bandHeight;
    report.bands.append(band);
    return report;
}

void AddRows(Band &band, std::initializer_list<TextRow> rows)
{
    for (const TextRow &row : rows)
        band.items.append(MakeItem(row));
}

// ---------------------------------------------------------------------------------------------
// Envelopes
// ---------------------------------------------------------------------------------------------

struct EnvelopeMember {
    const char *name;
    Page page;
    double bandWidth, bandHeight;
    double picLeft, picTop, picWidth, picHeight;
    bool pictureFirst;
    NameThresholds thresholds;
    const char *nameItem;
    const char *contactItem;
};

const EnvelopeMember &Member(EnvelopeKind kind)
{
    static const EnvelopeMember members[] = {
        // The C6 picture keeps left of the addressee column (43.7): a sorting machine reads the
        // address block, and a picture under it would spoil the reading.
        {"qrBoritek", {160, 113, Orientation::Portrait, 10, 10, 10, 10}, 140.0, 92.4,
         1.3, 19.6, 41.4, 71.4, true, {37, 43, 52}, "Nev", "Nev2"},
        {"qrBoritek2", {220, 110, Orientation::Portrait, 10, 10, 10, 10}, 200.1, 92.3,
         1.3, 20.5, 98.2, 69.8, false, {40, 50, 60}, "Nev", "nev2"},
        {"qrBoritek3", {229, 162, Orientation::Landscape, 10, 10, 10, 10}, 209.0, 141.2,
         1.3, 20.5, 102.2, 117.4, false, {0, 0, 0}, "QRDBText13", "QRDBText1"},
    };
    return members[int(kind)];
}

void AddEnvelopeItems(Band &band, EnvelopeKind kind)
{
    const Align C = Align::Center;
    const Align L = Align::Left;
    switch (kind) {
    case EnvelopeKind::C6:
        AddRows(band, {
            {"Nev",        43.7, 37.5, 94.4, 4.85, "Qry", "ugyfel_nev", F("Arial", 11, Bold), C, Clear},
            {"Nev2",       43.7, 42.8, 94.4, 4.85, "Qry", "ui2", F("Arial", 10), C, Clear},
            {"QRDBText2",  43.7, 59.5, 94.4, 4.85, "Qry", "cim_varos", F("Arial", 10, Underline), C, Clear},
            {"QRDBText3",  43.7, 66.1, 94.4, 4.85, "Qry", "cim_cim", F("Arial", 10), C, Clear},
            {"QRDBText4",  43.7, 79.4, 94.3, 6.6,  "Qry", "cim_irsz", F("Arial Rounded MT Bold", 16, Bold), C, Clear},
            {"QRLabel1",   43.7, 48.1, 94.4, 4.4,  "",    "részére", F("Arial", 9), C, Clear},
            {"QRDBText5",  1.3,  1.3,  74.4, 5.0,  "Tbl", "tulajdonos_nev", F("Arial", 9, Bold | Underline), L, White},
            {"QRDBText7",  1.3,  7.9,  74.4, 5.0,  "Tbl", "varoscim", F("Courier New", 9), L, White},
            {"QRDBText8",  1.3,  13.2, 74.4, 5.0,  "Tbl", "irsz", F("Courier New", 9, Bold), L, White},
        });
        break;
    case EnvelopeKind::LA4:
        AddRows(band, {
            {"Nev",        100.5, 43.7, 98.2, 5.0, "Qry", "ugyfel_nev", F("Arial", 11, Bold), C, White},
            {"nev2",       100.5, 48.9, 98.2, 5.0, "Qry", "ui2", F("Arial", 10), C, White},
            {"QRDBText2",  100.5, 62.2, 98.2, 5.0, "Qry", "cim_varos", F("Arial", 10, Underline), C, White},
            {"QRDBText3",  100.5, 68.8, 98.2, 5.0, "Qry", "cim_cim", F("Arial", 10), C, White},
            {"QRDBText4",  100.5, 79.4, 98.2, 6.6, "Qry", "cim_irsz", F("Arial Rounded MT Bold", 16, Bold), C, White},
            {"QRLabel1",   100.5, 54.2, 98.2, 4.3, "",    "részére", F("Arial", 9), C, White},
            {"QRDBText5",  1.3,   1.3,  74.4, 5.0, "Tbl", "tulajdonos_nev", F("Arial", 9, Bold | Underline, Navy), L, White},
            {"QRDBText7",  1.3,   7.9,  74.4, 5.0, "Tbl", "varoscim", F("Courier New", 9), L, White},
            {"QRDBText8",  1.3,   13.2, 74.4, 5.0, "Tbl", "irsz", F("Courier New", 9, Bold), L, White},
        });
        break;
    case EnvelopeKind::LC5:
        AddRows(band, {
            {"QRDBText13", 104.5, 88.6,  91.6, 5.0, "Qry", "ugyfel_nev", F("Arial", 11, Bold), C, White},
            {"QRDBText1",  104.5, 93.9,  91.6, 5.0, "Qry", "ui2", F("Arial", 10), C, White},
            {"QRDBText2",  104.5, 107.2, 91.6, 5.0, "Qry", "cim_varos", F("Arial", 10, Underline), C, White},
            {"QRDBText3",  104.5, 113.8, 91.6, 5.0, "Qry", "cim_cim", F("Arial", 10), C, White},
            {"QRDBText4",  104.5, 124.4, 91.6, 6.6, "Qry", "cim_irsz", F("Arial Rounded MT Bold", 16, Bold), C, White},
            {"QRLabel1",   104.5, 99.2,  91.6, 4.3, "",    "részére", F("Arial", 9), C, White},
            {"QRDBText5",  1.3,   1.3,   74.4, 5.0, "Tbl", "tulajdonos_nev", F("Arial", 10, Bold | Underline), L, White},
            {"QRDBText7",  1.3,   7.9,   74.4, 5.0, "Tbl", "varoscim", F("Courier New", 9), L, White},
            {"QRDBText8",  1.3,   13.2,  74.4, 5.0, "Tbl", "irsz", F("Courier New", 9, Bold), L, White},
        });
        break;
    }
}

void ApplyReplacedCaption(Report &report, const char *itemName, const QString &caption)
{
    if (Item *item = report.item(QString::fromUtf8(itemName)))
        item->caption = caption;
}

} // namespace

// ---------------------------------------------------------------------------------------------

Report MakeBoritek(EnvelopeKind kind)
{
    const EnvelopeMember &member = Member(kind);
    static constexpr PrintFamily families[] = {PrintFamily::C6, PrintFamily::LA4, PrintFamily::LC5};
    Report report = MakeReport(families[int(kind)], member.name, "Boríték nyomtatás", member.page,
                               member.bandWidth, member.bandHeight);
    Band &band = report.bands.first();
    const Item picture = PictureItem(member.picLeft, member.picTop, member.picWidth, member.picHeight);
    if (member.pictureFirst)
        band.items.append(picture);
    AddEnvelopeItems(band, kind);
    if (!member.pictureFirst)
        band.items.append(picture);

    const NameThresholds thresholds = member.thresholds;
    if (thresholds.t1 > 0) {
        const QString nameItem = QString::fromUtf8(member.nameItem);
        const QString contactItem = QString::fromUtf8(member.contactItem);
        band.beforePrint = [thresholds, nameItem, contactItem](Band &b, const report::ValueLookup &value) {
            Item *name = b.item(nameItem);
            Item *contact = b.item(contactItem);
            if (!name || !contact)
                return;
            const int length = int(value(QStringLiteral("Qry"), QStringLiteral("ugyfel_nev")).size());
            const NameFontSizes sizes =
                ShrunkNameFonts(length, thresholds, {name->font.size, contact->font.size});
            name->font.size = sizes.name;
            contact->font.size = sizes.contact;
        };
    }
    TranslateReport(report);
    return report;
}

QString EnvelopePictureKey(EnvelopeKind kind)
{
    switch (kind) {
    case EnvelopeKind::C6:
        return QStringLiteral("i1");
    case EnvelopeKind::LA4:
        return QStringLiteral("i2");
    case EnvelopeKind::LC5:
        break;
    }
    return QStringLiteral("i3");
}

NameThresholds EnvelopeNameThresholds(EnvelopeKind kind)
{
    return Member(kind).thresholds;
}

NameFontSizes ShrunkNameFonts(int nameLength, const NameThresholds &t, NameFontSizes sizes)
{
    if (t.t1 <= 0)
        return sizes;
    if (nameLength > t.t1)
        sizes.name = 10;
    if (nameLength > t.t2) {
        sizes.name = 9;
        sizes.contact = 9;
    }
    if (nameLength > t.t3) {
        sizes.name = 8;
        sizes.contact = 8;
    }
    return sizes;
}

PictureFile ReadPictureFile(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw Error(QStringLiteral("A boríték képe nem olvasható: %1 (%2)").arg(fileName, file.errorString()));
    QByteArray bytes = file.readAll();
    file.close();
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, QFileInfo(fileName).suffix().toLower().toLatin1());
    reader.setDecideFormatFromContent(false);
    // Known from the file's header, before the picture is read.
    const QImageIOHandler::Transformations transformation = reader.transformation();
    PictureFile picture;
    picture.image = reader.read();
    if (picture.image.isNull())
        throw Error(QStringLiteral("A boríték képe nem olvasható: %1 (%2)").arg(fileName, reader.errorString()));
    // A JPEG shows as its bytes say unless the reader turned it by the file's orientation tag.
    const bool turned = reader.autoTransform() && transformation != QImageIOHandler::TransformationNone;
    if (bytes.startsWith("\xFF\xD8\xFF") && !turned)
        picture.jpeg = bytes;
    return picture;
}

QImage ReadEnvelopePicture(const QString &fileName)
{
    return ReadPictureFile(fileName).image;
}

void EnvelopePictures::load(Report &report, const QString &fileName)
{
    if (fileName.isEmpty())
        return;
    auto known = m_files.constFind(fileName);
    if (known == m_files.cend()) {
        std::optional<PictureFile> file;
        if (QFileInfo(fileName).isFile())
            file = ReadPictureFile(fileName);
        known = m_files.insert(fileName, file);
    }
    if (!known->has_value())
        return;
    if (Item *picture = report.item(QStringLiteral("QRImage1"))) {
        picture->picture = (*known)->image;
        picture->pictureFile = (*known)->jpeg;
    }
}

QStringList EnvelopePictureSuffixes()
{
    QStringList suffixes;
    for (const QByteArray &format : QImageReader::supportedImageFormats())
        suffixes.append(QString::fromLatin1(format).toLower());
    suffixes.sort();
    suffixes.removeDuplicates();
    return suffixes;
}

QString EnvelopePictureNote(EnvelopeKind kind, const QSize &pixels, double screenDpi)
{
    const EnvelopeMember &member = Member(kind);
    const QSizeF printed = report::PictureSize(QSizeF(member.picWidth, member.picHeight), pixels, screenDpi);
    const double pixelsPerMm = screenDpi / 25.4;
    if (printed.isEmpty() || printed.width() * pixelsPerMm >= pixels.width() - 0.5)
        return {};
    return QStringLiteral("A kép (%1*%2 pixel) nagyobb a boríték képhelyénél (%3*%4 pixel): nyomtatáskor "
                          "arányosan kicsinyítve kerül rá.")
        .arg(pixels.width())
        .arg(pixels.height())
        .arg(int(member.picWidth * pixelsPerMm))
        .arg(int(member.picHeight * pixelsPerMm));
}

void LoadEnvelopePicture(Report &report, const QString &fileName)
{
    EnvelopePictures().load(report, fileName);
}

// ---------------------------------------------------------------------------------------------
// Registered-mail form
// ---------------------------------------------------------------------------------------------

Report MakeAjanlott()
{
    Report report = MakeReport(PrintFamily::Registered, "qrAjanlott", "Boríték nyomtatás",
                               {160, 113, Orientation::Portrait, 12, 10, 10, 10}, 140.2, 92.3);
    const Font A9 = F("Arial", 9);
    const Align L = Align::Left;
    AddRows(report.bands.first(), {
        {"QRDBText13", 30.1, 43.0, 82.7, 5.0, "Qry", "ugyfel_nev", A9, L, White},
        {"QRDBText2",  48.9, 47.6, 63.8, 5.0, "Qry", "cim_varos", A9, L, White},
        {"QRDBText3",  30.4, 52.3, 82.4, 5.0, "Qry", "cim_cim", A9, L, White},
        {"QRDBText5",  30.4, 16.5, 81.0, 5.0, "Tbl", "tulajdonos_nev", A9, L, White},
        {"QRDBText7",  30.4, 21.2, 81.0, 5.0, "Tbl", "varoscim", A9, L, White},
        {"QRDBText8",  30.4, 25.1, 81.0, 5.0, "Tbl", "irsz", A9, L, White},
        {"QRDBText1",  30.4, 47.6, 17.5, 5.0, "Qry", "cim_irsz", A9, L, White},
    });
    return report;
}

// ---------------------------------------------------------------------------------------------
// Cheque and cash-on-delivery form
// ---------------------------------------------------------------------------------------------

QString AmountInFigures(qint64 amount)
{
    const QString padded = PadLeft(QString::number(amount), 6);
    QString text;
    text.reserve(padded.size() * 2);
    for (const QChar c : padded) {
        text += c;
        text += QLatin1Char(' ');
    }
    return text;
}

namespace {

const Page kChequePage{210, 297, Orientation::Portrait, 8, 10, 4, 10};

} // namespace

Report MakeCsekk(qint64 amount)
{
    Report report = MakeReport(PrintFamily::ChequeFront, "qrCsekk", "Csekk kitöltés", kChequePage, 196.1, 95.9);
    const Font Figures = F("Courier New", 12, Bold);
    const Font Words = F("Times New Roman", 8);
    const Font T8 = F("Tahoma", 8);
    const Align L = Align::Left;
    AddRows(report.bands.first(), {
        {"QRLabel1",   0.0,   0.0,  Auto, 6.0, "", "1 2 3 4 5 6", Figures, L, White},
        {"QRLabel2",   65.2,  0.0,  Auto, 6.0, "", "1 2 3 4 5 6", Figures, L, White},
        {"QRLabel3",   65.2,  30.4, Auto, 6.0, "", "1 2 3 4 5 6", Figures, L, White},
        {"QRLabel4",   3.6,   10.3, 45.0, 8.6, "", "ezernégyszáztíz", Words, L, White},
        {"QRLabel5",   67.1,  40.7, 57.0, 8.6, "", "ezernégyszáztíz", Words, L, White},
        {"QRDBText1",  4.0,   55.6, 49.9, 4.3, "Qry", "ugyfel_nev", T8, L, White},
        {"QRDBText2",  4.0,   59.9, 49.9, 4.3, "Qry", "cim_varos", T8, L, White},
        {"QRDBText3",  4.0,   63.8, 49.9, 4.3, "Qry", "cim_cim", T8, L, White},
        {"QRDBText4",  3.0,   71.8, 49.9, 5.0, "Qry", "cim_irsz", Figures, L, White},
        {"QRDBText5",  66.1,  10.3, 54.9, 4.3, "Tbl", "tulajdonos_nev", T8, L, White},
        {"QRDBText6",  66.1,  14.2, 54.9, 4.3, "Tbl", "varoscim", T8, L, White},
        {"QRDBText7",  140.9, 55.6, 49.9, 4.3, "Qry", "ugyfel_nev", T8, L, White},
        {"QRDBText8",  140.9, 59.9, 49.9, 4.3, "Qry", "cim_varos", T8, L, White},
        {"QRDBText9",  140.9, 63.8, 49.9, 4.3, "Qry", "cim_cim", T8, L, White},
        {"QRDBText10", 140.9, 71.8, 49.9, 5.0, "Qry", "cim_irsz", Figures, L, White},
    });
    // The run-time texts come after the translation, which works on the design texts.
    TranslateReport(report);
    const QString figures = AmountInFigures(amount);
    const QString words = SzamBetuvel(double(amount));
    for (const char *name : {"QRLabel1", "QRLabel2", "QRLabel3"})
        ApplyReplacedCaption(report, name, figures);
    for (const char *name : {"QRLabel4", "QRLabel5"})
        ApplyReplacedCaption(report, name, words);
    return report;
}

Report MakeCsekk2(const QString &message)
{
    Report report = MakeReport(PrintFamily::ChequeBack, "qrCsekk2", "Csekk kitöltés", kChequePage, 196.1, 95.9);
    const Align L = Align::Left;
    AddRows(report.bands.first(), {
        {"QRLabel4",  71.1, 1.0,  61.5, 17.9, "", "ezernégyszáztíz", F("Times New Roman", 8), L, White},
        {"QRDBText1", 77.7, 55.6, 49.9, 4.3, "Tbl", "tulajdonos_nev", F("Tahoma", 8), L, White},
        {"QRDBText2", 77.7, 59.9, 49.9, 4.3, "Tbl", "varoscim", F("Tahoma", 8), L, White},
        {"QRDBText4", 77.7, 71.8, 49.9, 5.0, "Tbl", "irsz", F("Courier New", 12, Bold), L, White},
    });
    TranslateReport(report);
    ApplyReplacedCaption(report, "QRLabel4", message);
    return report;
}

Report MakeUtanvet(qint64 amount)
{
    Report report = MakeReport(PrintFamily::Cod, "qrUtanvet", "Csekk kitöltés",
                               {150, 105, Orientation::Portrait, 7, 10, 8, 10}, 132.3, 95.9);
    const Font Figures = F("Courier New", 12, Bold);
    const Font T8 = F("Tahoma", 8);
    const Align L = Align::Left;
    AddRows(report.bands.first(), {
        {"QRLabel1",  1.0,  2.0,  Auto, 6.0, "", "1 2 3 4 5 6", Figures, L, White},
        {"QRLabel3",  1.0,  32.1, Auto, 6.0, "", "1 2 3 4 5 6", Figures, L, White},
        {"QRLabel4",  2.3,  42.0, 45.0, 8.6, "", "ezernégyszáztíz", F("Times New Roman", 8), L, White},
        {"QRDBText1", 2.6,  10.9, 49.9, 4.3, "Qry", "ugyfel_nev", T8, L, White},
        {"QRDBText2", 13.2, 14.6, 36.7, 4.3, "Qry", "cim_varos", T8, L, White},
        {"QRDBText3", 50.3, 14.5, 49.9, 4.3, "Qry", "cim_cim", T8, L, White},
        {"QRDBText5", 73.4, 57.9, 54.9, 4.3, "Tbl", "tulajdonos_nev", T8, L, White},
        {"QRDBText6", 73.4, 61.9, 54.9, 4.3, "Tbl", "varoscim", T8, L, White},
        {"QRDBText4", 2.6,  14.6, 9.6,  4.3, "Qry", "cim_irsz", T8, L, White},
        {"QRDBText7", 73.4, 72.8, 54.9, 7.3, "Tbl", "irsz", F("Courier New", 18, Bold), L, White},
    });
    TranslateReport(report);
    const QString figures = AmountInFigures(amount);
    ApplyReplacedCaption(report, "QRLabel1", figures);
    ApplyReplacedCaption(report, "QRLabel3", figures);
    ApplyReplacedCaption(report, "QRLabel4", SzamBetuvel(double(amount)));
    return report;
}

// ---------------------------------------------------------------------------------------------
// Report data
// ---------------------------------------------------------------------------------------------

namespace {

// The one row of "SELECT * FROM table" / whereLine. Every text is cut to its column's declared
// width: a value put in by SQL may be far longer than any box it prints in, and laying out a
// million characters of which fifty show would hold up the print job for minutes.
DataSource LoadSource(Database &db, const QString &name, const QString &table, const QString &whereLine,
                      const QString &param, qint64 key)
{
    Query query(db);
    query.setSql({QStringLiteral("SELECT * FROM ") + table, whereLine});
    query.setParam(param, key);
    query.open();
    DataSource source;
    source.name = name;
    source.fields = query.fieldNames();
    const QStringList columns = db.columnNames(table);
    const QList<int> columnWidths = db.columnWidths(table);
    QList<int> widths; // 0: no limit
    for (const QString &field : std::as_const(source.fields))
        widths.append(columnWidths.value(columns.indexOf(field)));
    for (int row = 0; row < query.recordCount(); ++row) {
        query.moveTo(row);
        QStringList values;
        values.reserve(source.fields.size());
        for (int i = 0; i < source.fields.size(); ++i) {
            const QString value = query.asString(source.fields.at(i));
            values.append(widths.at(i) > 0 ? value.left(widths.at(i)) : value);
        }
        source.rows.append(values);
    }
    query.close();
    return source;
}

} // namespace

QString ContactLine(const QString &name, const QString &contact)
{
    return contact == name ? QString() : contact.left(100);
}

DataSource LoadClientSource(Database &db, qint64 clientKey)
{
    DataSource source = LoadSource(db, QStringLiteral("Qry"), QStringLiteral("ugyfel"),
                                   QStringLiteral("WHERE ugyfel=:pugyfel;"), QStringLiteral("pugyfel"), clientKey);
    // The computed field, worked out for every row fetched.
    const int name = int(source.fields.indexOf(QStringLiteral("ugyfel_nev")));
    const int contact = int(source.fields.indexOf(QStringLiteral("kapcsolat")));
    source.fields.append(QStringLiteral("ui2"));
    for (QStringList &row : source.rows)
        row.append(ContactLine(row.value(name), row.value(contact)));
    return source;
}

DataSource LoadSenderSource(Database &db, qint64 senderKey)
{
    return LoadSource(db, QStringLiteral("Tbl"), QStringLiteral("tulajdonos"),
                      QStringLiteral("WHERE tulajdonos=:ptulajdonos;"), QStringLiteral("ptulajdonos"), senderKey);
}

void SetStationeryData(Report &report, Database &db, qint64 clientKey, qint64 senderKey)
{
    report.sources.clear();
    report.sources.append(LoadSenderSource(db, senderKey));
    report.sources.append(LoadClientSource(db, clientKey));
}

} // namespace kartevo
