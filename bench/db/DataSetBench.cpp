// Opening "select * from Nodes" over 100,000 generated rows, and locating a row by Number;
// the same rows opened from and bulk-loaded into a database on a PostgreSQL server of the
// benchmark's own (local socket), when the server binaries are installed.

#include "db/DataSet.h"
#include "db/DatabaseFiles.h"
#include "support/PgServer.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>
#include <random>

using namespace orv::db;

namespace {

constexpr int kRows = 100000;

struct Catalogue {
    QTemporaryDir dir;
    Connection conn;
    Catalogue()
    {
        const QString cat = dir.filePath(QStringLiteral("catalogue.sqlite"));
        const QString user = dir.filePath(QStringLiteral("user.sqlite"));
        createDatabaseFiles(cat, user);
        conn.open(cat, user);
        Transaction tx(conn);
        Statement st(conn, QStringLiteral("insert into Nodes (Number, ParentNo, TreeNo, MaterialNo, Label, IndexLabel, "
                                          "ImageIndex, ShortLabel, Text, UserNoticeNo) values (?,?,?,?,?,?,?,?,?,?)"));
        QVariantList row;
        for (int i = 1; i <= kRows; ++i) {
            nodeRow(i, row);
            for (int k = 0; k < row.size(); ++k)
                st.bind(k + 1, row[k]);
            st.execute();
            st.reset();
        }
        tx.commit();
    }

    static void nodeRow(int i, QVariantList &row)
    {
        const QString label = QStringLiteral("ČSN 41 %1 X%2CrNi18-10").arg(i).arg(i % 97);
        row = {i, i % 500, 1, i % 3 ? QVariant(i) : QVariant(), label, label, 4, QString(label).remove(u' '),
               QStringLiteral("Ocel třídy 17 – materiál %1").arg(i), QVariant()};
    }
};

const QStringList kNodeColumns = {QStringLiteral("Number"), QStringLiteral("ParentNo"), QStringLiteral("TreeNo"),
                                  QStringLiteral("MaterialNo"), QStringLiteral("Label"), QStringLiteral("IndexLabel"),
                                  QStringLiteral("ImageIndex"), QStringLiteral("ShortLabel"), QStringLiteral("Text"),
                                  QStringLiteral("UserNoticeNo")};

// The rows loaded in one COPY; true when there is a server.
bool loadServerNodes(Connection &conn)
{
    int i = 0;
    Transaction tx(conn);
    conn.exec(QStringLiteral("delete from Nodes"));
    conn.copyIn(QStringLiteral("Nodes"), kNodeColumns, [&i](QVariantList &row) {
        if (i >= kRows)
            return false;
        Catalogue::nodeRow(++i, row);
        return true;
    });
    tx.commit();
    return true;
}

struct ServerCatalogue {
    Connection conn;
    QString reason;
    ServerCatalogue()
    {
        orv::test::PgServer &server = orv::test::PgServer::instance();
        if (!server.running()) {
            reason = server.reason();
            return;
        }
        conn.openServer(server.createDatabase());
        loadServerNodes(conn);
        conn.exec(QStringLiteral("analyze Nodes"));
    }
};

ServerCatalogue &serverCatalogue()
{
    static ServerCatalogue c;
    return c;
}

Catalogue &catalogue()
{
    static Catalogue c;
    return c;
}

void BM_OpenNodes(benchmark::State &state)
{
    Catalogue &c = catalogue();
    for (auto _ : state) {
        DataSet q(QStringLiteral("qNodes"), &c.conn);
        q.setSql(QStringList{QStringLiteral("select *"), QStringLiteral("  from Nodes")});
        q.open();
        if (q.recordCount() != kRows)
            state.SkipWithError("wrong row count");
        benchmark::DoNotOptimize(q.recNo());
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_OpenNodes)->Unit(benchmark::kMillisecond);

void BM_LocateNodeByNumber(benchmark::State &state)
{
    Catalogue &c = catalogue();
    DataSet q(QStringLiteral("qNodes"), &c.conn);
    q.setSql(QStringList{QStringLiteral("select *"), QStringLiteral("  from Nodes")});
    q.open();
    q.locate(QStringLiteral("Number"), 1); // the first locate builds the index
    std::mt19937 rng(42);
    std::uniform_int_distribution<int> pick(1, kRows);
    for (auto _ : state) {
        if (!q.locate(QStringLiteral("Number"), pick(rng)))
            state.SkipWithError("not found");
    }
}
BENCHMARK(BM_LocateNodeByNumber)->Unit(benchmark::kMicrosecond);

// The first locate of a field pays for its index: open, then one locate.
void BM_FirstLocateAfterOpen(benchmark::State &state)
{
    Catalogue &c = catalogue();
    DataSet q(QStringLiteral("qNodes"), &c.conn);
    q.setSql(QStringList{QStringLiteral("select *"), QStringLiteral("  from Nodes")});
    q.open();
    int n = 1;
    for (auto _ : state) {
        q.setFilter(QString()); // drops the index without reloading
        q.setFiltered(n % 2 == 0);
        benchmark::DoNotOptimize(q.locate(QStringLiteral("Number"), (n++ * 7919) % kRows + 1));
    }
}
BENCHMARK(BM_FirstLocateAfterOpen)->Unit(benchmark::kMillisecond);

void BM_OpenNodesServer(benchmark::State &state)
{
    ServerCatalogue &c = serverCatalogue();
    if (!c.reason.isEmpty()) {
        state.SkipWithError(qPrintable(c.reason));
        return;
    }
    for (auto _ : state) {
        DataSet q(QStringLiteral("qNodes"), &c.conn);
        q.setSql(QStringList{QStringLiteral("select *"), QStringLiteral("  from Nodes")});
        q.open();
        if (q.recordCount() != kRows)
            state.SkipWithError("wrong row count");
        benchmark::DoNotOptimize(q.recNo());
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_OpenNodesServer)->Unit(benchmark::kMillisecond);

// 100,000 rows replaced in one transaction by one COPY.
void BM_CopyInNodesServer(benchmark::State &state)
{
    ServerCatalogue &c = serverCatalogue();
    if (!c.reason.isEmpty()) {
        state.SkipWithError(qPrintable(c.reason));
        return;
    }
    for (auto _ : state)
        loadServerNodes(c.conn);
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_CopyInNodesServer)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

BENCHMARK_MAIN();
