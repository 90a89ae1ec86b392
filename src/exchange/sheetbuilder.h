#pragma once

// Shared by the spreadsheet readers: the cells of one sheet gathered into rows of text, within
// bounds a hostile file cannot stretch, and the way a number becomes text.

#include "exchange/importsource.h"

namespace kartevo {

class SheetBuilder {
public:
    static constexpr qint64 MaxRows = 1048576;
    static constexpr qint64 MaxColumns = 16384;
    static constexpr qint64 MaxCells = 5000000;
    // The most cells the rows may span, empty ones before a value included (a value in the
    // last column of every row would otherwise ask for gigabytes).
    static constexpr qint64 MaxSpan = 10000000;

    explicit SheetBuilder(const QString &fileName) : m_fileName(fileName) {}

    // Hands every row to sink as soon as a cell of a later row is set (and the rest at
    // endRows()) instead of keeping it: rows in order from 0, empty ones included. A reader
    // whose cells come row after row reads a sheet of any length this way in little memory.
    void streamTo(SourceRowSink sink) { m_sink = std::move(sink); }
    // Hands the rows not handed yet over to the sink.
    void endRows();
    // Whether the rows handed over are the sheet's rows: false once a cell came back to a row
    // already handed over; the reader has to read the sheet again without a sink.
    bool streamIntact() const { return m_intact; }

    // Sets one cell (row and column from 0); an empty text changes nothing. Throws Error naming
    // the file past the last row or column of a spreadsheet, or past MaxCells.
    void set(qint64 row, qint64 column, const QString &text);
    // Empties every cell of the range but its top-left one: a merged range holds one value.
    void clearMerged(qint64 top, qint64 left, qint64 bottom, qint64 right);
    // The rows, without trailing empty cells and trailing empty rows.
    QList<QStringList> take();

private:
    QString m_fileName;
    // While streaming, the rows from m_handed on; otherwise every row from 0.
    QList<QStringList> m_rows;
    SourceRowSink m_sink;
    qint64 m_handed = 0;
    qsizetype m_lastWidth = 0;
    bool m_intact = true;
    qint64 m_cells = 0;
    qint64 m_span = 0;
    qint64 m_mergeVisits = 0;
};

// A number as a person would write it: whole numbers without a decimal point (the postal code
// 6720), others with up to 15 significant digits (12.5).
QString NumberText(double value);

// The error of a sheet that is not in the file (sheet from 0).
[[noreturn]] void ThrowMissingSheet(const QString &fileName, int sheet);

// The readers of each spreadsheet kind.
SourceTable ReadXlsxSource(const QString &fileName, const SourceOptions &options);
SourceTable ReadOdsSource(const QString &fileName, const SourceOptions &options);
SourceTable ReadXlsSource(const QString &fileName, const SourceOptions &options);
// The .xlsx reader handing its rows over, behind StreamSource.
bool StreamXlsxSource(const QString &fileName, const SourceOptions &options, const SourceRowSink &sink);

} // namespace kartevo
