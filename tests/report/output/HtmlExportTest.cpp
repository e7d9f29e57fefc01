// The HTML writer, checked by tidy; its bitmaps read back by Qt and zbarimg.
#include "ExportTestSupport.h"

#include "core/CodePage.h"
#include "report/model/SestError.h"
#include "report/output/Barcode.h"
#include "report/output/HtmlExport.h"
#include "report/output/TolvaCanvas.h"
#include "report/output/Sestava.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QSvgRenderer>
#include <QStandardPaths>
#include <QUrl>

using namespace orv;
using namespace outtest;

namespace {

class HtmlTest : public ExportTest {
protected:
    QByteArray save(int page = 0, const QString &base = QStringLiteral("plan.bmp"))
    {
        QFile f(path("out.html"));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        EXPECT_EQ(SaveHtml(store, f, dir.path(), page, base), seOk);
        f.close();
        return readAll(path("out.html"));
    }
    TVystPrvek *addPicture(int page, QRect r, QColor colour, QSize size = QSize(40, 20))
    {
        TVystPrvek *p = addShape(page, ekPicture, r);
        QImage img(size, QImage::Format_RGB32);
        img.fill(colour);
        p->SetPicture(img);
        return p;
    }
    TVystPrvek *addEan13(QRect r, int module)
    {
        TVystPrvek *code = addShape(0, ekBarcode, r);
        code->Element->PenStyle = bcEan13;
        code->Element->PenWidth = module;
        code->Element->Flags = efCheckDigit | efPrintText;
        TRadky lines;
        lines.Lines.resize(1);
        TFragment run;
        run.Chars = QStringLiteral("5901234123450");   // the last digit becomes the check digit
        run.Length = int(run.Chars.size());
        run.Positions.assign(size_t(run.Length) + 1, 0);
        lines.Lines[0].Runs.push_back(run);
        code->SetLines(lines);
        return code;
    }
};

// tidy finds no errors; the warnings left are those of the old-style markup.
TEST_F(HtmlTest, TidyReportsNoErrorsAndTheTextIsCodePage1250)
{
    addText(0, kCzech + QStringLiteral(" <a> & b"), QRect(0, 0, 700, 40));
    addText(0, QStringLiteral("První řádek\nDruhý řádek"), QRect(0, 100, 300, 80), "Arial", 10,
            fsBold | fsItalic, alRight);
    TVystPrvek *r = addShape(0, ekRectangle, QRect(0, 300, 100, 100));
    r->Element->PenWidth = 2;
    addPicture(0, QRect(200, 300, 40, 20), Qt::red);
    const QByteArray html = save();
    EXPECT_TRUE(html.contains("<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=windows-1250\">\n"));
    EXPECT_TRUE(html.contains(encode(kCzech) + " &lt;a&gt; &amp; b"));

    const ToolResult t = runTool("tidy", {"-q", "-e", path("out.html")});
    EXPECT_LT(t.exitCode, 2) << t.err.constData();
    EXPECT_FALSE(t.err.contains("Error:")) << t.err.constData();
}

TEST_F(HtmlTest, LinesBlocksAndColours)
{
    // two lines: spaces after the first one become non-breaking
    addText(0, QStringLiteral("A  B  C\ndruhý"), QRect(10, 20, 300, 100));
    // one line wider than its item is cut at the end
    addText(0, QStringLiteral("Velmi dlouhý text, který se nevejde"), QRect(10, 200, 60, 30), "Arial", 10,
            0, alLeft, false);
    TVystPrvek *blue = addShape(0, ekRectangle, QRect(50, 300, 100, 40));
    blue->Element->BrushColor = colorFromField(12);
    blue->Element->PenWidth = 0;
    TVystPrvek *white = addShape(0, ekRoundRect, QRect(50, 400, 100, 40));
    white->Element->BrushColor = colorFromField(15);
    white->Element->PenWidth = 2;
    white->Element->PenStyle = 1;
    white->Element->PenColor = colorFromField(9);
    TVystPrvek *roman = addText(0, QStringLiteral("tiskárna"), QRect(10, 500, 300, 30), "Roman 12cpi");
    roman->Element->Font.Name = "Roman 12cpi";
    const QByteArray html = save();
    EXPECT_TRUE(html.contains(">A &nbsp;B&nbsp;&nbsp;C</DIV>")) << html.constData();
    EXPECT_TRUE(html.contains("<DIV STYLE=\"position: absolute; top: 20px; left: 10px; width: 300px; height: "));
    EXPECT_TRUE(html.contains("background-color: #0000FF; position: absolute; top: 300px; left: 50px; "
                              "width: 100px; height: 40px;\"></DIV>"));
    EXPECT_TRUE(html.contains("background-color: #FFFFFF;"));
    EXPECT_TRUE(html.contains("border-top: 2px dashed #FF0000; border-right: 2px dashed #FF0000;"));
    // 10 points in pixels of a hundredth of an inch
    EXPECT_TRUE(QRegularExpression("font: 13.89px Courier New; line-height: [0-9.]+px; color: #000000\">tisk")
                    .match(QString::fromLatin1(html)).hasMatch()) << html.constData();
    const qsizetype cut = html.indexOf(">Velmi");
    ASSERT_GT(cut, 0);
    const QByteArray shown = html.mid(cut + 1, html.indexOf("</DIV>", cut) - cut - 1);
    EXPECT_LT(shown.size(), 20);
    EXPECT_GT(shown.size(), 3);
}

TEST_F(HtmlTest, RichTextItemsWriteTheirPlainLines)
{
    addText(0, QStringLiteral("{\\rtf1\\ansi {\\b Tu\\'e8n\\'fd} text\\par druh\\'fd}"), QRect(0, 0, 400, 100),
            "Arial", 10, 0, alLeft, true, tfRtf);
    const QByteArray html = save();
    EXPECT_TRUE(html.contains(encode(QStringLiteral("Tučný"))));
    EXPECT_TRUE(html.contains(encode(QStringLiteral("druhý"))));
}

TEST_F(HtmlTest, PictureBitmapsHaveTheItemsSizeAndUniqueNames)
{
    addText(0, QStringLiteral("a"), QRect(0, 0, 100, 30));
    addText(0, QStringLiteral("b"), QRect(0, 40, 100, 30));
    addText(0, QStringLiteral("c"), QRect(0, 80, 100, 30));
    // shapes and pictures go under the text: the picture is the first item of the page
    addPicture(0, QRect(200, 300, 120, 70), Qt::blue);
    const QByteArray html = save(0, "plan");
    EXPECT_TRUE(html.contains("<IMG SRC=\"plan1.bmp\" ALT=\"\">")) << html.constData();
    const QImage bmp(path("plan1.bmp"));
    ASSERT_FALSE(bmp.isNull());
    EXPECT_EQ(bmp.size(), QSize(120, 70));
    EXPECT_EQ(bmp.pixelColor(10, 10), QColor(Qt::blue));   // not stretched: 40 x 20 in the corner
    EXPECT_EQ(bmp.pixelColor(100, 60), QColor(Qt::white));
    EXPECT_EQ(HtmlPictureName("plan.bmp", 4), "plan4.bmp");

    // every page of a report: page 1 picture 12 and page 11 picture 2 keep their own files
    TSestavaTyp rep;
    for (int i = 0; i < 12; ++i) {
        auto *e = keep(element(ekPicture));
        auto item = std::make_unique<TVystPrvek>(e, 10 * i, 0, 10, 10);
        QImage img(4, 4, QImage::Format_RGB32);
        img.fill(QColor(i * 20, 0, 0));
        item->SetPicture(img);
        rep.Vystup.AddItem(std::move(item), 0);
    }
    for (int p = 1; p < 11; ++p)
        for (int i = 0; i < 2; ++i) {
            auto *e = keep(element(ekPicture));
            auto item = std::make_unique<TVystPrvek>(e, 20 * i, 0, 10, 10);
            QImage img(4, 4, QImage::Format_RGB32);
            img.fill(QColor(0, p * 20, 0));
            item->SetPicture(img);
            rep.Vystup.AddItem(std::move(item), p);
        }
    ASSERT_EQ(rep.ExportHtml(dir.path(), "report.html", "report.bmp"), seOk);
    QStringList names;
    for (int p = 1; p <= 11; ++p) {
        const QByteArray page = readAll(path(QStringLiteral("report%1.html").arg(p)));
        ASSERT_FALSE(page.isEmpty());
        for (qsizetype at = page.indexOf("SRC=\""); at >= 0; at = page.indexOf("SRC=\"", at + 1))
            names << QString::fromLatin1(page.mid(at + 5, page.indexOf('"', at + 5) - at - 5));
    }
    EXPECT_EQ(names.size(), 32);
    EXPECT_EQ(QSet<QString>(names.begin(), names.end()).size(), 32);
    // the name asked for is the index page leading to the pages
    const QByteArray index = readAll(path("report.html"));
    for (int p = 1; p <= 11; ++p)
        EXPECT_TRUE(index.contains(QStringLiteral("<A HREF=\"report%1.html\">Strana %1</A>").arg(p).toLatin1()))
            << index.constData();
    EXPECT_NE(QImage(path(names[11])).pixelColor(0, 0), QImage(path(names[12 + 9 * 2 + 1])).pixelColor(0, 0));
}

TEST_F(HtmlTest, FailuresGiveSixOrEight)
{
    addPicture(0, QRect(200, 300, 120, 70), Qt::blue);
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    EXPECT_EQ(SaveHtml(store, buf, dir.path(), 3, "x.bmp"), seNotReady);
    EXPECT_TRUE(bytes.isEmpty());
    // the picture cannot be written: no page either
    EXPECT_EQ(SaveHtml(store, buf, dir.path() + "/missing", 0, "x.bmp"), seOutputNotWritten);
    EXPECT_TRUE(bytes.isEmpty());
    EXPECT_EQ(writeIntoReadOnlyStream([&](QIODevice &out) {
                  return SaveHtml(store, out, dir.path(), 0, "x.bmp");
              }),
              seOutputNotWritten);
}

} // namespace

namespace {

// A barcode of the usual module (a pixel and a third of the page) is a drawing beside the
// page that reads back as its data once rendered.
TEST_F(HtmlTest, BarcodeDrawingIsReadByAScanner)
{
    addEan13(QRect(20, 20, 300, 100), 8);
    const QByteArray html = save(0, "kod.bmp");
    EXPECT_TRUE(html.contains("<IMG SRC=\"kod1.svg\" WIDTH=\"300\" HEIGHT=\"100\" ALT=\"5901234123450\">"))
        << html.constData();
    const ToolResult lint = runTool("xmllint", {"--noout", path("kod1.svg")});
    EXPECT_EQ(lint.exitCode, 0) << lint.err.constData();
    // rendered at 300 dots per inch, three times the page's pixels
    QSvgRenderer svg(path("kod1.svg"));
    ASSERT_TRUE(svg.isValid());
    QImage png(900, 300, QImage::Format_RGB32);
    png.fill(Qt::white);
    {
        QPainter p(&png);
        svg.render(&p);
    }
    ASSERT_TRUE(png.save(path("kod1.png")));
    const ToolResult r = runTool("zbarimg", {"-q", path("kod1.png")});
    EXPECT_EQ(r.out.trimmed(), QByteArray("EAN-13:5901234123457")) << r.err.constData();
}

// The page as a reader sees it: rendered by a browser, every text and frame stands where
// the page image has it, within two pixels (a hundredth of an inch each).
TEST_F(HtmlTest, ABrowserShowsThePageAsThePageImage)
{
    const QString browser = QStandardPaths::findExecutable(QStringLiteral("chromium"));
    if (browser.isEmpty())
        GTEST_SKIP() << "chromium is not installed (the CI installs it)";
    const QList<TVystPrvek *> items{
        addText(0, QStringLiteral("Přehled materiálů"), QRect(20, 10, 400, 40), "Arial", 16, fsBold),
        addText(0, QStringLiteral("Vlevo žluťoučký"), QRect(20, 80, 250, 25), "Arial", 10),
        addText(0, QStringLiteral("Vpravo 12 345,5"), QRect(350, 80, 250, 25), "Arial", 10, 0, alRight),
        addText(0, QStringLiteral("Uprostřed"), QRect(20, 140, 250, 25), "Times New Roman", 12, 0, alCenter),
        addShape(0, ekRectangle, QRect(350, 140, 200, 60)),
        addShape(0, ekLine, QRect(20, 240, 500, 10)),
    };
    items[4]->Element->PenWidth = 1;
    items[4]->Element->BrushStyle = bsClear;
    items[5]->Element->Flags = efFrameTop;
    items[5]->Element->PenWidth = 1;
    save(0);
    const QImage page = store.PageToImage(0, 100, false).convertToFormat(QImage::Format_RGB32);
    const QString shot = path("shot.png");
    QProcess p;
    p.start(browser, {"--headless", "--no-sandbox", "--disable-gpu", "--hide-scrollbars",
                      "--force-device-scale-factor=1", "--user-data-dir=" + path("profile"),
                      QStringLiteral("--window-size=%1,%2").arg(page.width()).arg(300),
                      "--screenshot=" + shot, QUrl::fromLocalFile(path("out.html")).toString()});
    ASSERT_TRUE(p.waitForFinished(120000));
    const QImage seen = QImage(shot).convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(seen.isNull()) << p.readAllStandardError().constData();
    // The ink within an item's box, widened by a few pixels: its bounding box.
    auto ink = [](const QImage &img, QRect area) {
        QRect box;
        area = area.intersected(img.rect());
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                if (qGray(img.pixel(x, y)) < 160)
                    box |= QRect(x, y, 1, 1);
        return box;
    };
    for (const TVystPrvek *it : items) {
        const QRect area = QRect(it->Left, it->Top, it->Width, it->Height).adjusted(-8, -8, 8, 8);
        const QRect want = ink(page, area), got = ink(seen, area);
        ASSERT_FALSE(want.isEmpty()) << it->Left << "," << it->Top;
        ASSERT_FALSE(got.isEmpty()) << it->Left << "," << it->Top;
        const int tolerance = 2;
        EXPECT_NEAR(got.left(), want.left(), tolerance) << it->Left << "," << it->Top;
        EXPECT_NEAR(got.top(), want.top(), tolerance) << it->Left << "," << it->Top;
        EXPECT_NEAR(got.right(), want.right(), tolerance) << it->Left << "," << it->Top;
        EXPECT_NEAR(got.bottom(), want.bottom(), tolerance) << it->Left << "," << it->Top;
    }
}

// The report component's pages come with an index page that links each of them.
TEST_F(HtmlTest, TheIndexPageLinksEveryPage)
{
    const QByteArray index = HtmlIndexPage(QStringLiteral("Ceník <oceli>"), {"ceník1.html", "ceník2.html"});
    EXPECT_TRUE(index.contains("<TITLE>Cen\xEDk &lt;oceli&gt;</TITLE>"));
    EXPECT_TRUE(index.contains("<LI><A HREF=\"cen%C3%ADk1.html\">Strana 1</A></LI>\n"
                               "<LI><A HREF=\"cen%C3%ADk2.html\">Strana 2</A></LI>"));
}

} // namespace
