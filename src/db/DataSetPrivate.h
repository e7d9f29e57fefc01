#pragma once
// What the parts of DataSet (DataSet.cpp, DataSetLocate.cpp, DataSetChanges.cpp) share:
// name and value comparisons and the per-column index that exact locates build.
// Private to the library.

#include "db/DataSet.h"
#include "db/FilterExpr.h"

#include <QHash>
#include <QString>
#include <QVariant>

#include <cstring>
#include <vector>

namespace orv::db {

namespace {

inline bool sameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

inline QString quoteIdent(const QString &name)
{
    return QLatin1Char('"') + QString(name).replace(u'"', QStringLiteral("\"\"")) + QLatin1Char('"');
}

inline bool isNumeric(const QVariant &v)
{
    const int t = v.typeId();
    return t == QMetaType::Int || t == QMetaType::LongLong || t == QMetaType::Double || t == QMetaType::Bool
        || t == QMetaType::UInt || t == QMetaType::Float;
}

// The number a numeric cell holds, read without the general conversion machinery.
inline double numberOf(const QVariant &v)
{
    switch (v.typeId()) {
    case QMetaType::Int: return *static_cast<const int *>(v.constData());
    case QMetaType::LongLong: return double(*static_cast<const qlonglong *>(v.constData()));
    case QMetaType::Double: return *static_cast<const double *>(v.constData());
    case QMetaType::Bool: return *static_cast<const bool *>(v.constData()) ? 1.0 : 0.0;
    default: return v.toDouble();
    }
}

inline bool sameValue(const QVariant &a, const QVariant &b)
{
    const bool an = !a.isValid() || a.isNull(), bn = !b.isValid() || b.isNull();
    if (an || bn)
        return an == bn;
    bool comparable = false;
    return compareValues(a, b, &comparable) == 0 && comparable;
}

} // namespace

// Open-addressing table from a number to the first row holding it: one flat array, so that
// building it over a large result is a single pass without an allocation per row.
class NumberIndex {
public:
    void reserve(int count)
    {
        size_t cap = 16;
        while (cap < size_t(count) * 2)
            cap <<= 1;
        m_keys.assign(cap, 0);
        m_rows.assign(cap, -1);
        m_mask = cap - 1;
    }
    // Keeps the row already stored for the key (the first one when filled in row order).
    void insert(double key, int row)
    {
        const quint64 k = bits(key);
        for (size_t i = hash(k) & m_mask;; i = (i + 1) & m_mask) {
            if (m_rows[i] < 0) {
                m_keys[i] = k;
                m_rows[i] = row;
                return;
            }
            if (m_keys[i] == k)
                return;
        }
    }
    int find(double key) const
    {
        if (m_rows.empty())
            return -1;
        const quint64 k = bits(key);
        for (size_t i = hash(k) & m_mask;; i = (i + 1) & m_mask) {
            if (m_rows[i] < 0)
                return -1;
            if (m_keys[i] == k)
                return m_rows[i];
        }
    }

private:
    static quint64 bits(double d)
    {
        if (d == 0)
            d = 0; // -0 and +0 are one key
        quint64 b;
        std::memcpy(&b, &d, sizeof b);
        return b;
    }
    static size_t hash(quint64 x)
    {
        x ^= x >> 33;
        x *= 0xff51afd7ed558ccdULL;
        x ^= x >> 33;
        x *= 0xc4ceb9fe1a85ec53ULL;
        x ^= x >> 33;
        return size_t(x);
    }
    std::vector<quint64> m_keys;
    std::vector<int> m_rows;
    size_t m_mask = 0;
};

// Hash index of one result column, built on the first exact locate and dropped on any change.
struct DataSet::ColumnIndex {
    NumberIndex numbers;
    QHash<QString, int> texts;
    int nullRow = -1;
};

} // namespace orv::db
