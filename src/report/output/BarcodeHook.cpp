// DrawBarcode: paints the geometry of LayoutBarcode on a report canvas.
#include "report/output/Barcode.h"
#include "report/output/BarcodeEncoders.h"
#include "report/output/PageImage.h"
#include "report/output/TolvaCanvas.h"

#include "report/model/TextLayoutCanvas.h"

#include <QFontMetricsF>
#include <QPaintEngine>
#include <QPainter>

#include <vector>

namespace orv {

void DrawBarcode(TTolvaCanvas &canvas, const QRect &rect, int symbology, const QString &data,
                 bool showText, bool checkDigit, int angle, int module)
{
    QPainter *painter = canvas.painter();
    if (!painter)
        return;
    // On pixels and on the page image upright elements go as two lists of rectangles, the
    // spaces in white and the bars in black: the fastest there, and one step each in a page
    // image. Other recording devices (metafiles, PDF) and slanted codes get two polygons,
    // the ground and the bars.
    const int engine = painter->paintEngine() ? int(painter->paintEngine()->type())
                                              : int(QPaintEngine::User);
    const bool rects = angle % 90 == 0
        && (engine == QPaintEngine::Raster || engine == TPageImage::kEngineType);
    QPolygon combs[2];
    const TBarcodeShape shape = barcode::layout(rect, symbology, data, showText, checkDigit,
                                                angle, module, false, rects ? nullptr : combs);
    if (shape.bars.empty())
        return;
    // The state is put back by hand rather than by save() and restore(), and only what was
    // changed: a recording device stores every state the painter is given.
    const QPen oldPen = painter->pen();
    const QBrush oldBrush = painter->brush();
    const bool oldAntialiasing = painter->testRenderHint(QPainter::Antialiasing);
    if (oldAntialiasing)
        painter->setRenderHint(QPainter::Antialiasing, false);
    painter->setPen(Qt::NoPen);
    if (rects) {
        std::vector<QRect> elements[2];
        for (auto &list : elements)
            list.reserve(shape.bars.size());
        for (const TBarcodeShape::Bar &bar : shape.bars)
            elements[bar.black].push_back(bar.rect);
        for (int black = 0; black < 2; ++black) {
            painter->setBrush(black ? Qt::black : Qt::white);
            painter->drawRects(elements[black].data(), int(elements[black].size()));
        }
    } else {
        // The ground first, in white, so that the spaces cover what lies beneath; then the
        // bars.
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
        painter->setBrush(Qt::white);
        for (const TBarcodeShape::Text &t : shape.texts)
            painter->drawRect(t.rect);
        painter->setFont(font);
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
