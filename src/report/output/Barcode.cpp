// The barcode type list, the module width codes, the dispatch to the encoders and the
// geometry of an encoded code.
#include "report/output/Barcode.h"
#include "report/output/BarcodeEncoders.h"

#include "report/model/TextLayoutCanvas.h"

#include <QFontMetricsF>
#include <QGuiApplication>

#include <algorithm>
#include <climits>
#include <optional>
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

// Measures the human-readable text in its font at 100 pixels per inch; estimates where no
// font system is running. One per code: finding the font is a good part of measuring a
// short text.
class TextMeasure {
public:
    TextMeasure(const QString &family, double pointSize) : m_pointSize(pointSize)
    {
        if (qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
            TTextFont f;
            f.Name = family;
            f.Size = pointSize;
            m_metrics.emplace(TTextCanvas::toQFont(f, 100));
        }
    }
    QSize extent(const QString &text) const
    {
        if (m_metrics)
            return {int(std::ceil(m_metrics->horizontalAdvance(text))), int(std::ceil(m_metrics->height()))};
        return {int(std::lround(m_pointSize * 100 / 72.0 * 0.6 * text.size())),
                int(std::lround(m_pointSize * 100 / 72.0 * 1.15))};
    }

private:
    double m_pointSize;
    std::optional<QFontMetricsF> m_metrics;
};

// The usual layout of EAN and UPC with their digits: which digits stand outside the code
// (left, right), which go under its two halves, and which pattern elements are the long
// bars (the guards, and in UPC-A the first and last digit's bars). Digit groups are given
// by their first digit and count in the text and by the modules they are centred under.
struct EanTextLayout {
    struct Group {
        int first, count;       // in the text
        int fromModule, toModule;
    };
    QString leading, trailing;
    std::vector<Group> groups;
    std::vector<std::pair<int, int>> longElements;   // [from, to) pattern indices
    bool isLong(int index) const
    {
        for (const auto &r : longElements)
            if (index >= r.first && index < r.second)
                return true;
        return false;
    }
};

bool eanTextLayout(int symbology, const QString &text, EanTextLayout &out)
{
    switch (symbology) {
    case bcEan13:
        if (text.size() != 13)
            return false;
        out.leading = text.left(1);
        out.groups = {{1, 6, 3, 45}, {7, 6, 50, 92}};
        out.longElements = {{0, 3}, {27, 32}, {56, 59}};
        return true;
    case bcEan8:
        if (text.size() != 8)
            return false;
        out.groups = {{0, 4, 3, 31}, {4, 4, 36, 64}};
        out.longElements = {{0, 3}, {19, 24}, {40, 43}};
        return true;
    case bcUpcA:
        if (text.size() != 12)
            return false;
        out.leading = text.left(1);
        out.trailing = text.right(1);
        out.groups = {{1, 5, 10, 45}, {6, 5, 50, 85}};
        out.longElements = {{0, 7}, {27, 32}, {52, 59}};
        return true;
    case bcUpcE0:
    case bcUpcE1:
        if (text.size() != 7)
            return false;
        out.leading = QString::number(symbology == bcUpcE1 ? 1 : 0);
        out.trailing = text.right(1);
        out.groups = {{0, 6, 3, 45}};
        out.longElements = {{0, 3}, {27, 33}};
        return true;
    default:
        return false;
    }
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
    const int a = ((angle % 360) + 360) % 360;
    // About ten modules high, so that the data fits under the width of the code.
    const double textPoints = 7.2 * module;
    const QString textFamily = QStringLiteral("Arial");
    // Upright EAN and UPC with their digits take the usual layout: the data bars end above
    // the digits, the guard bars reach half way down them, and the digits outside the code
    // stand left and right of it. Codes at other angles keep one line of text at the
    // corner.
    EanTextLayout ean;
    const bool eanText = showText && a == 0 && eanTextLayout(symbology, enc.text, ean);
    int base = h;          // the bottom of the ground and of the long bars
    int dataBottom = h;    // the bottom of the other bars
    int shift = 0;         // room for the leading digit
    int textHeight = 0;
    std::optional<TextMeasure> measure;
    if (showText && !enc.text.isEmpty())
        measure.emplace(textFamily, textPoints);
    if (eanText) {
        textHeight = measure->extent(QString()).height();
        dataBottom = std::max(h - textHeight, h / 2);
        base = std::min(h, dataBottom + textHeight / 2);
        if (!ean.leading.isEmpty())
            shift = measure->extent(ean.leading).width() + module;
    }
    // The four widths worked out once; each character is one of them.
    const int w1 = BarcodeElementWidth(u'0', module, enc.ratio);
    const int w2 = BarcodeElementWidth(u'1', module, enc.ratio);
    const int w3 = BarcodeElementWidth(u'2', module, enc.ratio);
    const int w4 = BarcodeElementWidth(u'3', module, enc.ratio);
    auto widthOf = [&](QChar ch) {
        switch (ch.unicode()) {
        case u'0': case u'5': case u'9': case u'A': return w1;
        case u'1': case u'6': case u'B': return w2;
        case u'2': case u'7': case u'C': return w3;
        default: return w4;
        }
    };
    int total = 0;
    for (QChar ch : enc.pattern)
        total += widthOf(ch);

    Rotation rot;
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
    const QPoint origin = rect.topLeft() - roundPoint(QPointF(minX, minY)) + QPoint(shift, 0);

    shape.bars.reserve(size_t(enc.pattern.size()));
    int x = 0;
    int outlineTop = 0;
    // The bounds of the non-empty elements, right and bottom exclusive.
    int bl = INT_MAX, bt = INT_MAX, br = INT_MIN, bb = INT_MIN;
    for (int index = 0; index < enc.pattern.size(); ++index) {
        const QChar ch = enc.pattern.at(index);
        const int w = widthOf(ch);
        const int top = BarcodeElementIsShort(ch) ? h - shortH : 0;
        TBarcodeShape::Bar bar;
        bar.black = BarcodeElementIsBar(ch);
        const int bottom = eanText && bar.black && !ean.isLong(index) ? dataBottom : base;
        // The corners only where they are drawn or the angle is not a right one; the area
        // of an upright element straight from its place.
        QPoint corners[4];
        const bool needCorners = combs || withPolygons || rot.quarter < 0;
        if (needCorners) {
            corners[0] = rot.mapRound(x, top) + origin;
            corners[1] = rot.mapRound(x, bottom) + origin;
            corners[2] = rot.mapRound(x + w, bottom) + origin;
            corners[3] = rot.mapRound(x + w, top) + origin;
        }
        int l, r, t, b;
        switch (rot.quarter) {
        case 0: l = x; r = x + w; t = top; b = bottom; break;
        case 1: l = top; r = bottom; t = -(x + w); b = -x; break;
        case 2: l = -(x + w); r = -x; t = -bottom; b = -top; break;
        case 3: l = -bottom; r = -top; t = x; b = x + w; break;
        default:
            l = r = corners[0].x();
            t = b = corners[0].y();
            for (const QPoint &c : corners) {
                l = std::min(l, c.x());
                r = std::max(r, c.x());
                t = std::min(t, c.y());
                b = std::max(b, c.y());
            }
            l -= origin.x();
            r -= origin.x();
            t -= origin.y();
            b -= origin.y();
        }
        l += origin.x();
        r += origin.x();
        t += origin.y();
        b += origin.y();
        if (combs) {
            if (bar.black) {
                // Along the baseline, up one side of the bar, across and down the other. Bars
                // of different lengths all start at the top and are traced from there, so
                // that the path between them never encloses a space.
                if (eanText)
                    combs[1] << corners[0] << corners[1] << corners[2] << corners[3];
                else
                    combs[1] << corners[1] << corners[0] << corners[3] << corners[2];
            }
            // The white ground is the outline of all elements together: corners only where
            // the top steps down to a short bar or back up.
            if (x == 0)
                combs[0] << rot.mapRound(0, base) + origin << corners[0];
            else if (top != outlineTop)
                combs[0] << rot.mapRound(x, outlineTop) + origin << corners[0];
            outlineTop = top;
        }
        if (withPolygons)
            bar.polygon = QPolygon({corners[0], corners[1], corners[2], corners[3]});
        // The area ends before the far corner.
        bar.rect = QRect(l, t, r - l, b - t);
        if (r > l && b > t) {
            bl = std::min(bl, l);
            bt = std::min(bt, t);
            br = std::max(br, r);
            bb = std::max(bb, b);
        }
        shape.bars.push_back(std::move(bar));
        x += w;
    }
    if (br > bl)
        shape.bounds = QRect(bl, bt, br - bl, bb - bt);
    if (combs && x > 0)
        combs[0] << rot.mapRound(x, outlineTop) + origin << rot.mapRound(x, base) + origin;

    auto addText = [&](const QPoint &topLeft, const QString &text, const QSize &size) {
        TBarcodeShape::Text t;
        t.topLeft = topLeft;
        t.text = text;
        t.family = textFamily;
        t.pointSize = textPoints;
        t.rect = QRect(t.topLeft, size);
        shape.texts.push_back(t);
    };
    if (eanText) {
        const int textTop = rect.top() + dataBottom;
        if (!ean.leading.isEmpty())
            addText(QPoint(rect.left(), textTop), ean.leading, measure->extent(ean.leading));
        for (const EanTextLayout::Group &g : ean.groups) {
            const QString digits = enc.text.mid(g.first, g.count);
            const QSize size = measure->extent(digits);
            const int room = (g.toModule - g.fromModule) * module;
            addText(QPoint(origin.x() + g.fromModule * module + (room - size.width()) / 2, textTop),
                    digits, size);
        }
        if (!ean.trailing.isEmpty())
            addText(QPoint(origin.x() + x + module, textTop), ean.trailing, measure->extent(ean.trailing));
    } else if (showText && !enc.text.isEmpty()) {
        addText(rect.topLeft(), enc.text, measure->extent(enc.text));
    }
    return shape;
}

} // namespace orv
