#include "browse/MaterialCardCells.h"

#include "db/FieldFormat.h"

namespace orv::browse {

namespace {

bool isEmptyValue(const QVariant &v)
{
    return v.isNull() || (v.typeId() == QMetaType::QString && v.toString().trimmed().isEmpty());
}

} // namespace

QString numberText(const QVariant &value, const QLocale &locale)
{
    if (isEmptyValue(value))
        return QString();
    bool ok = false;
    const double d = value.toDouble(&ok);
    if (!ok)
        return value.toString();
    return db::formatGeneral(d, locale);
}

QString rangeText(const QVariant &from, const QVariant &to, const QLocale &locale)
{
    const bool hasFrom = !isEmptyValue(from);
    const bool hasTo = !isEmptyValue(to);
    if (hasFrom && hasTo) {
        const QString a = numberText(from, locale), b = numberText(to, locale);
        // Equal bounds are one value: "840", not "840 - 840".
        return a == b ? a : a + QStringLiteral(" - ") + b;
    }
    if (hasTo)
        return QStringLiteral("<= ") + numberText(to, locale);
    if (hasFrom)
        return QStringLiteral(">= ") + numberText(from, locale);
    return QString();
}

QString withUnit(const QString &text, const QString &unit)
{
    const QString u = unit.trimmed();
    return text.isEmpty() || u.isEmpty() ? text : text + u' ' + u;
}

std::vector<CompositionColumn> compositionColumns(const std::vector<CompositionRow> &rows,
                                                  const QVariant &balanceElement, const QLocale &locale)
{
    std::vector<CompositionColumn> columns;
    columns.reserve(rows.size() + 1);
    for (const CompositionRow &row : rows) {
        CompositionColumn c;
        c.title = row.element;
        const bool hasMin = !isEmptyValue(row.minValue);
        const bool hasMax = !isEmptyValue(row.maxValue);
        // The two checks run one after the other, as the rows were always filled: the second
        // one wins for row 1 when only a minimum is known.
        if (!hasMin) {
            c.upper = QStringLiteral("max");
            c.lower = numberText(row.maxValue, locale);
        } else {
            c.upper = numberText(row.minValue, locale);
        }
        if (!hasMax) {
            c.upper = QStringLiteral("min");
            c.lower = numberText(row.minValue, locale);
        } else {
            c.lower = numberText(row.maxValue, locale);
        }
        columns.push_back(c);
    }
    if (balanceElement.isValid()) {
        CompositionColumn c;
        c.title = QStringLiteral("Zbytek");
        c.upper = balanceElement.toString();
        columns.push_back(c);
    }
    return columns;
}

} // namespace orv::browse
