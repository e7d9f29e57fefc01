#pragma once
// The sheet's control of one report element: it draws the element as it will print, at the
// designer's zoom, with the marks of the selection, and handles the mouse on the element
// (selection, moving and resizing with the grips).

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QWidget>

#include <memory>

namespace orv {

class TRadky;
class TSiReportElement;
class TOddil;
class TPapir;
class TTolvaCanvas;

class TSesPrvek : public QWidget {
    Q_OBJECT
public:
    TSesPrvek(TOddil *band, TSiReportElement *element);
    ~TSesPrvek() override;

    TSiReportElement *element() const { return m_element; }
    TOddil *band() const { return m_band; }

    bool isSelected() const { return m_selected; }
    // The grip zone (0..8) under a point of the control: 8 bottom-right, 7 bottom middle,
    // 6 bottom-left, 5 right middle, 4 left middle, 3 top-right, 2 top middle, 1 top-left,
    // 0 anywhere else. Grips count only on the focused element of a single selection.
    int zoneAt(QPoint p) const;
    static int zoneIn(QPoint p, int width, int height);

    // Places the control over the element's rectangle at the band's zoom.
    void updateGeometryFromElement();
    // Forgets the drawn picture (after a change of the zoom or the grid), and with text the
    // laid-out text as well (after a change of the element's attributes).
    void invalidate(bool text = true);

    // The element's rectangle in hundredths of an inch.
    QRect elementRect() const;

protected:
    void paintEvent(QPaintEvent *) override;
    void mousePressEvent(QMouseEvent *) override;
    void mouseMoveEvent(QMouseEvent *) override;
    void mouseReleaseEvent(QMouseEvent *) override;
    void mouseDoubleClickEvent(QMouseEvent *) override;

private:
    friend class TOddil;
    friend class TPapir;
    void updateCursor(QPoint p);
    void paintPicture(QPainter &painter);
    void drawPicture(QPainter &painter, TTolvaCanvas &canvas, QSize size);

    TOddil *m_band;
    TSiReportElement *m_element;
    bool m_selected = false;
    QImage m_picture;          // the element drawn at the control's size, once shown twice
    bool m_shownOnce = false;  // shown since it was last drawn afresh
    // The element's text laid out (independent of the zoom) and the size it was laid out for.
    std::unique_ptr<TRadky> m_lines;
    QSize m_linesFor;
    // Drag state.
    bool m_dragging = false;
    QPoint m_dragStart;        // in the band's pixels
    QRect m_startRect;         // element rectangle when the drag began
    int m_zone = 0;
};

} // namespace orv
