#include "report/designer/SesPrvek.h"

#include "report/designer/DesignerHost.h"
#include "report/designer/DesignerSheet.h"
#include "report/model/Bridge.h"
#include "report/model/Expression.h"
#include "report/model/TextLayout.h"
#include "report/output/OutputStore.h"
#include "report/output/Sestava.h"
#include "report/output/TolvaCanvas.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace orv {

namespace {

const QColor kMarkGrey(0x80, 0x80, 0x80);
const QColor kSilver(0xC0, 0xC0, 0xC0);

TTextCanvas &designerMeasuringCanvas()
{
    // Never destroyed: its fonts must not outlive the application's font system.
    static TTextCanvas *canvas = new TTextCanvas(100);
    return *canvas;
}

// What the designer shows of an element that has no value yet: the text a text element
// prints, the name of the field, parameter, variable or function it stands for.
QString designerText(TSestavaTyp *report, const TSiReportElement &e)
{
    switch (e.Kind) {
    case ekText:
        return e.Text;
    case ekField:
        if (!e.SourceName.isEmpty())
            return e.SourceName;
        return report ? report->FieldName(e.SourceIndex) : QString::number(e.SourceIndex);
    case ekFieldLabel: {
        const QString label = report ? report->FieldLabel(e.SourceIndex) : QString();
        return label.isEmpty() && report ? report->FieldName(e.SourceIndex) : label;
    }
    case ekParameter:
        return QStringLiteral("Parametr %1").arg(e.SourceIndex + 1);
    case ekVariable: {
        static const char *const names[] = {"Datum tisku", "Čas tisku", "Číslo řádku",
                                            "Číslo strany", "Počet stran"};
        if (e.SourceIndex >= 0 && e.SourceIndex < 5)
            return QString::fromUtf8(names[e.SourceIndex]);
        return QStringLiteral("Proměnná %1").arg(e.SourceIndex);
    }
    case ekFunction:
        if (!e.SourceName.isEmpty())
            return e.SourceName;
        if (report)
            if (const TRadekFunkce *f = report->Functions.at(e.SourceIndex))
                return f->Name;
        return QStringLiteral("Funkce %1").arg(e.SourceIndex);
    case ekBarcode:
        return SplitList(report, e.Text).value(0);
    default:
        return QString();
    }
}

} // namespace

TSesPrvek::TSesPrvek(TOddil *band, TSiReportElement *element)
    : QWidget(band), m_band(band), m_element(element)
{
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    updateGeometryFromElement();
}

TSesPrvek::~TSesPrvek() = default;

QRect TSesPrvek::elementRect() const
{
    return QRect(m_element->Left, m_element->Top, m_element->Width, m_element->Height);
}

void TSesPrvek::updateGeometryFromElement()
{
    const double z = m_band->zoom();
    const QRect g(toPixels(m_element->Left, z), toPixels(m_element->Top, z),
                  std::max(1, toPixels(m_element->Width, z)),
                  std::max(1, toPixels(m_element->Height, z)));
    if (g.size() != size())
        invalidate(false);   // the text is laid out again when the element's size changed
    setGeometry(g);
}

void TSesPrvek::invalidate(bool text)
{
    if (text)
        m_lines.reset();
    m_picture = QImage();
    m_shownOnce = false;
    update();
}

int TSesPrvek::zoneIn(QPoint p, int w, int h)
{
    auto in = [&](int x, int y) {
        return p.x() >= x && p.x() < x + 5 && p.y() >= y && p.y() < y + 5;
    };
    const int mx = (w - 5) / 2, my = (h - 5) / 2;
    if (in(w - 5, h - 5)) return 8;
    if (in(mx, h - 5)) return 7;
    if (in(0, h - 5)) return 6;
    if (in(w - 5, my)) return 5;
    if (in(0, my)) return 4;
    if (in(w - 5, 0)) return 3;
    if (in(mx, 0)) return 2;
    if (in(0, 0)) return 1;
    return 0;
}

int TSesPrvek::zoneAt(QPoint p) const
{
    TPapir *paper = m_band->paper();
    if (paper->focused() != this || paper->multiSelection())
        return 0;
    return zoneIn(p, width(), height());
}

// Element pictures are drawn on one image of the sheet by one painter and canvas. A painter
// begun on every new picture built a raster engine for it (torn down again when the picture
// was let go) and a canvas of its own measured every font afresh: after a zoom change every
// element draws its picture at once, and that was a good part of the repaint. The painter
// stays on the image between pictures; each picture draws between save() and restore(),
// from a new painter's state.
struct TPapir::PictureScratch {
    QImage image;
    QPainter painter;
    TTolvaCanvas canvas{&painter, 100};

    ~PictureScratch()
    {
        if (painter.isActive())
            painter.end();
    }
    // The painter on a transparent area of the given size at the image's corner.
    QPainter &begin(QSize size)
    {
        if (image.width() < size.width() || image.height() < size.height()) {
            if (painter.isActive())
                painter.end();
            image = QImage(std::max(size.width(), image.width()),
                           std::max(size.height(), image.height()),
                           QImage::Format_ARGB32_Premultiplied);
        }
        if (!painter.isActive())
            painter.begin(&image);
        painter.save();
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.fillRect(QRect(QPoint(), size), Qt::transparent);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        return painter;
    }
    void end() { painter.restore(); }
};

TPapir::PictureScratch &TPapir::pictureScratch()
{
    if (!m_pictureScratch)
        m_pictureScratch = std::make_shared<PictureScratch>();
    return *m_pictureScratch;
}

// The element drawn as the output draws it, at the control's size. A picture is kept only
// when the control is painted with it a second time: after a zoom change every element is
// drawn at once, and copying every picture out of the scratch image cost as much as drawing
// its text, while most of them are not painted again before the next change (a sheet is
// looked at, scrolled, zoomed again; only what lies under a change is repainted). Shown
// straight from the scratch image, the picture's pixels are the same.
void TSesPrvek::paintPicture(QPainter &p)
{
    if (!m_picture.isNull()) {
        p.drawImage(0, 0, m_picture);
        return;
    }
    const TSiReportElement &e = *m_element;
    // An element 0 or 1 wide or high has nothing to draw in: only its outline shows.
    if (e.Width <= 1 || e.Height <= 1)
        return;
    const QSize size(std::max(1, width()), std::max(1, height()));
    TPapir::PictureScratch &scratch = m_band->paper()->pictureScratch();
    drawPicture(scratch.begin(size), scratch.canvas, size);
    scratch.end();
    const QRect area(QPoint(), size);
    if (m_shownOnce)
        m_picture = scratch.image.copy(area);
    m_shownOnce = true;
    p.drawImage(QPoint(), scratch.image, area);
}

void TSesPrvek::drawPicture(QPainter &painter, TTolvaCanvas &canvas, QSize size)
{
    const TSiReportElement &e = *m_element;
    const double z = m_band->zoom();
    TSestavaTyp *report = m_band->paper()->report();
    painter.setRenderHint(QPainter::TextAntialiasing);

    if (e.Kind == ekDetail) {
        painter.fillRect(QRect(QPoint(), size), QBrush(Qt::black, Qt::DiagCrossPattern));
        return;
    }
    // The item of an output page that this element would give, at the control's origin.
    // Pictures fill the whole rectangle; everything else keeps its right and bottom lines
    // inside the control.
    const bool pictureKind = e.Kind == ekPicture || e.Kind == ekPaintBox
                             || (e.Kind == ekField && !e.Picture.isNull());
    // A drawing area is always shown stretched to the element.
    TSiReportElement paintBox;
    TSiReportElement *drawn = m_element;
    if (e.Kind == ekPaintBox) {
        paintBox = e;
        paintBox.Flags |= efStretch;
        drawn = &paintBox;
    }
    TVystPrvek item(drawn, 0, 0, pictureKind ? e.Width : e.Width - 1,
                    pictureKind ? e.Height : e.Height - 1);
    const bool textKind = isTextKind(e.Kind) || e.Kind == ekBarcode;
    if (e.Kind == ekField && !e.Picture.isNull()) {
        item.SetPicture(e.Picture);
    } else if (e.Kind == ekPicture || e.Kind == ekPaintBox) {
        QImage pic = e.Picture;
        if (pic.isNull() && report && e.Kind == ekPicture) {
            for (const QString &name : SplitList(report, e.Text))
                if (report->LoadPicture(name, pic))
                    break;
        }
        if (pic.isNull())
            return;
        item.SetPicture(pic);
    } else if (textKind) {
        // Text is drawn without a background of its own, as the page prints it: what lies
        // under the element (a filled frame, the band's grid) shows through.
        TTextFont font = textFontOf(e.Font);
        double letterSpacing = e.LetterSpacing;
        double lineHeight = report ? report->LineHeight : 0.0;
        if (e.Font.Name.startsWith(QStringLiteral("Roman "))) {
            const int cpi = RomanFontCpi(e.Font.Name);
            ReplaceRomanFont(font);
            letterSpacing = 100.0 / (cpi > 0 ? cpi : 10);
            lineHeight = 100.0 / 6.0;
        }
        bool wrap = e.isMultiLine();
        if (e.Kind == ekField && report && isMemoType(report->FieldDataType(e.SourceIndex)))
            wrap = true;
        if (!m_lines || m_linesFor != QSize(e.Width, e.Height)) {
            m_lines = std::make_unique<TRadky>();
            m_linesFor = QSize(e.Width, e.Height);
            LayoutText(designerMeasuringCanvas(), QRect(0, 0, e.Width, e.Height),
                       designerText(report, e), *m_lines, wrap, lineHeight, letterSpacing,
                       e.effectiveAlignment(), font, e.isRtf());
        }
        int h = 0, last = -1;
        LinesThatFit(*m_lines, 0, e.Height, h, last);
        item.FirstLine = 0;
        item.LastLine = std::min(std::max(last, 0), m_lines->count() - 1);
        item.Lines = std::move(m_lines);   // lent to the item while it is drawn
    }
    if (e.Kind == ekBarcode) {
        // Bars are as wide as on a page: drawn at the page image's resolution (6 units per
        // hundredth) and scaled down, since a module narrower than a screen pixel would
        // otherwise fall back to the encoder's default width.
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(1.0 / 6, 1.0 / 6);
        DrawOutputItem(canvas, item, 6 * z, {});
    } else {
        DrawOutputItem(canvas, item, z, {});
    }
    if (item.Lines)
        m_lines = std::move(item.Lines);
}

namespace {

// A one-pixel frame as four filled strips: the same pixels as a rectangle drawn with a
// one-pixel pen, without the pen's stroking, which cost more than the element's picture.
void outline(QPainter &p, const QRect &r, const QColor &color)
{
    if (r.width() <= 2 || r.height() <= 2) {
        p.fillRect(r, color);
        return;
    }
    p.fillRect(r.left(), r.top(), r.width(), 1, color);
    p.fillRect(r.left(), r.bottom(), r.width(), 1, color);
    p.fillRect(r.left(), r.top() + 1, 1, r.height() - 2, color);
    p.fillRect(r.right(), r.top() + 1, 1, r.height() - 2, color);
}

} // namespace

void TSesPrvek::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    paintPicture(p);
    TPapir *paper = m_band->paper();
    const int w = width(), h = height();
    if (m_selected && paper->multiSelection()) {
        outline(p, QRect(0, 0, w, h), kMarkGrey);
        const bool focused = paper->focused() == this;
        const QPoint corners[] = {{0, 0}, {w - 5, 0}, {0, h - 5}, {w - 5, h - 5}};
        for (const QPoint &c : corners) {
            if (focused)
                p.fillRect(c.x(), c.y(), 5, 5, kMarkGrey);
            else
                outline(p, QRect(c.x(), c.y(), 5, 5), kMarkGrey);
        }
    } else if (paper->focused() == this) {
        outline(p, QRect(0, 0, w, h), kMarkGrey);
        const int mx = (w - 5) / 2, my = (h - 5) / 2;
        const QPoint grips[] = {{0, 0}, {mx, 0}, {w - 5, 0}, {0, my}, {w - 5, my},
                                {0, h - 5}, {mx, h - 5}, {w - 5, h - 5}};
        for (const QPoint &g : grips)
            p.fillRect(g.x(), g.y(), 5, 5, kMarkGrey);
    } else if (m_element->Kind != ekDetail || m_element->Width <= 1 || m_element->Height <= 1) {
        outline(p, QRect(0, 0, w, h), kSilver);
    }
}

void TSesPrvek::updateCursor(QPoint pos)
{
    TPapir *paper = m_band->paper();
    TDesignerHost *host = paper->host();
    if (host->toolKind() != 0 || host->pastePending()) {
        setCursor(m_band->cursor());
        return;
    }
    if (m_selected && paper->multiSelection()) {
        setCursor(Qt::SizeAllCursor);
        return;
    }
    if (paper->focused() != this) {
        setCursor(Qt::ArrowCursor);
        return;
    }
    static const Qt::CursorShape shapes[] = {
        Qt::SizeAllCursor, Qt::SizeFDiagCursor, Qt::SizeVerCursor, Qt::SizeBDiagCursor,
        Qt::SizeHorCursor, Qt::SizeHorCursor,  Qt::SizeBDiagCursor, Qt::SizeVerCursor,
        Qt::SizeFDiagCursor};
    setCursor(shapes[zoneAt(pos)]);
}

void TSesPrvek::mousePressEvent(QMouseEvent *ev)
{
    if (ev->button() != Qt::LeftButton)
        return;
    TPapir *paper = m_band->paper();
    TDesignerHost *host = paper->host();
    const Qt::KeyboardModifiers mods = ev->modifiers();
    if ((mods & Qt::ShiftModifier) || host->toolKind() != 0 || host->pastePending()) {
        QMouseEvent forwarded(ev->type(), mapTo(m_band, ev->position().toPoint()),
                              ev->globalPosition(), ev->button(), ev->buttons(), mods);
        m_band->mousePressEvent(&forwarded);
        return;
    }
    paper->pressOnControl(this, ev->position().toPoint(), mods);
}

void TSesPrvek::mouseMoveEvent(QMouseEvent *ev)
{
    TPapir *paper = m_band->paper();
    const QPoint bandPoint = mapTo(m_band, ev->position().toPoint());
    if (paper->m_dragControl == this) {
        paper->dragTo(bandPoint, ev->modifiers());
        return;
    }
    if (m_band->m_rubberActive || m_band->m_placing || m_band->m_heightDrag) {
        QMouseEvent forwarded(ev->type(), bandPoint, ev->globalPosition(), ev->button(),
                              ev->buttons(), ev->modifiers());
        m_band->mouseMoveEvent(&forwarded);
        return;
    }
    updateCursor(ev->position().toPoint());
    m_band->showMousePosition(bandPoint);
}

void TSesPrvek::mouseReleaseEvent(QMouseEvent *ev)
{
    TPapir *paper = m_band->paper();
    if (paper->m_dragControl == this) {
        paper->endDrag();
        return;
    }
    if (m_band->m_rubberActive || m_band->m_placing || m_band->m_heightDrag) {
        QMouseEvent forwarded(ev->type(), mapTo(m_band, ev->position().toPoint()),
                              ev->globalPosition(), ev->button(), ev->buttons(),
                              ev->modifiers());
        m_band->mouseReleaseEvent(&forwarded);
    }
}

void TSesPrvek::mouseDoubleClickEvent(QMouseEvent *ev)
{
    if (ev->button() != Qt::LeftButton)
        return;
    TPapir *paper = m_band->paper();
    paper->endDrag();
    paper->host()->openElementDialog(m_element);
}

} // namespace orv
