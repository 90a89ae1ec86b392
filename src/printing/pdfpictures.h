#pragma once

#include "printing/reportrenderer.h"

#include <QByteArray>
#include <QImage>

#include <optional>
#include <vector>

namespace kartevo::report {

class PdfStream;

// The size and colours of a JPEG file that a PDF can hold as it is (8-bit baseline or progressive,
// grey or colour); nothing for any other file.
struct JpegInfo {
    int width = 0;
    int height = 0;
    int components = 0; // 1: grey, 3: colour
};
std::optional<JpegInfo> EmbeddableJpeg(const QByteArray &file);

// The pictures of one PDF document: each is written once, at its first use, and every later use
// on any page refers to that one object. A JPEG goes in with its file's own bytes; any other
// picture losslessly as its pixels (with its transparency), never resampled: the page scales it.
//
// Qt's PDF engine draws a small stand-in picture where the picture goes (so the engine keeps
// placing, clipping and ordering it with the rest of the page), and the stream exchanges the
// stand-in's object for the picture's as the engine writes it.
class PdfPictures final : public PictureDevice {
public:
    explicit PdfPictures(PdfStream &stream) : m_stream(stream) {}

    // Throws Error when the engine's picture object cannot be exchanged.
    void drawPicture(QPainter &painter, const QRectF &rect, const Item &item) override;

    // The number of different pictures written so far.
    int count() const { return int(m_pictures.size()); }

private:
    struct Picture {
        QImage image;
        QByteArray file;
        QImage standIn;
    };
    Picture *find(const Item &item);
    void writeFirst(QPainter &painter, const QRectF &rect, const Picture &picture);

    PdfStream &m_stream;
    std::vector<Picture> m_pictures;
};

} // namespace kartevo::report
