// Carrying the previous version's data over, on a copy of the demo catalogue:
//   BM_Convert2000Materials5000Notes  2,000 old own materials, each with a contents-tree node,
//                                     a designation, a note, 10 composition rows (every other
//                                     one with a note) and 2 equivalents, and 5,000 old user
//                                     notes on catalogue materials; the old Paradox tables are
//                                     written once with pxlib. Timed: reading the old tables,
//                                     the whole conversion in its transaction, the commit.
// Counters: progress_steps (calls that moved the bar; it must move for every material and
// note), materials, notes.

#include "db/MainDataModule.h"
#include "db/OwnDataModule.h"
#include "db/ParadoxTable.h"
#include "support/BenchMain.h"
#include "support/ParadoxWriter.h"
#include "userdata/UpgradeConversion.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

using namespace orv;
using orv::test::PxCell;
using orv::test::PxNull;

namespace {

constexpr int kMaterials = 2000;
constexpr int kChemRows = 10;
constexpr int kNotes = 5000;

QString demo()
{
    return QStringLiteral(ORVALIS_BINARY_DIR "/orvalis/data/");
}

// The designations of the demo catalogue, as the old notes refer to them.
QList<QPair<QString, QString>> designations()
{
    QProcess p;
    p.start(QStringLiteral("sqlite3"), {demo() + QStringLiteral("catalogue.sqlite"),
                                        QStringLiteral("select NameShort || char(9) || LabelShort from Norms order by Number")});
    p.waitForFinished(60000);
    QList<QPair<QString, QString>> out;
    for (const QString &line : QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QStringList f = line.split(QLatin1Char('\t'));
        if (f.size() == 2)
            out << qMakePair(f[0], f[1]);
    }
    return out;
}

bool writeOldTables(const QString &folder)
{
    using namespace orv::test;
    const auto known = designations();
    if (known.isEmpty())
        return false;
    std::vector<std::vector<PxCell>> mat, nodes, norms, chem, compare, notices, userNotices;
    long notice = 0;
    for (long i = 1; i <= kMaterials; ++i) {
        mat.push_back({i, QStringLiteral("Vlastní ocel č. %1").arg(i), QStringLiteral("Účel %1").arg(i), 1L, ++notice,
                       QStringLiteral("A")});
        notices.push_back({notice, QStringLiteral("Poznámka 'k' materiálu %1 – žíhání").arg(i)});
        nodes.push_back({i, i, QStringLiteral("VL %1").arg(i), QStringLiteral("Vlastní ocel č. %1").arg(i)});
        norms.push_back({i, i, QStringLiteral("ČSN 41"), QStringLiteral("V %1").arg(i), 1L, QStringLiteral("ČSN41"),
                         QStringLiteral("V%1").arg(i)});
        for (long c = 1; c <= kChemRows; ++c) {
            PxCell note = PxNull{};
            if (c % 2 == 0) {
                note = ++notice;
                notices.push_back({notice, QStringLiteral("Prvek %1 podle tavby").arg(c)});
            }
            chem.push_back({long(chem.size() + 1), i, c, 0.1 * double(c), 0.2 * double(c), note});
        }
        for (long e = 1; e <= 2; ++e)
            compare.push_back({long(compare.size() + 1), i, QStringLiteral("DIN"), QStringLiteral("X %1-%2").arg(i).arg(e),
                               QStringLiteral("DIN"), QStringLiteral("X%1-%2").arg(i).arg(e), 2L});
    }
    // Catalogue materials of the old version, one per known designation, carrying the notes.
    const long base = 100000;
    for (long k = 0; k < known.size(); ++k) {
        mat.push_back({base + k, QStringLiteral("Katalogová ocel"), PxNull{}, 1L, PxNull{}, QStringLiteral("N")});
        norms.push_back({base + k, base + k, known[int(k)].first, known[int(k)].first, 1L, known[int(k)].first,
                         known[int(k)].second});
    }
    for (long n = 1; n <= kNotes; ++n)
        userNotices.push_back({n, base + (n % long(known.size())), QStringLiteral("Uživatelská poznámka %1: ocel's ďťň").arg(n)});

    return writeParadoxTable(folder + QStringLiteral("/Mat.db"),
                             {{"Number", pxfLong, 4}, {"Name", pxfAlpha, 200}, {"Purpose", pxfAlpha, 255},
                              {"TypeNo", pxfShort, 2}, {"NoticeNo", pxfLong, 4}, {"Private", pxfAlpha, 1}},
                             mat)
           && writeParadoxTable(folder + QStringLiteral("/Nodes.db"),
                                {{"Number", pxfLong, 4}, {"MaterialNo", pxfLong, 4}, {"Label", pxfAlpha, 200},
                                 {"Text", pxfAlpha, 200}},
                                nodes)
           && writeParadoxTable(folder + QStringLiteral("/Norms.db"),
                                {{"Number", pxfLong, 4}, {"MaterialNo", pxfLong, 4}, {"Name", pxfAlpha, 50},
                                 {"Label", pxfAlpha, 150}, {"CountryNo", pxfLong, 4}, {"NameShort", pxfAlpha, 50},
                                 {"LabelShort", pxfAlpha, 150}},
                                norms)
           && writeParadoxTable(folder + QStringLiteral("/ChemComp.db"),
                                {{"Number", pxfLong, 4}, {"MaterialNo", pxfLong, 4}, {"ElementNo", pxfLong, 4},
                                 {"MinValue", pxfNumber, 8}, {"MaxValue", pxfNumber, 8}, {"NoticeNo", pxfLong, 4}},
                                chem)
           && writeParadoxTable(folder + QStringLiteral("/CompareNorms.db"),
                                {{"Number", pxfLong, 4}, {"MaterialNo", pxfLong, 4}, {"Name", pxfAlpha, 25},
                                 {"Label", pxfAlpha, 25}, {"NameShort", pxfAlpha, 25}, {"LabelShort", pxfAlpha, 25},
                                 {"CountryNo", pxfLong, 4}},
                                compare)
           && writeParadoxTable(folder + QStringLiteral("/Notices.db"), {{"Number", pxfLong, 4}, {"Notice", pxfAlpha, 200}},
                                notices)
           && writeParadoxTable(folder + QStringLiteral("/UserNotices.DB"),
                                {{"Number", pxfLong, 4}, {"MaterialNo", pxfLong, 4}, {"Text", pxfAlpha, 200}}, userNotices);
}

void BM_Convert2000Materials5000Notes(benchmark::State &state)
{
    QTemporaryDir old;
    if (!QFile::exists(demo() + QStringLiteral("catalogue.sqlite")) || !writeOldTables(old.path())) {
        state.SkipWithError("no demo catalogue or the old tables could not be written");
        return;
    }
    userdata::UpgradeResult result;
    int steps = 0;
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir dir;
        QDir().mkpath(dir.filePath(QStringLiteral("data")));
        for (const char *f : {"catalogue.sqlite", "user.sqlite"})
            QFile::copy(demo() + QLatin1String(f), dir.filePath(QStringLiteral("data/")) + QLatin1String(f));
        auto data = std::make_unique<db::MainDataModule>(dir.path(), dir.path());
        auto own = std::make_unique<db::OwnDataModule>(*data);
        userdata::UpgradeProgress progress;
        int last = 0;
        steps = 0;
        progress.setMaximum = [&](int) { last = 0; };
        progress.setValue = [&](int v) {
            if (v > last)
                ++steps;
            last = v;
        };
        state.ResumeTiming();
        result = userdata::convertOldData(*own, old.path(), true, progress);
        state.PauseTiming();
        own.reset();
        data.reset();
        state.ResumeTiming();
    }
    state.counters["progress_steps"] = steps;
    state.counters["materials"] = result.materials;
    state.counters["notes"] = result.notes;
}
BENCHMARK(BM_Convert2000Materials5000Notes)->Unit(benchmark::kMillisecond)->Iterations(1);

// Only the reading: every old table copied into a scratch database.
void BM_ReadOldTables(benchmark::State &state)
{
    QTemporaryDir old;
    if (!QFile::exists(demo() + QStringLiteral("catalogue.sqlite")) || !writeOldTables(old.path())) {
        state.SkipWithError("no demo catalogue or the old tables could not be written");
        return;
    }
    qint64 rows = 0;
    for (auto _ : state) {
        QTemporaryDir scratch;
        db::Connection c;
        c.openFile(scratch.filePath(QStringLiteral("old.sqlite")), db::OpenMode::Create);
        c.exec(QStringLiteral("PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF"));
        rows = 0;
        for (const QString &t : userdata::oldDataTables())
            rows += db::copyParadoxTable(db::findParadoxTable(old.path(), t), c, t);
        c.close();
    }
    state.counters["rows"] = double(rows);
}
BENCHMARK(BM_ReadOldTables)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char **argv)
{
    return orv::bench::runWidgetBenchmarks(argc, argv);
}
