// Opening "select * from Nodes" over 100,000 generated rows, and locating a row by Number.

#include "db/DataSet.h"
#include "db/DatabaseFiles.h"

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
        for (int i = 1; i <= kRows; ++i) {
            const QString label = QStringLiteral("ČSN 41 %1 X%2CrNi18-10").arg(i).arg(i % 97);
            st.bind(1, i);
            st.bind(2, i % 500);
            st.bind(3, 1);
            st.bind(4, i % 3 ? QVariant(i) : QVariant());
            st.bind(5, label);
            st.bind(6, label);
            st.bind(7, 4);
            st.bind(8, QString(label).remove(u' '));
            st.bind(9, QStringLiteral("Ocel třídy 17 – materiál %1").arg(i));
            st.bind(10, QVariant());
            st.execute();
            st.reset();
        }
        tx.commit();
    }
};

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

} // namespace

BENCHMARK_MAIN();
