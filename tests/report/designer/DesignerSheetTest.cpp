// The designer sheet driven with the mouse and the keyboard through a stand-in window:
// selection, moving and resizing with the grid, section heights, keyboard steps, insertion,
// alignment guides and the rulers.

#include "DesignerSheetTestHost.h"

#include "report/designer/DesignerGuides.h"
#include "report/designer/Pravitko.h"
#include "report/model/PageSetup.h"
#include "report/output/Sestava.h"

#include <QKeyEvent>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

using namespace orv;
using namespace sheettest;

namespace {

// A report whose body (200 high) holds the given rectangles as text elements; every other
// section is hidden.
struct SheetFixture {
    TestHost Host;
    TSestavaTyp Report;
    std::unique_ptr<TDesignerSheet> Sheet;

    explicit SheetFixture(const QList<QRect> &rects, int bodyHeight = 200)
    {
        showOnlyTheBody(Report, bodyHeight);
        for (const QRect &r : rects) {
            addToBody(Report, ekText, r)->Text = QStringLiteral("Text");
        }
        Sheet = std::make_unique<TDesignerSheet>(&Host);
        Sheet->resize(1000, 700);
        Sheet->build(&Report);
    }
    TPapir *paper() const { return Sheet->paper(); }
    TOddil *band() const { return paper()->bands().front(); }
    TSiReportElement *el(int i) const { return Report.section(skBody)->element(i); }
    QRect rect(int i) const
    {
        const TSiReportElement *e = el(i);
        return QRect(e->Left, e->Top, e->Width, e->Height);
    }
    void key(int k, Qt::KeyboardModifiers mods)
    {
        QKeyEvent ev(QEvent::KeyPress, k, mods);
        QApplication::sendEvent(paper(), &ev);
    }
};

} // namespace

TEST(DesignerSheet, MoveSnapsTheStepNotThePositionAndStaysInTheBand)
{
    SheetFixture f({QRect(3, 20, 100, 30)});
    ASSERT_TRUE(f.Host.Settings.RastrZarovnavat);
    ASSERT_EQ(f.Host.Settings.RastrX, 8);
    // 10 units to the right: the step 10 snaps to 8, so the element lands on 11, off the grid.
    drag(f.band(), QPoint(50, 30), {QPoint(55, 30), QPoint(60, 30)});
    EXPECT_EQ(f.rect(0), QRect(11, 20, 100, 30));
    EXPECT_EQ(f.Host.Records, QStringList{QStringLiteral("posun prvku")});
    EXPECT_EQ(f.Host.Geometry, QRect(11, 20, 100, 30));

    // Past the band's right edge the element stops on it, unless it may leave the band.
    f.Host.Settings.RastrZarovnavat = false;
    const int bandW = f.band()->sheetWidth();
    drag(f.band(), QPoint(20, 30), {QPoint(20 + bandW, 30)});
    EXPECT_EQ(f.rect(0).left() + f.rect(0).width(), bandW);
    f.Host.Settings.PosunMimo = true;
    const int before = f.rect(0).left();
    drag(f.band(), QPoint(before + 5, 30), {QPoint(before + 5 + 300, 30)});
    EXPECT_EQ(f.rect(0).left(), before + 300);

    // A press without a move changes nothing and records nothing more.
    const int records = f.Host.Records.size();
    click(f.band(), QPoint(f.rect(0).left() + 30, 30));
    EXPECT_EQ(f.Host.Records.size(), records);
}

TEST(DesignerSheet, GripsResizeWithTheirLimits)
{
    SheetFixture f({QRect(100, 40, 100, 50)});
    f.Host.Settings.RastrZarovnavat = false;
    f.paper()->select(f.el(0));
    TSesPrvek *c = f.paper()->controlOf(f.el(0));
    EXPECT_EQ(c->zoneAt(QPoint(1, 1)), 1);
    EXPECT_EQ(c->zoneAt(QPoint(98, 48)), 8);
    EXPECT_EQ(c->zoneAt(QPoint(49, 2)), 2);
    EXPECT_EQ(c->zoneAt(QPoint(50, 25)), 0);

    // The top-left grip 120 to the right: 3 wide, the right edge where it was.
    drag(f.band(), QPoint(101, 41), {QPoint(221, 41)});
    EXPECT_EQ(f.rect(0), QRect(197, 40, 3, 50));

    // The bottom-right grip: the step snapped with the grid (3 + 10 gives 11 here as a width).
    f.Host.Settings.RastrZarovnavat = true;
    c = f.paper()->controlOf(f.el(0));
    const QPoint br = c->geometry().bottomRight() - QPoint(1, 1);
    drag(f.band(), br, {br + QPoint(10, -60)});
    EXPECT_EQ(f.rect(0).width(), 11);
    EXPECT_EQ(f.rect(0).height(), 3);   // never below 3

    // The bottom grip cannot pull the element past the band's bottom.
    const QRect g = f.paper()->controlOf(f.el(0))->geometry();
    const QPoint bottom(g.left() + (g.width() - 5) / 2 + 1, g.bottom() - 1);
    EXPECT_EQ(f.paper()->controlOf(f.el(0))->zoneAt(bottom - g.topLeft()), 7);
    drag(f.band(), bottom, {bottom + QPoint(0, 500)});
    EXPECT_EQ(f.rect(0).top() + f.rect(0).height(), 200);
}

TEST(DesignerSheet, ZoomScalesDragsAndPlacement)
{
    SheetFixture f({QRect(10, 10, 100, 30)});
    f.Host.Zoom = 3.0;
    f.Host.Settings.RastrZarovnavat = false;
    f.Sheet->zoomChanged();
    EXPECT_EQ(f.paper()->controlOf(f.el(0))->geometry(), QRect(30, 30, 300, 90));
    drag(f.band(), QPoint(100, 60), {QPoint(130, 90)});   // 30 pixels are 10 units
    EXPECT_EQ(f.rect(0), QRect(20, 20, 100, 30));
}

TEST(DesignerSheet, ShiftAndCtrlClicksAndTheRubberBand)
{
    SheetFixture f({QRect(10, 10, 50, 20), QRect(100, 10, 50, 20), QRect(200, 100, 50, 20)});
    TPapir *p = f.paper();
    click(f.band(), QPoint(20, 15));
    EXPECT_EQ(p->focusedElement(), f.el(0));
    EXPECT_EQ(p->selectedCount(), 1);

    // Ctrl on an unselected element adds it; on the only selected one removes it.
    click(f.band(), QPoint(120, 15), Qt::ControlModifier);
    EXPECT_EQ(p->selectedCount(), 2);
    EXPECT_TRUE(p->multiSelection());
    click(f.band(), QPoint(20, 15), Qt::ControlModifier);
    EXPECT_EQ(p->selectedCount(), 1);
    EXPECT_EQ(p->focusedElement(), f.el(1));   // another selected element took the focus
    click(f.band(), QPoint(120, 15), Qt::ControlModifier);
    EXPECT_EQ(p->selectedCount(), 0);
    EXPECT_EQ(p->focusedElement(), nullptr);

    // A plain click selects only the clicked element, every time: clicks never alternate.
    using Els = QList<TSiReportElement *>;
    click(f.band(), QPoint(20, 15));
    for (int round = 0; round < 2; ++round) {
        click(f.band(), QPoint(120, 15));
        EXPECT_EQ(p->selectedElements(), Els{f.el(1)});
        EXPECT_EQ(p->selectedCount(), 1);
        click(f.band(), QPoint(210, 105));
        EXPECT_EQ(p->selectedElements(), Els{f.el(2)});
    }
    // Also from a multi-selection: outside it at once, inside it on release without a move
    // (the press keeps the group so that it can be dragged).
    click(f.band(), QPoint(20, 15), Qt::ControlModifier);
    click(f.band(), QPoint(120, 15));
    EXPECT_EQ(p->selectedElements(), Els{f.el(1)});
    click(f.band(), QPoint(20, 15), Qt::ShiftModifier);
    EXPECT_EQ(p->selectedCount(), 2);
    click(f.band(), QPoint(20, 15));
    EXPECT_EQ(p->selectedElements(), Els{f.el(0)});
    EXPECT_EQ(p->focusedElement(), f.el(0));

    // A click on empty space clears.
    click(f.band(), QPoint(400, 150));
    EXPECT_EQ(p->selectedCount(), 0);
    EXPECT_EQ(p->focusedElement(), nullptr);

    // A rubber band replaces the selection; with Shift it adds.
    click(f.band(), QPoint(210, 105));
    drag(f.band(), QPoint(5, 5), {QPoint(60, 20), QPoint(110, 25)});
    EXPECT_EQ(p->selectedElements(), (Els{f.el(0), f.el(1)}));
    EXPECT_EQ(p->focusedElement(), f.el(0));
    drag(f.band(), QPoint(195, 95), {QPoint(260, 110)}, Qt::ShiftModifier);
    EXPECT_EQ(p->selectedCount(), 3);

    // Shift over an element starts a rubber band there instead of selecting the element.
    p->clearSelection();
    drag(f.band(), QPoint(30, 15), {QPoint(260, 110)}, Qt::ShiftModifier);
    EXPECT_EQ(p->selectedCount(), 3);

    // With Ctrl the band toggles: the selected one goes, the other comes.
    p->clearSelection();
    click(f.band(), QPoint(20, 15));
    drag(f.band(), QPoint(5, 5), {QPoint(110, 25)}, Qt::ControlModifier);
    EXPECT_EQ(p->selectedElements(), QList<TSiReportElement *>{f.el(1)});
    EXPECT_TRUE(f.Host.Records.isEmpty());

    // Dragging one element of a multi-selection moves them all.
    f.Host.Settings.RastrZarovnavat = false;
    p->select(f.el(0));
    p->select(f.el(2), true);
    drag(f.band(), QPoint(20, 15), {QPoint(36, 19)});
    EXPECT_EQ(f.rect(0).topLeft(), QPoint(26, 14));
    EXPECT_EQ(f.rect(2).topLeft(), QPoint(216, 104));
    EXPECT_EQ(f.rect(1).topLeft(), QPoint(100, 10));
}

TEST(DesignerSheet, ArrowKeysMoveAndResize)
{
    SheetFixture f({QRect(40, 40, 50, 20), QRect(100, 40, 50, 20)});
    f.paper()->select(f.el(0));
    f.paper()->select(f.el(1), true);
    f.key(Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(f.rect(0).left(), 41);
    EXPECT_EQ(f.rect(1).left(), 101);
    f.key(Qt::Key_Down, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(f.rect(0).top(), 48);
    f.key(Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_EQ(f.rect(0).width(), 49);
    f.key(Qt::Key_Up, Qt::ShiftModifier);
    EXPECT_EQ(f.rect(1).height(), 19);
    EXPECT_EQ(f.Host.Records.size(), 4);
    // A plain arrow does nothing; the minimum width holds.
    f.key(Qt::Key_Right, Qt::NoModifier);
    EXPECT_EQ(f.rect(0).left(), 41);
    for (int i = 0; i < 60; ++i)
        f.key(Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_EQ(f.rect(0).width(), 3);
    // Moving up stops at the band's top.
    for (int i = 0; i < 10; ++i)
        f.key(Qt::Key_Up, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(f.rect(0).top(), 0);
    f.key(Qt::Key_Escape, Qt::NoModifier);
    EXPECT_EQ(f.Host.EscapePresses, 1);
}

TEST(DesignerSheet, SectionHeightByDraggingTheCaptionStrip)
{
    SheetFixture f({}, 100);
    TOddil *b = f.band();
    const QPoint grip(400, b->areaHeight() + 8);
    ASSERT_TRUE(b->inHeightGrip(grip));
    EXPECT_FALSE(b->inHeightGrip(QPoint(10, b->areaHeight() + 8)));   // the caption's part
    drag(b, grip, {grip + QPoint(0, 37)});
    EXPECT_EQ(f.Report.section(skBody)->Height, 136);   // 137 rounded to the grid
    EXPECT_EQ(b->height(), 136 + kBandCaptionHeight);
    EXPECT_EQ(f.Host.Records, QStringList{QStringLiteral("změna výšky oddílu")});
    const QPoint grip2(400, b->areaHeight() + 8);
    drag(b, grip2, {grip2 - QPoint(0, 300)});
    EXPECT_EQ(f.Report.section(skBody)->Height, kMinSectionHeight);
    f.Host.Settings.RastrZarovnavat = false;
    const QPoint grip3(400, b->areaHeight() + 8);
    drag(b, grip3, {grip3 + QPoint(0, 3)});
    EXPECT_EQ(f.Report.section(skBody)->Height, 17);
}

TEST(DesignerSheet, CtrlPlacesConsecutiveFieldsAndPasteFollowsTheClick)
{
    SheetFixture f({});
    f.Report.SetFieldNames({QStringLiteral("Nazev"), QStringLiteral("Norma"),
                            QStringLiteral("Pevnost")});
    f.Host.Tool = ekField;
    f.Host.Source = 0;
    for (int i = 0; i < 3; ++i)
        click(f.band(), QPoint(10 + 150 * i, 21), Qt::ControlModifier);
    TOddilSestavy *body = f.Report.section(skBody);
    ASSERT_EQ(body->elementCount(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(body->element(i)->Kind, ekField);
        EXPECT_EQ(body->element(i)->SourceIndex, i);
        EXPECT_EQ(body->element(i)->Left, snapToGrid(10 + 150 * i, 8));
        EXPECT_EQ(body->element(i)->Top, 24);
    }
    EXPECT_EQ(f.Host.Tool, ekField);   // the tool stays while Ctrl is held
    EXPECT_EQ(f.Host.Records.count(QStringLiteral("vložení prvku")), 3);
    EXPECT_EQ(f.paper()->focusedElement(), body->element(2));
    // A click without Ctrl places one more and the window returns to the selection tool.
    click(f.band(), QPoint(10, 100));
    EXPECT_EQ(body->elementCount(), 4);
    EXPECT_EQ(f.Host.Tool, 0);

    // Paste places the copied elements relative to the click, over an existing element too.
    f.Host.Paste = true;
    ASSERT_TRUE(parseClipboardText(
        clipboardText(body->element(0), {body->element(0), body->element(1)}), f.Host.Content));
    click(f.band(), QPoint(20, 100));   // on the fourth element
    ASSERT_EQ(body->elementCount(), 6);
    EXPECT_EQ(body->element(4)->Left, 24);
    EXPECT_EQ(body->element(5)->Left - body->element(4)->Left,
              body->element(1)->Left - body->element(0)->Left);
    EXPECT_EQ(f.paper()->selectedCount(), 2);
    EXPECT_EQ(f.Host.Records.last(), QStringLiteral("vložení z úschovy"));
}

TEST(DesignerSheet, DoubleClicksOpenTheDialogs)
{
    SheetFixture f({QRect(10, 10, 50, 20)});
    TOddil *b = f.band();
    send(b->childAt(QPoint(20, 15)), QEvent::MouseButtonDblClick, QPoint(10, 5), Qt::NoModifier);
    EXPECT_EQ(f.Host.DialogFor, f.el(0));
    send(b, QEvent::MouseButtonDblClick, QPoint(300, 100), Qt::NoModifier);
    EXPECT_EQ(f.Host.SettingsPage, 0);

    TPolSkup *g = f.Report.AddGroup(0, QStringLiteral("A"), false, 30, true, 40, true);
    ASSERT_TRUE(g && g->GroupHeader);
    f.Sheet->rebuild();
    TOddil *header = f.paper()->bandOf(g->GroupHeader);
    ASSERT_TRUE(header);
    send(header, QEvent::MouseButtonDblClick, QPoint(300, 10), Qt::NoModifier);
    EXPECT_EQ(f.Host.SettingsPage, 1);
    EXPECT_EQ(f.Host.SettingsGroup, 0);
    // The group header comes before the body and its footer after it.
    const auto &bands = f.paper()->bands();
    ASSERT_EQ(bands.size(), 3u);
    EXPECT_EQ(bands[0]->section(), g->GroupHeader);
    EXPECT_EQ(bands[1]->section(), f.Report.section(skBody));
    EXPECT_EQ(bands[2]->section(), g->GroupFooter);
    EXPECT_GT(bands[1]->y(), bands[0]->y());
}

TEST(DesignerSheet, RebuildFindsTheSelectionAgain)
{
    SheetFixture f({QRect(10, 10, 50, 20), QRect(100, 10, 50, 20), QRect(200, 10, 50, 20)});
    f.paper()->select(f.el(2));
    f.paper()->select(f.el(0), true);
    f.Sheet->rebuild();
    EXPECT_EQ(f.paper()->focusedElement(), f.el(0));
    EXPECT_EQ(f.paper()->selectedElements(), (QList<TSiReportElement *>{f.el(0), f.el(2)}));
    EXPECT_EQ(f.paper()->selectedCount(), 2);
}

TEST(DesignerGuides, AMoveNearAnotherLeftEdgeSnapsUnlessAltIsHeld)
{
    for (bool alt : {false, true}) {
        SheetFixture f({QRect(100, 10, 80, 20), QRect(300, 100, 60, 20)});
        f.Host.Settings.RastrZarovnavat = false;
        // 198 to the left brings the second element's left edge to 102: 2 from 100.
        drag(f.band(), QPoint(310, 110), {QPoint(200, 110), QPoint(112, 110)},
             alt ? Qt::AltModifier : Qt::NoModifier);
        EXPECT_EQ(f.rect(1).left(), alt ? 102 : 100) << "alt " << alt;
        EXPECT_EQ(f.rect(1).top(), 100);
    }
    // Turned off in the settings, the grid alone decides.
    SheetFixture f({QRect(100, 10, 80, 20), QRect(300, 100, 60, 20)});
    f.Host.Settings.Vodici = false;
    drag(f.band(), QPoint(310, 110), {QPoint(112, 110)});
    EXPECT_EQ(f.rect(1).left(), 300 - 200);   // 198 snapped to 200 by the grid
    f.Host.Settings.RastrZarovnavat = false;
    drag(f.band(), QPoint(110, 110), {QPoint(113, 110)});
    EXPECT_EQ(f.rect(1).left(), 103);
}

TEST(DesignerGuides, EdgesAndCentresSnapByTheClosestLine)
{
    const QList<QRect> others{QRect(100, 10, 80, 20)};
    // A move: the right edge 178 lies 2 from 180.
    TGuideResult g = snapToGuides(QRect(118, 50, 60, 20), others, 0, 3);
    EXPECT_EQ(g.Rect, QRect(120, 50, 60, 20));
    EXPECT_EQ(g.LinesX, QList<int>{180});
    EXPECT_TRUE(g.LinesY.isEmpty());
    // Centre to centre (140).
    g = snapToGuides(QRect(111, 50, 60, 20), others, 0, 3);
    EXPECT_EQ(g.Rect.left(), 110);
    // A resize with the right grip moves the right edge only; the left one stays.
    g = snapToGuides(QRect(20, 50, 158, 20), others, 5, 3);
    EXPECT_EQ(g.Rect, QRect(20, 50, 160, 20));
    // The left grip keeps the right edge.
    g = snapToGuides(QRect(98, 50, 50, 20), others, 4, 3);
    EXPECT_EQ(g.Rect, QRect(100, 50, 48, 20));
    // Nothing near: unchanged, no lines.
    g = snapToGuides(QRect(300, 300, 10, 10), others, 0, 3);
    EXPECT_EQ(g.Rect, QRect(300, 300, 10, 10));
    EXPECT_TRUE(g.LinesX.isEmpty() && g.LinesY.isEmpty());
}

TEST(DesignerRulers, CentimetreLabelsAlongAFiveInchBand)
{
    SheetFixture f({}, 500);
    f.Host.Unit = 1;
    f.Host.Settings.ShowRulesLR = true;
    f.Host.Settings.ShowRulesTB = true;
    f.Sheet->settingsChanged();
    f.Sheet->show();
    QApplication::processEvents();
    const QList<TPravitko::Label> labels = f.Sheet->leftRuler()->labels();
    QStringList texts;
    for (const auto &l : labels)
        texts << l.Text;
    ASSERT_EQ(texts, QStringList({"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11",
                                  "12"}));
    // 1 cm is 39.37 hundredths of an inch: the tenth label sits 394 pixels below the first.
    EXPECT_EQ(labels[10].Position - labels[0].Position, 394);
    EXPECT_EQ(rulerScale(1).Step, 50);
    // Scrolling the sheet moves the ruler's labels with it.
    f.Sheet->resize(400, 200);
    QApplication::processEvents();
    f.Sheet->scrollBox()->verticalScrollBar()->setValue(100);
    QApplication::processEvents();
    const QList<TPravitko::Label> scrolled = f.Sheet->leftRuler()->labels();
    ASSERT_FALSE(scrolled.isEmpty());
    EXPECT_EQ(scrolled[0].Position, labels[0].Position - 100);
}

TEST(DesignerSheet, PositionTextInEveryUnit)
{
    EXPECT_EQ(formatDesignerPosition(150, 50, 0), QStringLiteral("[ 1,50; 0,50] inch"));
    EXPECT_EQ(formatDesignerPosition(100, 0, 1), QStringLiteral("[ 2,54; 0,00] cm"));
    EXPECT_EQ(formatDesignerPosition(100, 0, 3), QStringLiteral("[   72;    0] point"));
    SheetFixture f({});
    send(f.band(), QEvent::MouseMove, QPoint(150, 50), Qt::NoModifier);
    EXPECT_EQ(f.Host.Position, QStringLiteral("[ 1,50; 0,50] inch"));
    send(f.band(), QEvent::MouseMove, QPoint(150, f.band()->areaHeight() + 3), Qt::NoModifier);
    EXPECT_EQ(f.Host.Position, QString());
}

// With an insertion tool a drag gives the new element its size; a click the default size;
// either way the element starts inside its band.
TEST(DesignerSheet, NewElementsTakeTheDraggedSizeAndStayInTheirBand)
{
    SheetFixture f({}, 100);
    f.Host.Settings.RastrZarovnavat = false;
    f.Host.Tool = ekRectangle;
    drag(f.band(), QPoint(20, 20), {QPoint(70, 40), QPoint(120, 60)});
    ASSERT_EQ(f.Report.section(skBody)->elementCount(), 1);
    EXPECT_EQ(f.rect(0), QRect(20, 20, 100, 40));
    // Dragged up and left: the rectangle is normalised.
    f.Host.Tool = ekRectangle;
    drag(f.band(), QPoint(300, 90), {QPoint(250, 50)});
    EXPECT_EQ(f.rect(1), QRect(250, 50, 50, 40));
    // A click near the band's bottom right: the default size, moved back inside the band.
    f.Host.Tool = ekRectangle;
    const int w = f.band()->sheetWidth();
    click(f.band(), QPoint(w - 5, 95));
    const QRect r = f.rect(2);
    EXPECT_EQ(r.size(), QSize(f.Host.Settings.ImplSirka, f.Host.Settings.ImplVyska));
    EXPECT_LE(r.left() + r.width(), w);
    EXPECT_LE(r.top() + r.height(), 100);
    EXPECT_EQ(f.Host.Records, (QStringList{"vložení prvku", "vložení prvku", "vložení prvku"}));
}
