// The designer window on a template of 2,000 elements: opening it (model, sheet with its
// bands and element controls, panels, element tree) and one undo step through the window
// (model rebuilt from the snapshot, sheet built again).

#include "report/designer/DesignerSheet.h"
#include "report/designer/FormSestE.h"
#include "report/model/TemplateFile.h"
#include "report/output/Sestava.h"

#include <QApplication>

#include <benchmark/benchmark.h>
#include "support/BenchMain.h"

using namespace orv;

namespace {

QStringList template2000()
{
    setFontAvailableFunction([](const QString &f) { return f == QLatin1String("Arial"); });
    QStringList lines{QStringLiteral("I,1,5,50,0"), QStringLiteral("I,2,0,826,1169,50,50,70,70,1,0")};
    for (int s = 0; s < 5; ++s)
        lines << QStringLiteral("I,3,%1,1,%2,0").arg(s).arg(s == 2 ? 900 : 300);
    const char *const codes[5] = {"Z", "H", "T", "K", "P"};
    for (int i = 0; i < 2000; ++i)
        lines << QStringLiteral("%1,%2,0,%3,%4,100,20,Arial,10,0,1,16,0,238,\"Text %5\",0,0,0,\"\",0,\"\"")
                     .arg(QLatin1String(codes[i % 5]))
                     .arg(i % 3 == 0 ? 1 : i % 3 == 1 ? 7 : 8)
                     .arg(i % 700).arg((i / 7) % 280).arg(i);
    return lines;
}

void BM_OpenDesigner2000(benchmark::State &state)
{
    TSestava report;
    report.SetPredloha(template2000());
    const QStringList lines = report.Predloha;
    if (TDesignerDoc(report, TEditorSettings{}).elementCount() != 2000)
        state.SkipWithError("the template does not hold 2,000 elements");
    for (auto _ : state) {
        report.SetPredloha(lines);
        TFormSestE w(report, TEditorSettings{});
        benchmark::DoNotOptimize(w.doc().elementCount());
    }
}
BENCHMARK(BM_OpenDesigner2000)->Unit(benchmark::kMillisecond);

void BM_UndoInDesigner2000(benchmark::State &state)
{
    TSestava report;
    report.SetPredloha(template2000());
    TFormSestE w(report, TEditorSettings{});
    report.section(2)->element(0)->Left += 8;
    w.record(QStringLiteral("posun prvku"));
    for (auto _ : state) {
        if (w.doc().undoList().canUndo())
            w.undo();
        else
            w.redo();
    }
}
BENCHMARK(BM_UndoInDesigner2000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    return orv::bench::runWidgetBenchmarks(argc, argv);
}
