// The PDF writer, read back by poppler and qpdf.
#include "ExportTestSupport.h"

#include "report/model/SestError.h"
#include "report/output/Barcode.h"
#include "report/output/OutputWriters.h"
#include "report/output/PdfExport.h"
#include "report/output/PictureFile.h"
#include "report/output/Sestava.h"
#include "support/FontReplacement.h"
#include "support/LogCapture.h"

#include <QFileInfo>
#include <QImage>
#include <QLocale>
#include <QRegularExpression>
#include <QSaveFile>

#include <stdexcept>

using namespace orv;
using namespace outtest;

namespace {

class PdfTest : public ExportTest {
protected:
    QByteArray save(const QString &name = QStringLiteral("out.pdf"))
    {
        QFile f(path(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        EXPECT_EQ(SavePdf(store, f), seOk);
        f.close();
        return readAll(path(name));
    }
    QString text(const QString &name = QStringLiteral("out.pdf"))
    {
        const ToolResult r = runTool("pdftotext", {"-enc", "UTF-8", path(name), "-"});
        EXPECT_EQ(r.exitCode, 0) << r.err.constData();
        return QString::fromUtf8(r.out);
    }
    QImage render(int dpi, const QString &name = QStringLiteral("out.pdf"))
    {
        const ToolResult r = runTool("pdftoppm", {"-r", QString::number(dpi), "-png", "-singlefile",
                                                  path(name), path("render")});
        EXPECT_EQ(r.exitCode, 0) << r.err.constData();
        return QImage(path("render.png"));
    }
};

TEST_F(PdfTest, CzechTextComesBackWithEmbeddedSubsetFontsOnAnA4Page)
{
    addText(0, kCzech, QRect(0, 0, 600, 40));
    addText(0, QStringLiteral("Tučně kurzívou: žluťoučký kůň (1)\\"), QRect(0, 100, 600, 40), "Times New Roman",
            11, fsBold | fsItalic);
    addText(0, QStringLiteral("Pevná šířka ř"), QRect(0, 200, 600, 40), "Courier New", 10);
    {
        QFile f(path("out.pdf"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        EXPECT_EQ(SavePdf(store, f, QStringLiteral("Přehled (oceli)")), seOk);
    }

    const ToolResult check = runTool("qpdf", {"--check", path("out.pdf")});
    EXPECT_EQ(check.exitCode, 0) << check.out.constData() << check.err.constData();

    const QString t = text();
    EXPECT_TRUE(t.contains(kCzech)) << t.toStdString();
    EXPECT_TRUE(t.contains(QStringLiteral("Tučně kurzívou: žluťoučký kůň (1)\\"))) << t.toStdString();
    EXPECT_TRUE(t.contains(QStringLiteral("Pevná šířka ř"))) << t.toStdString();

    const ToolResult fonts = runTool("pdffonts", {path("out.pdf")});
    const QStringList rows = QString::fromLatin1(fonts.out).split('\n', Qt::SkipEmptyParts).mid(2);
    // Every font embedded and cut down to what the page draws, as a printed PDF has them.
    QStringList names;
    for (const QString &row : rows) {
        names << row.section(' ', 0, 0).section('+', 1);
        EXPECT_TRUE(row.contains(QRegularExpression("^[A-Z]{6}\\+\\S+ +TrueType +Custom +yes +yes"))) << row.toStdString();
    }
    names.sort();
    EXPECT_EQ(names, QStringList({"LiberationMono", "LiberationSans", "LiberationSerif-BoldItalic"}));
    // a subset holds a few glyphs of the face's thousands
    EXPECT_LT(QFileInfo(path("out.pdf")).size(), 200000);

    const ToolResult info = runTool("pdfinfo", {path("out.pdf")});
    EXPECT_TRUE(info.out.contains("594.7 x 841.7 pts")) << info.out.constData();
    EXPECT_TRUE(info.out.contains("TOLVA ReportGenerator version 5.50.0"));
    EXPECT_TRUE(QString::fromUtf8(info.out).contains(QRegularExpression(QStringLiteral("Title: +Přehled \\(oceli\\)\n"))))
        << info.out.constData();

    // The page looks as the page image: the same ink within a little.
    const QImage pdf = render(100).convertToFormat(QImage::Format_Grayscale8);
    const QImage page = store.PageToImage(0, 100, false).convertToFormat(QImage::Format_Grayscale8);
    auto inkRows = [](const QImage &img, int left, int top) {
        int dark = 0;
        for (int y = top; y < top + 40 && y < img.height(); ++y)
            for (int x = left; x < left + 600 && x < img.width(); ++x)
                dark += qGray(img.pixel(x, y)) < 128;
        return dark;
    };
    const int m = pageSetup().MarginLeft, mt = pageSetup().MarginTop;
    for (int top : {0, 100, 200}) {
        const int want = inkRows(page, 0, top), got = inkRows(pdf, m, mt + top);
        EXPECT_NEAR(got, want, want / 5 + 10) << top;
    }
}

TEST_F(PdfTest, ObjectNumbersFontOrderAndFileEnd)
{
    addText(0, QStringLiteral("tučné"), QRect(0, 0, 300, 30), "Arial", 10, fsBold);
    addText(0, QStringLiteral("obyčejné"), QRect(0, 40, 300, 30), "Arial", 10);
    addText(1, QStringLiteral("druhá"), QRect(0, 0, 300, 30), "Arial", 10);
    const QByteArray pdf = save();

    EXPECT_TRUE(pdf.startsWith("%PDF-1.3\r\n"));
    EXPECT_TRUE(pdf.endsWith("startxref\r\n" + QByteArray::number(pdf.lastIndexOf("xref\r\n0 ")) + "\r\n%%EOF"));
    auto object = [&](int n) {
        const qsizetype a = pdf.indexOf("\r\n" + QByteArray::number(n) + " 0 obj\r\n");
        return a < 0 ? QByteArray() : pdf.mid(a, pdf.indexOf("endobj", a) - a);
    };
    EXPECT_TRUE(QRegularExpression("/Subtype /TrueType\r\n/Name /F0\r\n/BaseFont /[A-Z]{6}\\+LiberationSans\r\n")
                    .match(QString::fromLatin1(object(3))).hasMatch()) << object(3).constData();
    EXPECT_TRUE(QRegularExpression("/BaseFont /[A-Z]{6}\\+LiberationSans-Bold\r\n")
                    .match(QString::fromLatin1(object(4))).hasMatch());
    EXPECT_TRUE(object(3).contains("/Differences [32\r\n/space /exclam"));
    EXPECT_TRUE(object(3).contains("/ccaron"));
    EXPECT_TRUE(object(5).contains("/Type /Catalog\r\n/Pages 6 0 R"));
    EXPECT_TRUE(object(6).contains("/Count 2\r\n/MediaBox [0 0 594.7 841.7]\r\n/Kids [7 0 R 9 0 R ]"));
    EXPECT_TRUE(object(7).contains("/Type /Page\r\n/Parent 6 0 R\r\n/Contents 8 0 R"));
    EXPECT_TRUE(object(8).contains("/F1 10 Tf"));   // Helvetica-Bold for the bold text
    EXPECT_TRUE(object(8).contains("/F0 10 Tf"));
    // č as an octal escape of its code-page byte; the xref has an entry per object
    EXPECT_TRUE(object(8).contains("\\350"));
    // eleven objects and a descriptor and a file for each of the two fonts
    EXPECT_TRUE(pdf.contains("xref\r\n0 15\r\n0000000000 65535 f\r\n"));
    EXPECT_TRUE(object(11).contains("/Type /FontDescriptor") && object(11).contains("/FontFile2 12 0 R"));
    EXPECT_EQ(runTool("qpdf", {"--check", path("out.pdf")}).exitCode, 0);

    EXPECT_EQ(PdfStringBytes(QStringLiteral("Řada (A)\\")), QByteArray("\\330ada \\(A\\)\\\\"));
    EXPECT_EQ(PdfBaseFont("Courier New", true, true), "Courier-BoldOblique");
    EXPECT_EQ(PdfBaseFont("Times New Roman", false, false), "Times-Roman");
    EXPECT_EQ(PdfBaseFont("Symbol", true, false), "Symbol");
    EXPECT_EQ(PdfBaseFont("Tahoma", false, true), "Helvetica-Oblique");
}

TEST_F(PdfTest, LandscapeAndACommaLocaleStillWriteFullStops)
{
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::Czech, QLocale::CzechRepublic));
    pageSetup().Orientation = 1;
    addText(0, QStringLiteral("na šířku"), QRect(33, 17, 300, 30));
    const QByteArray pdf = save();
    QLocale::setDefault(before);
    EXPECT_TRUE(pdf.contains("/MediaBox [0 0 841.7 594.7]"));
    EXPECT_FALSE(QRegularExpression("\\d,\\d").match(QString::fromLatin1(pdf)).hasMatch());
    const ToolResult info = runTool("pdfinfo", {path("out.pdf")});
    EXPECT_TRUE(info.out.contains("841.7 x 594.7 pts")) << info.out.constData();
}

// Words read back by poppler stand where the layout put them: x within a point, and the
// baseline (the bottom of the line box, as the page image draws it) inside the word's box.
TEST_F(PdfTest, WordsStandWhereTheLayoutPutsThem)
{
    // The layout measures the template's faces with what fontconfig draws them with; the PDF
    // writes the standard fonts with the advances of the Liberation faces. The words meet
    // only when those are the faces drawn.
    ASSERT_TRUE(orv::test::fontIsReplacedBy(QStringLiteral("Arial"), QStringLiteral("Liberation Sans")));
    ASSERT_TRUE(orv::test::fontIsReplacedBy(QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif")));
    pageSetup().MarginLeft = 80;
    pageSetup().MarginTop = 100;
    TVystPrvek *item = addText(0, QStringLiteral("Ocel tř. 11 373 je vhodná ke svařování a tváření za studena"),
                               QRect(120, 200, 250, 200), "Arial", 14, 0, alCenter);
    TVystPrvek *right = addText(0, QStringLiteral("Mez kluzu"), QRect(400, 50, 300, 40), "Times New Roman", 10, 0, alRight);
    ASSERT_GE(item->Lines->count(), 2);
    save();
    const ToolResult r = runTool("pdftotext", {"-bbox", path("out.pdf"), path("bbox.html")});
    ASSERT_EQ(r.exitCode, 0);
    const QString html = QString::fromUtf8(readAll(path("bbox.html")));
    QRegularExpression word(R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re");
    struct W { double x0, y0, x1, y1; QString t; };
    std::vector<W> words;
    for (auto it = word.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        words.push_back({m.captured(1).toDouble(), m.captured(2).toDouble(), m.captured(3).toDouble(),
                         m.captured(4).toDouble(), m.captured(5)});
    }
    // The expected start and baseline of every word of the item, from its lines.
    int checked = 0;
    for (const TVystPrvek *it : {item, right}) {
        long long y = 0;
        for (const TRadek &l : it->Lines->Lines) {
            y += l.RowHeight;
            const double baseline = (100 + it->Top + double(y / 72)) * 0.72;
            for (const TFragment &run : l.Runs) {
                const int q = (run.Positions[0] + l.LineOffset + 72) / 72;
                for (int k = 0; k < run.Length; ++k) {
                    if (run.Chars[k] == ' ' || (k > 0 && run.Chars[k - 1] != ' '))
                        continue;
                    const double x = (80 + it->Left + q) * 0.72 + (run.Positions[k] - run.Positions[0]) / 100.0;
                    const QString w = run.Chars.mid(k).section(' ', 0, 0);
                    auto found = std::find_if(words.begin(), words.end(), [&](const W &c) {
                        return c.t == w && std::abs(c.y1 - baseline) < 10;
                    });
                    ASSERT_NE(found, words.end()) << w.toStdString();
                    EXPECT_NEAR(found->x0, x, 1.0) << w.toStdString();
                    EXPECT_LT(found->y0, baseline);
                    EXPECT_GT(found->y1, baseline);
                    EXPECT_LT(found->y1 - baseline, 0.35 * run.FontSize) << w.toStdString();
                    words.erase(found);
                    ++checked;
                }
            }
        }
    }
    EXPECT_GE(checked, 10);
}

// Shapes, pictures and text colours come out as on the printed page.
TEST_F(PdfTest, ShapesPicturesAndColoursAreDrawn)
{
    pageSetup().MarginLeft = 0;
    pageSetup().MarginTop = 0;
    TVystPrvek *rect = addShape(0, ekRectangle, QRect(100, 100, 200, 100));
    rect->Element->BrushColor = 0xFF0000;   // blue
    rect->Element->PenWidth = 3;
    rect->Element->PenColor = 0x0000FF;     // red
    TVystPrvek *ell = addShape(0, ekEllipse, QRect(400, 100, 200, 200));
    ell->Element->BrushColor = 0x00FF00;
    ell->Element->PenWidth = 0;
    TVystPrvek *line = addShape(0, ekLine, QRect(100, 400, 400, 100));
    line->Element->Flags = efFrameTop | efDiagonal2;
    line->Element->PenWidth = 4;
    line->Element->PenColor = 0x00FFFF;   // yellow
    TVystPrvek *pic = addShape(0, ekPicture, QRect(100, 600, 100, 100));
    QImage red(50, 50, QImage::Format_RGB32);
    red.fill(QColor(255, 0, 0));
    pic->SetPicture(red);
    pic->Element->Flags = efStretch;
    // a JPEG picture is passed on as it is
    QImage photo(64, 32, QImage::Format_RGB32);
    photo.fill(QColor(0, 128, 255));
    ASSERT_TRUE(photo.save(path("photo.jpg"), "JPG"));
    QImage decoded;
    ASSERT_TRUE(LoadPictureFile(path("photo.jpg"), decoded));
    TVystPrvek *jpg = addShape(0, ekPicture, QRect(300, 600, 128, 64));
    jpg->SetPicture(decoded);
    TVystPrvek *t = addText(0, QStringLiteral("zelený text"), QRect(100, 800, 300, 40));
    for (TFragment &run : t->Lines->Lines[0].Runs)
        run.Color = 0x008000;
    const QByteArray pdf = save();
    EXPECT_EQ(runTool("qpdf", {"--check", path("out.pdf")}).exitCode, 0);
    EXPECT_TRUE(pdf.contains("/Filter /DCTDecode"));
    EXPECT_TRUE(pdf.contains("/Filter /FlateDecode"));

    const QImage page = render(100);   // one pixel per hundredth of an inch
    ASSERT_FALSE(page.isNull());
    EXPECT_EQ(page.pixelColor(200, 150), QColor(0, 0, 255));     // fill
    EXPECT_EQ(page.pixelColor(100, 150), QColor(255, 0, 0));      // red border
    EXPECT_EQ(page.pixelColor(500, 200), QColor(0, 255, 0));      // ellipse
    EXPECT_EQ(page.pixelColor(405, 105), QColor(255, 255, 255));  // outside the ellipse
    EXPECT_EQ(page.pixelColor(300, 400), QColor(255, 255, 0));    // top line
    EXPECT_EQ(page.pixelColor(150, 650), QColor(255, 0, 0));      // picture
    const QColor j = page.pixelColor(364, 632);
    EXPECT_NEAR(j.red(), 0, 12);
    EXPECT_NEAR(j.green(), 128, 12);
    EXPECT_NEAR(j.blue(), 255, 12);
    const ToolResult images = runTool("pdfimages", {"-list", path("out.pdf")});
    EXPECT_TRUE(images.out.contains("jpeg")) << images.out.constData();

    // the text keeps its colour: some pixel of the text is green
    bool green = false;
    for (int y = 800; y < 840 && !green; ++y)
        for (int x = 100; x < 250 && !green; ++x) {
            const QColor c = page.pixelColor(x, y);
            green = c.green() > 90 && c.red() < 60 && c.blue() < 60;
        }
    EXPECT_TRUE(green);
}

// Rotated text turns about the middle of its item and stays text.
TEST_F(PdfTest, RotatedTextIsTurnedText)
{
    // laid out on one line, then placed in a narrow, tall item
    TVystPrvek *t = addText(0, QStringLiteral("Svislý popis"), QRect(100, 100, 300, 300));
    t->Width = 40;
    t->Element->Angle = 90;
    const QByteArray pdf = save();
    EXPECT_TRUE(pdf.contains("0 1 -1 0 "));   // the text matrix of a quarter turn
    EXPECT_TRUE(text().contains(QStringLiteral("Svislý popis")));
    const QImage page = render(100);
    // the ink lies in the item's column, with the margins of the page setup
    int inkLeft = 10000, inkRight = -1;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x)
            if (page.pixelColor(x, y).lightness() < 128) {
                inkLeft = std::min(inkLeft, x);
                inkRight = std::max(inkRight, x);
            }
    EXPECT_GE(inkLeft, 50 + 100);
    EXPECT_LE(inkRight, 50 + 140);
}

// A stream that refuses the bytes gives 6, and a save that fails leaves the old file.
TEST_F(PdfTest, FailuresAreReportedAndTheOldFileStays)
{
    addText(0, QStringLiteral("text"), QRect(0, 0, 300, 30));
    EXPECT_EQ(writeIntoReadOnlyStream([&](QIODevice &out) { return SavePdf(store, out); }),
              seOutputNotWritten);

    // A stream that throws: the same result, and the log says where and why, as RTF and HTML do.
    struct Throwing : QIODevice {
        qint64 readData(char *, qint64) override { return -1; }
        qint64 writeData(const char *, qint64) override { throw std::runtime_error("disk odpojen"); }
    } throwing;
    throwing.open(QIODevice::WriteOnly);
    orv::test::LogCapture log;
    orv::test::LogCapture::lines().clear();
    EXPECT_EQ(SavePdf(store, throwing), seOutputNotWritten);
    EXPECT_TRUE(log.contains("orvalis.report", "SavePdf: zachycena výjimka: disk odpojen"));

    TSestava rep;
    {
        QFile old(path("old.pdf"));
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("the old file");
    }
    const TOutputWriterFactory saved = OutputWriterFactory("pdf");
    struct Half : TOutputWriter {
        int Write(TSestVystup &, const TWriteJob &, QIODevice &stream) override
        {
            stream.write("%PDF-1.3 half");
            return seOutputNotWritten;
        }
    };
    RegisterOutputWriter("pdf", [] { return std::make_unique<Half>(); });
    EXPECT_EQ(rep.ExportPdfFile(dir.path(), "old.pdf"), seOutputNotWritten);
    RegisterOutputWriter("pdf", saved);
    EXPECT_EQ(readAll(path("old.pdf")), QByteArray("the old file"));
    EXPECT_EQ(rep.ExportPdfFile(dir.path() + "/missing-folder", "x.pdf"), seOutputNotWritten);
    EXPECT_EQ(rep.ExportPdfFile(dir.path(), "old.pdf"), seOk);   // an empty store: no page
    EXPECT_TRUE(readAll(path("old.pdf")).contains("/Count 0"));
}

// Barcodes are filled rectangles that a scanner reads from the rendered page, with their
// text in a standard font.
TEST_F(PdfTest, BarcodesAreDrawnAsFilledBars)
{
    TVystPrvek *code = addShape(0, ekBarcode, QRect(20, 20, 420, 140));
    code->Element->PenStyle = bcCode128B;
    code->Element->PenWidth = 16;
    code->Element->Flags = efPrintText;
    TRadky lines;
    lines.Lines.resize(1);
    TFragment run;
    run.Chars = QStringLiteral("ORV-2024/15");
    run.Length = int(run.Chars.size());
    run.Positions.assign(size_t(run.Length) + 1, 0);
    lines.Lines[0].Runs.push_back(run);
    code->SetLines(lines);
    const QByteArray pdf = save();
    EXPECT_EQ(runTool("qpdf", {"--check", path("out.pdf")}).exitCode, 0);
    EXPECT_TRUE(pdf.contains(" re\nf\n"));
    render(200);
    const ToolResult r = runTool("zbarimg", {"-q", path("render.png")});
    EXPECT_EQ(r.out.trimmed(), QByteArray("CODE-128:ORV-2024/15")) << r.err.constData();
    EXPECT_TRUE(text().contains("ORV-2024/15"));
}

} // namespace

// Numbers of two decimals take a quick path: it must give the digits of the general
// conversion (correctly rounded, trailing zeros and a bare point dropped, no "-0"), also
// next to halves and for the values a page's coordinates take.
TEST(PdfNumbers, TheQuickPathGivesTheDigitsOfTheGeneralConversion)
{
    auto general = [](double v) {
        QByteArray s = QByteArray::number(v, 'f', 2);
        while (s.contains('.') && s.endsWith('0'))
            s.chop(1);
        if (s.endsWith('.'))
            s.chop(1);
        return s == "-0" ? QByteArray("0") : s;
    };
    std::vector<double> values = {0, -0.0, 0.004, -0.004, 0.005, -0.005, 0.015, 1.005, 2.675,
                                  0.125, -0.125, 10.5, 99.995, 841.89, -1e-9, 123456789.125,
                                  1e11 + 0.335};
    quint32 seed = 12345;
    auto next = [&seed] { seed = seed * 1664525u + 1013904223u; return seed; };
    for (int i = 0; i < 20000; ++i) {
        const double v = (double(next()) / 4294967296.0 - 0.3) * 2000.0;
        values.push_back(v);
        values.push_back(std::round(v * 1000) / 1000);   // three decimals: halves in sight
        values.push_back((next() % 100000) * 0.12);       // page-image units in points
    }
    for (double v : values)
        ASSERT_EQ(PdfNumber(v), general(v)) << qPrintable(QByteArray::number(v, 'g', 17));
}
