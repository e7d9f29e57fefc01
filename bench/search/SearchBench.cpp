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
//   BM_ServerChemSearch8, BM_ServerMechSearch4, BM_ServerMechSearchNoList
//                         the same three searches on a PostgreSQL database of the benchmark's
//                         own local server (tests/support/PgServer.h), loaded once with
//                         pg-import; wall time, since the work is done by the server, and
//                         the server process's CPU time per search (serverCpuMs)
//   BM_PgImportLarge      pg-import of the large catalogue into a database just set up
//   BM_PgImportLargeAgain the same into a database that already holds it (rows replaced)

#include "search/ChemSearch.h"
#include "search/MechSearch.h"

#include "db/Connection.h"
#include "db/WorkingCopies.h"
#include "support/CatalogueWork.h"
#include "support/LargeCatalogue.h"
#include "support/PgServer.h"

#include "PgImport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>

#include <unistd.h>

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

// The large catalogue on the local server, loaded once.
struct ServerLarge {
    std::unique_ptr<db::Connection> conn;
    QString error;
    QString conninfo;

    ServerLarge()
    {
        const bench::LargeCatalogueFiles files;
        error = files.error;
        if (!error.isEmpty())
            return;
        test::PgServer &server = test::PgServer::instance();
        if (!server.running()) {
            error = server.reason();
            return;
        }
        conninfo = server.createDatabase();
        try {
            catalogue::pgImport(files.folder, conninfo);
        } catch (const catalogue::ToolError &e) {
            error = e.text();
            return;
        }
        conn = std::make_unique<db::Connection>();
        conn->openServer(conninfo);
    }
};

ServerLarge &serverLarge()
{
    static ServerLarge l;
    return l;
}

void chemSearch8(benchmark::State &state, db::Connection &conn)
{
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
        const ChemSearchOutcome out = runChemSearch(conn, criteria, deviations, 50, o);
        found = readChemResult(conn, out).size();
        benchmark::DoNotOptimize(found);
    }
    state.counters["found"] = static_cast<double>(found);
}

void mechSearch4(benchmark::State &state, db::Connection &conn)
{
    const QList<MechCriterion> criteria{{1, QStringLiteral("N"), 400.0, std::nullopt, true},
                                        {50, QStringLiteral("A"), 200.0, 1200.0, true},
                                        {6, QStringLiteral("N"), 10.0, std::nullopt, true},
                                        {11, QStringLiteral("N"), std::nullopt, 300.0, true}};
    const MechFilters f = bench::steelBarFilters(true);
    qsizetype found = 0;
    for (auto _ : state) {
        const MechSearchOutcome out = runMechSearch(conn, criteria, f);
        found = readMechResult(conn, out).size();
        benchmark::DoNotOptimize(found);
    }
    state.counters["found"] = static_cast<double>(found);
}

void mechSearchNoList(benchmark::State &state, db::Connection &conn)
{
    const MechFilters f = bench::steelBarFilters(false);
    qsizetype found = 0;
    for (auto _ : state) {
        found = readMechResult(conn, runMechSearch(conn, {}, f)).size();
        benchmark::DoNotOptimize(found);
    }
    state.counters["found"] = static_cast<double>(found);
}

void BM_ChemSearch8(benchmark::State &state)
{
    Large &l = large();
    if (bench::readyOrSkip(state, l.error))
        chemSearch8(state, *l.conn);
}

void BM_MechSearch4(benchmark::State &state)
{
    Large &l = large();
    if (bench::readyOrSkip(state, l.error))
        mechSearch4(state, *l.conn);
}

void BM_MechSearchNoList(benchmark::State &state)
{
    Large &l = large();
    if (bench::readyOrSkip(state, l.error))
        mechSearchNoList(state, *l.conn);
}

// CPU ticks (user + system) the server process of the session has used.
qint64 backendTicks(db::Connection &conn)
{
    return bench::processTicks(conn.scalar(QStringLiteral("select pg_backend_pid()")).toLongLong());
}

// A server search with the CPU its server process spent per iteration ("serverCpuMs"): on a
// busy machine the wall time is mostly waiting for a core, the CPU time is not.
void onServer(benchmark::State &state, void (*search)(benchmark::State &, db::Connection &))
{
    ServerLarge &l = serverLarge();
    if (!bench::readyOrSkip(state, l.error))
        return;
    const qint64 before = backendTicks(*l.conn);
    search(state, *l.conn);
    const double ms = double(backendTicks(*l.conn) - before) * 1000.0 / double(::sysconf(_SC_CLK_TCK));
    state.counters["serverCpuMs"] = ms / double(std::max<benchmark::IterationCount>(state.iterations(), 1));
}

void BM_ServerChemSearch8(benchmark::State &state)
{
    onServer(state, chemSearch8);
}

void BM_ServerMechSearch4(benchmark::State &state)
{
    onServer(state, mechSearch4);
}

void BM_ServerMechSearchNoList(benchmark::State &state)
{
    onServer(state, mechSearchNoList);
}

void pgImportLarge(benchmark::State &state, bool again)
{
    const bench::LargeCatalogueFiles files;
    if (!bench::readyOrSkip(state, files.error))
        return;
    test::PgServer &server = test::PgServer::instance();
    if (!bench::readyOrSkip(state, server.reason()))
        return;
    qint64 rows = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const QString conninfo = server.createDatabase();
        try {
            if (again)
                catalogue::pgImport(files.folder, conninfo);
            state.ResumeTiming();
            rows = catalogue::pgImport(files.folder, conninfo).rows;
        } catch (const catalogue::ToolError &e) {
            state.SkipWithError(e.text().toStdString().c_str());
            return;
        }
    }
    state.counters["rows"] = double(rows);
}

void BM_PgImportLarge(benchmark::State &state)
{
    pgImportLarge(state, false);
}

void BM_PgImportLargeAgain(benchmark::State &state)
{
    pgImportLarge(state, true);
}
BENCHMARK(BM_PgImportLarge)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();
BENCHMARK(BM_PgImportLargeAgain)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

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
BENCHMARK(BM_ServerChemSearch8)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ServerMechSearch4)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ServerMechSearchNoList)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_MAIN();
