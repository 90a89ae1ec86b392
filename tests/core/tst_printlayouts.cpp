// The stationery layouts as data: every item of every report against the printed forms' tables,
// the long-name shrinking, the amount texts, the picture item and the list printout's geometry.
#include "core/error.h"
#include "printing/gridprint.h"
#include "printing/reportrenderer.h"
#include "printing/stationery.h"

#include <QColor>
#include <QImage>
#include <QRectF>
#include <QTemporaryDir>
#include <QTest>

using namespace kartevo;
using namespace Qt::StringLiterals;
using report::Report;

namespace {

// One item as a line of text: name|left|top|width|height|content|font|alignment|background.
// Content is source.field for a bound item, "caption" otherwise; width "auto" for auto-width.
QString Describe(const report::Item &item)
{
    const auto num = [](double v) { return QString::number(v, 'f', 2); };
    QString font = item.font.family + QLatin1Char(' ') + QString::number(item.font.size);
    if (item.font.bold)
        font += QStringLiteral(" B");
    if (item.font.italic)
        font += QStringLiteral(" I");
    if (item.font.underline)
        font += QStringLiteral(" U");
    if (item.font.color != QColor(0, 0, 0))
        font += QLatin1Char(' ') + item.font.color.name();
    QString content;
    if (item.kind == report::ItemKind::Picture)
        content = QStringLiteral("picture");
    else if (!item.source.isEmpty())
        content = item.source + QLatin1Char('.') + item.field;
    else
        content = QLatin1Char('"') + item.caption + QLatin1Char('"');
    const char *align = item.align == report::Align::Center ? "C" : item.align == report::Align::Right ? "R" : "L";
    QString background = QStringLiteral("clear");
    if (item.background.isValid())
        background = item.background.name();
    if (item.kind == report::ItemKind::Picture)
        return QStringList{item.name, num(item.left), num(item.top), num(item.width), num(item.height), content}.join(QLatin1Char('|'));
    return QStringList{item.name, num(item.left), num(item.top),
                       item.autoWidth ? QStringLiteral("auto") : num(item.width), num(item.height), content,
                       font, QLatin1String(align), background}
        .join(QLatin1Char('|'));
}

// name|width|length|orientation|top|bottom|left|right|band width|band height|title
QString DescribePage(const Report &r)
{
    const auto num = [](double v) { return QString::number(v, 'f', 2); };
    const report::Page &p = r.page;
    return QStringList{r.name, num(p.width), num(p.length),
                       p.orientation == report::Orientation::Landscape ? QStringLiteral("landscape") : QStringLiteral("portrait"),
                       num(p.top), num(p.bottom), num(p.left), num(p.right), num(r.bands.first().width),
                       num(r.bands.first().height), r.title}
        .join(QLatin1Char('|'));
}

Report Build(const QString &which)
{
    if (which == QLatin1String("C6"))
        return MakeBoritek(EnvelopeKind::C6);
    if (which == QLatin1String("LA4"))
        return MakeBoritek(EnvelopeKind::LA4);
    if (which == QLatin1String("LC5"))
        return MakeBoritek(EnvelopeKind::LC5);
    if (which == QLatin1String("Ajanlott"))
        return MakeAjanlott();
    if (which == QLatin1String("Csekk"))
        return MakeCsekk(1500);
    if (which == QLatin1String("Csekk2"))
        return MakeCsekk2(QStringLiteral("közlemény"));
    return MakeUtanvet(1500);
}

// A report with a client row whose name has the given length.
Report WithClientName(Report report, const QString &name)
{
    report::DataSource client;
    client.name = QStringLiteral("Qry");
    client.fields = {QStringLiteral("ugyfel_nev"), QStringLiteral("ui2")};
    client.rows = {{name, QStringLiteral("Kapcsolat")}};
    report.sources = {client};
    return report;
}

const QString White = QStringLiteral("#ffffff");

} // namespace

class TestPrintLayouts : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void pages_data()
    {
        QTest::addColumn<QString>("which");
        QTest::addColumn<QString>("expected");
        QTest::newRow("C6") << u"C6"_s << u"qrBoritek|160.00|113.00|portrait|10.00|10.00|10.00|10.00|140.00|92.40|Boríték nyomtatás"_s;
        QTest::newRow("LA4") << u"LA4"_s << u"qrBoritek2|220.00|110.00|portrait|10.00|10.00|10.00|10.00|200.10|92.30|Boríték nyomtatás"_s;
        QTest::newRow("LC5") << u"LC5"_s << u"qrBoritek3|229.00|162.00|landscape|10.00|10.00|10.00|10.00|209.00|141.20|Boríték nyomtatás"_s;
        QTest::newRow("Ajanlott") << u"Ajanlott"_s << u"qrAjanlott|160.00|113.00|portrait|12.00|10.00|10.00|10.00|140.20|92.30|Boríték nyomtatás"_s;
        QTest::newRow("Csekk") << u"Csekk"_s << u"qrCsekk|210.00|297.00|portrait|8.00|10.00|4.00|10.00|196.10|95.90|Csekk kitöltés"_s;
        QTest::newRow("Csekk2") << u"Csekk2"_s << u"qrCsekk2|210.00|297.00|portrait|8.00|10.00|4.00|10.00|196.10|95.90|Csekk kitöltés"_s;
        QTest::newRow("Utanvet") << u"Utanvet"_s << u"qrUtanvet|150.00|105.00|portrait|7.00|10.00|8.00|10.00|132.30|95.90|Csekk kitöltés"_s;
    }
    void pages()
    {
        QFETCH(QString, which);
        QFETCH(QString, expected);
        const Report report = Build(which);
        QCOMPARE(DescribePage(report), expected);
        QCOMPARE(report.bands.size(), 1);
        QCOMPARE(report.bands.first().kind, report::BandKind::Detail);
        QCOMPARE(report.detailSource, QStringLiteral("Qry"));
    }

    // Every item of every stationery report, in print order.
    void items_data()
    {
        QTest::addColumn<QString>("which");
        QTest::addColumn<QStringList>("expected");
        const QString sender9 = QStringLiteral("Arial 9 B U");
        QTest::newRow("C6") << u"C6"_s << QStringList{
            u"QRImage1|1.30|19.60|41.40|71.40|picture"_s,
            u"Nev|43.70|37.50|94.40|4.85|Qry.ugyfel_nev|Arial 11 B|C|clear"_s,
            u"Nev2|43.70|42.80|94.40|4.85|Qry.ui2|Arial 10|C|clear"_s,
            u"QRDBText2|43.70|59.50|94.40|4.85|Qry.cim_varos|Arial 10 U|C|clear"_s,
            u"QRDBText3|43.70|66.10|94.40|4.85|Qry.cim_cim|Arial 10|C|clear"_s,
            u"QRDBText4|43.70|79.40|94.30|6.60|Qry.cim_irsz|Arial Rounded MT Bold 16 B|C|clear"_s,
            u"QRLabel1|43.70|48.10|94.40|4.40|\"részére\"|Arial 9|C|clear"_s,
            u"QRDBText5|1.30|1.30|74.40|5.00|Tbl.tulajdonos_nev|Arial 9 B U|L|#ffffff"_s,
            u"QRDBText7|1.30|7.90|74.40|5.00|Tbl.varoscim|Courier New 9|L|#ffffff"_s,
            u"QRDBText8|1.30|13.20|74.40|5.00|Tbl.irsz|Courier New 9 B|L|#ffffff"_s,
        };
        QTest::newRow("LA4") << u"LA4"_s << QStringList{
            u"Nev|100.50|43.70|98.20|5.00|Qry.ugyfel_nev|Arial 11 B|C|#ffffff"_s,
            u"nev2|100.50|48.90|98.20|5.00|Qry.ui2|Arial 10|C|#ffffff"_s,
            u"QRDBText2|100.50|62.20|98.20|5.00|Qry.cim_varos|Arial 10 U|C|#ffffff"_s,
            u"QRDBText3|100.50|68.80|98.20|5.00|Qry.cim_cim|Arial 10|C|#ffffff"_s,
            u"QRDBText4|100.50|79.40|98.20|6.60|Qry.cim_irsz|Arial Rounded MT Bold 16 B|C|#ffffff"_s,
            u"QRLabel1|100.50|54.20|98.20|4.30|\"részére\"|Arial 9|C|#ffffff"_s,
            u"QRDBText5|1.30|1.30|74.40|5.00|Tbl.tulajdonos_nev|Arial 9 B U #000080|L|#ffffff"_s,
            u"QRDBText7|1.30|7.90|74.40|5.00|Tbl.varoscim|Courier New 9|L|#ffffff"_s,
            u"QRDBText8|1.30|13.20|74.40|5.00|Tbl.irsz|Courier New 9 B|L|#ffffff"_s,
            u"QRImage1|1.30|20.50|98.20|69.80|picture"_s,
        };
        QTest::newRow("LC5") << u"LC5"_s << QStringList{
            u"QRDBText13|104.50|88.60|91.60|5.00|Qry.ugyfel_nev|Arial 11 B|C|#ffffff"_s,
            u"QRDBText1|104.50|93.90|91.60|5.00|Qry.ui2|Arial 10|C|#ffffff"_s,
            u"QRDBText2|104.50|107.20|91.60|5.00|Qry.cim_varos|Arial 10 U|C|#ffffff"_s,
            u"QRDBText3|104.50|113.80|91.60|5.00|Qry.cim_cim|Arial 10|C|#ffffff"_s,
            u"QRDBText4|104.50|124.40|91.60|6.60|Qry.cim_irsz|Arial Rounded MT Bold 16 B|C|#ffffff"_s,
            u"QRLabel1|104.50|99.20|91.60|4.30|\"részére\"|Arial 9|C|#ffffff"_s,
            u"QRDBText5|1.30|1.30|74.40|5.00|Tbl.tulajdonos_nev|Arial 10 B U|L|#ffffff"_s,
            u"QRDBText7|1.30|7.90|74.40|5.00|Tbl.varoscim|Courier New 9|L|#ffffff"_s,
            u"QRDBText8|1.30|13.20|74.40|5.00|Tbl.irsz|Courier New 9 B|L|#ffffff"_s,
            u"QRImage1|1.30|20.50|102.20|117.40|picture"_s,
        };
        QTest::newRow("Ajanlott") << u"Ajanlott"_s << QStringList{
            u"QRDBText13|30.10|43.00|82.70|5.00|Qry.ugyfel_nev|Arial 9|L|#ffffff"_s,
            u"QRDBText2|48.90|47.60|63.80|5.00|Qry.cim_varos|Arial 9|L|#ffffff"_s,
            u"QRDBText3|30.40|52.30|82.40|5.00|Qry.cim_cim|Arial 9|L|#ffffff"_s,
            u"QRDBText5|30.40|16.50|81.00|5.00|Tbl.tulajdonos_nev|Arial 9|L|#ffffff"_s,
            u"QRDBText7|30.40|21.20|81.00|5.00|Tbl.varoscim|Arial 9|L|#ffffff"_s,
            u"QRDBText8|30.40|25.10|81.00|5.00|Tbl.irsz|Arial 9|L|#ffffff"_s,
            u"QRDBText1|30.40|47.60|17.50|5.00|Qry.cim_irsz|Arial 9|L|#ffffff"_s,
        };
        QTest::newRow("Csekk") << u"Csekk"_s << QStringList{
            u"QRLabel1|0.00|0.00|auto|6.00|\"    1 5 0 0 \"|Courier New 12 B|L|#ffffff"_s,
            u"QRLabel2|65.20|0.00|auto|6.00|\"    1 5 0 0 \"|Courier New 12 B|L|#ffffff"_s,
            u"QRLabel3|65.20|30.40|auto|6.00|\"    1 5 0 0 \"|Courier New 12 B|L|#ffffff"_s,
            u"QRLabel4|3.60|10.30|45.00|8.60|\"egyezer ötszáz\"|Times New Roman 8|L|#ffffff"_s,
            u"QRLabel5|67.10|40.70|57.00|8.60|\"egyezer ötszáz\"|Times New Roman 8|L|#ffffff"_s,
            u"QRDBText1|4.00|55.60|49.90|4.30|Qry.ugyfel_nev|Tahoma 8|L|#ffffff"_s,
            u"QRDBText2|4.00|59.90|49.90|4.30|Qry.cim_varos|Tahoma 8|L|#ffffff"_s,
            u"QRDBText3|4.00|63.80|49.90|4.30|Qry.cim_cim|Tahoma 8|L|#ffffff"_s,
            u"QRDBText4|3.00|71.80|49.90|5.00|Qry.cim_irsz|Courier New 12 B|L|#ffffff"_s,
            u"QRDBText5|66.10|10.30|54.90|4.30|Tbl.tulajdonos_nev|Tahoma 8|L|#ffffff"_s,
            u"QRDBText6|66.10|14.20|54.90|4.30|Tbl.varoscim|Tahoma 8|L|#ffffff"_s,
            u"QRDBText7|140.90|55.60|49.90|4.30|Qry.ugyfel_nev|Tahoma 8|L|#ffffff"_s,
            u"QRDBText8|140.90|59.90|49.90|4.30|Qry.cim_varos|Tahoma 8|L|#ffffff"_s,
            u"QRDBText9|140.90|63.80|49.90|4.30|Qry.cim_cim|Tahoma 8|L|#ffffff"_s,
            u"QRDBText10|140.90|71.80|49.90|5.00|Qry.cim_irsz|Courier New 12 B|L|#ffffff"_s,
        };
        QTest::newRow("Csekk2") << u"Csekk2"_s << QStringList{
            u"QRLabel4|71.10|1.00|61.50|17.90|\"közlemény\"|Times New Roman 8|L|#ffffff"_s,
            u"QRDBText1|77.70|55.60|49.90|4.30|Tbl.tulajdonos_nev|Tahoma 8|L|#ffffff"_s,
            u"QRDBText2|77.70|59.90|49.90|4.30|Tbl.varoscim|Tahoma 8|L|#ffffff"_s,
            u"QRDBText4|77.70|71.80|49.90|5.00|Tbl.irsz|Courier New 12 B|L|#ffffff"_s,
        };
        QTest::newRow("Utanvet") << u"Utanvet"_s << QStringList{
            u"QRLabel1|1.00|2.00|auto|6.00|\"    1 5 0 0 \"|Courier New 12 B|L|#ffffff"_s,
            u"QRLabel3|1.00|32.10|auto|6.00|\"    1 5 0 0 \"|Courier New 12 B|L|#ffffff"_s,
            u"QRLabel4|2.30|42.00|45.00|8.60|\"egyezer ötszáz\"|Times New Roman 8|L|#ffffff"_s,
            u"QRDBText1|2.60|10.90|49.90|4.30|Qry.ugyfel_nev|Tahoma 8|L|#ffffff"_s,
            u"QRDBText2|13.20|14.60|36.70|4.30|Qry.cim_varos|Tahoma 8|L|#ffffff"_s,
            u"QRDBText3|50.30|14.50|49.90|4.30|Qry.cim_cim|Tahoma 8|L|#ffffff"_s,
            u"QRDBText5|73.40|57.90|54.90|4.30|Tbl.tulajdonos_nev|Tahoma 8|L|#ffffff"_s,
            u"QRDBText6|73.40|61.90|54.90|4.30|Tbl.varoscim|Tahoma 8|L|#ffffff"_s,
            u"QRDBText4|2.60|14.60|9.60|4.30|Qry.cim_irsz|Tahoma 8|L|#ffffff"_s,
            u"QRDBText7|73.40|72.80|54.90|7.30|Tbl.irsz|Courier New 18 B|L|#ffffff"_s,
        };
    }
    void items()
    {
        QFETCH(QString, which);
        QFETCH(QStringList, expected);
        const Report report = Build(which);
        QStringList actual;
        for (const report::Item &item : report.bands.first().items)
            actual.append(Describe(item));
        for (int i = 0; i < std::max(actual.size(), expected.size()); ++i)
            QCOMPARE(actual.value(i), expected.value(i));
    }

    // The name and contact font sizes as printed, through the band's event.
    void nameShrinking_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("length");
        QTest::addColumn<double>("nameSize");
        QTest::addColumn<double>("contactSize");
        const int c6 = int(EnvelopeKind::C6), la4 = int(EnvelopeKind::LA4), lc5 = int(EnvelopeKind::LC5);
        QTest::newRow("C6 empty") << c6 << 0 << 11.0 << 10.0;
        QTest::newRow("C6 37") << c6 << 37 << 11.0 << 10.0;
        QTest::newRow("C6 38") << c6 << 38 << 10.0 << 10.0;
        QTest::newRow("C6 43") << c6 << 43 << 10.0 << 10.0;
        QTest::newRow("C6 44") << c6 << 44 << 9.0 << 9.0;
        QTest::newRow("C6 52") << c6 << 52 << 9.0 << 9.0;
        QTest::newRow("C6 53") << c6 << 53 << 8.0 << 8.0;
        QTest::newRow("LA4 40") << la4 << 40 << 11.0 << 10.0;
        QTest::newRow("LA4 41") << la4 << 41 << 10.0 << 10.0;
        QTest::newRow("LA4 45") << la4 << 45 << 10.0 << 10.0;
        QTest::newRow("LA4 51") << la4 << 51 << 9.0 << 9.0;
        QTest::newRow("LA4 60") << la4 << 60 << 9.0 << 9.0;
        QTest::newRow("LA4 61") << la4 << 61 << 8.0 << 8.0;
        QTest::newRow("LC5 75") << lc5 << 75 << 11.0 << 10.0;
    }
    void nameShrinking()
    {
        QFETCH(int, kind);
        QFETCH(int, length);
        QFETCH(double, nameSize);
        QFETCH(double, contactSize);
        // Accented letters count as one character each.
        const QString name = QString(length, QChar(0x0151));
        const report::ReportRenderer renderer(WithClientName(MakeBoritek(EnvelopeKind(kind)), name));
        QCOMPARE(renderer.pageCount(), 1);
        const auto &placed = renderer.placedBands(0);
        QCOMPARE(placed.size(), 1);
        const report::Band &band = placed.first().band;
        const QString nameItem = kind == int(EnvelopeKind::LC5) ? QStringLiteral("QRDBText13") : QStringLiteral("Nev");
        const QString contactItem = kind == int(EnvelopeKind::C6)    ? QStringLiteral("Nev2")
                                    : kind == int(EnvelopeKind::LA4) ? QStringLiteral("nev2")
                                                                     : QStringLiteral("QRDBText1");
        QCOMPARE(band.item(nameItem)->font.size, nameSize);
        QCOMPARE(band.item(contactItem)->font.size, contactSize);
    }

    void amountInFigures_data()
    {
        QTest::addColumn<qint64>("amount");
        QTest::addColumn<QString>("expected");
        QTest::newRow("0") << qint64(0) << QStringLiteral("          0 ");
        QTest::newRow("250") << qint64(250) << QStringLiteral("      2 5 0 ");
        QTest::newRow("1000") << qint64(1000) << QStringLiteral("    1 0 0 0 ");
        QTest::newRow("999999") << qint64(999999) << QStringLiteral("9 9 9 9 9 9 ");
        QTest::newRow("1234567 not cut") << qint64(1234567) << QStringLiteral("1 2 3 4 5 6 7 ");
    }
    void amountInFigures()
    {
        QFETCH(qint64, amount);
        QFETCH(QString, expected);
        QCOMPARE(AmountInFigures(amount), expected);
        const Report front = MakeCsekk(amount);
        for (const char *name : {"QRLabel1", "QRLabel2", "QRLabel3"})
            QCOMPARE(front.item(QLatin1String(name))->caption, expected);
        const Report cod = MakeUtanvet(amount);
        QCOMPARE(cod.item(QStringLiteral("QRLabel1"))->caption, expected);
        QCOMPARE(cod.item(QStringLiteral("QRLabel3"))->caption, expected);
    }

    void amountInWords()
    {
        QCOMPARE(MakeCsekk(0).item(QStringLiteral("QRLabel4"))->caption, QStringLiteral("nulla"));
        QCOMPARE(MakeCsekk(1000).item(QStringLiteral("QRLabel5"))->caption, QStringLiteral("egyezer "));
        QCOMPARE(MakeUtanvet(1000).item(QStringLiteral("QRLabel4"))->caption, QStringLiteral("egyezer "));
        const QString message = QStringLiteral("1. sor\n2. sor\n3. sor\n4. sor\n5. sor\n");
        QCOMPARE(MakeCsekk2(message).item(QStringLiteral("QRLabel4"))->caption, message);
    }

    void contactLine_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("contact");
        QTest::addColumn<QString>("expected");
        QTest::newRow("same") << u"Kiss Anna"_s << u"Kiss Anna"_s << u""_s;
        QTest::newRow("other") << u"Almási és Társa Kft."_s << u"Almási Péter"_s << u"Almási Péter"_s;
        QTest::newRow("case differs") << u"Kiss Anna"_s << u"KISS ANNA"_s << u"KISS ANNA"_s;
        QTest::newRow("accent differs") << u"Kiss Ánna"_s << u"Kiss Anna"_s << u"Kiss Anna"_s;
        QTest::newRow("no contact") << u"Kiss Anna"_s << u""_s << u""_s;
        QTest::newRow("no name") << u""_s << u"Kiss Anna"_s << u"Kiss Anna"_s;
    }
    void contactLine()
    {
        QFETCH(QString, name);
        QFETCH(QString, contact);
        QFETCH(QString, expected);
        QCOMPARE(ContactLine(name, contact), expected);
    }

    void pictureFiles()
    {
        QTemporaryDir dir;
        Report report = MakeBoritek(EnvelopeKind::C6);
        LoadEnvelopePicture(report, QString());
        LoadEnvelopePicture(report, dir.filePath(QStringLiteral("nincs.jpg")));
        QVERIFY(report.item(QStringLiteral("QRImage1"))->picture.isNull());

        const QString broken = dir.filePath(QStringLiteral("rossz.jpg"));
        QFile file(broken);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("ez nem kép");
        file.close();
        QVERIFY_THROWS_EXCEPTION(Error, LoadEnvelopePicture(report, broken));

        const QString good = dir.filePath(QStringLiteral("logo.png"));
        QImage image(20, 10, QImage::Format_RGB32);
        image.fill(Qt::red);
        QVERIFY(image.save(good));
        LoadEnvelopePicture(report, good);
        QCOMPARE(report.item(QStringLiteral("QRImage1"))->picture.size(), QSize(20, 10));
    }

    // No envelope's picture box reaches into the address block (the addressee's items, which a
    // sorting machine reads) nor into the sender block above it, and it stays on the band.
    void pictureBoxKeepsOutOfTheAddress_data()
    {
        QTest::addColumn<int>("kind");
        QTest::newRow("C6") << int(EnvelopeKind::C6);
        QTest::newRow("LA4") << int(EnvelopeKind::LA4);
        QTest::newRow("LC5") << int(EnvelopeKind::LC5);
    }

    void pictureBoxKeepsOutOfTheAddress()
    {
        QFETCH(int, kind);
        const Report report = MakeBoritek(EnvelopeKind(kind));
        const report::Band &band = report.bands.first();
        QRectF address;
        QRectF sender;
        QRectF picture;
        for (const report::Item &item : band.items) {
            const QRectF box(item.left, item.top, item.width, item.height);
            if (item.kind == report::ItemKind::Picture)
                picture = box;
            else if (item.source == u"Tbl"_s)
                sender |= box;
            else
                address |= box;
        }
        QVERIFY(!picture.isEmpty());
        QVERIFY2(!picture.intersects(address), qPrintable(u"picture %1 mm wide reaches the address at %2"_s
                                                             .arg(picture.right()).arg(address.left())));
        QVERIFY(!picture.intersects(sender));
        QVERIFY(picture.right() <= band.width && picture.bottom() <= band.height);
    }

    // A picture larger than its box is shrunk to fit it, keeping its proportions; a smaller one
    // prints at its own size (96 pixels are an inch). The printed page shows it there and nowhere
    // else: the address block stays clear.
    void pictureScaledIntoItsBox_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QSize>("pixels");
        QTest::addColumn<QSizeF>("millimetres");
        QTest::newRow("C6, the largest picture the dialog names") << int(EnvelopeKind::C6) << QSize(339, 324)
                                                                   << QSizeF(41.4, 41.4 * 324 / 339);
        QTest::newRow("C6, tall: the box's height decides") << int(EnvelopeKind::C6) << QSize(100, 600)
                                                            << QSizeF(71.4 / 6, 71.4);
        QTest::newRow("C6, small: its own size") << int(EnvelopeKind::C6) << QSize(96, 48) << QSizeF(25.4, 12.7);
        QTest::newRow("LA4, the largest the dialog names: its own size")
            << int(EnvelopeKind::LA4) << QSize(297, 175) << QSizeF(297 * 25.4 / 96, 175 * 25.4 / 96);
        QTest::newRow("LC5, wide") << int(EnvelopeKind::LC5) << QSize(1000, 500) << QSizeF(102.2, 51.1);
    }

    void pictureScaledIntoItsBox()
    {
        QFETCH(int, kind);
        QFETCH(QSize, pixels);
        QFETCH(QSizeF, millimetres);
        Report report = WithClientName(MakeBoritek(EnvelopeKind(kind)), QString());
        report.screenDpi = 96;
        QImage picture(pixels, QImage::Format_RGB32);
        picture.fill(Qt::red);
        report::Item *item = report.item(u"QRImage1"_s);
        item->picture = picture;
        const QSizeF size = report::PictureSize(*item, report.screenDpi);
        QVERIFY2(qAbs(size.width() - millimetres.width()) < 0.01 && qAbs(size.height() - millimetres.height()) < 0.01,
                 qPrintable(u"%1 x %2 mm"_s.arg(size.width()).arg(size.height())));

        // 10 pixels a millimetre; the band starts at the margins (10, 10).
        const QImage page = report::RenderPageImage(report, 0, 254);
        QRect red;
        for (int y = 0; y < page.height(); ++y) {
            for (int x = 0; x < page.width(); ++x) {
                if (page.pixel(x, y) == QColor(Qt::red).rgb())
                    red |= QRect(x, y, 1, 1);
            }
        }
        const QRectF printed(red.x() / 10.0 - 10, red.y() / 10.0 - 10, red.width() / 10.0, red.height() / 10.0);
        const QRectF expected(item->left, item->top, millimetres.width(), millimetres.height());
        QVERIFY2(qAbs(printed.left() - expected.left()) <= 0.15 && qAbs(printed.top() - expected.top()) <= 0.15
                     && qAbs(printed.width() - expected.width()) <= 0.25
                     && qAbs(printed.height() - expected.height()) <= 0.25,
                 qPrintable(u"printed at %1, %2, %3 x %4 mm"_s.arg(printed.left()).arg(printed.top())
                                .arg(printed.width()).arg(printed.height())));
    }

    // A band taller than the printable height prints on the one page; no row still gives a page.
    void bandsAndPages()
    {
        const report::ReportRenderer la4(WithClientName(MakeBoritek(EnvelopeKind::LA4), QStringLiteral("Név")));
        QCOMPARE(la4.pageCount(), 1);
        QCOMPARE(la4.placedBands(0).size(), 1);
        QCOMPARE(la4.placedBands(0).first().top, 10.0);

        Report empty = MakeBoritek(EnvelopeKind::C6);
        report::DataSource noRow;
        noRow.name = QStringLiteral("Qry");
        empty.sources = {noRow};
        const report::ReportRenderer renderer(empty);
        QCOMPARE(renderer.pageCount(), 1);
        QVERIFY(renderer.placedBands(0).isEmpty());
    }

    void gridUnits_data()
    {
        QTest::addColumn<QList<int>>("widths");
        QTest::addColumn<int>("gridWidth");
        QTest::addColumn<QList<int>>("units");
        QTest::newRow("proportional") << QList<int>{100, 300} << 400 << QList<int>{144, 431};
        QTest::newRow("halves to even") << QList<int>{1, 3, 5} << 1150 << QList<int>{0, 2, 2};
        QTest::newRow("no grid width") << QList<int>{100} << 0 << QList<int>{0};
    }
    void gridUnits()
    {
        QFETCH(QList<int>, widths);
        QFETCH(int, gridWidth);
        QFETCH(QList<int>, units);
        QList<GridPrintColumn> columns;
        for (const int w : widths)
            columns.append({QStringLiteral("c"), w, report::Align::Left});
        QCOMPARE(GridColumnUnits(columns, gridWidth), units);
    }

    void gridLayout()
    {
        const QList<GridPrintColumn> columns = {{QStringLiteral("nyom."), 50, report::Align::Center},
                                                {QStringLiteral("ügyfél"), 250, report::Align::Left},
                                                {QStringLiteral("összeg"), 100, report::Align::Right}};
        QList<QStringList> rows;
        for (int i = 0; i < 100; ++i)
            rows.append({QStringLiteral("I"), QStringLiteral("Ügyfél %1").arg(i), QString::number(i)});
        const Report report = MakeGridPrint(columns, 500, rows, QStringLiteral("Ügyfelek"), 8);
        QCOMPARE(report.page.width, 210.0);
        QCOMPARE(report.page.top, 10.0);
        const report::Band *header = report.band(QStringLiteral("QRBand1"));
        const report::Band *detail = report.band(QStringLiteral("QRBand2"));
        const report::Band *footer = report.band(QStringLiteral("QRBand3"));
        QVERIFY(header && detail && footer);
        QCOMPARE(header->height, 30.1);
        QCOMPARE(detail->height, 5.95);
        QCOMPARE(footer->height, 14.55);
        // 575 × 50/500 = 57.5 -> 58; 287.5 -> 288; 115.
        const double u = kGridUnitMm;
        const QList<double> lefts = {0, (58 + 4) * u, (58 + 4 + 288 + 4) * u};
        const QList<double> widths = {58 * u, 288 * u, 115 * u};
        for (int i = 0; i < 3; ++i) {
            const report::Item *cell = detail->item(QStringLiteral("QRDBText%1").arg(i + 1));
            const report::Item *title = header->item(QStringLiteral("QRTitle%1").arg(i + 1));
            QVERIFY(cell && title);
            QCOMPARE(cell->left, lefts.at(i));
            QCOMPARE(cell->width, widths.at(i));
            QCOMPARE(cell->top, 2 * u);
            QCOMPARE(cell->height, 13 * u);
            QCOMPARE(cell->align, columns.at(i).align);
            QCOMPARE(cell->font.family, QStringLiteral("Tahoma"));
            QCOMPARE(cell->font.size, 8.0);
            QCOMPARE(title->caption, columns.at(i).title);
            QCOMPARE(title->top, 72 * u);
            QVERIFY(title->font.italic);
        }
        QCOMPARE(header->item(QStringLiteral("QRLabel1"))->caption, QStringLiteral("Ügyfelek"));
        QVERIFY(header->item(QStringLiteral("QRLabel1"))->autoWidth);

        // 277 mm printable - 30.1 header - 14.55 footer leaves room for 39 lines a page.
        const report::ReportRenderer renderer(report);
        QCOMPARE(renderer.pageCount(), 3);
        int details = 0;
        for (int page = 0; page < 3; ++page) {
            const auto &placed = renderer.placedBands(page);
            QCOMPARE(placed.first().band.name, QStringLiteral("QRBand1"));
            QCOMPARE(placed.last().band.name, QStringLiteral("QRBand3"));
            QCOMPARE(placed.last().top, 297 - 10 - 14.55);
            details += int(placed.size()) - 2;
        }
        QCOMPARE(details, 100);
        QCOMPARE(renderer.placedBands(0).size(), 39 + 2);
        const report::Item *pageNumber = footer->item(QStringLiteral("QRSysData3"));
        QCOMPARE(renderer.itemText(*pageNumber, -1, 1), QStringLiteral("oldal: 2"));
        QCOMPARE(renderer.itemText(*footer->item(QStringLiteral("QRSysData5")), -1, 0), QStringLiteral("Ügyfelek"));
        QCOMPARE(renderer.itemText(*footer->item(QStringLiteral("QRLabel4")), -1, 0), QStringLiteral("qrGridPrint"));

        const report::ReportRenderer empty(MakeGridPrint(columns, 500, {}, QStringLiteral("Ügyfelek"), 8));
        QCOMPARE(empty.pageCount(), 1);
        QCOMPARE(empty.placedBands(0).size(), 2);
    }

    // The fixed items and frame lines of the list printout's page header, detail and footer, in
    // print order; the column items are left out (gridLayout covers them).
    void gridFixedItems_data()
    {
        QTest::addColumn<QString>("band");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("page header") << u"QRBand1"_s << QStringList{
            u"line|0.00|0.00|75.70|0.00|#000000|0.26"_s,
            u"line|0.00|20.20|75.70|0.00|#000000|0.26"_s,
            u"QRLabel1|0.00|1.30|auto|6.95|\"Lista\"|Arial 16 B|L|clear"_s,
            u"line|0.00|30.10|190.20|0.00|#c0c0c0|0.53"_s,
        };
        QTest::newRow("detail") << u"QRBand2"_s << QStringList{
            u"line|0.00|5.95|190.20|0.00|#c0c0c0|0.26"_s,
        };
        QTest::newRow("page footer") << u"QRBand3"_s << QStringList{
            u"line|0.00|0.00|190.20|0.00|#c0c0c0|0.26"_s,
            u"QRLabel10|0.00|1.30|190.20|2.60|\"Kartevo\"|Courier New 6|L|clear"_s,
            u"QRSysData3|0.00|6.60|190.20|2.60|\"oldal: \"+page|Courier New 6|L|clear"_s,
            u"QRLabel3|0.00|6.60|190.20|2.60|\"www.kartevo.hu\"|Courier New 6|C|clear"_s,
            u"QRSysData4|0.00|1.30|190.20|2.60|\"\"+datetime|Courier New 6|R|clear"_s,
            u"QRSysData5|0.00|4.00|190.20|2.60|\"\"+title|Courier New 6|R|clear"_s,
            u"QRLabel4|0.00|6.60|190.20|2.60|\"qrGridPrint\"|Courier New 6|R|clear"_s,
        };
    }
    void gridFixedItems()
    {
        QFETCH(QString, band);
        QFETCH(QStringList, expected);
        const Report report = MakeGridPrint({}, 500, {}, QStringLiteral("Lista"), 8);
        QCOMPARE(report.name, QStringLiteral("qrGridPrint"));
        QCOMPARE(report.title, QStringLiteral("Lista"));
        QCOMPARE(DescribePage(report).section(QLatin1Char('|'), 0, 7),
                 QStringLiteral("qrGridPrint|210.00|297.00|portrait|10.00|10.00|10.00|10.00"));
        QCOMPARE(report.font.family, QStringLiteral("Tahoma"));
        QCOMPARE(report.font.size, 8.0);
        const report::Band *b = report.band(band);
        QVERIFY(b);
        QCOMPARE(b->width, 190.2);
        const auto num = [](double v) { return QString::number(v, 'f', 2); };
        QStringList actual;
        for (const report::Item &item : b->items) {
            if (item.kind == report::ItemKind::Line) {
                actual.append(QStringList{QStringLiteral("line"), num(item.left), num(item.top), num(item.width),
                                          num(item.height), item.lineColor.name(), num(item.lineWidth)}
                                  .join(QLatin1Char('|')));
                continue;
            }
            QString line = Describe(item);
            static const char *const sys[] = {"", "+page", "+datetime", "+title"};
            QStringList parts = line.split(QLatin1Char('|'));
            parts[5] += QLatin1String(sys[int(item.sysData)]);
            actual.append(parts.join(QLatin1Char('|')));
        }
        for (int i = 0; i < std::max(actual.size(), expected.size()); ++i)
            QCOMPARE(actual.value(i), expected.value(i));
    }
};

QTEST_MAIN(TestPrintLayouts)
#include "tst_printlayouts.moc"
