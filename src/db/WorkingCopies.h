#pragma once
// The user database keeps a working copy of each material table (workingCopyTables()): the
// rows of the catalogue it was filled from and the user's own materials with everything they
// consist of. The program's sessions open the user file as their main database, so every
// query, join and editable data set finds these copies under the catalogue's table names,
// while the catalogue file is attached read-only and never written.
//
// When the catalogue file changes (a rebuild, an import, a new edition), the copies are filled
// again from it in one transaction: the own rows are taken out first, the catalogue's rows
// replace the rest, and the own rows go back. An own row whose number the new catalogue uses
// gets the next free number, and every row and user table that points at it follows (a note
// that the catalogue holds under the same number with the same text is simply the catalogue's
// note again). The very first fill takes the own materials that an earlier version of the
// program wrote into the catalogue file itself out of that file (the file stays as it is).
//
// Own rows: the materials with Private = 'A'; their rows of Nodes, Norms, CompareNorms and
// ChemComp; the Notices these or the own materials' property rows (ownPropertyTable(T), which
// live in the user file only and are not copied) point at. References to the code lists stay.

#include "db/Connection.h"

#include <QList>
#include <QString>

namespace orv::db {

struct RenumberedRow {
    QString table;
    qint64 from = 0;
    qint64 to = 0;
};

struct WorkingCopyRefresh {
    bool refreshed = false;          // the copies were filled from the catalogue now
    bool firstFill = false;          // ... for the first time
    int ownMaterials = 0;            // own materials kept
    int carriedOutOfCatalogue = 0;   // own materials taken out of the catalogue file
    QList<RenumberedRow> renumbered; // own rows that got a new number

    int renumberedMaterials() const;
    // What the user is told (Czech); empty when there is nothing worth saying.
    QString message() const;
};

// Whether material M is one of the user's own ones (Private "A"): its property rows are then
// in the own tables (propertyTablesIn).
bool isOwnMaterial(Connection &session, int materialNo);

// The stamp of a catalogue file: size, modification time and the engine's change counter.
QString catalogueStamp(const QString &catalogueFile);

// Whether the working copies of `session` (user file as main, catalogue attached) were filled
// from the catalogue file as it is now.
bool workingCopiesCurrent(Connection &session);

// Fills the working copies from the attached catalogue when they are not current (or always,
// with `force`), keeping every own row; one transaction. `session` must have been opened
// with Connection::openWorking() on a writable user file.
WorkingCopyRefresh refreshWorkingCopies(Connection &session, bool force = false);

// The same on a server database: the new catalogue's tables have been loaded into the schema
// `stagingSchema` (tables as serverCreateTable(def, stagingSchema) makes them); its rows replace
// the catalogue rows of the server's tables, the team's own rows stay by the rule above (own
// rows whose number the new catalogue uses are renumbered), and the catalogue's other tables
// are replaced whole. `stamp` (the edition loaded) goes into CatalogueCopy. One transaction,
// or a savepoint in the caller's.
WorkingCopyRefresh replaceServerCatalogue(Connection &server, const QString &stagingSchema, const QString &stamp);

} // namespace orv::db
