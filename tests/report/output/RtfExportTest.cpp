// The RTF writer, read back by unrtf.
#include "ExportTestSupport.h"

#include "report/model/SestError.h"
#include "report/output/Barcode.h"
#include "report/output/RtfExport.h"
#include "report/output/Sestava.h"

#include <QImage>
#include <QRegularExpression>
#include <QTextDocument>

using namespace orv;
using namespace outtest;

namespace {

class RtfTest : public ExportTest {
protected:
    QByteArray save()
    {
        QFile f(path("out.rtf"));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        EXPECT_EQ(SaveRtf(store, f), seOk);
        f.close();
        return readAll(path("out.rtf"));
    }
};

TEST_F(RtfTest, CzechTextComesBackThroughAnOutsideReader)
{
    addText(0, kCzech, QRect(0, 0, 600, 40));
    addText(1, QStringLiteral("Druhá strana {závorky} a \\ lomítko"), QRect(0, 0, 600, 40), "Times New Roman");
    const QByteArray rtf = save();
    EXPECT_TRUE(rtf.contains("{\\f0\\fnil\\fcharset238 Arial;}{\\f1\\fnil\\fcharset238 Times New Roman;}"));
    EXPECT_TRUE(rtf.contains("\\'C8"));   // Č in upper-case hexadecimal

    const ToolResult r = runTool("unrtf", {"--html", path("out.rtf")});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    QTextDocument doc;
    doc.setHtml(QString::fromUtf8(r.out));
    const QString text = doc.toPlainText();
    EXPECT_TRUE(text.contains(kCzech)) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Druhá strana {závorky} a \\ lomítko"))) << text.toStdString();
}

TEST_F(RtfTest, PaperMarginsAndOrientation)
{
    addText(0, QStringLiteral("x"), QRect(10, 20, 100, 30));
    QByteArray rtf = save();
    EXPECT_TRUE(rtf.startsWith("{\\rtf1\\ansi\\ansicpg1250\\deff0\\deftab720{\\fonttbl"));
    EXPECT_TRUE(rtf.contains("\\viewkind1\\paperw11894\\paperh16833\\margl720\\margr720\\margt806\\margb806"
                             "\\headery0\\footery0\r\n"));
    // the item's frame: width, exact height, and its place from the sheet's corner
    EXPECT_TRUE(rtf.contains("\\pvpg\\phpg\\absw1440\\absh-432\\posy1296\\posx864"));
    EXPECT_TRUE(rtf.endsWith("\\par}}"));   // one page

    pageSetup().Orientation = 1;
    rtf = save();
    EXPECT_TRUE(rtf.contains("\\paperw16833\\paperh11894\\margl720\\margr720\\margt806\\margb806"
                             "\\lndscpsxn\\headery0"));
}

TEST_F(RtfTest, RunsShapesAndColours)
{
    TVystPrvek *t = addText(0, QStringLiteral("Síla"), QRect(0, 0, 300, 30), "Arial", 10,
                            fsBold | fsUnderline, alRight);
    t->Element->Flags = efFrameTop | efFrameRight;
    TVystPrvek *rect = addShape(0, ekRectangle, QRect(0, 100, 200, 100));
    rect->Element->PenWidth = 0;
    rect->Element->BrushColor = colorFromField(15);   // white of the sixteen colours
    TVystPrvek *line = addShape(1, ekLine, QRect(10, 10, 100, 50));
    line->Element->Flags = efFrameTop | efDiagonal1 | efInscribedEllipse;
    line->Element->PenStyle = 2;
    line->Element->PenColor = colorFromField(9);      // red
    const QByteArray rtf = save();

    EXPECT_TRUE(rtf.contains("\\b\\ul\\qr S\\'EDla\\ul0\\b0")) << rtf.constData();
    EXPECT_TRUE(rtf.contains("\\brdrt\\brdrs\\brdrw20 \\brdrr\\brdrs\\brdrw20 \\pvpg"));
    EXPECT_TRUE(rtf.contains("{\\sp{\\sn fillColor}{\\sv 16777215}}{\\sp{\\sn fLine}{\\sv 0}}"
                             "{\\sp{\\sn fBehindDocument}{\\sv 1}}}}"));
    EXPECT_TRUE(rtf.contains("{\\colortbl\\red0\\green0\\blue0;\\red255\\green0\\blue0;}"));
    // top line, then the rising diagonal, then the ellipse; dotted, red, one pixel wide
    const qsizetype top = rtf.indexOf("\\shpleft144\\shptop144\\shpright1584\\shpbottom144");
    const qsizetype diag = rtf.indexOf("\\shpleft144\\shptop864\\shpright1584\\shpbottom144");
    const qsizetype ell = rtf.indexOf("{\\sp{\\sn shapeType}{\\sv 3}}{\\sp{\\sn lineDashing}{\\sv 2}}{\\sp{\\sn fillOpacity}{\\sv 0}}");
    EXPECT_TRUE(top > 0 && diag > top && ell > diag) << rtf.constData();
    EXPECT_TRUE(rtf.contains("{\\sp{\\sn lineDashing}{\\sv 2}}{\\sp{\\sn lineColor}{\\sv 255}}"
                             "{\\sp{\\sn lineWidth}{\\sv 9144}}"));
    EXPECT_TRUE(rtf.contains("\\par\\page}{"));

    EXPECT_EQ(RtfText(QStringLiteral("a{b}\\ ž\u20AC\u0416")), QByteArray("a\\{b\\}\\\\ \\'9E\\'80\\u1046?"));
}

// A picture and a barcode are pictures in frames at their places: unrtf reads the document,
// the picture comes back pixel for pixel and the barcode's picture reads back by a scanner.
TEST_F(RtfTest, PicturesAndBarcodesArePicturesAtTheirPlaces)
{
    addText(0, QStringLiteral("Nad obrázkem"), QRect(0, 0, 400, 30));
    TVystPrvek *pic = addShape(0, ekPicture, QRect(100, 50, 200, 100));
    QImage source(40, 20, QImage::Format_RGB32);
    source.fill(Qt::blue);
    for (int x = 0; x < 20; ++x)
        source.setPixelColor(x, 5, Qt::red);
    pic->SetPicture(source);
    pic->Element->Flags = 0x10;   // stretched into the item
    TVystPrvek *code = addShape(0, ekBarcode, QRect(100, 300, 300, 100));
    code->Element->PenStyle = bcEan13;
    code->Element->PenWidth = 8;   // the module of the usual templates
    code->Element->Flags = efCheckDigit | efPrintText;
    TRadky lines;
    lines.Lines.resize(1);
    TFragment run;
    run.Chars = QStringLiteral("5901234123450");
    run.Length = int(run.Chars.size());
    run.Positions.assign(size_t(run.Length) + 1, 0);
    lines.Lines[0].Runs.push_back(run);
    code->SetLines(lines);
    const QByteArray rtf = save();

    const ToolResult r = runTool("unrtf", {"--html", path("out.rtf")});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    QTextDocument doc;
    doc.setHtml(QString::fromUtf8(r.out));
    EXPECT_TRUE(doc.toPlainText().contains(QStringLiteral("Nad obrázkem")));

    // Each picture: its frame's place in twips and its bytes as hexadecimal digits.
    static const QRegularExpression pict(
        "\\\\absw(\\d+)\\\\absh-(\\d+)\\\\posy(\\d+)\\\\posx(\\d+)\\\\sl0\\\\ql\\\\fs2\\{\\\\pict\\\\(png|jpeg)blip"
        "\\\\picw\\d+\\\\pich\\d+\\\\picwgoal(\\d+)\\\\pichgoal(\\d+)\\s+([0-9a-f\\s]+)\\}");
    QList<QRegularExpressionMatch> found;
    for (auto it = pict.globalMatch(QString::fromLatin1(rtf)); it.hasNext();)
        found << it.next();
    ASSERT_EQ(found.size(), 2) << rtf.left(2000).constData();
    if (found[0].captured(6).toInt() != 200 * 1440 / 100)   // the picture first
        std::swap(found[0], found[1]);
    auto image = [](const QRegularExpressionMatch &m) {
        return QImage::fromData(QByteArray::fromHex(m.captured(8).remove(QRegularExpression("\\s")).toLatin1()));
    };
    EXPECT_EQ(found[0].captured(4).toInt(), (100 + pageSetup().MarginLeft) * 1440 / 100);
    EXPECT_EQ(found[0].captured(3).toInt(), (50 + pageSetup().MarginTop) * 1440 / 100);
    EXPECT_EQ(found[0].captured(6).toInt(), 200 * 1440 / 100);
    EXPECT_EQ(found[0].captured(7).toInt(), 100 * 1440 / 100);
    const QImage back = image(found[0]);
    ASSERT_EQ(back.size(), source.size());
    EXPECT_EQ(back.pixelColor(3, 5), QColor(Qt::red));
    EXPECT_EQ(back.pixelColor(30, 15), QColor(Qt::blue));

    EXPECT_EQ(found[1].captured(3).toInt(), (300 + pageSetup().MarginTop) * 1440 / 100);
    const QImage bars = image(found[1]);
    ASSERT_FALSE(bars.isNull());
    EXPECT_EQ(bars.size(), QSize(300 * 6, 100 * 6));
    ASSERT_TRUE(bars.save(path("kod.png")));
    const ToolResult z = runTool("zbarimg", {"-q", path("kod.png")});
    EXPECT_EQ(z.out.trimmed(), QByteArray("EAN-13:5901234123457")) << z.err.constData();
}

TEST_F(RtfTest, AFailedWriteGivesSixAndLeavesNoFile)
{
    addText(0, QStringLiteral("text"), QRect(0, 0, 300, 30));
    EXPECT_EQ(writeIntoReadOnlyStream([&](QIODevice &out) { return SaveRtf(store, out); }),
              seOutputNotWritten);

    TSestavaTyp rep;
    EXPECT_EQ(rep.ExportRtfFile(dir.path() + "/missing-folder", "x.rtf"), seOutputNotWritten);
    EXPECT_FALSE(QFile::exists(dir.path() + "/missing-folder/x.rtf"));
    EXPECT_EQ(rep.ExportRtfFile(dir.path(), "empty.rtf"), seOk);
    EXPECT_TRUE(readAll(path("empty.rtf")).endsWith("\\headery0\\footery0\r\n}"));
}

} // namespace
