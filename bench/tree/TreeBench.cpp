// The contents tree and the quick find over the large generated catalogue
// (<build>/large-catalogue, made by "ninja large_catalogue"):
//   BM_BuildTree      rows of qDbTree read and arranged into the tree (no widgets)
//   BM_RefreshTree    qDbTree closed and opened under the pane: query, tree, model and the
//                     restored expansion and selection
//   BM_QuickFind      "CRNI" typed and found, results listed and the tree moved to the first
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

using namespace orv;

namespace {

struct Large {
    QTemporaryDir dir;
    std::unique_ptr<db::MainDataModule> data;
    std::unique_ptr<browse::ContentsPane> pane;
    QString error;

    Large()
    {
        const QString source = QStringLiteral(ORVALIS_BINARY_DIR "/large-catalogue");
        if (!QFile::exists(source + QStringLiteral("/catalogue.sqlite"))) {
            error = QStringLiteral("no large catalogue: run \"ninja large_catalogue\" first");
            return;
        }
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
    if (!large().error.isEmpty()) {
        state.SkipWithError(large().error.toStdString().c_str());
        return false;
    }
    return true;
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
    quickFind(state, QStringLiteral("cr ni"));
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
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    large().pane.reset();
    large().data.reset();
    return 0;
}
