#include "search/ChemSearch.h"

#include "core/SqlText.h"
#include "db/Connection.h"
#include "search/CriteriaRows.h"

namespace orv::search {

namespace {

// The tolerance bounds are worked out in extended precision and kept as double, so that
// 2 with 10 % gives the same 2.2 the engine compares with.
double tolerance(double percent, double bound)
{
    const long double v = static_cast<long double>(percent) * (static_cast<long double>(bound) / 100.0L);
    return static_cast<double>(v);
}

QString lowerPart(const ChemCriterion &c, const std::optional<double> &deviation, bool keep)
{
    const QString e = sqlNumber(c.elementNo);
    const double a = *c.minValue;
    const QString p = keep ? QStringLiteral(" or (cc.MINVALUE is NULL)") : QStringLiteral(" and (not cc.MINVALUE is NULL)");
    const QString q = keep ? QStringLiteral(" and (not cc.MINVALUE is NULL)") : QStringLiteral(" or (cc.MINVALUE is NULL)");
    if (deviation) {
        const double hi = tolerance(*deviation + 100.0, a);
        return QStringLiteral("((((cc.MINVALUE>=") + sqlNumber(a) + QStringLiteral(") and (cc.MINVALUE<=")
            + sqlNumber(hi) + QStringLiteral(")) ") + p + QStringLiteral(") and (cc.ELEMENTNO=") + e + QStringLiteral("))");
    }
    if (!c.maxValue)
        return QStringLiteral("(((cc.MINVALUE>=") + sqlNumber(a) + QStringLiteral(")") + q
            + QStringLiteral(") and ((cc.MAXVALUE>=") + sqlNumber(a)
            + QStringLiteral(") or (cc.MAXVALUE is NULL)) and (cc.ELEMENTNO=") + e + QStringLiteral("))");
    return QStringLiteral("((((cc.MINVALUE>=") + sqlNumber(a) + QStringLiteral(") and (cc.MINVALUE<=")
        + sqlNumber(*c.maxValue) + QStringLiteral("))") + p + QStringLiteral(") and (cc.ELEMENTNO=") + e + QStringLiteral("))");
}

QString upperPart(const ChemCriterion &c, const std::optional<double> &deviation, bool keep)
{
    const QString e = sqlNumber(c.elementNo);
    const double b = *c.maxValue;
    const QString r = keep ? QStringLiteral(" or (cc.MAXVALUE is NULL)") : QStringLiteral(" and (not cc.MAXVALUE is NULL)");
    const QString s = keep ? QStringLiteral(" and (not cc.MAXVALUE is NULL)") : QStringLiteral(" or (cc.MAXVALUE is NULL)");
    if (deviation) {
        const double lo = tolerance(100.0 - *deviation, b);
        return QStringLiteral("((((cc.MAXVALUE>=") + sqlNumber(lo) + QStringLiteral(") and (cc.MAXVALUE<=")
            + sqlNumber(b) + QStringLiteral("))") + r + QStringLiteral(") and (cc.ELEMENTNO=") + e + QStringLiteral("))");
    }
    if (!c.minValue)
        return QStringLiteral("(((cc.MAXVALUE<=") + sqlNumber(b) + QStringLiteral(")") + s
            + QStringLiteral(") and ((cc.MINVALUE<=") + sqlNumber(b)
            + QStringLiteral(") or (CC.MINVALUE is NULL)) and (cc.ELEMENTNO=") + e + QStringLiteral("))");
    return QStringLiteral("((((cc.MAXVALUE>=") + sqlNumber(*c.minValue) + QStringLiteral(") and (cc.MAXVALUE<=")
        + sqlNumber(b) + QStringLiteral("))") + r + QStringLiteral(") and (cc.ELEMENTNO=") + e + QStringLiteral("))");
}

} // namespace

SuccessRateError::SuccessRateError(const QString &message)
    : std::runtime_error(message.toStdString())
{
}

QList<ChemCriterion> readChemCriteria(db::Connection &conn)
{
    QList<ChemCriterion> list;
    db::Statement st(conn, QStringLiteral("select ElementNo, MinValue, MaxValue, Selected from UserChemComp order by Number"));
    while (st.step()) {
        ChemCriterion c;
        c.elementNo = st.value(0).toInt();
        readBoundsAndMark(st, 1, c);
        list.append(c);
    }
    return list;
}

QHash<int, double> readDeviations(db::Connection &conn)
{
    QHash<int, double> map;
    db::Statement st(conn, QStringLiteral("select ELEMENTNO, DIGRESS from SetupChemComp order by NUMBER"));
    while (st.step()) {
        if (st.isNull(0))
            continue;
        const int e = st.value(0).toInt();
        // The first row of an element is the one a locate finds.
        if (!map.contains(e))
            map.insert(e, st.isNull(1) ? 0.0 : st.value(1).toDouble());
    }
    return map;
}

int parseSuccessRate(const QString &value)
{
    bool ok = false;
    const int u = value.trimmed().toInt(&ok);
    if (!ok)
        throw SuccessRateError(QStringLiteral("'%1' není platná celočíselná hodnota.").arg(value));
    return u;
}

int readSuccessRate(db::Connection &conn)
{
    db::Statement st(conn, QStringLiteral("select Value from Setup where Items='USPESNOST'"));
    if (!st.step())
        throw SuccessRateError(QStringLiteral("'' není platná celočíselná hodnota."));
    return parseSuccessRate(st.value(0).toString());
}

int successThreshold(int u, int n)
{
    const qint64 p = static_cast<qint64>(u) * n;
    // Ceiling of p / 100 for either sign; integer division truncates toward zero.
    qint64 k = p / 100;
    if (p % 100 != 0 && p > 0)
        ++k;
    return static_cast<int>(k);
}

QStringList chemStageOneSql(const QList<ChemCriterion> &criteria, const QHash<int, double> &deviations,
                            const ChemOptions &options, int *criteriaCount)
{
    // One select whose criteria conditions are joined by "or" lists the same rows as a union of
    // one select per criterion (both deliver each row once), and the server runs it in about
    // half the time of the union.
    QStringList sql;
    int n = 0;
    for (const ChemCriterion &c : criteria) {
        if (!c.used())
            continue;
        if (++n == 1) {
            // Distinct: a material that stands twice in the contents tree (or a designation
            // entered twice) is delivered, and counted, once.
            sql << QStringLiteral("select distinct cc.Number, mat.Number MatNumber, nr.Name Norma, nr.Label Znacka, mat.Name MatNazev, cc.ElementNo")
                << QStringLiteral("  from Mat, Norms nr, ChemComp cc, MatTypes mt, Nodes nd")
                << QStringLiteral("  where (mat.Number=nd.MaterialNo) and ")
                << QStringLiteral("  (mat.Number=nr.MaterialNo) and (mat.Number=cc.MaterialNo) and (mt.Number=mat.TypeNo) and (");
            if (options.inMatType && options.matType != QStringLiteral("všechny kovy"))
                sql << QStringLiteral("mt.NAME LIKE ") + sqlQuote(options.matType) + QStringLiteral(") and (");
        }
        std::optional<double> deviation;
        if (auto it = deviations.constFind(c.elementNo); it != deviations.constEnd())
            deviation = *it;
        QString cond;
        QString join;
        if (c.minValue) {
            cond = lowerPart(c, deviation, options.keepInterval);
            join = options.keepInterval ? QStringLiteral(" and ") : QStringLiteral(" or ");
        }
        if (c.maxValue)
            cond += join + upperPart(c, deviation, options.keepInterval);
        sql << (n == 1 ? QStringLiteral("(") : QStringLiteral("or (")) + cond + QStringLiteral(")");
    }
    if (n > 0)
        sql << QStringLiteral(")");
    if (criteriaCount)
        *criteriaCount = n;
    return sql;
}

QStringList chemResultSql(ChemThreshold threshold, int n, int k)
{
    QStringList sql;
    sql << QStringLiteral("select COUNT(fcc.Norma) Factor,fcc.Norma, fcc.Znacka, fcc.MatNazev, fcc.MatNumber")
        << QStringLiteral("  from FindChemComp fcc")
        << QString()
        << QStringLiteral("  group by fcc.Norma, fcc.Znacka, fcc.MatNazev, fcc.MatNumber")
        << QString()
        // Ties are broken down to the material, and empty texts come first on either engine,
        // so that every engine lists the same rows in the same order.
        << QStringLiteral("  order by Factor desc, Norma nulls first, Znacka nulls first, MatNazev nulls first, MatNumber")
        << QString();
    switch (threshold) {
    case ChemThreshold::Exact:
        sql[4] = QStringLiteral("  having COUNT(fcc.Norma) =") + sqlNumber(n);
        break;
    case ChemThreshold::All:
        break;
    case ChemThreshold::AtLeast:
        sql[4] = QStringLiteral("  having COUNT(fcc.Norma) >=") + sqlNumber(k);
        break;
    }
    return sql;
}

void setChemFallback(QStringList &resultSql)
{
    resultSql[0] = QStringLiteral("select fcc.Number Factor,fcc.Norma, fcc.Znacka, fcc.MatNazev, fcc.MatNumber");
    resultSql[3] = QStringLiteral("  group by fcc.Number, fcc.Norma, fcc.Znacka, fcc.MatNazev, fcc.MatNumber");
}

QString chemFillSql(const QStringList &stageOneSql)
{
    return QStringLiteral("insert into FindChemComp (Number, MatNumber, Norma, Znacka, MatNazev)\n"
                          "select Number, MatNumber, Norma, Znacka, MatNazev from (\n")
        + stageOneSql.join(QLatin1Char('\n')) + QStringLiteral("\n) hits");
}

std::optional<double> matchPercent(int count, int n)
{
    if (count == 0 || n == 0)
        return std::nullopt;
    return count / (n / 100.0);
}

ChemSearchOutcome runChemSearch(db::Connection &conn, const ChemOptions &options)
{
    const QList<ChemCriterion> criteria = readChemCriteria(conn);
    const QHash<int, double> deviations = readDeviations(conn);
    const int u = readSuccessRate(conn);
    return runChemSearch(conn, criteria, deviations, u, options);
}

ChemSearchOutcome runChemSearch(db::Connection &conn, const QList<ChemCriterion> &criteria,
                                const QHash<int, double> &deviations, int successRate,
                                const ChemOptions &options)
{
    ChemSearchOutcome out;
    out.stageOneSql = chemStageOneSql(criteria, deviations, options, &out.criteriaCount);
    {
        db::Transaction tr(conn);
        conn.exec(QStringLiteral("delete from FindChemComp"));
        if (out.criteriaCount != 0)
            conn.exec(chemFillSql(out.stageOneSql));
        tr.commit();
    }
    out.resultSql = chemResultSql(options.threshold, out.criteriaCount,
                                  successThreshold(successRate, out.criteriaCount));
    db::Statement st(conn, out.resultSql.join(QLatin1Char('\n')));
    if (st.step() && !st.isNull(0) && st.value(0).toInt() == 0) {
        setChemFallback(out.resultSql);
        out.fallback = true;
    }
    return out;
}

QList<ChemResultRow> readChemResult(db::Connection &conn, const ChemSearchOutcome &outcome)
{
    QList<ChemResultRow> rows;
    db::Statement st(conn, outcome.resultSql.join(QLatin1Char('\n')));
    while (st.step()) {
        ChemResultRow r;
        r.factor = st.value(0).toInt();
        r.norma = st.value(1).toString();
        r.znacka = st.value(2).toString();
        r.matNazev = st.value(3).toString();
        r.matNumber = st.value(4).toInt();
        r.percent = matchPercent(r.factor, outcome.criteriaCount);
        rows.append(r);
    }
    return rows;
}

} // namespace orv::search
