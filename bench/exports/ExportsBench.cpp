// The 1,000-page list report of the run benchmark (50,000 generated rows, a group with
// sums, page numbers) written to a file as PDF, RTF and HTML (one file per page). Each
// iteration is the run and the export. Peak memory of the process is reported as
// peak_rss_mb; run one format at a time (--benchmark_filter) to see its own peak.

#include "db/Connection.h"
#include "db/DataSet.h"
#include "printouts/DataSetBridge.h"
#include "report/model/TemplateFile.h"
#include "report/output/HtmlExport.h"
#include "report/output/PdfExport.h"
#include "report/output/RtfExport.h"
#include "report/output/Sestava.h"
#include "support/BenchMain.h"
#include "support/PeakMemory.h"
#include "support/ListReport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QFile>
#include <QFileInfo>

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
    state.counters["peak_rss_mb"] = bench::peakRssMb();
}

void BM_RunAndPdf(benchmark::State &state) { runAndExport(state, Pdf); }
void BM_RunAndRtf(benchmark::State &state) { runAndExport(state, Rtf); }
void BM_RunAndHtml(benchmark::State &state) { runAndExport(state, Html); }
BENCHMARK(BM_RunAndPdf)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_RunAndRtf)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_RunAndHtml)->Unit(benchmark::kMillisecond)->Iterations(3);

// The command-line runner on the same report and rows, a process per iteration, wall time:
// --pdf alone (argument 0: no page image is drawn) and --pdf with --out (argument 1: the
// PNG pages too, for comparison).
void BM_RunnerPdf(benchmark::State &state)
{
    const bool pages = state.range(0) != 0;
    static Data data;
    const QString runner = QStringLiteral(ORVALIS_BINARY_DIR "/tools/report-runner/orv_report_runner");
    if (!QFileInfo(runner).isExecutable()) {
        state.SkipWithError("the runner is not built");
        return;
    }
    QTemporaryDir out;
    const QString pts = out.filePath(QStringLiteral("cenik.pts"));
    if (saveTemplateFile(pts, listTemplate(), false) != seOk) {
        state.SkipWithError("cannot write the template");
        return;
    }
    QStringList args{pts, data.dir.filePath(QStringLiteral("bench.sqlite")),
                     QStringLiteral("select Number, Grp, Name, Price from Items order by Number"),
                     QStringLiteral("--pdf"), out.filePath(QStringLiteral("cenik.pdf"))};
    if (pages)
        args << QStringLiteral("--out") << out.filePath(QStringLiteral("png/cenik"));
    // The runner's own CPU time: what the machine's load does not stretch.
    auto childCpu = [] {
        struct rusage ru {};
        getrusage(RUSAGE_CHILDREN, &ru);
        return double(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec)
            + double(ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e6;
    };
    const double cpuBefore = childCpu();
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        QProcess p;
        p.start(runner, args);
        if (!p.waitForFinished(-1) || p.exitCode() != 0) {
            state.SkipWithError("the runner failed");
            break;
        }
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
    }
    state.counters["runner_cpu_s"] = (childCpu() - cpuBefore) / double(std::max<qint64>(1, state.iterations()));
    state.counters["png_files"] = double(QDir(out.filePath(QStringLiteral("png"))).entryList(QDir::Files).size()
                                         + QDir(out.path()).entryList({QStringLiteral("*.png")}).size());
    state.counters["pdf_mb"] = double(QFileInfo(out.filePath(QStringLiteral("cenik.pdf"))).size()) / 1e6;
}
BENCHMARK(BM_RunnerPdf)->Arg(0)->Arg(1)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char **argv)
{
    return orv::bench::runGuiBenchmarks(argc, argv);
}
