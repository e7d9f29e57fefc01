#pragma once
// Setup value reader and writer: settings stored as key rows (Items, Value) of the Setup table.

#include "db/DataSet.h"

namespace orv::db {

// Locates the row whose Items equals `key` (exact, case-sensitive) and returns its Value, or
// an empty text when there is none. The data set is left standing on the located row.
QString readSetupValue(DataSet &tSetup, const QString &key);
// Updates the row of `key`, or adds one (its Number comes from the data set's new-record
// hook, the next-number rule), and posts it.
void writeSetupValue(DataSet &tSetup, const QString &key, const QString &value);

} // namespace orv::db
