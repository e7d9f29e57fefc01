#include "app/Icons.h"

#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <iterator>

namespace orv::app {

namespace {

// Every picture is drawn on a 16 x 16 grid and scaled to the size asked for.
const QColor outline(60, 60, 60);
const QColor paper(255, 255, 255);
const QColor noteYellow(255, 236, 120);
const QColor green(30, 150, 40);
const QColor red(200, 30, 30);
const QColor blue(30, 80, 180);
const QColor ownGreen(220, 245, 210);

void sheet(QPainter &p, QRectF r, const QColor &fill = paper, bool lines = true)
{
    QPainterPath path;
    const qreal fold = 3;
    path.moveTo(r.left(), r.top());
    path.lineTo(r.right() - fold, r.top());
    path.lineTo(r.right(), r.top() + fold);
    path.lineTo(r.right(), r.bottom());
    path.lineTo(r.left(), r.bottom());
    path.closeSubpath();
    p.setPen(QPen(outline, 0.8));
    p.setBrush(fill);
    p.drawPath(path);
    p.drawLine(QPointF(r.right() - fold, r.top()), QPointF(r.right() - fold, r.top() + fold));
    p.drawLine(QPointF(r.right() - fold, r.top() + fold), QPointF(r.right(), r.top() + fold));
    if (lines) {
        p.setPen(QPen(QColor(120, 140, 190), 0.8));
        for (qreal y = r.top() + 4; y < r.bottom() - 1; y += 2)
            p.drawLine(QPointF(r.left() + 1.8, y), QPointF(r.right() - 1.8, y));
    }
}

void note(QPainter &p)
{
    p.setPen(QPen(outline, 0.8));
    p.setBrush(noteYellow);
    p.drawRect(QRectF(1.5, 2.5, 10, 10));
    p.setPen(QPen(QColor(150, 120, 30), 0.8));
    for (qreal y = 5; y < 12; y += 2)
        p.drawLine(QPointF(3, y), QPointF(10, y));
}

void plus(QPainter &p, QPointF c, const QColor &color = green)
{
    p.setPen(QPen(Qt::white, 4.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(c - QPointF(3, 0), c + QPointF(3, 0));
    p.drawLine(c - QPointF(0, 3), c + QPointF(0, 3));
    p.setPen(QPen(color, 2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(c - QPointF(3, 0), c + QPointF(3, 0));
    p.drawLine(c - QPointF(0, 3), c + QPointF(0, 3));
}

void cross(QPainter &p, QPointF c, qreal s = 2.8)
{
    p.setPen(QPen(Qt::white, 4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(c - QPointF(s, s), c + QPointF(s, s));
    p.drawLine(c + QPointF(-s, s), c + QPointF(s, -s));
    p.setPen(QPen(red, 2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(c - QPointF(s, s), c + QPointF(s, s));
    p.drawLine(c + QPointF(-s, s), c + QPointF(s, -s));
}

void pencil(QPainter &p)
{
    QPainterPath body;
    body.moveTo(7, 15);
    body.lineTo(8, 12);
    body.lineTo(14, 6);
    body.lineTo(16, 8);
    body.lineTo(10, 14);
    body.closeSubpath();
    p.setPen(QPen(outline, 0.8));
    p.setBrush(QColor(240, 170, 40));
    p.drawPath(body);
    p.setBrush(QColor(60, 60, 60));
    QPainterPath tip;
    tip.moveTo(7, 15);
    tip.lineTo(7.6, 13.2);
    tip.lineTo(8.8, 14.4);
    tip.closeSubpath();
    p.drawPath(tip);
}

void magnifier(QPainter &p, QPointF c, qreal r)
{
    p.setPen(QPen(QColor(90, 60, 30), 2.4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(c + QPointF(r * 0.7, r * 0.7), c + QPointF(r * 1.9, r * 1.9));
    p.setPen(QPen(outline, 1.2));
    p.setBrush(QColor(200, 225, 255));
    p.drawEllipse(c, r, r);
    p.setPen(QPen(Qt::white, 1));
    p.drawArc(QRectF(c.x() - r + 1.5, c.y() - r + 1.5, 2 * r - 3, 2 * r - 3), 100 * 16, 60 * 16);
}

void book(QPainter &p, const QColor &cover, const QString &mark = QString())
{
    p.setPen(QPen(outline, 0.8));
    p.setBrush(paper);
    p.drawRect(QRectF(4, 2, 10, 12.5));
    p.setBrush(cover);
    p.drawRect(QRectF(2.5, 1.5, 10, 12.5));
    p.setPen(QPen(cover.darker(150), 1));
    p.drawLine(QPointF(4, 2), QPointF(4, 13.5));
    if (!mark.isEmpty()) {
        QFont f(QStringLiteral("Liberation Sans"));
        f.setPixelSize(9);
        f.setBold(true);
        p.setFont(f);
        p.setPen(Qt::white);
        p.drawText(QRectF(4, 2, 8.5, 12), Qt::AlignCenter, mark);
    }
}

void list(QPainter &p)
{
    p.setPen(QPen(outline, 0.8));
    p.setBrush(paper);
    p.drawRect(QRectF(1.5, 1.5, 10, 12));
    p.setPen(QPen(QColor(80, 80, 80), 1));
    for (qreal y = 4.5; y < 13; y += 2.5) {
        p.drawLine(QPointF(3.5, y), QPointF(4.5, y));
        p.drawLine(QPointF(6, y), QPointF(10, y));
    }
}

void arrowRight(QPainter &p, QPointF tip, const QColor &color = blue)
{
    QPainterPath a;
    a.moveTo(tip);
    a.lineTo(tip + QPointF(-4, -3.5));
    a.lineTo(tip + QPointF(-4, -1.5));
    a.lineTo(tip + QPointF(-8, -1.5));
    a.lineTo(tip + QPointF(-8, 1.5));
    a.lineTo(tip + QPointF(-4, 1.5));
    a.lineTo(tip + QPointF(-4, 3.5));
    a.closeSubpath();
    p.setPen(QPen(Qt::white, 0.8));
    p.setBrush(color);
    p.drawPath(a);
}

void treeLines(QPainter &p, bool expanded)
{
    p.setPen(QPen(QColor(120, 120, 120), 1, Qt::DotLine));
    p.drawLine(QPointF(4.5, 7), QPointF(4.5, 14.5));
    p.drawLine(QPointF(4.5, 10.5), QPointF(9, 10.5));
    p.drawLine(QPointF(4.5, 14.5), QPointF(9, 14.5));
    p.setPen(QPen(outline, 0.8));
    p.setBrush(paper);
    p.drawRect(QRectF(1, 1, 7, 7));
    p.setPen(QPen(Qt::black, 1.2));
    p.drawLine(QPointF(2.5, 4.5), QPointF(6.5, 4.5));
    if (!expanded)
        p.drawLine(QPointF(4.5, 2.5), QPointF(4.5, 6.5));
    p.setPen(QPen(outline, 0.8));
    p.setBrush(QColor(240, 200, 80));
    p.drawRect(QRectF(9.5, 8.5, 5.5, 4));
    p.drawRect(QRectF(9.5, 12.8, 5.5, 2.7));
}

// One painter for every picture of the image list.

void paintAddNote(QPainter &p)
{
    note(p);
    plus(p, {12, 12});
}

void paintEditNote(QPainter &p)
{
    note(p);
    pencil(p);
}

void paintDeleteNote(QPainter &p)
{
    note(p);
    cross(p, {12, 12});
}

void paintFindMaterial(QPainter &p)
{
    magnifier(p, {6.5, 6.5}, 4.5);
}

void paintShowMaterial(QPainter &p)
{
    sheet(p, {5, 1, 10, 14});
    arrowRight(p, {9.5, 9});
}

void paintNotesFilter(QPainter &p)
{
    QPainterPath funnel;
    funnel.moveTo(1, 2);
    funnel.lineTo(13, 2);
    funnel.lineTo(8.5, 8);
    funnel.lineTo(8.5, 14);
    funnel.lineTo(5.5, 12.5);
    funnel.lineTo(5.5, 8);
    funnel.closeSubpath();
    p.setPen(QPen(outline, 0.8));
    p.setBrush(QColor(90, 150, 230));
    p.drawPath(funnel);
    p.setBrush(noteYellow);
    p.drawRect(QRectF(10, 9, 5.5, 6));
}

void paintExpandChapter(QPainter &p)
{
    treeLines(p, false);
}

void paintCollapseChapter(QPainter &p)
{
    treeLines(p, true);
}

void paintOptions(QPainter &p)
{
    p.setPen(QPen(outline, 0.8));
    p.setBrush(QColor(170, 170, 180));
    for (int i = 0; i < 8; ++i) {
        p.save();
        p.translate(8, 8);
        p.rotate(i * 45);
        p.drawRect(QRectF(-1.5, -7.5, 3, 3));
        p.restore();
    }
    p.drawEllipse(QPointF(8, 8), 5.2, 5.2);
    p.setBrush(paper);
    p.drawEllipse(QPointF(8, 8), 2, 2);
}

void paintHomePage(QPainter &p)
{
    QPainterPath roof;
    roof.moveTo(1, 8);
    roof.lineTo(8, 1.5);
    roof.lineTo(15, 8);
    roof.closeSubpath();
    p.setPen(QPen(outline, 0.8));
    p.setBrush(QColor(200, 60, 40));
    p.drawPath(roof);
    p.setBrush(QColor(250, 235, 200));
    p.drawRect(QRectF(3, 8, 10, 7));
    p.setBrush(QColor(120, 80, 40));
    p.drawRect(QRectF(6.5, 10, 3, 5));
}

void paintHelp(QPainter &p)
{
    book(p, blue, QStringLiteral("?"));
}

void paintSendMail(QPainter &p)
{
    p.setPen(QPen(outline, 0.8));
    p.setBrush(paper);
    p.drawRect(QRectF(1, 3.5, 14, 9.5));
    p.drawLine(QPointF(1, 3.5), QPointF(8, 9));
    p.drawLine(QPointF(15, 3.5), QPointF(8, 9));
}

void paintHelpTopic(QPainter &p)
{
    QPainterPath arrow;
    arrow.moveTo(1, 1);
    arrow.lineTo(1, 12);
    arrow.lineTo(3.8, 9.4);
    arrow.lineTo(6, 14);
    arrow.lineTo(7.8, 13.2);
    arrow.lineTo(5.6, 8.6);
    arrow.lineTo(9, 8.4);
    arrow.closeSubpath();
    p.setPen(QPen(Qt::black, 0.8));
    p.setBrush(paper);
    p.drawPath(arrow);
    QFont f(QStringLiteral("Liberation Sans"));
    f.setPixelSize(10);
    f.setBold(true);
    p.setFont(f);
    p.setPen(blue);
    p.drawText(QRectF(8, 0, 8, 11), Qt::AlignCenter, QStringLiteral("?"));
}

void paintCustomerService(QPainter &p)
{
    sheet(p, {1, 1, 10, 14});
    p.setPen(QPen(outline, 0.8));
    p.setBrush(QColor(240, 190, 150));
    p.drawEllipse(QPointF(12, 7.5), 2.2, 2.2);
    p.setBrush(blue);
    p.drawChord(QRectF(8.5, 10, 7, 8), 0, 180 * 16);
}

void paintAbout(QPainter &p)
{
    p.setPen(QPen(blue.darker(130), 0.8));
    p.setBrush(blue);
    p.drawEllipse(QPointF(8, 8), 6.8, 6.8);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(8, 4.6), 1.2, 1.2);
    p.drawRect(QRectF(7, 6.8, 2, 5.6));
}

void paintStandardsInfo(QPainter &p)
{
    book(p, QColor(150, 40, 40), QStringLiteral("N"));
}

void paintEditOwnMaterial(QPainter &p)
{
    sheet(p, {1, 1, 10, 14}, ownGreen);
    pencil(p);
}

void paintNewOwnMaterial(QPainter &p)
{
    sheet(p, {1, 1, 10, 14}, ownGreen);
    plus(p, {12, 12});
}

void paintDeleteOwnMaterial(QPainter &p)
{
    sheet(p, {1, 1, 10, 14}, ownGreen);
    cross(p, {12, 12});
}

void paintCopyToOwn(QPainter &p)
{
    sheet(p, {1, 1, 9, 11});
    sheet(p, {6, 4.5, 9, 11}, ownGreen);
}

void paintPrint(QPainter &p)
{
    p.setPen(QPen(outline, 0.8));
    p.setBrush(paper);
    p.drawRect(QRectF(4, 1, 8, 6));
    p.setBrush(QColor(190, 190, 195));
    p.drawRoundedRect(QRectF(1, 6, 14, 6), 1, 1);
    p.setBrush(paper);
    p.drawRect(QRectF(4, 10, 8, 5));
    p.setPen(QPen(green, 1.2));
    p.drawPoint(QPointF(13, 8));
}

void paintSearchFind(QPainter &p)
{
    sheet(p, {1, 1, 10, 13});
    magnifier(p, {9, 9}, 3.5);
}

void paintSearchShow(QPainter &p)
{
    list(p);
    arrowRight(p, {15.5, 11}, green);
}

void paintSearchAdd(QPainter &p)
{
    list(p);
    plus(p, {12, 12});
}

void paintSearchDelete(QPainter &p)
{
    list(p);
    cross(p, {12, 12});
}

void paintSearchChange(QPainter &p)
{
    list(p);
    pencil(p);
}

void paintSearchLoadAll(QPainter &p)
{
    list(p);
    QPainterPath a;
    a.moveTo(12.5, 15.5);
    a.lineTo(9, 11.5);
    a.lineTo(11.3, 11.5);
    a.lineTo(11.3, 7);
    a.lineTo(13.7, 7);
    a.lineTo(13.7, 11.5);
    a.lineTo(16, 11.5);
    a.closeSubpath();
    p.setPen(QPen(Qt::white, 0.8));
    p.setBrush(blue);
    p.drawPath(a);
}

void paintSearchDeleteAll(QPainter &p)
{
    list(p);
    cross(p, {10, 11}, 2.2);
    cross(p, {13.2, 12.8}, 2.2);
}

void paintSearchSelect(QPainter &p)
{
    list(p);
    p.setPen(QPen(Qt::white, 3.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(QPolygonF({{8.5, 11}, {11, 14}, {15, 7.5}}));
    p.setPen(QPen(green, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(QPolygonF({{8.5, 11}, {11, 14}, {15, 7.5}}));
}

void paintSearchStandard(QPainter &p)
{
    list(p);
    p.setPen(QPen(blue, 1.6));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(8.5, 8.5, 6.5, 6.5), 90 * 16, 270 * 16);
    p.setBrush(blue);
    p.setPen(Qt::NoPen);
    p.drawPolygon(QPolygonF({{11.7, 6.8}, {11.7, 10.4}, {14.2, 8.6}}));
}

// The painters in image-list order.
using Painter = void (*)(QPainter &);
const Painter painters[] = {
    paintAddNote,
    paintEditNote,
    paintDeleteNote,
    paintFindMaterial,
    paintShowMaterial,
    paintNotesFilter,
    paintExpandChapter,
    paintCollapseChapter,
    paintOptions,
    paintHomePage,
    paintHelp,
    paintSendMail,
    paintHelpTopic,
    paintCustomerService,
    paintAbout,
    paintStandardsInfo,
    paintEditOwnMaterial,
    paintNewOwnMaterial,
    paintDeleteOwnMaterial,
    paintCopyToOwn,
    paintPrint,
    paintSearchFind,
    paintSearchShow,
    paintSearchAdd,
    paintSearchDelete,
    paintSearchChange,
    paintSearchLoadAll,
    paintSearchDeleteAll,
    paintSearchSelect,
    paintSearchStandard,
};
static_assert(std::size(painters) == mainImageCount, "one painter for every image-list number");

void draw(QPainter &p, int index)
{
    painters[index](p);
}

} // namespace

QIcon mainImage(int index)
{
    if (index < 0 || index >= mainImageCount)
        return {};
    static QHash<int, QIcon> cache;
    if (auto it = cache.constFind(index); it != cache.constEnd())
        return it.value();
    QIcon icon;
    for (int size : {16, 20, 24, 32, 48}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        p.scale(size / 16.0, size / 16.0);
        draw(p, index);
        p.end();
        icon.addPixmap(pixmap);
    }
    cache.insert(index, icon);
    return icon;
}

} // namespace orv::app
