// The HTML writer, checked by tidy; its bitmaps read back by Qt and zbarimg.
#include "ExportTestSupport.h"

#include "core/CodePage.h"
#include "report/model/SestError.h"
#include "report/output/Barcode.h"
#include "report/output/HtmlExport.h"
#include "report/output/Sestava.h"

#include <QBuffer>
#include <QImage>

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
    EXPECT_TRUE(html.contains("font: 10pt Courier New; color: #000000\">" + encode(QStringLiteral("tiskárna"))));
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

// A barcode's bitmap beside the page reads back as its data.
TEST_F(HtmlTest, BarcodeBitmapIsReadByAScanner)
{
    TVystPrvek *code = addShape(0, ekBarcode, QRect(20, 20, 420, 120));
    code->Element->PenStyle = bcEan13;
    code->Element->PenWidth = 24;   // a module of four pixels in the bitmap
    code->Element->Flags = efCheckDigit;
    TRadky lines;
    lines.Lines.resize(1);
    TFragment run;
    run.Chars = QStringLiteral("5901234123450");   // the last digit becomes the check digit
    run.Length = int(run.Chars.size());
    run.Positions.assign(size_t(run.Length) + 1, 0);
    lines.Lines[0].Runs.push_back(run);
    code->SetLines(lines);
    const QByteArray html = save(0, "kod.bmp");
    EXPECT_TRUE(html.contains("<IMG SRC=\"kod1.bmp\" ALT=\"\">"));
    EXPECT_EQ(QImage(path("kod1.bmp")).size(), QSize(420, 120));
    const ToolResult r = runTool("zbarimg", {"-q", path("kod1.bmp")});
    EXPECT_EQ(r.out.trimmed(), QByteArray("EAN-13:5901234123457")) << r.err.constData();
}

} // namespace
