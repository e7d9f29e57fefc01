#include "report/designer/DesignerGuides.h"

#include <cstdlib>

namespace orv {

namespace {

// The closest match on one axis: the line of another element within the threshold that is
// nearest to one of the candidate lines of the moving rectangle.
struct TAxisMatch {
    bool Found = false;
    int Shift = 0;     // to add to the candidate
    int Line = 0;      // the line it snaps to
    int Candidate = 0; // which candidate (0 leading edge, 1 trailing edge, 2 centre)
};

TAxisMatch closest(const int *candidates, const bool *use, const QList<int> &lines, int threshold)
{
    TAxisMatch best;
    for (int k = 0; k < 3; ++k) {
        if (!use[k])
            continue;
        for (int line : lines) {
            const int d = line - candidates[k];
            if (std::abs(d) > threshold)
                continue;
            if (!best.Found || std::abs(d) < std::abs(best.Shift)) {
                best.Found = true;
                best.Shift = d;
                best.Line = line;
                best.Candidate = k;
            }
        }
    }
    return best;
}

} // namespace

TGuideResult snapToGuides(const QRect &rect, const QList<QRect> &others, int zone, int threshold)
{
    TGuideResult out;
    out.Rect = rect;
    QList<int> xs, ys;
    for (const QRect &o : others) {
        xs << o.left() << o.left() + o.width() << o.left() + o.width() / 2;
        ys << o.top() << o.top() + o.height() << o.top() + o.height() / 2;
    }
    const int l = rect.left(), r = rect.left() + rect.width();
    const int t = rect.top(), b = rect.top() + rect.height();
    const int cx[3] = {l, r, l + rect.width() / 2};
    const int cy[3] = {t, b, t + rect.height() / 2};
    const bool move = zone == 0;
    const bool useX[3] = {move || zone == 1 || zone == 4 || zone == 6,
                          move || zone == 3 || zone == 5 || zone == 8, move};
    const bool useY[3] = {move || zone == 1 || zone == 2 || zone == 3,
                          move || zone == 6 || zone == 7 || zone == 8, move};
    const TAxisMatch mx = closest(cx, useX, xs, threshold);
    const TAxisMatch my = closest(cy, useY, ys, threshold);
    if (mx.Found) {
        if (move)
            out.Rect.moveLeft(l + mx.Shift);
        else if (mx.Candidate == 0)
            out.Rect.setLeft(l + mx.Shift);       // the right edge stays
        else
            out.Rect.setWidth(rect.width() + mx.Shift);
        out.LinesX << mx.Line;
    }
    if (my.Found) {
        if (move)
            out.Rect.moveTop(t + my.Shift);
        else if (my.Candidate == 0)
            out.Rect.setTop(t + my.Shift);
        else
            out.Rect.setHeight(rect.height() + my.Shift);
        out.LinesY << my.Line;
    }
    return out;
}

} // namespace orv
