#include "report/designer/DesignerSheet.h"

#include "report/designer/DesignerElements.h"
#include "report/designer/DesignerGuides.h"
#include "report/designer/DesignerHost.h"
#include "report/designer/EditorSettings.h"
#include "report/designer/Pravitko.h"
#include "report/designer/SesPrvek.h"
#include "report/model/PageSetup.h"
#include "report/output/OutputStore.h"
#include "report/output/ReportUnits.h"
#include "report/output/Sestava.h"

#include <QGridLayout>
#include <QKeyEvent>
#include <QPainter>
#include <QPolygon>
#include <QRubberBand>
#include <QScrollBar>

#include <algorithm>
#include <cmath>

namespace orv {

namespace {

// The move limits: inside the band unless elements may leave it.
QRect limitMove(QRect r, int bandW, int bandH, bool outside)
{
    if (outside)
        return r;
    r.moveLeft(std::max(0, std::min(r.left(), bandW - r.width())));
    r.moveTop(std::max(0, std::min(r.top(), bandH - r.height())));
    return r;
}

// One axis of a resize: the leading edge (left or top) moved to lead, the trailing edge
// (right or bottom) fixed; or the trailing edge moved. Keeps the size at least the minimum
// and the rectangle within 0..limit.
void limitLeading(int &pos, int &size, int end)
{
    if (size < kMinElementSize) {
        size = kMinElementSize;
        pos = end - size;
    }
    if (pos < 0) {
        size += pos;
        pos = 0;
        size = std::max(size, kMinElementSize);
    }
}

void limitTrailing(int pos, int &size, int limit)
{
    size = std::max(size, kMinElementSize);
    if (pos + size > limit)
        size = std::max(kMinElementSize, limit - pos);
}

} // namespace

int toPixels(int hundredths, double z)
{
    return RoundEven(hundredths * z);
}

int toHundredths(int pixels, double z)
{
    return z > 0 ? RoundEven(pixels / z) : pixels;
}

static QString positionWithPoint(int x, int y, int unit)
{
    const double vx = ToDisplayUnits(x, unit), vy = ToDisplayUnits(y, unit);
    switch (unit) {
    case 1:
        return QString::asprintf("[%5.2f;%5.2f] cm", vx / 100, vy / 100);
    case 2:
        return QString::asprintf("[%5.1f;%5.1f] pica", vx / 10, vy / 10);
    case 3:
        return QString::asprintf("[%5.0f;%5.0f] point", vx, vy);
    case 4:
        return QString::asprintf("[%5.0f;%5.0f] twip", vx * 10, vy * 10);
    default:
        return QString::asprintf("[%5.2f;%5.2f] inch", vx / 100, vy / 100);
    }
}

QString formatDesignerPosition(int x, int y, int unit)
{
    // Czech numbers take a decimal comma, as every other number the designer shows.
    return positionWithPoint(x, y, unit).replace(u'.', u',');
}

// ====================================================================== TPapir

TPapir::TPapir(TDesignerHost *host, QWidget *parent) : QWidget(parent), m_host(host)
{
    setFocusPolicy(Qt::StrongFocus);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(0x80, 0x80, 0x80));
    setPalette(pal);
}

void TPapir::build(TSestavaTyp *report)
{
    // A drag in progress ends without being recorded: the model it moved is being replaced.
    m_dragControl = nullptr;
    m_dragStartRects.clear();
    m_focused = nullptr;
    m_selectedCount = 0;
    m_mouseBand = nullptr;
    m_guideBand = nullptr;
    for (TOddil *b : m_bands)
        delete b;
    m_bands.clear();
    m_report = report;
    m_background = QImage();
    if (report && !report->effectiveBackgroundFile().isEmpty())
        report->LoadPicture(report->effectiveBackgroundFile(), m_background);
    if (report) {
        // Report order: report and page header, group headers from the outermost, the body,
        // group footers from the innermost, report and page footer.
        std::vector<TOddilSestavy *> order{report->section(skReportHeader),
                                           report->section(skPageHeader)};
        for (int g = 0; g < report->Groups.count(); ++g)
            order.push_back(report->Groups.at(g)->GroupHeader);
        order.push_back(report->section(skBody));
        for (int g = report->Groups.count() - 1; g >= 0; --g)
            order.push_back(report->Groups.at(g)->GroupFooter);
        order.push_back(report->section(skReportFooter));
        order.push_back(report->section(skPageFooter));
        for (TOddilSestavy *s : order)
            if (s && s->Visible)
                m_bands.push_back(new TOddil(this, s));
    }
    relayout();
    for (TOddil *b : m_bands)
        b->show();
    notifySelection();
}

void TPapir::rebuild()
{
    // The selection by section and position, found again in the new model.
    QList<QPair<int, int>> selected;
    QPair<int, int> focused(-1, -1);
    if (m_report) {
        for (TOddil *b : m_bands) {
            const int si = m_report->Sections.indexOf(b->section());
            for (size_t i = 0; i < b->controls().size(); ++i) {
                TSesPrvek *c = b->controls()[i];
                if (c->isSelected())
                    selected << qMakePair(si, int(i));
                if (c == m_focused)
                    focused = qMakePair(si, int(i));
            }
        }
    }
    build(m_report);
    if (!m_report)
        return;
    auto find = [&](QPair<int, int> key) -> TSesPrvek * {
        TOddilSestavy *s = m_report->Sections.at(key.first);
        TOddil *b = s ? bandOf(s) : nullptr;
        return b && key.second >= 0 && key.second < int(b->controls().size())
                   ? b->controls()[size_t(key.second)]
                   : nullptr;
    };
    for (const auto &key : selected)
        if (TSesPrvek *c = find(key))
            setSelected(c, true);
    if (TSesPrvek *c = find(focused)) {
        setSelected(c, true);
        m_focused = c;
    }
    notifySelection();
}

void TPapir::relayout()
{
    int y = 0, w = 0;
    for (TOddil *b : m_bands) {
        const int bw = toPixels(b->sheetWidth(), b->zoom()) + 1;
        const int bh = b->areaHeight() + kBandCaptionHeight;
        b->setGeometry(0, y, bw, bh);
        b->relayout();
        y += bh;
        w = std::max(w, bw);
    }
    resize(std::max(w, 1), std::max(y, 1));
    update();
    emit layoutChanged();
}

void TPapir::refresh()
{
    // The bands' repaint takes in their controls: no control needs an update of its own.
    for (TOddil *b : m_bands) {
        for (TSesPrvek *c : b->controls()) {
            c->m_picture = QImage();
            c->m_shownOnce = false;
        }
        b->update();
    }
    emit layoutChanged();
}

void TPapir::elementChanged(TSiReportElement *e)
{
    if (TSesPrvek *c = controlOf(e)) {
        c->updateGeometryFromElement();
        c->invalidate();
    }
}

QSize TPapir::sizeHint() const
{
    return size();
}

void TPapir::paintEvent(QPaintEvent *)
{
}

TOddil *TPapir::bandOf(const TOddilSestavy *section) const
{
    for (TOddil *b : m_bands)
        if (b->section() == section)
            return b;
    return nullptr;
}

TSesPrvek *TPapir::controlOf(const TSiReportElement *e) const
{
    for (TOddil *b : m_bands)
        if (TSesPrvek *c = b->controlOf(e))
            return c;
    return nullptr;
}

TSiReportElement *TPapir::focusedElement() const
{
    return m_focused ? m_focused->element() : nullptr;
}

TOddilSestavy *TPapir::focusedSection() const
{
    return m_focused ? m_focused->band()->section() : nullptr;
}

QList<TSesPrvek *> TPapir::selection() const
{
    QList<TSesPrvek *> out;
    for (TOddil *b : m_bands)
        for (TSesPrvek *c : b->controls())
            if (c->isSelected() || c == m_focused)
                out << c;
    return out;
}

QList<TSiReportElement *> TPapir::selectedElements() const
{
    QList<TSiReportElement *> out;
    for (TSesPrvek *c : selection())
        out << c->element();
    return out;
}

void TPapir::setSelected(TSesPrvek *c, bool on)
{
    if (!c || c->m_selected == on)
        return;
    const bool wasMulti = multiSelection();
    c->m_selected = on;
    m_selectedCount += on ? 1 : -1;
    // Going to or from a multi-selection changes the marks of every selected element.
    if (wasMulti != multiSelection())
        for (TSesPrvek *s : selection())
            s->update();
    c->update();
}

void TPapir::setFocused(TSesPrvek *c)
{
    TSesPrvek *old = m_focused;
    m_focused = c;
    if (c)
        setSelected(c, true);
    if (old)
        old->update();
    if (c) {
        c->update();
        showGeometryOf(c, true, true);
    }
}

void TPapir::toggle(TSesPrvek *c)
{
    if (c->isSelected() || c == m_focused) {
        setSelected(c, false);
        if (c == m_focused) {
            m_focused = nullptr;
            const QList<TSesPrvek *> rest = selection();
            if (!rest.isEmpty())
                m_focused = rest.first();
        }
    } else {
        setSelected(c, true);
        if (!m_focused)
            m_focused = c;
    }
    if (m_focused)
        m_focused->update();
    c->update();
}

void TPapir::select(TSiReportElement *e, bool add)
{
    if (!add)
        clearSelection();
    if (TSesPrvek *c = controlOf(e))
        setFocused(c);
    notifySelection();
}

void TPapir::clearSelection()
{
    for (TOddil *b : m_bands)
        for (TSesPrvek *c : b->controls())
            if (c->m_selected) {
                c->m_selected = false;
                c->update();
            }
    if (m_focused)
        m_focused->update();
    m_focused = nullptr;
    m_selectedCount = 0;
    notifySelection();
}

void TPapir::notifySelection()
{
    m_host->selectionChanged();
}

void TPapir::showGeometryOf(TSesPrvek *c, bool, bool)
{
    if (!c)
        return;
    const TSiReportElement *e = c->element();
    m_host->showGeometry(e->Left, e->Top, e->Width, e->Height);
}

void TPapir::trackMouse(TOddil *band, QPoint bandPixel)
{
    m_mouseBand = band;
    m_mousePixel = band ? band->mapTo(this, bandPixel) : QPoint(-1, -1);
    emit mouseTracked(m_mousePixel);
}

void TPapir::pressOnControl(TSesPrvek *c, QPoint p, Qt::KeyboardModifiers mods)
{
    setFocus(Qt::MouseFocusReason);
    if (mods & Qt::ControlModifier) {
        toggle(c);
        notifySelection();
        return;
    }
    m_host->selectionToolActivated();
    // A press on a member of a multi-selection keeps the others so that the group can be
    // dragged; released without a move it leaves that element alone selected (endDrag).
    m_pressInMulti = m_selectedCount > 1 && (c->isSelected() || c == m_focused);
    if (!m_pressInMulti)
        clearSelection();
    setFocused(c);
    notifySelection();
    m_dragControl = c;
    m_dragStart = c->mapTo(c->band(), p);
    m_dragZone = c->zoneAt(p);
    m_dragStartRects.clear();
    for (TSesPrvek *s : selection())
        m_dragStartRects << qMakePair(s, s->elementRect());
}

void TPapir::setElementRect(TSesPrvek *c, const QRect &r)
{
    TSiReportElement *e = c->element();
    if (e->Left == r.left() && e->Top == r.top() && e->Width == r.width() && e->Height == r.height())
        return;
    e->Left = r.left();
    e->Top = r.top();
    e->Width = r.width();
    e->Height = r.height();
    c->updateGeometryFromElement();
}

void TPapir::dragTo(QPoint bandPoint, Qt::KeyboardModifiers mods)
{
    TSesPrvek *c = m_dragControl;
    if (!c)
        return;
    TOddil *band = c->band();
    const double z = band->zoom();
    QRect start;
    for (const auto &pair : m_dragStartRects)
        if (pair.first == c)
            start = pair.second;
    const int rawDx = toHundredths(bandPoint.x() - m_dragStart.x(), z);
    const int rawDy = toHundredths(bandPoint.y() - m_dragStart.y(), z);
    const int bandW = band->sheetWidth(), bandH = band->sectionHeight();
    const bool outside = m_host->editorSettings().PosunMimo;
    const int zone = m_dragZone;

    auto compute = [&](int dx, int dy) {
        int left = start.left(), top = start.top(), w = start.width(), h = start.height();
        const int right = start.left() + start.width(), bottom = start.top() + start.height();
        if (zone == 0)
            return limitMove(QRect(left + dx, top + dy, w, h), bandW, bandH, outside);
        if (zone == 1 || zone == 4 || zone == 6) {
            left += dx;
            w = right - left;
            limitLeading(left, w, right);
        } else if (zone == 3 || zone == 5 || zone == 8) {
            w += dx;
            limitTrailing(left, w, bandW);
        }
        if (zone == 1 || zone == 2 || zone == 3) {
            top += dy;
            h = bottom - top;
            limitLeading(top, h, bottom);
        } else if (zone == 6 || zone == 7 || zone == 8) {
            h += dy;
            limitTrailing(top, h, bandH);
        }
        return QRect(left, top, w, h);
    };

    int dx = rawDx, dy = rawDy;
    if (band->snaps()) {
        dx = snapToGrid(dx, band->gridX());
        dy = snapToGrid(dy, band->gridY());
    }
    QRect r = compute(dx, dy);
    m_guideX.clear();
    m_guideY.clear();
    TOddil *oldGuideBand = m_guideBand;
    m_guideBand = nullptr;
    if (m_host->editorSettings().Vodici && !(mods & Qt::AltModifier)) {
        QList<QRect> others;
        for (TSesPrvek *o : band->controls())
            if (!o->isSelected() && o != m_focused)
                others << o->elementRect();
        const int threshold = std::max(1, toHundredths(3, z));
        const TGuideResult g = snapToGuides(compute(rawDx, rawDy), others, zone, threshold);
        if (!g.LinesX.isEmpty() || !g.LinesY.isEmpty()) {
            // The guide wins on the axis it snapped; the grid keeps the other.
            const QRect raw = compute(rawDx, rawDy);
            int ndx = g.LinesX.isEmpty() ? dx : rawDx + (g.Rect.left() - raw.left())
                                                    + (g.Rect.right() - raw.right());
            int ndy = g.LinesY.isEmpty() ? dy : rawDy + (g.Rect.top() - raw.top())
                                                    + (g.Rect.bottom() - raw.bottom());
            if (zone == 0) {
                ndx = g.LinesX.isEmpty() ? dx : rawDx + (g.Rect.left() - raw.left());
                ndy = g.LinesY.isEmpty() ? dy : rawDy + (g.Rect.top() - raw.top());
            }
            r = compute(ndx, ndy);
            m_guideX = g.LinesX;
            m_guideY = g.LinesY;
            m_guideBand = band;
        }
    }
    if (oldGuideBand || m_guideBand) {
        for (TOddil *b : {oldGuideBand, m_guideBand})
            if (b)
                if (QWidget *overlay = b->findChild<QWidget *>(QStringLiteral("guides")))
                    overlay->update();
    }
    if (r == c->elementRect())
        return;
    setElementRect(c, r);
    if (zone == 0 && m_selectedCount > 1) {
        const int mdx = r.left() - start.left(), mdy = r.top() - start.top();
        for (const auto &pair : m_dragStartRects) {
            if (pair.first == c)
                continue;
            const QRect moved = pair.second.translated(mdx, mdy);
            TOddil *ob = pair.first->band();
            setElementRect(pair.first,
                           limitMove(moved, ob->sheetWidth(), ob->sectionHeight(), outside));
        }
    }
    showGeometryOf(c, zone != 5 && zone != 7 && zone != 8, zone != 0);
}

void TPapir::endDrag()
{
    if (!m_dragControl)
        return;
    bool changed = false;
    for (const auto &pair : m_dragStartRects)
        if (pair.first->elementRect() != pair.second)
            changed = true;
    TSesPrvek *pressed = m_dragControl;
    m_dragControl = nullptr;
    if (!changed && m_pressInMulti) {
        clearSelection();
        setFocused(pressed);
        notifySelection();
    }
    m_pressInMulti = false;
    m_dragStartRects.clear();
    if (m_guideBand) {
        TOddil *b = m_guideBand;
        m_guideBand = nullptr;
        if (QWidget *overlay = b->findChild<QWidget *>(QStringLiteral("guides")))
            overlay->update();
    }
    m_guideX.clear();
    m_guideY.clear();
    if (changed)
        m_host->record(QStringLiteral("posun prvku"));
}

void TPapir::keyStep(int key, Qt::KeyboardModifiers mods)
{
    const QList<TSesPrvek *> sel = selection();
    if (sel.isEmpty())
        return;
    const bool ctrl = mods & Qt::ControlModifier, shift = mods & Qt::ShiftModifier;
    if (!ctrl && !shift)
        return;
    int dx = 0, dy = 0;
    switch (key) {
    case Qt::Key_Left: dx = -1; break;
    case Qt::Key_Right: dx = 1; break;
    case Qt::Key_Up: dy = -1; break;
    case Qt::Key_Down: dy = 1; break;
    default: return;
    }
    const bool outside = m_host->editorSettings().PosunMimo;
    for (TSesPrvek *c : sel) {
        TOddil *b = c->band();
        QRect r = c->elementRect();
        if (ctrl) {
            const int sx = shift ? b->gridX() : 1, sy = shift ? b->gridY() : 1;
            r = limitMove(r.translated(dx * sx, dy * sy), b->sheetWidth(), b->sectionHeight(),
                          outside);
        } else {
            int w = r.width() + dx, h = r.height() + dy;
            limitTrailing(r.left(), w, b->sheetWidth());
            limitTrailing(r.top(), h, b->sectionHeight());
            r.setWidth(w);
            r.setHeight(h);
        }
        setElementRect(c, r);
    }
    showGeometryOf(m_focused ? m_focused : sel.first(), ctrl, !ctrl);
    m_host->record(QStringLiteral("posun prvku"));
}

void TPapir::keyPressEvent(QKeyEvent *ev)
{
    switch (ev->key()) {
    case Qt::Key_Escape:
        m_host->escapePressed();
        return;
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
        keyStep(ev->key(), ev->modifiers());
        return;
    default:
        QWidget::keyPressEvent(ev);
    }
}

// ====================================================================== scroll box, sheet

TScrollBoxTolva::TScrollBoxTolva(QWidget *parent) : QScrollArea(parent)
{
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(false);
    setBackgroundRole(QPalette::Dark);
}

TDesignerSheet::TDesignerSheet(TDesignerHost *host, QWidget *parent)
    : QWidget(parent), m_host(host)
{
    m_paper = new TPapir(host);
    m_scroll = new TScrollBoxTolva(this);
    m_scroll->setWidget(m_paper);
    m_left = new TPravitko(Qt::Vertical, m_paper, this);
    m_top = new TPravitko(Qt::Horizontal, m_paper, this);
    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(0);
    auto *corner = new QWidget(this);
    corner->setFixedSize(TPravitko::kThickness, TPravitko::kThickness);
    corner->setObjectName(QStringLiteral("rulerCorner"));
    grid->addWidget(corner, 0, 0);
    grid->addWidget(m_top, 0, 1);
    grid->addWidget(m_left, 1, 0);
    grid->addWidget(m_scroll, 1, 1);
    auto repaintRulers = [this] {
        m_left->update();
        m_top->update();
    };
    connect(m_scroll->horizontalScrollBar(), &QScrollBar::valueChanged, this, repaintRulers);
    connect(m_scroll->verticalScrollBar(), &QScrollBar::valueChanged, this, repaintRulers);
    connect(m_paper, &TPapir::mouseTracked, this, repaintRulers);
    connect(m_paper, &TPapir::layoutChanged, this, repaintRulers);
    settingsChanged();
}

void TDesignerSheet::zoomChanged()
{
    m_paper->relayout();
    m_paper->refresh();
}

void TDesignerSheet::unitChanged()
{
    m_left->update();
    m_top->update();
}

void TDesignerSheet::settingsChanged()
{
    const TEditorSettings &s = m_host->editorSettings();
    m_left->setVisible(s.ShowRulesLR);
    m_top->setVisible(s.ShowRulesTB);
    if (QWidget *corner = findChild<QWidget *>(QStringLiteral("rulerCorner")))
        corner->setVisible(s.ShowRulesLR && s.ShowRulesTB);
    m_paper->relayout();
    m_paper->refresh();
}

} // namespace orv
