// A PDF longer than the pages the store keeps unpacked: the pictures and barcodes of its
// first, middle and last pages are where the page image has them, and every barcode reads.

#include "ExportTestSupport.h"
#include "RunTestSupport.h"

#include "report/model/SestError.h"

#include <QImage>
#include <QSet>
#include <QTemporaryDir>

using namespace orv;
using namespace outtest;

namespace {

QSet<QString> barcodesIn(const QString &png)
{
    const ToolResult r = runTool("zbarimg", {"-q", "--raw", png});
    QSet<QString> codes;
    for (const QByteArray &line : r.out.split('\n'))
        if (!line.trimmed().isEmpty())
            codes.insert(QString::fromLatin1(line.trimmed()));
    return codes;
}

// How many pixels are pure red (the pictures).
double redPixels(const QImage &image)
{
    qint64 red = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            red += c.red() > 200 && c.green() < 60 && c.blue() < 60;
        }
    return double(red);
}

} // namespace

TEST(LongPdf, PicturesAndBarcodesSurviveThePackingOfPages)
{
    if (!QFile::exists("/usr/bin/zbarimg") || !QFile::exists("/usr/bin/pdftoppm"))
        GTEST_SKIP() << "zbarimg and pdftoppm are needed";
    runtest::ensureApp();
    runtest::MemoryBridge data;
    data.Columns = {"Code"};
    const int rows = 140;
    for (int i = 1; i <= rows; ++i)
        data.Rows.push_back({QStringLiteral("ROW-%1").arg(i)});
    TSestava report;
    report.DataSource = &data;
    report.IsStored = true;
    report.OnNactiObraz = [](TSestava &, const QString &, QImage &picture) {
        picture = QImage(40, 40, QImage::Format_RGB32);
        picture.fill(Qt::red);
        return true;
    };
    runtest::Template t;
    t.section(2, true, 480);
    // Two rows a page: a Code 128B of the row and a stretched red picture beside it.
    t.Lines << "T,12,0,0,20,420,100,,6,0,6,32,16777215,0,\"#Code\",0,0,0,\"\",0,\"\""
            << "T,11,0,480,20,150,150,,0,0,0,16,16777215,0,\"red.bmp\",0,0,0,\"\",0,\"\"";
    report.Predloha = t.Lines;
    ASSERT_EQ(report.Run(), seOk);
    const int pages = report.Vystup.PageCount();
    ASSERT_EQ(pages, rows / 2);
    ASSERT_GT(pages, report.Vystup.LivePages());

    QTemporaryDir dir;
    ASSERT_EQ(report.ExportPdfFile(dir.path(), "dlouha.pdf"), seOk) << qPrintable(report.OutputError);
    ASSERT_EQ(runTool("qpdf", {"--check", dir.filePath("dlouha.pdf")}).exitCode, 0);
    for (const int page : {1, pages / 2, pages}) {
        const QString prefix = dir.filePath(QStringLiteral("p%1").arg(page));
        runTool("pdftoppm", {"-r", "100", "-png", "-singlefile", "-f", QString::number(page),
                             "-l", QString::number(page), dir.filePath("dlouha.pdf"), prefix});
        const QSet<QString> expected{QStringLiteral("ROW-%1").arg(2 * page - 1),
                                     QStringLiteral("ROW-%1").arg(2 * page)};
        EXPECT_EQ(barcodesIn(prefix + ".png"), expected) << "page " << page;

        // The page image of the store: the same codes, the same red.
        const QImage image = report.Vystup.PageToImage(page - 1, 100, false);
        ASSERT_TRUE(image.save(prefix + "-image.png"));
        EXPECT_EQ(barcodesIn(prefix + "-image.png"), expected) << "page " << page;
        // Both at 100 dpi: the two pictures of 1.5 x 1.5 inches each.
        const double pdfRed = redPixels(QImage(prefix + ".png"));
        const double imageRed = redPixels(image);
        EXPECT_NEAR(imageRed, 2 * 150 * 150, 2 * 150 * 150 * 0.05) << "page " << page;
        EXPECT_NEAR(pdfRed, imageRed, imageRed * 0.05) << "page " << page;
    }
}
