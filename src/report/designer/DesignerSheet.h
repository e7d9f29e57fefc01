#pragma once
// The designer's sheet: the report's visible sections stacked as bands (TOddil) on the paper
// (TPapir) in a scroll box, each band carrying the controls (TSesPrvek) of its elements, with
// rulers (TPravitko) at the left and top. The sheet edits the report's model in place and
// tells the window through TDesignerHost.

#include <QImage>
#include <QList>
#include <QPair>
#include <QPoint>
#include <QRect>
#include <QScrollArea>
#include <QString>
#include <QWidget>

#include <memory>
#include <vector>

class QRubberBand;

namespace orv {

class TDesignerHost;
class TOddilSestavy;
class TPravitko;
class TSesPrvek;
class TSestavaTyp;
class TSiReportElement;
class TPapir;

// Height of a band's caption strip in pixels.
constexpr int kBandCaptionHeight = 16;
// Smallest element width and height, smallest section height (hundredths of an inch).
constexpr int kMinElementSize = 3;
constexpr int kMinSectionHeight = 14;

// Template length to pixels and back at zoom z: round half to even.
int toPixels(int hundredths, double z);
int toHundredths(int pixels, double z);

// The position field's text for a point in hundredths of an inch in the display unit:
// "[ 1.23; 0.50] inch", "... cm", "... pica", "... point", "... twip".
QString formatDesignerPosition(int x, int y, int unit);

// One visible section of the report.
class TOddil : public QWidget {
    Q_OBJECT
public:
    TOddil(TPapir *paper, TOddilSestavy *section);

    TOddilSestavy *section() const { return m_section; }
    TPapir *paper() const { return m_paper; }
    // Width and height of the element area in hundredths of an inch.
    int sheetWidth() const;
    int sectionHeight() const;
    // Whether moves and sizes snap to the grid, and the grid steps (never below 1).
    bool snaps() const;
    int gridX() const;
    int gridY() const;
    double zoom() const;

    const std::vector<TSesPrvek *> &controls() const { return m_controls; }
    TSesPrvek *controlOf(const TSiReportElement *e) const;
    // Height of the element area in pixels; the caption strip follows it.
    int areaHeight() const;
    // Whether a point of the band lies in the part of the caption strip that drags the
    // section's height.
    bool inHeightGrip(QPoint p) const;

    // Lays the controls out again (after a zoom change or a change of elements).
    void relayout();
    // Creates the control of an element appended to the section.
    TSesPrvek *addControl(TSiReportElement *e);

protected:
    void paintEvent(QPaintEvent *) override;
    void mousePressEvent(QMouseEvent *) override;
    void mouseMoveEvent(QMouseEvent *) override;
    void mouseReleaseEvent(QMouseEvent *) override;
    void mouseDoubleClickEvent(QMouseEvent *) override;
    void leaveEvent(QEvent *) override;

private:
    friend class TSesPrvek;
    friend class TPapir;
    // Places the tool's element (or the pasted group) at the point; a dragged size (pixels,
    // empty for a click) gives a new element its width and height.
    void placeAt(QPoint pixel, Qt::KeyboardModifiers mods, QSize dragged = QSize());
    void showMousePosition(QPoint p);

    TPapir *m_paper;
    TOddilSestavy *m_section;
    std::vector<TSesPrvek *> m_controls;   // printing order
    QRubberBand *m_rubber = nullptr;
    QPoint m_rubberStart;
    bool m_rubberActive = false;
    bool m_placing = false;   // an insertion tool's size is being dragged
    bool m_heightDrag = false;
    int m_heightStartY = 0;
    int m_heightStart = 0;
};

// The paper: the bands stacked in report order.
class TPapir : public QWidget {
    Q_OBJECT
public:
    TPapir(TDesignerHost *host, QWidget *parent = nullptr);

    TDesignerHost *host() const { return m_host; }
    TSestavaTyp *report() const { return m_report; }

    // Builds the bands and controls of the report's visible sections; the selection is
    // cleared.
    void build(TSestavaTyp *report);
    // Builds again after the model was replaced (undo, redo, settings dialogs): the focused
    // and selected elements are found again by section and position in the section.
    void rebuild();
    // Sizes and places every band and control for the host's zoom factor.
    void relayout();
    // Repaints everything (after a change of the grid or display settings).
    void refresh();
    // After the window changed an element's attributes or rectangle.
    void elementChanged(TSiReportElement *e);

    const std::vector<TOddil *> &bands() const { return m_bands; }
    TOddil *bandOf(const TOddilSestavy *section) const;
    TSesPrvek *controlOf(const TSiReportElement *e) const;

    // --- selection
    TSesPrvek *focused() const { return m_focused; }
    TSiReportElement *focusedElement() const;
    // The section of the focused element's band, or null.
    TOddilSestavy *focusedSection() const;
    // The selected elements, the focused one included, in band and printing order.
    QList<TSesPrvek *> selection() const;
    QList<TSiReportElement *> selectedElements() const;
    int selectedCount() const { return m_selectedCount; }
    // Whether more than one element is selected (the focused one shows corner marks only).
    bool multiSelection() const { return m_selectedCount > 1; }
    // Makes the element focused; without add the selection is cleared first.
    void select(TSiReportElement *e, bool add = false);
    void setSelected(TSesPrvek *c, bool on);
    void setFocused(TSesPrvek *c);
    void toggle(TSesPrvek *c);
    void clearSelection();

    // Moves (or with resize, resizes) the focused and selected elements by one key step.
    void keyStep(int key, Qt::KeyboardModifiers mods);

    // The vertical ruler's band under the mouse and the mouse position there (pixels),
    // -1 when the mouse is not over the sheet; used by the rulers.
    QPoint mousePixel() const { return m_mousePixel; }
    TOddil *mouseBand() const { return m_mouseBand; }

    QSize sizeHint() const override;

    // The image, painter and canvas the elements draw their pictures with, one for the
    // whole sheet (see TSesPrvek::paintPicture).
    struct PictureScratch;
    PictureScratch &pictureScratch();

signals:
    // The mouse moved over the sheet (paper pixels) or left it (-1, -1).
    void mouseTracked(QPoint paperPixel);
    void layoutChanged();

protected:
    void keyPressEvent(QKeyEvent *) override;
    void paintEvent(QPaintEvent *) override;

private:
    friend class TOddil;
    friend class TSesPrvek;
    void trackMouse(TOddil *band, QPoint bandPixel);
    void notifySelection();
    void showGeometryOf(TSesPrvek *c, bool position, bool size);
    void pressOnControl(TSesPrvek *c, QPoint p, Qt::KeyboardModifiers mods);
    void dragTo(QPoint bandPoint, Qt::KeyboardModifiers mods);
    void endDrag();
    void setElementRect(TSesPrvek *c, const QRect &r);

    // Drag of the focused element (and the selection with it).
    TSesPrvek *m_dragControl = nullptr;
    QPoint m_dragStart;                       // band pixels
    int m_dragZone = 0;
    bool m_pressInMulti = false;
    QList<QPair<TSesPrvek *, QRect>> m_dragStartRects;

    TDesignerHost *m_host;
    TSestavaTyp *m_report = nullptr;
    QImage m_background;                      // the template's background picture
    std::vector<TOddil *> m_bands;
    TSesPrvek *m_focused = nullptr;
    int m_selectedCount = 0;
    QPoint m_mousePixel{-1, -1};
    TOddil *m_mouseBand = nullptr;
    // Alignment guides shown during a drag: band pixels, x (vertical lines) and y.
    friend class TDesignerGuidesOverlay;
    TOddil *m_guideBand = nullptr;
    QList<int> m_guideX, m_guideY;
    std::shared_ptr<PictureScratch> m_pictureScratch;
};

// The scroll box of the paper; it reports its scroll positions to the rulers.
class TScrollBoxTolva : public QScrollArea {
    Q_OBJECT
public:
    explicit TScrollBoxTolva(QWidget *parent = nullptr);
};

// The whole sheet area the window places: the rulers, the scroll box and the paper.
class TDesignerSheet : public QWidget {
    Q_OBJECT
public:
    explicit TDesignerSheet(TDesignerHost *host, QWidget *parent = nullptr);

    TPapir *paper() const { return m_paper; }
    TScrollBoxTolva *scrollBox() const { return m_scroll; }
    TPravitko *leftRuler() const { return m_left; }
    TPravitko *topRuler() const { return m_top; }

    void build(TSestavaTyp *report) { m_paper->build(report); }
    void rebuild() { m_paper->rebuild(); }
    // The host's zoom factor, display unit or settings changed: lay out and repaint.
    void zoomChanged();
    void unitChanged();
    void settingsChanged();

private:
    TDesignerHost *m_host;
    TPapir *m_paper;
    TScrollBoxTolva *m_scroll;
    TPravitko *m_left;
    TPravitko *m_top;
};

} // namespace orv
