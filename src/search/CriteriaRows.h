#pragma once
// What the two criteria lists (UserChemComp for the composition search, UserMechProp for the
// property search) share when their rows are read: an optional lower and upper bound and
// the mark "Označit/Odznačit prvek".

#include "db/Connection.h"

#include <QVariant>

#include <optional>

namespace orv::search {

// A number, or nothing for NULL.
inline std::optional<double> optionalDouble(const QVariant &v)
{
    if (v.isNull())
        return std::nullopt;
    return v.toDouble();
}

// Reads MinValue, MaxValue and Selected from the columns `first`, `first` + 1 and `first` + 2
// of the statement's current row into the criterion's minValue, maxValue and selected.
template <typename Criterion>
void readBoundsAndMark(const db::Statement &st, int first, Criterion &c)
{
    c.minValue = optionalDouble(st.value(first));
    c.maxValue = optionalDouble(st.value(first + 1));
    c.selected = !st.isNull(first + 2) && st.value(first + 2).toInt() != 0;
}

} // namespace orv::search
