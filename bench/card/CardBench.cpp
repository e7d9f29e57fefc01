// Opening a material card over the large generated catalogue (<build>/large-catalogue, made
// by "ninja large_catalogue"):
//   BM_OpenCard         card created, every data set opened for a material, and every cell
//                       of every grid asked for its text, as the grids paint them; card closed
//   BM_OpenCardEconomy  the same in economy mode (no mechanical properties)
//   BM_NextState        moving the states grid one row: dimensions and properties reload
// Each iteration takes the next of 200 materials spread over the catalogue.

#include "browse/MaterialCard.h"
#include "db/Connection.h"
#include "db/DataSetModel.h"

#include <QApplication>
#include <QFile>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>
#include "support/BenchMain.h"
#include "support/CatalogueWork.h"
#include "support/LargeCatalogue.h"

using namespace orv;

namespace {

struct Large
{
    db::Connection cat{QStringLiteral("VTX (CD)")};
    db::Connection user{QStringLiteral("VTX")};
    QTemporaryDir settings;
    QList<int> materials;
    QString error;
    bool economy = false;
    browse::CardEnvironment env;

    Large()
    {
        const bench::LargeCatalogueFiles files;
        const QString &source = files.folder;
        error = files.error;
        if (!error.isEmpty())
            return;
        cat.open(source + QStringLiteral("/catalogue.sqlite"), source + QStringLiteral("/user.sqlite"), db::Database::Catalogue);
        user.open(source + QStringLiteral("/catalogue.sqlite"), source + QStringLiteral("/user.sqlite"), db::Database::User);
        materials = bench::spreadMaterials(cat, 200);
        env.catalogue = &cat;
        env.user = &user;
        env.dataRoot = [source] { return source + QStringLiteral("/../"); };
        env.economyMode = [this] { return economy; };
        env.autoSave = [] { return false; };
        env.pdfInstalled = [] { return true; };
        env.settingsFile = settings.filePath(QStringLiteral("Zeb.ini"));
    }
};

Large &large()
{
    static Large l;
    return l;
}

bool ready(benchmark::State &state)
{
    return bench::readyOrSkip(state, large().error);
}

void openCards(benchmark::State &state, bool economy)
{
    if (!ready(state))
        return;
    large().economy = economy;
    int i = 0;
    qint64 cells = 0;
    for (auto _ : state) {
        browse::MaterialCard card(large().env);
        card.load(large().materials.at(i++ % large().materials.size()));
        cells += bench::touchGrids(card);
    }
    state.counters["cells"] = benchmark::Counter(double(cells) / double(state.iterations()));
}

void BM_OpenCard(benchmark::State &state)
{
    openCards(state, false);
}
BENCHMARK(BM_OpenCard)->Unit(benchmark::kMillisecond);

void BM_OpenCardEconomy(benchmark::State &state)
{
    openCards(state, true);
}
BENCHMARK(BM_OpenCardEconomy)->Unit(benchmark::kMillisecond);

void BM_NextState(benchmark::State &state)
{
    if (!ready(state))
        return;
    large().economy = false;
    browse::MaterialCard card(large().env);
    // The material with the most states among the sample.
    int best = large().materials.first();
    int most = -1;
    for (int m : large().materials) {
        const int n = large().cat.scalar(QStringLiteral("select count(*) from States st, SemiProd sp where st.SemiPrNo=sp.Number and sp.MaterialNo=:m"),
                                         {{QStringLiteral("m"), m}}).toInt();
        if (n > most) {
            most = n;
            best = m;
        }
    }
    card.load(best);
    const int rows = card.qStates.recordCount();
    int row = 0;
    for (auto _ : state) {
        row = rows > 0 ? (row + 1) % rows : 0;
        card.qStates.setRecNo(row);
        benchmark::DoNotOptimize(card.qMechPropTemps.recordCount());
    }
}
BENCHMARK(BM_NextState)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv)
{
    return orv::bench::runWidgetBenchmarks(argc, argv);
}
