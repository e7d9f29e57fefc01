#pragma once
// What a PostgreSQL database needs before the program can work on it: the schema "orvalis"
// with every table of the program (the catalogue's tables, which on the server hold the
// catalogue's rows and the team's own materials together as the user file's working copies
// do, the Own<Table> property tables and the user's tables), the functions the queries call
// (fold, the windows-1250 ordering key, group_concat, round of a double) and the group role
// whose members may read and write the data. The database is created with C collation and
// UTF-8 ctype (CREATE DATABASE ... LC_COLLATE 'C' LC_CTYPE 'C.UTF-8'), so that ordering by
// the key is by code points and upper() knows Czech letters.

#include "db/Schema.h"

#include <QString>
#include <QStringList>

namespace orv::db {

// The schema every session puts first on its search path, before the built-in functions.
inline QString serverSchema() { return QStringLiteral("orvalis"); }
// The group role granted the data; members log in as themselves.
inline QString serverUsersRole() { return QStringLiteral("orvalis_users"); }
// The schema of one engineer's settings is this prefix and the login name.
inline QString serverEngineerSchemaPrefix() { return QStringLiteral("orv_user_"); }

// The tables of the user file that hold one engineer's settings (the Setup values, the
// deviations of the composition search, the criteria lists of the two searches). On the server
// each login has them in a schema of its own, made on its first session from the rows of the
// same tables in the shared schema (the template an administrator may preset).
const QStringList &serverEngineerTables();
// The search work tables: temporary tables of each session, so one engineer's search never
// touches another's hits.
const QStringList &serverSessionTables();
// The name of the sequence that numbers new rows of a shared table (schema-qualified), or empty
// when the table takes the highest Number plus 1 (an engineer's own tables, the work tables).
QString serverSequence(const QString &table);

// The statements that set up an empty database, in order; running them again is harmless.
// The role running them owns what they make (the tables, the function that makes the
// engineers' schemas): the database's owner or a superuser.
QStringList serverSetupStatements();
// Every sequence set above the highest Number of its table (after a bulk load); one statement.
QString serverSequenceSyncStatement();
// What a session runs first: the search path, the work tables and, for an engineer's session
// on a database that has the function, the engineer's schema first on the path. One text.
QString serverSessionStatements(bool engineer);
// The indexes of every table, created after a bulk load.
QStringList serverIndexStatements();
// The server's type of a column type.
QString serverType(ColumnType type);
// CREATE TABLE of one table on the server (unquoted names, folded to lower case).
// With `schemaName`, in that schema (a staging schema for a bulk load).
QString serverCreateTable(const TableDef &table, const QString &schemaName = QString());

} // namespace orv::db
