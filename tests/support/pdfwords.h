#pragma once

#include <QList>
#include <QProcess>
#include <QRegularExpression>
#include <QString>

namespace kartevo::test {

// The words of a PDF file with their boxes, as an independent reader lays them out
// (pdftotext -bbox), in millimetres from the page's top left corner.
struct PdfWord {
    QString text;
    double xMin, yMin, xMax, yMax;
};

struct PdfPage {
    double width = 0, height = 0; // mm
    QList<PdfWord> words;

    // The first word of that text; null when there is none.
    const PdfWord *word(const QString &text) const
    {
        for (const PdfWord &w : words) {
            if (w.text == text)
                return &w;
        }
        return nullptr;
    }
};

inline constexpr double kPtMm = 25.4 / 72.0;

inline QString UnescapeXml(QString text)
{
    text.replace(QLatin1String("&lt;"), QLatin1String("<"));
    text.replace(QLatin1String("&gt;"), QLatin1String(">"));
    text.replace(QLatin1String("&quot;"), QLatin1String("\""));
    text.replace(QLatin1String("&apos;"), QLatin1String("'"));
    text.replace(QLatin1String("&amp;"), QLatin1String("&"));
    return text;
}

// The pages of the file; empty when the reader fails.
inline QList<PdfPage> ReadPdfPages(const QString &file)
{
    QProcess process;
    process.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), file, QStringLiteral("-")});
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return {};
    const QString xml = QString::fromUtf8(process.readAllStandardOutput());
    static const QRegularExpression pageRe(QStringLiteral("<page width=\"([0-9.]+)\" height=\"([0-9.]+)\">"));
    static const QRegularExpression wordRe(QStringLiteral(
        "<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" xMax=\"([0-9.]+)\" yMax=\"([0-9.]+)\">([^<]*)</word>"));
    QList<PdfPage> pages;
    for (const QString &chunk : xml.split(QStringLiteral("<page "))) {
        const auto page = pageRe.match(QStringLiteral("<page ") + chunk);
        if (!page.hasMatch())
            continue;
        PdfPage p;
        p.width = page.captured(1).toDouble() * kPtMm;
        p.height = page.captured(2).toDouble() * kPtMm;
        auto words = wordRe.globalMatch(chunk);
        while (words.hasNext()) {
            const auto w = words.next();
            p.words.append({UnescapeXml(w.captured(5)), w.captured(1).toDouble() * kPtMm,
                            w.captured(2).toDouble() * kPtMm, w.captured(3).toDouble() * kPtMm,
                            w.captured(4).toDouble() * kPtMm});
        }
        pages.append(p);
    }
    return pages;
}

} // namespace kartevo::test
