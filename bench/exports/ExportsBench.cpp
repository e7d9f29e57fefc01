// The 1,000-page list report of the run benchmark (50,000 generated rows, a group with
// sums, page numbers) written to a file as PDF, RTF and HTML (one file per page). Each
// iteration is the run and the export. Peak memory of the process is reported as
// peak_rss_mb; run one format at a time (--benchmark_filter) to see its own peak.

#include "db/Connection.h"
#include "db/DataSet.h"
#include "printouts/DataSetBridge.h"
#include "report/output/HtmlExport.h"
#include "report/output/PdfExport.h"
#include "report/output/RtfExport.h"
#include "report/output/Sestava.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <QGuiApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <sys/resource.h>

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

enum Format { Pdf, Rtf, Html };

void runAndExport(benchmark::State &state, Format format)
{
    static Data data;
    DataSetBridge bridge(&data.query);
    TSestava report;
    report.DataSource = &bridge;
    report.IsStored = true;
    report.Predloha = listTemplate();
    QTemporaryDir out;
    qint64 bytes = 0;
    for (auto _ : state) {
        if (report.Run() != seOk) {
            state.SkipWithError("the run failed");
            break;
        }
        int r = seOk;
        if (format == Html) {
            r = report.TSestavaTyp::ExportHtml(out.path(), QStringLiteral("ceník.html"), QStringLiteral("ceník.bmp"));
        } else {
            QFile file(out.filePath(format == Pdf ? QStringLiteral("ceník.pdf") : QStringLiteral("ceník.rtf")));
            if (!file.open(QIODevice::WriteOnly))
                r = seOutputNotWritten;
            else
                r = format == Pdf ? SavePdf(report.Vystup, file) : SaveRtf(report.Vystup, file);
        }
        if (r != seOk) {
            state.SkipWithError("the export failed");
            break;
        }
    }
    for (const QFileInfo &fi : QDir(out.path()).entryInfoList(QDir::Files))
        bytes += fi.size();
    state.counters["pages"] = report.Vystup.PageCount();
    state.counters["output_mb"] = double(bytes) / 1e6;
    struct rusage ru {};
    getrusage(RUSAGE_SELF, &ru);
    state.counters["peak_rss_mb"] = double(ru.ru_maxrss) / 1024.0;
}

void BM_RunAndPdf(benchmark::State &state) { runAndExport(state, Pdf); }
void BM_RunAndRtf(benchmark::State &state) { runAndExport(state, Rtf); }
void BM_RunAndHtml(benchmark::State &state) { runAndExport(state, Html); }
BENCHMARK(BM_RunAndPdf)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_RunAndRtf)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_RunAndHtml)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
