#pragma once
// The encoders behind EncodeBarcode, one per symbology family, and the helpers they share.

#include "report/output/Barcode.h"

#include <vector>

namespace orv::barcode {

// Module counts of a published table, starting with a bar, as pattern characters: bars
// "5".."8" for 1..4 modules, spaces "0".."3".
QString fromModules(const char *modules, bool startWithBar = true);
// Narrow/wide elements ("n"/"w" for the digits 0/1 of a table), starting with a bar.
QString fromWide(const char *elements, bool startWithBar = true);

// The data of a numeric code type: trimmed, every character that is not a digit "0".
QString numericData(const QString &data);

TBarcodePattern encodeTwoOfFive(int symbology, const QString &digits);
TBarcodePattern encodeCode39(const QString &data, bool full, bool checkDigit);
TBarcodePattern encodeCode93(const QString &data, bool full);
TBarcodePattern encodeCode128(int symbology, const QString &data);
TBarcodePattern encodeMsi(const QString &digits);
TBarcodePattern encodePostNet(const QString &digits);
TBarcodePattern encodeCodabar(const QString &data);
TBarcodePattern encodeEanUpc(int symbology, const QString &digits, bool checkDigit);

// LayoutBarcode; without polygons (only the rectangles) when they are not needed. combs,
// when given, receives two polygons: [0] the white ground, the outline of all elements
// (spaces and bars) together, and [1] the bars, tracing them all from the baseline. The
// ground painted first and the bars over it cover exactly what the elements one by one
// would, and two polygons record far smaller in page images and metafiles than one shape
// per element.
TBarcodeShape layout(const QRect &rect, int symbology, const QString &data, bool showText,
                     bool checkDigit, int angle, int module, bool withPolygons,
                     QPolygon *combs);

// The full-ASCII sequence of a character below 128 in Code 39 (e.g. "a" is "+A"), as the
// shift characters of Code 93 are written in its full form ("($)", "(%)", "(/)", "(+)").
QString code39FullAscii(QChar c);

} // namespace orv::barcode
