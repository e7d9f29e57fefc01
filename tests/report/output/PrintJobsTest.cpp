// Print jobs through the report component, one after another: the printer current before a
// job outlives the job's own (run under AddressSanitizer in CI), and what the printing says
// (a file that cannot be written, the cancel button, the tiling question) is the result.

#include "RunTestSupport.h"

#include "report/model/SestError.h"
#include "report/model/SestavaMessages.h"
#include "report/output/PrinterMetrics.h"
#include "report/output/Printers.h"
#include "support/CupsTestServer.h"

#include <QPrinter>
#include <QTemporaryDir>

#include <dlfcn.h>

using namespace orv;

namespace {

// libcups keeps the server it first talked to; the print plugin may have loaded it already.
void forgetCupsServer()
{
    void *lib = dlopen("libcups.so.2", RTLD_NOW);
    if (!lib)
        return;
    using SetServer = void (*)(const char *);
    if (auto set = reinterpret_cast<SetServer>(dlsym(lib, "cupsSetServer")))
        set(nullptr);
    dlclose(lib);
}

struct SmallReport {
    runtest::MemoryBridge data;
    TSestava report;
    SmallReport(int rows = 3, int paperWidth = 826, int paperHeight = 1100)
    {
        runtest::ensureApp();
        data.Columns = {"Name"};
        for (int i = 0; i < rows; ++i)
            data.Rows.push_back({QStringLiteral("Ocel %1").arg(i)});
        report.DataSource = &data;
        report.IsStored = true;
        runtest::Template t;
        t.Lines[1] = QStringLiteral("I,2,0,%1,%2,50,50,50,50,1,0").arg(paperWidth).arg(paperHeight);
        report.Predloha = t.section(2, true, 20).text("T", 2, "Name", 0, 0, 400, 20).Lines;
    }
};

// A progress window whose cancel button was pressed before the first page.
class PressedCancel : public TSestProgress {
public:
    void setText(const QString &) override {}
    void processEvents() override {}
    bool cancelled() const override { return m_pressed; }
    const bool *abortFlag() const override { return &m_pressed; }

private:
    bool m_pressed = true;
};

} // namespace

TEST(PrintJobs, ThreeJobsInARowKeepThePrinterChosenBefore)
{
    orv::testing::CupsTestServer cups;
    if (!cups.start())
        GTEST_SKIP() << "could not start cupsd: " << cups.error().toStdString();
    ASSERT_FALSE(cups.addTextOnlyQueue("laser", "Example Laser 9000").isEmpty()) << cups.error().toStdString();
    ASSERT_FALSE(cups.addTextOnlyQueue("druha", "Example Laser 9000").isEmpty()) << cups.error().toStdString();
    cups.exportEnvironment();
    forgetCupsServer();
    SmallReport r;
    const int laser = int(SystemPrinterNames().indexOf("laser"));
    const int second = int(SystemPrinterNames().indexOf("druha"));
    ASSERT_GE(laser, 0);
    ASSERT_GE(second, 0);
    QTemporaryDir dir;

    // The session's printer, chosen in a print dialog, is current before the jobs.
    ASSERT_TRUE(SelectPrinter(laser));
    for (int job = 0; job < 3; ++job) {
        EXPECT_EQ(r.report.PrintOn(job == 1 ? second : laser), seOk) << "job " << job;
        ASSERT_NE(currentPrinter(), nullptr);
        EXPECT_EQ(currentPrinter()->printerName(), "laser") << "job " << job;
        EXPECT_GT(MetricsOf(*currentPrinter()).PhysicalWidth, 0);
    }
    // The PDF entry between two system jobs.
    EXPECT_EQ(r.report.PrintOnPort(PdfPrinterIndex(), dir.filePath("a.pdf")), seOk);
    EXPECT_TRUE(PdfFileIsWhole(dir.filePath("a.pdf")));
    EXPECT_EQ(r.report.PrintOn(second), seOk);
    EXPECT_EQ(currentPrinter()->printerName(), "laser");
    SetCurrentPrinter(nullptr);
}

TEST(PrintJobs, TheComponentReturnsWhatThePrintingSaid)
{
    SmallReport r;
    QTemporaryDir dir;
    // A PDF port that cannot be written.
    EXPECT_EQ(r.report.PrintOnPort(PdfPrinterIndex(), dir.filePath("chybi/a.pdf")), seOutputNotWritten);
    EXPECT_TRUE(r.report.OutputError.contains("chybi")) << qPrintable(r.report.OutputError);

    // The cancel button of the progress window stops the job and leaves no file.
    setSestProgressFactory([](const QString &) { return std::make_unique<PressedCancel>(); });
    EXPECT_EQ(r.report.PrintOnPort(PdfPrinterIndex(), dir.filePath("b.pdf")), seCancelled);
    setSestProgressFactory({});
    EXPECT_FALSE(QFile::exists(dir.filePath("b.pdf")));
    SetCurrentPrinter(nullptr);
}

TEST(PrintJobs, ASheetBiggerThanThePaperAsksTheTilingQuestion)
{
    orv::testing::CupsTestServer cups;
    if (!cups.start())
        GTEST_SKIP() << "could not start cupsd: " << cups.error().toStdString();
    ASSERT_FALSE(cups.addTextOnlyQueue("a4", "Example Laser 9000").isEmpty());
    cups.exportEnvironment();
    forgetCupsServer();
    SmallReport r(3, 1654, 2339);   // an A3 sheet on an A4 printer
    const int a4 = int(SystemPrinterNames().indexOf("a4"));
    ASSERT_GE(a4, 0);
    int asked = 0;
    sestavaEntryPoints().AskTiling = [&](TPrintTiling &) { ++asked; return false; };
    EXPECT_EQ(r.report.PrintOn(a4), seCancelled);
    sestavaEntryPoints().AskTiling = {};
    EXPECT_EQ(asked, 1);
    SetCurrentPrinter(nullptr);
}
