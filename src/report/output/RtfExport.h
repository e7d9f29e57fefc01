#pragma once
// The output store as one RTF document in code page 1250: every text line an absolutely
// positioned frame at its item's place, lines and shapes as drawing objects, pictures (PNG
// or JPEG) and barcodes (PNG at 600 dots per inch) as pictures in frames at their places.

#include <QByteArray>
#include <QString>

class QIODevice;

namespace orv {

class TSestVystup;

// Writes every page of the store. 0, or 6 when the stream refused the bytes.
int SaveRtf(TSestVystup &store, QIODevice &stream);

// Text as RTF: code page 1250 with "\", "{" and "}" escaped, the upper half as \'XX,
// characters the code page lacks as \uN?, control characters dropped.
QByteArray RtfText(const QString &text);

} // namespace orv
