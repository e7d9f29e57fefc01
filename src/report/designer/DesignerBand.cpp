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

// One band of the designer's sheet: a section's element area and its caption strip. The
// sheet and the paper that hold the bands are in DesignerSheet.cpp.

namespace orv {

namespace {

// Width of the caption strip's left part, which does not start a height drag.
constexpr int kCaptionLabelWidth = 120;

} // namespace

// Draws the guides of the band above its element controls.
class TDesignerGuidesOverlay : public QWidget {
public:
    TDesignerGuidesOverlay(TOddil *band, TPapir *paper) : QWidget(band), m_band(band), m_paper(paper)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        if (m_paper->m_guideBand != m_band)
            return;
        QPainter p(this);
        p.setPen(QPen(QColor(0xE0, 0x20, 0xC0), 1));
        const double z = m_band->zoom();
        const int h = m_band->areaHeight();
        const int w = width();
        for (int x : m_paper->m_guideX)
            p.drawLine(toPixels(x, z), 0, toPixels(x, z), h);
        for (int y : m_paper->m_guideY)
            p.drawLine(0, toPixels(y, z), w, toPixels(y, z));
    }

private:
    TOddil *m_band;
    TPapir *m_paper;
};

TOddil::TOddil(TPapir *paper, TOddilSestavy *section)
    : QWidget(paper), m_paper(paper), m_section(section)
{
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    for (const auto &e : section->Elements)
        m_controls.push_back(new TSesPrvek(this, e.get()));
    auto *overlay = new TDesignerGuidesOverlay(this, paper);
    overlay->setObjectName(QStringLiteral("guides"));
}

int TOddil::sheetWidth() const
{
    const TSestavaTyp *r = m_paper->report();
    return std::max(1, (r ? r->Context.PageSetup : pageSetup()).printableWidth());
}

int TOddil::sectionHeight() const
{
    return m_section->Height;
}

bool TOddil::snaps() const
{
    return m_paper->host()->editorSettings().RastrZarovnavat;
}

int TOddil::gridX() const
{
    const TSestavaTyp *r = m_paper->report();
    const int step = r && r->CharacterMode ? int(std::lround(r->CharWidth))
                                           : m_paper->host()->editorSettings().RastrX;
    return step < 1 ? 8 : step;
}

int TOddil::gridY() const
{
    const TSestavaTyp *r = m_paper->report();
    const int step = r && r->CharacterMode ? int(std::lround(r->LineHeight))
                                           : m_paper->host()->editorSettings().RastrY;
    return step < 1 ? 8 : step;
}

double TOddil::zoom() const
{
    const double z = m_paper->host()->zoomFactor();
    return z > 0 ? z : 1.0;
}

int TOddil::areaHeight() const
{
    return std::max(0, toPixels(m_section->Height, zoom()));
}

TSesPrvek *TOddil::controlOf(const TSiReportElement *e) const
{
    for (TSesPrvek *c : m_controls)
        if (c->element() == e)
            return c;
    return nullptr;
}

bool TOddil::inHeightGrip(QPoint p) const
{
    return p.y() >= areaHeight() && p.y() < areaHeight() + kBandCaptionHeight
           && p.x() >= kCaptionLabelWidth;
}

void TOddil::relayout()
{
    for (TSesPrvek *c : m_controls)
        c->updateGeometryFromElement();
    if (QWidget *overlay = findChild<QWidget *>(QStringLiteral("guides"))) {
        overlay->setGeometry(0, 0, width(), areaHeight());
        overlay->raise();
    }
}

TSesPrvek *TOddil::addControl(TSiReportElement *e)
{
    auto *c = new TSesPrvek(this, e);
    m_controls.push_back(c);
    c->show();
    if (QWidget *overlay = findChild<QWidget *>(QStringLiteral("guides")))
        overlay->raise();
    return c;
}

void TOddil::paintEvent(QPaintEvent *ev)
{
    QPainter p(this);
    const int w = width(), ah = areaHeight();
    p.fillRect(QRect(0, 0, w, ah), Qt::white);
    const double z = zoom();
    const TSestavaTyp *report = m_paper->report();
    // The background picture, placed so that the bands' pieces join into the page's picture.
    if (report && !m_paper->m_background.isNull()) {
        int offset = 0;
        for (TOddil *b : m_paper->bands()) {
            if (b == this)
                break;
            offset += b->sectionHeight();
        }
        const TPageSetup &ps = report->Context.PageSetup;
        const QRect bg = report->backgroundRect();
        const QRect target(toPixels(bg.left() - ps.MarginLeft, z),
                           toPixels(bg.top() - ps.MarginTop - offset, z),
                           toPixels(bg.width(), z), toPixels(bg.height(), z));
        p.save();
        p.setClipRect(QRect(0, 0, w, ah));
        p.drawImage(target, m_paper->m_background);
        p.restore();
    }
    // A multi-column body: the part right of the first column is hatched.
    int gridWidth = sheetWidth();
    if (report && m_section->Kind == skBody && report->Columns > 1) {
        const int colW = (sheetWidth() + report->ColumnGap) / report->Columns;
        gridWidth = colW;
        p.fillRect(QRect(toPixels(colW - report->ColumnGap, z), 0, w, ah),
                   QBrush(QColor(0xC0, 0xC0, 0xC0), Qt::BDiagPattern));
        p.fillRect(QRect(toPixels(colW, z), 0, w - 2 - toPixels(colW, z), ah),
                   QBrush(QColor(0x80, 0x80, 0x80), Qt::FDiagPattern));
    }
    if (m_paper->host()->editorSettings().RastrZobrazovat) {
        const int gx = gridX(), gy = gridY();
        const QRect clip = ev->rect();
        QPolygon dots;
        const int nx = gridWidth / gx, ny = m_section->Height / gy;
        for (int j = 1; j <= ny; ++j) {
            const int y = int(j * gy * z);
            if (y < clip.top() || y > clip.bottom())
                continue;
            for (int i = 1; i <= nx; ++i) {
                const int x = int(i * gx * z);
                if (x >= clip.left() && x <= clip.right())
                    dots << QPoint(x, y);
            }
        }
        p.setPen(Qt::black);
        p.drawPoints(dots);
    }
    // The caption strip with a raised edge.
    const QRect strip(0, ah, w, kBandCaptionHeight);
    p.fillRect(strip, QColor(0xC0, 0xC0, 0xC0));
    p.setPen(Qt::white);
    p.drawLine(strip.left(), strip.top(), strip.right(), strip.top());
    p.drawLine(strip.left(), strip.top(), strip.left(), strip.bottom());
    p.setPen(QColor(0x80, 0x80, 0x80));
    p.drawLine(strip.left() + 1, strip.bottom() - 1, strip.right() - 1, strip.bottom() - 1);
    p.drawLine(strip.right() - 1, strip.top() + 1, strip.right() - 1, strip.bottom() - 1);
    p.setPen(Qt::black);
    p.drawLine(strip.left(), strip.bottom(), strip.right(), strip.bottom());
    p.drawLine(strip.right(), strip.top(), strip.right(), strip.bottom());
    if (report && m_section->Kind == skBody && report->Columns > 1) {
        const int x = toPixels((sheetWidth() + report->ColumnGap) / report->Columns, z);
        p.setPen(Qt::white);
        p.drawLine(x, strip.top() + 1, x, strip.bottom() - 1);
        p.setPen(QColor(0x80, 0x80, 0x80));
        p.drawLine(x + 1, strip.top() + 1, x + 1, strip.bottom() - 1);
    }
    QString caption = m_section->caption();
    if (report && m_section->Kind >= kFixedSections) {
        const int group = (m_section->Kind - kFixedSections) / 2;
        caption += QStringLiteral(" %1").arg(group + 1);
        if (const TPolSkup *g = report->Groups.at(group); g && !g->Expression.isEmpty())
            caption += QStringLiteral(": ") + g->Expression;
    }
    QFont f = font();
    f.setPixelSize(10);
    p.setFont(f);
    p.setPen(Qt::black);
    p.drawText(QRect(5, ah, w - 10, kBandCaptionHeight), Qt::AlignVCenter | Qt::AlignLeft,
               caption);
}

void TOddil::showMousePosition(QPoint p)
{
    m_paper->trackMouse(this, p);
    TDesignerHost *host = m_paper->host();
    if (p.y() >= areaHeight()) {
        host->showPosition(QString());
        return;
    }
    const double z = zoom();
    host->showPosition(
        formatDesignerPosition(toHundredths(p.x(), z), toHundredths(p.y(), z), host->displayUnit()));
}

void TOddil::placeAt(QPoint pixel, Qt::KeyboardModifiers mods, QSize dragged)
{
    TDesignerHost *host = m_paper->host();
    TSestavaTyp *report = m_paper->report();
    if (!report)
        return;
    const double z = zoom();
    QPoint at(toHundredths(pixel.x(), z), toHundredths(pixel.y(), z));
    if (snaps())
        at = QPoint(snapToGrid(at.x(), gridX()), snapToGrid(at.y(), gridY()));
    const bool ctrl = mods & Qt::ControlModifier;
    if (host->pastePending()) {
        const TClipboardContent *content = host->clipboardContent();
        if (!content)
            return;
        const std::vector<TSiReportElement *> pasted = pasteElements(*report, m_section, *content, at);
        m_paper->clearSelection();
        for (size_t i = 0; i < pasted.size(); ++i) {
            TSesPrvek *c = addControl(pasted[i]);
            m_paper->setSelected(c, true);
            if (int(i) == content->FocusIndex || (content->FocusIndex < 0 && i == 0))
                m_paper->m_focused = c;
        }
        m_paper->notifySelection();
        host->record(QStringLiteral("vložení z úschovy"));
        host->insertionFinished(ctrl);
        return;
    }
    std::unique_ptr<TSiReportElement> e = newDesignerElement(
        *report, host->editorSettings(), host->toolKind(), host->toolSource(), at);
    if (dragged.width() > 2 && dragged.height() > 2) {
        int w = std::max(toHundredths(dragged.width(), z), kMinElementSize);
        int h = std::max(toHundredths(dragged.height(), z), kMinElementSize);
        if (snaps()) {
            w = std::max(snapToGrid(w, gridX()), kMinElementSize);
            h = std::max(snapToGrid(h, gridY()), kMinElementSize);
        }
        e->Width = w;
        e->Height = h;
    }
    // A new element starts inside its band: cut to the band, then moved back into it.
    e->Width = std::min(e->Width, std::max(sheetWidth(), kMinElementSize));
    e->Height = std::min(e->Height, std::max(sectionHeight(), kMinElementSize));
    e->Left = std::clamp(e->Left, 0, std::max(sheetWidth() - e->Width, 0));
    e->Top = std::clamp(e->Top, 0, std::max(sectionHeight() - e->Height, 0));
    TSiReportElement *added = m_section->appendElement(std::move(e));
    TSesPrvek *c = addControl(added);
    m_paper->clearSelection();
    m_paper->setFocused(c);
    m_paper->notifySelection();
    host->record(QStringLiteral("vložení prvku"));
    host->insertionFinished(ctrl);
}

void TOddil::mousePressEvent(QMouseEvent *ev)
{
    if (ev->button() != Qt::LeftButton)
        return;
    TDesignerHost *host = m_paper->host();
    const QPoint p = ev->position().toPoint();
    m_paper->setFocus(Qt::MouseFocusReason);
    if (p.y() >= areaHeight()) {
        if (inHeightGrip(p)) {
            host->selectionToolActivated();
            m_heightDrag = true;
            m_heightStartY = p.y();
            m_heightStart = m_section->Height;
        }
        return;
    }
    if (host->pastePending()) {
        placeAt(p, ev->modifiers());
        return;
    }
    if (host->toolKind() != 0) {
        // The element goes in on release: a click gives the default size, a drag its own.
        m_placing = true;
        m_rubberStart = p;
        if (!m_rubber)
            m_rubber = new QRubberBand(QRubberBand::Rectangle, this);
        m_rubber->setGeometry(QRect(p, QSize()));
        m_rubber->show();
        return;
    }
    m_rubberStart = p;
    m_rubberActive = true;
    if (!m_rubber)
        m_rubber = new QRubberBand(QRubberBand::Rectangle, this);
    m_rubber->setGeometry(QRect(p, QSize()));
    m_rubber->show();
}

void TOddil::mouseMoveEvent(QMouseEvent *ev)
{
    const QPoint p = ev->position().toPoint();
    if (m_heightDrag) {
        int h = m_heightStart + toHundredths(p.y() - m_heightStartY, zoom());
        if (snaps())
            h = snapToGrid(h, gridY());
        h = std::max(h, kMinSectionHeight);
        if (h != m_section->Height) {
            m_section->Height = h;
            m_paper->relayout();
        }
        return;
    }
    if (m_rubberActive || m_placing) {
        const QPoint inside(std::clamp(p.x(), 0, width() - 1), std::clamp(p.y(), 0, areaHeight() - 1));
        m_rubber->setGeometry(QRect(m_rubberStart, m_placing ? inside : p).normalized());
        showMousePosition(p);
        return;
    }
    setCursor(inHeightGrip(p) ? Qt::SplitVCursor : Qt::ArrowCursor);
    if (m_paper->host()->toolKind() != 0 || m_paper->host()->pastePending())
        setCursor(Qt::CrossCursor);
    showMousePosition(p);
}

void TOddil::mouseReleaseEvent(QMouseEvent *ev)
{
    if (m_heightDrag) {
        m_heightDrag = false;
        if (m_section->Height != m_heightStart)
            m_paper->host()->record(QStringLiteral("změna výšky oddílu"));
        return;
    }
    if (m_placing) {
        m_placing = false;
        m_rubber->hide();
        const QPoint end(std::clamp(ev->position().toPoint().x(), 0, width() - 1),
                         std::clamp(ev->position().toPoint().y(), 0, areaHeight() - 1));
        const QPoint corner(std::min(m_rubberStart.x(), end.x()), std::min(m_rubberStart.y(), end.y()));
        placeAt(corner, ev->modifiers(),
                QSize(std::abs(end.x() - m_rubberStart.x()), std::abs(end.y() - m_rubberStart.y())));
        return;
    }
    if (!m_rubberActive)
        return;
    m_rubberActive = false;
    m_rubber->hide();
    const double z = zoom();
    const QRect px = QRect(m_rubberStart, ev->position().toPoint()).normalized();
    const QRect r(QPoint(toHundredths(px.left(), z), toHundredths(px.top(), z)),
                  QPoint(toHundredths(px.right(), z), toHundredths(px.bottom(), z)));
    // A band (or a click on empty space) replaces the selection, so that a stray drag never
    // carries elements picked earlier along; Ctrl toggles and Shift adds.
    const bool ctrl = ev->modifiers() & Qt::ControlModifier;
    const bool shift = ev->modifiers() & Qt::ShiftModifier;
    if (!ctrl && !shift)
        m_paper->clearSelection();
    for (TSesPrvek *c : m_controls) {
        if (!c->elementRect().intersects(r))
            continue;
        if (ctrl) {
            m_paper->toggle(c);
        } else {
            m_paper->setSelected(c, true);
            if (!m_paper->m_focused)
                m_paper->m_focused = c;
        }
    }
    if (m_paper->m_focused)
        m_paper->setFocused(m_paper->m_focused);
    m_paper->notifySelection();
}

void TOddil::mouseDoubleClickEvent(QMouseEvent *ev)
{
    if (ev->button() != Qt::LeftButton || ev->position().y() >= areaHeight())
        return;
    m_rubberActive = false;
    if (m_rubber)
        m_rubber->hide();
    TSestavaTyp *report = m_paper->report();
    if (report && m_section->Kind >= kFixedSections) {
        for (int g = 0; g < report->Groups.count(); ++g) {
            const TPolSkup *group = report->Groups.at(g);
            if (group->GroupHeader == m_section || group->GroupFooter == m_section) {
                m_paper->host()->openReportSettings(1, g);
                return;
            }
        }
    }
    m_paper->host()->openReportSettings(0, -1);
}

void TOddil::leaveEvent(QEvent *)
{
    m_paper->trackMouse(nullptr, QPoint(-1, -1));
}

} // namespace orv
