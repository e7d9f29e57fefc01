#pragma once
// Creating the two database files from the schema: the catalogue tables go into the catalogue
// file, the user tables (and the private mirror) into the user file. A file is built under a
// temporary name and renamed over the target, so a failure leaves nothing half-written.

#include "db/Connection.h"
#include "db/Schema.h"

#include <QString>

namespace orv::db {

// Creates `file` holding the tables of `which` (empty). An existing file is replaced only
// when `replace` is true; otherwise its missing tables are added.
void createDatabaseFile(const QString &file, Database which, bool replace = false);
// Both files at once.
void createDatabaseFiles(const QString &catalogueFile, const QString &userFile, bool replace = false);
// Creates the tables of `which` that do not exist yet in `schemaName` of an open connection.
void createMissingTables(Connection &connection, Database which,
                         const QString &schemaName = QStringLiteral("main"));

} // namespace orv::db
