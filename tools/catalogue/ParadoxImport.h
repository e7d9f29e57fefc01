#pragma once
// Brings a catalogue kept in Paradox tables (the table and column names of the program,
// texts in windows-1250) over into the two SQLite files.

#include "SqliteFile.h"

#include <QString>
#include <QStringList>

namespace orv::catalogue {

struct ImportSummary {
    int tables = 0;    // Paradox tables read
    qint64 rows = 0;   // rows written
    QStringList warnings; // tables not found, columns not known, texts cut to their width
    UserFileOutcome userFile = UserFileOutcome::Created;
    QString ownRows; // what became of the own materials in the user file
};

// The program's check of a Paradox table (db::checkParadoxTable): what is wrong, or empty.
QString checkParadoxTable(const QString &path);

// Opens one table (checked as above) and reads every record; returns how many. Throws
// ToolError for a damaged or unreadable table.
qint64 readParadoxRecords(const QString &path);

// Reads every table of both databases that `paradoxFolder` holds (file names compared
// without regard to case, e.g. "Nodes.DB", "Semtypes.DB"; memo fields from the ".MB" file
// beside) and writes `dataFolder`/catalogue.sqlite and user.sqlite (an existing user file is
// kept, see installUserFile). Tables that are not found are created empty. Throws ToolError,
// leaving the files as they were, when a table is damaged or cannot be read, or when the folder
// holds no table of the catalogue or no materials.
ImportSummary importParadox(const QString &paradoxFolder, const QString &dataFolder);

} // namespace orv::catalogue
