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
    const QPaintEngine::Type engine = painter->paintEngine() ? painter->paintEngine()->type()
                                                             : QPaintEngine::User;
    const bool raster = angle % 90 == 0 && engine == QPaintEngine::Raster;
    // Page images take the bars as dashed lines (a fraction of the polygons' size, and the
    // page image is checksummed and copied whole); other recording devices (metafiles, PDF)
    // two polygons.
    const bool dashed = engine == QPaintEngine::Picture;
    QPolygon combs[2];
    std::vector<barcode::DashedBars> dashes;
    const TBarcodeShape shape = barcode::layout(rect, symbology, data, showText, checkDigit,
                                                angle, module, false,
                                                raster || dashed ? nullptr : combs,
                                                dashed ? &dashes : nullptr);
    if (shape.bars.empty() && dashes.empty())
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
    painter->setPen(Qt::NoPen);
    if (raster) {
        for (const TBarcodeShape::Bar &bar : shape.bars)
            painter->fillRect(bar.rect, bar.black ? Qt::black : Qt::white);
    } else {
        // The ground first, in white, so that the spaces cover what lies beneath; then the
        // bars.
        for (int black = 0; black < 2; ++black) {
            if (combs[black].isEmpty() || (black && dashed))
                continue;
            painter->setBrush(black ? Qt::black : Qt::white);
            painter->drawPolygon(combs[black], Qt::WindingFill);
        }
        for (const barcode::DashedBars &line : dashes) {
            QPen pen(line.black ? Qt::black : Qt::white, line.width,
                     line.pattern.isEmpty() ? Qt::SolidLine : Qt::CustomDashLine, Qt::FlatCap);
            if (!line.pattern.isEmpty())
                pen.setDashPattern(line.pattern);
            painter->setPen(pen);
            painter->drawLine(line.from, line.to);
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
        painter->setPen(Qt::NoPen);
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
