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
#include "support/ListReport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <QGuiApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <sys/resource.h>

using namespace orv;

namespace {

using namespace orv::benchsupport;

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
