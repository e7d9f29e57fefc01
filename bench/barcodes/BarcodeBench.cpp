// Barcodes and character output: encoding and drawing 10,000 barcodes of mixed types onto
// a page image, and the text file of the list report of about 1,000 pages that
// bench/report_run runs (the run itself is done once, outside the measurement).

#include "db/Connection.h"
#include "db/DataSet.h"
#include "printouts/DataSetBridge.h"
#include "report/output/Barcode.h"
#include "report/output/Sestava.h"
#include "report/output/TolvaCanvas.h"
#include "report/output/ZnakovePole.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QPainter>
#include <QPicture>
#include <QTemporaryDir>

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

void BM_EncodeAndDraw10000Barcodes(benchmark::State &state)
{
    const int types[] = {bcEan13, bcCode128B, bcCode39, bcInterleaved25, bcEan8, bcCode93,
                         bcUpcA, bcCodabar, bcCode128C, bcMsi};
    for (auto _ : state) {
        QPicture page;
        QPainter p(&page);
        TTolvaCanvas canvas(&p);
        for (int i = 0; i < 10000; ++i) {
            const int type = types[i % 10];
            const QString data = type == bcCode128B || type == bcCode39 || type == bcCode93
                ? QStringLiteral("ORV-%1").arg(i) : QString::number(100000000 + i * 7919);
            DrawBarcode(canvas, QRect((i % 5) * 900, (i / 5 % 20) * 300, 10, 250), type, data,
                        i % 3 == 0, true, (i % 4) * 90, 4 + i % 5);
        }
        p.end();
        benchmark::DoNotOptimize(page.size());
    }
    state.counters["barcodes"] = 10000;
}
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
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
