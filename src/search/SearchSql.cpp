#include "search/SearchSql.h"

#include "core/CodePage.h"
#include "core/SqlText.h"

namespace orv::search {
namespace {

const QString kEscape = QStringLiteral(" ESCAPE '\\'");

QStringList linesWith(int count, std::initializer_list<std::pair<int, const char16_t *>> texts)
{
    QStringList lines;
    for (int i = 0; i < count; ++i)
        lines.append(QString());
    for (const auto &[n, t] : texts)
        lines[n] = QString::fromUtf16(t);
    return lines;
}

// A LIKE comparison of `expr` with the pattern `pattern`, whose wildcards are meant as such
// and whose other characters were escaped by likeEscape.
QString likeCondition(const QString &expr, const QString &pattern)
{
    return expr + QStringLiteral(" LIKE ") + sqlQuote(pattern) + kEscape;
}

QString upperCase(const QString &text, bool caseSensitive)
{
    // QString::toUpper maps every Unicode letter, Czech ones included, just as the
    // connection's UPPER() does on the column side.
    return caseSensitive ? text : text.toUpper();
}

// The condition on one name column (cn.Name/cn.NameShort or cn.Label/cn.LabelShort).
QString nameCondition(const QString &field, const DesignationCriteria &c, const QString &pattern)
{
    const QString u = c.caseSensitive ? QString() : QStringLiteral("UPPER(");
    const QString v = c.caseSensitive ? QString() : QStringLiteral(")");
    if (c.precision != Precision::Approximate)
        return likeCondition(u + field + v, pattern);
    const QStringList pieces = upperCase(collapseSpaces(c.text), c.caseSensitive).split(u' ');
    QString d = QStringLiteral("(");
    for (int i = 0; i < pieces.size(); ++i) {
        d += likeCondition(u + field + v, QStringLiteral("%") + likeEscape(pieces.at(i)) + QStringLiteral("%"));
        if (i + 1 < pieces.size())
            d += QStringLiteral(" and ");
    }
    return d + QStringLiteral(")");
}

} // namespace

SearchTextError::SearchTextError(const QString &message)
    : std::runtime_error(message.toStdString())
{
}

void checkSearchText(const QString &text)
{
    if (text.size() > maxSearchTextLength)
        throw SearchTextError(QStringLiteral("Hledaný text je příliš dlouhý (%1 znaků).\r\r"
                                             "Zadejte prosím nejvýše %2 znaků.")
                                  .arg(text.size())
                                  .arg(maxSearchTextLength));
}

QString collapseSpaces(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (QChar ch : text) {
        if (ch == u' ' && (out.isEmpty() || out.back() == u' '))
            continue;
        out.append(ch);
    }
    if (out.endsWith(u' '))
        out.chop(1);
    return out;
}

QStringList designationBaseSql()
{
    return linesWith(31, {
        {0, u"select mat.Number MatNumber, cn.Name Norma, cn.Label Znacka, co.Name Stat, nr.Name NormaListu, nr.Label ZnackaListu"},
        {1, u"  from Mat, CompareNorms cn, Country co, MatTypes mt, Norms nr, Nodes nd"},
        {2, u"  where"},
        {3, u"  (mat.Number=cn.MaterialNo) and (cn.CountryNo=co.Number) and (mat.TypeNo=mt.Number) and (nr.MaterialNo=mat.Number) and (mat.Number=nd.MaterialNo)"},
        {30, u"group by mat.Number, cn.Name, cn.Label, co.Name, nr.Name, nr.Label"},
    });
}

QStringList usageBaseSql()
{
    return linesWith(31, {
        {0, u"select mat.Number MatNumber, nr.Name Norma, nr.Label Znacka, mat.Name MatNazev"},
        {1, u"  from mat, norms nr, MatTypes mt, Nodes nd"},
        {2, u"  where nr.MaterialNo=mat.Number and mt.Number=mat.TypeNo and mat.Number=nd.MaterialNo"},
        {29, u"  group by mat.Number, nr.Name, nr.Label, mat.Name"},
        {30, u"  order by Norma nulls first, Znacka nulls first, MatNumber"},
    });
}

namespace {

// The second select of the designation search: the material sheet's own standard and
// designation (Norms), listed like an equivalent with the country of its standard.
QStringList ownDesignationBaseSql()
{
    return linesWith(31, {
        {0, u"select mat.Number MatNumber, nr.Name Norma, nr.Label Znacka, co.Name Stat, nr.Name NormaListu, nr.Label ZnackaListu"},
        {1, u"  from Mat, MatTypes mt, Nodes nd, Norms nr left join Country co on nr.CountryNo=co.Number"},
        {2, u"  where"},
        {3, u"  (mat.TypeNo=mt.Number) and (nr.MaterialNo=mat.Number) and (mat.Number=nd.MaterialNo)"},
        {30, u"group by mat.Number, nr.Name, nr.Label, co.Name"},
    });
}

// Writes the conditions of the designation search on the standard and designation columns
// of `alias` (cn: the equivalents, nr: the sheet's own designation) into `sql`.
void writeDesignationConditions(QStringList &sql, const DesignationCriteria &c, const QString &k,
                                const QString &alias)
{
    const bool anyName = c.inNames || c.inLabels;
    const QString name = alias + (c.withoutSpaces ? QStringLiteral(".NameShort") : QStringLiteral(".Name"));
    const QString label = alias + (c.withoutSpaces ? QStringLiteral(".LabelShort") : QStringLiteral(".Label"));
    if (anyName)
        appendWhere(sql, QStringLiteral("("), JoinMode::And);
    if (c.inNames)
        appendWhere(sql, nameCondition(name, c, k), JoinMode::None);
    if (c.inLabels)
        appendWhere(sql, nameCondition(label, c, k), c.inNames ? JoinMode::Or : JoinMode::None);
    if (c.inNames && c.inLabels && c.precision != Precision::Approximate) {
        // The standard and the grade typed together ("AISI 304", "AISI304"). Not for the
        // approximate search, whose pieces would match across the two ("NI" of "ENISO").
        if (c.withoutSpaces) {
            appendWhere(sql, nameCondition(name + QStringLiteral("||") + label, c, k), JoinMode::Or);
        } else {
            appendWhere(sql, nameCondition(name + QStringLiteral("||' '||") + label, c, k), JoinMode::Or);
            appendWhere(sql, nameCondition(name + QStringLiteral("||") + label, c, k), JoinMode::Or);
        }
    }
    if (anyName)
        appendWhere(sql, QStringLiteral(")"), JoinMode::None);
    if (c.inCountry && c.country != allCountries())
        appendWhere(sql, likeCondition(QStringLiteral("co.Name"), likeEscape(c.country)), JoinMode::And);
    if (c.inMatType && c.matType != allMetals())
        appendWhere(sql, likeCondition(QStringLiteral("mt.Name"), likeEscape(c.matType)), JoinMode::And);
}

// 0 when the row's standard, designation or both together are exactly the typed text, else 1:
// the result lists exact matches first ("AISI 304" before "AISI 304L" and "AISI 304H").
QString exactMatchColumn(const DesignationCriteria &c, const QString &alias)
{
    QString typed = upperCase(collapseSpaces(c.text.trimmed()), c.caseSensitive);
    if (c.withoutSpaces)
        typed = stripSpaces(typed);
    const QString name = alias + (c.withoutSpaces ? QStringLiteral(".NameShort") : QStringLiteral(".Name"));
    const QString label = alias + (c.withoutSpaces ? QStringLiteral(".LabelShort") : QStringLiteral(".Label"));
    QStringList sides{name, label, name + QStringLiteral("||") + label};
    if (!c.withoutSpaces)
        sides << name + QStringLiteral("||' '||") + label;
    QStringList tests;
    for (const QString &side : std::as_const(sides))
        tests << (c.caseSensitive ? side : QStringLiteral("UPPER(") + side + QStringLiteral(")")) + QStringLiteral("=")
                     + sqlQuote(typed);
    // An aggregate: the name columns tested need not be grouped on, and a group with an exact
    // row counts as exact.
    return QStringLiteral(", min(case when ") + tests.join(QStringLiteral(" or ")) + QStringLiteral(" then 0 else 1 end) ")
        + exactMatchField();
}

} // namespace

QString exactMatchField()
{
    return QStringLiteral("Shoda");
}

void buildDesignationSql(QStringList &sql, const DesignationCriteria &c)
{
    sql = designationBaseSql();
    checkSearchText(c.text);

    QString k;
    switch (c.precision) {
    case Precision::Exact: k = likeEscape(c.text); break;
    case Precision::FromLeft: k = likeEscape(c.text) + QStringLiteral("%"); break;
    case Precision::Part: k = QStringLiteral("%") + likeEscape(c.text) + QStringLiteral("%"); break;
    case Precision::Approximate: break;
    }
    k = upperCase(k, c.caseSensitive);
    if (c.withoutSpaces && (c.inNames || c.inLabels))
        k = stripSpaces(k);

    writeDesignationConditions(sql, c, k, QStringLiteral("cn"));
    sql[0] += exactMatchColumn(c, QStringLiteral("cn"));
    // The sheet's own designation is found as well ("42CrMo4", "ČSN EN 10083-2").
    QStringList own = ownDesignationBaseSql();
    writeDesignationConditions(own, c, k, QStringLiteral("nr"));
    own[0] += exactMatchColumn(c, QStringLiteral("nr"));
    sql.append(QStringLiteral("union"));
    sql.append(own);
    // Otherwise in the order the union gave them before: by material, then by the columns,
    // empty ones first whatever the engine's habit.
    sql.append(QStringLiteral("  order by ") + exactMatchField()
               + QStringLiteral(", MatNumber, Norma nulls first, Znacka nulls first, Stat nulls first, "
                                "NormaListu nulls first, ZnackaListu nulls first"));
}

void buildUsageSql(QStringList &sql, const UsageCriteria &c)
{
    sql = usageBaseSql();
    if (c.byUsage)
        checkSearchText(c.text);
    if (c.inMatType && c.matType != allMetals())
        appendWhere(sql, QStringLiteral(" mt.NAME = ") + sqlQuote(c.matType), JoinMode::And);
    if (c.byUsage) {
        // Without regard to diacritics both sides are folded: "hridele" finds "hřídele".
        const QString text = c.ignoreDiacritics ? foldToAscii(c.text) : c.text;
        const QString p = QStringLiteral("%") + likeEscape(text) + QStringLiteral("%");
        QString cond = QStringLiteral(" (");
        const char *const columns[] = {"PURPOSE", "PURPOSE1", "PURPOSE2", "PURPOSE3", "PURPOSE4", "PURPOSE5"};
        for (int i = 0; i < 6; ++i) {
            if (i > 0)
                cond += QStringLiteral(" or ");
            const QString column = QStringLiteral("mat.") + QLatin1String(columns[i]);
            cond += likeCondition(c.ignoreDiacritics ? QStringLiteral("FOLD(") + column + QStringLiteral(")") : column, p);
        }
        appendWhere(sql, cond + QStringLiteral(")"), JoinMode::And);
    }
}

} // namespace orv::search
