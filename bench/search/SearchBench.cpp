// The composition and the property search over the large generated catalogue
// (<build>/large-catalogue, made by "ninja large_catalogue"). The user file is copied to a
// temporary folder, since both searches rewrite its work tables.
//   BM_ChemSearch8        8 used rows (one with a deviation), type filter, ">= 50 %": stage
//                         one, the copy into FindChemComp and the result rows read
//   BM_MechSearch4        4 used rows (one a property group) and every filter on: the union,
//                         both work tables and the result rows read
//   BM_MechSearchNoList   the list unticked, every filter on: the combinations listed
//   BM_FillWorkingCopies  the user file's working copies of the material tables filled from
//                         the catalogue, as the first start or a new catalogue does it
// The searches run, as in the program, over the working copies in the user file.

#include "search/ChemSearch.h"
#include "search/MechSearch.h"

#include "db/Connection.h"
#include "db/WorkingCopies.h"
#include "support/LargeCatalogue.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

using namespace orv;
using namespace orv::search;

namespace {

struct Large {
    QTemporaryDir dir;
    std::unique_ptr<db::Connection> conn;
    QString error;

    Large()
    {
        const bench::LargeCatalogueFiles files;
        const QString &source = files.folder;
        error = files.error;
        if (!error.isEmpty())
            return;
        const QString user = dir.filePath(QStringLiteral("user.sqlite"));
        QFile::copy(source + QStringLiteral("/user.sqlite"), user);
        QFile::setPermissions(user, QFile::ReadOwner | QFile::WriteOwner);
        // As the program reads: the user file's working copies of the material tables, filled
        // from the read-only catalogue.
        conn = std::make_unique<db::Connection>();
        conn->openWorking(source + QStringLiteral("/catalogue.sqlite"), user);
        db::refreshWorkingCopies(*conn);
    }
};

Large &large()
{
    static Large l;
    return l;
}

MechFilters allFilters(bool withList)
{
    MechFilters f;
    f.inMatType = true;
    f.matType = QStringLiteral("Oceli");
    f.inSemiProducts = true;
    f.group[0] = QStringLiteral("Tyče");
    for (int k = 1; k < 4; ++k)
        f.group[k] = QStringLiteral("všechny polotovary");
    f.inStates = true;
    f.state = QStringLiteral("Zušlechtěný");
    f.inDimensions = true;
    f.minDimension = 10;
    f.maxDimension = 100;
    f.inTemperature = true;
    f.temperature = 20;
    f.inProperties = withList;
    return f;
}

void BM_ChemSearch8(benchmark::State &state)
{
    Large &l = large();
    if (!bench::readyOrSkip(state, l.error))
        return;
    const int elements[] = {33, 20, 18, 2, 26, 36, 25, 34};
    QList<ChemCriterion> criteria;
    for (int i = 0; i < 8; ++i)
        criteria.append({elements[i], 1.0 + i * 0.1, 4.0 + i * 0.2, true});
    const QHash<int, double> deviations{{25, 10.0}};
    ChemOptions o;
    o.inMatType = true;
    o.matType = QStringLiteral("Oceli");
    o.threshold = ChemThreshold::AtLeast;
    qsizetype found = 0;
    for (auto _ : state) {
        const ChemSearchOutcome out = runChemSearch(*l.conn, criteria, deviations, 50, o);
        found = readChemResult(*l.conn, out).size();
        benchmark::DoNotOptimize(found);
    }
    state.counters["found"] = static_cast<double>(found);
}

void BM_MechSearch4(benchmark::State &state)
{
    Large &l = large();
    if (!bench::readyOrSkip(state, l.error))
        return;
    const QList<MechCriterion> criteria{{1, QStringLiteral("N"), 400.0, std::nullopt, true},
                                        {50, QStringLiteral("A"), 200.0, 1200.0, true},
                                        {6, QStringLiteral("N"), 10.0, std::nullopt, true},
                                        {11, QStringLiteral("N"), std::nullopt, 300.0, true}};
    const MechFilters f = allFilters(true);
    qsizetype found = 0;
    for (auto _ : state) {
        const MechSearchOutcome out = runMechSearch(*l.conn, criteria, f);
        found = readMechResult(*l.conn, out).size();
        benchmark::DoNotOptimize(found);
    }
    state.counters["found"] = static_cast<double>(found);
}

void BM_MechSearchNoList(benchmark::State &state)
{
    Large &l = large();
    if (!bench::readyOrSkip(state, l.error))
        return;
    const MechFilters f = allFilters(false);
    qsizetype found = 0;
    for (auto _ : state) {
        found = readMechResult(*l.conn, runMechSearch(*l.conn, {}, f)).size();
        benchmark::DoNotOptimize(found);
    }
    state.counters["found"] = static_cast<double>(found);
}

void BM_FillWorkingCopies(benchmark::State &state)
{
    Large &l = large();
    if (!bench::readyOrSkip(state, l.error))
        return;
    const bench::LargeCatalogueFiles files;
    QTemporaryDir dir;
    const QString user = dir.filePath(QStringLiteral("user.sqlite"));
    qint64 bytes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        QFile::remove(user);
        QFile::copy(files.user, user);
        QFile::setPermissions(user, QFile::ReadOwner | QFile::WriteOwner);
        db::Connection c;
        c.openWorking(files.catalogue, user);
        state.ResumeTiming();
        db::refreshWorkingCopies(c, true);
        state.PauseTiming();
        c.close();
        bytes = QFileInfo(user).size();
        state.ResumeTiming();
    }
    state.counters["userFileMB"] = double(bytes) / 1e6;
}
BENCHMARK(BM_FillWorkingCopies)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

BENCHMARK(BM_ChemSearch8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MechSearch4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MechSearchNoList)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
