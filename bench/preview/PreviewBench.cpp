// The preview window on the list report of about 1,000 pages (the report-run benchmark's
// report over 50,000 generated rows): opening the window on the finished store until its
// first page is painted, and turning a page (next page, repainted) a hundred times.

#include "db/Connection.h"
#include "db/DataSet.h"
#include "printouts/DataSetBridge.h"
#include "report/output/Sestava.h"
#include "support/ListReport.h"
#include "report/ui/PreviewWindow.h"
#include "report/ui/ReportUi.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QWidget>

#include <benchmark/benchmark.h>
#include "support/BenchMain.h"

using namespace orv;

namespace {

using namespace orv::benchsupport;

struct Report {
    Data data;
    DataSetBridge bridge{&data.query};
    TSestava report;
    Report()
    {
        report.DataSource = &bridge;
        report.IsStored = true;
        report.Predloha = listTemplate();
        report.Run();
        report.Vystup.SetRange(1, 9999, 0, 1);
    }
};

Report &finished()
{
    static Report r;
    return r;
}

TPreviewOptions options()
{
    TPreviewOptions o;
    o.WindowState = wsNormal;
    o.Bounds = QRect(0, 0, 1200, 900);
    return o;
}

void BM_OpenPreviewFirstPage(benchmark::State &state)
{
    Report &r = finished();
    for (auto _ : state) {
        TFormSestP w(r.report, options());
        w.show();
        w.panel()->repaint();
        benchmark::DoNotOptimize(w.currentPage());
    }
    state.counters["pages"] = r.report.Vystup.PageCount();
}
BENCHMARK(BM_OpenPreviewFirstPage)->Unit(benchmark::kMillisecond)->Iterations(20);

void BM_Turn100Pages(benchmark::State &state)
{
    Report &r = finished();
    TFormSestP w(r.report, options());
    w.show();
    w.panel()->repaint();
    for (auto _ : state) {
        w.FirstPage();
        for (int i = 0; i < 100; ++i) {
            w.NextPage();
            w.panel()->repaint();
        }
    }
    // Time per iteration is for 100 turns: divide by 100 for one page.
    state.counters["turns"] = 100;
}
BENCHMARK(BM_Turn100Pages)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char **argv)
{
    return orv::bench::runWidgetBenchmarks(argc, argv, [] { InstallReportUi(); });
}
