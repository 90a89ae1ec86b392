#include "exchange/biffexport.h"

#include "core/codec.h"
#include "core/dataset.h"
#include "core/error.h"

#include <QIODevice>
#include <QtEndian>

#include <cmath>
#include <cstring>

namespace kartevo {

namespace {

enum Record : quint16 {
    Dimensions = 0x0000,
    Blank = 0x0001,
    Integer = 0x0002,
    Number = 0x0003,
    Label = 0x0004,
    BoolErr = 0x0005,
    Bof = 0x0009,
    Eof = 0x000A,
    CodePage = 0x0042,
    Font = 0x0031,
};

// Builds the records of a worksheet into one buffer, written in pieces.
class BiffWriter {
public:
    explicit BiffWriter(QIODevice &out) : m_out(out) {}

    void record(quint16 number, const QByteArray &data)
    {
        put16(number);
        put16(quint16(data.size()));
        m_buffer.append(data);
        if (m_buffer.size() >= 1 << 16)
            flush();
    }
    void flush()
    {
        if (m_out.write(m_buffer) != m_buffer.size())
            throw Error(QStringLiteral("A fájl nem írható: %1").arg(m_out.errorString()));
        m_buffer.clear();
    }

    static void append16(QByteArray &data, quint16 value)
    {
        data.append(char(value & 0xFF)).append(char(value >> 8));
    }

private:
    void put16(quint16 value) { append16(m_buffer, value); }

    QIODevice &m_out;
    QByteArray m_buffer;
};

QByteArray FontData(int points, quint16 attributes)
{
    QByteArray data;
    BiffWriter::append16(data, quint16(points * 20));
    BiffWriter::append16(data, attributes);
    const QByteArray name("Arial");
    data.append(char(name.size())).append(name);
    return data;
}

QByteArray CellStart(int row, int column, quint8 font, quint8 align)
{
    QByteArray data;
    BiffWriter::append16(data, quint16(row));
    BiffWriter::append16(data, quint16(column));
    data.append(char(0)).append(char(font * 0x40)).append(char(align));
    return data;
}

void LabelCell(BiffWriter &writer, QByteArray cell, const QString &text, Cp1250Encoder &encoder)
{
    const QByteArray bytes = encoder.encode(text).left(255);
    cell.append(char(bytes.size())).append(bytes);
    writer.record(Label, cell);
}

void NumberCell(BiffWriter &writer, QByteArray cell, double value)
{
    char bytes[8];
    qToLittleEndian(value, bytes);
    cell.append(bytes, 8);
    writer.record(Number, cell);
}

quint8 AlignCode(FieldAlign align)
{
    switch (align) {
    case FieldAlign::Centre:
        return 2;
    case FieldAlign::Right:
        return 3;
    default:
        return 1;
    }
}

void DataCell(BiffWriter &writer, int row, int column, const ExportField &field, const QVariant &value,
              Cp1250Encoder &encoder)
{
    QByteArray cell = CellStart(row, column, 0, AlignCode(field.align));
    if (!value.isValid() || value.isNull()) {
        writer.record(Blank, cell);
        return;
    }
    const int type = value.typeId();
    const bool whole = type == QMetaType::LongLong || type == QMetaType::Int;
    const bool real = type == QMetaType::Double;
    FieldKind kind = field.kind;
    if (kind == FieldKind::Untyped)
        kind = whole ? FieldKind::Integer : real ? FieldKind::Float : FieldKind::Text;

    if (kind == FieldKind::Integer && whole) {
        const qint64 number = value.toLongLong();
        if (number >= 0 && number <= 0xFFFF) {
            BiffWriter::append16(cell, quint16(number));
            writer.record(Integer, cell);
        } else {
            // Beyond the 16 bits of an INTEGER cell: a NUMBER keeps the value.
            NumberCell(writer, cell, double(number));
        }
        return;
    }
    if ((kind == FieldKind::Integer || kind == FieldKind::Float) && (whole || real)) {
        NumberCell(writer, cell, value.toDouble());
        return;
    }
    if (kind == FieldKind::Boolean && (whole || real)) {
        cell.append(char(value.toDouble() != 0 ? 1 : 0)).append(char(0));
        writer.record(BoolErr, cell);
        return;
    }
    LabelCell(writer, cell, type == QMetaType::QByteArray ? QStringLiteral("BLOB") : value.toString(), encoder);
}

} // namespace

void CheckWorksheetExport(const DataSet &dataSet)
{
    if (!dataSet.isOpen())
        throw Error(QStringLiteral("Cannot perform this operation on a closed dataset"));
    if (dataSet.recordCount() == 0)
        throw Error(QStringLiteral("Cannot perform this operation on an empty dataset"));
    if (dataSet.recordCount() > kMaxWorksheetRows)
        throw Error(QStringLiteral("Egy munkalapra legfeljebb %1 sor fér, ez az adathalmaz %2 soros. "
                                   "Szöveges exportot (például .csv) válasszon.")
                        .arg(kMaxWorksheetRows)
                        .arg(dataSet.recordCount()));
}

int WorksheetTitlePoints(int dotsPerInch)
{
    return int(std::lround(13.0 * 72.0 / (dotsPerInch > 0 ? dotsPerInch : 96)));
}

ExportResult WriteWorksheet(QIODevice &out, const DataSet &dataSet, const QList<ExportField> &fields,
                            int dotsPerInch, const ExportProgress &progress)
{
    CheckWorksheetExport(dataSet);
    ExportResult result;
    Cp1250Encoder encoder;
    BiffWriter writer(out);

    // Version 2, and the stream type of a worksheet (0x0010): readers that check the type refuse
    // any other value.
    QByteArray bof;
    BiffWriter::append16(bof, 0x0002);
    BiffWriter::append16(bof, 0x0010);
    writer.record(Bof, bof);
    // The code page of the texts: without it readers take them for Latin-1 and show ő as õ.
    QByteArray codePage;
    BiffWriter::append16(codePage, 1250);
    writer.record(CodePage, codePage);
    const int titlePoints = WorksheetTitlePoints(dotsPerInch);
    writer.record(Font, FontData(10, 0));
    writer.record(Font, FontData(titlePoints, 1));
    writer.record(Font, FontData(titlePoints, 1));
    QByteArray dimensions;
    for (const quint16 value : {0, 1025, 0, 4})
        BiffWriter::append16(dimensions, value);
    writer.record(Dimensions, dimensions);

    for (int column = 0; column < fields.size(); ++column)
        LabelCell(writer, CellStart(0, column, 2, 0), fields.at(column).label, encoder);
    for (int row = 0; row < dataSet.recordCount(); ++row) {
        for (int column = 0; column < fields.size(); ++column)
            DataCell(writer, row + 1, column, fields.at(column), dataSet.cell(row, fields.at(column).column), encoder);
        ++result.records;
        if (progress)
            progress(result.records);
    }
    writer.record(Eof, {});
    writer.flush();
    result.unmappable = encoder.unmappable();
    return result;
}

} // namespace kartevo
