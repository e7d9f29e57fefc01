#pragma once
// Turns the catalogue sources into the two database files: the catalogue (codes, contents
// tree, materials) and the user database (property types, settings, search criteria).

#include "CatalogueSource.h"
#include "SqliteFile.h"

#include <QMap>
#include <QString>

namespace orv::catalogue {

struct BuildSummary {
    int materials = 0;
    QMap<QString, int> perChapter; // top-level chapter text -> materials below it
    QMap<QString, int> perSubChapter; // chapter text -> materials directly in it
    UserFileOutcome userFile = UserFileOutcome::Created;
    QString ownRows; // what became of the own materials in the user file
};

// Checks the sources against the code lists and the column widths. Returns the problems,
// one line each, with file and line; empty when the sources are sound.
QStringList validateSource(const CatalogueSource &src);

// Writes `dataFolder`/catalogue.sqlite and `dataFolder`/user.sqlite (each to a temporary
// name first); an existing user file is kept (see installUserFile). Throws ToolError when the
// sources do not validate, hold no materials, or a file cannot be written.
BuildSummary buildCatalogue(const CatalogueSource &src, const QString &dataFolder);

// Writes only the code lists (everything but materials) into open files; shared with the
// generator of large catalogues.
class SqliteFile;
void writeCodeTables(const CatalogueSource &src, SqliteFile &catalogue, SqliteFile &user);

// The two files of a new catalogue in `dataFolder`, written under temporary names: both get
// every table and the code lists of `src`, each file in an open transaction. install()
// commits both, puts the catalogue in place and installs the user file; files that were not
// installed are removed when this goes. Shared by the builder and the generator.
class NewCatalogueFiles {
public:
    NewCatalogueFiles(const CatalogueSource &src, const QString &dataFolder);
    SqliteFile &catalogue() { return m_cat.file(); }
    UserFileOutcome install();

private:
    AtomicSqliteFile m_cat;
    AtomicSqliteFile m_user;
};

// Splits a purpose text into the six 255-character pieces of Mat (Purpose .. Purpose5).
QStringList splitPurpose(const QString &text);

} // namespace orv::catalogue
