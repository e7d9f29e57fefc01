// Printing to the queues of a private CUPS server started by the test: a graphic job from
// the print path reaches a driver queue's file device, the queues appear in the printer
// list, and where the text-only printer layer is present, a raw queue is recognised as
// text-only and gets a raw job.

#include "UiTestSupport.h"

#include "support/CupsTestServer.h"

#include "report/output/PrinterMetrics.h"
#include "report/output/Printers.h"
#include "report/output/Sestava.h"

#include <QTemporaryDir>

#include <dlfcn.h>
#include <gtest/gtest.h>

using namespace orv;

namespace {

// libcups keeps the server it first talked to; the print plugin has loaded it already.
void forgetCupsServer()
{
    void *lib = dlopen("libcups.so.2", RTLD_NOW | RTLD_NOLOAD);
    if (!lib)
        lib = dlopen("libcups.so.2", RTLD_NOW);
    if (!lib)
        return;
    using SetServer = void (*)(const char *);
    if (auto set = reinterpret_cast<SetServer>(dlsym(lib, "cupsSetServer")))
        set(nullptr);
    dlclose(lib);
}

} // namespace

TEST(CupsPrint, GraphicAndTextJobsReachTheirQueues)
{
    orv::testing::CupsTestServer cups;
    if (!cups.start())
        GTEST_SKIP() << "could not start cupsd: " << cups.error().toStdString();
    const QString laserOut = cups.addTextOnlyQueue("laser", "Example Laser 9000");
    ASSERT_FALSE(laserOut.isEmpty()) << cups.error().toStdString();
    // A "Generic Text-Only" queue takes the raw job; a raw queue (no driver) only shows that
    // it counts as text-only too (the server copies no unfiltered job to a file device).
    const QString rawOut = cups.addTextOnlyQueue("jehlicka");
    ASSERT_FALSE(rawOut.isEmpty()) << cups.error().toStdString();
    ASSERT_FALSE(cups.addRawQueue("surova").isEmpty()) << cups.error().toStdString();
    cups.exportEnvironment();
    forgetCupsServer();

    uitest::Messages msg;
    runtest::MemoryBridge data;
    TSestava report;
    ASSERT_EQ(uitest::runThreePageReport(report, data), seOk);

    const QStringList names = SystemPrinterNames();
    const int laser = int(names.indexOf("laser"));
    const int raw = int(names.indexOf("jehlicka"));
    const int bare = int(names.indexOf("surova"));
    ASSERT_GE(laser, 0) << names.join(", ").toStdString();
    ASSERT_GE(raw, 0);
    ASSERT_GE(bare, 0);
    EXPECT_EQ(PrinterNames().value(PdfPrinterIndex()), QString::fromUtf8("Tisk do souboru PDF"));
    EXPECT_EQ(PrinterDeviceAndPort(laser).first, "Example Laser 9000");

    // The graphic job: the print path's PDF, passed unchanged by the queue's filter.
    TPrintJob job;
    job.PrinterIndex = laser;
    job.FirstPage = 2;
    job.LastPage = 3;
    EXPECT_EQ(PrintStore(report, job), seOk) << msg.texts.join("; ").toStdString();
    const QByteArray pdf = cups.waitForOutput(laserOut);
    ASSERT_TRUE(pdf.startsWith("%PDF")) << cups.log().toStdString();
    QTemporaryDir dir;
    QFile f(dir.filePath("laser.pdf"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(pdf);
    f.close();
    if (uitest::have("pdfinfo")) {
        EXPECT_EQ(uitest::pdfinfoField(uitest::run("pdfinfo", {f.fileName()}), "Pages"), "2");
    }

    auto &ep = sestavaEntryPoints();
    if (!ep.IsCharacterPrinter || !ep.PrintText) {
        SetCurrentPrinter(nullptr);
        GTEST_SKIP() << "the text-only printer layer is not in this build; graphic job checked";
    }
    EXPECT_FALSE(ep.IsCharacterPrinter(laser));
    EXPECT_TRUE(ep.IsCharacterPrinter(raw));
    EXPECT_TRUE(ep.IsCharacterPrinter(bare));
    job.PrinterIndex = raw;
    job.FirstPage = 1;
    job.LastPage = 1;
    EXPECT_EQ(PrintStore(report, job), seOk) << msg.texts.join("; ").toStdString();
    const QByteArray text = cups.waitForOutput(rawOut);
    EXPECT_FALSE(text.startsWith("%PDF"));
    EXPECT_TRUE(text.contains("Ocel 11 373")) << text.toStdString();
    SetCurrentPrinter(nullptr);
}
