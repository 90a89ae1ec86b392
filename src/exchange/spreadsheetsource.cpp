#include "exchange/sheetbuilder.h"

#include "core/error.h"

#include <cmath>

namespace kartevo {

void SheetBuilder::set(qint64 row, qint64 column, const QString &text)
{
    if (text.isEmpty())
        return;
    if (row < 0 || column < 0 || row >= MaxRows || column >= MaxColumns)
        throw Error(QStringLiteral("A munkalap egy cellája kívül esik a táblázat határain (%1. sor, %2. oszlop): %3")
                        .arg(row + 1).arg(column + 1).arg(m_fileName));
    if (++m_cells > MaxCells)
        throw Error(QStringLiteral("A munkalapon több mint %1 kitöltött cella van, ennyit nem lehet betölteni: %2")
                        .arg(MaxCells).arg(m_fileName));
    if (m_sink) {
        if (row < m_handed) {
            m_intact = false;
            return;
        }
        // A later row: the ones before it are complete (those without a cell are empty).
        while (m_handed < row) {
            QStringList cells;
            if (!m_rows.isEmpty()) {
                cells = std::move(m_rows.first());
                m_rows.removeFirst();
            }
            m_sink(m_handed++, std::move(cells));
        }
        row -= m_handed;
    }
    if (m_rows.size() <= row)
        m_rows.resize(row + 1);
    QStringList &cells = m_rows[row];
    if (cells.size() <= column) {
        m_span += column + 1 - cells.size();
        if (m_span > MaxSpan)
            throw Error(QStringLiteral("A munkalap túl nagy (sorai több mint %1 cellát fognak át), nem lehet betölteni: %2")
                            .arg(MaxSpan).arg(m_fileName));
        // A new row takes the width of the row before it at once instead of growing cell by
        // cell; that width is counted in the span already, so the bound holds.
        if (cells.isEmpty())
            cells.reserve(std::max(column + 1, m_lastWidth));
        cells.resize(column + 1);
        m_lastWidth = cells.size();
    }
    cells[column] = text;
}

void SheetBuilder::endRows()
{
    for (QStringList &cells : m_rows)
        m_sink(m_handed++, std::move(cells));
    m_rows.clear();
}

void SheetBuilder::clearMerged(qint64 top, qint64 left, qint64 bottom, qint64 right)
{
    // Only the cells that exist are visited: a range may span the whole sheet. Many ranges over
    // many cells are refused rather than walked for hours.
    for (qint64 row = qMax<qint64>(top, 0); row <= bottom && row < m_rows.size(); ++row) {
        QStringList &cells = m_rows[row];
        for (qint64 column = qMax<qint64>(left, 0); column <= right && column < cells.size(); ++column) {
            if (++m_mergeVisits > MaxCells * 10)
                throw Error(QStringLiteral("A munkalapon túl sok az összevont cella: %1").arg(m_fileName));
            if (row != top || column != left)
                cells[column].clear();
        }
    }
}

QList<QStringList> SheetBuilder::take()
{
    for (QStringList &cells : m_rows) {
        while (!cells.isEmpty() && cells.constLast().isEmpty())
            cells.removeLast();
    }
    while (!m_rows.isEmpty() && m_rows.constLast().isEmpty())
        m_rows.removeLast();
    return std::exchange(m_rows, {});
}

QString NumberText(double value)
{
    if (std::isfinite(value) && value == std::floor(value) && std::fabs(value) < 1e15)
        return QString::number(qint64(value));
    return QString::number(value, 'g', 15);
}

void ThrowMissingSheet(const QString &fileName, int sheet)
{
    throw Error(QStringLiteral("A munkafüzetben nincs %1. munkalap: %2").arg(sheet + 1).arg(fileName));
}

SourceTable ReadSpreadsheetSource(const QString &fileName, SourceKind kind, const SourceOptions &options)
{
    switch (kind) {
    case SourceKind::Xlsx:
        return ReadXlsxSource(fileName, options);
    case SourceKind::Ods:
        return ReadOdsSource(fileName, options);
    case SourceKind::Xls:
        return ReadXlsSource(fileName, options);
    case SourceKind::Delimited:
    case SourceKind::VCard:
        break;
    }
    throw Error(QStringLiteral("A fájl nem táblázat: %1").arg(fileName));
}

} // namespace kartevo
