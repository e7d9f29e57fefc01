// Spreadsheets of 50,000 rows: the workbook writer alone (four typed columns, group rows in
// bold every 100 rows), and the 1,000-page list report's rows from its finished store
// (run once beforehand, not timed). Each iteration writes the whole file through the safe-write
// path. Peak memory of the process is reported as peak_rss_mb, and what the export added to
// the peak the process had before it as added_rss_mb; run each benchmark in a process of its
// own (--benchmark_filter) for a clean peak.

#include "printouts/DataSetBridge.h"
#include "report/output/Sestava.h"
#include "report/output/XlsxExport.h"
#include "support/BenchMain.h"
#include "support/PeakMemory.h"
#include "support/ListReport.h"
#include "xlsx/Workbook.h"

#include <QFileInfo>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>


using namespace orv;

namespace {

void BM_Workbook50000Rows(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("seznam.xlsx"));
    const double before = bench::peakRssMb();
    for (auto _ : state) {
        xlsx::Workbook wb;
        xlsx::Sheet &s = wb.addSheet(QStringLiteral("Seznam"));
        s.columns = {{QStringLiteral("číslo"), {}, {}}, {QStringLiteral("název"), {}, {}},
                     {QStringLiteral("cena"), QStringLiteral("Kč"), QStringLiteral("#,##0.00")},
                     {QStringLiteral("hmotnost"), QStringLiteral("kg"), {}}};
        s.rows.reserve(50500);
        for (int i = 1; i <= 50000; ++i) {
            if (i % 100 == 1)
                s.addRow({xlsx::Cell(QStringLiteral("Skupina %1").arg(i / 100 + 1))}, true);
            s.addRow({xlsx::Cell(QVariant(i)), xlsx::Cell(QStringLiteral("Ocel X%1CrNi18-%2 žárupevná").arg(i % 97).arg(i % 13)),
                      xlsx::Cell(QVariant((i % 1000) / 10.0)), xlsx::Cell(QVariant(i * 0.0785))});
        }
        const QString why = wb.save(file);
        if (!why.isEmpty())
            state.SkipWithError(why.toUtf8().constData());
    }
    state.counters["file_mb"] = double(QFileInfo(file).size()) / 1e6;
    state.counters["peak_rss_mb"] = bench::peakRssMb();
    state.counters["added_rss_mb"] = bench::peakRssMb() - before;
}
BENCHMARK(BM_Workbook50000Rows)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ListReport50kRowsXlsx(benchmark::State &state)
{
    static benchsupport::Data data;
    DataSetBridge bridge(&data.query);
    TSestava report;
    report.DataSource = &bridge;
    report.IsStored = true;
    report.Predloha = benchsupport::listTemplate();
    if (report.Run() != seOk) {
        state.SkipWithError("the run failed");
        return;
    }
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("cenik.xlsx"));
    const double before = bench::peakRssMb();
    for (auto _ : state) {
        QString why;
        if (report.ExportXlsx(file, &why) != seOk)
            state.SkipWithError(why.toUtf8().constData());
    }
    state.counters["pages"] = report.Vystup.PageCount();
    state.counters["file_mb"] = double(QFileInfo(file).size()) / 1e6;
    state.counters["peak_rss_mb"] = bench::peakRssMb();
    state.counters["added_rss_mb"] = bench::peakRssMb() - before;
}
BENCHMARK(BM_ListReport50kRowsXlsx)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char **argv)
{
    return orv::bench::runGuiBenchmarks(argc, argv);
}
