#pragma once
// Barcodes of the report output. Encoding works in two stages: the data becomes a pattern
// string of bar and space widths (EncodeBarcode), and the pattern becomes geometry
// (LayoutBarcode), which DrawBarcode paints on a canvas and other writers (PDF) draw as
// filled shapes of their own.
//
// Pattern alphabet: "0".."3" are spaces and "5".."8" bars of the widths w1..w4; "9" and
// "A" are short bars of w1, "B" of w2, "C" of w3, any other character a short bar of w4.
// w1 is the module, w2 = round(module x ratio), w3 = w2 x 3 / 2, w4 = 2 x w2; the ratio is
// 2.0, or 2.25 for 2/5 matrix.

#include <QPoint>
#include <QPolygon>
#include <QRect>
#include <QString>
#include <QStringList>

#include <vector>

namespace orv {

class TTolvaCanvas;

// The symbologies by the element's code type (PenStyle), in the order the designer lists
// them.
enum TBarcodeType : int {
    bcInterleaved25 = 0, bcIndustrial25 = 1, bcMatrix25 = 2, bcCode39 = 3, bcCode39Full = 4,
    bcCode128A = 5, bcCode128B = 6, bcCode128C = 7, bcCode93 = 8, bcCode93Full = 9,
    bcMsi = 10, bcPostNet = 11, bcCodabar = 12, bcEan8 = 13, bcEan13 = 14, bcUpcA = 15,
    bcUpcE0 = 16, bcUpcE1 = 17, bcUpcSupp2 = 18, bcUpcSupp5 = 19
};
constexpr int kBarcodeTypeCount = 20;

// The names the designer shows, by code type.
QStringList BarcodeTypeNames();
// Whether the code type takes digits only (the data is then trimmed and every other
// character becomes "0").
bool BarcodeIsNumeric(int symbology);

// The module width codes (element PenWidth) the designer offers: 4, 5, ... 128.
const std::vector<int> &BarcodeModuleCodes();
// The choice shown for a code: the first whose code is not smaller; 8 when none is.
int BarcodeModuleChoice(int code);
// The caption of a module code: code / 8 with two decimals and a decimal comma ("1,00").
QString BarcodeModuleCaption(int code);

// One encoded code: its pattern and the text printed under the text flag (the data as
// encoded, with the computed check digit where it replaced the last digit). An empty
// pattern for an unknown code type.
struct TBarcodePattern {
    QString pattern;
    QString text;
    double ratio = 2.0;
};
TBarcodePattern EncodeBarcode(int symbology, const QString &data, bool checkDigit);

// The width of each pattern character in device units for the module and ratio; 0 for a
// character outside the alphabet never happens (any other character is a short w4 bar).
int BarcodeElementWidth(QChar c, int module, double ratio);
bool BarcodeElementIsBar(QChar c);
bool BarcodeElementIsShort(QChar c);

// The geometry of a code in the device units of the canvas it is drawn on.
struct TBarcodeShape {
    // One bar or space: the four corners as drawn (rotated), and the axis-aligned area it
    // covers, right and bottom exclusive (exact when the angle is a multiple of 90
    // degrees, the bounding box of the corners otherwise). Spaces are white and are drawn
    // too, so that they cover what lies beneath; elements come in drawing order.
    struct Bar {
        QPolygon polygon;
        QRect rect;
        bool black = true;
    };
    // The human-readable text: unrotated, black on white, top-left corner at topLeft, in
    // the font family of the given size in points at the canvas's font resolution (100
    // pixels per inch in the report canvases); rect is its extent as measured in that
    // font.
    struct Text {
        QPoint topLeft;
        QRect rect;
        QString text;
        QString family = QStringLiteral("Arial");
        double pointSize = 0;
        int angle = 0;
    };
    std::vector<Bar> bars;
    std::vector<Text> texts;
    QRect bounds;   // every bar and space together
};

// Lays out the code with its top-left corner at rect's top-left corner, the bars as high
// as rect; short bars are 2/5 of that, standing on the bars' baseline. angle rotates the
// code counter-clockwise (degrees); the rotated code is moved so that the corner of its
// bounding box stays at rect's top-left corner. module is the width of the narrowest bar
// in device units; outside 1..128 it is 8. Nothing for an unknown code type or empty data.
TBarcodeShape LayoutBarcode(const QRect &rect, int symbology, const QString &data,
                            bool showText, bool checkDigit, int angle, int module);

// Draws the code with its top-left corner at rect's top-left corner, the bars as high as
// rect (the geometry of LayoutBarcode). symbology is the index into the barcode type list,
// module the width of the narrowest bar in device units (1..128), angle the rotation in
// degrees. The canvas's font, pen and brush are left as they were.
void DrawBarcode(TTolvaCanvas &canvas, const QRect &rect, int symbology, const QString &data,
                 bool showText, bool checkDigit, int angle, int module);

} // namespace orv
