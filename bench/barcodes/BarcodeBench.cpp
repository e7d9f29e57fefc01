// Barcodes and character output: encoding and drawing 10,000 barcodes of mixed types onto
// a page image, and the text file of the list report of about 1,000 pages that
// bench/report_run runs (the run itself is done once, outside the measurement).

#include "db/Connection.h"
#include "db/DataSet.h"
#include "printouts/DataSetBridge.h"
#include "report/output/Barcode.h"
#include "report/output/PageImage.h"
#include "report/output/Sestava.h"
#include "support/BenchMain.h"
#include "support/ListReport.h"
#include "report/output/TolvaCanvas.h"
#include "report/output/ZnakovePole.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace orv;

namespace {

using namespace orv::benchsupport;

const int kTypes[] = {bcEan13, bcCode128B, bcCode39, bcInterleaved25, bcEan8, bcCode93,
                      bcUpcA, bcCodabar, bcCode128C, bcMsi};

QString sampleData(int i)
{
    const int type = kTypes[i % 10];
    return type == bcCode128B || type == bcCode39 || type == bcCode93
        ? QStringLiteral("ORV-%1").arg(i) : QString::number(100000000 + i * 7919);
}

// The two stages apart: encoding alone, and encoding with the geometry.
void BM_Encode10000Barcodes(benchmark::State &state)
{
    for (auto _ : state)
        for (int i = 0; i < 10000; ++i)
            benchmark::DoNotOptimize(EncodeBarcode(kTypes[i % 10], sampleData(i), true));
}
BENCHMARK(BM_Encode10000Barcodes)->Unit(benchmark::kMillisecond);

void BM_Layout10000Barcodes(benchmark::State &state)
{
    for (auto _ : state)
        for (int i = 0; i < 10000; ++i)
            benchmark::DoNotOptimize(LayoutBarcode(QRect(0, 0, 10, 250), kTypes[i % 10],
                                                   sampleData(i), i % 3 == 0, true,
                                                   (i % 4) * 90, 4 + i % 5));
}
BENCHMARK(BM_Layout10000Barcodes)->Unit(benchmark::kMillisecond);

// Pages of 50 codes each drawn into a page image (600 units per inch), as the output store
// renders its pages.
void BM_EncodeAndDraw10000Barcodes(benchmark::State &state)
{
    double steps = 0;
    TPageImage page;
    page.setBoundingRect(QRect(0, 0, 4956, 7014));
    for (auto _ : state) {
        steps = 0;
        for (int first = 0; first < 10000; first += 50) {
            page.clear();
            QPainter p(&page);
            TTolvaCanvas canvas(&p);
            for (int i = first; i < first + 50; ++i)
                DrawBarcode(canvas, QRect((i % 5) * 900, (i / 5 % 10) * 600, 10, 250),
                            kTypes[i % 10], sampleData(i), i % 3 == 0, true, (i % 4) * 90,
                            4 + i % 5);
            p.end();
            steps += page.stepCount();
        }
    }
    state.counters["barcodes"] = 10000;
    state.counters["steps"] = steps;
}
// The same onto raster pages of A4 at 150 dots per inch (a preview or a PNG page), where a
// module of the page image's 4..8 units is 1 or 2 pixels.
void BM_EncodeAndDraw10000BarcodesRaster(benchmark::State &state)
{
    QImage page(1240, 1754, QImage::Format_RGB32);
    page.fill(Qt::white);   // the codes cover their own spaces: no need to clear
    for (auto _ : state) {
        for (int first = 0; first < 10000; first += 50) {
            QPainter p(&page);
            TTolvaCanvas canvas(&p);
            for (int i = first; i < first + 50; ++i)
                DrawBarcode(canvas, QRect((i % 5) * 240, (i / 5 % 10) * 170, 10, 60),
                            kTypes[i % 10], sampleData(i), i % 3 == 0, true, (i % 4) * 90,
                            1 + i % 2);
        }
    }
    state.counters["barcodes"] = 10000;
}
BENCHMARK(BM_EncodeAndDraw10000BarcodesRaster)->Unit(benchmark::kMillisecond);

BENCHMARK(BM_EncodeAndDraw10000Barcodes)->Unit(benchmark::kMillisecond);

void BM_TextFileOfTheListReport(benchmark::State &state)
{
    static Data data;
    DataSetBridge bridge(&data.query);
    static TSestava report;
    report.DataSource = &bridge;
    report.IsStored = true;
    report.Predloha = listTemplate();
    if (report.Vystup.PageCount() == 0 && report.Run() != seOk) {
        state.SkipWithError("the run failed");
        return;
    }
    report.Vystup.ExportLanguage = slCP852;
    qint64 size = 0;
    for (auto _ : state) {
        QByteArray bytes;
        QBuffer buf(&bytes);
        buf.open(QIODevice::WriteOnly);
        if (!SaveText(report.Vystup, buf, 1, 9999, nullptr, 1))
            state.SkipWithError("the text was not written");
        size = bytes.size();
    }
    state.counters["pages"] = report.Vystup.PageCount();
    state.counters["bytes"] = double(size);
}
BENCHMARK(BM_TextFileOfTheListReport)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char **argv)
{
    return orv::bench::runGuiBenchmarks(argc, argv);
}
