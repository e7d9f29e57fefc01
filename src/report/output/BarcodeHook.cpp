// DrawBarcode: paints the geometry of LayoutBarcode on a report canvas.
#include "report/output/Barcode.h"
#include "report/output/BarcodeEncoders.h"
#include "report/output/TolvaCanvas.h"

#include "report/model/TextLayoutCanvas.h"

#include <QFontMetricsF>
#include <QPaintEngine>
#include <QPainter>

namespace orv {

void DrawBarcode(TTolvaCanvas &canvas, const QRect &rect, int symbology, const QString &data,
                 bool showText, bool checkDigit, int angle, int module)
{
    QPainter *painter = canvas.painter();
    if (!painter)
        return;
    // On a raster device upright elements are filled as rectangles, the fastest there;
    // recording devices (page images, metafiles) get two polygons, the spaces and the bars.
    const bool raster = angle % 90 == 0 && painter->paintEngine()
        && painter->paintEngine()->type() == QPaintEngine::Raster;
    QPolygon combs[2];
    const TBarcodeShape shape = barcode::layout(rect, symbology, data, showText, checkDigit,
                                                angle, module, false, raster ? nullptr : combs);
    if (shape.bars.empty())
        return;
    // The state is put back by hand rather than by save() and restore(): a recording
    // device stores every state the painter restores, and for a page of small codes that
    // was more than the codes themselves.
    const QPen oldPen = painter->pen();
    const QBrush oldBrush = painter->brush();
    const QFont oldFont = painter->font();
    const bool oldAntialiasing = painter->testRenderHint(QPainter::Antialiasing);
    painter->setRenderHint(QPainter::Antialiasing, false);
    painter->setPen(Qt::NoPen);
    if (raster) {
        for (const TBarcodeShape::Bar &bar : shape.bars)
            painter->fillRect(bar.rect, bar.black ? Qt::black : Qt::white);
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
    for (const TBarcodeShape::Text &t : shape.texts) {
        TTextFont f;
        f.Name = t.family;
        f.Size = t.pointSize;
        const QFont font = TTextCanvas::toQFont(f, canvas.fontResolution());
        painter->setFont(font);
        painter->setPen(Qt::NoPen);
        painter->setBrush(Qt::white);
        painter->drawRect(t.rect);
        painter->setPen(Qt::black);
        painter->drawText(QPointF(t.topLeft.x(), t.topLeft.y() + QFontMetricsF(font).ascent()),
                          t.text);
    }
    painter->setPen(oldPen);
    painter->setBrush(oldBrush);
    painter->setFont(oldFont);
    painter->setRenderHint(QPainter::Antialiasing, oldAntialiasing);
}

} // namespace orv
