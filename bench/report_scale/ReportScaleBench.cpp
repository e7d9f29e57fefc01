// Scale of the run: many elements in one band of one section, and the memory a list report
// of 1,000,000 rows holds in its output store. Peak memory of the whole process is reported
// as peak_rss_mb (getrusage), so run one benchmark per process when it matters:
//   bench_report_scale --benchmark_filter=OneBand
//   bench_report_scale --benchmark_filter=MillionRows/1000000
//   bench_report_scale --benchmark_filter=PageCount/1      (and /0, the same without the count)
// (MillionRows/100000 is the same report over a tenth of the rows, for a quicker look.)

#include "db/Connection.h"
#include "db/DataSet.h"
#include "printouts/DataSetBridge.h"
#include "report/output/Sestava.h"
#include "support/BenchMain.h"
#include "support/PeakMemory.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace orv;

namespace {

// A body with one band of n elements that grow with their text (all starting at the same
// top), and n fixed texts with a condition and n rectangles in the segment below the
// band; one record.
QStringList oneBandTemplate(int n)
{
    QStringList t = {"I,1,5,50,0", "I,2,0,826,1169,50,50,50,50,1,0", "I,3,0,0,0,0",
                     "I,3,1,0,0,0", "I,3,2,1,60,0", "I,3,3,0,0,0", "I,3,4,0,0,0"};
    for (int i = 0; i < n; ++i) {
        const int left = (i % 70) * 10;
        // Every 70th one runs over the page end: the band ends on the second page.
        const QString text = i % 70 == 69 ? QString(QStringLiteral("dlouhý text ")).repeated(400)
                                          : QStringLiteral("%1 a %2").arg(i).arg(i % 7);
        t << QStringLiteral("T,1,0,%1,0,10,20,Arial,8,0,0,80,0,238,\"%2\",0,0,0,\"\",0,\"\"")
                 .arg(left).arg(text);
        // Fixed texts with a condition, and a frame under each.
        t << QStringLiteral("T,1,0,%1,30,10,20,Arial,8,0,0,0,0,238,\"p%2\",0,0,0,\"1>0\",0,\"\"")
                 .arg(left).arg(i);
        t << QStringLiteral("T,8,0,%1,30,10,20,,1,0,0,0,16777215,1").arg(left);
    }
    return t;
}

void BM_OneBand(benchmark::State &state)
{
    const int n = int(state.range(0));
    QTemporaryDir dir;
    db::Connection conn;
    conn.openFile(dir.filePath(QStringLiteral("one.sqlite")), db::OpenMode::Create);
    db::DataSet query(QStringLiteral("qOne"), &conn);
    query.setSql(QStringLiteral("select 1 as One"));
    query.open();
    DataSetBridge bridge(&query);
    TSestava report;
    report.DataSource = &bridge;
    report.IsStored = true;
    report.Predloha = oneBandTemplate(n);
    for (auto _ : state) {
        if (report.Run() != seOk)
            state.SkipWithError("the run failed");
        benchmark::DoNotOptimize(report.Vystup.PageCount());
    }
    state.counters["elements"] = 3 * n;
    state.counters["pages"] = report.Vystup.PageCount();
}
BENCHMARK(BM_OneBand)->Arg(2000)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(1);

// The list report of bench_report_run (page header and footer, one group with a sum) over
// generated rows.
QStringList listTemplate()
{
    return {
        "I,0,\"Ceník\"", "I,1,5,50,0", "I,2,0,826,1169,50,50,70,70,1,0",
        "I,3,0,1,40,0", "I,3,1,1,30,0", "I,3,2,1,19,0", "I,3,3,1,30,0", "I,3,4,1,25,0",
        "I,4,0,\"#Grp\",1,20,1,20,0",
        "F,0,Suma,\"\",0,\"0\",2,\"#Price\",2,15,2,2",
        "F,1,Celkem,\"\",0,\"0\",0,\"#Price\",2,15,2,3",
        "Z,1,0,0,0,500,30,Arial,16,0,1,0,0,238,\"Ceník položek\",0,0,0,\"\",0,\"\"",
        "H,1,0,0,0,200,20,Arial,9,0,1,0,0,238,\"Číslo\",0,0,0,\"\",0,\"\"",
        "H,1,0,100,0,300,20,Arial,9,0,1,0,0,238,\"Název\",0,0,0,\"\",0,\"\"",
        "H,1,0,526,0,200,20,Arial,9,0,1,1,0,238,\"Cena\",0,0,0,\"\",0,\"\"",
        "S0,2,Grp,0,0,300,20,Arial,10,0,1,0,0,238,\"\",0,0,0,\"\",0,\"\"",
        "T,2,Number,0,0,90,19,Arial,9,0,0,1,0,238,\"\",0,0,0,\"\",0,\"\"",
        "T,2,Name,100,0,400,19,Arial,9,0,0,0,0,238,\"\",0,0,0,\"\",0,\"\"",
        "T,2,Price,526,0,200,19,Arial,9,0,0,1,0,238,\"\",0,0,0,\"\",0,\"\"",
        "U0,6,Suma,526,0,200,20,Arial,9,0,1,1,0,238,\"\",0,0,0,\"\",0,\"\"",
        "K,6,Celkem,526,0,200,20,Arial,10,0,1,1,0,238,\"\",0,0,0,\"\",0,\"\"",
        "P,5,3,526,0,200,20,Arial,8,0,0,1,0,238,\"Strana %d\",0,0,0,\"\",0,\"\"",
    };
}

void BM_MillionRows(benchmark::State &state)
{
    const int rows = int(state.range(0));
    QTemporaryDir dir;
    db::Connection conn;
    conn.openFile(dir.filePath(QStringLiteral("rows.sqlite")), db::OpenMode::Create);
    conn.exec(QStringLiteral("create table Items (Number integer, Grp varchar(20), Name varchar(40), Price float)"));
    {
        db::Transaction tx(conn);
        db::Statement st(conn, QStringLiteral("insert into Items values (?,?,?,?)"));
        for (int i = 1; i <= rows; ++i) {
            st.bind(1, i);
            st.bind(2, QStringLiteral("Skupina %1").arg((i - 1) / 100 + 1, 5, 10, QLatin1Char('0')));
            st.bind(3, QStringLiteral("Ocel X%1CrNi18-%2 žárupevná").arg(i % 97).arg(i % 13));
            st.bind(4, (i % 1000) / 10.0);
            st.step();
            st.reset();
        }
        tx.commit();
    }
    db::DataSet query(QStringLiteral("qList"), &conn);
    query.setSql(QStringLiteral("select Number, Grp, Name, Price from Items order by Number"));
    query.open();
    const double before = bench::peakRssMb();
    DataSetBridge bridge(&query);
    TSestava report;
    report.DataSource = &bridge;
    report.IsStored = true;
    report.Predloha = listTemplate();
    report.EndPage = 1000000;   // all pages, not the first 9,999 of the default range
    for (auto _ : state) {
        if (report.Run() != seOk)
            state.SkipWithError("the run failed");
        benchmark::DoNotOptimize(report.Vystup.PageCount());
    }
    const double peak = bench::peakRssMb();
    state.counters["pages"] = report.Vystup.PageCount();
    state.counters["records"] = report.RecordsPrinted;
    state.counters["peak_rss_mb"] = peak;
    state.counters["data_rss_mb"] = before;
    state.counters["kb_per_page"] = (peak - before) * 1024.0 / std::max(1, report.Vystup.PageCount());
}
BENCHMARK(BM_MillionRows)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(1);

// 20,001 pages of a list report whose page footer says "Strana X z Y" (argument 1) or only
// "Strana X" (argument 0): the page count is filled in when the run ends, and the pages
// waiting for it are packed like the others meanwhile.
void BM_PageCount(benchmark::State &state)
{
    const bool withCount = state.range(0) != 0;
    constexpr int kPages = 20001;
    constexpr int kRowsPerPage = 40;
    QTemporaryDir dir;
    db::Connection conn;
    conn.openFile(dir.filePath(QStringLiteral("pages.sqlite")), db::OpenMode::Create);
    conn.exec(QStringLiteral("create table Items (Number integer, Name varchar(40))"));
    {
        db::Transaction tx(conn);
        db::Statement st(conn, QStringLiteral("insert into Items values (?,?)"));
        for (int i = 1; i <= kPages * kRowsPerPage; ++i) {
            st.bind(1, i);
            st.bind(2, QStringLiteral("Ocel X%1CrNi18-%2 žárupevná").arg(i % 97).arg(i % 13));
            st.step();
            st.reset();
        }
        tx.commit();
    }
    db::DataSet query(QStringLiteral("qList"), &conn);
    query.setSql(QStringLiteral("select Number, Name from Items order by Number"));
    query.open();
    const double before = bench::peakRssMb();
    DataSetBridge bridge(&query);
    TSestava report;
    report.DataSource = &bridge;
    report.IsStored = true;
    // A printable height of 1049: 40 bodies of 25 and a footer of 40 a page.
    QStringList t = {"I,1,5,50,0", "I,2,0,826,1169,50,50,70,50,1,0", "I,3,0,0,0,0",
                     "I,3,1,0,0,0", "I,3,2,1,25,0", "I,3,3,0,0,0", "I,3,4,1,40,0",
                     "T,2,Number,0,0,90,20,Arial,9,0,0,1,0,238,\"\",0,0,0,\"\",0,\"\"",
                     "T,2,Name,100,0,400,20,Arial,9,0,0,0,0,238,\"\",0,0,0,\"\",0,\"\"",
                     "P,5,3,426,10,150,20,Arial,8,0,0,1,0,238,\"Strana %d\",0,0,0,\"\",0,\"\""};
    if (withCount)
        t << "P,5,4,576,10,150,20,Arial,8,0,0,0,0,238,\" z %d\",0,0,0,\"\",0,\"\"";
    report.Predloha = t;
    report.EndPage = 1000000;
    for (auto _ : state) {
        if (report.Run() != seOk)
            state.SkipWithError("the run failed");
        benchmark::DoNotOptimize(report.Vystup.PageCount());
    }
    const double peak = bench::peakRssMb();
    state.counters["pages"] = report.Vystup.PageCount();
    state.counters["peak_rss_mb"] = peak;
    state.counters["store_mb"] = peak - before;
}
BENCHMARK(BM_PageCount)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char **argv)
{
    return orv::bench::runGuiBenchmarks(argc, argv);
}
