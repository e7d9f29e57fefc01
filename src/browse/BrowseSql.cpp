#include "browse/BrowseSql.h"

#include "core/SqlText.h"

namespace orv::browse {

QString quickFindMarker()
{
    return QStringLiteral("UPPER(nd.ShortLabel) LIKE");
}

QString quickFindText(const QString &typed, const QLocale &locale)
{
    return locale.toUpper(orv::stripSpaces(typed));
}

QString quickFindCondition(const QString &typed, const QLocale &locale)
{
    const QString pattern = QStringLiteral("%") + orv::likeEscape(quickFindText(typed, locale)) + QStringLiteral("%");
    const QString quoted = orv::sqlQuote(pattern) + QStringLiteral(" escape '\\'");
    // The node text holds the designation with its ČSN number in brackets ("C45 (12 050)"):
    // the number is found too, with or without its space.
    return QStringLiteral("(") + quickFindMarker() + QStringLiteral(" ") + quoted
         + QStringLiteral(" or UPPER(replace(nd.Text,' ','')) LIKE ") + quoted + QStringLiteral(")")
         + QStringLiteral(" and nd.MaterialNo=Mat.Number and (not nd.MaterialNo is null)");
}

void setQuickFind(QStringList &sql, const QString &typed, const QLocale &locale)
{
    clearQuickFind(sql);
    orv::appendWhere(sql, quickFindCondition(typed, locale), orv::JoinMode::And);
}

void clearQuickFind(QStringList &sql)
{
    orv::removeWhere(sql, quickFindMarker());
}

namespace {

QString &lineAt(QStringList &sql, int index)
{
    while (sql.size() <= index)
        sql.append(QString());
    return sql[index];
}

} // namespace

void setNotesFilterLines(QStringList &sql, bool on)
{
    if (on) {
        lineAt(sql, 1) = QStringLiteral("  from nodes nd, UserNotices un, mat m");
        lineAt(sql, 3) = QStringLiteral("  and (nd.MaterialNo=un.MaterialNo)");
    } else {
        lineAt(sql, 1) = QStringLiteral("  from nodes nd, mat m");
        lineAt(sql, 3).clear();
    }
}

bool notesFilterLinesOn(const QStringList &sql)
{
    return sql.size() > 3 && !sql.at(3).isEmpty();
}

} // namespace orv::browse
