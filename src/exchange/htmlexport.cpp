#include "exchange/htmlexport.h"

#include "core/codec.h"
#include "core/dataset.h"
#include "core/error.h"
#include "core/helpers.h"

#include <QIODevice>

namespace kartevo {

namespace {

QString AlignPrefix(FieldAlign align)
{
    switch (align) {
    case FieldAlign::Right:
        return QStringLiteral("<p align=\"right\">");
    case FieldAlign::Centre:
        return QStringLiteral("<p align=\"center\">");
    default:
        return {};
    }
}

// Collects encoded lines and writes them in pieces.
class LineWriter {
public:
    explicit LineWriter(QIODevice &out) : m_out(out), m_encoder(Cp1250Encoder::Unmappable::HtmlReference) {}
    LineWriter &operator<<(const QString &line)
    {
        m_bytes.append(m_encoder.encode(line)).append("\r\n");
        if (m_bytes.size() >= 1 << 16)
            flush();
        return *this;
    }
    void flush()
    {
        if (m_out.write(m_bytes) != m_bytes.size())
            throw Error(QStringLiteral("A fájl nem írható: %1").arg(m_out.errorString()));
        m_bytes.clear();
    }

private:
    QIODevice &m_out;
    Cp1250Encoder m_encoder;
    QByteArray m_bytes;
};

} // namespace

QString HtmlDefaultPath(const QString &htmlFolder, const QString &title)
{
    return htmlFolder + QLatin1Char('/') + SafeFileName(title) + QStringLiteral(".htm");
}

int HtmlWidthShare(int width, int gridWidth)
{
    if (gridWidth <= 0)
        return 0;
    // width × 100 / gridWidth in whole numbers, so that a half is exactly a half.
    const qint64 numerator = qint64(width) * 100;
    qint64 quotient = numerator / gridWidth;
    const qint64 twice = (numerator % gridWidth) * 2;
    if (twice > gridWidth || (twice == gridWidth && quotient % 2 != 0))
        ++quotient;
    return int(quotient);
}

ExportResult WriteHtmlPage(QIODevice &out, const DataSet &dataSet, const QString &title,
                           const QList<HtmlColumn> &columns, int gridWidth, const QDateTime &when,
                           const ExportProgress &progress)
{
    LineWriter lines(out);
    const QString escapedTitle = title.toHtmlEscaped();
    QStringList shares;
    QStringList prefixes;
    for (const HtmlColumn &column : columns) {
        shares.append(QString::number(HtmlWidthShare(column.width, gridWidth)));
        prefixes.append(AlignPrefix(column.align));
    }

    lines << QStringLiteral("<html>") << QString() << QStringLiteral("<head>")
          << QStringLiteral("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1250\">")
          << QStringLiteral("<title>") + escapedTitle + QStringLiteral("</title>")
          << QStringLiteral("<meta name=\"GENERATOR\" content=\"Pelmar Bt. Grid2Html\">")
          << QStringLiteral("</head>") << QString() << QStringLiteral("<body>")
          << QStringLiteral("<p><strong><font face=\"Verdana\" size=\"2\">") + escapedTitle
                 + QStringLiteral("</font></strong></p>")
          << QStringLiteral("<p><strong><font face=\"Verdana\" size=\"1\"></font></strong></p>")
          << QStringLiteral("<div align=\"center\"><center>") << QString()
          << QStringLiteral("<table border=\"1\" cellpadding=\"3\" cellspacing=\"0\" width=\"90%\">")
          << QStringLiteral("  <tr>");
    for (int i = 0; i < columns.size(); ++i)
        lines << (QStringLiteral("    <td width=\"") + shares.at(i)
                     + QStringLiteral("%\" bgcolor=\"#C0C0C0\"><font face=\"Verdana\" size=\"1\"><strong>")
                     + prefixes.at(i) + columns.at(i).title.toHtmlEscaped() + QStringLiteral("</strong></font></td>"));
    lines << QStringLiteral("  </tr>");

    int records = 0;
    for (int row = 0; row < dataSet.recordCount(); ++row) {
        lines << QStringLiteral("  <tr>");
        for (int i = 0; i < columns.size(); ++i)
            lines << (QStringLiteral("    <td width=\"") + shares.at(i)
                         + QStringLiteral("%\"><font face=\"Verdana\" size=\"1\">") + prefixes.at(i)
                         + NullToStr(dataSet.cell(row, columns.at(i).column)).toHtmlEscaped()
                         + QStringLiteral("</font></td>"));
        lines << QStringLiteral("  </tr>");
        ++records;
        if (progress && records % 10 == 0)
            progress(records);
    }

    lines << QStringLiteral("</table>") << QStringLiteral("</center></div>") << QString()
          << QStringLiteral("<p><font face=\"Verdana\" size=\"1\">Összesen %1 sor.</font></p>").arg(records)
          << QString()
          << QStringLiteral("<p><font face=\"Verdana\" size=\"1\">")
                 + when.toString(QStringLiteral("yyyy.MM.dd hh:mm:ss")) + QStringLiteral("</font></p>")
          << QString()
          << QStringLiteral("<p><font face=\"Courier New\" size=\"1\">Kartevo 1.0.0.1</font></p>") << QString()
          << QStringLiteral("</body>") << QStringLiteral("</html>");
    lines.flush();
    ExportResult result;
    result.records = records;
    return result;
}

} // namespace kartevo
