// DrawBarcode: paints the geometry of LayoutBarcode on a report canvas.
#include "report/output/Barcode.h"
#include "report/output/BarcodeEncoders.h"
#include "report/output/TolvaCanvas.h"

#include "report/model/TextLayoutCanvas.h"

#include <QFontMetricsF>
#include <QPaintEngine>
#include <QPainter>
#include <QRegion>

#include <algorithm>
#include <climits>
#include <vector>

namespace orv {

namespace {

// Fills the rectangle with a solid line as wide as the rectangle is high, flat caps: one
// pen and one line in a picture, where a filled rectangle is a brush and a whole path.
void fillLine(QPainter &painter, const QColor &color, const QRect &area)
{
    if (area.isEmpty())
        return;
    painter.setPen(QPen(color, area.height(), Qt::SolidLine, Qt::FlatCap));
    const double y = area.top() + area.height() / 2.0;
    painter.drawLine(QPointF(area.left(), y), QPointF(area.left() + area.width(), y));
}

void fillClipped(QPainter &painter, const QColor &color, const QRegion &region)
{
    if (region.isEmpty())
        return;
    if (region.rectCount() == 1) {
        fillLine(painter, color, region.boundingRect());
        return;
    }
    painter.setClipRegion(region);
    fillLine(painter, color, region.boundingRect());
    painter.setClipping(false);
}

// The rectangles (overlapping or not) as a region: QRegion::setRects takes them only in
// bands (one top and height each, sorted by top and then left, touching rectangles of a
// band joined), and uniting them one by one cost more than the rest of a code.
QRegion bandedRegion(std::vector<QRect> &rects)
{
    QRegion region;
    if (rects.empty())
        return region;
    // The elements come along the code: in order already, or backwards.
    const auto byTopLeft = [](const QRect &l, const QRect &r) {
        return l.top() != r.top() ? l.top() < r.top() : l.left() < r.left();
    };
    if (!std::is_sorted(rects.begin(), rects.end(), byTopLeft)) {
        std::reverse(rects.begin(), rects.end());
        if (!std::is_sorted(rects.begin(), rects.end(), byTopLeft))
            std::sort(rects.begin(), rects.end(), byTopLeft);
    }
    // Most codes are one band (upright, every bar as long as the others) or one band per
    // rectangle (on their side): those need no sweep.
    const auto sameRow = [](const QRect &l, const QRect &r) {
        return l.top() == r.top() && l.height() == r.height();
    };
    const auto apart = [](const QRect &l, const QRect &r) { return l.bottom() < r.top(); };
    const auto alongRows = [&](auto &&together) {
        for (size_t i = 1; i < rects.size(); ++i)
            if (!together(rects[i - 1], rects[i]))
                return false;
        return true;
    };
    if (alongRows(sameRow) || alongRows(apart)) {
        // Touching neighbours become one rectangle: beside each other in a band, or the same
        // span in bands one under the other.
        size_t joined = 1;
        for (size_t i = 1; i < rects.size(); ++i) {
            QRect &last = rects[joined - 1];
            const QRect &r = rects[i];
            if (last.top() == r.top() && r.left() <= last.right() + 1)
                last.setRight(std::max(last.right(), r.right()));
            else if (last.left() == r.left() && last.right() == r.right()
                     && r.top() == last.bottom() + 1)
                last.setBottom(r.bottom());
            else
                rects[joined++] = r;
        }
        region.setRects(rects.data(), int(joined));
        return region;
    }
    std::vector<int> ys;
    ys.reserve(2 * rects.size());
    for (const QRect &r : rects) {
        ys.push_back(r.top());
        ys.push_back(r.top() + r.height());
    }
    std::sort(ys.begin(), ys.end());
    ys.erase(std::unique(ys.begin(), ys.end()), ys.end());
    struct Open {
        int left, right, bottom;   // right and bottom exclusive
    };
    std::vector<Open> open;
    std::vector<std::pair<int, int>> spans, lastSpans;
    std::vector<QRect> out;
    size_t next = 0, lastBand = 0;
    int lastBottom = INT_MIN;
    for (size_t i = 0; i + 1 < ys.size(); ++i) {
        const int y0 = ys[i], y1 = ys[i + 1];
        open.erase(std::remove_if(open.begin(), open.end(),
                                  [&](const Open &o) { return o.bottom <= y0; }),
                   open.end());
        for (; next < rects.size() && rects[next].top() == y0; ++next)
            open.push_back({rects[next].left(), rects[next].left() + rects[next].width(),
                            y0 + rects[next].height()});
        spans.clear();
        for (const Open &o : open)
            spans.emplace_back(o.left, o.right);
        std::sort(spans.begin(), spans.end());
        size_t joined = 0;
        for (size_t k = 0; k < spans.size(); ++k) {
            if (joined > 0 && spans[k].first <= spans[joined - 1].second)
                spans[joined - 1].second = std::max(spans[joined - 1].second, spans[k].second);
            else
                spans[joined++] = spans[k];
        }
        spans.resize(joined);
        if (spans.empty())
            continue;
        if (lastBottom == y0 && spans == lastSpans) {
            // The band goes on as the one above: its rectangles grow instead.
            for (size_t k = lastBand; k < out.size(); ++k)
                out[k].setBottom(y1 - 1);
        } else {
            lastBand = out.size();
            for (const auto &[l, r] : spans)
                out.push_back(QRect(l, y0, r - l, y1 - y0));
            lastSpans = spans;
        }
        lastBottom = y1;
    }
    region.setRects(out.data(), int(out.size()));
    return region;
}

// Appends what of the rectangle the others leave uncovered, as rectangles.
void subtractInto(std::vector<QRect> &out, const QRect &rect, const std::vector<QRect> &others)
{
    const size_t first = out.size();
    out.push_back(rect);
    for (const QRect &o : others) {
        for (size_t i = first; i < out.size();) {
            const QRect r = out[i];
            if (!r.intersects(o)) {
                ++i;
                continue;
            }
            // The part above and below the other one across the whole width, and the parts
            // left and right of it in between.
            out.erase(out.begin() + std::ptrdiff_t(i));
            const QRect mid = r & o;
            const QRect pieces[4] = {
                QRect(QPoint(r.left(), r.top()), QPoint(r.right(), mid.top() - 1)),
                QRect(QPoint(r.left(), mid.bottom() + 1), QPoint(r.right(), r.bottom())),
                QRect(QPoint(r.left(), mid.top()), QPoint(mid.left() - 1, mid.bottom())),
                QRect(QPoint(mid.right() + 1, mid.top()), QPoint(r.right(), mid.bottom()))};
            for (const QRect &piece : pieces)
                if (!piece.isEmpty())
                    out.push_back(piece);
        }
    }
}

// Whether every element reaches across the whole code: no bar is short, and none stops above
// the digits.
bool elementsSpanTheCode(const TBarcodeShape &shape, int angle)
{
    const QRect &b = shape.bounds;
    const bool upright = ((angle / 90) % 2 + 2) % 2 == 0;
    for (const TBarcodeShape::Bar &bar : shape.bars) {
        const QRect &r = bar.rect;
        if (upright ? r.top() != b.top() || r.bottom() != b.bottom()
                    : r.left() != b.left() || r.right() != b.right())
            return false;
    }
    return true;
}

} // namespace

void DrawBarcode(TTolvaCanvas &canvas, const QRect &rect, int symbology, const QString &data,
                 bool showText, bool checkDigit, int angle, int module)
{
    QPainter *painter = canvas.painter();
    if (!painter)
        return;
    // On a raster device upright elements are filled as rectangles, the fastest there. Page
    // images (pictures) take an upright code as two clipped lines: every byte of a picture
    // is written, checksummed and copied, and a clip region is the most compact form of the
    // bars there is. Other recording devices (metafiles, PDF), slanted codes and pictures
    // that are clipped already get two polygons, the ground and the bars.
    const QPaintEngine::Type engine = painter->paintEngine() ? painter->paintEngine()->type()
                                                             : QPaintEngine::User;
    const bool upright = angle % 90 == 0;
    const bool raster = upright && engine == QPaintEngine::Raster;
    const bool clipped = upright && engine == QPaintEngine::Picture && !painter->hasClipping();
    QPolygon combs[2];
    const TBarcodeShape shape = barcode::layout(rect, symbology, data, showText, checkDigit,
                                                angle, module, false,
                                                raster || clipped ? nullptr : combs);
    if (shape.bars.empty())
        return;
    // The state is put back by hand rather than by save() and restore(), and only what was
    // changed: a recording device stores every state the painter is given (a font or a
    // render hint even when it is the one in force), and for a page of small codes that was
    // more than the codes themselves.
    const QPen oldPen = painter->pen();
    const QBrush oldBrush = painter->brush();
    const bool oldAntialiasing = painter->testRenderHint(QPainter::Antialiasing);
    if (oldAntialiasing)
        painter->setRenderHint(QPainter::Antialiasing, false);
    if (raster) {
        painter->setPen(Qt::NoPen);
        for (const TBarcodeShape::Bar &bar : shape.bars)
            painter->fillRect(bar.rect, bar.black ? Qt::black : Qt::white);
    } else if (clipped) {
        // The ground in white: the area of the whole code, or where some bars are short or
        // stop above the digits the elements together (the paper beside such a bar stays as
        // it is), and the grounds of the digits with it. Then the bars in black but for
        // where the digits stand: the same pixels as the ground, the bars and the digits'
        // grounds one after the other, with one pen less and the text's black pen in force.
        std::vector<QRect> texts;
        for (const TBarcodeShape::Text &t : shape.texts)
            if (!t.rect.isEmpty())
                texts.push_back(t.rect);
        std::vector<QRect> rects;
        rects.reserve(shape.bars.size() + texts.size());
        if (elementsSpanTheCode(shape, angle)) {
            rects.push_back(shape.bounds);
        } else {
            for (const TBarcodeShape::Bar &bar : shape.bars)
                rects.push_back(bar.rect);
        }
        rects.insert(rects.end(), texts.begin(), texts.end());
        fillClipped(*painter, Qt::white, bandedRegion(rects));
        rects.clear();
        for (const TBarcodeShape::Bar &bar : shape.bars)
            if (bar.black)
                subtractInto(rects, bar.rect, texts);
        fillClipped(*painter, Qt::black, bandedRegion(rects));
    } else {
        // The ground first, in white, so that the spaces cover what lies beneath; then the
        // bars.
        painter->setPen(Qt::NoPen);
        for (int black = 0; black < 2; ++black) {
            if (combs[black].isEmpty())
                continue;
            painter->setBrush(black ? Qt::black : Qt::white);
            painter->drawPolygon(combs[black], Qt::WindingFill);
        }
    }
    if (!shape.texts.empty()) {
        // Every text of a code has the one font: the white grounds first, then the digits.
        const TBarcodeShape::Text &first = shape.texts.front();
        TTextFont f;
        f.Name = first.family;
        f.Size = first.pointSize;
        const QFont font = TTextCanvas::toQFont(f, canvas.fontResolution());
        const QFont oldFont = painter->font();
        if (!clipped) {
            painter->setPen(Qt::NoPen);
            painter->setBrush(Qt::white);
            for (const TBarcodeShape::Text &t : shape.texts)
                painter->drawRect(t.rect);
        }
        painter->setFont(font);
        // Text takes only the colour of the pen: the bars' black one serves.
        const QPen &pen = painter->pen();
        if (pen.style() != Qt::SolidLine || pen.color() != QColor(Qt::black))
            painter->setPen(Qt::black);
        const double ascent = QFontMetricsF(font).ascent();
        for (const TBarcodeShape::Text &t : shape.texts)
            painter->drawText(QPointF(t.topLeft.x(), t.topLeft.y() + ascent), t.text);
        painter->setFont(oldFont);
    }
    painter->setPen(oldPen);
    painter->setBrush(oldBrush);
    if (oldAntialiasing)
        painter->setRenderHint(QPainter::Antialiasing, true);
}

} // namespace orv
