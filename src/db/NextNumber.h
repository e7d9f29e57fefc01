#pragma once
// The next-number rule: a new row's Number is the highest Number of its table plus 1, or 1
// for an empty table, read through the user session's qTemp query. On the server the shared
// tables take it from their sequence instead (serverSequence()), so that sessions creating
// rows at once get distinct numbers; an engineer's own settings tables keep the rule.

#include "db/DataSet.h"

namespace orv::db {

// The next Number of `table` on `connection` by the rule.
qint64 nextNumber(Connection &connection, const QString &table);

// Runs "select MAX(NUMBER) from <TABLE>" (or the sequence) on qTemp's connection (qTemp is left closed) and
// takes the value plus 1 (1 when empty or null).
int nextNumber(DataSet &qTemp, const QString &table);

// A new-record hook that sets the field "Number" of the new row by the rule.
std::function<void(DataSet &)> numberNewRows(DataSet &qTemp, const QString &table);

} // namespace orv::db
