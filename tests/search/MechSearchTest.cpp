// The mechanical-property search over small catalogues built in the test: the filter lines,
// temperatures, group members, counting per combination, the form without the property list,
// the best combination, and a comparison with the match rule over random catalogues.

#include "search/MechSearch.h"
#include "search/ResultExport.h"

#include "SearchEngines.h"
#include "PgImport.h"

#include "db/Connection.h"
#include "db/Schema.h"

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
struct MechDb {
    test::SearchDatabase base;
    db::Connection closed; // stands in while there is no server (the test then skips)
    db::Connection &cat;
    int next = 0, nextOwn = 0;
    bool ownRows = false; // property rows go to the own tables, numbered from 1 there too

    explicit MechDb(SearchEngine engine = SearchEngine::Sqlite)
        : base(engine)
        , cat(base.ready() ? base.connection() : closed)
    {
        if (!base.ready())
            return;
        cat.exec(QStringLiteral(
            "insert into MatTypes (Number, Name) values (1, 'Oceli'), (2, 'Neželezné kovy');"
            "insert into SemTypes (Number, GroupNo, Name) values (11, 1, 'Plech'), (12, 5, 'Plech'), (13, 5, 'Drát'), (21, 2, 'Válcovaný');"
            "insert into StTypes (Number, Name) values (31, 'Žíhaný'), (32, 'Kalený');"
            "insert into PropType (Number, Name, GroupType, Parent) values (1, 'Rm', 'N', 10), (2, 'Re', 'N', 10), (3, 'A5', 'N', 11),"
            " (4, 'HB', 'N', NULL), (10, 'Pevnost', 'A', NULL), (11, 'Tažnost', 'A', NULL), (12, 'Prázdná', 'A', NULL)"));
    }
    void material(int no, int type, const QString &norma, const QString &label, bool own = false)
    {
        cat.exec(QStringLiteral("insert into Mat (Number, Name, TypeNo, Private) values (:n, :nm, :t, :p);"),
                 {{QStringLiteral("n"), no}, {QStringLiteral("nm"), QStringLiteral("M%1").arg(no)}, {QStringLiteral("t"), type},
                  {QStringLiteral("p"), own ? QVariant(QStringLiteral("A")) : QVariant()}});
        cat.exec(QStringLiteral("insert into Norms (Number, Name, Label, MaterialNo) values (:n, :nm, :l, :n)"),
                 {{QStringLiteral("n"), no}, {QStringLiteral("nm"), norma}, {QStringLiteral("l"), label}});
        cat.exec(QStringLiteral("insert into Nodes (Number, MaterialNo) values (:n, :n)"), {{QStringLiteral("n"), no}});
    }
    // A semi-product, state and dimension of a material; returns the dimension number.
    int combination(int mat, const QVariant &g1 = {}, const QVariant &g2 = {}, const QVariant &state = {},
                    const Opt &from = {}, const Opt &to = {})
    {
        const int k = ownRows ? ++nextOwn : ++next;
        cat.exec(tables("insert into SemiProd (Number, MaterialNo, Group1No, Group2No) values (:k, :m, :g1, :g2)"),
                 {{QStringLiteral("k"), k}, {QStringLiteral("m"), mat}, {QStringLiteral("g1"), g1}, {QStringLiteral("g2"), g2}});
        cat.exec(tables("insert into States (Number, SemiPrNo, StateNo) values (:k, :k, :s)"),
                 {{QStringLiteral("k"), k}, {QStringLiteral("s"), state}});
        cat.exec(tables("insert into Dimens (Number, StateNo, FromValue, ToValue) values (:k, :k, :f, :t)"),
                 {{QStringLiteral("k"), k}, {QStringLiteral("f"), orNull(from)}, {QStringLiteral("t"), orNull(to)}});
        return k;
    }
    void value(int dim, int property, const QVariant &temperature, const Opt &min, const Opt &max)
    {
        const int k = ownRows ? ++nextOwn : ++next;
        cat.exec(tables("insert into MechProp (Number, DimensionNo, PropertyNo) values (:k, :d, :p)"),
                 {{QStringLiteral("k"), k}, {QStringLiteral("d"), dim}, {QStringLiteral("p"), property}});
        cat.exec(tables("insert into Temps (Number, PropertyNo, Temperature, TempMinValue, TempMaxValue) values (:k, :k, :t, :a, :b)"),
                 {{QStringLiteral("k"), k}, {QStringLiteral("t"), temperature}, {QStringLiteral("a"), orNull(min)}, {QStringLiteral("b"), orNull(max)}});
    }
    QString tables(const char *sql) const { return db::propertyTablesIn(QString::fromUtf8(sql), ownRows); }
    std::map<int, int> counts(const QList<MechCriterion> &criteria, const MechFilters &f = {}, int *n = nullptr)
    {
        const MechSearchOutcome out = runMechSearch(cat, criteria, f);
        if (n)
            *n = out.criteriaCount;
        std::map<int, int> m;
        for (const auto &r : readMechResult(cat, out))
            m[r.matNumber] = r.count;
        return m;
    }
};

class MechSearchOn : public ::testing::TestWithParam<SearchEngine> {};

// The rows as read, in their order, one line each.
QStringList rowsText(const QList<MechResultRow> &rows)
{
    QStringList out;
    for (const auto &r : rows)
        out << QStringLiteral("%1|%2|%3|%4|%5|%6|%7|%8")
                   .arg(r.matNumber)
                   .arg(r.count)
                   .arg(r.norma, r.znacka, r.matNazev)
                   .arg(r.spNumber)
                   .arg(r.stNumber)
                   .arg(r.diNumber);
    return out;
}

MechCriterion row(int p, Opt a, Opt b, const QString &type = QStringLiteral("N"))
{
    return {p, type, a, b, true};
}

} // namespace

TEST_P(MechSearchOn, FilterLinesInFirstAndUnionForm)
{
    MechDb d(GetParam());
    ORV_SKIP_UNLESS_READY(d.base);
    MechFilters f;
    f.inMatType = true;
    f.matType = QStringLiteral("Oceli");
    f.inSemiProducts = true;
    f.group[0] = QStringLiteral("Drát");
    f.group[1] = QStringLiteral("Válcovaný");
    f.group[2] = QStringLiteral("neznámý");
    f.group[3] = QStringLiteral("všechny polotovary");
    f.inStates = true;
    f.state = QStringLiteral("Kalený");
    f.inDimensions = true;
    f.minDimension = 2.5;
    f.maxDimension = 10.004;
    f.inTemperature = true;
    f.temperature = -20;
    EXPECT_EQ(mechFilterLines(d.cat, f, false),
              (QStringList{QStringLiteral(" and (mat.TYPENO =1)"),
                           QStringLiteral(" and ((sp.GROUP1NO =13) or (sp.GROUP1NO is NULL))"),
                           QStringLiteral(" and ((sp.GROUP2NO =21) or (sp.GROUP2NO is NULL))"),
                           QStringLiteral(" and ((st.STATENO =32) or (st.STATENO is NULL))"),
                           QStringLiteral(" and ((di.FROMVALUE >=2.5) or (di.FROMVALUE is NULL))"),
                           QStringLiteral(" and ((di.TOVALUE <=10) or (di.TOVALUE is NULL))"),
                           QStringLiteral(" and ((te.TEMPERATURE <=-20) or (te.TEMPERATURE is NULL))")}));
    f.temperature = -0.5;
    f.group[0] = QStringLiteral("Plech"); // a group-1 and a group-5 type: either number
    const QStringList u = mechFilterLines(d.cat, f, true);
    ASSERT_GE(u.size(), 3);
    EXPECT_EQ(u[0], QStringLiteral("mat.TYPENO =1) and ("));
    EXPECT_EQ(u[1], QStringLiteral("(sp.GROUP1NO =11) or (sp.GROUP1NO =12) or (sp.GROUP1NO is NULL)) and ("));
    EXPECT_EQ(u.last(), QStringLiteral("(te.TEMPERATURE >=-0.5) or (te.TEMPERATURE is NULL)) and ("));
    f.inTemperature = f.inDimensions = f.inStates = f.inSemiProducts = false;
    f.matType = QStringLiteral("všechny kovy");
    EXPECT_TRUE(mechFilterLines(d.cat, f, false).isEmpty());
}

TEST_P(MechSearchOn, TemperatureFilterSides)
{
    MechDb d(GetParam());
    ORV_SKIP_UNLESS_READY(d.base);
    const QVariant temps[] = {-40, -20, 0, 20, 100, QVariant()};
    for (int i = 0; i < 6; ++i) {
        d.material(i + 1, 1, QStringLiteral("ČSN"), QString::number(i));
        d.value(d.combination(i + 1), 1, temps[i], 300.0, 400.0);
    }
    MechFilters f;
    f.inTemperature = true;
    auto found = [&](double t) {
        f.temperature = t;
        std::set<int> s;
        for (const auto &[m, c] : d.counts({row(1, 0.0, std::nullopt)}, f))
            s.insert(m);
        return s;
    };
    EXPECT_EQ(found(-20), (std::set<int>{1, 2, 6}));
    EXPECT_EQ(found(20), (std::set<int>{4, 5, 6}));
    EXPECT_EQ(found(-0.5), (std::set<int>{3, 4, 5, 6}));
}

TEST_P(MechSearchOn, CountsPerCombinationAndBestCombination)
{
    MechDb d(GetParam());
    ORV_SKIP_UNLESS_READY(d.base);
    d.material(1, 1, QStringLiteral("ČSN"), QStringLiteral("A"));
    const int weak = d.combination(1);
    d.value(weak, 1, 20, 450.0, 500.0);
    const int strong = d.combination(1);
    d.value(strong, 1, 20, 520.0, 600.0);
    d.value(strong, 4, 20, 150.0, std::nullopt);
    d.material(2, 1, QStringLiteral("ČSN"), QStringLiteral("B"));
    d.value(d.combination(2), 4, 20, 200.0, 210.0);
    int n = 0;
    const auto c = d.counts({row(1, 500.0, std::nullopt), row(4, std::nullopt, 300.0), row(3, std::nullopt, std::nullopt)}, {}, &n);
    EXPECT_EQ(n, 2);
    EXPECT_EQ(c, (std::map<int, int>{{1, 2}, {2, 1}}));
    const auto rows = readMechResult(d.cat, runMechSearch(d.cat, {row(1, 500.0, std::nullopt), row(4, std::nullopt, 300.0)}, {}));
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0].matNumber, 1);
    EXPECT_DOUBLE_EQ(*rows[0].percent, 100.0);
    EXPECT_DOUBLE_EQ(*rows[1].percent, 50.0);
    const CardPosition pos = bestCombination(d.cat, 1);
    EXPECT_EQ(pos.semiProduct, strong);
    EXPECT_EQ(pos.dimension, strong);
    EXPECT_EQ(pos.state, strong);
    EXPECT_EQ(bestCombination(d.cat, 77).semiProduct, 0);
}

TEST_P(MechSearchOn, LowerBound500AloneAndGroups)
{
    MechDb d(GetParam());
    ORV_SKIP_UNLESS_READY(d.base);
    const Opt mins[] = {499.0, 500.0, 650.0, std::nullopt};
    for (int i = 0; i < 4; ++i) {
        d.material(i + 1, 1, QStringLiteral("ČSN"), QString::number(i));
        d.value(d.combination(i + 1), i == 3 ? 2 : 1, 20, mins[i], 100.0); // maxima below the bound
    }
    d.material(5, 1, QStringLiteral("ČSN"), QStringLiteral("A5"));
    d.value(d.combination(5), 3, 20, 600.0, std::nullopt);
    EXPECT_EQ(d.counts({row(1, 500.0, std::nullopt)}), (std::map<int, int>{{2, 1}, {3, 1}}));
    // Group 10 stands for Rm and Re; the empty group 12 matches nothing and is not counted.
    int n = 0;
    const auto c = d.counts({row(10, 500.0, std::nullopt, QStringLiteral("A")), row(12, 0.0, std::nullopt, QStringLiteral("A"))}, {}, &n);
    EXPECT_EQ(n, 1);
    EXPECT_EQ(c, (std::map<int, int>{{2, 1}, {3, 1}, {4, 1}}));
    // The same number searched as a single property finds nothing: no value has property 10.
    EXPECT_TRUE(d.counts({row(10, 500.0, std::nullopt, QString())}).empty());
    // No used row: an empty result.
    EXPECT_TRUE(d.counts({row(1, std::nullopt, std::nullopt), row(12, 1.0, 2.0, QStringLiteral("A"))}, {}, &n).empty());
    EXPECT_EQ(n, 0);
}

TEST_P(MechSearchOn, WithoutPropertyListListsEveryCombination)
{
    MechDb d(GetParam());
    ORV_SKIP_UNLESS_READY(d.base);
    d.material(1, 1, QStringLiteral("DIN"), QStringLiteral("B"));
    const int a = d.combination(1, 11);
    d.value(a, 1, 20, 1.0, 2.0);
    d.value(a, 2, 20, 1.0, 2.0);
    d.value(d.combination(1, 21), 1, 20, 1.0, 2.0);
    d.material(2, 2, QStringLiteral("ČSN"), QStringLiteral("A"));
    d.value(d.combination(2), 1, 20, 1.0, 2.0);
    MechFilters f;
    f.inProperties = false;
    const MechSearchOutcome out = runMechSearch(d.cat, {row(1, 5.0, 6.0)}, f);
    EXPECT_EQ(out.criteriaCount, 0);
    ASSERT_FALSE(out.allSql.isEmpty());
    const auto rows = readMechResult(d.cat, out);
    ASSERT_EQ(rows.size(), 3);
    EXPECT_EQ(rows[0].norma, QStringLiteral("DIN")); // byte order: D before Č
    EXPECT_FALSE(rows[0].percent.has_value());
    f.inMatType = true;
    f.matType = QStringLiteral("Neželezné kovy");
    const auto typed = readMechResult(d.cat, runMechSearch(d.cat, {}, f));
    ASSERT_EQ(typed.size(), 1);
    EXPECT_EQ(typed[0].matNumber, 2);
}

// An own material is found by its own property rows, which the own tables number from 1 as
// the catalogue's are: each is read with its own semi-product, never the catalogue's.
TEST_P(MechSearchOn, OwnMaterialsAreFoundByTheirOwnRowsNumberedApart)
{
    MechDb d(GetParam());
    ORV_SKIP_UNLESS_READY(d.base);
    d.material(1, 1, QStringLiteral("ČSN"), QStringLiteral("A"));
    d.value(d.combination(1, 11), 1, 20, 5.0, 6.0);
    d.material(2, 1, QStringLiteral("ČSN"), QStringLiteral("B"), true);
    d.ownRows = true;
    const int own = d.combination(2, 11);
    d.value(own, 1, 20, 5.0, 6.0);
    d.value(own, 2, 20, 7.0, 8.0);
    d.cat.exec(QStringLiteral("update SemiProd set Name = 'katalogový'; update OwnSemiProd set Name = 'vlastní'"));
    EXPECT_EQ(d.counts({row(1, 5.0, 6.0), row(2, 7.0, 8.0)}), (std::map<int, int>{{1, 1}, {2, 2}}));
    EXPECT_TRUE(bestCombinationText(d.cat, 2).startsWith(QStringLiteral("vlastní"))) << bestCombinationText(d.cat, 2).toStdString();
    EXPECT_TRUE(bestCombinationText(d.cat, 1).startsWith(QStringLiteral("katalogový")));
    MechFilters plain;
    plain.inProperties = false;
    EXPECT_EQ(rowsText(readMechResult(d.cat, runMechSearch(d.cat, {}, plain))),
              (QStringList{QStringLiteral("1|0|ČSN|A|M1|1|1|1"), QStringLiteral("2|0|ČSN|B|M2|1|1|1")}));
}

TEST_P(MechSearchOn, ReadsTheStoredListInItsOrder)
{
    MechDb d(GetParam());
    ORV_SKIP_UNLESS_READY(d.base);
    d.material(1, 1, QStringLiteral("ČSN"), QStringLiteral("A"));
    const int dim = d.combination(1);
    d.value(dim, 1, 20, 500.0, std::nullopt);
    d.value(dim, 2, 20, 300.0, std::nullopt);
    d.cat.exec(QStringLiteral(
        "insert into UserMechProp (Number, PropertyNo, MinValue, MaxValue, Selected, GroupType) values"
        " (2, 10, 250, NULL, 1, 'A'), (1, 4, 100, NULL, 0, 'N'), (3, 1, NULL, 600, 1, NULL)"));
    const QList<MechCriterion> list = readMechCriteria(d.cat);
    ASSERT_EQ(list.size(), 3);
    EXPECT_EQ(list[0].propertyNo, 4);
    EXPECT_FALSE(list[0].selected);
    EXPECT_TRUE(list[1].isGroup());
    EXPECT_FALSE(list[2].minValue.has_value());
    EXPECT_EQ(groupMembers(d.cat, 10), (QList<int>{1, 2}));
    MechFilters f;
    const MechSearchOutcome out = runMechSearch(d.cat, f);
    EXPECT_EQ(out.criteriaCount, 2);
    // The first select carries the first used row's number.
    EXPECT_TRUE(out.allSql.value(0).startsWith(QStringLiteral("select distinct sp.Number SpNumber, di.Number DiNumber, st.Number StNumber, 10 PtNumber")));
    const auto rows = readMechResult(d.cat, out);
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0].count, 2);
    EXPECT_DOUBLE_EQ(*rows[0].percent, 100.0);
}

// ---- the independent checker -------------------------------------------------------------

namespace {

// One random catalogue, its filters and criteria, and what the match rule expects of them:
// per material the most criteria that one combination of semi-product, state and dimension meets.
class RandomMechCase
{
public:
    explicit RandomMechCase(std::mt19937 &rng) : m_rng(rng) {}

    void fill(MechDb &d)
    {
        db::Transaction setup(d.cat);
        for (const char *t : {"Mat", "Norms", "Nodes", "SemiProd", "States", "Dimens", "MechProp", "Temps"})
            d.cat.exec(QStringLiteral("delete from ") + QLatin1String(t));
        m_values.clear();
        for (int m = 1, mats = pick(1, 6); m <= mats; ++m) {
            const int type = pick(1, 2);
            d.material(m, type, QStringLiteral("N%1").arg(pick(1, 2)), QStringLiteral("Z%1").arg(m));
            for (int c = pick(0, 3); c > 0; --c)
                addCombination(d, m, type);
        }
        setup.commit();
    }

    void chooseCriteria()
    {
        m_criteria.clear();
        for (int k = pick(1, 4); k > 0; --k) {
            const int p = std::vector<int>{1, 2, 3, 4, 10, 11, 12}[pick(0, 6)];
            m_criteria.append({p, p >= 10 ? QStringLiteral("A") : QStringLiteral("N"), any(), any(), pick(0, 5) != 0});
        }
    }

    void chooseFilters()
    {
        MechFilters &f = m_filters;
        f = MechFilters();
        f.inMatType = pick(0, 1);
        f.matType = pick(0, 1) ? QStringLiteral("Oceli") : QStringLiteral("Neželezné kovy");
        f.inSemiProducts = pick(0, 1);
        f.group[0] = std::vector<QString>{QStringLiteral("všechny polotovary"), QStringLiteral("Plech"), QStringLiteral("Drát")}[pick(0, 2)];
        f.group[1] = f.group[2] = f.group[3] = QStringLiteral("všechny polotovary");
        f.inStates = pick(0, 1);
        f.state = pick(0, 1) ? QStringLiteral("Žíhaný") : QStringLiteral("Kalený");
        f.inDimensions = pick(0, 1);
        f.minDimension = pick(0, 2) * 5;
        f.maxDimension = pick(0, 2) * 15;
        f.inTemperature = pick(0, 1);
        f.temperature = std::vector<double>{-20, -0.5, 0, 20}[pick(0, 3)];
    }

    const QList<MechCriterion> &criteria() const { return m_criteria; }
    const MechFilters &filters() const { return m_filters; }

    // The number of criteria the search counts: used ones, and no group without members.
    int expectedCriteriaCount() const
    {
        int n = 0;
        for (const auto &c : m_criteria)
            n += c.used() && !(c.isGroup() && kMembers.at(c.propertyNo).empty()) ? 1 : 0;
        return n;
    }

    std::map<int, int> expectedCounts() const
    {
        std::map<int, std::map<int, std::set<int>>> perCombo; // mat -> combo -> matched criteria numbers
        for (const Value &v : m_values)
            if (passes(v))
                for (const auto &c : m_criteria)
                    if (c.used() && matches(v, c))
                        perCombo[v.mat][v.combo].insert(c.propertyNo);
        std::map<int, int> expected;
        for (const auto &[mat, combos] : perCombo)
            for (const auto &[combo, set] : combos)
                expected[mat] = std::max(expected[mat], static_cast<int>(set.size()));
        return expected;
    }

private:
    struct Value { int mat, combo, type, property; QVariant temp; Opt min, max; QVariant g1, st; Opt from, to; };
    inline static const std::map<int, std::set<int>> kMembers = {{10, {1, 2}}, {11, {3}}, {12, {}}};

    int pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(m_rng); }
    Opt any()
    {
        static const double grid[] = {100, 200, 300, 400, 500};
        return pick(0, 3) == 0 ? Opt() : Opt(grid[pick(0, 4)]);
    }

    void addCombination(MechDb &d, int m, int type)
    {
        const QVariant g1 = std::vector<QVariant>{QVariant(), 11, 13}[pick(0, 2)];
        const QVariant st = std::vector<QVariant>{QVariant(), 31, 32}[pick(0, 2)];
        const Opt from = pick(0, 2) ? Opt(pick(0, 4) * 5.0) : Opt(), to = pick(0, 2) ? Opt(pick(2, 8) * 5.0) : Opt();
        const int combo = d.combination(m, g1, QVariant(), st, from, to);
        for (int k = pick(1, 4); k > 0; --k) {
            Value v{m, combo, type, pick(1, 4), std::vector<QVariant>{QVariant(), -20, 0, 20, 200}[pick(0, 4)], any(), any(), g1, st, from, to};
            d.value(combo, v.property, v.temp, v.min, v.max);
            m_values.push_back(v);
        }
    }

    // The filter lines of the form, as a user reads them.
    bool passes(const Value &v) const
    {
        const MechFilters &f = m_filters;
        if (f.inMatType && v.type != (f.matType == QStringLiteral("Oceli") ? 1 : 2))
            return false;
        if (f.inSemiProducts && f.group[0] != QStringLiteral("všechny polotovary") && !v.g1.isNull()) {
            const std::set<int> ok = f.group[0] == QStringLiteral("Plech") ? std::set<int>{11, 12} : std::set<int>{13};
            if (!ok.count(v.g1.toInt()))
                return false;
        }
        if (f.inStates && !v.st.isNull() && v.st.toInt() != (f.state == QStringLiteral("Žíhaný") ? 31 : 32))
            return false;
        if (f.inDimensions && f.minDimension != 0 && v.from && *v.from < f.minDimension)
            return false;
        if (f.inDimensions && f.maxDimension != 0 && v.to && *v.to > f.maxDimension)
            return false;
        if (f.inTemperature && !v.temp.isNull()) {
            const double t = v.temp.toDouble();
            if (f.temperature <= -1 ? t > f.temperature : t < f.temperature)
                return false;
        }
        return true;
    }

    // A value meets a criterion when it is of the criterion's property (or group) and lies within its bounds.
    static bool matches(const Value &v, const MechCriterion &c)
    {
        const bool mine = c.isGroup() ? kMembers.at(c.propertyNo).count(v.property) > 0 : v.property == c.propertyNo;
        if (!mine)
            return false;
        const Opt &a = c.minValue, &b = c.maxValue;
        auto within = [&](const Opt &x) { return !x || (*x >= *a && *x <= *b); };
        if (a && b)
            return within(v.min) && within(v.max);
        if (a)
            return !v.min || *v.min >= *a;
        return !v.max || *v.max <= *b;
    }

    std::mt19937 &m_rng;
    std::vector<Value> m_values;
    QList<MechCriterion> m_criteria;
    MechFilters m_filters;
};

} // namespace

// On PostgreSQL each random catalogue is written in SQLite and loaded with pg-import; both
// engines must then list the same rows in the same order.
TEST_P(MechSearchOn, AgreesWithTheMatchRuleOnRandomCatalogues)
{
    std::mt19937 rng(4242);
    int nonEmpty = 0;
    MechDb d;
    std::unique_ptr<MechDb> server;
    if (GetParam() == SearchEngine::Postgres) {
        server = std::make_unique<MechDb>(SearchEngine::Postgres);
        ORV_SKIP_UNLESS_READY(server->base);
    }
    RandomMechCase c(rng);
    for (int round = 0; round < 200; ++round) {
        SCOPED_TRACE(round);
        // A new catalogue every tenth round, searched ten times.
        if (round % 10 == 0) {
            c.fill(d);
            if (server)
                catalogue::pgImport(d.base.catalogueFolder(), server->base.conninfo());
        }
        c.chooseCriteria();
        c.chooseFilters();
        const std::map<int, int> expected = c.expectedCounts();
        int actualN = 0;
        EXPECT_EQ(d.counts(c.criteria(), c.filters(), &actualN), expected);
        EXPECT_EQ(actualN, c.expectedCriteriaCount());
        if (server) {
            for (bool list : {true, false}) {
                MechFilters f = c.filters();
                f.inProperties = list;
                EXPECT_EQ(rowsText(readMechResult(server->cat, runMechSearch(server->cat, c.criteria(), f))),
                          rowsText(readMechResult(d.cat, runMechSearch(d.cat, c.criteria(), f))))
                    << (list ? "with" : "without") << " the property list";
            }
        }
        nonEmpty += expected.empty() ? 0 : 1;
    }
    EXPECT_GT(nonEmpty, 40);
}

INSTANTIATE_TEST_SUITE_P(Engines, MechSearchOn, ::testing::ValuesIn(test::searchEngines()), test::engineName);
