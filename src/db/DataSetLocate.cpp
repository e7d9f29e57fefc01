// Finding rows: locate and lookup (with the column index an exact key builds) and the
// filter that narrows the rows shown.
#include "db/DataSet.h"
#include "db/DataSetPrivate.h"

#include "db/FilterExpr.h"

namespace orv::db {

// ---------------------------------------------------------------- locate

void DataSet::invalidateIndexes()
{
    m_indexes.clear();
}

bool DataSet::matches(int viewRow, const QList<Field *> &fields, const QVariantList &values,
                      LocateOptions options) const
{
    const int stored = rowOf(viewRow);
    for (int i = 0; i < fields.size(); ++i) {
        const QVariant v = storedValue(*fields[i], stored);
        const QVariant &want = values[i];
        const bool vNull = v.isNull(), wNull = want.isNull();
        if (vNull || wNull) {
            if (vNull != wNull)
                return false;
            continue;
        }
        if (!isNumeric(v) || !isNumeric(want)) {
            if (options.caseInsensitive || options.partialKey || (!isNumeric(v) && !isNumeric(want))) {
                const QString a = v.toString(), b = want.toString();
                const Qt::CaseSensitivity cs = options.caseInsensitive ? Qt::CaseInsensitive : Qt::CaseSensitive;
                if (options.partialKey ? !a.startsWith(b, cs) : a.compare(b, cs) != 0)
                    return false;
                continue;
            }
        }
        if (!sameValue(v, want))
            return false;
    }
    return true;
}

int DataSet::find(const QString &fieldNames, const QVariantList &values, LocateOptions options) const
{
    if (!isOpen())
        return -1;
    const QStringList names = fieldNames.split(u';', Qt::SkipEmptyParts);
    if (names.size() != values.size() || names.isEmpty())
        throw DbError(QStringLiteral("%1: počet polí a hodnot hledání nesouhlasí.").arg(m_name));
    QList<Field *> flds;
    for (const QString &n : names)
        flds << &fieldByName(n.trimmed());
    const int n = recordCount();

    // One exact key on a stored column: answer from a hash index (built on first use).
    if (flds.size() == 1 && flds[0]->m_kind == FieldKind::Data && flds[0]->m_column >= 0
        && !options.caseInsensitive && !options.partialKey && !isEditing()) {
        const int col = flds[0]->m_column;
        if (m_indexes.size() != size_t(m_cols))
            m_indexes.resize(size_t(m_cols));
        auto &ix = m_indexes[size_t(col)];
        if (!ix) {
            ix = std::make_unique<ColumnIndex>();
            ix->numbers.reserve(n);
            for (int r = 0; r < n; ++r) {
                const QVariant &v = cell(rowOf(r), col);
                if (v.isNull()) {
                    if (ix->nullRow < 0)
                        ix->nullRow = r;
                } else if (isNumeric(v)) {
                    ix->numbers.insert(numberOf(v), r);
                } else {
                    const QString key = v.toString();
                    if (!ix->texts.contains(key)) // the first row wins
                        ix->texts.insert(key, r);
                }
            }
        }
        const QVariant &want = values[0];
        if (want.isNull())
            return ix->nullRow;
        if (isNumeric(want)) {
            const int row = ix->numbers.find(numberOf(want));
            if (row >= 0)
                return row;
            // A number may also be stored as its text.
            auto t = ix->texts.constFind(want.toString());
            return t != ix->texts.constEnd() ? t.value() : -1;
        }
        auto t = ix->texts.constFind(want.toString());
        if (t != ix->texts.constEnd())
            return t.value();
        bool ok = false;
        const double d = want.toString().toDouble(&ok);
        if (ok && flds[0]->isNumeric()) {
            const int row = ix->numbers.find(d);
            if (row >= 0)
                return row;
        }
        return -1;
    }
    for (int r = 0; r < n; ++r)
        if (matches(r, flds, values, options))
            return r;
    return -1;
}

bool DataSet::locate(const QString &fields, const QVariant &value, LocateOptions options)
{
    return locate(fields, value.typeId() == QMetaType::QVariantList ? value.toList() : QVariantList{value}, options);
}

bool DataSet::locate(const QString &fields, const QVariantList &values, LocateOptions options)
{
    if (!isOpen())
        return false;
    checkBrowseMode();
    const int row = find(fields, values, options);
    if (row < 0)
        return false;
    m_bof = m_eof = false;
    if (row != m_cur) {
        m_cur = row;
        afterScrollEvent();
    }
    return true;
}

QVariant DataSet::lookup(const QString &keyFields, const QVariant &keyValue, const QString &resultField) const
{
    const QVariantList keys = keyValue.typeId() == QMetaType::QVariantList ? keyValue.toList() : QVariantList{keyValue};
    const int row = find(keyFields, keys);
    return row < 0 ? QVariant() : valueAt(row, resultField);
}

// ---------------------------------------------------------------- filter

void DataSet::setFilter(const QString &expression)
{
    m_filterText = expression;
    m_filterExpr = expression.trimmed().isEmpty() ? nullptr : FilterExpr::parse(expression);
    // A filter in force is applied anew as switching it on applies it.
    if (m_filtered) {
        m_filtered = false;
        setFiltered(true);
    }
}

void DataSet::setFiltered(bool filtered)
{
    if (m_filtered == filtered)
        return;
    m_filtered = filtered;
    if (isOpen()) {
        checkBrowseMode();
        invalidateIndexes();
        rebuildView();
        setCurrent(0, false);
        m_bof = true;
        m_eof = recordCount() == 0;
        emit rowsReset();
        afterScrollEvent();
    }
}

} // namespace orv::db
