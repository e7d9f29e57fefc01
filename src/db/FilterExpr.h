#pragma once
// The filter expressions of data sets: "GroupNo=1 or GroupNo=5". Comparisons of a field with
// a number, a quoted text, another field or null; and, or, not, parentheses; is [not] null.

#include <QString>
#include <QVariant>

#include <functional>
#include <memory>

namespace orv::db {

class FilterExpr {
public:
    // Throws DbError for a syntax error.
    static std::shared_ptr<FilterExpr> parse(const QString &text);
    virtual ~FilterExpr() = default;
    // `lookup` gives a field's value by name (throws for an unknown field).
    virtual bool eval(const std::function<QVariant(const QString &)> &lookup) const = 0;
};

// Compares two values the way filters and locate do: numbers numerically, texts exactly.
// Returns <0, 0, >0; `comparable` is false when either is null or the kinds differ.
int compareValues(const QVariant &a, const QVariant &b, bool *comparable);

} // namespace orv::db
