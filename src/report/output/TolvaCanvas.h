#pragma once
// The drawing canvas of the report output: a QPainter with the report's fixed font
// resolution (100 pixels per inch), pens and brushes in the templates' terms, and the
// shapes, pictures and barcodes that output items draw.

#include "report/model/ReportElement.h"
#include "report/model/TextLayoutCanvas.h"

#include <QImage>
#include <QRect>

class QPainter;

namespace orv {

// Pen styles of the templates.
enum TPenStyle : int { psSolid = 0, psDash = 1, psDot = 2, psDashDot = 3, psDashDotDot = 4,
                       psClear = 5, psInsideFrame = 6 };
// Brush styles of the templates.
enum TBrushStyle : int { bsSolid = 0, bsClear = 1, bsHorizontal = 2, bsVertical = 3,
                         bsFDiagonal = 4, bsBDiagonal = 5, bsCross = 6, bsDiagCross = 7 };

class TTolvaCanvas : public TTextCanvas {
public:
    explicit TTolvaCanvas(QPainter *painter, int fontResolution = 100);

    // Pen of the given width in device units (0 is one device pixel, cosmetic).
    void setPen(int style, TColor color, int width);
    void setClearPen();
    void setBrush(int style, TColor color);
    void setClearBrush();

    void drawLine(int x1, int y1, int x2, int y2);
    void drawRectangle(const QRect &r);           // left, top, right, bottom as corners
    void drawRoundRect(const QRect &r, int diameter);
    void drawEllipse(const QRect &r);
    // Stretches the picture into the rectangle given by its corners (right and bottom
    // exclusive). A null picture draws nothing.
    void stretchPicture(const QImage &picture, int left, int top, int right, int bottom);

    // Text with its baseline centred on the point, rotated counter-clockwise by
    // angle degrees, each character advancing by its own unrotated width; clipped to clip.
    void drawRotatedText(const QString &text, const TTextFont &font, int angle,
                         const QPoint &centre, const QRect &clip);
};

QColor toColor(TColor color);

} // namespace orv
