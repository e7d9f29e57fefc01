// Opening a comparison of six materials over the large generated catalogue
// (<build>/large-catalogue, made by "ninja large_catalogue"):
//   BM_LoadComparison6   the comparison read (every row of the six materials)
//   BM_OpenCompare6      the compare window created on six materials: read, grid filled,
//                        rows sized to their wrapped texts; window closed
//   BM_CompareReport6    the report of a comparison run (generated template, store filled)
// Each iteration takes the next six of 240 materials spread over the catalogue.

#include "db/Connection.h"
#include "printouts/Comparison.h"
#include "printouts/TableReport.h"
#include "printouts/TfCompare.h"
#include "report/output/Sestava.h"

#include <QApplication>
#include <QFile>

#include <benchmark/benchmark.h>
#include "support/BenchMain.h"
#include "support/LargeCatalogue.h"

using namespace orv;
using namespace orv::printouts;

namespace {

struct Large
{
    db::Connection cat{QStringLiteral("compare-bench")};
    QList<int> materials;
    QString error;
    int next = 0;

    Large()
    {
        const bench::LargeCatalogueFiles files;
        const QString &source = files.folder;
        error = files.error;
        if (!error.isEmpty())
            return;
        cat.open(source + QStringLiteral("/catalogue.sqlite"), source + QStringLiteral("/user.sqlite"),
                 db::Database::Catalogue);
        materials = bench::spreadMaterials(cat, 240);
    }

    QList<int> six()
    {
        QList<int> out = materials.mid(next, 6);
        next = (next + 6) % 240;
        return out;
    }
};

Large &large()
{
    static Large l;
    return l;
}

const CompareCriteria kBarsQt30{1, 3, 30};

void BM_LoadComparison6(benchmark::State &state)
{
    Large &l = large();
    if (!bench::readyOrSkip(state, l.error))
        return;
    qsizetype rows = 0;
    for (auto _ : state) {
        const Comparison c = loadComparison(l.cat, l.six(), kBarsQt30);
        rows = c.rows.size();
        benchmark::DoNotOptimize(rows);
    }
    state.counters["rows"] = double(rows);
}
BENCHMARK(BM_LoadComparison6)->Unit(benchmark::kMillisecond);

void BM_OpenCompare6(benchmark::State &state)
{
    Large &l = large();
    if (!bench::readyOrSkip(state, l.error))
        return;
    CompareEnvironment env;
    env.catalogue = &l.cat;
    for (auto _ : state) {
        TfCompare w(l.six(), env);
        w.resize(1400, 800);
        benchmark::DoNotOptimize(w.comparison().rows.size());
    }
}
BENCHMARK(BM_OpenCompare6)->Unit(benchmark::kMillisecond);

void BM_CompareReport6(benchmark::State &state)
{
    Large &l = large();
    if (!bench::readyOrSkip(state, l.error))
        return;
    CompareEnvironment env;
    env.catalogue = &l.cat;
    int pages = 0;
    for (auto _ : state) {
        TfCompare w(l.six(), env);
        QList<QStringList> rows;
        for (const CompareRow &r : w.comparison().rows)
            rows << (QStringList{r.caption} + r.cells + QStringList{r.group, r.differs ? QStringLiteral("1") : QString()});
        QStringList names{QStringLiteral("Vlastnost")};
        for (int i = 1; i <= 6; ++i)
            names << QStringLiteral("M%1").arg(i);
        names << QStringLiteral("Skupina") << QStringLiteral("Lisi");
        TableBridge bridge(names, rows);
        TSestava report;
        report.DataSource = &bridge;
        report.IsStored = true;
        report.Predloha = w.reportTemplate();
        if (report.Run() != seOk)
            state.SkipWithError("the run failed");
        pages = report.Vystup.PageCount();
    }
    state.counters["pages"] = pages;
}
BENCHMARK(BM_CompareReport6)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    return orv::bench::runWidgetBenchmarks(argc, argv);
}
