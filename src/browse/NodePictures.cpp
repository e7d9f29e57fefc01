#include "browse/NodePictures.h"

#include "db/Schema.h"

#include <QPainter>
#include <QPainterPath>

#include <array>

namespace orv::browse {

// A material's node is stored with this picture.
static_assert(Sheet == db::materialNodeImage);

namespace {

const QColor kOutline(40, 40, 60);

void closedBook(QPainter &p)
{
    // Blue cover seen from the front, white page edges at the right and bottom.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(245, 245, 235));
    p.drawRect(QRectF(4.5, 3.5, 10, 11));
    p.setPen(QPen(kOutline, 1));
    p.setBrush(QColor(30, 70, 190));
    p.drawRect(QRectF(2.5, 1.5, 10, 12));
    p.setPen(QPen(QColor(120, 160, 255), 1));
    p.drawLine(QPointF(4.5, 2.5), QPointF(4.5, 12.5)); // spine
    p.setPen(QPen(QColor(230, 200, 60), 1));
    p.drawLine(QPointF(6.5, 5.5), QPointF(10.5, 5.5)); // title
    p.drawLine(QPointF(6.5, 7.5), QPointF(9.5, 7.5));
}

void openBook(QPainter &p)
{
    p.setPen(QPen(kOutline, 1));
    p.setBrush(QColor(30, 70, 190));
    QPainterPath cover;
    cover.moveTo(0.5, 4.5);
    cover.lineTo(8, 6.5);
    cover.lineTo(15.5, 4.5);
    cover.lineTo(15.5, 13.5);
    cover.lineTo(8, 15.5);
    cover.lineTo(0.5, 13.5);
    cover.closeSubpath();
    p.drawPath(cover);
    p.setBrush(QColor(252, 252, 245));
    QPainterPath left;
    left.moveTo(1.5, 2.5);
    left.lineTo(8, 4.5);
    left.lineTo(8, 14.0);
    left.lineTo(1.5, 12.0);
    left.closeSubpath();
    QPainterPath right;
    right.moveTo(14.5, 2.5);
    right.lineTo(8, 4.5);
    right.lineTo(8, 14.0);
    right.lineTo(14.5, 12.0);
    right.closeSubpath();
    p.drawPath(left);
    p.drawPath(right);
    p.setPen(QPen(QColor(150, 150, 170), 1));
    for (double y : {5.5, 7.5, 9.5}) {
        p.drawLine(QPointF(3, y), QPointF(6.5, y + 1));
        p.drawLine(QPointF(9.5, y + 1), QPointF(13, y));
    }
}

void folder(QPainter &p, bool open)
{
    const QColor back(205, 160, 40);
    const QColor front(245, 205, 85);
    p.setPen(QPen(kOutline, 1));
    p.setBrush(back);
    QPainterPath body;
    body.moveTo(0.5, 3.5);
    body.lineTo(5.5, 3.5);
    body.lineTo(6.5, 4.5);
    body.lineTo(13.5, 4.5);
    body.lineTo(13.5, 13.5);
    body.lineTo(0.5, 13.5);
    body.closeSubpath();
    p.drawPath(body);
    p.setBrush(front);
    if (open) {
        QPainterPath flap;
        flap.moveTo(0.5, 13.5);
        flap.lineTo(3.5, 7.5);
        flap.lineTo(15.5, 7.5);
        flap.lineTo(12.5, 13.5);
        flap.closeSubpath();
        p.drawPath(flap);
    } else {
        p.drawRect(QRectF(0.5, 6.5, 13, 7));
    }
}

void sheet(QPainter &p, const QColor &paper, const QColor &lines)
{
    p.setPen(QPen(kOutline, 1));
    p.setBrush(paper);
    QPainterPath page;
    page.moveTo(2.5, 0.5);
    page.lineTo(10.5, 0.5);
    page.lineTo(13.5, 3.5);
    page.lineTo(13.5, 15.5);
    page.lineTo(2.5, 15.5);
    page.closeSubpath();
    p.drawPath(page);
    p.drawLine(QPointF(10.5, 0.5), QPointF(10.5, 3.5));
    p.drawLine(QPointF(10.5, 3.5), QPointF(13.5, 3.5));
    p.setPen(QPen(lines, 1));
    for (double y : {5.5, 7.5, 9.5, 11.5, 13.5})
        p.drawLine(QPointF(4.5, y), QPointF(11.5, y));
}

void draw(QPainter &p, int picture)
{
    switch (picture) {
    case ClosedBook: closedBook(p); break;
    case OpenBook: openBook(p); break;
    case ClosedFolder: folder(p, false); break;
    case OpenFolder: folder(p, true); break;
    case Sheet: sheet(p, QColor(255, 255, 255), QColor(110, 110, 130)); break;
    case HighlightedSheet:
        sheet(p, QColor(255, 245, 140), QColor(30, 70, 190));
        break;
    case GreySheet: sheet(p, QColor(200, 200, 200), QColor(130, 130, 130)); break;
    case CrossedSheet:
        sheet(p, QColor(200, 200, 200), QColor(130, 130, 130));
        p.setPen(QPen(QColor(200, 20, 20), 2));
        p.drawLine(QPointF(3, 3), QPointF(13, 14));
        p.drawLine(QPointF(13, 3), QPointF(3, 14));
        break;
    default: break;
    }
}

} // namespace

QPixmap nodePixmap(int picture)
{
    if (picture < 0 || picture >= NodePictureCount)
        return QPixmap();
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing, true);
    draw(p, picture);
    return pm;
}

QIcon nodeIcon(int picture)
{
    if (picture < 0 || picture >= NodePictureCount)
        return QIcon();
    static std::array<QIcon, NodePictureCount> cache;
    QIcon &icon = cache[size_t(picture)];
    if (icon.isNull())
        icon = QIcon(nodePixmap(picture));
    return icon;
}

} // namespace orv::browse
