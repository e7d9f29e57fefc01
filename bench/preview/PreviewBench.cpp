// The preview window on the list report of about 1,000 pages (the report-run benchmark's
// report over 50,000 generated rows): opening the window on the finished store until its
// first page is painted, and turning a page (next page, repainted) a hundred times.

#include "db/Connection.h"
#include "db/DataSet.h"
#include "printouts/DataSetBridge.h"
#include "report/output/Sestava.h"
#include "report/ui/PreviewWindow.h"
#include "report/ui/ReportUi.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QWidget>

#include <benchmark/benchmark.h>

using namespace orv;

namespace {

constexpr int kRows = 50000;
constexpr int kGroupSize = 100;

struct Data {
    QTemporaryDir dir;
    db::Connection conn;
    db::DataSet query{QStringLiteral("qList"), &conn};
    Data()
    {
        conn.openFile(dir.filePath(QStringLiteral("bench.sqlite")), db::OpenMode::Create);
        conn.exec(QStringLiteral("create table Items (Number integer, Grp varchar(20), Name varchar(40), Price float)"));
        db::Transaction tx(conn);
        db::Statement st(conn, QStringLiteral("insert into Items values (?,?,?,?)"));
        for (int i = 1; i <= kRows; ++i) {
            st.bind(1, i);
            st.bind(2, QStringLiteral("Skupina %1").arg((i - 1) / kGroupSize + 1, 4, 10, QLatin1Char('0')));
            st.bind(3, QStringLiteral("Ocel X%1CrNi18-%2 žárupevná").arg(i % 97).arg(i % 13));
            st.bind(4, (i % 1000) / 10.0);
            st.step();
            st.reset();
        }
        tx.commit();
        query.setSql(QStringLiteral("select Number, Grp, Name, Price from Items order by Number"));
        query.open();
    }
};

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
        "T,2,Price,526,0,200,19,Arial,9,0,0,1,0,238,\"\",0,0,0,\"#Price>50\",0,\"\"",
        "U0,6,Suma,526,0,200,20,Arial,9,0,1,1,0,238,\"\",0,0,0,\"\",0,\"\"",
        "K,6,Celkem,526,0,200,20,Arial,10,0,1,1,0,238,\"\",0,0,0,\"\",0,\"\"",
        "P,5,3,526,0,200,20,Arial,8,0,0,1,0,238,\"Strana %d\",0,0,0,\"\",0,\"\"",
    };
}

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
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    InstallReportUi();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
