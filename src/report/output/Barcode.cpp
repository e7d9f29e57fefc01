// The barcode type list, the module width codes, the dispatch to the encoders and the
// geometry of an encoded code.
#include "report/output/Barcode.h"
#include "report/output/BarcodeEncoders.h"

#include "report/model/TextLayoutCanvas.h"

#include <QFontMetricsF>
#include <QGuiApplication>

#include <algorithm>
#include <cmath>

namespace orv {

QStringList BarcodeTypeNames()
{
    return {QStringLiteral("2/5 interleaved"), QStringLiteral("2/5 industrial"),
            QStringLiteral("2/5 matrix"),      QStringLiteral("Code 39"),
            QStringLiteral("Code 39 Full"),    QStringLiteral("Code 128A"),
            QStringLiteral("Code 128B"),       QStringLiteral("Code 128C"),
            QStringLiteral("Code 93"),         QStringLiteral("Code 93 Full"),
            QStringLiteral("MSI"),             QStringLiteral("PostNet"),
            QStringLiteral("Codebar"),         QStringLiteral("EAN 8"),
            QStringLiteral("EAN 13"),          QStringLiteral("UPC-A"),
            QStringLiteral("UPC-E0"),          QStringLiteral("UPC-E1"),
            QStringLiteral("UPC Supp2"),       QStringLiteral("UPC Supp5")};
}

bool BarcodeIsNumeric(int symbology)
{
    switch (symbology) {
    case bcInterleaved25: case bcIndustrial25: case bcMatrix25: case bcCode128C: case bcMsi:
    case bcPostNet: case bcEan8: case bcEan13: case bcUpcA: case bcUpcE0: case bcUpcE1:
    case bcUpcSupp2: case bcUpcSupp5:
        return true;
    default:
        return false;
    }
}

const std::vector<int> &BarcodeModuleCodes()
{
    static const std::vector<int> codes = {4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15,
                                           16, 18, 20, 22, 24, 26, 28, 30, 32, 34, 36, 38,
                                           40, 44, 48, 52, 56, 60, 64, 72, 80, 96, 112, 128};
    return codes;
}

int BarcodeModuleChoice(int code)
{
    for (int c : BarcodeModuleCodes())
        if (c >= code)
            return c;
    return 8;
}

QString BarcodeModuleCaption(int code)
{
    return QString::number(code / 8.0, 'f', 2).replace(u'.', u',');
}

TBarcodePattern EncodeBarcode(int symbology, const QString &data, bool checkDigit)
{
    using namespace barcode;
    const QString d = BarcodeIsNumeric(symbology) ? numericData(data) : data;
    switch (symbology) {
    case bcInterleaved25:
    case bcIndustrial25:
    case bcMatrix25: return encodeTwoOfFive(symbology, d);
    case bcCode39: return encodeCode39(d, false, checkDigit);
    case bcCode39Full: return encodeCode39(d, true, checkDigit);
    case bcCode128A:
    case bcCode128B:
    case bcCode128C: return encodeCode128(symbology, d);
    case bcCode93: return encodeCode93(d, false);
    case bcCode93Full: return encodeCode93(d, true);
    case bcMsi: return encodeMsi(d);
    case bcPostNet: {
        // The check flag adds the digit that makes the digit sum a multiple of ten.
        int sum = 0;
        for (QChar c : d)
            sum += c.digitValue();
        return encodePostNet(checkDigit ? d + QChar(u'0' + (10 - sum % 10) % 10) : d);
    }
    case bcCodabar: return encodeCodabar(d);
    case bcEan8: case bcEan13: case bcUpcA: case bcUpcE0: case bcUpcE1: case bcUpcSupp2:
    case bcUpcSupp5: return encodeEanUpc(symbology, d, checkDigit);
    default: return {};
    }
}

bool BarcodeElementIsBar(QChar c)
{
    return !(c >= u'0' && c <= u'3');
}

bool BarcodeElementIsShort(QChar c)
{
    return !(c >= u'0' && c <= u'3') && !(c >= u'5' && c <= u'8');
}

int BarcodeElementWidth(QChar c, int module, double ratio)
{
    const int w1 = module;
    const int w2 = int(std::lround(module * ratio));
    const int w3 = w2 * 3 / 2;
    const int w4 = 2 * w2;
    switch (c.unicode()) {
    case u'0': case u'5': case u'9': case u'A': return w1;
    case u'1': case u'6': case u'B': return w2;
    case u'2': case u'7': case u'C': return w3;
    default: return w4;   // "3", "8" and any other short bar
    }
}

namespace {

struct Rotation {
    double c = 1, s = 0;
    int quarter = 0;   // 0..3 for the right angles, -1 for any other
    QPointF map(double x, double y) const { return {c * x + s * y, -s * x + c * y}; }
    // x' = round(cos a x + sin a y), y' = round(-sin a x + cos a y); exact for right angles.
    QPoint mapRound(int x, int y) const
    {
        switch (quarter) {
        case 0: return {x, y};
        case 1: return {y, -x};
        case 2: return {-x, -y};
        case 3: return {-y, x};
        default: {
            const QPointF p = map(x, y);
            return {int(std::lround(p.x())), int(std::lround(p.y()))};
        }
        }
    }
};

QPoint roundPoint(const QPointF &p)
{
    return {int(std::lround(p.x())), int(std::lround(p.y()))};
}

} // namespace

TBarcodeShape LayoutBarcode(const QRect &rect, int symbology, const QString &data,
                            bool showText, bool checkDigit, int angle, int module)
{
    return barcode::layout(rect, symbology, data, showText, checkDigit, angle, module, true,
                           nullptr);
}

TBarcodeShape barcode::layout(const QRect &rect, int symbology, const QString &data,
                              bool showText, bool checkDigit, int angle, int module,
                              bool withPolygons, QPolygon *combs)
{
    TBarcodeShape shape;
    if (module < 1 || module > 128)
        module = 8;
    if (data.trimmed().isEmpty())
        return shape;
    const TBarcodePattern enc = EncodeBarcode(symbology, data, checkDigit);
    if (enc.pattern.isEmpty())
        return shape;

    const int h = std::max(rect.height(), 1);
    const int shortH = h * 2 / 5;
    // Widths by pattern character, worked out once.
    int widths[128];
    for (int c = 0; c < 128; ++c)
        widths[c] = BarcodeElementWidth(QChar(c), module, enc.ratio);
    const int otherWidth = BarcodeElementWidth(QChar(0x100), module, enc.ratio);
    auto widthOf = [&](QChar ch) { return ch.unicode() < 128 ? widths[ch.unicode()] : otherWidth; };
    int total = 0;
    for (QChar ch : enc.pattern)
        total += widthOf(ch);

    Rotation rot;
    const int a = ((angle % 360) + 360) % 360;
    if (a == 90) rot = {0, 1, 1};
    else if (a == 180) rot = {-1, 0, 2};
    else if (a == 270) rot = {0, -1, 3};
    else if (a != 0) {
        const double r = a * M_PI / 180.0;
        rot = {std::cos(r), std::sin(r), -1};
    }
    // The rotated code keeps the corner of its bounding box at the rectangle's corner.
    double minX = 0, minY = 0;
    for (const QPointF p : {rot.map(0, 0), rot.map(total, 0), rot.map(0, h), rot.map(total, h)}) {
        minX = std::min(minX, p.x());
        minY = std::min(minY, p.y());
    }
    const QPoint origin = rect.topLeft() - roundPoint(QPointF(minX, minY));

    shape.bars.reserve(size_t(enc.pattern.size()));
    int x = 0;
    int outlineTop = 0;
    QRect bounds;
    for (QChar ch : enc.pattern) {
        const int w = widthOf(ch);
        const int top = BarcodeElementIsShort(ch) ? h - shortH : 0;
        TBarcodeShape::Bar bar;
        bar.black = BarcodeElementIsBar(ch);
        const QPoint corners[4] = {rot.mapRound(x, top) + origin, rot.mapRound(x, h) + origin,
                                   rot.mapRound(x + w, h) + origin,
                                   rot.mapRound(x + w, top) + origin};
        int l = corners[0].x(), r = l, t = corners[0].y(), b = t;
        for (const QPoint &c : corners) {
            l = std::min(l, c.x());
            r = std::max(r, c.x());
            t = std::min(t, c.y());
            b = std::max(b, c.y());
        }
        if (combs) {
            if (bar.black) {
                // Along the baseline, up one side of the bar, across and down the other.
                combs[1] << corners[1] << corners[0] << corners[3] << corners[2];
            }
            // The white ground is the outline of all elements together: corners only where
            // the top steps down to a short bar or back up.
            if (x == 0)
                combs[0] << corners[1] << corners[0];
            else if (top != outlineTop)
                combs[0] << rot.mapRound(x, outlineTop) + origin << corners[0];
            outlineTop = top;
        }
        if (withPolygons)
            bar.polygon = QPolygon({corners[0], corners[1], corners[2], corners[3]});
        // The area ends before the far corner.
        bar.rect = QRect(l, t, r - l, b - t);
        bounds = bounds.united(bar.rect);
        shape.bars.push_back(std::move(bar));
        x += w;
    }
    shape.bounds = bounds;
    if (combs && x > 0)
        combs[0] << rot.mapRound(x, outlineTop) + origin << rot.mapRound(x, h) + origin;

    if (showText && !enc.text.isEmpty()) {
        TBarcodeShape::Text t;
        t.topLeft = rect.topLeft();
        t.text = enc.text;
        // About ten modules high, so that the data fits under the width of the code.
        t.pointSize = 7.2 * module;
        TTextFont f;
        f.Name = t.family;
        f.Size = t.pointSize;
        QSize size(int(std::lround(t.pointSize * 100 / 72.0 * 0.6 * t.text.size())),
                   int(std::lround(t.pointSize * 100 / 72.0 * 1.15)));
        if (qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
            const QFontMetricsF fm(TTextCanvas::toQFont(f, 100));
            size = QSize(int(std::ceil(fm.horizontalAdvance(t.text))), int(std::ceil(fm.height())));
        }
        t.rect = QRect(t.topLeft, size);
        shape.texts.push_back(t);
    }
    return shape;
}

} // namespace orv
