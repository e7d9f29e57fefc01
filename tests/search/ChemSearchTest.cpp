// The composition search over small catalogues built in the test: thresholds, the condition
// forms, deviations, the type filter, the fallback, and a comparison of the SQL result with an
// independent reading of the acceptance rules over random catalogues and criteria.

#include "search/ChemSearch.h"

#include "SearchEngines.h"
#include "PgImport.h"

#include "db/Connection.h"
#include "db/DbError.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <random>
#include <set>
#include <tuple>

using namespace orv;
using namespace orv::search;
using orv::test::orNull;

namespace {

using Opt = std::optional<double>;

using test::SearchEngine;

// A small catalogue written row by row on one engine.
struct ChemDb {
    test::SearchDatabase base;
    db::Connection closed; // stands in while there is no server (the test then skips)
    db::Connection &cat;
    int ccNumber = 0;

    explicit ChemDb(SearchEngine engine = SearchEngine::Sqlite)
        : base(engine)
        , cat(base.ready() ? base.connection() : closed)
    {
        if (!base.ready())
            return;
        cat.exec(QStringLiteral("insert into MatTypes (Number, Name) values (1, 'Oceli'), (2, 'Neželezné kovy')"));
        setRate(QStringLiteral("70"));
    }
    void setRate(const QString &value)
    {
        cat.exec(QStringLiteral("delete from Setup"));
        cat.exec(QStringLiteral("insert into Setup (Number, Items, Value) values (1, 'USPESNOST', :v)"), {{QStringLiteral("v"), value}});
    }
    void material(int no, int type, const QVariant &norma, const QString &label, int nodes = 1)
    {
        cat.exec(QStringLiteral("insert into Mat (Number, Name, TypeNo) values (:n, :name, :t)"),
                 {{QStringLiteral("n"), no}, {QStringLiteral("name"), QStringLiteral("Materiál %1").arg(no)}, {QStringLiteral("t"), type}});
        cat.exec(QStringLiteral("insert into Norms (Number, Name, Label, MaterialNo) values (:n, :nm, :l, :n)"),
                 {{QStringLiteral("n"), no}, {QStringLiteral("nm"), norma}, {QStringLiteral("l"), label}});
        for (int i = 0; i < nodes; ++i)
            cat.exec(QStringLiteral("insert into Nodes (Number, MaterialNo) values (:k, :n)"),
                     {{QStringLiteral("k"), no * 10 + i}, {QStringLiteral("n"), no}});
    }
    void chem(int mat, int element, Opt min, Opt max)
    {
        cat.exec(QStringLiteral("insert into ChemComp (Number, MaterialNo, ElementNo, MinValue, MaxValue) values (:k, :m, :e, :a, :b)"),
                 {{QStringLiteral("k"), ++ccNumber}, {QStringLiteral("m"), mat}, {QStringLiteral("e"), element},
                  {QStringLiteral("a"), orNull(min)}, {QStringLiteral("b"), orNull(max)}});
    }
    void criterion(int number, int element, Opt min, Opt max, bool selected = true)
    {
        cat.exec(QStringLiteral("insert into UserChemComp (Number, ElementNo, MinValue, MaxValue, Selected) values (:k, :e, :a, :b, :s)"),
                 {{QStringLiteral("k"), number}, {QStringLiteral("e"), element}, {QStringLiteral("a"), orNull(min)},
                  {QStringLiteral("b"), orNull(max)}, {QStringLiteral("s"), selected ? 1 : 0}});
    }
    void deviation(int element, double d)
    {
        cat.exec(QStringLiteral("insert into SetupChemComp (NUMBER, ELEMENTNO, DIGRESS) values (:e, :e, :d)"),
                 {{QStringLiteral("e"), element}, {QStringLiteral("d"), d}});
    }
    QList<ChemResultRow> search(const ChemOptions &o, ChemSearchOutcome *outcome = nullptr)
    {
        const ChemSearchOutcome out = runChemSearch(cat, o);
        if (outcome)
            *outcome = out;
        return readChemResult(cat, out);
    }
};

class ChemSearchOn : public ::testing::TestWithParam<SearchEngine> {};

// The rows as read, in their order, one line each.
QStringList rowsText(const QList<ChemResultRow> &rows)
{
    QStringList out;
    for (const auto &r : rows)
        out << QStringLiteral("%1|%2|%3|%4|%5").arg(r.matNumber).arg(r.factor).arg(r.norma, r.znacka, r.matNazev);
    return out;
}

std::set<int> matNumbers(const QList<ChemResultRow> &rows)
{
    std::set<int> s;
    for (const auto &r : rows)
        s.insert(r.matNumber);
    return s;
}

} // namespace

TEST(ChemSearch, ThresholdIsTheLeastWholeNumberNotBelowTheRate)
{
    EXPECT_EQ(successThreshold(70, 3), 3); // 2.1 goes up
    EXPECT_EQ(successThreshold(50, 4), 2); // exactly 2
    EXPECT_EQ(successThreshold(0, 5), 0);
    EXPECT_EQ(successThreshold(100, 7), 7);
    EXPECT_EQ(successThreshold(33, 3), 1); // 0.99
    EXPECT_EQ(successThreshold(34, 3), 2); // 1.02
}

TEST_P(ChemSearchOn, SuccessRateMustBeAWholeNumber)
{
    EXPECT_EQ(parseSuccessRate(QStringLiteral("70")), 70);
    EXPECT_THROW(parseSuccessRate(QStringLiteral("70.5")), SuccessRateError);
    EXPECT_THROW(parseSuccessRate(QStringLiteral("abc")), SuccessRateError);
    EXPECT_THROW(parseSuccessRate(QString()), SuccessRateError);

    ChemDb d(GetParam());
    ORV_SKIP_UNLESS_READY(d.base);
    d.material(1, 1, QStringLiteral("ČSN"), QStringLiteral("11 373"));
    d.chem(1, 6, 0.2, 0.3);
    d.criterion(1, 6, 0.1, 0.5);
    d.cat.exec(QStringLiteral("insert into FindChemComp (Number, MatNumber) values (99, 99)"));
    d.setRate(QStringLiteral("7,5"));
    EXPECT_THROW(d.search({}), SuccessRateError);
    d.cat.exec(QStringLiteral("delete from Setup"));
    EXPECT_THROW(d.search({}), SuccessRateError);
    // The search failed before it touched the work table.
    EXPECT_EQ(d.cat.scalar(QStringLiteral("select count(*) from FindChemComp")).toInt(), 1);
}

TEST(ChemSearch, StageOneLinesOfLowerUpperAndDeviation)
{
    ChemOptions o;
    o.inMatType = true;
    o.matType = QStringLiteral("Oce'li");
    int n = 0;
    const QStringList sql = chemStageOneSql({{6, 0.1, std::nullopt, true}, {7, 0.5, 1.0, false}, {25, 2.0, 3.0, true}},
                                            {{25, 10.0}}, o, &n);
    EXPECT_EQ(n, 2);
    ASSERT_EQ(sql.size(), 8);
    EXPECT_TRUE(sql[0].startsWith(QStringLiteral("select distinct cc.Number")));
    EXPECT_EQ(sql[4], QStringLiteral("mt.NAME LIKE 'Oce''li') and ("));
    EXPECT_EQ(sql[5], QStringLiteral("((((cc.MINVALUE>=0.1) and (not cc.MINVALUE is NULL)) and ((cc.MAXVALUE>=0.1) or (cc.MAXVALUE is NULL)) and (cc.ELEMENTNO=6)))"));
    EXPECT_EQ(sql[6], QStringLiteral("or (((((cc.MINVALUE>=2) and (cc.MINVALUE<=2.2))  or (cc.MINVALUE is NULL)) and (cc.ELEMENTNO=25))"
                                     " and ((((cc.MAXVALUE>=2.7) and (cc.MAXVALUE<=3)) or (cc.MAXVALUE is NULL)) and (cc.ELEMENTNO=25)))"));
    EXPECT_EQ(sql[7], QStringLiteral(")"));
    o.keepInterval = false;
    const QStringList upper = chemStageOneSql({{6, std::nullopt, 0.5, true}}, {}, o, &n);
    ASSERT_GE(upper.size(), 2);
    EXPECT_EQ(upper.at(upper.size() - 2), QStringLiteral("((((cc.MAXVALUE<=0.5) or (cc.MAXVALUE is NULL)) and ((cc.MINVALUE<=0.5) or (CC.MINVALUE is NULL)) and (cc.ELEMENTNO=6)))"));
    EXPECT_TRUE(chemStageOneSql({{6, std::nullopt, std::nullopt, true}, {7, 1.0, 2.0, false}}, {}, o, &n).isEmpty());
    EXPECT_EQ(n, 0);
}

TEST_P(ChemSearchOn, ExactSearchListsOnlyFullMatchesAt100)
{
    ChemDb d(GetParam());
    ORV_SKIP_UNLESS_READY(d.base);
    d.material(1, 1, QStringLiteral("ČSN"), QStringLiteral("A"));
    d.chem(1, 6, 0.2, 0.4);
    d.chem(1, 25, 0.6, 0.9);
    d.material(2, 1, QStringLiteral("ČSN"), QStringLiteral("B"));
    d.chem(2, 6, 0.2, 0.4);
    d.chem(2, 25, 1.2, 1.5);
    d.material(3, 1, QStringLiteral("DIN"), QStringLiteral("C"), 2); // twice in the tree
    d.chem(3, 6, 0.1, 0.5);
    d.chem(3, 25, 0.5, 1.0);
    d.criterion(1, 6, 0.1, 0.5);
    d.criterion(2, 25, 0.5, 1.0);
    d.criterion(3, 14, std::nullopt, std::nullopt); // no bounds: ignored
    d.criterion(4, 24, 1.0, 2.0, false);            // not selected: ignored
    ChemSearchOutcome out;
    const auto rows = d.search({}, &out);
    EXPECT_EQ(out.criteriaCount, 2);
    EXPECT_EQ(matNumbers(rows), (std::set<int>{1, 3}));
    for (const auto &r : rows)
        EXPECT_DOUBLE_EQ(*r.percent, 100.0);

    // One criterion: a material standing twice in the tree still counts once.
    d.cat.exec(QStringLiteral("delete from UserChemComp"));
    d.criterion(1, 6, 0.1, 0.5);
    EXPECT_EQ(matNumbers(d.search({})), (std::set<int>{1, 2, 3}));

    ChemOptions all;
    all.threshold = ChemThreshold::AtLeast;
    d.setRate(QStringLiteral("0"));
    d.criterion(2, 25, 0.5, 1.0);
    d.criterion(3, 99, 5.0, 6.0);
    const auto any = d.search(all, &out);
    EXPECT_EQ(out.resultSql.value(4), QStringLiteral("  having COUNT(fcc.Norma) >=0"));
    EXPECT_EQ(matNumbers(any), (std::set<int>{1, 2, 3}));
    ASSERT_FALSE(any.isEmpty());
    EXPECT_EQ(any.first().factor, 2);
    EXPECT_NEAR(*any.first().percent, 66.666666, 1e-5);
}

TEST_P(ChemSearchOn, DeviationBandOnALowerBound)
{
    ChemDb d(GetParam());
    ORV_SKIP_UNLESS_READY(d.base);
    const double mins[] = {1.9, 2.0, 2.1, 2.2, 2.3};
    for (int i = 0; i < 5; ++i) {
        d.material(i + 1, 1, QStringLiteral("ČSN"), QString::number(i));
        d.chem(i + 1, 24, mins[i], 9.0);
    }
    d.material(6, 1, QStringLiteral("ČSN"), QStringLiteral("prázdné"));
    d.chem(6, 24, std::nullopt, 9.0);
    d.deviation(24, 10);
    d.criterion(1, 24, 2.0, std::nullopt);
    EXPECT_EQ(matNumbers(d.search({})), (std::set<int>{2, 3, 4, 6}));
    ChemOptions loose;
    loose.keepInterval = false; // an empty minimum is then refused
    EXPECT_EQ(matNumbers(d.search(loose)), (std::set<int>{2, 3, 4}));
}

TEST_P(ChemSearchOn, UpperBoundAloneReversedBoundsAndTypeFilter)
{
    ChemDb d(GetParam());
    ORV_SKIP_UNLESS_READY(d.base);
    d.material(1, 1, QStringLiteral("ČSN"), QStringLiteral("bez max"));
    d.chem(1, 6, 0.1, std::nullopt);
    d.material(2, 2, QStringLiteral("ČSN"), QStringLiteral("nízký"));
    d.chem(2, 6, 0.1, 0.3);
    d.material(3, 1, QStringLiteral("ČSN"), QStringLiteral("vysoký"));
    d.chem(3, 6, 0.1, 0.9);
    d.criterion(1, 6, std::nullopt, 0.5);
    ChemOptions loose;
    loose.keepInterval = false;
    EXPECT_EQ(matNumbers(d.search(loose)), (std::set<int>{1, 2}));
    EXPECT_EQ(matNumbers(d.search({})), (std::set<int>{2}));

    ChemOptions typed = loose;
    typed.inMatType = true;
    typed.matType = QStringLiteral("Oceli");
    EXPECT_EQ(matNumbers(d.search(typed)), (std::set<int>{1}));
    typed.matType = QStringLiteral("všechny kovy");
    EXPECT_EQ(matNumbers(d.search(typed)), (std::set<int>{1, 2}));

    d.cat.exec(QStringLiteral("delete from UserChemComp"));
    d.criterion(1, 6, 0.5, 0.1);
    EXPECT_TRUE(d.search({}).isEmpty());
}

TEST_P(ChemSearchOn, FallbackOnACountOfZeroButNotOnAnEmptyResult)
{
    ChemDb d(GetParam());
    ORV_SKIP_UNLESS_READY(d.base);
    d.material(1, 1, QVariant(), QStringLiteral("bez normy"));
    d.chem(1, 6, 0.2, 0.3);
    d.criterion(1, 6, 0.1, 0.5);
    ChemOptions all;
    all.threshold = ChemThreshold::All;
    ChemSearchOutcome out;
    const auto rows = d.search(all, &out);
    EXPECT_TRUE(out.fallback);
    EXPECT_EQ(out.resultSql.value(0), QStringLiteral("select fcc.Number Factor,fcc.Norma, fcc.Znacka, fcc.MatNazev, fcc.MatNumber"));
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0].factor, 1); // the ChemComp row number

    d.cat.exec(QStringLiteral("delete from UserChemComp"));
    d.criterion(1, 6, 5.0, 6.0);
    const auto none = d.search(all, &out);
    EXPECT_FALSE(out.fallback);
    EXPECT_TRUE(none.isEmpty());
    EXPECT_TRUE(out.resultSql.value(0).startsWith(QStringLiteral("select COUNT(fcc.Norma) Factor")));

    d.cat.exec(QStringLiteral("delete from UserChemComp"));
    const auto nothing = d.search(all, &out);
    EXPECT_EQ(out.criteriaCount, 0);
    EXPECT_TRUE(nothing.isEmpty());
    EXPECT_EQ(d.cat.scalar(QStringLiteral("select count(*) from FindChemComp")).toInt(), 0);
}

// ---- the independent checker -------------------------------------------------------------

namespace {

struct CcRow { int number, mat, element; Opt min, max; };

double written(double x) { return QString::number(x, 'g', 15).toDouble(); }

bool accepts(const CcRow &r, const ChemCriterion &c, const Opt &dev, bool keep)
{
    const Opt &m = r.min, &M = r.max;
    if (dev) {
        std::optional<bool> low, up;
        if (c.minValue) {
            const double a = *c.minValue;
            const double hi = written(static_cast<double>((*dev + 100.0L) * (a / 100.0L)));
            low = m ? (*m >= a && *m <= hi) : keep;
        }
        if (c.maxValue) {
            const double b = *c.maxValue;
            const double lo = written(static_cast<double>((100.0L - *dev) * (b / 100.0L)));
            up = M ? (*M >= lo && *M <= b) : keep;
        }
        if (low && up)
            return keep ? (*low && *up) : (*low || *up);
        return low ? *low : *up;
    }
    auto in = [](const Opt &x, double a, double b) { return x && *x >= a && *x <= b; };
    if (c.minValue && c.maxValue) {
        const double a = *c.minValue, b = *c.maxValue;
        if (keep)
            return (!m || in(m, a, b)) && (!M || in(M, a, b));
        return in(m, a, b) || in(M, a, b);
    }
    if (c.minValue) {
        const double a = *c.minValue;
        if (keep)
            return m && *m >= a && (!M || *M >= a);
        return (!m || *m >= a) && (!M || *M >= a);
    }
    const double b = *c.maxValue;
    if (keep)
        return M && *M <= b && (!m || *m <= b);
    return (!M || *M <= b) && (!m || *m <= b);
}

} // namespace

// On PostgreSQL each random catalogue is written in SQLite and loaded with pg-import; both
// engines must then list the same rows in the same order.
TEST_P(ChemSearchOn, AgreesWithTheAcceptanceRulesOnRandomCatalogues)
{
    std::mt19937 rng(20261209);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    const double grid[] = {0.0, 0.1, 0.2, 0.25, 0.5, 1.0, 1.5, 2.0, 2.2, 3.0};
    auto value = [&]() -> Opt { return pick(0, 3) == 0 ? Opt() : Opt(grid[pick(0, 9)]); };
    int nonEmpty = 0;
    ChemDb d;
    std::unique_ptr<test::SearchDatabase> server;
    if (GetParam() == SearchEngine::Postgres) {
        server = std::make_unique<test::SearchDatabase>(SearchEngine::Postgres);
        ORV_SKIP_UNLESS_READY(*server);
    }
    std::map<int, int> typeOf, nodesOf;
    std::vector<CcRow> rows;
    for (int round = 0; round < 300; ++round) {
        SCOPED_TRACE(round);
        // A new catalogue every tenth round, searched ten times.
        if (round % 10 == 0) {
            for (const char *t : {"Mat", "Norms", "Nodes", "ChemComp"})
                d.cat.exec(QStringLiteral("delete from ") + QLatin1String(t));
            d.ccNumber = 0;
            db::Transaction setup(d.cat);
            typeOf.clear();
            nodesOf.clear();
            rows.clear();
            const int mats = pick(1, 10);
            for (int m = 1; m <= mats; ++m) {
                typeOf[m] = pick(1, 3); // type 3 has no MatTypes row
                nodesOf[m] = pick(0, 2);
                // Designations repeat, so the order falls back on the material.
                d.material(m, typeOf[m], QStringLiteral("N%1").arg(pick(1, 3)), QStringLiteral("Z%1").arg(pick(1, 3)), nodesOf[m]);
                for (int k = pick(0, 4); k > 0; --k) {
                    CcRow r{d.ccNumber + 1, m, pick(1, 4), value(), value()};
                    d.chem(r.mat, r.element, r.min, r.max);
                    rows.push_back(r);
                }
            }
            setup.commit();
            if (server)
                catalogue::pgImport(d.base.catalogueFolder(), server->conninfo());
        }
        db::Transaction setup(d.cat);
        d.cat.exec(QStringLiteral("delete from UserChemComp"));
        d.cat.exec(QStringLiteral("delete from SetupChemComp"));
        QList<ChemCriterion> criteria;
        for (int k = pick(0, 3); k > 0; --k) {
            // Mostly in order; now and then reversed.
            Opt lo = pick(0, 3) ? Opt(grid[pick(0, 5)]) : Opt(), hi = pick(0, 3) ? Opt(grid[pick(4, 9)]) : Opt();
            if (pick(0, 9) == 0)
                std::swap(lo, hi);
            ChemCriterion c{pick(1, 4), lo, hi, pick(0, 4) != 0};
            criteria.append(c);
            d.criterion(criteria.size(), c.elementNo, c.minValue, c.maxValue, c.selected);
        }
        QHash<int, double> devs;
        for (int e = 1; e <= 4; ++e)
            if (pick(0, 3) == 0) {
                devs[e] = std::vector<double>{0, 10, 25}[pick(0, 2)];
                d.deviation(e, devs[e]);
            }
        const int u = pick(0, 100);
        d.setRate(QString::number(u));
        setup.commit();
        ChemOptions o;
        o.keepInterval = pick(0, 1);
        o.inMatType = pick(0, 1);
        o.matType = pick(0, 1) ? QStringLiteral("Oceli") : QStringLiteral("Neželezné kovy");
        o.threshold = static_cast<ChemThreshold>(pick(0, 2));

        // Expected: per material (one designation each here) the distinct matched rows.
        int n = 0;
        for (const auto &c : criteria)
            n += c.used() ? 1 : 0;
        std::map<int, std::set<int>> matched;
        for (const CcRow &r : rows) {
            if (nodesOf[r.mat] == 0 || typeOf[r.mat] == 3)
                continue;
            if (o.inMatType && typeOf[r.mat] != (o.matType == QStringLiteral("Oceli") ? 1 : 2))
                continue;
            for (const auto &c : criteria) {
                if (!c.used() || c.elementNo != r.element)
                    continue;
                const Opt dev = devs.contains(c.elementNo) ? Opt(devs[c.elementNo]) : Opt();
                if (accepts(r, c, dev, o.keepInterval))
                    matched[r.mat].insert(r.number);
            }
        }
        std::map<int, int> expected;
        const int k = successThreshold(u, n);
        for (const auto &[mat, set] : matched) {
            const int count = static_cast<int>(set.size());
            if (o.threshold == ChemThreshold::All || (o.threshold == ChemThreshold::Exact && count == n)
                || (o.threshold == ChemThreshold::AtLeast && count >= k))
                expected[mat] = count;
        }

        ChemSearchOutcome out;
        const auto result = d.search(o, &out);
        EXPECT_EQ(out.criteriaCount, n);
        std::map<int, int> actual;
        int previous = INT_MAX;
        for (const auto &r : result) {
            actual[r.matNumber] = r.factor;
            EXPECT_LE(r.factor, previous); // best first
            previous = r.factor;
            ASSERT_TRUE(r.percent.has_value());
            EXPECT_NEAR(*r.percent, r.factor * 100.0 / n, 1e-9);
        }
        EXPECT_EQ(actual, expected);
        if (server) {
            db::Connection &pg = server->connection();
            EXPECT_EQ(rowsText(readChemResult(pg, runChemSearch(pg, criteria, devs, u, o))), rowsText(result));
        }
        nonEmpty += expected.empty() ? 0 : 1;
    }
    EXPECT_GT(nonEmpty, 50); // the rounds are not trivially empty
}

INSTANTIATE_TEST_SUITE_P(Engines, ChemSearchOn, ::testing::ValuesIn(test::searchEngines()), test::engineName);
