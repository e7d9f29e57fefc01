// The contents tree and the quick find over the large generated catalogue
// (<build>/large-catalogue, made by "ninja large_catalogue"):
//   BM_BuildTree      rows of qDbTree read and arranged into the tree (no widgets)
//   BM_Build25000     25,000 records of the catalogue's shape arranged (no file needed)
//   BM_RefreshTree    qDbTree closed and opened under the pane: query, tree, model and the
//                     restored expansion and selection
//   BM_QuickFind      "z 15" typed and found (about 110 materials), results listed and the
//                     tree moved to the first
//   BM_QuickFindNone  a text that matches nothing: the full list comes back (message muted)

#include "browse/ContentsPane.h"
#include "browse/ContentsTree.h"
#include "browse/ContentsTreeModel.h"
#include "db/MainDataModule.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTreeView>

#include <benchmark/benchmark.h>

#include <memory>
#include "support/BenchMain.h"
#include "support/LargeCatalogue.h"

using namespace orv;

namespace {

struct Large {
    QTemporaryDir dir;
    std::unique_ptr<db::MainDataModule> data;
    std::unique_ptr<browse::ContentsPane> pane;
    QString error;

    Large()
    {
        const bench::LargeCatalogueFiles files;
        const QString &source = files.folder;
        error = files.error;
        if (!error.isEmpty())
            return;
        // The data module expects <root>/data/; point it at the generated folder.
        QFile::link(source, dir.filePath(QStringLiteral("data")));
        data = std::make_unique<db::MainDataModule>(dir.path(), dir.path());
        pane = std::make_unique<browse::ContentsPane>(*data);
        pane->informationMessage = [](const QString &) {};
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

void BM_BuildTree(benchmark::State &state)
{
    if (!ready(state))
        return;
    db::DataSet &q = large().data->qDbTree;
    int nodes = 0;
    for (auto _ : state) {
        browse::ContentsTree tree(browse::ContentsTree::readRecords(q));
        nodes = tree.nodeCount();
        benchmark::DoNotOptimize(nodes);
    }
    state.counters["nodes"] = nodes;
}
BENCHMARK(BM_BuildTree)->Unit(benchmark::kMillisecond);

void BM_Build25000(benchmark::State &state)
{
    // 25 chapters with 10 sub-chapters each, and 24,725 materials spread over them.
    std::vector<browse::TreeRecord> records;
    for (int c = 1; c <= 25; ++c) {
        records.push_back({QString::number(c), QStringLiteral("0"), QStringLiteral("Kapitola %1").arg(c), 0});
        for (int s = 0; s < 10; ++s)
            records.push_back({QString::number(c * 100 + s), QString::number(c),
                               QStringLiteral("Podkapitola %1 – ocel").arg(s), 2});
    }
    unsigned seed = 1;
    while (records.size() < 25000) {
        seed = seed * 1103515245u + 12345u;
        const int n = int(records.size()) + 10000;
        const int parent = int(1 + (seed >> 8) % 25) * 100 + int((seed >> 4) % 10);
        records.push_back({QString::number(n), QString::number(parent),
                           QStringLiteral("%1%2CrNi%3-%4").arg(QChar(u'A' + int(seed % 26))).arg(n % 90).arg(n % 19).arg(n), 4});
    }
    int nodes = 0;
    for (auto _ : state) {
        browse::ContentsTree tree(records);
        nodes = tree.nodeCount();
        benchmark::DoNotOptimize(nodes);
    }
    state.counters["nodes"] = nodes;
}
BENCHMARK(BM_Build25000)->Unit(benchmark::kMillisecond);

void BM_RefreshTree(benchmark::State &state)
{
    if (!ready(state))
        return;
    Large &l = large();
    l.pane->tree()->expandToDepth(1);
    for (auto _ : state) {
        l.data->qDbTree.close();
        l.data->qDbTree.open();
    }
    state.counters["nodes"] = l.pane->treeModel()->tree().nodeCount();
}
BENCHMARK(BM_RefreshTree)->Unit(benchmark::kMillisecond);

void quickFind(benchmark::State &state, const QString &text)
{
    if (!ready(state))
        return;
    Large &l = large();
    l.pane->setFindText(text);
    int rows = 0;
    for (auto _ : state) {
        l.pane->findMaterial();
        rows = l.data->qMatFind.recordCount();
    }
    state.counters["rows"] = rows;
}

void BM_QuickFind(benchmark::State &state)
{
    quickFind(state, QStringLiteral("z 15"));
}
BENCHMARK(BM_QuickFind)->Unit(benchmark::kMillisecond);

void BM_QuickFindNone(benchmark::State &state)
{
    quickFind(state, QStringLiteral("nothing like this"));
}
BENCHMARK(BM_QuickFindNone)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    // The large catalogue's pane and data go while the application still exists.
    return orv::bench::runWidgetBenchmarks(argc, argv, {}, [] {
        large().pane.reset();
        large().data.reset();
    });
}
