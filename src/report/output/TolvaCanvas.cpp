#include "report/output/TolvaCanvas.h"

#include <QPainter>
#include <QPen>

namespace orv {

QColor toColor(TColor color)
{
    return QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
}

TTolvaCanvas::TTolvaCanvas(QPainter *painter, int fontResolution)
    : TTextCanvas(fontResolution, painter)
{
}

void TTolvaCanvas::setPen(int style, TColor color, int width)
{
    if (!painter())
        return;
    Qt::PenStyle ps = Qt::SolidLine;
    switch (style) {
    case psDash: ps = Qt::DashLine; break;
    case psDot: ps = Qt::DotLine; break;
    case psDashDot: ps = Qt::DashDotLine; break;
    case psDashDotDot: ps = Qt::DashDotDotLine; break;
    case psClear: ps = Qt::NoPen; break;
    default: break;
    }
    QPen pen(toColor(color));
    pen.setStyle(ps);
    pen.setWidth(width > 1 ? width : 0);
    pen.setCosmetic(width <= 1);
    pen.setCapStyle(Qt::SquareCap);
    pen.setJoinStyle(Qt::MiterJoin);
    painter()->setPen(pen);
}

void TTolvaCanvas::setClearPen()
{
    if (painter())
        painter()->setPen(Qt::NoPen);
}

void TTolvaCanvas::setBrush(int style, TColor color)
{
    if (!painter())
        return;
    Qt::BrushStyle bs = Qt::SolidPattern;
    switch (style) {
    case bsClear: bs = Qt::NoBrush; break;
    case bsHorizontal: bs = Qt::HorPattern; break;
    case bsVertical: bs = Qt::VerPattern; break;
    case bsFDiagonal: bs = Qt::FDiagPattern; break;
    case bsBDiagonal: bs = Qt::BDiagPattern; break;
    case bsCross: bs = Qt::CrossPattern; break;
    case bsDiagCross: bs = Qt::DiagCrossPattern; break;
    default: break;
    }
    painter()->setBrush(QBrush(toColor(color), bs));
}

void TTolvaCanvas::setClearBrush()
{
    if (painter())
        painter()->setBrush(Qt::NoBrush);
}

void TTolvaCanvas::drawLine(int x1, int y1, int x2, int y2)
{
    if (painter())
        painter()->drawLine(x1, y1, x2, y2);
}

// The shapes take their rectangle as corners with the right and bottom edge excluded,
// as the report geometry gives them.
static QRect inner(const QRect &r)
{
    return QRect(QPoint(r.left(), r.top()), QPoint(r.right() - 1, r.bottom() - 1)).normalized();
}

void TTolvaCanvas::drawRectangle(const QRect &r)
{
    if (painter())
        painter()->drawRect(inner(r));
}

void TTolvaCanvas::drawRoundRect(const QRect &r, int diameter)
{
    if (painter())
        painter()->drawRoundedRect(inner(r), diameter / 2.0, diameter / 2.0);
}

void TTolvaCanvas::drawEllipse(const QRect &r)
{
    if (painter())
        painter()->drawEllipse(inner(r));
}

void TTolvaCanvas::stretchPicture(const QImage &picture, int left, int top, int right, int bottom)
{
    if (!painter() || picture.isNull() || right == left || bottom == top)
        return;
    painter()->drawImage(QRect(left, top, right - left, bottom - top), picture);
}

void TTolvaCanvas::drawRotatedText(const QString &text, const TTextFont &font, int angle,
                                   const QPoint &centre, const QRect &clip)
{
    if (!painter() || text.isEmpty())
        return;
    // Advances from the unrotated font at 72 times its size, back in device units.
    TTextFont measure = font;
    measure.Size = font.Size * 72;
    setFont(measure);
    std::vector<int> advances;
    advances.reserve(size_t(text.size()));
    int total = 0;
    for (QChar c : text) {
        advances.push_back(textWidth(c) / 72);
        total += advances.back();
    }
    setFont(font);
    QPainter *p = painter();
    p->save();
    p->setClipRect(clip);
    p->translate(centre);
    p->rotate(-angle);
    drawChars(-total / 2, 0, text, advances.data());
    p->restore();
}

} // namespace orv
