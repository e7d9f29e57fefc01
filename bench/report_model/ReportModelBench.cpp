// The per-record work of a report run over 50,000 records: report functions with their
// aggregations, element conditions and group expressions; and reading a large template.

#include "report/model/NumberFormat.h"
#include "report/model/ReportModel.h"
#include "report/model/TemplateFile.h"

#include <benchmark/benchmark.h>

using namespace orv;

namespace {

constexpr int kRecords = 50000;

class Data : public TSestavaModel {
public:
    Data() { SetFieldNames({"Number", "Name", "Price", "Group"}); }
    int record = 0;
    TCalcType FieldValue(int n) const override
    {
        TCalcType v;
        switch (n) {
        case 0: v.Kind = 1; v.Number = record; v.Text = QString::number(record); break;
        case 1: v.Kind = 2; v.Text = QStringLiteral("Ocel %1").arg(record % 97); break;
        case 2: v.Kind = 1; v.Number = (record % 1000) * 0.25; v.Text = QStringLiteral("x"); break;
        case 3: v.Kind = 1; v.Number = record / 100; v.Text = QString::number(record / 100); break;
        default: return TSestavaModel::FieldValue(n);
        }
        return v;
    }
};

void addFunction(Data &d, const QString &expr, int agg)
{
    TRadekFunkce *f = d.Functions.add();
    f->Expression = expr;
    f->Aggregation = agg;
}

void BM_FunctionsOver50000Records(benchmark::State &state)
{
    Data d;
    addFunction(d, "#3", agSum);
    addFunction(d, "#3*1.21", agAverage);
    addFunction(d, "#1", agCount);
    addFunction(d, "#Price", agStdDev);
    addFunction(d, "IIF(#3>100,#3,0)", agMaximum);
    addFunction(d, "UPPER(LEFT(#2,4))+' '+NUMTOSTR(#1)", agNone);
    setCurrentReport(&d);
    for (auto _ : state) {
        d.Functions.MarkReset(-1);
        for (d.record = 0; d.record < kRecords; ++d.record)
            d.Functions.ComputeAll(&d);
        benchmark::DoNotOptimize(d.Functions.DisplayText(0));
    }
    setCurrentReport(nullptr);
    state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_FunctionsOver50000Records)->Unit(benchmark::kMillisecond);

void BM_ConditionsAndGroupKeysOver50000Records(benchmark::State &state)
{
    Data d;
    setCurrentReport(&d);
    const QStringList conditions{"#3>100", "#1 IN [1,2,3,5,8,13]", "NOT ISNULL(#2) AND #4<>0",
                                 "#Price*2>=50 OR #Number<10"};
    for (auto _ : state) {
        int printed = 0;
        for (d.record = 0; d.record < kRecords; ++d.record) {
            for (const QString &c : conditions)
                printed += EvaluateCondition(c) ? 1 : 0;
            benchmark::DoNotOptimize(EvaluateText("#4"));
        }
        benchmark::DoNotOptimize(printed);
    }
    setCurrentReport(nullptr);
    state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_ConditionsAndGroupKeysOver50000Records)->Unit(benchmark::kMillisecond);

void BM_ReadTemplateOf2000Elements(benchmark::State &state)
{
    setFontAvailableFunction([](const QString &f) { return f == QLatin1String("Arial"); });
    Data source;
    for (int g = 0; g < 3; ++g)
        source.AddGroup(g, QStringLiteral("#%1").arg(g + 1), false, 20, true, 20, true);
    for (int i = 0; i < 2000; ++i) {
        const QString line = QStringLiteral(
            "T,%1,%2,%3,0,100,20,Arial CE,10,0,1,16,15,238,\"Text, \"\"%4\"\"\",0,0,0,\"#1>%4\",0,\"\"")
                                 .arg(1 + i % 6).arg(i % 4).arg(i % 700).arg(i);
        source.AddElement(source.Sections.at(i % source.Sections.count()), line);
    }
    const QStringList lines = writeTemplate(source);
    const QByteArray bytes = templateBytesFromLines(lines);
    for (auto _ : state) {
        Data d;
        d.SetPredloha(templateLinesFromBytes(bytes));
        benchmark::DoNotOptimize(d.Sections.count());
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
}
BENCHMARK(BM_ReadTemplateOf2000Elements)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
