#pragma once

#include "printing/report.h"

#include <QByteArray>
#include <QHash>
#include <QImage>
#include <QString>

#include <optional>

namespace kartevo {

class Database;

// The postal stationery layouts. Each Make… function gives a fresh report instance of one
// layout (the class named in the comment), with its captions set but without data; the print
// job fills its client query Qry and sender query Tbl with SetStationeryData.

enum class EnvelopeKind { C6, LA4, LC5 };

// The envelopes TqrBoritek (C6), TqrBoritek2 (LA/4, DL) and TqrBoritek3 (LC5). The C6 and LA/4
// members shrink a long client name before the band prints (ShrunkNameFonts).
report::Report MakeBoritek(EnvelopeKind kind);
// The name of the picture item and the settings key (i1, i2, i3) of the member's picture.
QString EnvelopePictureKey(EnvelopeKind kind);

// Loads the envelope picture into QRImage1. An empty setting or a file that does not exist
// leaves the box empty; a file that exists but cannot be read as a picture throws Error.
// The file type follows the file's extension.
void LoadEnvelopePicture(report::Report &report, const QString &fileName);
// The picture file as LoadEnvelopePicture reads it (the settings dialog's previews too). Throws
// Error naming the file when it cannot be read as a picture.
QImage ReadEnvelopePicture(const QString &fileName);
// The extensions of the picture files ReadEnvelopePicture reads (bmp, gif, jpeg, jpg, png …),
// sorted, in lower case.
QStringList EnvelopePictureSuffixes();
// The note for a picture of that many pixels that the member's box cannot hold at the screen
// resolution, so that it prints shrunk (report::PictureSize); empty when it prints at its own
// size.
QString EnvelopePictureNote(EnvelopeKind kind, const QSize &pixels, double screenDpi);

// A picture file as read: the picture, and the file's own bytes when they are a JPEG that shows
// exactly this picture (a PDF then holds those bytes as they are).
struct PictureFile {
    QImage image;
    QByteArray jpeg;
};
PictureFile ReadPictureFile(const QString &fileName);

// The envelope pictures of one print run: each file is looked at and read once, for the first
// envelope that shows it, and every later envelope of the run shares that picture (so a PDF of
// the run holds it once, and a long run does not read the file again for every envelope).
class EnvelopePictures {
public:
    // As LoadEnvelopePicture.
    void load(report::Report &report, const QString &fileName);

private:
    QHash<QString, std::optional<PictureFile>> m_files; // nothing: no file there
};

// Font sizes of the client name and contact items for a name of the given length.
struct NameFontSizes {
    double name = 11;
    double contact = 10;
};
struct NameThresholds {
    int t1 = 0, t2 = 0, t3 = 0; // all 0: the member never shrinks
};
NameThresholds EnvelopeNameThresholds(EnvelopeKind kind);
// Starting from the given sizes: over t1 characters the name becomes 10 points, over t2 name and
// contact 9, over t3 both 8; the last step that applies wins. Sizes never grow.
NameFontSizes ShrunkNameFonts(int nameLength, const NameThresholds &thresholds, NameFontSizes sizes);

// The registered-mail form TqrAjanlott.
report::Report MakeAjanlott();

// The cheque front TqrCsekk (amount in figures three times, in words twice) and back TqrCsekk2
// (the message with its line breaks).
report::Report MakeCsekk(qint64 amount);
report::Report MakeCsekk2(const QString &message);

// The cash-on-delivery form TqrUtanvet.
report::Report MakeUtanvet(qint64 amount);

// The amount in figures of the cheque and the cash-on-delivery form: the decimal amount padded
// on the left with spaces to 6 characters, then every character followed by one space.
// 1000 -> "    1 0 0 0 " with four leading spaces. Longer numbers are not cut.
QString AmountInFigures(qint64 amount);

// The client query Qry ("SELECT * FROM ugyfel" / "WHERE ugyfel=:pugyfel;") with its computed
// field ui2, and the sender query Tbl ("SELECT * FROM tulajdonos" /
// "WHERE tulajdonos=:ptulajdonos;"), each of at most one row. Texts longer than their column's
// declared width (CHAR(n)) are cut to it.
report::DataSource LoadClientSource(Database &db, qint64 clientKey);
report::DataSource LoadSenderSource(Database &db, qint64 senderKey);
// ui2: the contact when it differs from the client name (exact comparison), else empty.
QString ContactLine(const QString &name, const QString &contact);

// Opens the report's two queries for a client and a sender.
void SetStationeryData(report::Report &report, Database &db, qint64 clientKey, qint64 senderKey);

} // namespace kartevo
