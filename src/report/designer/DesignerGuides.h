#pragma once
// Alignment guides: while an element is moved or resized, its edges and centre lines that
// come close to those of another element of the same band snap to them and show a line.

#include <QList>
#include <QRect>

namespace orv {

struct TGuideResult {
    QRect Rect;              // the rectangle after snapping (hundredths of an inch)
    QList<int> LinesX;       // x of the vertical guide lines shown
    QList<int> LinesY;       // y of the horizontal guide lines shown
};

// Snaps the rectangle to the others. zone is the grip zone of the drag (0 moves the whole
// rectangle: left, right and centre lines are tried; a resize tries only the edges it
// moves). threshold is in hundredths of an inch (3 screen pixels at the zoom). The closest
// line within the threshold wins on each axis; a move keeps the size, a resize keeps the
// opposite edge.
TGuideResult snapToGuides(const QRect &rect, const QList<QRect> &others, int zone,
                          int threshold);

} // namespace orv
