// A list report of about 1,000 pages over 50,000 generated rows of an SQLite query: a page
// header and footer with the page number, one group with a header and a footer with a sum,
// a report footer with the grand total. Each iteration is what a print or preview does
// before the pages are drawn: template read, run, store filled. Peak memory of the whole
// process is reported as peak_rss_mb.

#include "db/Connection.h"
#include "db/DataSet.h"
#include "printouts/DataSetBridge.h"
#include "report/output/Sestava.h"
#include "support/BenchMain.h"
#include "support/PeakMemory.h"
#include "support/ListReport.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>


using namespace orv;

namespace {

using namespace orv::benchsupport;

void BM_ListReport50kRows(benchmark::State &state)
{
    static Data data;
    DataSetBridge bridge(&data.query);
    TSestava report;
    report.DataSource = &bridge;
    report.IsStored = true;
    report.Predloha = listTemplate();
    for (auto _ : state) {
        const int r = report.Run();
        if (r != seOk)
            state.SkipWithError("the run failed");
        benchmark::DoNotOptimize(report.Vystup.PageCount());
    }
    state.counters["pages"] = report.Vystup.PageCount();
    state.counters["records"] = report.RecordsPrinted;
    state.counters["peak_rss_mb"] = bench::peakRssMb();
}
BENCHMARK(BM_ListReport50kRows)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char **argv)
{
    return orv::bench::runGuiBenchmarks(argc, argv);
}
