#include "report/designer/Pravitko.h"

#include "report/designer/DesignerHost.h"
#include "report/designer/DesignerSheet.h"
#include "report/output/ReportUnits.h"

#include <QPainter>

#include <climits>
#include <cmath>

namespace orv {

TRulerScale rulerScale(int unit)
{
    switch (unit) {
    case 1: return {50, 100, 100};   // 0,1 mm: a tick every 5 mm, centimetres labelled
    case 2: return {10, 60, 10};     // 0,1 pica
    case 3: return {10, 100, 1};     // points
    case 4: return {20, 100, 100};   // 10 twips
    default: return {20, 100, 100};  // 0,01 inch
    }
}

TPravitko::TPravitko(Qt::Orientation orientation, TPapir *paper, QWidget *parent)
    : QWidget(parent), m_orientation(orientation), m_paper(paper)
{
    if (orientation == Qt::Vertical)
        setFixedWidth(kThickness);
    else
        setFixedHeight(kThickness);
}

QSize TPravitko::sizeHint() const
{
    return m_orientation == Qt::Vertical ? QSize(kThickness, 100) : QSize(100, kThickness);
}

void TPravitko::forEachSegment(const std::function<void(int, int)> &f) const
{
    // The paper's origin in this ruler's pixels (the paper scrolls under the ruler).
    const QPoint origin = mapFromGlobal(m_paper->mapToGlobal(QPoint(0, 0)));
    if (m_orientation == Qt::Horizontal) {
        if (!m_paper->bands().empty())
            f(origin.x(), m_paper->bands().front()->sheetWidth());
        return;
    }
    for (TOddil *b : m_paper->bands())
        f(origin.y() + b->y(), b->sectionHeight());
}

QList<TPravitko::Label> TPravitko::labels() const
{
    QList<Label> out;
    const int unit = m_paper->host()->displayUnit();
    const TRulerScale sc = rulerScale(unit);
    const double z = m_paper->host()->zoomFactor();
    const double factor = UnitFactor(unit);
    forEachSegment([&](int origin, int hundredths) {
        const int length = int(std::floor(hundredths * factor + 1e-9));
        for (int v = 0; v <= length; v += sc.Step)
            if (v % sc.Major == 0)
                out << Label{origin + int(std::lround(v / factor * z)),
                             QString::asprintf("%d", v / sc.Divisor)};
    });
    return out;
}

void TPravitko::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Button));
    const bool vertical = m_orientation == Qt::Vertical;
    const int unit = m_paper->host()->displayUnit();
    const TRulerScale sc = rulerScale(unit);
    const double z = m_paper->host()->zoomFactor();
    const double factor = UnitFactor(unit);
    QFont f(QStringLiteral("Arial"));
    f.setPointSize(7);
    p.setFont(f);
    auto line = [&](int pos, int a, int b) {
        if (vertical)
            p.drawLine(a, pos, b, pos);
        else
            p.drawLine(pos, a, pos, b);
    };
    forEachSegment([&](int origin, int hundredths) {
        const int lengthPx = int(std::lround(hundredths * z));
        // The white strip where measuring applies.
        if (vertical)
            p.fillRect(QRect(3, origin, kThickness - 6, lengthPx), Qt::white);
        else
            p.fillRect(QRect(origin, 3, lengthPx, kThickness - 6), Qt::white);
        p.setPen(Qt::black);
        const int length = int(std::floor(hundredths * factor + 1e-9));
        int lastLabel = INT_MIN / 2;
        for (int v = 0; v <= length; v += sc.Step) {
            const int pos = origin + int(std::lround(v / factor * z));
            if (v % sc.Major != 0) {
                line(pos, 6, 10);
                continue;
            }
            line(pos, 0, 4);
            line(pos, 12, 16);
            const QString text = QString::asprintf("%d", v / sc.Divisor);
            // Labels closer than their own size would overlap: the tick alone shows there.
            const int room = vertical ? 12 : p.fontMetrics().horizontalAdvance(text) + 4;
            if (pos - lastLabel < room)
                continue;
            lastLabel = pos;
            const QRect box = vertical ? QRect(0, pos - 6, kThickness, 12)
                                       : QRect(pos - 20, 4, 40, 8);
            p.drawText(box, Qt::AlignCenter, text);
        }
    });
    // The mouse position.
    const QPoint mouse = m_paper->mousePixel();
    if (mouse.x() >= 0) {
        const QPoint at = mapFromGlobal(m_paper->mapToGlobal(mouse));
        p.setPen(Qt::red);
        line(vertical ? at.y() : at.x(), 0, kThickness);
    }
}

} // namespace orv
