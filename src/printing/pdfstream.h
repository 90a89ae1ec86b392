#pragma once

#include <QByteArray>
#include <QHash>
#include <QIODevice>
#include <QList>
#include <QSizeF>

#include <deque>
#include <utility>
#include <vector>

namespace kartevo::report {

// The way of the PDF writer's output to its file. Qt's PDF engine writes into this device; it
// passes the bytes on in large blocks and changes what needs changing while they stream by, so
// that no step holds the document in memory:
//
//  - Each page box (MediaBox) gets its paper's exact size. The engine writes whole points (up to
//    0.18 mm off) and places the drawing from the top of that box; the new box keeps the top edge
//    where the drawing expects it and takes exactly the bytes of the old one (padded with spaces).
//  - Objects the engine writes can be exchanged for others (beginCapture/endCapture and
//    putObjects): the pictures of a document are written this way with their own bytes.
//  - The cross-reference table at the end is written again with the places of the objects that
//    moved, and the offset of the table after "startxref".
//
// Nothing else of the engine's output changes.
class PdfStream final : public QIODevice {
public:
    // The target gets every byte in order; it must stay open until finish().
    explicit PdfStream(QIODevice &target);
    ~PdfStream() override;

    bool isSequential() const override { return true; }

    // The paper of the next page the engine completes, in millimetres (the engine writes a page's
    // object when the page after it begins or the document ends).
    void addPage(const QSizeF &millimetres);

    // From beginCapture on, what the engine writes is held back instead of passed on; endCapture
    // returns it. The caller then passes putObjects() what goes there instead.
    void beginCapture();
    QByteArray endCapture();
    // Writes whole objects ("N 0 obj … endobj") in place of the captured bytes, in this order;
    // each keeps its number and the cross-reference table points to its new place.
    void putObjects(const QList<std::pair<int, QByteArray>> &objects);

    // Passes on what is still held. True when the whole document, up to its end-of-file mark, went
    // through and the target took every byte.
    bool finish();
    // Whether the target refused a write.
    bool writeFailed() const { return m_failed; }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 size) override;

private:
    enum class State { Body, Capture, Tail, Done };

    void scanBody(bool final);
    void scanTail();
    void tailLine(const QByteArray &line);
    void emitBytes(const char *data, qsizetype size);
    void emitBytes(const QByteArray &bytes) { emitBytes(bytes.constData(), bytes.size()); }
    void flushBuffer();
    void fixPageBox(char *box, qsizetype size);
    qint64 placeOf(qint64 engineOffset, int object) const;

    QIODevice &m_target;
    State m_state = State::Body;
    qint64 m_in = 0;  // bytes the engine wrote
    qint64 m_out = 0; // bytes passed on
    QByteArray m_held;   // body bytes not passed on yet (a pattern may continue in the next write)
    std::vector<char> m_buffer; // bytes on their way to the target
    bool m_failed = false;

    std::deque<QSizeF> m_pages;

    QByteArray m_capture;
    qint64 m_captureStart = 0;
    qint64 m_capturedSize = 0;
    // Where the engine's offsets moved: from engine offset `from` on, everything lies `shift`
    // bytes further (the sum of every exchange before it).
    struct Shift {
        qint64 from;
        qint64 shift;
    };
    QList<Shift> m_shifts;
    QHash<int, qint64> m_placed; // objects written by putObjects -> their offset in the output

    // The cross-reference table and trailer, line by line.
    QByteArray m_tail;
    qint64 m_tableStart = 0;
    bool m_inTable = false;     // between "xref" and "trailer"
    qint64 m_entry = 0;         // object number of the next entry of the table
    qint64 m_entriesLeft = 0;   // entries left in the current subsection
    bool m_nextIsOffset = false; // the line after "startxref"
};

} // namespace kartevo::report
