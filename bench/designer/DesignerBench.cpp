// The designer's work that does not draw: one recorded change and one undo step on a template
// of 2,000 elements (snapshot written, kept in the undo list, model rebuilt from it), and the
// new-report wizard's template for 60 fields.

#include "report/designer/ListVariant.h"
#include "report/designer/NovaSestava.h"
#include "report/model/ReportModel.h"
#include "report/model/TemplateFile.h"

#include <benchmark/benchmark.h>

using namespace orv;

namespace {

void fill2000(TSestavaModel &m)
{
    setFontAvailableFunction([](const QString &f) { return f == QLatin1String("Arial"); });
    for (int g = 0; g < 3; ++g)
        m.AddGroup(g, QStringLiteral("#%1").arg(g + 1), false, 20, true, 20, true);
    for (int i = 0; i < 2000; ++i) {
        const QString line = QStringLiteral(
            "T,%1,%2,%3,%4,100,20,Arial,10,0,1,16,0,238,\"Text %5\",0,0,0,\"\",0,\"\"")
                                 .arg(1 + i % 6).arg(i % 4).arg(i % 700).arg((i / 7) % 300).arg(i);
        m.AddElement(m.Sections.at(i % m.Sections.count()), line);
    }
}

// A change: the element moved, the new state written and recorded.
void BM_RecordChange2000(benchmark::State &state)
{
    TSestavaModel m;
    fill2000(m);
    TListVariant undo(10);
    undo.reset(writeTemplate(m));
    int step = 0;
    for (auto _ : state) {
        m.section(2)->element(0)->Left = ++step % 500;
        undo.record(QStringLiteral("posun prvku"), writeTemplate(m));
    }
}
BENCHMARK(BM_RecordChange2000)->Unit(benchmark::kMillisecond);

// An undo step: the previous snapshot becomes the model again.
void BM_UndoStep2000(benchmark::State &state)
{
    TSestavaModel m;
    fill2000(m);
    TListVariant undo(10);
    undo.reset(writeTemplate(m));
    m.section(2)->element(0)->Left = 333;
    undo.record(QStringLiteral("posun prvku"), writeTemplate(m));
    for (auto _ : state) {
        const QStringList *lines = undo.canUndo() ? undo.undo() : undo.redo();
        m.SetPredloha(*lines);
        benchmark::DoNotOptimize(m.Sections.count());
    }
}
BENCHMARK(BM_UndoStep2000)->Unit(benchmark::kMillisecond);

void BM_WizardTemplate60Fields(benchmark::State &state)
{
    QList<TWizardField> fields;
    QStringList chosen;
    for (int i = 0; i < 60; ++i) {
        TWizardField f;
        f.Name = QStringLiteral("Pole%1").arg(i);
        f.Label = f.Name;
        f.DisplayWidth = 5 + i % 20;
        fields << f;
        chosen << f.Name;
    }
    TWizardParams p;
    for (auto _ : state) {
        p.Columns = !p.Columns;
        benchmark::DoNotOptimize(generateWizardTemplate(p, fields, chosen).Lines.size());
    }
}
BENCHMARK(BM_WizardTemplate60Fields)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
