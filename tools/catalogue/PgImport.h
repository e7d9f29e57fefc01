#pragma once
// The catalogue on a team's PostgreSQL server: setting up an empty database (tables, server
// functions, the group role and its grants) and loading a built catalogue file into it.
//
// A load is one transaction. The tables that hold the team's own rows besides the catalogue's
// (materials, tree nodes, designations, equivalents, composition, notes) are sent with COPY
// into a staging schema, from where the new rows replace the catalogue's while the own rows
// stay, by the rule of the user database's working copies (db::replaceServerCatalogue); the
// other catalogue tables hold nothing of the team's and are emptied and sent straight into
// place. The indexes are dropped for the load and made again, then the statistics gathered.
// Any failure rolls everything back: the server keeps the rows it had. While it runs, the
// tables are locked: sessions of the program wait until the new catalogue is there.

#include "SqliteFile.h"

#include "db/WorkingCopies.h"

#include <QList>
#include <QString>

namespace orv::catalogue {

struct PgTableLoad {
    QString table;
    qint64 rows = 0;
};

struct PgInitSummary {
    int statements = 0;
    int indexes = 0;
    double seconds = 0;
};

struct PgImportSummary {
    QList<PgTableLoad> tables; // in the order loaded
    qint64 rows = 0;
    int ownMaterials = 0;      // the team's own materials kept
    QList<db::RenumberedRow> renumbered;
    QString message;           // what the refresh tells about own rows (Czech), or empty
    int propertyTypesAdded = 0; // kinds of property new to the server (from user.sqlite)
    int engineerTemplates = 0;  // engineers' settings tables preset from user.sqlite
    int indexes = 0;
    double seconds = 0;
};

// Runs the server setup in one transaction. Throws ToolError (Czech) on failure.
PgInitSummary pgInit(const QString &conninfo);

// Loads `dataFolder`/catalogue.sqlite into the server, and the kinds of property (PropType)
// of user.sqlite beside it that the server does not have yet. Throws ToolError (Czech) on failure,
// the server then being as it was.
PgImportSummary pgImport(const QString &dataFolder, const QString &conninfo);

struct PgAddUserSummary {
    QString login;
    bool created = false; // a new login role; else an existing role joined the group
};

// Makes `login` an engineer of the team: a login role of its own (no password; the server's
// authentication decides) in the group role of the program, or an existing role added to the
// group. Throws ToolError (Czech).
PgAddUserSummary pgAddUser(const QString &conninfo, const QString &login);

// What the commands print (Czech).
QString pgAddUserText(const PgAddUserSummary &s);
QString pgInitText(const PgInitSummary &s);
QString pgImportText(const PgImportSummary &s);

} // namespace orv::catalogue
