// Hatched fills: the PDF draws the hatch the page image draws (lines in the brush's colour
// and direction, not a solid fill and not an empty frame), and HTML shows it as a CSS
// pattern.

#include "ExportTestSupport.h"
#include "RunTestSupport.h"

#include "report/model/SestError.h"
#include "report/output/TolvaCanvas.h"

#include <QImage>
#include <QTemporaryDir>

using namespace orv;
using namespace outtest;

namespace {

struct HatchLook {
    double share = 0;        // of the inside that is blue
    double forward = 0;      // blue pixels whose lower-right neighbour is blue too
    double backward = 0;     // ... whose lower-left neighbour is
    double horizontal = 0;   // ... whose right neighbour is
    double vertical = 0;     // ... whose lower neighbour is
};

HatchLook look(const QImage &image, const QRect &inside)
{
    auto blue = [&](int x, int y) {
        const QColor c = image.pixelColor(x, y);
        return c.blue() > 150 && c.red() < 120 && c.green() < 120;
    };
    HatchLook l;
    qint64 n = 0, b = 0, f = 0, bw = 0, h = 0, v = 0;
    for (int y = inside.top(); y < inside.bottom(); ++y)
        for (int x = inside.left() + 1; x < inside.right(); ++x) {
            ++n;
            if (!blue(x, y))
                continue;
            ++b;
            f += blue(x + 1, y + 1);
            bw += blue(x - 1, y + 1);
            h += blue(x + 1, y);
            v += blue(x, y + 1);
        }
    l.share = n ? double(b) / n : 0;
    if (b) {
        l.forward = double(f) / b;
        l.backward = double(bw) / b;
        l.horizontal = double(h) / b;
        l.vertical = double(v) / b;
    }
    return l;
}

} // namespace

class HatchTest : public ::testing::TestWithParam<int> {};

TEST_P(HatchTest, PdfAndHtmlDrawTheHatchOfThePageImage)
{
    runtest::ensureApp();
    const int style = GetParam();
    runtest::MemoryBridge data;
    data.Columns = {"X"};
    data.Rows = {{QStringLiteral("x")}};
    TSestava report;
    report.DataSource = &data;
    report.IsStored = true;
    runtest::Template t;
    t.section(2, true, 400);
    // A blue rectangle 4 x 3 inches with no frame, hatched.
    t.Lines << QStringLiteral("T,8,0,100,50,400,300,,0,0,0,0,16711680,%1").arg(style);
    report.Predloha = t.Lines;
    ASSERT_EQ(report.Run(), seOk);

    QTemporaryDir dir;
    ASSERT_EQ(report.ExportPdfFile(dir.path(), "srafy.pdf"), seOk);
    runTool("pdftoppm", {"-r", "100", "-png", "-singlefile", "-f", "1", "-l", "1",
                         dir.filePath("srafy.pdf"), dir.filePath("srafy")});
    const QImage pdf(dir.filePath("srafy.png"));
    ASSERT_FALSE(pdf.isNull());
    // The sheet has 50 margins: the rectangle lies at 150..550 x 100..400 at 100 dpi.
    const QRect inside(160, 110, 380, 280);
    const HatchLook fromPdf = look(pdf, inside);
    const QImage image = report.Vystup.PageToImage(0, 100, false);
    const HatchLook fromImage = look(image, inside.translated(-50, -50));

    for (const HatchLook &l : {fromPdf, fromImage}) {
        EXPECT_GT(l.share, 0.03) << "style " << style;   // not an empty frame
        EXPECT_LT(l.share, 0.6) << "style " << style;    // not a solid fill
    }
    // The lines run the same way in both.
    auto direction = [](const HatchLook &l) {
        const double all[] = {l.forward, l.backward, l.horizontal, l.vertical};
        return int(std::max_element(std::begin(all), std::end(all)) - std::begin(all));
    };
    if (style != bsCross && style != bsDiagCross) {
        EXPECT_EQ(direction(fromPdf), direction(fromImage)) << "style " << style;
    }

    ASSERT_EQ(report.TSestavaTyp::ExportHtmlPageFile(dir.path(), "srafy.html", 0, "srafy_.bmp"), seOk);
    const QByteArray html = readAll(dir.filePath("srafy.html"));
    EXPECT_TRUE(html.contains("repeating-linear-gradient(")) << html.constData();
    EXPECT_TRUE(html.contains("background-color: transparent"));
    EXPECT_EQ(runTool("tidy", {"-q", "-e", dir.filePath("srafy.html")}).exitCode < 2, true);
}

INSTANTIATE_TEST_SUITE_P(Styles, HatchTest,
                         ::testing::Values(int(bsHorizontal), int(bsVertical), int(bsFDiagonal),
                                           int(bsBDiagonal), int(bsCross), int(bsDiagCross)));
