#include "printing/pdfstream.h"

#include <algorithm>
#include <cstring>

namespace kartevo::report {

namespace {

constexpr double kPointsPerMm = 72.0 / 25.4;
constexpr qsizetype kBlock = 256 * 1024; // bytes passed on to the file at a time

const QByteArray kBoxKey = QByteArrayLiteral("/MediaBox [");
const QByteArray kTableKey = QByteArrayLiteral("endobj\nxref\n"); // the last object, then the table

// A number of a PDF box, as short as the room allows.
QByteArray PdfNumber(double value, int room)
{
    for (int decimals = 6; decimals >= 0; --decimals) {
        QByteArray text = QByteArray::number(value, 'f', decimals);
        if (text.contains('.')) {
            while (text.endsWith('0'))
                text.chop(1);
            if (text.endsWith('.'))
                text.chop(1);
        }
        if (text.startsWith("-0."))
            text.remove(1, 1);
        else if (text.startsWith("0."))
            text.remove(0, 1);
        if (text.size() <= room)
            return text;
    }
    return QByteArray::number(qRound(value));
}

bool IsSubsectionHeader(const QByteArray &line)
{
    const QList<QByteArray> parts = line.trimmed().split(' ');
    if (parts.size() != 2)
        return false;
    bool first = false;
    bool count = false;
    parts.at(0).toLongLong(&first);
    parts.at(1).toLongLong(&count);
    return first && count;
}

} // namespace

PdfStream::PdfStream(QIODevice &target) : m_target(target)
{
    m_buffer.reserve(kBlock);
    open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

PdfStream::~PdfStream() = default;

void PdfStream::addPage(const QSizeF &millimetres)
{
    m_pages.push_back(millimetres);
}

qint64 PdfStream::writeData(const char *data, qint64 size)
{
    m_in += size;
    switch (m_state) {
    case State::Body:
        m_held.append(data, qsizetype(size));
        scanBody(false);
        break;
    case State::Capture:
        m_capture.append(data, qsizetype(size));
        break;
    case State::Tail:
        m_tail.append(data, qsizetype(size));
        scanTail();
        break;
    case State::Done:
        emitBytes(data, qsizetype(size));
        break;
    }
    return m_failed ? -1 : size;
}

void PdfStream::scanBody(bool final)
{
    qsizetype from = 0; // what lies before has been looked at
    for (;;) {
        const qsizetype box = m_held.indexOf(kBoxKey, from);
        const qsizetype table = m_held.indexOf(kTableKey, from);
        if (table >= 0 && (box < 0 || table < box)) {
            const qsizetype end = table + 7; // after "endobj\n"
            emitBytes(m_held.constData(), end);
            m_tableStart = m_out;
            m_tail = m_held.mid(end);
            m_held.clear();
            m_state = State::Tail;
            scanTail();
            return;
        }
        if (box < 0)
            break;
        const qsizetype open = box + kBoxKey.size();
        const qsizetype close = m_held.indexOf(']', open);
        if (close < 0) {
            if (final) {
                from = open;
                break;
            }
            // The box goes on in the next write.
            emitBytes(m_held.constData(), box);
            m_held.remove(0, box);
            return;
        }
        fixPageBox(m_held.data() + open, close - open);
        from = close + 1;
    }
    // The end may be the beginning of a pattern that the next write completes.
    const qsizetype keep = final ? 0 : std::min(m_held.size() - from, kTableKey.size() - 1);
    const qsizetype pass = m_held.size() - keep;
    emitBytes(m_held.constData(), pass);
    m_held.remove(0, pass);
}

void PdfStream::fixPageBox(char *text, qsizetype room)
{
    if (m_pages.empty())
        return;
    const QSizeF size = m_pages.front();
    m_pages.pop_front();
    const QList<QByteArray> box = QByteArray(text, room).simplified().split(' ');
    if (box.size() != 4)
        return;
    bool ok = false;
    const double top = box.at(3).toDouble(&ok);
    if (!ok)
        return;
    const double width = size.width() * kPointsPerMm;
    const double height = size.height() * kPointsPerMm;
    // "0 <bottom> <width> <top>" with the numbers as long as the room allows.
    const QByteArray topText = QByteArray::number(top, 'f', 0);
    const int numberRoom = int((room - 3 - 1 - topText.size()) / 2);
    QByteArray replacement =
        "0 " + PdfNumber(top - height, numberRoom) + ' ' + PdfNumber(width, numberRoom) + ' ' + topText;
    if (replacement.size() > room)
        return;
    replacement.append(QByteArray(room - replacement.size(), ' '));
    std::memcpy(text, replacement.constData(), size_t(room));
}

void PdfStream::scanTail()
{
    qsizetype start = 0;
    while (m_state == State::Tail) {
        const qsizetype end = m_tail.indexOf('\n', start);
        if (end < 0)
            break;
        tailLine(m_tail.mid(start, end - start));
        start = end + 1;
    }
    if (m_state == State::Done) {
        emitBytes(m_tail.constData() + start, m_tail.size() - start);
        m_tail.clear();
        return;
    }
    m_tail.remove(0, start);
}

void PdfStream::tailLine(const QByteArray &line)
{
    const QByteArray word = line.trimmed();
    if (m_nextIsOffset) {
        m_nextIsOffset = false;
        emitBytes(QByteArray::number(m_tableStart) + '\n');
        return;
    }
    if (m_entriesLeft > 0) {
        // "oooooooooo ggggg n " (a used object at offset o) or "… f " (a free entry).
        --m_entriesLeft;
        const int object = int(m_entry++);
        bool ok = false;
        const qint64 offset = line.left(10).toLongLong(&ok);
        if (ok && line.size() >= 18 && line.at(17) == 'n') {
            const QByteArray place = QByteArray::number(placeOf(offset, object)).rightJustified(10, '0');
            emitBytes(place + line.mid(10) + '\n');
            return;
        }
        emitBytes(line + '\n');
        return;
    }
    if (word == "xref")
        m_inTable = true;
    else if (word == "trailer")
        m_inTable = false;
    else if (m_inTable && IsSubsectionHeader(line)) {
        const QList<QByteArray> parts = word.split(' ');
        m_entry = parts.at(0).toLongLong();
        m_entriesLeft = parts.at(1).toLongLong();
    } else if (word == "startxref")
        m_nextIsOffset = true;
    else if (word == "%%EOF")
        m_state = State::Done;
    emitBytes(line + '\n');
}

qint64 PdfStream::placeOf(qint64 engineOffset, int object) const
{
    const auto placed = m_placed.constFind(object);
    if (placed != m_placed.cend())
        return *placed;
    for (auto shift = m_shifts.crbegin(); shift != m_shifts.crend(); ++shift) {
        if (shift->from <= engineOffset)
            return engineOffset + shift->shift;
    }
    return engineOffset;
}

void PdfStream::beginCapture()
{
    if (m_state != State::Body)
        return;
    scanBody(true);
    m_capture.clear();
    m_captureStart = m_in;
    m_state = State::Capture;
}

QByteArray PdfStream::endCapture()
{
    if (m_state != State::Capture)
        return {};
    m_state = State::Body;
    m_capturedSize = m_capture.size();
    return std::exchange(m_capture, QByteArray());
}

void PdfStream::putObjects(const QList<std::pair<int, QByteArray>> &objects)
{
    qint64 written = 0;
    for (const auto &[number, bytes] : objects) {
        m_placed.insert(number, m_out);
        emitBytes(bytes);
        written += bytes.size();
    }
    const qint64 before = m_shifts.isEmpty() ? 0 : m_shifts.constLast().shift;
    m_shifts.append(Shift{m_captureStart + m_capturedSize, before + written - m_capturedSize});
    m_capturedSize = 0;
}

void PdfStream::emitBytes(const char *data, qsizetype size)
{
    if (size <= 0)
        return;
    m_out += size;
    if (qsizetype(m_buffer.size()) + size > kBlock)
        flushBuffer();
    if (size >= kBlock) {
        if (!m_failed && m_target.write(data, size) != size)
            m_failed = true;
        return;
    }
    m_buffer.insert(m_buffer.end(), data, data + size);
}

void PdfStream::flushBuffer()
{
    if (m_buffer.empty())
        return;
    const qint64 size = qint64(m_buffer.size());
    if (!m_failed && m_target.write(m_buffer.data(), size) != size)
        m_failed = true;
    m_buffer.clear(); // keeps its room for the next block
}

bool PdfStream::finish()
{
    if (m_state == State::Body)
        scanBody(true);
    flushBuffer();
    return m_state == State::Done && !m_failed;
}

} // namespace kartevo::report
