// Sample pages with Czech text, shapes and pictures, rendered to PNG files under the build
// folder (sample-pages/) for people to look at; the test checks that each page shows what
// was put on it.
#include "OutputTestSupport.h"

#include "report/model/TextLayout.h"
#include "report/output/TolvaCanvas.h"

#include <QDir>
#include <QLinearGradient>
#include <QPainter>

#include <functional>

using namespace orv;
using outtest::OutputTest;

namespace {

class SamplePages : public OutputTest {
protected:
    TVystPrvek *text(int page, QRect r, const QString &s, TTextFont font, int alignment = 0,
                     bool rich = false, int flags = 0, int angle = 0)
    {
        TSiReportElement *e = keep(outtest::element(ekText));
        e->Flags = flags;
        e->Angle = angle;
        e->Font.Name = font.Name;
        e->Font.Size = int(font.Size);
        e->Font.Style = (font.Bold ? fsBold : 0) | (font.Italic ? fsItalic : 0);
        TTextCanvas measure(100);
        TRadky lines;
        // Rotated text is drawn as its first line, laid out along the rectangle's height.
        const int width = angle == 0 ? r.width() : r.height();
        LayoutText(measure, QRect(0, 0, width, r.height()), s, lines, angle == 0, 0, 0, alignment,
                   font, rich);
        auto item = std::make_unique<TVystPrvek>(e, r.x(), r.y(), r.width(), r.height());
        item->SetLines(lines);
        TVystPrvek *raw = item.get();
        store.AddItem(std::move(item), page);
        return raw;
    }
    TSiReportElement *shape(int page, int kind, QRect r, int brush = 15, int pen = 1, int flags = 0)
    {
        TSiReportElement *e = keep(outtest::element(kind));
        e->BrushColor = colorFromField(brush);
        e->PenWidth = pen;
        e->Flags = flags;
        store.AddItem(std::make_unique<TVystPrvek>(e, r.x(), r.y(), r.width(), r.height()), page);
        return e;
    }
    void picture(int page, int kind, QRect r, const QImage &image, int flags, int alignment = 0)
    {
        TSiReportElement *e = keep(outtest::element(kind));
        e->Flags = flags;
        e->Alignment = alignment;
        auto item = std::make_unique<TVystPrvek>(e, r.x(), r.y(), r.width(), r.height());
        item->SetPicture(image);
        store.AddItem(std::move(item), page);
    }
    // Two pages of Czech text, rich text, shapes, frames, pictures and rotated text.
    void mixedPages()
    {
        const QString heading = QStringLiteral("Materiálový list: ocel 11 523 (S355J2)");
        text(0, QRect(0, 0, 726, 40), heading, font(QStringLiteral("Arial"), 16, true));
        shape(0, ekLine, QRect(0, 42, 726, 3), 15, 2, efFrameBottom);
        text(0, QRect(0, 55, 460, 200),
             QStringLiteral("Jemnozrnná konstrukční ocel vhodná ke svařování. Používá se na svařované "
                            "konstrukce, mosty, jeřáby, tlakové nádoby a části strojů namáhané "
                            "staticky i dynamicky. Zaručená vrubová houževnatost při −20 °C; "
                            "příliš žluťoučký kůň úpěl ďábelské ódy."),
             font(QStringLiteral("Times New Roman"), 11), 3);
        // Bullets hang in front of the paragraph, so the list keeps some room on its left.
        text(0, QRect(30, 215, 430, 160),
             QStringLiteral("{\\rtf1\\ansi{\\fonttbl{\\f0\\fswiss\\fcharset238 Arial;}{\\f1\\fmodern\\fcharset238 Courier New;}}"
                            "{\\colortbl;\\red200\\green30\\blue30;\\red0\\green100\\blue0;}"
                            "\\f0\\fs20 Chemick\\'e9 slo\\'9een\\'ed: \\b C\\b0  0,20 %, \\b Mn\\b0  1,60 %, "
                            "\\cf1\\b Si\\b0\\cf0  0,55 %\\par"
                            "{\\pntext\\'b7\\tab}{\\*\\pn\\pnlvlblt{\\pntxtb\\'b7}}\\fi-360\\li360 mez kluzu "
                            "\\i R\\i0\\fs14 e\\fs20  \\tab 355 MPa\\par"
                            "{\\pntext\\'b7\\tab}\\fi-360\\li360 pevnost \\i R\\i0\\fs14 m\\fs20 \\tab 470\\'96630 MPa\\par"
                            "\\pard\\qr\\cf2\\f1 \\'c8SN EN 10025-2\\par}"),
             font(QStringLiteral("Arial"), 10), 0, true);
        picture(0, ekPicture, QRect(490, 55, 236, 150), sampleImage(), efStretch | efKeepAspect);
        shape(0, ekRectangle, QRect(490, 230, 110, 70), 11, 1);
        shape(0, ekRoundRect, QRect(616, 230, 110, 70), 10, 2);
        shape(0, ekEllipse, QRect(490, 320, 110, 70), 14, 1);
        shape(0, ekLine, QRect(616, 320, 110, 70), 15, 1,
              efFrameLeft | efFrameTop | efFrameRight | efFrameBottom | efDiagonal1 | efDiagonal2);
        text(0, QRect(0, 400, 726, 30), QStringLiteral("Zaoblený rámeček, elipsa a úsečky leží pod textem."),
             font(QStringLiteral("Arial"), 10, false, true), 2, false, efFrameTop | efFrameBottom);
        text(0, QRect(660, 440, 60, 200), QStringLiteral("Svislý text"), font(QStringLiteral("Arial"), 12, true),
             0, false, 0, 90);
        // A table of properties with frames.
        const QStringList rows = {QStringLiteral("Tloušťka [mm]"), QStringLiteral("≤ 16"), QStringLiteral("16 – 40"),
                                  QStringLiteral("40 – 63")};
        const QStringList values = {QStringLiteral("Re [MPa]"), QStringLiteral("355"), QStringLiteral("345"),
                                    QStringLiteral("335")};
        for (int i = 0; i < rows.size(); ++i) {
            const int y = 450 + i * 22;
            const TTextFont f = font(QStringLiteral("Arial"), 10, i == 0);
            text(0, QRect(0, y, 200, 22), rows[i], f, 0, false, efFrameLeft | efFrameTop | efFrameBottom);
            text(0, QRect(200, y, 150, 22), values[i], f, 1, false,
                 efFrameLeft | efFrameTop | efFrameRight | efFrameBottom);
        }
        shape(0, ekRectangle, QRect(0, 450, 350, 22), 8, 0);

        // Page 2: a picture at natural size reaching below its rectangle, a framed field picture
        // and the character printer's font.
        text(1, QRect(0, 0, 726, 30), QStringLiteral("Strana 2 – obrázky a znaková písma"),
             font(QStringLiteral("Arial"), 14, true));
        picture(1, ekPicture, QRect(0, 40, 300, 50), sampleImage(), 0);
        shape(1, ekRectangle, QRect(0, 40, 300, 50), 15, 1)->BrushStyle = bsClear;
        picture(1, ekField, QRect(330, 40, 396, 120), sampleImage(), efStretch | efKeepAspect | 0x0F, alCenter);
        TTextFont roman = font(QStringLiteral("Roman 17cpi"), 10);
        ReplaceRomanFont(roman);
        TSiReportElement *e = keep(outtest::element(ekText));
        e->Font.Name = QStringLiteral("Roman 17cpi");
        TTextCanvas measure(100);
        TRadky lines;
        LayoutText(measure, QRect(0, 0, 726, 60), QStringLiteral("ZNAKOVÝ TISK 17 CPI: Ocel 11 523, Ř, Ž, Č"),
                   lines, true, 100.0 / 6, 100.0 / 17, 0, roman, false);
        auto item = std::make_unique<TVystPrvek>(e, 0, 200, 726, 60);
        item->SetLines(lines);
        store.AddItem(std::move(item), 1);
    }

    static TTextFont font(const QString &name, double size, bool bold = false, bool italic = false)
    {
        TTextFont f;
        f.Name = name;
        f.Size = size;
        f.Bold = bold;
        f.Italic = italic;
        f.Charset = 238;
        return f;
    }
    static QImage sampleImage()
    {
        QImage image(160, 100, QImage::Format_RGB32);
        QPainter p(&image);
        QLinearGradient g(0, 0, 160, 100);
        g.setColorAt(0, QColor(30, 80, 160));
        g.setColorAt(1, QColor(220, 230, 240));
        p.fillRect(image.rect(), g);
        p.setBrush(QColor(200, 60, 40));
        p.setPen(Qt::NoPen);
        p.drawEllipse(QPoint(50, 55), 28, 28);
        p.setBrush(QColor(240, 190, 40));
        p.drawRect(95, 30, 45, 50);
        return image;
    }

    TSestVystup store;
};

int inkPixels(const QImage &image)
{
    int n = 0;
    for (int y = 0; y < image.height(); y += 2)
        for (int x = 0; x < image.width(); x += 2)
            if (image.pixel(x, y) != qRgb(255, 255, 255))
                ++n;
    return n;
}

} // namespace

TEST_F(SamplePages, RenderMixedPagesToPng)
{
    mixedPages();
    const QString dir = QStringLiteral(ORVALIS_BINARY_DIR "/sample-pages");
    QDir().mkpath(dir);
    for (int p = 0; p < store.PageCount(); ++p) {
        const QImage image = store.PageToImage(p, 100);
        ASSERT_FALSE(image.isNull());
        EXPECT_GT(inkPixels(image), 2000) << p;
        EXPECT_TRUE(store.SavePagePng(dir + QStringLiteral("/page%1.png").arg(p + 1), p, 100));
    }
    // The picture without stretching reaches below its 50-hundredths rectangle: at 100 dpi
    // its 100 pixel rows end at y 140, well below the rectangle's bottom at 90.
    const QImage page2 = store.PageToImage(1, 100);
    EXPECT_NE(page2.pixel(150, 120), qRgb(255, 255, 255));
}

// The page image keeps what the page drawing paints: played back at 100 dots per inch it
// shows the very pixels the page drawn straight onto the image shows, with the background,
// hatched and struck-out shapes and text, clipped rotated text and barcodes. (On the sample
// pages, but in the ordinary run.)
using PageImageTest = SamplePages;

TEST_F(PageImageTest, PlaysBackAsThePageDrawnDirectly)
{
    mixedPages();
    TTextFont marked = font(QStringLiteral("Arial"), 12);
    marked.Underline = true;
    marked.Strikeout = true;
    text(1, QRect(0, 300, 400, 30), QStringLiteral("Přeškrtnutý a podtržený text"), marked);
    shape(1, ekRectangle, QRect(420, 300, 120, 80), 12, 3)->BrushStyle = bsDiagCross;
    const struct { int type; const char *data; int angle; } codes[] = {
        {bcEan13, "859400000000", 0}, {bcCode39, "ORV-11523", 90}, {bcCode128B, "Ocel S355", 33}};
    int x = 0;
    for (const auto &c : codes) {
        TSiReportElement *e = keep(outtest::element(ekBarcode));
        e->PenStyle = c.type;
        e->PenWidth = 8;
        e->Angle = c.angle;
        e->Flags = efPrintText | efCheckDigit;
        TTextCanvas measure(100);
        TRadky lines;
        LayoutText(measure, QRect(0, 0, 300, 20), QString::fromLatin1(c.data), lines, false, 0, 0,
                   0, font(QStringLiteral("Arial"), 10), false);
        auto item = std::make_unique<TVystPrvek>(e, x, 420, 200, 60);
        item->SetLines(lines);
        store.AddItem(std::move(item), 1);
        x += 240;
    }
    QImage background(20, 30, QImage::Format_RGB32);
    background.fill(QColor(255, 240, 200));
    store.SetBackground(&background, TCornerRect{100, 100, 500, 700}, true);

    // At 100 dots per inch, with the painter's own render hints: the page image keeps the
    // hints that the drawing sets as they are set.
    auto onPaper = [&](const std::function<void(QPainter &)> &paint) {
        QImage image(store.PageWidth, store.PageHeight, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.scale(1 / 6.0, 1 / 6.0);
        paint(painter);
        return image;
    };
    for (int p = 0; p < store.PageCount(); ++p) {
        const QImage direct = onPaper([&](QPainter &painter) { store.DrawPageContent(painter, p, true); });
        store.RenderPage(p, true);
        const QImage played = onPaper([&](QPainter &painter) { EXPECT_TRUE(store.PageImage.play(&painter)); });
        EXPECT_EQ(played, direct) << "page " << p + 1;
        // On a clipped painter the clips of the page (the rotated text's) stay within it.
        const int half = store.PageWidth / 2;
        const QImage clipped = onPaper([&](QPainter &painter) {
            painter.setClipRect(QRect(0, 0, half * 6, store.PageHeight * 6));
            store.PageImage.play(&painter);
        });
        QImage leftHalf = played;
        QPainter(&leftHalf).fillRect(QRect(half, 0, store.PageWidth, store.PageHeight), Qt::white);
        EXPECT_EQ(clipped, leftHalf) << "page " << p + 1;
    }
}
