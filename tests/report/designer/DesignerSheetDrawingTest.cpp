// What the sheet draws: text where the output page puts it, a barcode that a scanner reads,
// the marks of the selection, the grid, and elements too thin to draw into.

#include "DesignerSheetTestHost.h"

#include "report/output/Barcode.h"
#include "report/output/RunTestSupport.h"
#include "report/output/Sestava.h"

#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace orv;
using namespace sheettest;

namespace {

// The box of the pixels darker than mid grey inside r (empty when there are none).
QRect inkBox(const QImage &image, const QRect &r)
{
    QRect box;
    for (int y = std::max(r.top(), 0); y <= std::min(r.bottom(), image.height() - 1); ++y)
        for (int x = std::max(r.left(), 0); x <= std::min(r.right(), image.width() - 1); ++x)
            if (qGray(image.pixel(x, y)) < 128)
                box |= QRect(x, y, 1, 1);
    return box;
}

QImage grabBand(TOddil *band)
{
    return band->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

} // namespace

TEST(DesignerSheetDrawing, TextSitsWhereTheOutputPagePutsIt)
{
    runtest::Template t;
    t.section(0, true, 300);
    // Left, right and centred texts in different faces and sizes, one of them multi-line.
    t.Lines << QStringLiteral("Z,1,0,20,10,300,30,Arial,10,0,0,0,0,238,\"Mez kluzu Re\",0,0,0,\"\",0,\"\"")
            << QStringLiteral("Z,1,0,350,12,200,40,Times New Roman,14,0,1,1,0,238,\"Pevnost\",0,0,0,\"\",0,\"\"")
            << QStringLiteral("Z,1,0,40,80,400,30,Arial,12,0,1,2,0,238,\"Tažnost A5 [%]\",0,0,0,\"\",0,\"\"")
            << QStringLiteral("Z,1,0,100,140,180,120,Arial,9,0,0,16,0,238,\"Ocel k zušlechťování pro strojní součásti větších průřezů\",0,0,0,\"\",0,\"\"")
            // A Code 39 barcode with the narrowest bars: as wide as on the page, not widened.
            << QStringLiteral("Z,12,0,320,180,340,60,,5,0,3,32,16777215,0,\"'ORVALIS'\",0,0,0,\"\",0,\"\"");
    runtest::MemoryBridge data;
    data.Columns = {"A"};
    data.Rows.push_back({QStringLiteral("x")});
    TSestava printed;
    printed.IsStored = true;
    printed.Predloha = t.Lines;
    printed.DataSource = &data;
    ASSERT_EQ(printed.Run(), seOk);
    const QImage page = printed.Vystup.PageToImage(0, 100, false).convertToFormat(QImage::Format_RGB32);

    TestHost host;
    host.Settings.RastrZobrazovat = false;   // grid dots show through text: not ink of it
    TSestavaTyp designed;
    designed.SetPredloha(t.Lines);
    TDesignerSheet sheet(&host);
    sheet.build(&designed);
    ASSERT_EQ(sheet.paper()->bands().size(), 1u);
    TOddil *band = sheet.paper()->bands().front();
    const QImage drawn = grabBand(band);
    TOddilSestavy *header = designed.section(skReportHeader);
    ASSERT_EQ(header->elementCount(), 5);
    for (int i = 0; i < header->elementCount(); ++i) {
        const TSiReportElement *e = header->element(i);
        // Inside the element, clear of the outline the sheet draws around it.
        const QRect r(e->Left + 1, e->Top + 1, e->Width - 2, e->Height - 2);
        const QRect a = inkBox(drawn, r), b = inkBox(page, r);
        ASSERT_FALSE(a.isEmpty()) << i;
        ASSERT_FALSE(b.isEmpty()) << i;
        EXPECT_LE(std::abs(a.left() - b.left()), 1) << i;
        EXPECT_LE(std::abs(a.top() - b.top()), 1) << i;
        EXPECT_LE(std::abs(a.right() - b.right()), 1) << i;
        EXPECT_LE(std::abs(a.bottom() - b.bottom()), 1) << i;
    }
}

TEST(DesignerSheetDrawing, BarcodeGrabIsReadByAScanner)
{
    TestHost host;
    host.Zoom = 2.0;
    host.Settings.RastrZobrazovat = false;
    TSestavaTyp report;
    showOnlyTheBody(report, 150);
    // the whole code fits: the control clips what lies outside
    TSiReportElement *e = addToBody(report, ekBarcode, QRect(30, 20, 450, 80));
    e->Text = QStringLiteral("ORVALIS21");
    e->PenStyle = bcCode128B;
    e->PenWidth = 12;
    e->Flags = efPrintText;
    TDesignerSheet sheet(&host);
    sheet.build(&report);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("sheet.png"));
    ASSERT_TRUE(sheet.paper()->grab().save(file));
    QProcess zbar;
    zbar.start(QStringLiteral("zbarimg"), {QStringLiteral("-q"), QStringLiteral("--raw"), file});
    ASSERT_TRUE(zbar.waitForFinished(60000));
    EXPECT_EQ(QString::fromUtf8(zbar.readAllStandardOutput()).trimmed(), QStringLiteral("ORVALIS21"));
}

TEST(DesignerSheetDrawing, SelectionMarksGridAndThinElements)
{
    TestHost host;
    host.Settings.RastrX = 0;   // a hand-edited file: counts as 8
    TSestavaTyp report;
    showOnlyTheBody(report, 200);
    auto add = [&](int kind, QRect r) { return addToBody(report, kind, r); };
    TSiReportElement *a = add(ekRectangle, QRect(20, 20, 60, 40));
    TSiReportElement *b = add(ekRectangle, QRect(120, 20, 60, 40));
    TSiReportElement *thin = add(ekRectangle, QRect(220, 20, 1, 40));
    TSiReportElement *zero = add(ekEllipse, QRect(240, 20, 0, 40));
    TSiReportElement *detail = add(ekDetail, QRect(20, 100, 200, 60));
    TDesignerSheet sheet(&host);
    sheet.build(&report);
    TOddil *band = sheet.paper()->bands().front();
    EXPECT_EQ(band->gridX(), 8);

    // Unselected: a silver outline; the focused one alone: grey grips at the corners and edges.
    sheet.paper()->select(a);
    QImage img = grabBand(band);
    const QRgb grey = qRgb(0x80, 0x80, 0x80), silver = qRgb(0xC0, 0xC0, 0xC0);
    EXPECT_EQ(img.pixel(20 + 2, 20 + 2), grey);            // top-left grip
    EXPECT_EQ(img.pixel(20 + 29, 20 + 2), grey);           // top middle grip
    EXPECT_EQ(img.pixel(120, 20 + 20), silver);            // outline of b
    // Both selected: corner squares, filled on the focused element, hollow on the other.
    sheet.paper()->select(b, true);
    img = grabBand(band);
    EXPECT_EQ(img.pixel(120 + 2, 20 + 2), grey);           // b is focused now
    EXPECT_EQ(img.pixel(20 + 2, 20 + 2), qRgb(255, 255, 255));  // a's hollow square
    EXPECT_EQ(img.pixel(20, 20 + 2), grey);
    EXPECT_NE(img.pixel(20 + 29, 20 + 2), grey);           // no middle grips

    // Too thin to draw into: only the outline shows.
    EXPECT_EQ(img.pixel(220, 40), silver);
    EXPECT_EQ(sheet.paper()->controlOf(thin)->width(), 1);
    EXPECT_EQ(sheet.paper()->controlOf(zero)->width(), 1);

    // The detail placeholder is hatched, without an outline of its own.
    int dark = 0, light = 0;
    for (int y = 110; y < 150; ++y)
        for (int x = 30; x < 210; ++x)
            (qGray(img.pixel(x, y)) < 64 ? dark : light)++;
    EXPECT_GT(dark, 500);
    EXPECT_GT(light, 500);
    EXPECT_NE(img.pixel(detail->Left + 50, detail->Top), silver);

    // Grid dots every 8 pixels where nothing covers them.
    EXPECT_EQ(img.pixel(8 * 40, 8 * 20), qRgb(0, 0, 0));
    EXPECT_EQ(img.pixel(8 * 40 + 4, 8 * 20), qRgb(255, 255, 255));
    host.Settings.RastrZobrazovat = false;
    sheet.settingsChanged();
    img = grabBand(band);
    EXPECT_EQ(img.pixel(8 * 40, 8 * 20), qRgb(255, 255, 255));
}

TEST(DesignerSheetDrawing, ElementsOneUnitWideShowOnlyTheirOutline)
{
    TestHost host;
    host.Zoom = 3.0;
    host.Settings.RastrZobrazovat = false;
    TSestavaTyp report;
    showOnlyTheBody(report, 100);
    for (QRect r : {QRect(10, 10, 1, 40), QRect(30, 10, 40, 1), QRect(80, 10, 0, 40)}) {
        addToBody(report, ekDetail, r);   // would be hatched black if it were drawn into
    }
    TDesignerSheet sheet(&host);
    sheet.build(&report);
    const QImage img = grabBand(sheet.paper()->bands().front());
    // Inside the 3-pixel-wide control of the first, between its outline's two sides.
    for (int y = 33; y < 147; ++y)
        EXPECT_EQ(img.pixel(31, y), qRgb(255, 255, 255)) << y;
    for (int x = 93; x < 207; ++x)
        EXPECT_EQ(img.pixel(x, 31), qRgb(255, 255, 255)) << x;
    EXPECT_EQ(img.pixel(30, 60), qRgb(0xC0, 0xC0, 0xC0));
    EXPECT_EQ(sheet.paper()->controlOf(report.section(skBody)->element(2))->width(), 1);
}

TEST(DesignerSheetDrawing, EveryRepaintLooksAsAFreshSheetThroughZoomChangesAndEdits)
{
    // Pictures are kept from an element's second paint on: neither the first paint, straight
    // from the scratch image, nor a kept picture may show anything else than a sheet built
    // afresh in the same state.
    TestHost host;
    TSestavaTyp report;
    showOnlyTheBody(report, 120);
    TSiReportElement *text = addToBody(report, ekText, QRect(10, 10, 150, 20));
    text->Text = QStringLiteral("Mez kluzu Re");
    TSiReportElement *box = addToBody(report, ekRectangle, QRect(10, 40, 90, 30));
    box->BrushColor = 0x00E0E0E0;
    box->PenWidth = 2;
    addToBody(report, ekEllipse, QRect(120, 40, 200, 6));
    addToBody(report, ekText, QRect(200, 10, 40, 12))->Text = QStringLiteral("Přesahuje svůj rámeček");
    TDesignerSheet sheet(&host);
    sheet.build(&report);
    auto fresh = [&] {
        TDesignerSheet other(&host);
        other.build(&report);
        return grabBand(other.paper()->bands().front());
    };
    struct Step {
        double zoom;
        bool edit;
    };
    for (const Step &step : {Step{1.0, false}, Step{3.0, false}, Step{0.75, false},
                             Step{0.75, true}, Step{2.0, false}}) {
        if (host.Zoom != step.zoom) {
            host.Zoom = step.zoom;
            sheet.zoomChanged();
        }
        if (step.edit) {
            text->Text = QStringLiteral("Pevnost v tahu");
            sheet.paper()->elementChanged(text);
        }
        const QImage expected = fresh();
        for (int paint = 1; paint <= 3; ++paint)
            EXPECT_TRUE(grabBand(sheet.paper()->bands().front()) == expected)
                << "zoom " << step.zoom << ", edit " << step.edit << ", paint " << paint;
    }
}
