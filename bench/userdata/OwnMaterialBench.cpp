// Saving an own material on the large generated catalogue (<build>/large-catalogue, made by
// "ninja large_catalogue"), on a copy of its files:
//   BM_SaveOwnMaterial          a new material through the own-material editor: designation,
//                               20 composition rows and 10 equivalents typed into its grids and
//                               posted (each with its mirror row), then closed: node text
//                               posted, the one transaction committed and the contents tree
//                               under the pane reopened on it
//   BM_SaveRowsOnly             the same without the tree refresh
//   BM_CloseEditor              only the closing of the editor on such a material (what
//                               the user waits for after OK): node text posted, tree reopened
//   BM_TreeRefreshAfterSave     only the tree refresh that closing does

#include "browse/ContentsPane.h"
#include "db/DataSet.h"
#include "db/MainDataModule.h"
#include "db/OwnDataModule.h"
#include "userdata/EditGridModel.h"
#include "userdata/OwnMaterialActions.h"
#include "userdata/TfInsEditMaterial.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>
#include "support/BenchMain.h"
#include "support/LargeCatalogue.h"

using namespace orv;

namespace {

struct Large {
    QTemporaryDir dir;
    std::unique_ptr<db::MainDataModule> data;
    std::unique_ptr<db::OwnDataModule> own;
    std::unique_ptr<browse::ContentsPane> pane;
    std::unique_ptr<userdata::OwnMaterialActions> actions;
    QList<int> elements;
    QList<int> countries;
    QString error;

    Large()
    {
        const bench::LargeCatalogueFiles files;
        const QString &source = files.folder;
        error = files.error;
        if (!error.isEmpty())
            return;
        // Saving writes: the benchmark works on a copy.
        QDir().mkpath(dir.filePath(QStringLiteral("data")));
        for (const char *f : {"catalogue.sqlite", "user.sqlite"})
            QFile::copy(source + QLatin1Char('/') + QLatin1String(f), dir.filePath(QStringLiteral("data/")) + QLatin1String(f));
        data = std::make_unique<db::MainDataModule>(dir.path(), dir.path());
        own = std::make_unique<db::OwnDataModule>(*data);
        pane = std::make_unique<browse::ContentsPane>(*data);
        pane->informationMessage = [](const QString &) {};
        userdata::OwnMaterialEnvironment env;
        env.pane = pane.get();
        env.editor.message = [](const QString &, ui::MsgType, ui::MsgButtons) { return int(ui::mrOk); };
        env.editor.settingsFile = dir.filePath(QStringLiteral("Zeb.ini"));
        actions = std::make_unique<userdata::OwnMaterialActions>(*own, env);
        db::DataSet &e = own->qElements;
        for (int r = 0; r < e.recordCount() && elements.size() < 20; ++r)
            elements << e.valueAt(r, QStringLiteral("Number")).toInt();
        db::DataSet &c = own->qCountry;
        for (int r = 0; r < c.recordCount() && countries.size() < 10; ++r)
            countries << c.valueAt(r, QStringLiteral("Number")).toInt();
    }

    // One material through the editor: the rows typed and posted, then the editor closed.
    // With `state`, only the closing is timed.
    void saveOne(int serial, bool refreshTree, benchmark::State *state = nullptr)
    {
        if (state)
            state->PauseTiming();
        // As the own-material actions do: the whole material in one transaction, committed
        // (one sync) when the editor closes; the tree is reopened after the commit.
        db::Transaction transaction(data->userSession());
        db::DataSet &nodes = own->qNodes;
        nodes.append();
        nodes.post();
        const int m = nodes.value(QStringLiteral("MaterialNo")).toInt();
        userdata::EditorEnvironment env = actions->environment().editor;
        userdata::TfInsEditMaterial editor(*own, m, userdata::TfInsEditMaterial::Mode::New, env);
        int savedNode = -1;
        editor.afterSave = [&savedNode](int node) { savedNode = node; };
        editor.chooseElement = [](const QVariant &) { return std::optional<QVariant>(); };
        own->qNorms.edit();
        own->qNorms.setValue(QStringLiteral("Name"), QStringLiteral("Bench"));
        own->qNorms.setValue(QStringLiteral("Label"), QStringLiteral("B %1").arg(serial));
        editor.postRecord();
        editor.setWorkingDataSet(own->qChemComp);
        userdata::EditGridModel *chem = editor.chemCompModel();
        for (int i = 0; i < 20; ++i) {
            editor.insertRecord();
            own->qChemComp.setValue(QStringLiteral("ElementNo"), elements.value(i % elements.size()));
            chem->setData(chem->index(i, 1), QStringLiteral("0,%1").arg(i + 1));
            chem->setData(chem->index(i, 2), QStringLiteral("1,%1").arg(i + 1));
            editor.postRecord();
        }
        editor.setWorkingDataSet(own->qCompareNorms);
        userdata::EditGridModel *eq = editor.compareNormsModel();
        for (int i = 0; i < 10; ++i) {
            editor.insertRecord();
            eq->setData(eq->index(i, 0), QStringLiteral("N%1").arg(i));
            eq->setData(eq->index(i, 1), QStringLiteral("L%1-%2").arg(serial).arg(i));
            own->qCompareNorms.setValue(QStringLiteral("CountryNo"), countries.value(i % countries.size()));
            editor.postRecord();
        }
        if (state)
            state->ResumeTiming();
        editor.finish();
        transaction.commit();
        if (refreshTree && savedNode >= 0)
            actions->refreshTree(savedNode);
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

int g_serial = 0;

void BM_SaveOwnMaterial(benchmark::State &state)
{
    if (!ready(state))
        return;
    for (auto _ : state)
        large().saveOne(++g_serial, true);
    state.counters["treeRows"] = large().data->qDbTree.recordCount();
}
BENCHMARK(BM_SaveOwnMaterial)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_SaveRowsOnly(benchmark::State &state)
{
    if (!ready(state))
        return;
    for (auto _ : state)
        large().saveOne(++g_serial, false);
}
BENCHMARK(BM_SaveRowsOnly)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_CloseEditor(benchmark::State &state)
{
    if (!ready(state))
        return;
    for (auto _ : state)
        large().saveOne(++g_serial, true, &state);
}
BENCHMARK(BM_CloseEditor)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_TreeRefreshAfterSave(benchmark::State &state)
{
    if (!ready(state))
        return;
    const int node = large().own->qNodes.value(QStringLiteral("Number")).toInt();
    for (auto _ : state)
        large().actions->refreshTree(node);
}
BENCHMARK(BM_TreeRefreshAfterSave)->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace

int main(int argc, char **argv)
{
    return orv::bench::runWidgetBenchmarks(argc, argv);
}
