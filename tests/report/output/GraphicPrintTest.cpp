// Graphic printing through Qt's PDF output, read back with poppler's tools.
#include "OutputTestSupport.h"

#include "report/model/TextLayout.h"
#include "report/output/PrinterMetrics.h"

#include <QBuffer>
#include <QFile>
#include <QPageSize>
#include <QPrinter>
#include <QProcess>
#include <QTemporaryDir>

using namespace orv;
using outtest::OutputTest;

namespace {

QString run(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return QStringLiteral("<%1 failed>").arg(program);
    return QString::fromUtf8(p.readAllStandardOutput());
}

int pdfPages(const QString &file)
{
    const QString info = run(QStringLiteral("pdfinfo"), {file});
    for (const QString &line : info.split(QLatin1Char('\n')))
        if (line.startsWith(QLatin1String("Pages:")))
            return line.mid(6).trimmed().toInt();
    return -1;
}

class PrintTest : public OutputTest {
protected:
    void SetUp() override
    {
        OutputTest::SetUp();
        ASSERT_TRUE(dir.isValid());
        file = dir.filePath(QStringLiteral("tisk.pdf"));
        printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(file);
        printer->setPageSize(QPageSize(QPageSize::A4));
    }
    void TearDown() override { SetCurrentPrinter(nullptr); }

    // One text item per page: "Strana <n> žluťoučký kůň".
    void fill(int pages)
    {
        TSiReportElement *e = keep(outtest::element(ekText));
        for (int p = 0; p < pages; ++p) {
            TTextCanvas measure(100);
            TRadky lines;
            LayoutText(measure, QRect(0, 0, 400, 30), QStringLiteral("Strana %1 žluťoučký kůň").arg(p + 1),
                       lines, true, 0, 0, 0, TTextFont(), false);
            auto item = std::make_unique<TVystPrvek>(e, 20, 20, 400, 30);
            item->SetLines(lines);
            store.AddItem(std::move(item), p);
        }
    }
    void sheet(double widthHundredths, double heightHundredths)
    {
        printer->setPageSize(QPageSize(QSizeF(widthHundredths / 100, heightHundredths / 100),
                                       QPageSize::Inch, QStringLiteral("test"), QPageSize::ExactMatch));
    }

    QTemporaryDir dir;
    QString file;
    std::unique_ptr<QPrinter> printer;
    TSestVystup store;
};

} // namespace

TEST_F(PrintTest, AnEmptyStorePrintsNothingAndSucceeds)
{
    EXPECT_TRUE(store.Print(1, 9999, nullptr, QStringLiteral("Prázdná"), 1, printer.get()));
    EXPECT_FALSE(QFile::exists(file));
    // Nor does a metafile of any page get written.
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    EXPECT_FALSE(store.SavePageMetafile(buffer, 0, true));
    EXPECT_TRUE(buffer.data().isEmpty());
}

TEST_F(PrintTest, PrintsTheRangeWithItsTextAndTitle)
{
    fill(3);
    ASSERT_TRUE(store.Print(2, 99, nullptr, QStringLiteral("Materiálový list"), 1, printer.get()));
    EXPECT_EQ(pdfPages(file), 2);
    const QString text = run(QStringLiteral("pdftotext"), {QStringLiteral("-enc"), QStringLiteral("UTF-8"), file, QStringLiteral("-")});
    EXPECT_TRUE(text.contains(QStringLiteral("Strana 2"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("žluťoučký kůň"))) << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("Strana 1")));
    const QString info = run(QStringLiteral("pdfinfo"), {file});
    EXPECT_TRUE(info.contains(QStringLiteral("Materiálový list"))) << info.toStdString();
}

TEST_F(PrintTest, ARangeBeyondTheLastPagePrintsNoSheet)
{
    fill(2);
    EXPECT_TRUE(store.Print(3, 9, nullptr, QStringLiteral("Mimo"), 1, printer.get()));
    EXPECT_FALSE(QFile::exists(file));
}

TEST_F(PrintTest, ADriverKeepingOneCopyStillYieldsTheCopies)
{
    fill(2);
    ASSERT_FALSE(printer->supportsMultipleCopies());  // Qt's PDF output makes no copies
    ASSERT_TRUE(store.Print(1, 2, nullptr, QStringLiteral("Kopie"), 3, printer.get()));
    EXPECT_EQ(pdfPages(file), 6);
    const QString text = run(QStringLiteral("pdftotext"), {file, QStringLiteral("-")});
    EXPECT_EQ(text.count(QStringLiteral("Strana 1")), 3);
}

TEST_F(PrintTest, TheAbortFlagStopsTheJob)
{
    fill(3);
    bool abort = true;
    EXPECT_FALSE(store.Print(1, 3, &abort, QStringLiteral("Přerušeno"), 1, printer.get()));
}

TEST_F(PrintTest, ASheetOnePercentSmallerPrintsWithoutAskingTwoPercentAsks)
{
    fill(1);
    int asked = 0;
    auto ask = [&](TPrintTiling &t) {
        ++asked;
        EXPECT_EQ(t.SheetWidth, 826);
        EXPECT_EQ(t.SheetHeight, 1169);
        EXPECT_EQ(t.MarginLeft, 50);
        return false;
    };
    sheet(826 * 0.991, 1169 * 0.991);
    EXPECT_TRUE(store.Print(1, 1, nullptr, QStringLiteral("1 %"), 1, printer.get(), ask));
    EXPECT_EQ(asked, 0);
    sheet(826 * 0.98, 1169);
    EXPECT_FALSE(store.Print(1, 1, nullptr, QStringLiteral("2 %"), 1, printer.get(), ask));
    EXPECT_EQ(asked, 1);
}

TEST_F(PrintTest, TilesPrintEveryRowAndColumnOnItsOwnSheet)
{
    fill(1);
    sheet(500, 700);
    auto tiles = [](TPrintTiling &t) {
        t.Rows = 2;
        t.Columns = 2;
        t.Scale = 100;
        return true;
    };
    ASSERT_TRUE(store.Print(1, 1, nullptr, QStringLiteral("Dlaždice"), 1, printer.get(), tiles));
    EXPECT_EQ(pdfPages(file), 4);
    // The text at the top left of the page is on the first tile only.
    const QString first = run(QStringLiteral("pdftotext"), {QStringLiteral("-f"), QStringLiteral("1"), QStringLiteral("-l"), QStringLiteral("1"), file, QStringLiteral("-")});
    const QString last = run(QStringLiteral("pdftotext"), {QStringLiteral("-f"), QStringLiteral("4"), QStringLiteral("-l"), QStringLiteral("4"), file, QStringLiteral("-")});
    EXPECT_TRUE(first.contains(QStringLiteral("Strana 1")));
    EXPECT_FALSE(last.contains(QStringLiteral("Strana 1")));
}

TEST_F(PrintTest, PrinterMetricsAndTheirFallbacks)
{
    TPrinterMetrics none;
    EXPECT_EQ(none.ScaleX(), 1.0);
    EXPECT_EQ(none.OffsetX(), 50 - 50);
    EXPECT_EQ(none.OffsetY(), 70 - 72);
    EXPECT_EQ(none.physicalWidth(), 826);
    printer->setFullPage(false);
    printer->setPageMargins(QMarginsF(0.25, 0.5, 0.25, 0.5), QPageLayout::Inch);
    const TPrinterMetrics m = MetricsOf(*printer);
    EXPECT_TRUE(m.PrinterAvailable);
    EXPECT_EQ(m.ResolutionX, printer->resolution());
    EXPECT_DOUBLE_EQ(m.ScaleX(), printer->resolution() / 100.0);
    EXPECT_EQ(m.PrintingOffsetX, printer->resolution() / 4);
    EXPECT_EQ(m.OffsetX(), 50 - 25);
    EXPECT_EQ(m.OffsetY(), 70 - 50);
}

TEST_F(PrintTest, SelectingTheCurrentPrinterKeepsTheOneChosen)
{
    SetCurrentPrinter(printer.get());
    EXPECT_TRUE(SelectPrinter(-1));
    EXPECT_EQ(currentPrinter(), printer.get());
    EXPECT_TRUE(printerMetrics().PrinterAvailable);
    EXPECT_DOUBLE_EQ(printerMetrics().ScaleY(), printer->resolution() / 100.0);
    // An index beyond the system's printers: no printer available, scales back to 1.
    EXPECT_FALSE(SelectPrinter(100000));
    EXPECT_FALSE(printerMetrics().PrinterAvailable);
    EXPECT_EQ(printerMetrics().ScaleX(), 1.0);
}
