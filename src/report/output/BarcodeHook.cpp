// DrawBarcode: paints the geometry of LayoutBarcode on a report canvas.
#include "report/output/Barcode.h"
#include "report/output/TolvaCanvas.h"

#include "report/model/TextLayoutCanvas.h"

#include <QFontMetricsF>
#include <QPainter>

namespace orv {

void DrawBarcode(TTolvaCanvas &canvas, const QRect &rect, int symbology, const QString &data,
                 bool showText, bool checkDigit, int angle, int module)
{
    QPainter *painter = canvas.painter();
    if (!painter)
        return;
    const TBarcodeShape shape =
        LayoutBarcode(rect, symbology, data, showText, checkDigit, angle, module);
    if (shape.bars.empty())
        return;
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, false);
    painter->setPen(Qt::NoPen);
    const bool straight = angle % 90 == 0;
    for (const TBarcodeShape::Bar &bar : shape.bars) {
        const QColor colour = bar.black ? Qt::black : Qt::white;
        if (straight) {
            painter->fillRect(bar.rect, colour);
        } else {
            painter->setBrush(colour);
            painter->drawPolygon(bar.polygon);
        }
    }
    for (const TBarcodeShape::Text &t : shape.texts) {
        TTextFont f;
        f.Name = t.family;
        f.Size = t.pointSize;
        const QFont font = TTextCanvas::toQFont(f, canvas.fontResolution());
        painter->setFont(font);
        painter->fillRect(t.rect, Qt::white);
        painter->setPen(Qt::black);
        painter->drawText(QPointF(t.topLeft.x(), t.topLeft.y() + QFontMetricsF(font).ascent()),
                          t.text);
    }
    painter->restore();
}

} // namespace orv
