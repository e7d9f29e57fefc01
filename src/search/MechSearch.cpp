#include "search/MechSearch.h"

#include "core/SqlText.h"
#include "db/Connection.h"
#include "db/Schema.h"
#include "search/CriteriaRows.h"

#include <cmath>

namespace orv::search {

namespace {

const QString kFirstSelectPlain = QStringLiteral(
    "select sp.Number SpNumber, di.Number DiNumber, st.Number StNumber, 1 PtNumber, mat.Number MatNumber, nr.Name Norma, nr.Label Znacka, mat.Name MatNazev");
const QString kFrom = QStringLiteral("  from Mat, Norms nr, SemiProd sp, Dimens di, States st, MechProp mp, Temps te, Nodes nd");
const QString kWhere = QStringLiteral("  where (mat.Number=nd.MaterialNo) and ");
const QString kJoins = QStringLiteral(
    "  (mat.Number=nr.MaterialNo) and (mat.Number=sp.MaterialNo) and (sp.Number=st.SemiPrNo) and (st.Number=di.StateNo) and (di.Number=mp.DimensionNo) and (mp.Number=te.PropertyNo)");
const QString kGroupBy = QStringLiteral("group by  sp.Number, st.Number, di.Number, mp.PropertyNo, mat.Number, nr.Name, nr.Label, mat.Name");

QString selectLine(bool first, int p)
{
    return (first ? QStringLiteral("select distinct ") : QStringLiteral("union select "))
        + QStringLiteral("sp.Number SpNumber, di.Number DiNumber, st.Number StNumber, ") + sqlNumber(p)
        + QStringLiteral(" PtNumber, mat.Number MatNumber, nr.Name Norma, nr.Label Znacka, mat.Name MatNazev");
}

std::optional<int> lookup(db::Connection &conn, const QString &sql, const QVariantMap &params)
{
    const QVariant v = conn.scalar(sql, params);
    if (v.isNull())
        return std::nullopt;
    return v.toInt();
}

// The edits show two decimals; the value written is the one shown.
QString twoDecimals(double v)
{
    return sqlNumber(std::round(v * 100.0) / 100.0);
}

// One filter: `column`, the comparisons (each "=5", ">=2.5"...) of which any admits a row,
// and whether an empty column admits it too. Writes the first or the union form.
QString clause(const QString &column, const QStringList &tests, bool unionForm, bool nullToo)
{
    QStringList parts;
    for (const QString &t : tests)
        parts << QStringLiteral("(") + column + t + QStringLiteral(")");
    if (nullToo)
        parts << QStringLiteral("(") + column + QStringLiteral(" is NULL)");
    const QString body = parts.join(QStringLiteral(" or "));
    if (parts.size() == 1) // the type filter: no parentheses of its own
        return unionForm ? parts[0].mid(1, parts[0].size() - 2) + QStringLiteral(") and (")
                         : QStringLiteral(" and ") + parts[0];
    return unionForm ? body + QStringLiteral(") and (") : QStringLiteral(" and (") + body + QStringLiteral(")");
}

// The selects again over the own materials' property tables, after a union: own materials
// are found by their own rows, and each chain of joins stays within one set of tables (the
// own tables number their rows apart from the catalogue's).
QStringList withOwnRows(const QStringList &selects)
{
    QStringList out = selects;
    for (qsizetype i = 0; i < selects.size(); ++i)
        out << (i == 0 ? QStringLiteral("union ") : QString()) + db::propertyTablesIn(selects[i], true);
    return out;
}

} // namespace

QList<MechCriterion> readMechCriteria(db::Connection &conn)
{
    QList<MechCriterion> list;
    db::Statement st(conn, QStringLiteral("select PropertyNo, GroupType, MinValue, MaxValue, Selected from UserMechProp order by Number"));
    while (st.step()) {
        MechCriterion c;
        c.propertyNo = st.value(0).toInt();
        c.groupType = st.value(1).toString();
        readBoundsAndMark(st, 2, c);
        list.append(c);
    }
    return list;
}

QList<int> groupMembers(db::Connection &conn, int groupNo)
{
    QList<int> members;
    db::Statement st(conn, QStringLiteral("select Number from PropType where Parent=:PropertyNo order by Number"));
    st.bind(QStringLiteral("PropertyNo"), groupNo);
    while (st.step())
        if (!st.isNull(0))
            members.append(st.value(0).toInt());
    return members;
}

QStringList mechFilterLines(db::Connection &conn, const MechFilters &f, bool unionForm)
{
    QStringList lines;
    if (f.inMatType && f.matType != QStringLiteral("všechny kovy")) {
        if (auto t = lookup(conn, QStringLiteral("select Number from MatTypes where Name=:n"), {{QStringLiteral("n"), f.matType}}))
            lines << clause(QStringLiteral("mat.TYPENO"), {QStringLiteral(" =") + sqlNumber(*t)}, unionForm, false);
    }
    if (f.inSemiProducts) {
        for (int k = 0; k < 4; ++k) {
            const QString &name = f.group[k];
            if (name == QStringLiteral("všechny polotovary"))
                continue;
            const QString sql = QStringLiteral("select Number from SemTypes where Name=:n and GroupNo=:g");
            QStringList tests;
            if (auto g = lookup(conn, sql, {{QStringLiteral("n"), name}, {QStringLiteral("g"), k + 1}}))
                tests << QStringLiteral(" =") + sqlNumber(*g);
            // Group 1 also takes the types of group 5. A name in both admits either number:
            // two separate clauses would admit only semi-products without a group-1 type.
            if (k == 0)
                if (auto g = lookup(conn, sql, {{QStringLiteral("n"), name}, {QStringLiteral("g"), 5}}))
                    tests << QStringLiteral(" =") + sqlNumber(*g);
            if (!tests.isEmpty())
                lines << clause(QStringLiteral("sp.GROUP%1NO").arg(k + 1), tests, unionForm, true);
        }
    }
    if (f.inStates && f.state != QStringLiteral("všechny stavy")) {
        if (auto s = lookup(conn, QStringLiteral("select Number from StTypes where Name=:n"), {{QStringLiteral("n"), f.state}}))
            lines << clause(QStringLiteral("st.STATENO"), {QStringLiteral(" =") + sqlNumber(*s)}, unionForm, true);
    }
    if (f.inDimensions) {
        if (f.minDimension != 0)
            lines << clause(QStringLiteral("di.FROMVALUE"), {QStringLiteral(" >=") + twoDecimals(f.minDimension)}, unionForm, true);
        if (f.maxDimension != 0)
            lines << clause(QStringLiteral("di.TOVALUE"), {QStringLiteral(" <=") + twoDecimals(f.maxDimension)}, unionForm, true);
    }
    if (f.inTemperature) {
        // -0.5 has the whole part 0 and so counts with the warm side.
        const bool cold = std::trunc(f.temperature) < 0;
        lines << clause(QStringLiteral("te.TEMPERATURE"),
                        {(cold ? QStringLiteral(" <=") : QStringLiteral(" >=")) + twoDecimals(f.temperature)},
                        unionForm, true);
    }
    return lines;
}

QString mechCondition(const MechCriterion &c, const QList<int> &members)
{
    QString q;
    if (c.isGroup()) {
        q = QStringLiteral(" and (");
        for (int i = 0; i < members.size(); ++i)
            q += (i == 0 ? QStringLiteral(" mp.PROPERTYNO=") : QStringLiteral(" or mp.PROPERTYNO=")) + sqlNumber(members[i]);
        q += QStringLiteral("))");
    } else {
        q = QStringLiteral(" and (mp.PROPERTYNO=") + sqlNumber(c.propertyNo) + QStringLiteral("))");
    }
    const QString p = QStringLiteral(" or (te.TEMPMINVALUE is NULL)");
    const QString r = QStringLiteral(" or (te.TEMPMAXVALUE is NULL)");
    QString cond;
    QString join;
    if (c.minValue) {
        const QString a = sqlNumber(*c.minValue);
        if (!c.maxValue)
            cond = QStringLiteral("(((te.TEMPMINVALUE>=") + a + QStringLiteral(")") + p + QStringLiteral(")") + q;
        else
            cond = QStringLiteral("((((te.TEMPMINVALUE>=") + a + QStringLiteral(") and (te.TEMPMINVALUE<=")
                + sqlNumber(*c.maxValue) + QStringLiteral("))") + p + QStringLiteral(")") + q;
        join = QStringLiteral(" and ");
    }
    if (c.maxValue) {
        const QString b = sqlNumber(*c.maxValue);
        if (!c.minValue)
            cond += join + QStringLiteral("(((te.TEMPMAXVALUE<=") + b + QStringLiteral(")") + r + QStringLiteral(")") + q;
        else
            cond += join + QStringLiteral("((((te.TEMPMAXVALUE>=") + sqlNumber(*c.minValue) + QStringLiteral(") and (te.TEMPMAXVALUE<=")
                + b + QStringLiteral("))") + r + QStringLiteral(")") + q;
    }
    return cond;
}

QString mechFillSql(const QStringList &allSql)
{
    return QStringLiteral("insert into FindChemComp (Number, MatNumber, Norma, Znacka, MatNazev, SpNumber, DiNumber, StNumber)\n"
                          "select PtNumber, MatNumber, Norma, Znacka, MatNazev, SpNumber, DiNumber, StNumber from (\n")
        + allSql.join(QLatin1Char('\n')) + QStringLiteral("\n) hits");
}

QString mechCountSql()
{
    // Every group counted here has at least one row, so no count is 0.
    return QStringLiteral(
        "insert into FindMechPropTemp (MatNumber, Norma, Znacka, MatNazev, SpNumber, DiNumber, StNumber, PocetMechProp)\n"
        "select MatNumber, Norma, Znacka, MatNazev, SpNumber, DiNumber, StNumber, MpPocet from (\n"
        "select Count(Number) MpPocet, MatNumber, Norma, Znacka, MatNazev, SpNumber, DiNumber, StNumber\n"
        "  from FindChemComp\n"
        "  \n"
        "  Group by MatNumber, Norma, Znacka, MatNazev, SpNumber, StNumber, DiNumber\n"
        ") counts where MpPocet<>0");
}

QStringList mechResultSql()
{
    return {QStringLiteral("select fmp.Norma, fmp.Znacka, fmp.MatNazev, fmp.MatNumber, MAX(fmp.PocetMechProp) PocetMechProp"),
            QStringLiteral("  from FindMechPropTemp fmp"),
            QString(),
            QStringLiteral("  group by fmp.Norma, fmp.Znacka, fmp.MatNazev, fmp.MatNumber"),
            QString(),
            // Ties down to the material, empty texts first on either engine: the same order everywhere.
            QStringLiteral("  order by PocetMechProp desc, Norma nulls first, Znacka nulls first, MatNazev nulls first, MatNumber")};
}

MechSearchOutcome runMechSearch(db::Connection &conn, const MechFilters &filters)
{
    return runMechSearch(conn, filters.inProperties ? readMechCriteria(conn) : QList<MechCriterion>(), filters);
}

MechSearchOutcome runMechSearch(db::Connection &conn, const QList<MechCriterion> &criteria,
                                const MechFilters &filters)
{
    MechSearchOutcome out;
    out.withProperties = filters.inProperties;

    // The rows that take part, with their property clauses. A group without members would
    // leave an empty clause; such a row matches nothing and is not counted.
    struct Used {
        MechCriterion c;
        QList<int> members;
    };
    QList<Used> used;
    if (filters.inProperties) {
        for (const MechCriterion &c : criteria) {
            if (!c.used())
                continue;
            Used u{c, {}};
            if (c.isGroup()) {
                u.members = groupMembers(conn, c.propertyNo);
                if (u.members.isEmpty())
                    continue;
            }
            used.append(u);
        }
    }

    QStringList &sql = out.allSql;
    const QStringList firstFilters = mechFilterLines(conn, filters, false);
    if (!filters.inProperties || used.isEmpty())
        sql << kFirstSelectPlain;
    else
        sql << selectLine(true, used.first().c.propertyNo);
    sql << kFrom << kWhere << kJoins << firstFilters;

    if (filters.inProperties) {
        QStringList unionFilters;
        if (used.size() > 1)
            unionFilters = mechFilterLines(conn, filters, true);
        for (const Used &u : used) {
            ++out.criteriaCount;
            if (out.criteriaCount == 1) {
                sql << QStringLiteral(" and (");
            } else {
                sql << selectLine(false, u.c.propertyNo) << kFrom << kWhere
                    << kJoins + QStringLiteral(" and (") << unionFilters;
            }
            sql << mechCondition(u.c, u.members) + QStringLiteral(")") << kGroupBy;
        }

        sql = withOwnRows(sql);
        db::Transaction tr(conn);
        conn.exec(QStringLiteral("delete from FindChemComp"));
        if (out.criteriaCount >= 1)
            conn.exec(mechFillSql(sql));
        conn.exec(QStringLiteral("delete from FindMechPropTemp"));
        conn.exec(mechCountSql());
        tr.commit();
        out.resultSql = mechResultSql();
    } else {
        {
            db::Transaction tr(conn);
            conn.exec(QStringLiteral("delete from FindChemComp"));
            tr.commit();
        }
        sql << QStringLiteral("  group by  sp.Number, st.Number, di.Number, mat.Number, nr.Name, nr.Label, mat.Name");
        sql = withOwnRows(sql);
        // After the union the order names result columns.
        sql << QStringLiteral("  order by Norma nulls first, Znacka nulls first, MatNumber, SpNumber, StNumber, DiNumber");
    }
    return out;
}

QList<MechResultRow> readMechResult(db::Connection &conn, const MechSearchOutcome &outcome)
{
    QList<MechResultRow> rows;
    if (outcome.withProperties) {
        db::Statement st(conn, outcome.resultSql.join(QLatin1Char('\n')));
        while (st.step()) {
            MechResultRow r;
            r.norma = st.value(0).toString();
            r.znacka = st.value(1).toString();
            r.matNazev = st.value(2).toString();
            r.matNumber = st.value(3).toInt();
            r.count = st.value(4).toInt();
            if (r.count != 0 && outcome.criteriaCount != 0)
                r.percent = r.count / (outcome.criteriaCount / 100.0);
            rows.append(r);
        }
    } else {
        db::Statement st(conn, outcome.allSql.join(QLatin1Char('\n')));
        while (st.step()) {
            MechResultRow r;
            r.spNumber = st.value(0).toInt();
            r.diNumber = st.value(1).toInt();
            r.stNumber = st.value(2).toInt();
            r.matNumber = st.value(4).toInt();
            r.norma = st.value(5).toString();
            r.znacka = st.value(6).toString();
            r.matNazev = st.value(7).toString();
            rows.append(r);
        }
    }
    return rows;
}

CardPosition bestCombination(db::Connection &conn, int matNumber)
{
    db::Statement st(conn, QStringLiteral(
        "select fmp.MatNumber, fmp.spNumber, fmp.diNumber, fmp.stNumber\n"
        "  from FindMechPropTemp fmp\n"
        "  where MatNumber=:in1 and fmp.PocetMechProp=(select MAX(PocetMechProp) from FindMechPropTemp where MatNumber=fmp.MatNumber)\n"
        "  order by fmp.spNumber, fmp.diNumber, fmp.stNumber"));
    st.bind(QStringLiteral("in1"), matNumber);
    CardPosition pos;
    if (st.step()) {
        pos.semiProduct = st.value(1).toInt();
        pos.dimension = st.value(2).toInt();
        pos.state = st.value(3).toInt();
    }
    return pos;
}

} // namespace orv::search
