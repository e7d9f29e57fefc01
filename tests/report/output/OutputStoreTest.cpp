// The page store: pages, insertion order and layers, range trimming, items, drawing.
#include "OutputTestSupport.h"

#include "report/model/TextLayout.h"
#include "report/output/TolvaCanvas.h"

#include <QBuffer>

using namespace orv;
using outtest::Op;
using outtest::OutputTest;

namespace {

class StoreTest : public OutputTest {
protected:
    TVystPrvek *add(int kind, int page, int textFlags = 0, QRect r = QRect(10, 10, 100, 50))
    {
        TSiReportElement *e = keep(outtest::element(kind, textFlags));
        auto item = std::make_unique<TVystPrvek>(e, r.x(), r.y(), r.width(), r.height());
        TVystPrvek *raw = item.get();
        store.AddItem(std::move(item), page);
        return raw;
    }
    TRadky text(const QString &s, const TTextFont &font, double letterSpacing = 0, int width = 300)
    {
        TTextCanvas measure(100);
        TRadky lines;
        LayoutText(measure, QRect(0, 0, width, 100), s, lines, true, 0, letterSpacing, 0, font, false);
        return lines;
    }
    TSestVystup store;
};

} // namespace

TEST_F(StoreTest, CreatedWithThePrintableAreaAndDefaults)
{
    EXPECT_EQ(store.PageWidth, 826 - 100);
    EXPECT_EQ(store.PageHeight, 1169 - 140);
    EXPECT_EQ(store.FirstPage, 1);
    EXPECT_EQ(store.LastPage, 9999);
    EXPECT_EQ(store.Copies, 1);
    EXPECT_EQ(store.LineSpacing, -1);
    pageSetup().Orientation = 1;
    store.Clear();
    EXPECT_EQ(store.PageWidth, 1169 - 100);
    EXPECT_EQ(store.PageHeight, 826 - 140);
}

TEST_F(StoreTest, AddingToPageFiveOfAnEmptyStoreCreatesSixPages)
{
    add(ekText, 5);
    ASSERT_EQ(store.PageCount(), 6);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(store.Page(i)->count(), 0) << i;
    EXPECT_EQ(store.Page(5)->count(), 1);
    EXPECT_EQ(store.Page(6), nullptr);
    EXPECT_EQ(store.Page(-1), nullptr);
    add(ekText, 2);
    EXPECT_EQ(store.PageCount(), 6);
}

TEST_F(StoreTest, ShapesGoUnderTextAndLaterShapesUnderEarlierOnes)
{
    TVystPrvek *text = add(ekText, 0);
    TVystPrvek *rect1 = add(ekRectangle, 0);
    TVystPrvek *rect2 = add(ekRectangle, 0);
    TVystPrvek *picture = add(ekPicture, 0);
    const TStranaPrvku *page = store.Page(0);
    ASSERT_EQ(page->count(), 4);
    EXPECT_EQ(page->item(0), picture);
    EXPECT_EQ(page->item(1), rect2);
    EXPECT_EQ(page->item(2), rect1);
    EXPECT_EQ(page->item(3), text);
    // Shapes and pictures share a layer; the shape placed before text opened a new one.
    EXPECT_EQ(text->Layer, 0);
    EXPECT_EQ(rect1->Layer, 1);
    EXPECT_EQ(rect2->Layer, 1);
    EXPECT_EQ(picture->Layer, 1);
    EXPECT_EQ(page->LayerCount, 1);

    // What is painted follows that order: the filled rectangle before the text.
    text->SetLines(this->text(QStringLiteral("Nad rámečkem"), TTextFont()));
    const std::vector<Op> ops = outtest::record(store, 0);
    ASSERT_FALSE(ops.empty());
    size_t firstText = ops.size(), lastRect = 0;
    for (size_t i = 0; i < ops.size(); ++i) {
        if (ops[i].kind == Op::Text)
            firstText = std::min(firstText, i);
        if (ops[i].kind == Op::Rect)
            lastRect = i;
    }
    EXPECT_LT(lastRect, firstText);
}

TEST_F(StoreTest, TextItemsKeepAscendingTextFlags)
{
    TVystPrvek *multi = add(ekText, 0, tfMultiLine);
    TVystPrvek *plain = add(ekFunction, 0, 0);
    TVystPrvek *multi2 = add(ekVariable, 0, tfMultiLine);
    TVystPrvek *justify = add(ekText, 0, tfJustify);
    const TStranaPrvku *page = store.Page(0);
    EXPECT_EQ(page->item(0), plain);
    EXPECT_EQ(page->item(1), multi2);
    EXPECT_EQ(page->item(2), multi);
    EXPECT_EQ(page->item(3), justify);
    EXPECT_EQ(multi2->Layer, multi->Layer);
    EXPECT_NE(plain->Layer, multi->Layer);
    EXPECT_GT(justify->Layer, plain->Layer);
}

TEST_F(StoreTest, SetRangeTrimsPagesForGood)
{
    for (int p = 0; p < 5; ++p)
        add(ekText, p);
    store.SetRange(2, 99, 3, 2);
    EXPECT_EQ(store.PageCount(), 5);
    EXPECT_EQ(store.LastPage, 5);
    EXPECT_EQ(store.CurrentPage, 1);
    EXPECT_EQ(store.ExportLanguage, 3);
    EXPECT_EQ(store.Copies, 2);
    store.SetRange(1, 3, 0, 1);
    EXPECT_EQ(store.PageCount(), 3);
    store.SetRange(1, 9999, 0, 1);
    EXPECT_EQ(store.PageCount(), 3);  // gone, not skipped
    store.DeletePage(0);
    store.DeletePage(7);
    EXPECT_EQ(store.PageCount(), 2);
    store.Clear();
    EXPECT_EQ(store.PageCount(), 0);
}

TEST_F(StoreTest, ItemLinesAndPictures)
{
    TVystPrvek *item = add(ekText, 0);
    EXPECT_EQ(item->FirstLineText(), QString());
    TTextFont font;
    const TRadky lines = text(QStringLiteral("první\ndruhý\ntřetí"), font);
    item->SetLineRange(lines, 1, 2);
    EXPECT_EQ(item->FirstLine, 0);
    EXPECT_EQ(item->LastLine, 1);
    EXPECT_EQ(item->FirstLineText(), QStringLiteral("druhý"));
    item->SetLines(lines);
    EXPECT_EQ(item->LastLine, 2);

    QImage image(4, 4, QImage::Format_RGB32);
    item->SetPicture(image);
    EXPECT_TRUE(item->HasPicture);
    EXPECT_TRUE(item->Picture.has_value());
    item->SetPictureFile(QStringLiteral("logo.png"));
    EXPECT_FALSE(item->Picture.has_value());
    EXPECT_EQ(item->PictureFile, QStringLiteral("logo.png"));
}

TEST_F(StoreTest, FittingPictures)
{
    const TCornerRect r{100, 200, 700, 500};  // 600 x 300
    // Stretch alone fills the rectangle.
    EXPECT_EQ(FitPicture(r, 50, 50, efStretch, 0), r);
    // Keep proportions, wide picture: the width stays, top-anchored.
    EXPECT_EQ(FitPicture(r, 1200, 300, efStretch | efKeepAspect, 0), (TCornerRect{100, 200, 700, 350}));
    // Tall picture: the height stays, placed by the alignment.
    EXPECT_EQ(FitPicture(r, 100, 300, efStretch | efKeepAspect, alLeft), (TCornerRect{100, 200, 200, 500}));
    EXPECT_EQ(FitPicture(r, 100, 300, efStretch | efKeepAspect, alRight), (TCornerRect{600, 200, 700, 500}));
    EXPECT_EQ(FitPicture(r, 100, 300, efStretch | efKeepAspect, alCenter), (TCornerRect{350, 200, 450, 500}));
    EXPECT_EQ(FitPicture(r, 0, 300, efStretch | efKeepAspect, 0), r);
    // Natural size, not clipped: a tall picture reaches below the rectangle.
    EXPECT_EQ(FitPicture(r, 120, 900, 0, alLeft), (TCornerRect{100, 200, 220, 1100}));
    EXPECT_EQ(FitPicture(r, 120, 900, 0, alRight), (TCornerRect{580, 200, 700, 1100}));
    EXPECT_EQ(FitPicture(r, 120, 900, 0, alCenter), (TCornerRect{340, 200, 460, 1100}));
}

TEST_F(StoreTest, APictureWithoutStretchExtendsBelowItsRectangle)
{
    QImage tall(20, 80, QImage::Format_RGB32);
    tall.fill(Qt::red);
    TVystPrvek *item = add(ekPicture, 0, 0, QRect(10, 20, 100, 40));
    item->SetPicture(tall);
    int prepared = 0;
    store.OnPreparePicture = [&](QImage &picture, int w, int h) {
        ++prepared;
        EXPECT_EQ(picture.size(), QSize(20, 80));
        EXPECT_EQ(w, 600);
        EXPECT_EQ(h, 240);
    };
    const std::vector<Op> ops = outtest::record(store, 0);
    ASSERT_EQ(ops.size(), 1u);
    EXPECT_EQ(ops[0].kind, Op::Image);
    EXPECT_EQ(ops[0].rect, QRectF(60, 120, 120, 480));  // one picture pixel per hundredth
    EXPECT_GT(ops[0].rect.bottom(), (20 + 40) * 6);
    EXPECT_EQ(prepared, 1);
    store.OnPreparePicture = nullptr;

    // Referring to the element's picture by name uses the element's current picture; an
    // element without a loadable picture leaves the rectangle empty.
    TVystPrvek *named = add(ekPicture, 1);
    named->SetPictureFile(QStringLiteral("chybí.jpg"));
    EXPECT_TRUE(outtest::record(store, 1).empty());
    named->Element->Picture = tall;
    EXPECT_EQ(outtest::record(store, 1).size(), 1u);
}

TEST_F(StoreTest, FieldPicturesAreAlignedAndFramed)
{
    QImage wide(30, 10, QImage::Format_RGB32);
    TVystPrvek *item = add(ekField, 0, 0, QRect(0, 0, 100, 50));
    item->Element->Alignment = alRight;
    item->Element->Flags = efFrameLeft | efFrameBottom;
    item->SetPicture(wide);
    const std::vector<Op> ops = outtest::record(store, 0);
    ASSERT_EQ(ops.size(), 3u);
    EXPECT_EQ(ops[0].rect, QRectF(420, 0, 180, 60));
    EXPECT_EQ(ops[1].kind, Op::Line);
    EXPECT_EQ(ops[1].line, QLineF(0, 300, 0, 0));
    EXPECT_EQ(ops[2].line, QLineF(600, 300, 0, 300));
}

TEST_F(StoreTest, LineElementsInsetAndDrawTheirBits)
{
    TVystPrvek *item = add(ekLine, 0, 0, QRect(10, 10, 100, 50));
    item->Element->PenWidth = 3;
    item->Element->Flags = efFrameTop | efDiagonal1 | efInscribedEllipse;
    const std::vector<Op> ops = outtest::record(store, 0);
    ASSERT_EQ(ops.size(), 3u);
    // Device rectangle 60,60 - 660,360; inset 1 left/top and 2 right/bottom.
    EXPECT_EQ(ops[0].line, QLineF(61, 61, 658, 61));
    EXPECT_DOUBLE_EQ(ops[0].penWidth, 13);  // round((3 - 1) x 6) + 1
    EXPECT_EQ(ops[1].line, QLineF(61, 358, 658, 61));
    EXPECT_EQ(ops[2].kind, Op::Ellipse);
}

TEST_F(StoreTest, ShapesUseTheirBrushAndARoundedCornerOfFortyHundredths)
{
    TVystPrvek *rect = add(ekRectangle, 0, 0, QRect(0, 0, 100, 100));
    rect->Element->BrushColor = 12;  // a palette index: blue
    rect->Element->BrushColor = colorFromField(12);
    rect->Element->PenWidth = 0;
    TVystPrvek *round = add(ekRoundRect, 1, 0, QRect(0, 0, 100, 10));
    round->Element->PenWidth = 1;
    const std::vector<Op> ops = outtest::record(store, 0);
    ASSERT_EQ(ops.size(), 1u);
    EXPECT_EQ(ops[0].color, QColor(0, 0, 255));
    const std::vector<Op> rounded = outtest::record(store, 1);
    ASSERT_EQ(rounded.size(), 1u);
    EXPECT_EQ(rounded[0].kind, Op::Path);  // drawn as a rounded path
}

TEST_F(StoreTest, Roman17cpiIsDrawnInCourierNewEightPoints)
{
    TVystPrvek *item = add(ekText, 0, 0, QRect(0, 0, 300, 30));
    item->Element->Font.Name = QStringLiteral("Roman 17cpi");
    // The run lays the text out in the replacing font on the character pitch.
    TTextFont font;
    font.Name = item->Element->Font.Name;
    ASSERT_TRUE(ReplaceRomanFont(font));
    item->SetLines(text(QStringLiteral("ABCD"), font, 100.0 / RomanFontCpi(QStringLiteral("Roman 17cpi"))));
    std::vector<Op> ops = outtest::record(store, 0);
    ASSERT_EQ(ops.size(), 4u);
    for (const Op &op : ops) {
        EXPECT_EQ(op.font.families().value(0), QStringLiteral("Courier New"));
        EXPECT_EQ(op.font.pixelSize(), 67);  // 8 x 6 points at 100 pixels per inch
    }
    EXPECT_NEAR(ops[1].at.x() - ops[0].at.x(), 600.0 / 17, 1.0);
    EXPECT_NEAR(ops[3].at.x() - ops[0].at.x(), 3 * 600.0 / 17, 1.0);

    // Rotated text takes the element's font, replaced the same way.
    item->Element->Angle = 90;
    ops = outtest::record(store, 0);
    ASSERT_EQ(ops.size(), 4u);
    EXPECT_EQ(ops[0].font.families().value(0), QStringLiteral("Courier New"));
    EXPECT_EQ(ops[0].font.pixelSize(), 67);
    // Rotated by 90 degrees counter-clockwise the characters go up the page.
    EXPECT_GT(ops[0].at.y(), ops[3].at.y());
    EXPECT_NEAR(ops[0].at.x(), ops[3].at.x(), 0.5);
}

TEST_F(StoreTest, TextFrameLinesFollowTheFlags)
{
    TVystPrvek *item = add(ekParameter, 0, 0, QRect(10, 10, 100, 50));
    item->Element->Flags = efFrameLeft | efFrameTop | efFrameRight | efFrameBottom;
    const std::vector<Op> ops = outtest::record(store, 0);
    ASSERT_EQ(ops.size(), 4u);
    EXPECT_EQ(ops[0].line, QLineF(60, 360, 60, 60));
    EXPECT_EQ(ops[1].line, QLineF(60, 60, 660, 60));
    EXPECT_EQ(ops[2].line, QLineF(660, 60, 660, 360));
    EXPECT_EQ(ops[3].line, QLineF(660, 360, 60, 360));
}

TEST_F(StoreTest, RenderingMakesAPageImageOfThePrintableAreaAt600UnitsPerInch)
{
    TVystPrvek *item = add(ekRectangle, 0, 0, QRect(100, 100, 200, 100));
    item->Element->BrushColor = colorFromField(9);  // red
    store.RenderPage(0, false);
    EXPECT_EQ(store.PageImage.boundingRect(), QRect(0, 0, 726 * 6, 1029 * 6));
    const QImage image = store.PageToImage(0, 100);
    ASSERT_EQ(image.size(), QSize(726, 1029));
    EXPECT_EQ(QColor(image.pixel(200, 150)), QColor(Qt::red));
    EXPECT_EQ(QColor(image.pixel(50, 50)), QColor(Qt::white));
    // An invalid page leaves the last page image as it was.
    const QRect before = store.PageImage.boundingRect();
    store.RenderPage(3, false);
    EXPECT_EQ(store.PageImage.boundingRect(), before);
    EXPECT_TRUE(store.PageToImage(3).isNull());
}

TEST_F(StoreTest, BackgroundIsStretchedIntoItsRectangleOnThePrintableArea)
{
    add(ekText, 0);
    QImage background(10, 10, QImage::Format_RGB32);
    background.fill(Qt::green);
    store.SetBackground(&background, TCornerRect{50, 70, 150, 170}, true);
    EXPECT_TRUE(store.PrintBackground);
    const std::vector<Op> ops = outtest::record(store, 0, true);
    ASSERT_FALSE(ops.empty());
    EXPECT_EQ(ops[0].kind, Op::Image);
    EXPECT_EQ(ops[0].rect, QRectF(0, 0, 601, 601));
    EXPECT_TRUE(outtest::record(store, 0, false).empty());
    store.SetBackground(nullptr, TCornerRect{}, true);
    EXPECT_FALSE(store.PrintBackground);
}

TEST_F(StoreTest, BarcodesGoThroughTheBarcodeHookWithoutFailing)
{
    TVystPrvek *item = add(ekBarcode, 0);
    item->Element->PenWidth = 200;  // outside the module range: 8 is used
    TTextFont font;
    item->SetLines(text(QStringLiteral("8594000000001"), font));
    store.RenderPage(0, false);
    EXPECT_EQ(store.PageImage.boundingRect().width(), 726 * 6);
}
