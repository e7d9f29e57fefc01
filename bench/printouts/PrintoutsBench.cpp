// The printout with the mechanical properties over the large generated catalogue
// (<build>/large-catalogue, made by "ninja large_catalogue"), for the material with the most
// property rows:
//   BM_InfoMechFirstPage  the dialog created (queries opened for the material), the report
//                         run as the preview runs it (template read, details, store filled)
//                         and the first page drawn at screen resolution, as the preview
//                         window shows it at 100 %
//   BM_InfoMechRunOnly    the run and the first page on a dialog made once

#include "db/Connection.h"
#include "printouts/PrintDialogs.h"
#include "report/model/SestavaMessages.h"
#include "report/ui/ReportUi.h"

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <memory>
#include "support/BenchMain.h"
#include "support/LargeCatalogue.h"

using namespace orv;

namespace {

struct Large
{
    db::Connection cat{QStringLiteral("VTX (CD)")};
    int material = 0;
    int rows = 0;
    QString error;
    printouts::PrintEnvironment env;

    Large()
    {
        const bench::LargeCatalogueFiles files;
        const QString &source = files.folder;
        error = files.error;
        if (!error.isEmpty())
            return;
        cat.open(source + QStringLiteral("/catalogue.sqlite"), source + QStringLiteral("/user.sqlite"),
                 db::Database::Catalogue);
        db::Statement s(cat, QStringLiteral(
            "select sp.MaterialNo, count(*) c from SemiProd sp join States st on st.SemiPrNo = sp.Number "
            "join Dimens di on di.StateNo = st.Number join MechProp mp on mp.DimensionNo = di.Number "
            "join Temps te on te.PropertyNo = mp.Number group by sp.MaterialNo order by c desc limit 1"));
        if (s.step()) {
            material = s.value(0).toInt();
            rows = s.value(1).toInt();
        }
        env.catalogue = &cat;
        env.programDir = QStringLiteral(ORVALIS_SOURCE_DIR);
        env.materialNo = material;
    }
};

Large &large()
{
    static Large l;
    return l;
}

// What the preview does before its window shows: the run, then the first page drawn.
int firstPage(printouts::TfPrintBase &dialog, QImage &screen)
{
    const int r = dialog.Ses.Run();
    if (r != 0)
        return r;
    TSestVystup &store = dialog.Ses.Vystup;
    store.RenderPage(0, false);
    screen.fill(Qt::white);
    QPainter p(&screen);
    store.DrawPage(p, screen.rect());
    return 0;
}

void BM_InfoMechFirstPage(benchmark::State &state)
{
    if (!bench::readyOrSkip(state, large().error))
        return;
    QImage screen(827, 1169, QImage::Format_RGB32);   // A4 at 100 dpi
    int pages = 0;
    for (auto _ : state) {
        printouts::TfPrintInfoMech dialog(large().env);
        if (firstPage(dialog, screen) != 0) {
            state.SkipWithError("the report did not run");
            return;
        }
        pages = dialog.Ses.Vystup.PageCount();
    }
    state.counters["propertyRows"] = large().rows;
    state.counters["pages"] = pages;
}
BENCHMARK(BM_InfoMechFirstPage)->Unit(benchmark::kMillisecond);

void BM_InfoMechRunOnly(benchmark::State &state)
{
    if (!bench::readyOrSkip(state, large().error))
        return;
    QImage screen(827, 1169, QImage::Format_RGB32);
    printouts::TfPrintInfoMech dialog(large().env);
    for (auto _ : state)
        if (firstPage(dialog, screen) != 0) {
            state.SkipWithError("the report did not run");
            return;
        }
}
BENCHMARK(BM_InfoMechRunOnly)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    // The report layer as the program has it (its progress window included), but messages
    // are not shown while measuring.
    return orv::bench::runWidgetBenchmarks(argc, argv, [] {
        InstallReportUi();
        setSestMessageHandler([](TSestMessageKind, const QString &, const QString &) { return false; });
    });
}
