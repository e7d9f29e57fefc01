#pragma once
// The next-number rule: a new row's Number is the highest Number of its table plus 1, or 1
// for an empty table, read through the user session's qTemp query.

#include "db/DataSet.h"

namespace orv::db {

// Clears qTemp, gives it "select MAX(NUMBER)" and "  from <TABLE>", opens it, takes the first
// column of the first row plus 1 (1 when empty or null) and closes it again.
int nextNumber(DataSet &qTemp, const QString &table);

// A new-record hook that sets the field "Number" of the new row by the rule.
std::function<void(DataSet &)> numberNewRows(DataSet &qTemp, const QString &table);

} // namespace orv::db
